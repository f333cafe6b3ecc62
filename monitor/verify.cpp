// The verify cycle: two halves taken in turn, each area of a half on its own countdown.
#include "verify.h"

#include <windows.h>

#include <string>

#include "area.h"
#include "checks.h"
#include "delayed.h"
#include "detected.h"
#include "entries.h"
#include "init.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "processes.h"
#include "strings.h"
#include "trace.h"

namespace {

constexpr DWORD kOneSecond = 1000;
constexpr int kReAddPasses = 60;  // the icon is added again on every 62nd call

struct VerifyState {
    int halfFlag = 0;
    int passCounter = 0;
    DWORD lastVerifyTime = 0;
    bool timeKnown = false;
    int lastProcessCount = 0;
};
VerifyState g_verify;

// A countdown above 0 runs its area when it reaches 0, and starts again from the period.
bool Due(const AreaRow &area)
{
    int32_t &countdown = Countdown(area.id);
    if (countdown <= 0 || --countdown > 0)
        return false;
    countdown = Period(area.id);
    Trace("verify", area.traceText);
    return true;
}

static_assert(AREA_COUNT <= 32, "the place signals keep one bit per area");

// Whether a place signal may bring the area forward: its realtime option, where it has one, is
// set, and its period is above 0.
bool PlaceWatchOn(const AreaRow &area)
{
    return area.half != HALF_None && AreaPresent(area) &&
           (area.realtime == OPT_None || Option(static_cast<OptionId>(area.realtime)) != 0) &&
           Period(area.id) > 0;
}

// The areas of the half a place signal brought forward are due in this pass; true when one
// was. Checked again here: options may have changed since the signal.
bool TakePlaceSignals(VerifyHalf half)
{
    MonitorState &state = Monitor();
    bool any = false;
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &area = Area(AreaId(id));
        const unsigned bit = 1u << id;
        if (area.half != half || (state.placeAreas & bit) == 0)
            continue;
        state.placeAreas &= ~bit;
        if (PlaceWatchOn(area)) {
            Countdown(area.id) = 1;
            any = true;
        }
    }
    return any;
}

bool RunHalf(VerifyHalf half)
{
    if (half == HALF_First)
        SetTrayIcon(TRAY_Modify, IDI_VERIFY_STARTUP, IDS_TIP_STARTUP);
    else
        SetTrayIcon(TRAY_Modify, IDI_VERIFY_BROWSER, IDS_TIP_CHANGES);
    bool placesRan = false;
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &area = Area(AreaId(id));
        if (Monitor().exiting)
            return placesRan;
        if (area.half != half || !AreaPresent(area))
            continue;
        if (AreaCheck eachPass = EachPassOf(area.id))
            eachPass();
        if (!Due(area))
            continue;
        placesRan = placesRan || area.places != nullptr;
        if (AreaCheck check = CheckOf(area.id))
            check();
    }
    return placesRan;
}

void DateRunningPrograms()
{
    int count = EnumerateRunningPrograms();
    for (int i = 0; i < count; ++i) {
        char path[260];
        if (EntryPath(i, path, sizeof path) > 0)
            RecordFirstSeen(path, Area(AREA_ActiveTasks).detectedKey);
    }
    ClearEntryList();
}

} // namespace

void ReloadOptions()
{
    LoadOptions();
    RestartCountdowns();
    g_verify.halfFlag = 0;
}

void ReloadChangedMonitorOptions()
{
    if (ReloadChangedOptions()) {
        RestartCountdowns();
        g_verify.halfFlag = 0;
    }
}

void ResetVerifyState() { g_verify = VerifyState{}; }

int Verify()
{
    MonitorState &state = Monitor();
    Trace("VERIFY", "Enter Verify function");
    if (state.alertOpen || state.verifyRunning || state.exiting)
        return 1;
    ClearEntryList();
    state.verifyRunning = 1;
    if (g_verify.passCounter++ > kReAddPasses) {
        // The shell may have lost the icon without telling (no TaskbarCreated).
        SetTrayIcon(TRAY_Delete, 0, IDS_TIP_ON_PATROL);
        SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL);
        g_verify.passCounter = 0;
    }
    DWORD start = TickCount();
    DWORD last = g_verify.timeKnown ? g_verify.lastVerifyTime : StartTick();
    g_verify.lastVerifyTime = start;
    g_verify.timeKnown = true;
    if (start - last < kOneSecond) {
        state.verifyRunning = 0;
        Trace("VERIFY", "Exit Early because we recently did a verify");
        return 0;
    }
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    Trace("VERIFY", "Verify Automatica Updates");
    for (int id = 0; id < AREA_COUNT; ++id)
        if (AreaCheck everyVerify = EveryVerifyOf(AreaId(id)))
            everyVerify();
    const VerifyHalf half = g_verify.halfFlag == 0 ? HALF_First : HALF_Second;
    if (TakePlaceSignals(half))
        Trace("VERIFY", "Place changed");
    // A pass may have moved a place (a file type's class, a file added to the watch).
    if (RunHalf(half) && !state.exiting)
        HandOverPlaces();
    ClearEntryList();
    if (state.realtimeFlag)
        DateRunningPrograms();
    g_verify.halfFlag ^= 1;
    SetTrayIcon(TRAY_Modify, Option(OPT_TrayIcon), IDS_TIP_ON_PATROL);
    if (TickCount() - start > kOneSecond) {
        Trace("CATCH", "MonitorTimer > 1000");
        g_verify.lastVerifyTime = TickCount();
    }
    state.verifyRunning = 0;
    SetErrorMode(errorMode);
    Trace("VERIFY", "Exit Normal Verify");
    return 1;
}

int CheckProcessChange()
{
    Trace("* * * VERIFY TASKS", "Check for Task Change");
    int count = CountProcesses();
    if (count != g_verify.lastProcessCount) {
        ReloadChangedMonitorOptions();
        // Only areas that are switched on: a period of 0 keeps an area off.
        for (int id = 0; id < AREA_COUNT; ++id) {
            const AreaRow &area = Area(AreaId(id));
            if (area.realtime != OPT_None && Option(static_cast<OptionId>(area.realtime)) != 0 &&
                Period(area.id) > 0)
                Countdown(area.id) = 1;
        }
        Monitor().tickCounter = 16;
        g_verify.halfFlag = 0;
        Trace("* * * * VERIFY TASKS", "NEW TASK DETECTED");
    }
    g_verify.lastProcessCount = count;
    ClearEntryList();
    return count;
}

bool BringPlaceForward(AreaId id)
{
    ReloadChangedMonitorOptions();
    const AreaRow &area = Area(id);
    if (!PlaceWatchOn(area))
        return false;
    MonitorState &state = Monitor();
    // The half that holds the area is checked next, unless another half already waits for a
    // place: that one runs first and this one on the tick after.
    if (state.placeAreas == 0)
        g_verify.halfFlag = area.half == HALF_First ? 0 : 1;
    state.placeAreas |= 1u << id;
    state.tickCounter = 16;
    Trace("* * * * VERIFY PLACES", (std::string(area.traceText) + " (place changed)").c_str());
    return true;
}

void LaunchDelayedPrograms(int seconds) { Monitor().delayedLaunched = LaunchDueDelayed(seconds); }

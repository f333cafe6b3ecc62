// The verify cycle: two halves taken in turn, each area of a half on its own countdown.
#include "verify.h"

#include <windows.h>

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

void RunHalf(VerifyHalf half)
{
    if (half == HALF_First)
        SetTrayIcon(TRAY_Modify, IDI_VERIFY_STARTUP, IDS_TIP_STARTUP);
    else
        SetTrayIcon(TRAY_Modify, IDI_VERIFY_BROWSER, IDS_TIP_CHANGES);
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &area = Area(AreaId(id));
        if (Monitor().exiting)
            return;
        if (area.half != half || !AreaPresent(area))
            continue;
        if (AreaCheck eachPass = EachPassOf(area.id))
            eachPass();
        if (!Due(area))
            continue;
        if (AreaCheck check = CheckOf(area.id))
            check();
    }
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
    RunHalf(g_verify.halfFlag == 0 ? HALF_First : HALF_Second);
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

void LaunchDelayedPrograms(int seconds) { Monitor().delayedLaunched = LaunchDueDelayed(seconds); }

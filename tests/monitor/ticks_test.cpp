#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "delayed.h"
#include "entries.h"
#include "files.h"
#include "monitor.h"
#include "processes.h"
#include "registry.h"
#include "regsandbox.h"
#include "platform.h"
#include "scratch.h"
#include "trace.h"
#include "verify.h"

namespace {

struct Calls {
    std::vector<int> launches;
    int verifies = 0;
    int processChecks = 0;
    int pauses = 0;
};
Calls g_calls;

const TickActions kCounting = {
    [](int seconds) { g_calls.launches.push_back(seconds); },
    [] { return ++g_calls.verifies; },
    [] { return ++g_calls.processChecks; },
    [](DWORD) { ++g_calls.pauses; },
};

class Ticks : public ::testing::Test {
protected:
    void SetUp() override { g_calls = Calls{}; }

    // Runs ticks until the first verify; answers its tick number (0 when none came).
    int FirstVerifyTick(MonitorState &state, int limit)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            OnTimerTick(state, kCounting);
            if (g_calls.verifies > 0)
                return tick;
        }
        return 0;
    }
};

TEST_F(Ticks, VerifyComesOnThe17thTickOrAfterTheStartupDelay)
{
    MonitorState normal;
    EXPECT_EQ(17, FirstVerifyTick(normal, 100));
    EXPECT_EQ(0, normal.tickCounter);
    g_calls = Calls{};
    EXPECT_EQ(17, FirstVerifyTick(normal, 100));  // and every 17 ticks after

    g_calls = Calls{};
    MonitorState express;
    express.startupDelay = kExpressBootTicks;
    EXPECT_EQ(45, FirstVerifyTick(express, 100));

    // A realtime check asks for a verify on the next tick by setting the counter to 16.
    g_calls = Calls{};
    MonitorState asked;
    asked.tickCounter = 16;
    EXPECT_EQ(1, FirstVerifyTick(asked, 5));
}

TEST_F(Ticks, ConsecutiveRealtimeSignalsAreThrottled)
{
    ScratchFolder scratch;
    PlatformOverride folder;
    folder.programFolder = scratch.path().c_str();
    SetPlatformOverride(&folder);
    StartTrace(true);

    MonitorState state;
    for (int tick = 0; tick < 4; ++tick) {
        state.realtimeFlag = 1;
        OnTimerTick(state, kCounting);
        EXPECT_EQ(0, state.realtimeFlag);
    }
    EXPECT_EQ(3, g_calls.processChecks);
    EXPECT_EQ(1, g_calls.pauses);
    EXPECT_EQ(0, state.conflictCounter);

    char section[4096] = "";
    GetPrivateProfileSectionA("Trace", section, sizeof section,
                              scratch.File("send2ov.txt").c_str());
    EXPECT_TRUE(std::regex_search(std::string(section), std::regex("svmain: Possible System Conflict")))
        << section;

    // A quiet tick resets the count.
    state.realtimeFlag = 1;
    OnTimerTick(state, kCounting);
    OnTimerTick(state, kCounting);
    EXPECT_EQ(0, state.conflictCounter);
    EXPECT_EQ(4, g_calls.processChecks);

    StartTrace(false);
    SetPlatformOverride(nullptr);
}

TEST_F(Ticks, RealtimeRequestWaitsWhileBusy)
{
    struct Case { const char *why; int alertOpen, verifyRunning, startupDelay; };
    for (const Case &c : {Case{"alert open", 1, 0, 0}, Case{"verify running", 0, 1, 0},
                          Case{"starting up", 0, 0, 10}}) {
        SCOPED_TRACE(c.why);
        g_calls = Calls{};
        MonitorState state;
        state.alertOpen = c.alertOpen;
        state.verifyRunning = c.verifyRunning;
        state.startupDelay = c.startupDelay;
        state.realtimeFlag = 1;
        OnTimerTick(state, kCounting);
        EXPECT_EQ(1, state.realtimeFlag);
        EXPECT_EQ(0, g_calls.processChecks);
    }
}

TEST_F(Ticks, DelayedProgramsArePacedEverySixthTick)
{
    MonitorState state;
    state.delayedTotal = 2;
    for (int tick = 0; tick < 18; ++tick)
        OnTimerTick(state, kCounting);
    EXPECT_EQ((std::vector<int>{10, 20, 30}), g_calls.launches);

    g_calls = Calls{};
    state.delayedLaunched = 2;  // all started: the launcher is no longer called
    for (int tick = 0; tick < 12; ++tick)
        OnTimerTick(state, kCounting);
    EXPECT_TRUE(g_calls.launches.empty());
}

// On the real delay clock: 30 seconds of delay start on the 18th tick (the third step, 36 s),
// 40 on the 24th (48 s); once both are handled the clock stops.
TEST_F(Ticks, TheDelayClockStartsEachProgramOnItsStep)
{
    RegistrySandbox sandbox;
    ScratchFolder programs("programs");
    const std::string delay = "Software\\Orvanto\\Sentrovia\\Delay";
    std::vector<std::string> files;
    for (const auto &[name, seconds] : {std::pair{"thirty.exe", "30"}, std::pair{"forty.exe", "40"}}) {
        const std::string file = programs.File(name);
        ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), file.c_str(), FALSE));
        WriteRegString(HKEY_CURRENT_USER, delay.c_str(), file.c_str(), "11");
        WriteRegString(HKEY_CURRENT_USER, (delay + "\\Time").c_str(), file.c_str(), seconds);
        WriteRegString(HKEY_CURRENT_USER, (delay + "\\Parameters").c_str(), file.c_str(),
                       " 20000");
        files.push_back(file);
    }
    const TickActions actions = {LaunchDelayedPrograms, [] { return 0; }, [] { return 0; },
                                 [](DWORD) {}};
    Monitor() = MonitorState{};
    ResetDelayedLauncher();
    Monitor().delayedTotal = EnumDelayedEntries();
    ClearEntryList();
    ASSERT_EQ(2, Monitor().delayedTotal);
    auto running = [&](size_t which) {
        char clean[MAX_PATH];
        CleanPath(files[which].c_str(), clean, sizeof clean);
        return FindProcessForFile(clean);
    };
    std::vector<int> started(2, 0);
    for (int tick = 1; tick <= 30; ++tick) {
        OnTimerTick(Monitor(), actions);
        for (size_t which = 0; which < 2; ++which)
            if (started[which] == 0 && running(which) != 0)
                started[which] = tick;
    }
    EXPECT_EQ((std::vector<int>{18, 24}), started);
    EXPECT_EQ(2, Monitor().delayedLaunched);
    EXPECT_EQ(4, Monitor().delayStep) << "the clock stops once every program is handled";
    for (size_t which = 0; which < 2; ++which)
        EndProcess(running(which));
    Monitor() = MonitorState{};
    ResetDelayedLauncher();
}

} // namespace

namespace {

TEST_F(Ticks, PlaceSignalKeepsTheTurnUntilItsAreaWasChecked)
{
    // An area brought forward and not yet checked (its half comes next, or an alert held the
    // pass back): the turn stays on the next tick.
    MonitorState state;
    state.tickCounter = 16;
    state.placeAreas = 1u << AREA_Services;
    OnTimerTick(state, kCounting);
    EXPECT_EQ(1, g_calls.verifies);
    EXPECT_EQ(16, state.tickCounter);
    state.placeAreas = 0;  // what the pass that checks it does
    OnTimerTick(state, kCounting);
    EXPECT_EQ(2, g_calls.verifies);
    EXPECT_EQ(0, state.tickCounter);
}

TEST_F(Ticks, PlaceTimerRunsTheTurnAtOnceOnlyWhenOneIsAskedAndMayRun)
{
    MonitorState asked;
    asked.tickCounter = 16;
    asked.realtimeFlag = 1;
    asked.delayPace = 3;
    OnPlaceTimer(asked, kCounting);
    EXPECT_EQ(1, g_calls.verifies);
    EXPECT_EQ(0, asked.tickCounter);
    EXPECT_EQ(0, asked.realtimeFlag);
    // Not a tick: the delayed launcher's pace is untouched.
    EXPECT_EQ(3, asked.delayPace);
    EXPECT_TRUE(g_calls.launches.empty());

    MonitorState notAsked;
    notAsked.tickCounter = 15;
    OnPlaceTimer(notAsked, kCounting);
    MonitorState startingUp;
    startingUp.tickCounter = 16;
    startingUp.startupDelay = 4;
    OnPlaceTimer(startingUp, kCounting);
    EXPECT_EQ(1, g_calls.verifies);
    EXPECT_EQ(16, startingUp.tickCounter);
}

} // namespace

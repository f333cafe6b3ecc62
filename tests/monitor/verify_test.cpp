#include "verify.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "area.h"
#include "buildfiles.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "keys.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"
#include "startup_actions.h"
#include "trace.h"

namespace {

constexpr char kMachineRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

BOOL NoTray(DWORD, PNOTIFYICONDATAA) { return TRUE; }

class VerifyCycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        now_ = 100000;
        override_.programFolder = scratch_.path().c_str();
        override_.tickCount = &now_;
        SetPlatformOverride(&override_);
        previousTray_ = SetTrayNotifier(NoTray);
        SetWow64Pass(false);
        ResetVerifyState();
        Monitor() = MonitorState{};
        LoadOptions();
        // The scheduler's tasks are the machine's, not the sandbox's: approved without asking.
        TheSettings().option[OPT_HideTasks] = 1;
        // The web address prefix as Windows ships it, so no pass stops to ask about it.
        WriteRegString(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes", "www",
                       "http://");
        RestartCountdowns();
        StartTrace(true);
    }
    void TearDown() override
    {
        StartTrace(false);
        SetTrayNotifier(previousTray_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
        Monitor() = MonitorState{};
        ResetVerifyState();
    }
    // Calls Verify as the timer would, two seconds apart.
    void Calls(int count)
    {
        for (int i = 0; i < count; ++i) {
            now_ += 2000;
            Verify();
        }
    }
    // How many traced lines end with the text.
    int Traced(const std::string &text) const
    {
        std::string log = ReadWholeFile(scratch_.File("send2ov.txt"));
        int count = 0;
        for (size_t at = log.find(": " + text); at != std::string::npos;
             at = log.find(": " + text, at + 1))
            count += log.compare(at + 2 + text.size(), 1, "\r") == 0 ||
                     log.compare(at + 2 + text.size(), 1, "\n") == 0;
        return count;
    }
    static void SetHide(int answer)
    {
        TheSettings().option[OPT_HideStartup] = answer;
    }
    static std::string Approval(const char *name)
    {
        return ReadStringValue(HKEY_CURRENT_USER, kRunBaselineKey, name);
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    DWORD now_;
    PlatformOverride override_;
    TrayNotifier previousTray_ = nullptr;
};

TEST_F(VerifyCycle, AreasRunOnTheirPeriods)
{
    Calls(28);
    EXPECT_EQ(7, Traced("Startup Programs"));               // every 4th call
    EXPECT_EQ(2, Traced("Check for change to Services"));   // every 14th call
    EXPECT_EQ(0, Traced("Hidden Files"));                   // period 0: never
    EXPECT_EQ(0, Traced("Filter Cookies"));
    EXPECT_EQ(28, Traced("Exit Normal Verify"));
}

TEST_F(VerifyCycle, TwoCallsUnderASecondApartCheckNothing)
{
    Calls(1);
    now_ += 999;
    EXPECT_EQ(0, Verify());
    EXPECT_EQ(1, Traced("Exit Early because we recently did a verify"));
    EXPECT_EQ(1, Traced("Exit Normal Verify"));
    // The early exit moved the guard: a call a second after it runs.
    now_ += 1000;
    EXPECT_EQ(1, Verify());
}

TEST_F(VerifyCycle, ProcessChangeBringsRealtimeAreasForward)
{
    TheSettings().option[OPT_RealtimeHidden] = 1;  // on, but its period is 0
    Calls(2);                                       // both halves once: nothing due yet
    ASSERT_EQ(0, Traced("Startup Programs"));
    EXPECT_GT(CheckProcessChange(), 0);
    EXPECT_EQ(16, Monitor().tickCounter);
    EXPECT_EQ(1, Countdown(AREA_Start));
    EXPECT_EQ(1, Countdown(AREA_Services));
    EXPECT_EQ(0, Countdown(AREA_Hidden));
    EXPECT_EQ(10, Countdown(AREA_Tasks));  // no realtime option: 11 less one pass

    Calls(1);  // the first half comes next, whatever half was due
    EXPECT_EQ(1, Traced("Startup Programs"));
    EXPECT_EQ(0, Traced("Hidden Files"));
    Calls(1);
    EXPECT_EQ(1, Traced("Check for change to Services"));
}

TEST_F(VerifyCycle, PlaceSignalChecksExactlyItsAreaInItsOwnHalfNext)
{
    TheSettings().option[OPT_Start] = 10;  // not due in this test on its own
    RestartCountdowns();
    Calls(2);  // the first half is next
    ASSERT_TRUE(BringPlaceForward(AREA_Services));
    EXPECT_EQ(16, Monitor().tickCounter);
    Calls(1);  // the second half, at once: no first-half pass before it
    EXPECT_EQ(1, Traced("Check for change to Services"));
    EXPECT_EQ(0, Traced("Startup Programs"));
    EXPECT_EQ(0, Traced("Scheduled Tasks"));
    EXPECT_EQ(0u, Monitor().placeAreas);

    ASSERT_TRUE(BringPlaceForward(AREA_IEHelpers));
    Calls(1);
    EXPECT_EQ(1, Traced("IE Helpers"));
    EXPECT_EQ(0, Traced("Startup Programs"));
    EXPECT_EQ(0, Traced("File Types"));
}

TEST_F(VerifyCycle, PlaceSignalNeedsTheAreasRealtimeOptionAndAPeriod)
{
    TheSettings().option[OPT_RealtimeFileType] = 0;
    TheSettings().option[OPT_RealtimeHidden] = 1;  // on, but its period is 0
    TheSettings().option[OPT_Services] = 0;
    EXPECT_FALSE(BringPlaceForward(AREA_FileType));
    EXPECT_FALSE(BringPlaceForward(AREA_Hidden));
    EXPECT_FALSE(BringPlaceForward(AREA_Services));
    EXPECT_FALSE(BringPlaceForward(AREA_ActiveTasks));  // no places, no half
    EXPECT_EQ(0u, Monitor().placeAreas);
    EXPECT_EQ(0, Monitor().tickCounter);

    // Switched off between the signal and the pass: the pass leaves the area to its period.
    ASSERT_TRUE(BringPlaceForward(AREA_Start));
    TheSettings().option[OPT_RealtimeStartup] = 0;
    Calls(1);
    EXPECT_EQ(0, Traced("Startup Programs"));
    EXPECT_EQ(0u, Monitor().placeAreas);

    // An area without a realtime option is brought forward by its own places alone.
    EXPECT_TRUE(BringPlaceForward(AREA_Tasks));
    Calls(1);
    EXPECT_EQ(1, Traced("Scheduled Tasks"));
}

TEST_F(VerifyCycle, ManySignalsBeforeThePassGiveOnePassAndBothHalvesAreServed)
{
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(BringPlaceForward(AREA_Start));
    ASSERT_TRUE(BringPlaceForward(AREA_Services));
    Calls(1);
    EXPECT_EQ(1, Traced("Startup Programs"));
    EXPECT_NE(0u, Monitor().placeAreas) << "the second half still waits";
    Calls(1);
    EXPECT_EQ(1, Traced("Check for change to Services"));
    Calls(2);
    EXPECT_EQ(1, Traced("Startup Programs"));
}

TEST_F(VerifyCycle, APassHeldBackByAnAlertStillChecksTheArea)
{
    ASSERT_TRUE(BringPlaceForward(AREA_Start));
    Monitor().alertOpen = 1;
    Calls(3);
    Monitor().alertOpen = 0;
    EXPECT_EQ(0, Traced("Startup Programs"));
    Calls(1);
    EXPECT_EQ(1, Traced("Startup Programs"));
}

TEST_F(VerifyCycle, SkipsWhileAnAlertIsOpenOrAPassRuns)
{
    Monitor().alertOpen = 1;
    now_ += 5000;
    EXPECT_EQ(1, Verify());
    Monitor().alertOpen = 0;
    Monitor().verifyRunning = 1;
    EXPECT_EQ(1, Verify());
    EXPECT_EQ(0, Traced("Exit Normal Verify"));
}

class StartupCheck : public VerifyCycle {
protected:
    void SetUp() override
    {
        VerifyCycle::SetUp();
        program_ = BuildFile("Sentrovia.exe");
        // Due on the next first-half call.
        Countdown(AREA_Start) = 1;
    }
    void AddRun(const char *name, const std::string &command)
    {
        WriteRegString(HKEY_CURRENT_USER, kUserRun, name, command.c_str());
    }
    std::string program_;
};

TEST_F(StartupCheck, StandingApprovalWritesTheLocationCodeAndDatesTheProgram)
{
    SetHide(1);
    AddRun("agent", program_ + " /min");
    Calls(1);
    char baseline[MAX_PATH];
    BaselineName((program_ + " /min").c_str(), baseline, sizeof baseline);
    EXPECT_EQ("11", Approval(baseline));
    char key[MAX_PATH];
    CleanPath(program_.c_str(), key, sizeof key);
    char date[24];
    EXPECT_GT(GetFirstSeen(key, 11, date, sizeof date), 0);
}

TEST_F(StartupCheck, StandingRejectionLeavesNoApproval)
{
    SetHide(2);
    AddRun("agent", "C:\\Tools\\agent.exe");
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "agent", "0");  // a title value
    Calls(1);
    char baseline[MAX_PATH];
    BaselineName("C:\\Tools\\agent.exe", baseline, sizeof baseline);
    EXPECT_EQ("<missing>", Approval(baseline));
    EXPECT_EQ("<missing>", Approval("agent"));
    // Removed from its location, and the removal can be undone from the history.
    EXPECT_EQ("<missing>", ReadStringValue(HKEY_CURRENT_USER, kUserRun, "agent"));
    std::string history = ReadWholeFile(scratch_.File("history.txt"));
    EXPECT_NE(std::string::npos, history.find("\t*START_Remove\tCURRENT_RUN\tagent\t")) << history;
}

TEST_F(StartupCheck, ApprovalByTitleCountsUnlessItMarksADelayedProgram)
{
    SetHide(2);  // anything asked would be rejected and lose its values
    AddRun("by title", "C:\\Tools\\titled.exe");
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "by title", "11");
    AddRun("came back", "C:\\Tools\\delayed.exe");
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "C:\\Tools\\delayed.exe", "1103");
    Calls(1);
    EXPECT_EQ("11", Approval("by title"));
    // Rejecting a program that came back from delayed start records its location and takes it
    // out of the startup location again.
    EXPECT_EQ("11", Approval("C:\\Tools\\delayed.exe"));
    EXPECT_EQ("<missing>", ReadStringValue(HKEY_CURRENT_USER, kUserRun, "came back"));
    EXPECT_EQ(11, IsEntryDisabled("came back"));
}

TEST_F(StartupCheck, ProgramBackFromDelayedStartApprovedLosesItsDelay)
{
    SetHide(1);
    AddRun("came back", "C:\\Tools\\delayed.exe -min");
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "C:\\Tools\\delayed.exe -min", "1103");
    const std::string delay = std::string(kProductKey) + "\\Delay";
    WriteRegString(HKEY_CURRENT_USER, delay.c_str(), "C:\\Tools\\delayed.exe", "11");
    WriteRegString(HKEY_CURRENT_USER, (delay + "\\Time").c_str(), "C:\\Tools\\delayed.exe", "30");
    WriteRegString(HKEY_CURRENT_USER, (delay + "\\Time").c_str(), "C:\\Tools\\other.exe", "60");
    Calls(1);
    EXPECT_EQ("11", Approval("C:\\Tools\\delayed.exe -min"));
    EXPECT_EQ("C:\\Tools\\delayed.exe -min", ReadStringValue(HKEY_CURRENT_USER, kUserRun, "came back"));
    EXPECT_EQ("<missing>", ReadStringValue(HKEY_CURRENT_USER, delay.c_str(), "C:\\Tools\\delayed.exe"));
    EXPECT_EQ("<missing>",
              ReadStringValue(HKEY_CURRENT_USER, (delay + "\\Time").c_str(), "C:\\Tools\\delayed.exe"));
    EXPECT_EQ("60", ReadStringValue(HKEY_CURRENT_USER, (delay + "\\Time").c_str(), "C:\\Tools\\other.exe"));
}

TEST_F(StartupCheck, InstallerCleanupEntryEndsTheWalk)
{
    SetHide(1);
    WriteRegString(HKEY_LOCAL_MACHINE, kMachineRun, "McAfee Application Installer Cleanup (0123)",
                   "C:\\Temp\\cleanup.exe /x");
    AddRun("after", "C:\\Tools\\after.exe");
    Calls(1);
    EXPECT_EQ("<missing>", Approval("C:\\Tools\\after.exe"));
    EXPECT_EQ("<missing>", Approval("C:\\Temp\\cleanup.exe /x"));
}

} // namespace

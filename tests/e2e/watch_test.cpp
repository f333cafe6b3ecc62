// The real Monitor notices a program added to a Run key, asks about it and remembers the answer.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "history.h"
#include "historyline.h"
#include "ids.h"
#include "job_tasks.h"
#include "platform.h"
#include "programs.h"
#include "scratch.h"
#include "startup.h"
#include "startup_actions.h"

namespace {

constexpr char kOptions[] = "Software\\Orvanto\\Sentrovia\\Options";
constexpr char kProduct[] = "Software\\Orvanto\\Sentrovia";
constexpr char kBaseline[] = "Software\\Orvanto\\Sentrovia\\Run";
constexpr char kDetectedStartup[] = "Software\\Orvanto\\Detected\\Startup";
constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kTaskSnapshot[] = "Software\\Orvanto\\Sentrovia\\Tasks";
constexpr char kHiddenSnapshot[] = "Software\\Orvanto\\Sentrovia\\Hidden";
constexpr char kAlertCaption[] = "Sentrovia New Program Alert";

void SetOption(const char *name, const char *value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kOptions, name, REG_SZ, value,
                    static_cast<DWORD>(strlen(value) + 1));
}

std::string ReadValue(const char *key, const std::string &name)
{
    char text[512];
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// Runs Wine's own reg.exe, as another program would.
void Reg(const std::string &arguments)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(0u, RunToEnd(std::string(system) + "\\reg.exe", arguments)) << arguments;
}

// Posts the ticks of one verify turn; a second apart from the last pass.
void VerifyTurnOf(HWND monitor)
{
    Sleep(1100);
    for (int tick = 0; tick < 17; ++tick)
        PostMessageA(monitor, WM_TIMER, 1, 0);
}

class Watch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitForNoWindow("Sentrovia", 5000));
        // The startup check on every first-half pass keeps the scenario short.
        SetOption("Start", "1");
        SetOption("HideStartup", "0");
        SetOption("ConfirmExit", "0");
        // This process reads the history the Monitor writes beside itself.
        folder_ = monitor_.substr(0, monitor_.rfind('\\'));
        platform_.programFolder = folder_.c_str();
        SetPlatformOverride(&platform_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        EndRunningPrograms();
        for (const char *name : {"e2e agent", "e2e quiet", "e2e rejected"})
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, name);
        // Forget the answers, so the scenario asks again next time.
        for (const char *argument : {" -e2e", " -quiet"})
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline,
                               (ProgramFile("SentroviaEx.exe") + argument).c_str());
        SetOption("Start", "2");
        SetOption("HideStartup", "0");
        SetOption("RealtimeStartup", "1");
        SetOption("FileType", "10");
        SetOption("Hidden", "0");
        SetOption("Cookies", "0");
    }
    static void RegAdd(const char *name, const std::string &command)
    {
        Reg("add \"HKCU\\" + std::string(kUserRun) + "\" /v \"" + name + "\" /d \"" + command +
            "\" /f");
    }
    // The Monitor's window, once its settings are in place: on a first run the window comes
    // before the baseline is taken, and a value added in between would count as approved.
    static HWND StartedMonitor()
    {
        HWND monitor = WaitForWindow("Sentrovia", nullptr, 10000);
        for (int wait = 0; wait < 200 && ReadValue(kProduct, "Version") == "<missing>"; ++wait)
            Sleep(50);
        EXPECT_NE("<missing>", ReadValue(kProduct, "Version"));
        return monitor;
    }
    static void VerifyTurn(HWND monitor) { VerifyTurnOf(monitor); }
    const std::string monitor_ = ProgramFile("Sentrovia.exe");
    std::string folder_;
    PlatformOverride platform_;
};

TEST_F(Watch, NewRunValueIsAskedAboutOnceAndApproved)
{
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    const std::string program = ProgramFile("SentroviaEx.exe");
    const std::string command = program + " -e2e";
    RegAdd("e2e agent", command);
    VerifyTurn(monitor);

    HWND alert = WaitForWindow("#32770", kAlertCaption, 15000);
    ASSERT_NE(nullptr, alert);
    EXPECT_EQ("Sentrovia", ItemText(alert, 100));  // the program's product name
    EXPECT_EQ(Upper(command), Upper(ItemText(alert, 1026)));
    std::string message = ItemText(alert, 1036);
    EXPECT_NE(std::string::npos, message.find("A new auto Startup Program has been detected."))
        << message;
    EXPECT_NE(std::string::npos, message.find("This program will run each time you login"))
        << message;
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
        Sleep(100);

    EXPECT_EQ("11", ReadValue(kBaseline, command));
    std::string key = Upper(program.substr(program.find(':') - 1));
    EXPECT_NE("<missing>", ReadValue(kDetectedStartup, key)) << key;

    // Approved: the next passes ask nothing.
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
}

// A program that already runs writes itself into the Run key: no process starts or ends, no
// verify turn is posted, and the Monitor asks within seconds, not at its patrol time.
TEST_F(Watch, RunValueWrittenByARunningProgramIsAskedAboutWithinSeconds)
{
    SetOption("Start", "2");  // as shipped
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    Sleep(6000);  // the Monitor's own start and first passes are over

    const std::string command = ProgramFile("SentroviaEx.exe") + " -e2e";
    const DWORD written = GetTickCount();
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e agent", REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    HWND alert = WaitForWindow("#32770", kAlertCaption, 10000);
    ASSERT_NE(nullptr, alert);
    EXPECT_LT(GetTickCount() - written, 3000u);
    EXPECT_EQ(Upper(command), Upper(ItemText(alert, 1026)));
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
        Sleep(100);
    EXPECT_EQ("11", ReadValue(kBaseline, command));
}

// With its realtime option off the area waits for its patrol, and the change is still found.
TEST_F(Watch, WithRealtimeOffARunValueWaitsForThePatrol)
{
    SetOption("RealtimeStartup", "0");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    Sleep(6000);

    const std::string command = ProgramFile("SentroviaEx.exe") + " -quiet";
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e quiet", REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 5000));
    HWND alert = nullptr;
    for (int turn = 0; turn < 2 && alert == nullptr; ++turn) {  // a turn may be a second half
        VerifyTurn(monitor);
        alert = WaitForWindow("#32770", kAlertCaption, 8000);
    }
    ASSERT_NE(nullptr, alert);
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
        Sleep(100);
}

TEST_F(Watch, StandingAnswerApprovesWithoutAsking)
{
    SetOption("HideStartup", "1");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    const std::string command = ProgramFile("SentroviaEx.exe") + " -quiet";
    RegAdd("e2e quiet", command);
    VerifyTurn(monitor);
    std::string approval;
    for (int wait = 0; wait < 50 && (approval = ReadValue(kBaseline, command)) == "<missing>";
         ++wait)
        Sleep(100);
    EXPECT_EQ("11", approval);
    EXPECT_EQ(nullptr, FindWindowA("#32770", kAlertCaption));
}

TEST_F(Watch, StandingAnswerSetWhileRunningAppliesOnTheNextFirstHalf)
{
    // The file types come due only every 50th first half: the change must not wait for them.
    SetOption("FileType", "50");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    // What the Explorer's Options page writes.
    SetOption("HideStartup", "1");
    SetOption("Update", "1");
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ("0", ReadValue(kOptions, "Update"));

    // Written from this process, so no process start brings the options in by another way.
    const std::string command = ProgramFile("SentroviaEx.exe") + " -quiet";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e quiet", REG_SZ, command.c_str(),
                              static_cast<DWORD>(command.size() + 1)));
    std::string approval = "<missing>";
    for (int turn = 0; turn < 4 && approval == "<missing>"; ++turn) {
        VerifyTurn(monitor);
        for (int wait = 0; wait < 20 && (approval = ReadValue(kBaseline, command)) == "<missing>";
             ++wait)
            Sleep(100);
        ASSERT_EQ(nullptr, FindWindowA("#32770", kAlertCaption)) << "asked despite the answer";
    }
    EXPECT_EQ("11", approval);
}

TEST_F(Watch, NoRemovesTheEntryEndsItsProgramAndTheHistoryPutsItBack)
{
    // Out of any folder named after the product: removals of the product's own entries are not
    // recorded.
    ScratchFolder programs("programs");
    // A folder with a program extension's letters in its name: the program is still found.
    const std::string folder = programs.File("tools.Pdir");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string agent = folder + "\\agent.exe";
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), agent.c_str(), FALSE));
    const std::string command = agent + " 60000";
    RunningProgram running(agent, "60000");
    ASSERT_TRUE(running.started());

    RunningProgram monitorProgram(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    RegAdd("e2e rejected", command);
    VerifyTurn(monitor);
    HWND alert = WaitForWindow("#32770", kAlertCaption, 15000);
    ASSERT_NE(nullptr, alert);
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDNO)));

    EXPECT_TRUE(running.WaitForEnd(10000));
    std::string value;
    for (int wait = 0; wait < 50 && (value = ReadValue(kUserRun, "e2e rejected")) != "<missing>";
         ++wait)
        Sleep(100);
    EXPECT_EQ("<missing>", value);
    EXPECT_EQ("<missing>", ReadValue(kBaseline, command));
    RunToEnd(monitor_, "-Q");
    ASSERT_TRUE(WaitForNoWindow("Sentrovia", 5000));

    // The Monitor's history, read here through the program folder it shares with this test.
    int count = LoadHistory();
    ASSERT_GE(count, 3);
    // Asked, the program ended, the entry removed: each leaves its record, in that order.
    char title[128], path[512];
    for (int back = 3; back >= 2; --back) {
        EntryTitle(count - back, title, sizeof title);
        EntryPath(count - back, path, sizeof path);
        if (back == 3) {  // START_Alert, with the program's name and file
            EXPECT_EQ(6, EntryExtra(count - back));
            EXPECT_EQ(11, EntryKind(count - back));
            EXPECT_EQ(Upper(agent), Upper(path));
        } else {  // TASK_Kill
            EXPECT_EQ("e2e rejected", std::string(title));
            EXPECT_EQ(5, EntryExtra(count - back));
            EXPECT_EQ(600, EntryKind(count - back));
            EXPECT_EQ(Upper(command), Upper(path));
        }
    }
    EntryTitle(count - 1, title, sizeof title);
    EntryPath(count - 1, path, sizeof path);
    EXPECT_EQ("e2e rejected", std::string(title));
    EXPECT_EQ(Upper(command), Upper(path));
    EXPECT_EQ(0, EntryExtra(count - 1));  // *START_Remove
    EXPECT_EQ(11, EntryKind(count - 1));  // CURRENT_RUN
    EXPECT_EQ(1, RestoreHistoryEvent(count - 1));
    EXPECT_EQ(Upper(command), Upper(ReadValue(kUserRun, "e2e rejected")));
    // Never approved: put back, it is asked about again rather than trusted.
    EXPECT_EQ("<missing>", ReadValue(kBaseline, command));
    ClearEntryList();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, command.c_str());
}

// A removal whose undo record can't be written is not made: the user is told why, and the
// Monitor does not ask again on every pass.
TEST_F(Watch, RemovalIsNotMadeWhenItsRecordCannotBeWritten)
{
    // Out of the product's folder: its own entries are removed without a record.
    ScratchFolder programs("programs");
    const std::string command = programs.File("agent.exe") + " -quiet";
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(),
                          programs.File("agent.exe").c_str(), FALSE));
    RunningProgram monitorProgram(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    // The history beside the programs, held open with no sharing, as a locking program would.
    const std::string history = ProgramOutput("history.txt");
    HANDLE locked = CreateFileA(history.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    RegAdd("e2e quiet", command);
    VerifyTurn(monitor);
    HWND alert = WaitForWindow("#32770", kAlertCaption, 15000);
    ASSERT_NE(nullptr, alert);
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDNO)));

    HWND box = WaitForWindow("#32770", "Sentrovia", 15000);
    ASSERT_NE(nullptr, box) << "the refusal was not shown";
    std::string text = ItemText(box, 0xFFFF);
    EXPECT_NE(std::string::npos, text.find("\"e2e quiet\" was not removed")) << text;
    EXPECT_NE(std::string::npos, text.find("history.txt")) << text;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    EXPECT_TRUE(WaitForNoWindow("#32770", 5000) || !IsWindow(box));
    EXPECT_EQ(Upper(command), Upper(ReadValue(kUserRun, "e2e quiet")));

    // Asked once: the passes that follow leave it be.
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
    CloseHandle(locked);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, command.c_str());
}

// A flood of new values in one location, as a hostile program writes them.
class Flood {
public:
    explicit Flood(int count) : count_(count)
    {
        for (int i = 0; i < count_; ++i) {
            std::string command = "C:\\flood\\agent" + std::to_string(i) + ".exe";
            RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, Name(i).c_str(), REG_SZ,
                            command.c_str(), static_cast<DWORD>(command.size() + 1));
        }
    }
    ~Flood()
    {
        for (int i = 0; i < count_; ++i)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, Name(i).c_str());
    }
    static std::string Name(int i) { return "e2e flood " + std::to_string(i); }

private:
    int count_;
};

// A flood in one location hides nothing in the others, and is answered once, not value by value.
TEST_F(Watch, AFloodIsAnsweredOnceAndHidesNoOtherLocation)
{
    constexpr int kFlood = 4200;  // more than the entry list holds at once
    Flood flood(kFlood);
    const std::string program = ProgramFile("SentroviaEx.exe");
    const std::string command = program + " -e2e";
    constexpr char kUserRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRunOnce, "e2e agent", REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    // The first run took the flood into its baseline: forget it, so the flood is new.
    for (int i = 0; i < kFlood; ++i) {
        std::string path = "C:\\flood\\agent" + std::to_string(i) + ".exe";
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, Upper(path).c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, path.c_str());
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, command.c_str());
    VerifyTurn(monitor);

    HWND alert = WaitForWindow("#32770", kAlertCaption, 30000);
    ASSERT_NE(nullptr, alert);
    EXPECT_EQ(0u, ItemText(alert, 1026).find("C:\\flood\\agent")) << ItemText(alert, 1026);
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    HWND question = WaitForWindow("#32770", "Sentrovia", 15000);
    ASSERT_NE(nullptr, question) << "the rest of the flood was not offered one answer";
    const std::string text = ItemText(question, 0xFFFF);
    EXPECT_NE(std::string::npos, text.find("more new entries")) << text;
    EXPECT_NE(std::string::npos, text.find("HKCU_RUN")) << text;
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));

    // The location after the flood is still watched: its entry is asked about next.
    alert = WaitForWindow("#32770", kAlertCaption, 60000);
    ASSERT_NE(nullptr, alert) << "the entry behind the flood was never asked about";
    EXPECT_EQ(Upper(command), Upper(ItemText(alert, 1026)));
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
        Sleep(100);
    // All of the flood took the one answer.
    EXPECT_EQ("11", ReadValue(kBaseline, "C:\\flood\\agent0.exe"));
    EXPECT_EQ("11", ReadValue(kBaseline, "C:\\flood\\agent" + std::to_string(kFlood - 1) + ".exe"));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRunOnce, "e2e agent");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, command.c_str());
    for (int i = 0; i < kFlood; ++i)
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline,
                           ("C:\\flood\\agent" + std::to_string(i) + ".exe").c_str());
}

// Windows runs a value whatever the length of its name and command: each is asked about, and
// each answer acts on the real value.
TEST_F(Watch, LongNamesAndCommandsAreAskedAboutAndActedOnWhole)
{
    ScratchFolder programs("programs");
    const std::string agent = programs.File("agent.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), agent.c_str(), FALSE));
    // Two commands alike for far longer than the list shows; the second under a long name.
    const std::string common = agent + " " + std::string(400, 'a');
    const std::string kept = common + " kept";
    const std::string rejected = common + " rejected";
    const std::string longName = "e2e " + std::string(200, 'n');
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e kept", REG_SZ, kept.c_str(),
                    static_cast<DWORD>(kept.size() + 1));
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, longName.c_str(), REG_SZ, rejected.c_str(),
                    static_cast<DWORD>(rejected.size() + 1));
    VerifyTurn(monitor);
    for (int turn = 0; turn < 2; ++turn) {
        HWND alert = WaitForWindow("#32770", kAlertCaption, 15000);
        ASSERT_NE(nullptr, alert) << "alert " << turn << " did not come";
        // The alert shows the command cut; it names its value by the title as listed.
        std::string shown = ItemText(alert, 1026);
        EXPECT_EQ("...", shown.substr(shown.size() - 3)) << shown;
        // The first is kept, the second turned down: whichever the walk gives first.
        int button = turn == 0 ? IDYES : IDNO;
        PostMessageA(alert, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(alert, button)));
        for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
            Sleep(100);
    }
    // Exactly one went, under its real name, and the other stands whole.
    auto present = [&](const std::string &name) { return ReadValue(kUserRun, name) != "<missing>"; };
    for (int wait = 0; wait < 50 && present("e2e kept") && present(longName); ++wait)
        Sleep(100);
    ASSERT_NE(present("e2e kept"), present(longName)) << "not exactly one value was removed";
    const bool keptStayed = present("e2e kept");
    const std::string stayName = keptStayed ? "e2e kept" : longName;
    const std::string goneName = keptStayed ? longName : "e2e kept";
    const std::string goneCommand = keptStayed ? rejected : kept;
    char whole[2048] = "";
    DWORD size = sizeof whole;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, kUserRun, stayName.c_str(),
                                          RRF_RT_REG_SZ, nullptr, whole, &size));
    EXPECT_EQ(keptStayed ? kept : rejected, whole);
    // Answered once: the approval of the kept one is found again, and the rejected one is gone.
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
    RunToEnd(monitor_, "-Q");
    ASSERT_TRUE(WaitForNoWindow("Sentrovia", 5000));

    // The history keeps the removal whole, under its real name, to be put back.
    int count = LoadHistory();
    ASSERT_GT(count, 0);
    int removal = count - 1;
    while (removal >= 0 && EntryExtra(removal) != 0)  // the ending of the program may follow
        --removal;
    ASSERT_GE(removal, 0) << "no removal record";
    EXPECT_EQ(1, RestoreHistoryEvent(removal));
    size = sizeof whole;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, kUserRun, goneName.c_str(),
                                          RRF_RT_REG_SZ, nullptr, whole, &size));
    EXPECT_EQ(goneCommand, whole);
    ClearEntryList();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e kept");
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, longName.c_str());
    for (const std::string &command : {kept, rejected}) {
        char name[300];
        BaselineName(ListedCommandOf(command.c_str()).c_str(), name, sizeof name);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, name);
    }
}

TEST_F(Watch, ExitDuringARunOfAlertsEndsTheMonitorAtOnce)
{
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    Flood flood(300);
    VerifyTurn(monitor);
    ASSERT_NE(nullptr, WaitForWindow("#32770", kAlertCaption, 15000));

    DWORD asked = GetTickCount();
    EXPECT_EQ(0u, RunToEnd(monitor_, "-Q"));
    EXPECT_TRUE(running.WaitForEnd(2000)) << "still running 2 s after the exit request";
    EXPECT_LT(GetTickCount() - asked, 4000u);
}

// ---------------------------------------------------------------- browser add-ons

constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibilityKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kHelperClass[] = "{5E2E0001-0000-4000-8000-000000000001}";
constexpr char kControlClass[] = "{5E2E0001-0000-4000-8000-000000000002}";

// A class of the tests' own library, a browser helper object and a control the browser has
// used, as an installer would register them; all taken out again when it goes.
class AddOns {
public:
    AddOns() : programs_("programs"), library_(programs_.File("e2ehelper.dll"))
    {
        EXPECT_TRUE(CopyFileA(BuildFile("vfx_plain.dll").c_str(), library_.c_str(), FALSE));
        for (const char *classId : {kHelperClass, kControlClass})
            Reg("add \"HKCR\\CLSID\\" + std::string(classId) +
                      "\\InprocServer32\" /ve /d \"" + library_ + "\" /f");
    }
    ~AddOns()
    {
        for (const char *classId : {kHelperClass, kControlClass})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + classId).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, HelperKey().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, HelperKey().c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, (std::string(kStatsKey) + "\\" + kControlClass).c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kStatsKey) + "\\" + kControlClass).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, CompatibilityKey().c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\IEHelpers",
                           "e2ehelper.dll");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\ActiveX",
                           kControlClass);
    }
    AddOns(const AddOns &) = delete;
    AddOns &operator=(const AddOns &) = delete;

    void AddHelper() { Reg("add \"HKLM\\" + HelperKey() + "\" /f"); }
    void AddControl()
    {
        Reg("add \"HKCU\\" + std::string(kStatsKey) + "\\" + kControlClass +
                  "\\iexplore\" /v Type /t REG_DWORD /d 1 /f");
    }
    static std::string HelperKey() { return std::string(kBhoKey) + "\\" + kHelperClass; }
    static std::string CompatibilityKey()
    {
        return std::string(kCompatibilityKey) + "\\" + kControlClass;
    }

private:
    ScratchFolder programs_;
    std::string library_;
};

bool KeyThere(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The alert of the kind whose message holds the text, answered with the button.
bool Answer(const char *messagePart, int button)
{
    HWND alert = WaitForWindow("#32770", kAlertCaption, 15000);
    if (alert == nullptr)
        return false;
    const std::string message = ItemText(alert, 1036);
    EXPECT_NE(std::string::npos, message.find(messagePart)) << message;
    // Named by its file (it has no version information), in the case the listing gives it.
    EXPECT_EQ("E2EHELPER.DLL", Upper(ItemText(alert, 100)));
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, button)));
    for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
        Sleep(100);
    return true;
}

TEST_F(Watch, NewBrowserHelperIsAskedAboutRemovedOnNoAndAskedAgainWhenBack)
{
    AddOns addOns;
    SetOption("IEHelpers", "1");
    SetOption("HideIEHelper", "0");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    addOns.AddHelper();
    VerifyTurn(monitor);
    ASSERT_TRUE(Answer("Internet Explorer Add-On", IDNO));
    bool gone = false;
    for (int wait = 0; wait < 50 && !(gone = !KeyThere(HKEY_LOCAL_MACHINE, AddOns::HelperKey()));
         ++wait)
        Sleep(100);
    EXPECT_TRUE(gone);
    const std::string history = ReadWholeFile(ProgramOutput("history.txt"));
    EXPECT_NE(std::string::npos, history.find("IEHELPER_Alert\tTYPE_BHO\t")) << history;
    EXPECT_NE(std::string::npos, history.find("IEHELPER_Remove\tTYPE_BHO\te2ehelper.dll\t"))
        << history;

    // Not approved: back again, it is asked about again (the halves take turns: two turns make
    // a first half), and Yes keeps it.
    addOns.AddHelper();
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    ASSERT_TRUE(Answer("Internet Explorer Add-On", IDYES));
    EXPECT_EQ("900", ReadValue("Software\\Orvanto\\Sentrovia\\IEHelpers", "e2ehelper.dll"));
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
    SetOption("IEHelpers", "2");
}

TEST_F(Watch, NewActiveXControlAnsweredNoGetsItsKillBitAndIsNotAskedAgain)
{
    AddOns addOns;
    SetOption("ActiveX", "1");
    SetOption("HideActiveX", "0");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    addOns.AddControl();
    VerifyTurn(monitor);
    ASSERT_TRUE(Answer("ActiveX", IDNO));
    DWORD flags = 0, size = sizeof flags;
    for (int wait = 0; wait < 50; ++wait, Sleep(100))
        if (RegGetValueA(HKEY_LOCAL_MACHINE, AddOns::CompatibilityKey().c_str(),
                         "Compatibility Flags", RRF_RT_REG_DWORD, nullptr, &flags,
                         &size) == ERROR_SUCCESS)
            break;
    EXPECT_EQ(0x400u, flags);
    // It was written to the approved controls before it was asked about.
    EXPECT_EQ("1200", ReadValue("Software\\Orvanto\\Sentrovia\\ActiveX", kControlClass));
    VerifyTurn(monitor);
    VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
    SetOption("ActiveX", "4");
}

// ---------------------------------------------------------------- delayed start

// A program moved to delayed start that puts itself back into HKCU Run is asked about with the
// delayed-program alert; Disable keeps it delayed and takes it out of the Run key again.
TEST_F(Watch, ADelayedProgramThatComesBackStaysDelayedOnDisable)
{
    ScratchFolder programs("programs");
    const std::string file = programs.File("comeback.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), file.c_str(), FALSE));
    char agent[MAX_PATH];
    GetLongPathNameA(file.c_str(), agent, sizeof agent);
    const std::string command = std::string(agent) + " 60000";
    // As the Explorer leaves a moved program: its registration (a delay the test outlasts) and
    // its approval as delayed.
    const std::string delay = std::string(kProduct) + "\\Delay";
    auto set = [](const std::string &key, const char *name, const std::string &value) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                        static_cast<DWORD>(value.size() + 1));
    };
    set(delay, agent, "11");
    set(delay + "\\Time", agent, "3600");
    set(delay + "\\Parameters", agent, " 60000");
    set(delay + "\\Title", agent, "e2e comeback");
    set(kBaseline, command.c_str(), "1103");

    RunningProgram monitorProgram(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    RegAdd("e2e comeback", command);
    VerifyTurn(monitor);
    HWND alert = WaitForWindow("#32770", "This Program doesn't want to be Delayed", 15000);
    ASSERT_NE(nullptr, alert);
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDNO)));
    std::string value;
    for (int wait = 0; wait < 50 && (value = ReadValue(kUserRun, "e2e comeback")) != "<missing>";
         ++wait)
        Sleep(100);
    EXPECT_EQ("<missing>", value);
    EXPECT_EQ("11", ReadValue(delay.c_str(), agent)) << "still delayed";
    RunToEnd(monitor_, "-Q");
    ASSERT_TRUE(WaitForNoWindow("Sentrovia", 5000));

    // Out of the prefix again: enabled back into Run, then gone with its registration.
    if (IsEntryDisabled("e2e comeback"))
        ToggleStartupEntry("e2e comeback", command.c_str(), "", 11);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, "e2e comeback");
    for (const char *key : {"", "\\Time", "\\Parameters", "\\Title"})
        RegDeleteKeyValueA(HKEY_CURRENT_USER, (delay + key).c_str(), agent);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, command.c_str());
}

// ---------------------------------------------------------------- hidden files

// A hidden file new in the temporary folder (one level down, where this test's scratch folder
// is) is asked about; Delete takes it into the vault with its record, and the history viewer's
// restore gives it back whole and hidden.
TEST_F(Watch, NewHiddenFileIsDeletedIntoTheVaultAndTheHistoryPutsItBack)
{
    SetOption("Hidden", "1");
    SetOption("HideHidden", "0");
    ScratchFolder folder("e2ehidden");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    // The files there before the Monitor looked are the baseline's.
    for (int wait = 0; wait < 100 && ReadValue(kHiddenSnapshot, "") != "P"; ++wait)
        Sleep(50);
    ASSERT_EQ("P", ReadValue(kHiddenSnapshot, ""));

    const std::string content = "hidden payload";
    const std::string file = folder.Write("e2e-hidden.dat", content);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    char listed[MAX_PATH];
    GetLongPathNameA(file.c_str(), listed, sizeof listed);
    VerifyTurn(monitor);
    HWND alert = WaitForWindow("#32770", "Sentrovia Hidden File Alert", 15000);
    ASSERT_NE(nullptr, alert);
    EXPECT_EQ("e2e-hidden.dat", ItemText(alert, IDC_ALERT_NAME));
    EXPECT_EQ(Upper(listed), Upper(ItemText(alert, IDC_ALERT_PATH)));
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDNO)));
    for (int wait = 0; wait < 100 && GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
         ++wait)
        Sleep(100);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    RunToEnd(monitor_, "-Q");
    ASSERT_TRUE(WaitForNoWindow("Sentrovia", 5000));

    const int count = LoadHistory();
    ASSERT_GE(count, 2);
    char title[128], path[512];
    EntryTitle(count - 2, title, sizeof title);
    EXPECT_EQ(28, EntryExtra(count - 2));  // HIDDEN_Alert
    EXPECT_EQ("e2e-hidden.dat", std::string(title));
    EntryTitle(count - 1, title, sizeof title);
    EntryPath(count - 1, path, sizeof path);
    EXPECT_EQ(29, EntryExtra(count - 1));  // *HIDDEN_DeleteFile
    EXPECT_EQ(370, EntryKind(count - 1));
    EXPECT_EQ("e2e-hidden.dat", std::string(title));
    EXPECT_EQ(Upper(listed), Upper(path));
    ASSERT_EQ(1, CanRestoreHistoryEvent(count - 1));
    ASSERT_EQ(1, RestoreHistoryEvent(count - 1));
    EXPECT_EQ(content, ReadWholeFile(file));
    EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE("<missing>", ReadValue(kHiddenSnapshot, listed));
    ClearEntryList();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kHiddenSnapshot, listed);
}

// ---------------------------------------------------------------- cookies

// With the new-cookie check on, new Internet Explorer cookie files bring one question on each
// due check, however many there are; No leaves them new, so the next check asks again.
TEST_F(Watch, NewCookiesBringOneQuestionOnEachDueCheck)
{
    ScratchFolder cookies("e2ecookies");
    cookies.Write("index.dat", "");
    const std::string folder = cookies.path() + "\\";
    RegSetKeyValueA(HKEY_CURRENT_USER, kProduct, "IECookieFolder", REG_SZ, folder.c_str(),
                    static_cast<DWORD>(folder.size() + 1));
    SetOption("Cookies", "1");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    cookies.Write("user@one.example[1].txt", "c");
    cookies.Write("user@two.example[1].txt", "c");
    for (int check = 0; check < 2; ++check) {
        SCOPED_TRACE(check);
        HWND box = nullptr;
        for (int turn = 0; turn < 4 && box == nullptr; ++turn) {
            VerifyTurn(monitor);
            box = WaitForWindow("#32770", "Sentrovia", 3000);
        }
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(0u, ItemText(box, 0xFFFF).find("Brisko has noticed you have new cookies"))
            << ItemText(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
        for (int wait = 0; wait < 50 && IsWindow(box); ++wait)
            Sleep(100);
        EXPECT_EQ(nullptr, WaitForWindow("#32770", "Sentrovia", 1500)) << "one question a check";
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProduct, "IECookieFolder");
}

// ---------------------------------------------------------------- services

// A service of the tests' own, installed and started with Wine's sc.exe as an installer would,
// and taken out again when it goes.
class InstalledService {
public:
    InstalledService(const char *key, const char *title)
        : programs_("programs"), key_(key), title_(title)
    {
        const std::string program = programs_.File("e2eservice.exe");
        EXPECT_TRUE(CopyFileA(BuildFile("fixture_service.exe").c_str(), program.c_str(), FALSE));
        Sc("create " + key_ + " binPath= \"" + program + "\" DisplayName= \"" + title_ +
           "\" start= demand");
        Sc("start " + key_);
    }
    ~InstalledService()
    {
        Sc("stop " + key_, false);
        Sc("delete " + key_, false);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Services",
                           title_.c_str());
    }
    InstalledService(const InstalledService &) = delete;
    InstalledService &operator=(const InstalledService &) = delete;

    // The state the service control manager gives it (SERVICE_RUNNING, ...); 0 when unknown.
    DWORD State() const
    {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
        SC_HANDLE service =
            manager != nullptr ? OpenServiceA(manager, key_.c_str(), SERVICE_QUERY_STATUS) : nullptr;
        SERVICE_STATUS status{};
        const bool known = service != nullptr && QueryServiceStatus(service, &status);
        if (service != nullptr)
            CloseServiceHandle(service);
        if (manager != nullptr)
            CloseServiceHandle(manager);
        return known ? status.dwCurrentState : 0;
    }
    DWORD Start() const
    {
        DWORD start = 0, size = sizeof start;
        RegGetValueA(HKEY_LOCAL_MACHINE,
                     ("SYSTEM\\CurrentControlSet\\Services\\" + key_).c_str(), "Start",
                     RRF_RT_REG_DWORD, nullptr, &start, &size);
        return start;
    }
    const std::string &title() const { return title_; }

private:
    static void Sc(const std::string &arguments, bool expectDone = true)
    {
        char system[MAX_PATH];
        GetSystemDirectoryA(system, sizeof system);
        const DWORD code = RunToEnd(std::string(system) + "\\sc.exe", arguments);
        if (expectDone) {
            EXPECT_EQ(0u, code) << arguments;
        }
    }
    ScratchFolder programs_;
    std::string key_;
    std::string title_;
};

// Second-half turns until an alert of the second half shows; it is answered with the command.
bool AnswerSecondHalf(HWND monitor, int command)
{
    for (int turn = 0; turn < 4; ++turn) {
        VerifyTurnOf(monitor);
        if (HWND alert = WaitForWindow("#32770", kAlertCaption, 3000)) {
            PostMessageA(alert, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(alert, command)));
            for (int wait = 0; wait < 50 && IsWindow(alert); ++wait)
                Sleep(100);
            return true;
        }
    }
    return false;
}

TEST_F(Watch, NewServiceAnsweredNoOrEscapeIsStoppedDisabledAndRecorded)
{
    SetOption("Services", "1");
    SetOption("HideServices", "0");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    const std::string key = "e2eservice" + std::to_string(GetCurrentProcessId());
    for (int command : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(command);
        const std::string suffix = command == IDNO ? "1" : "2";
        InstalledService service((key + suffix).c_str(), ("E2E Orbit Service " + suffix).c_str());
        ASSERT_EQ(static_cast<DWORD>(SERVICE_RUNNING), service.State());
        ASSERT_TRUE(AnswerSecondHalf(monitor, command));
        DWORD state = 0;
        for (int wait = 0; wait < 50 && (state = service.State()) != SERVICE_STOPPED; ++wait)
            Sleep(100);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state);
        EXPECT_EQ(4u, service.Start());
        const std::string history = ReadWholeFile(ProgramOutput("history.txt"));
        for (int action : {kActionServiceFromManual, kActionServiceStop, kActionServiceDisabled}) {
            const std::string line = std::string("\t") + ActionNameOf(action) + "\tSERVICE_EXE\t" +
                                     service.title() + "\t";
            EXPECT_NE(std::string::npos, history.find(line)) << line << "\n" << history;
        }
    }
    SetOption("Services", "14");
}

// A task another program adds through the scheduler's own interface is asked about on the
// second half; No deletes it (kept and recorded) and forgets it, Yes approves it for good.
TEST_F(Watch, NewScheduledTaskIsDeletedOnNoAndApprovedForGoodOnYes)
{
    ASSERT_TRUE(SchedulerRunning());
    SetOption("Tasks", "1");
    SetOption("HideTasks", "0");
    ScratchTasks tasks("snte2e");
    const std::string name = tasks.Name("Updater");
    const std::string job = name + ".job";
    const std::string program = BuildFile("fixture_sleeper.exe");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    ASSERT_EQ(0u, RunToEnd(BuildFile("fixture_task.exe"), "\"" + name + "\" \"" + program + "\""));
    ASSERT_TRUE(JobTaskExists(name));
    ASSERT_TRUE(AnswerSecondHalf(monitor, IDNO));
    bool gone = false;
    for (int wait = 0; wait < 50 && !(gone = !JobTaskExists(name)); ++wait)
        Sleep(100);
    EXPECT_TRUE(gone);
    EXPECT_EQ("<missing>", ReadValue(kTaskSnapshot, job));
    const std::string history = ReadWholeFile(ProgramOutput("history.txt"));
    EXPECT_NE(std::string::npos, history.find("\tTASK_Alert\tTASK_SCHEDULED\t")) << history;
    EXPECT_NE(std::string::npos,
              history.find("\tScheduledTask_Remove\tTASK_SCHEDULED\t" + job + "\t"))
        << history;

    // Back again, it is asked about again; Yes keeps it and it is not asked about after.
    ASSERT_EQ(0u, RunToEnd(BuildFile("fixture_task.exe"), "\"" + name + "\" \"" + program + "\""));
    ASSERT_TRUE(AnswerSecondHalf(monitor, IDYES));
    // The answer is carried out once the alert has gone.
    std::string approval;
    for (int wait = 0; wait < 50 && (approval = ReadValue(kTaskSnapshot, job)) != "800"; ++wait)
        Sleep(100);
    EXPECT_EQ("800", approval);
    EXPECT_TRUE(JobTaskExists(name));
    for (int turn = 0; turn < 2; ++turn)
        VerifyTurn(monitor);
    EXPECT_EQ(nullptr, WaitForWindow("#32770", kAlertCaption, 2000));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kTaskSnapshot, job.c_str());
    SetOption("Tasks", "11");
}

// Another program changes which program opens .txt: the Monitor shows both commands, No writes
// the approved one back, and with file types locked it is put back without a question.
TEST_F(Watch, ChangedFileTypeIsShownWithBothCommandsAndPutBack)
{
    const std::string key = "HKLM\\Software\\Classes\\txtfile\\shell\\open\\command";
    char approved[512] = "";
    DWORD size = sizeof approved;
    ASSERT_EQ(ERROR_SUCCESS,
              RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell\\open\\command",
                           nullptr, RRF_RT_REG_SZ, nullptr, approved, &size));
    const auto command = [] {
        char text[512] = "";
        DWORD length = sizeof text;
        RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell\\open\\command",
                     nullptr, RRF_RT_REG_SZ, nullptr, text, &length);
        return std::string(text);
    };
    SetOption("FileType", "1");
    SetOption("HideFileType", "0");
    SetOption("LockFileTypes", "0");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);
    const std::string hijack = "C:\\hijack\\viewer.exe %1";
    Reg("add \"" + key + "\" /ve /d \"" + hijack + "\" /f");

    HWND alert = nullptr;
    for (int turn = 0; turn < 4 && alert == nullptr; ++turn) {
        VerifyTurn(monitor);
        alert = WaitForWindow("#32770", "Sentrovia File Type Change Alert", 3000);
    }
    ASSERT_NE(nullptr, alert);
    EXPECT_EQ(approved, ItemText(alert, 1113));
    EXPECT_EQ(hijack, ItemText(alert, 1117));
    EXPECT_EQ(".TXT", Upper(ItemText(alert, 1121)));
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDNO)));
    std::string now;
    for (int wait = 0; wait < 50 && (now = command()) != approved; ++wait)
        Sleep(100);
    EXPECT_EQ(approved, now);

    // Locked: put back on the next look, and nobody is asked.
    SetOption("LockFileTypes", "1");
    SetOption("Update", "1");
    Reg("add \"" + key + "\" /ve /d \"" + hijack + "\" /f");
    for (int turn = 0; turn < 4 && (now = command()) != approved; ++turn)
        VerifyTurn(monitor);
    EXPECT_EQ(approved, now);
    EXPECT_EQ(nullptr, FindWindowA("#32770", "Sentrovia File Type Change Alert"));
    SetOption("LockFileTypes", "0");
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell\\open\\command",
                    nullptr, REG_SZ, approved, static_cast<DWORD>(strlen(approved) + 1));
}

// Another program adds a line to HOSTS: the Monitor, told it runs on Windows 10, shows the File
// Change Alert, and Reject puts the saved copy back byte for byte.
TEST_F(Watch, HostsFileChangedIsAlertedAndRejectPutsItBackExactly)
{
    // The prefix reports Windows 7 (6.x, where the watch is off); this program is told Windows 10.
    const char appDefaults[] = "Software\\Wine\\AppDefaults\\Sentrovia.exe";
    RegSetKeyValueA(HKEY_CURRENT_USER, appDefaults, "Version", REG_SZ, "win10", 6);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    const std::string hosts = std::string(system) + "\\drivers\\etc\\hosts";
    const std::string original = ReadWholeFile(hosts);
    ASSERT_FALSE(original.empty());
    SetOption("HostFile", "1");
    RunningProgram running(monitor_, "");
    HWND monitor = StartedMonitor();
    ASSERT_NE(nullptr, monitor);

    {
        HANDLE out = CreateFileA(hosts.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, out);
        const char line[] = "10.0.0.66 www.bank.example\r\n";
        DWORD written = 0;
        WriteFile(out, line, sizeof line - 1, &written, nullptr);
        // A day later, so the date text differs whatever the clock's minute.
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER later{{now.dwLowDateTime, now.dwHighDateTime}};
        later.QuadPart += 24ull * 3600 * 10000000;
        FILETIME time{later.LowPart, later.HighPart};
        SetFileTime(out, nullptr, nullptr, &time);
        CloseHandle(out);
    }
    HWND alert = nullptr;
    for (int turn = 0; turn < 4 && alert == nullptr; ++turn) {
        VerifyTurn(monitor);
        alert = WaitForWindow("#32770", "Sentrovia: File Change Alert", 3000);
    }
    EXPECT_NE(nullptr, alert);
    if (alert != nullptr) {
        EXPECT_EQ("HOSTS", ItemText(alert, 1175));
        PostMessageA(alert, WM_COMMAND, MAKEWPARAM(1173, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(alert, 1173)));
    }
    std::string now;
    for (int wait = 0; wait < 50 && (now = ReadWholeFile(hosts)) != original; ++wait)
        Sleep(100);
    EXPECT_EQ(original, now);
    // Whatever happened, the prefix keeps its own file and version.
    if (now != original) {
        HANDLE out = CreateFileA(hosts.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                 nullptr);
        DWORD written = 0;
        WriteFile(out, original.data(), static_cast<DWORD>(original.size()), &written, nullptr);
        CloseHandle(out);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults);
    SetOption("HostFile", "3");
}

} // namespace

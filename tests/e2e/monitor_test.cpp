// The real Monitor: single instance, hand-over, exit question and the information verb.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "programs.h"
#include "scratch.h"

namespace {

constexpr char kOptions[] = "Software\\Orvanto\\Sentrovia\\Options";
constexpr char kMonitorClass[] = "Sentrovia";

void SetOption(const char *name, const char *value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kOptions, name, REG_SZ, value,
                    static_cast<DWORD>(strlen(value) + 1));
}

class MonitorProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitForNoWindow(kMonitorClass, 5000)) << "a Monitor is already running";
        SetOption("ConfirmExit", "0");
    }
    void TearDown() override
    {
        SetOption("ConfirmExit", "0");
        EndRunningPrograms();
    }
    const std::string monitor_ = ProgramFile("Sentrovia.exe");
};

// The tray calls the Monitor made, as its trace lists them, in order.
std::vector<std::string> TrayCallsTraced(const std::string &log)
{
    std::vector<std::string> calls;
    std::vector<char> section(1 << 16);
    DWORD length = GetPrivateProfileSectionA("Trace", section.data(),
                                             static_cast<DWORD>(section.size()), log.c_str());
    for (const char *line = section.data(); line < section.data() + length && *line != '\0';
         line += strlen(line) + 1) {
        const char *call = strstr(line, "TRAY: ");
        if (call != nullptr)
            calls.push_back(call + 6);
    }
    return calls;
}

TEST_F(MonitorProgram, TrayIconHiddenAndShownFromTheOptionsComesBack)
{
    const std::string log = ProgramOutput("send2ov.txt");
    DeleteFileA(log.c_str());
    SetOption("Debug", "1");
    RunningProgram running(monitor_, "");
    HWND monitor = WaitForWindow(kMonitorClass, nullptr, 10000);
    ASSERT_NE(nullptr, monitor);
    // The window comes before the options are loaded: a value stored before that would be the
    // Monitor's from its start, and its icon never shown at all.
    for (int wait = 0; wait < 100 && ReadWholeFile(log).find("From Initialize to Post") ==
                                         std::string::npos;
         ++wait)
        Sleep(50);

    // What the Options page does: store the value (asking for a reload), then tell the Monitor.
    SetOption("HideBrisko", "1");
    SetOption("Update", "1");
    PostMessageA(monitor, WM_COMMAND, 6053, 1);
    // Verify passes take the stored value in.
    for (int turn = 0; turn < 2; ++turn) {
        Sleep(1100);
        for (int tick = 0; tick < 17; ++tick)
            PostMessageA(monitor, WM_TIMER, 1, 0);
    }
    char update[8] = "";
    for (int wait = 0; wait < 50 && strcmp(update, "0") != 0; ++wait) {
        Sleep(100);
        DWORD size = sizeof update;
        RegGetValueA(HKEY_CURRENT_USER, kOptions, "Update", RRF_RT_REG_SZ, nullptr, update, &size);
    }
    ASSERT_STREQ("0", update) << "the options were not reloaded";
    SetOption("HideBrisko", "0");
    SetOption("Update", "1");
    // Exit through the window itself: a "-Q" copy would trace into the same file, and two
    // processes writing one profile file can drop each other's lines.
    PostMessageA(monitor, WM_COMMAND, 6053, 0);
    PostMessageA(monitor, WM_COMMAND, 6030, 0);
    EXPECT_TRUE(running.WaitForEnd(10000));
    SetOption("Debug", "0");

    const std::vector<std::string> calls = TrayCallsTraced(log);
    ASSERT_GE(calls.size(), 2u);
    auto hidden = std::find(calls.begin(), calls.end(), "Delete icon");
    ASSERT_NE(calls.end(), hidden);
    EXPECT_NE(calls.end(), std::find(hidden, calls.end(), "Add icon"))
        << "never shown again; traced: " << ::testing::PrintToString(calls) << "\n"
        << ReadWholeFile(log);
    DeleteFileA(log.c_str());
}

TEST_F(MonitorProgram, SecondCopyHandsOverAndEnds)
{
    RunningProgram first(monitor_, "");
    ASSERT_NE(nullptr, WaitForWindow(kMonitorClass, nullptr, 10000));

    // -NoOpen: the second copy ends at once and leaves the first alone.
    DWORD exitCode = 0xdeadbeef;
    RunningProgram quiet(monitor_, "-NoOpen");
    EXPECT_TRUE(quiet.WaitForEnd(10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(first.WaitForEnd(500));

    // -Q: the first copy receives the exit request.
    EXPECT_EQ(0u, RunToEnd(monitor_, "-q"));
    EXPECT_TRUE(first.WaitForEnd(10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(WaitForNoWindow(kMonitorClass, 2000));

    // -Q with no Monitor running starts nothing.
    EXPECT_EQ(0u, RunToEnd(monitor_, "-Q"));
    EXPECT_EQ(nullptr, FindWindowA(kMonitorClass, nullptr));
}

// Running copies of the Monitor's program file, counted from the process list.
int MonitorsRunning()
{
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process))
        if (_stricmp(process.szExeFile, "Sentrovia.exe") == 0)
            ++count;
    CloseHandle(snapshot);
    return count;
}

TEST_F(MonitorProgram, CopiesStartedTogetherLeaveExactlyOneRunning)
{
    // Made suspended and let go at once, so that none has a window when the others look.
    constexpr int kCopies = 12;
    PROCESS_INFORMATION copies[kCopies]{};
    std::string line = "\"" + monitor_ + "\" -NoOpen";
    for (PROCESS_INFORMATION &copy : copies) {
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(monitor_.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED, nullptr, nullptr, &startup, &copy));
    }
    for (PROCESS_INFORMATION &copy : copies)
        ResumeThread(copy.hThread);
    ASSERT_NE(nullptr, WaitForWindow(kMonitorClass, nullptr, 10000));
    int ended = 0;
    for (int wait = 0; wait < 100 && ended < kCopies - 1; ++wait) {
        Sleep(100);
        ended = 0;
        for (const PROCESS_INFORMATION &copy : copies)
            ended += WaitForSingleObject(copy.hProcess, 0) == WAIT_OBJECT_0 ? 1 : 0;
    }
    Sleep(500);
    EXPECT_EQ(kCopies - 1, ended) << "copies left running";
    EXPECT_EQ(1, MonitorsRunning());
    EndRunningPrograms();
    for (PROCESS_INFORMATION &copy : copies) {
        if (WaitForSingleObject(copy.hProcess, 5000) == WAIT_TIMEOUT)
            TerminateProcess(copy.hProcess, 1);
        CloseHandle(copy.hThread);
        CloseHandle(copy.hProcess);
    }
}

// The instance is the named mutex, not the window: a copy that finds it taken opens no window
// of its own, and takes over when the holder ends before showing one.
TEST_F(MonitorProgram, CopyFindingTheInstanceTakenWaitsAndTakesOverWhenItIsLetGo)
{
    HANDLE held = CreateMutexA(nullptr, FALSE, "Local\\Orvanto.Sentrovia.Monitor");
    ASSERT_NE(nullptr, held);
    ASSERT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    RunningProgram waiting(monitor_, "-NoOpen");
    EXPECT_EQ(nullptr, WaitForWindow(kMonitorClass, nullptr, 1500)) << "a second instance ran";
    CloseHandle(held);
    EXPECT_NE(nullptr, WaitForWindow(kMonitorClass, nullptr, 10000)) << "it did not take over";
    EXPECT_FALSE(waiting.WaitForEnd(0));
}

TEST_F(MonitorProgram, AnsweringNoToTheExitQuestionKeepsItRunning)
{
    SetOption("ConfirmExit", "1");
    RunningProgram first(monitor_, "");
    ASSERT_NE(nullptr, WaitForWindow(kMonitorClass, nullptr, 10000));
    EXPECT_EQ(0u, RunToEnd(monitor_, "-Q"));

    HWND question = WaitForWindow("#32770", "Sentrovia", 10000);
    ASSERT_NE(nullptr, question);
    HWND no = GetDlgItem(question, IDNO);
    ASSERT_NE(nullptr, no);
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
    EXPECT_FALSE(first.WaitForEnd(1500));
    EXPECT_NE(nullptr, FindWindowA(kMonitorClass, nullptr));

    // Yes lets it go.
    EXPECT_EQ(0u, RunToEnd(monitor_, "-Q"));
    question = WaitForWindow("#32770", "Sentrovia", 10000);
    ASSERT_NE(nullptr, question);
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    EXPECT_TRUE(first.WaitForEnd(10000));
}

TEST_F(MonitorProgram, ProgramFileOnTheCommandLineGoesToTheLookupOnly)
{
    // The stand-in browser answers for web addresses while this test runs.
    const std::string browser = ProgramFile("fixture_browser.exe");
    const std::string record = ProgramOutput("fixture_browser.txt");
    DeleteFileA(record.c_str());
    const std::string command = "\"" + browser + "\" \"%1\"";
    for (const char *scheme : {"http", "https"})
        RegSetKeyValueA(HKEY_CLASSES_ROOT, (std::string(scheme) + "\\shell\\open\\command").c_str(),
                        nullptr, REG_SZ, command.c_str(), static_cast<DWORD>(command.size() + 1));

    RunningProgram lookup(monitor_, "C:\\windows\\notepad.exe");
    DWORD exitCode = 0xdeadbeef;
    EXPECT_TRUE(lookup.WaitForEnd(15000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(nullptr, FindWindowA(kMonitorClass, nullptr));

    std::string opened;
    for (int wait = 0; wait < 100 && opened.empty(); ++wait) {
        Sleep(100);
        std::ifstream in(record);
        std::stringstream text;
        text << in.rdbuf();
        opened = text.str();
    }
    EXPECT_NE(std::string::npos, opened.find("?program=notepad.exe")) << opened;
    EXPECT_NE(std::string::npos, opened.find("&Type=460")) << opened;
    EXPECT_NE(std::string::npos, opened.find("&ext=exe")) << opened;
    DeleteFileA(record.c_str());
}

} // namespace

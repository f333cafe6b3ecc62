// The real Monitor: single instance, hand-over, exit question and the information verb.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "programs.h"

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
    const std::string monitor_ = BuildFile("Sentrovia.exe");
};

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
    const std::string browser = BuildFile("fixture_browser.exe");
    const std::string record = BuildFile("fixture_browser.txt");
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

#include "processes.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "files.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "programs.h"
#include "regsandbox.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

// A copy of the sleeper named for this test process, so that no other test's processes match.
class Processes : public ::testing::Test {
protected:
    void SetUp() override
    {
        name_ = "sleeper" + std::to_string(GetCurrentProcessId()) + ".exe";
        sleeper_ = scratch_.File(name_);
        ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), sleeper_.c_str(), FALSE));
    }
    void TearDown() override { ClearEntryList(); }
    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    std::string name_, sleeper_;
};

// Each box the code shows, answered from g_answer.
struct Box {
    std::string text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int g_answer = IDNO;

int ScriptedAnswer(const char *text, const char *caption, UINT type)
{
    g_boxes.push_back({text, caption, type});
    return g_answer;
}

// The history goes to the scratch folder, and every question to the script.
class StopProgram : public Processes {
protected:
    void SetUp() override
    {
        Processes::SetUp();
        g_boxes.clear();
        g_answer = IDNO;
        previous_ = SetMessageResponder(ScriptedAnswer);
        override_.programFolder = scratch_.path().c_str();
        override_.localTime = &clock_;
        SetPlatformOverride(&override_);
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        SetMessageResponder(previous_);
        TheSettings() = Settings{};
        Processes::TearDown();
    }
    std::string History() const { return ReadWholeFile(scratch_.File("history.txt")); }
    static std::string Question(const std::string &name)
    {
        char text[1024];
        LoadText(IDS_STOP_RUNNING_PROGRAM, text);
        std::string question = text;
        return question.replace(question.find("%s"), 2, name);
    }
    static std::string Caption()
    {
        char caption[64];
        ProgramCaption(caption, sizeof caption);
        return caption;
    }

    MessageResponder previous_ = nullptr;
    SYSTEMTIME clock_ = {2026, 12, 0, 6, 12, 5, 0, 0};
    PlatformOverride override_;
};

TEST_F(Processes, CopiesOfOneProgramGiveOneEntry)
{
    RunningProgram first(sleeper_, "20000");
    RunningProgram second(sleeper_, "20000");
    RunningProgram third(sleeper_, "20000");
    Sleep(300);
    char clean[MAX_PATH];
    CleanPath(sleeper_.c_str(), clean, sizeof clean);

    int count = EnumerateRunningPrograms();
    EXPECT_EQ(count, EntryCount());
    int matches = 0;
    for (int i = 0; i < count; ++i) {
        char path[MAX_PATH];
        EntryPath(i, path, sizeof path);
        EXPECT_EQ(kRunningProgramKind, EntryKind(i));
        if (lstrcmpiA(path, clean) != 0)
            continue;
        ++matches;
        DWORD id = static_cast<DWORD>(EntryExtra(i));
        EXPECT_TRUE(id == first.id() || id == second.id() || id == third.id()) << id;
    }
    EXPECT_EQ(1, matches);
    EXPECT_GE(CountProcesses(), 3);
}

TEST_F(Processes, FindsAndEndsTheProcessOfAProgram)
{
    RunningProgram sleeper(sleeper_, "20000");
    Sleep(300);
    EXPECT_EQ(sleeper.id(), FindProcessForFile(("\"" + sleeper_ + "\" 20000").c_str()));
    EXPECT_EQ(sleeper.id(), FindProcessForFile(name_.c_str()));
    EXPECT_EQ(0u, FindProcessForFile("C:\\nowhere\\not_running.exe"));
    EXPECT_EQ(0u, FindProcessForFile(""));

    EXPECT_NE(0, EndProcess(sleeper.id()));
    EXPECT_TRUE(sleeper.WaitForEnd(5000));
    EXPECT_EQ(0u, FindProcessForFile(sleeper_.c_str()));
    EXPECT_EQ(0, EndProcess(0xFFFFFFF0u));
}

TEST_F(StopProgram, NothingRunningShowsNothingAndAnswersZero)
{
    g_answer = IDYES;
    EXPECT_EQ(0u, OfferToStopProgram(sleeper_.c_str(), "Sleeper", 1));
    EXPECT_EQ(0u, OfferToStopProgram("C:\\nowhere\\not_running.exe", "", 1));
    EXPECT_EQ(0u, OfferToStopProgram("", "", 0));
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ("", History());
}

TEST_F(StopProgram, AnsweringNoLeavesTheProgramRunning)
{
    RunningProgram sleeper(sleeper_, "20000");
    Sleep(300);
    EXPECT_EQ(sleeper.id(), OfferToStopProgram(sleeper_.c_str(), "Sleeper 100% sure", 1));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(Question("Sleeper 100% sure"), g_boxes[0].text);
    EXPECT_EQ(Caption(), g_boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST), g_boxes[0].type);
    EXPECT_FALSE(sleeper.WaitForEnd(0)) << "ended without consent";
    EXPECT_EQ(sleeper.id(), FindProcessForFile(sleeper_.c_str()));
    EXPECT_EQ("", History());
}

TEST_F(StopProgram, AnsweringYesEndsTheProgramNamedByItsPath)
{
    RunningProgram sleeper(sleeper_, "20000");
    Sleep(300);
    g_answer = IDYES;
    EXPECT_EQ(sleeper.id(), OfferToStopProgram(sleeper_.c_str(), "", 1));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(Question(sleeper_), g_boxes[0].text);
    EXPECT_TRUE(sleeper.WaitForEnd(5000));
    EXPECT_EQ("12/06/2026  12:05 PM\tTASK_Kill\tINFO_TASK\t\t" + sleeper_ + "\t\r\n", History());
}

TEST_F(StopProgram, WithoutAskingItEndsTheProgramWithTheExitCodeItRead)
{
    RunningProgram sleeper(sleeper_, "20000");
    Sleep(300);
    EXPECT_EQ(sleeper.id(), OfferToStopProgram(sleeper_.c_str(), "Sleeper", 0));
    EXPECT_TRUE(g_boxes.empty());
    DWORD exitCode = 0;
    ASSERT_TRUE(sleeper.WaitForEnd(5000, &exitCode));
    // A running process reads STILL_ACTIVE, and that is the code it ends with.
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), exitCode);
    EXPECT_EQ(0u, FindProcessForFile(sleeper_.c_str()));
    EXPECT_EQ("12/06/2026  12:05 PM\tTASK_Kill\tINFO_TASK\tSleeper\t" + sleeper_ + "\t\r\n",
              History());
}

} // namespace

// Delayed start over a sandboxed registry and scratch Startup folders: moving entries in and back
// exactly, the refusals, the options, and the launcher's steps.
#include "delayed.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "com.h"
#include "entries.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "processes.h"
#include "programs.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"

namespace {

constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kDelay[] = "Software\\Orvanto\\Sentrovia\\Delay";

std::vector<std::string> g_asked;
int g_answer = IDOK;
int Respond(const char *text, const char *, UINT)
{
    g_asked.push_back(text);
    return g_answer;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string DelayValue(HKEY hive, const char *key, const std::string &program)
{
    return ReadStringValue(hive, (std::string(kDelay) + key).c_str(), program.c_str());
}

class Delayed : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        platform_.programFolder = programFolder_.path().c_str();
        SetPlatformOverride(&platform_);
        SetText(HKEY_CURRENT_USER, kShellFolders, "Startup", startup_.path());
        SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", commonStartup_.path());
        g_asked.clear();
        g_answer = IDOK;
        previous_ = SetMessageResponder(Respond);
        ResetDelayedLauncher();
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
        ResetDelayedLauncher();
    }
    // The startup entry with this title, the entry list left as the walk made it; -1 if none.
    static int Index(const char *title)
    {
        for (int i = 0, count = EnumStartupEntries(0); i < count; ++i)
            if (std::string(EntryWholeTitle(i)) == title)
                return i;
        return -1;
    }
    static std::string Approval(const std::string &command)
    {
        return ReadStringValue(HKEY_CURRENT_USER, kRunBaselineKey, command.c_str());
    }
    std::string Program(const std::string &name) const
    {
        return LongForm(CopyFixture(programs_, "fixture_sleeper.exe", name));
    }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_{"program"};
    ScratchFolder programs_{"programs"};
    ScratchFolder startup_{"startup"};
    ScratchFolder commonStartup_{"common"};
    PlatformOverride platform_;
    MessageResponder previous_ = nullptr;
};

TEST_F(Delayed, ARunEntryWithArgumentsGoesAndComesBackExactly)
{
    const std::string program = Program("Night Agent\\agent.exe");
    for (const std::string &command :
         {program + " -tray  --quiet", "\"" + program + "\" /s", program}) {
        SCOPED_TRACE(command);
        SetText(HKEY_CURRENT_USER, kUserRun, "Agent", command);
        const int index = Index("Agent");
        ASSERT_GE(index, 0);
        const std::string listed = EntryWholePath(index);
        ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(index));
        EXPECT_TRUE(g_asked.empty()) << "the user's own entry is moved without a question";
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
        EXPECT_EQ("11", DelayValue(HKEY_CURRENT_USER, "", program));
        EXPECT_EQ("30", DelayValue(HKEY_CURRENT_USER, "\\Time", program));
        EXPECT_EQ("Agent", DelayValue(HKEY_CURRENT_USER, "\\Title", program));
        EXPECT_EQ("1103", Approval(listed));

        ASSERT_EQ(1, EnumDelayedEntries());
        Listed delayed = ListedEntries()[0];
        EXPECT_EQ(Upper(program), Upper(delayed.path));
        delayed.path = program;
        EXPECT_EQ((Listed{"Agent", program, "Agent", "", 11, 1}), delayed);
        ASSERT_EQ(1, RestoreDelayedEntry(0, true));
        EXPECT_EQ(command, ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Agent"));
        EXPECT_EQ("11", Approval(listed));
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kDelay, program.c_str()));
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Time").c_str(),
                                 program.c_str()));
        EXPECT_EQ(0, EnumDelayedEntries());
    }
}

TEST_F(Delayed, AnEntryForEveryUserIsMovedOnlyAfterTheQuestion)
{
    const std::string program = Program("agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kUserRun, "Shared Agent", program + " -all");
    g_answer = IDCANCEL;
    ASSERT_EQ(DelayMove::Declined, MoveToDelayedStart(Index("Shared Agent")));
    ASSERT_EQ(1u, g_asked.size());
    EXPECT_NE(std::string::npos, g_asked[0].find("used by everyone")) << g_asked[0];
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kUserRun, "Shared Agent"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDelay, program.c_str()));

    g_answer = IDOK;
    ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(Index("Shared Agent")));
    EXPECT_EQ("1", DelayValue(HKEY_LOCAL_MACHINE, "", program));
    EXPECT_NE(std::string::npos, DelayValue(HKEY_LOCAL_MACHINE, "\\Parameters", program).find("-all"));
    ASSERT_EQ(1, EnumDelayedEntries());
    EXPECT_EQ(0, EntryExtra(0));
    // Restore All puts it back without a question.
    g_asked.clear();
    EXPECT_EQ(1, RestoreAllDelayed());
    EXPECT_TRUE(g_asked.empty());
    EXPECT_EQ(program + " -all", ReadStringValue(HKEY_LOCAL_MACHINE, kUserRun, "Shared Agent"));
    EXPECT_EQ(0, EnumDelayedEntries());
}

TEST_F(Delayed, AStartupShortcutComesBackAsAShortcutAtItsPlace)
{
    ComScope com;
    const std::string program = Program("Tools\\night.exe");
    const std::string shortcut = startup_.File("Night Agent.lnk");
    MakeShortcut(shortcut, program, "Nightly Agent", "--tray");
    const int index = Index("Nightly Agent");
    ASSERT_GE(index, 0);
    ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(index));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(shortcut.c_str()));
    EXPECT_EQ(shortcut, DelayValue(HKEY_CURRENT_USER, "\\Shortcuts", program));
    ASSERT_EQ(1, EnumDelayedEntries());
    EXPECT_EQ(shortcut, ListedEntries()[0].detail);
    ASSERT_EQ(1, RestoreDelayedEntry(0, true));
    const Shortcut back = ReadShortcut(shortcut);
    EXPECT_EQ(program, back.target);
    EXPECT_EQ("--tray", back.arguments);
}

TEST_F(Delayed, LocationsThatMustStayAndTheMonitorItselfAreRefused)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Sentrovia", "C:\\Tools\\Sentrovia.exe -expressboot");
    ASSERT_EQ(DelayMove::RefusedStop, MoveToDelayedStart(Index("Sentrovia")));
    ASSERT_EQ(1u, g_asked.size());
    EXPECT_NE(std::string::npos, g_asked[0].find("can not be delayed")) << g_asked[0];
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Sentrovia"));
    // A Winlogon hook stands for every such location.
    ASSERT_EQ(1, AddEntry("Shell", "explorer.exe evil.exe", "", "", 251, 0) != 0 ? 1 : 0);
    EXPECT_EQ(DelayMove::Refused, MoveToDelayedStart(EntryCount() - 1));
    EXPECT_EQ(2u, g_asked.size());
}

TEST_F(Delayed, NoTakesTheProgramOutOfDelayedStartWithoutPuttingItBack)
{
    const std::string program = Program("agent.exe");
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", program + " -x");
    const int index = Index("Agent");
    const std::string listed = EntryWholePath(index);
    ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(index));
    ASSERT_EQ(1, EnumDelayedEntries());
    ASSERT_EQ(1, RestoreDelayedEntry(0, false));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ(0, EnumDelayedEntries());
    EXPECT_EQ("<missing>", Approval(listed)) << "back one day, it is a new program";
}

TEST_F(Delayed, OptionsAndAddedProgramsAreWrittenIntoTheirHive)
{
    const std::string program = Program("agent.exe");
    ASSERT_EQ(1, AddDelayedProgram(program.c_str(), false));
    EXPECT_EQ("11", DelayValue(HKEY_CURRENT_USER, "", program));
    EXPECT_EQ("30", DelayValue(HKEY_CURRENT_USER, "\\Time", program));
    ASSERT_EQ(1, AddDelayedProgram(program.c_str(), true));
    EXPECT_EQ("1", DelayValue(HKEY_LOCAL_MACHINE, "", program));
    ASSERT_EQ(1, WriteDelayOptions(HKEY_CURRENT_USER, program.c_str(), 130, 2, "", "My Agent"));
    DelayRegistration registration;
    ASSERT_TRUE(ReadDelayRegistration(HKEY_CURRENT_USER, program.c_str(), registration));
    EXPECT_EQ(130, registration.seconds);
    EXPECT_EQ(2, registration.windowState);
    EXPECT_EQ("My Agent", registration.title);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Parameters").c_str(),
                            program.c_str()));
    EXPECT_EQ(0, WriteDelayOptions(HKEY_CURRENT_USER, "C:\\not\\delayed.exe", 10, 0, "", ""));
    ASSERT_EQ(2, EnumDelayedEntries());
    EXPECT_EQ("agent.exe", ListedEntries()[0].title) << "no title: the file's name";
    EXPECT_EQ("My Agent", ListedEntries()[1].title);
}

// Each registration is started once, on the step of its delay; odd delays start on the next
// step, none or 0 on the first; a running program and a missing one are counted, not started.
TEST_F(Delayed, TheLauncherStartsEachProgramOnceOnItsStep)
{
    const std::string thirty = Program("thirty.exe");
    const std::string forty = Program("forty.exe");
    const std::string odd = Program("odd.exe");
    const std::string zero = Program("zero.exe");
    const std::string missing = programs_.File("missing.exe");
    struct {
        const std::string &program;
        const char *time;
    } registrations[] = {{thirty, "30"}, {forty, "40"}, {odd, "45"}, {zero, "0"}, {missing, "20"}};
    for (const auto &r : registrations) {
        SetText(HKEY_CURRENT_USER, kDelay, r.program.c_str(), "11");
        SetText(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Time").c_str(), r.program.c_str(),
                r.time);
        SetText(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Parameters").c_str(),
                r.program.c_str(), " 20000");
    }
    RunningProgram already(forty, "20000");
    ASSERT_TRUE(already.started());
    auto running = [](const std::string &program) { return FindProcessForFile(program.c_str()); };

    EXPECT_EQ(1, LaunchDueDelayed(10));
    EXPECT_NE(0u, running(zero));
    EXPECT_EQ(2, LaunchDueDelayed(20));
    EXPECT_EQ(0u, running(thirty));
    EXPECT_EQ(3, LaunchDueDelayed(30));
    EXPECT_NE(0u, running(thirty));
    EXPECT_EQ(4, LaunchDueDelayed(40));
    EXPECT_EQ(5, LaunchDueDelayed(50));
    EXPECT_NE(0u, running(odd));
    // Each once: the same steps again start nothing and count nothing more.
    for (int step = 10; step <= 50; step += 10)
        EXPECT_EQ(5, LaunchDueDelayed(step));
    for (const std::string &program : {thirty, odd, zero})
        EndProcess(running(program));
    int forties = 0;
    WalkProcesses(
        [](DWORD, WORD, const char *module, void *context) {
            if (std::string(module).find("forty.exe") != std::string::npos ||
                std::string(module).find("FORTY.EXE") != std::string::npos)
                ++*static_cast<int *>(context);
            return 1;
        },
        &forties);
    EXPECT_EQ(1, forties) << "a running program is not started again";
}

TEST_F(Delayed, ARundll32EntryIsStartedAsTheAppletWithTheLibraryAndItsEntryJoined)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Applet", "RUNDLL32.EXE C:\\Tools\\vfx.dll,Start");
    const int index = Index("Applet");
    ASSERT_GE(index, 0);
    ASSERT_EQ(1, EntryExtra(index));
    ASSERT_EQ(DelayMove::Moved, MoveToDelayedStart(index));
    EXPECT_EQ("RunDLL32.exe", DelayValue(HKEY_CURRENT_USER, "\\Applet", "C:\\Tools\\vfx.dll"));
    EXPECT_EQ(",Start", DelayValue(HKEY_CURRENT_USER, "\\Parameters", "C:\\Tools\\vfx.dll"));
    DelayRegistration registration;
    ASSERT_TRUE(ReadDelayRegistration(HKEY_CURRENT_USER, "C:\\Tools\\vfx.dll", registration));
    // Put back as it stood; a registration without that record is built from its parts.
    EXPECT_EQ("RUNDLL32.EXE C:\\Tools\\vfx.dll,Start",
              DelayedCommand("C:\\Tools\\vfx.dll", registration));
    registration.command.clear();
    EXPECT_EQ("RunDLL32.exe C:\\Tools\\vfx.dll,Start",
              DelayedCommand("C:\\Tools\\vfx.dll", registration));

    // The applet is a program that writes down what it was given.
    const std::string recorder = LongForm(CopyFixture(programs_, "fixture_args.exe", "rec.exe"));
    SetText(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Applet").c_str(), "C:\\Tools\\vfx.dll",
            recorder);
    const std::string out = programs_.File("args.txt");
    SetEnvironmentVariableA("SENTROVIA_ARGS_FILE", out.c_str());
    EXPECT_EQ(1, LaunchDueDelayed(30));
    for (int wait = 0; wait < 100 && ReadWholeFile(out).empty(); ++wait)
        Sleep(50);
    EXPECT_EQ("C:\\TOOLS\\VFX.DLL,Start", ReadWholeFile(out));
    SetEnvironmentVariableA("SENTROVIA_ARGS_FILE", nullptr);
}

} // namespace

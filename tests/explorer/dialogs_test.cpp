#include "dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "dialog_driver.h"
#include "explorer_dialogs.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_actions.h"
#include "startup_helpers.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace dialog_driver;

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

std::string StoredOption(const char *name)
{
    return ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, name);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheSettings() = Settings{};
        for (int id = 0; id < OPT_COUNT; ++id)
            TheSettings().option[id] = OptionDefault(static_cast<OptionId>(id));
    }
    void TearDown() override { TheSettings() = Settings{}; }
    RegistrySandbox sandbox_;
};

// ---------------------------------------------------------------- patrol time

class PatrolTime : public DialogTest {};

int SliderPosition(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATROL_SLIDER, TBM_GETPOS, 0, 0));
}

void MoveSlider(HWND dialog, int position)
{
    HWND slider = GetDlgItem(dialog, IDC_PATROL_SLIDER);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(slider));
}

TEST_F(PatrolTime, OpensWithTheAreaTitleTextsAndValues)
{
    TheSettings().option[OPT_RealtimeStartup] = 1;
    struct {
        std::string title, prompt, unit, hint, box, field;
        int position = -1, low = -1, high = -1, page = -1, limit = -1;
        bool checked = false, boxVisible = false;
    } seen;
    int answer = RunDialog({Do([&](HWND dialog) {
                          seen.title = WindowText(dialog);
                          seen.prompt = ItemText(dialog, IDC_PATROL_PROMPT);
                          seen.unit = ItemText(dialog, IDC_PATROL_UNIT);
                          seen.hint = ItemText(dialog, IDC_PATROL_ZERO_HINT);
                          seen.box = ItemText(dialog, IDC_PATROL_REALTIME);
                          seen.field = ItemText(dialog, IDC_PATROL_FIELD);
                          seen.position = SliderPosition(dialog);
                          HWND slider = GetDlgItem(dialog, IDC_PATROL_SLIDER);
                          seen.low = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
                          seen.high = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
                          seen.page = static_cast<int>(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0));
                          seen.limit = static_cast<int>(
                              SendDlgItemMessageA(dialog, IDC_PATROL_FIELD, EM_GETLIMITTEXT, 0, 0));
                          seen.checked = Checked(dialog, IDC_PATROL_REALTIME);
                          seen.boxVisible =
                              IsWindowVisible(GetDlgItem(dialog, IDC_PATROL_REALTIME)) != FALSE;
                      }),
                      Press(IDOK)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_STARTUP, 7, OPT_RealtimeStartup); });
    EXPECT_EQ("Patrol Time for Startup Programs", seen.title);
    EXPECT_EQ(Text(IDS_PATROL_PROMPT), seen.prompt);
    EXPECT_EQ("minutes.", seen.unit);
    EXPECT_EQ("Set to 0 to disable monitoring.", seen.hint);
    EXPECT_EQ("  Monitor in Real-time", seen.box);
    EXPECT_EQ("7", seen.field);
    EXPECT_EQ(7, seen.position);
    EXPECT_EQ(0, seen.low);
    EXPECT_EQ(30, seen.high);
    EXPECT_EQ(3, seen.page);
    EXPECT_EQ(2, seen.limit);
    EXPECT_TRUE(seen.checked);
    EXPECT_TRUE(seen.boxVisible);
    EXPECT_EQ(7, answer);
}

TEST_F(PatrolTime, FieldAndSliderFollowEachOther)
{
    std::vector<int> positions;
    std::vector<std::string> fields;
    int answer = RunDialog({Do([&](HWND dialog) {
                          MoveSlider(dialog, 12);
                          fields.push_back(ItemText(dialog, IDC_PATROL_FIELD));
                          SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "25");
                          positions.push_back(SliderPosition(dialog));
                          // Beyond the slider's end: the slider stops there, the number stands.
                          SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "45");
                          positions.push_back(SliderPosition(dialog));
                          SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "");
                          positions.push_back(SliderPosition(dialog));
                          MoveSlider(dialog, 0);
                          fields.push_back(ItemText(dialog, IDC_PATROL_FIELD));
                          MoveSlider(dialog, 9);
                          fields.push_back(ItemText(dialog, IDC_PATROL_FIELD));
                      }),
                      Press(IDOK)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_TASKS, 3, kNoRealtime); });
    EXPECT_EQ((std::vector<std::string>{"12", "0", "9"}), fields);
    EXPECT_EQ((std::vector<int>{25, 30, 0}), positions);
    EXPECT_EQ(9, answer);
}

TEST_F(PatrolTime, OkStoresTheRealtimeBoxAndAnswersTheNumber)
{
    TheSettings().option[OPT_RealtimeHidden] = 0;
    int answer = RunDialog({Do([](HWND dialog) {
                          SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "45");
                          CheckDlgButton(dialog, IDC_PATROL_REALTIME, BST_CHECKED);
                      }),
                      Press(IDOK)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_HIDDEN_FILES, 2, OPT_RealtimeHidden); });
    EXPECT_EQ(45, answer);
    EXPECT_EQ(1, Option(OPT_RealtimeHidden));
    EXPECT_EQ("1", StoredOption("RealtimeHidden"));
    EXPECT_EQ("1", StoredOption("Update"));
}

TEST_F(PatrolTime, EmptyFieldAnswersZero)
{
    int answer = RunDialog({Do([](HWND dialog) { SetDlgItemTextA(dialog, IDC_PATROL_FIELD, ""); }),
                      Press(IDOK)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_SERVICES, 7, OPT_RealtimeServices); });
    EXPECT_EQ(0, answer);
}

TEST_F(PatrolTime, CancelAnswersMinusOneAndLeavesTheRealtimeOption)
{
    TheSettings().option[OPT_RealtimeActiveX] = 1;
    int answer = RunDialog({Do([](HWND dialog) {
                          SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "20");
                          CheckDlgButton(dialog, IDC_PATROL_REALTIME, BST_UNCHECKED);
                      }),
                      Press(IDCANCEL)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_ACTIVEX, 4, OPT_RealtimeActiveX); });
    EXPECT_EQ(-1, answer);
    EXPECT_EQ(1, Option(OPT_RealtimeActiveX));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kOptionsKey, "RealtimeActiveX"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kOptionsKey, "Update"));
}

TEST_F(PatrolTime, AreaWithoutRealtimeOptionHidesTheBoxAndStoresNone)
{
    bool visible = true;
    int answer = RunDialog({Do([&](HWND dialog) {
                          visible = IsWindowVisible(GetDlgItem(dialog, IDC_PATROL_REALTIME)) != FALSE;
                      }),
                      Press(IDOK)},
                     [] { return ShowPatrolTimeDialog(nullptr, IDS_PATROL_RESTART_COMMANDS, 5, kNoRealtime); });
    EXPECT_FALSE(visible);
    EXPECT_EQ(5, answer);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionsKey)) << "an option was written";
}

TEST_F(PatrolTime, StoringAnAnswer)
{
    EXPECT_EQ(0, StorePatrolTime(OPT_Start, -1));
    EXPECT_EQ(2, Option(OPT_Start));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionsKey));
    EXPECT_EQ(1, StorePatrolTime(OPT_Start, 0));
    EXPECT_EQ(0, Option(OPT_Start));
    EXPECT_EQ("0", StoredOption("Start"));
    EXPECT_EQ(1, StorePatrolTime(OPT_HostFile, 17));
    EXPECT_EQ(17, Option(OPT_HostFile));
    EXPECT_EQ("17", StoredOption("HostFile"));
    EXPECT_EQ("1", StoredOption("Update"));
}

TEST(PatrolAreas, EachPeriodHasItsRealtimeOption)
{
    const struct {
        OptionId period, realtime;
    } cases[] = {
        {OPT_Start, OPT_RealtimeStartup},     {OPT_IEHelpers, OPT_RealtimeIEHelper},
        {OPT_FileType, OPT_RealtimeFileType}, {OPT_StartPage, OPT_RealtimeStartPage},
        {OPT_HostFile, OPT_RealtimeSysFiles}, {OPT_Hidden, OPT_RealtimeHidden},
        {OPT_Services, OPT_RealtimeServices}, {OPT_ActiveX, OPT_RealtimeActiveX},
        {OPT_Tasks, kNoRealtime},             {OPT_WinInit, kNoRealtime},
        {OPT_Cookies, kNoRealtime},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.realtime, RealtimeOptionOf(c.period)) << OptionName(c.period);
}

// ---------------------------------------------------------------- standing answers

class StandingAnswers : public DialogTest {};

struct Row {
    int check, allow, deny;
    OptionId option;
};
constexpr Row kRows[] = {
    {IDC_HIDE_STARTUP, IDC_HIDE_ALLOW_STARTUP, IDC_HIDE_DENY_STARTUP, OPT_HideStartup},
    {IDC_HIDE_IE, IDC_HIDE_ALLOW_IE, IDC_HIDE_DENY_IE, OPT_HideIEHelper},
    {IDC_HIDE_TASKS, IDC_HIDE_ALLOW_TASKS, IDC_HIDE_DENY_TASKS, OPT_HideTasks},
    {IDC_HIDE_SERVICES, IDC_HIDE_ALLOW_SERVICES, IDC_HIDE_DENY_SERVICES, OPT_HideServices},
    {IDC_HIDE_ACTIVEX, IDC_HIDE_ALLOW_ACTIVEX, IDC_HIDE_DENY_ACTIVEX, OPT_HideActiveX},
    {IDC_HIDE_HIDDEN, IDC_HIDE_ALLOW_HIDDEN, IDC_HIDE_DENY_HIDDEN, OPT_HideHidden},
    {IDC_HIDE_FILETYPE, IDC_HIDE_ALLOW_FILETYPE, IDC_HIDE_DENY_FILETYPE, OPT_HideFileType},
    {IDC_HIDE_SYSFILES, IDC_HIDE_ALLOW_SYSFILES, IDC_HIDE_DENY_SYSFILES, OPT_HideSystemFiles},
    {IDC_HIDE_HOMEPAGE, IDC_HIDE_ALLOW_HOMEPAGE, IDC_HIDE_DENY_HOMEPAGE, OPT_HideHomePage},
};

// A row as drawn: "check allow deny" with each either on, off or disabled ("-").
std::string Drawn(HWND dialog, const Row &row)
{
    std::string text = Checked(dialog, row.check) ? "x" : "o";
    for (int button : {row.allow, row.deny})
        text += !Enabled(dialog, button) ? (Checked(dialog, button) ? "!" : "-")
                                          : (Checked(dialog, button) ? "x" : "o");
    return text;
}

std::vector<std::string> DrawnRows(HWND dialog)
{
    std::vector<std::string> rows;
    for (const Row &row : kRows)
        rows.push_back(Drawn(dialog, row));
    return rows;
}

TEST(StandingAnswerRule, CheckBoxSwitchesBetweenAskAndAllow)
{
    const int cases[][2] = {{-5, 1}, {-1, 1}, {0, 1}, {1, 0}, {2, 0}, {3, 0}, {100, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(c[1], ToggledStandingAnswer(c[0])) << c[0];
}

TEST_F(StandingAnswers, RowsAreDrawnFromTheOptions)
{
    const int values[] = {1, 0, 2, -1, 7, 1, 2, 0, 0};
    for (int index = 0; index < 9; ++index)
        TheSettings().option[kRows[index].option] = values[index];
    std::vector<std::string> drawn;
    std::vector<std::string> names;
    std::string caption, intro, allow, deny;
    int answer = RunDialog({Do([&](HWND dialog) {
                          drawn = DrawnRows(dialog);
                          for (const Row &row : kRows)
                              names.push_back(ItemText(dialog, row.check));
                          caption = WindowText(dialog);
                          intro = ItemText(dialog, IDC_HIDE_INTRO);
                          allow = ItemText(dialog, IDC_HIDE_ALLOW_HEADING);
                          deny = ItemText(dialog, IDC_HIDE_DENY_HEADING);
                      }),
                      Press(IDOK)},
                     [] { return ShowStandingAnswerDialog(nullptr); });
    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ((std::vector<std::string>{"xxo", "o--", "xox", "o--", "o--", "xxo", "xox", "o--",
                                        "o--"}),
              drawn);
    EXPECT_EQ((std::vector<std::string>{"Startup Programs", "IE Helpers (Toolbars/BHO's)",
                                        "Scheduled Tasks", "Services", "ActiveX", "Hidden",
                                        "FileType", "System Files (Host file)",
                                        "Home and Search Pages"}),
              names);
    EXPECT_EQ("Hide Alert Messages", caption);
    EXPECT_EQ(Text(IDS_HIDE_ALERTS_INTRO), intro);
    EXPECT_EQ("Always Allow Changes", allow);
    EXPECT_EQ("Deny All Changes", deny);
}

TEST_F(StandingAnswers, ClicksSetTheOptionsAndRedrawTheRow)
{
    TheSettings().option[OPT_HideServices] = 7;
    std::vector<std::string> startup, services;
    auto look = [&](HWND dialog) {
        startup.push_back(Drawn(dialog, kRows[0]));
        services.push_back(Drawn(dialog, kRows[3]));
    };
    int answer = RunDialog({Press(IDC_HIDE_STARTUP), Do(look), Press(IDC_HIDE_DENY_STARTUP), Do(look),
                      Press(IDC_HIDE_ALLOW_STARTUP), Do(look), Press(IDC_HIDE_DENY_STARTUP),
                      Press(IDC_HIDE_STARTUP), Do(look), Press(IDC_HIDE_SERVICES), Do(look),
                      Press(IDC_HIDE_SERVICES), Do(look),
                      Press(IDOK)},
                     [] { return ShowStandingAnswerDialog(nullptr); });
    EXPECT_EQ(IDOK, answer);
    // Ask, allow on, deny, allow, back to ask (from deny), and a value out of range.
    EXPECT_EQ((std::vector<std::string>{"xxo", "xox", "xxo", "o--", "o--", "o--"}), startup);
    EXPECT_EQ((std::vector<std::string>{"o--", "o--", "o--", "o--", "o--", "xxo"}), services);
    EXPECT_EQ(0, Option(OPT_HideStartup));
    EXPECT_EQ(1, Option(OPT_HideServices));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionsKey)) << "the caller saves, not the dialog";
}

TEST_F(StandingAnswers, CancelPutsEveryRowBack)
{
    TheSettings().option[OPT_HideTasks] = 2;
    int answer = RunDialog({Press(IDC_HIDE_STARTUP), Press(IDC_HIDE_TASKS), Press(IDC_HIDE_ALLOW_HIDDEN),
                      Press(IDCANCEL)},
                     [] { return ShowStandingAnswerDialog(nullptr); });
    EXPECT_EQ(IDCANCEL, answer);
    EXPECT_EQ(0, Option(OPT_HideStartup));
    EXPECT_EQ(2, Option(OPT_HideTasks));
    EXPECT_EQ(0, Option(OPT_HideHidden));
}

// ---------------------------------------------------------------- protection

class Protection : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        // The removal records itself: into a scratch history, not the build's.
        override_.programFolder = folder_.path().c_str();
        SetPlatformOverride(&override_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        SetAdvancedRemovalQuestion(nullptr);
        DialogTest::TearDown();
    }
    ScratchFolder folder_{"protect"};
    PlatformOverride override_;
};

TEST_F(Protection, LineNamesASystemFileByItsCopyright)
{
    const std::string system = CopyFixture(folder_, "vfx_system_copyright.exe", "hook.dll");
    const std::string other = CopyFixture(folder_, "vfx_operating_system.exe", "other.dll");
    char line[256];
    memset(line, 'Z', sizeof line);
    EXPECT_EQ(1, ProtectedEntryLine("Shell Hook", system.c_str(), line, sizeof line));
    EXPECT_STREQ("The file Shell Hook appears to be a valid Microsoft system file.", line);
    EXPECT_EQ(1, ProtectedEntryLine("Other 100%s", other.c_str(), line, sizeof line));
    EXPECT_STREQ("Other 100%s", line);
    EXPECT_EQ(1, ProtectedEntryLine("Missing", folder_.File("none.dll").c_str(), line, sizeof line));
    EXPECT_STREQ("Missing", line);
    // A title with a format sign is put in as it is; a small buffer is cut and terminated.
    EXPECT_EQ(1, ProtectedEntryLine("%d%n", system.c_str(), line, sizeof line));
    EXPECT_STREQ("The file %d%n appears to be a valid Microsoft system file.", line);
    char small[12];
    memset(small, 'Z', sizeof small);
    EXPECT_EQ(0, ProtectedEntryLine("Shell Hook", system.c_str(), small, 10));
    EXPECT_STREQ("The file ", small);
    EXPECT_EQ('Z', small[10]);
}

struct ProtectionSeen {
    std::string caption, text, path, line, box;
    bool topmost = false;
};

Step LookAtProtection(ProtectionSeen &seen)
{
    return Do([&seen](HWND dialog) {
        seen.caption = WindowText(dialog);
        seen.text = ItemText(dialog, IDC_PROTECT_TEXT);
        seen.path = ItemText(dialog, IDC_PROTECT_PATH);
        seen.line = ItemText(dialog, IDC_PROTECT_TITLE);
        seen.box = ItemText(dialog, IDC_PROTECT_CONSENT);
        seen.topmost = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    });
}

TEST_F(Protection, OnlyOkWithTheBoxTickedConsents)
{
    ProtectionSeen seen;
    int refused = RunDialog({LookAtProtection(seen), Press(IDOK)},
                      [] { return AskProtectedRemoval(nullptr, "Agent", "C:\\Hooks\\agent.dll"); });
    EXPECT_EQ(IDNO, refused);
    EXPECT_EQ(Text(IDS_PROTECTED_ENTRY), seen.text);
    EXPECT_EQ("C:\\Hooks\\agent.dll", seen.path);
    EXPECT_EQ("Agent", seen.line);
    EXPECT_EQ(Text(IDS_REALLY_REMOVE), seen.box);
    EXPECT_EQ(Text(IDS_CAPTION), seen.caption);
    EXPECT_TRUE(seen.topmost);

    auto tick = Do([](HWND dialog) { CheckDlgButton(dialog, IDC_PROTECT_CONSENT, BST_CHECKED); });
    EXPECT_EQ(IDYES, RunDialog({tick, Press(IDOK)},
                         [] { return AskProtectedRemoval(nullptr, "Agent", "C:\\a.dll"); }));
    // Escape or the close box is a way out even with the box ticked.
    EXPECT_EQ(IDNO, RunDialog({tick, Press(IDCANCEL)},
                        [] { return AskProtectedRemoval(nullptr, "Agent", "C:\\a.dll"); }));
}

TEST_F(Protection, KeepsItsPlace)
{
    RECT first{};
    RunDialog({Do([&](HWND dialog) {
             SetWindowPos(dialog, nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
             GetWindowRect(dialog, &first);
         }),
         Press(IDOK)},
        [] { return AskProtectedRemoval(nullptr, "Agent", "C:\\a.dll"); });
    EXPECT_EQ("37", ReadStringValue(HKEY_CURRENT_USER, kProductKey, "xDefaultWarning"));
    EXPECT_EQ("41", ReadStringValue(HKEY_CURRENT_USER, kProductKey, "yDefaultWarning"));
    EXPECT_EQ(std::to_string(first.right - first.left),
              ReadStringValue(HKEY_CURRENT_USER, kProductKey, "dxDefaultWarning"));
    EXPECT_EQ(std::to_string(first.bottom - first.top),
              ReadStringValue(HKEY_CURRENT_USER, kProductKey, "dyDefaultWarning"));
    RECT second{};
    RunDialog({Do([&](HWND dialog) { GetWindowRect(dialog, &second); }), Press(IDOK)},
        [] { return AskProtectedRemoval(nullptr, "Agent", "C:\\a.dll"); });
    EXPECT_EQ(37, second.left);
    EXPECT_EQ(41, second.top);
}

TEST_F(Protection, ItIsTheQuestionBeforeAnAdvancedRemoval)
{
    constexpr char kDelayLoad[] =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kDelayLoad, "Agent", "{0000-1111}"));
    UseProtectionDialog();
    int declined = RunDialog({Press(IDOK)}, [] {
        return RemoveAdvancedEntry(nullptr, "Agent", "C:\\Hooks\\agent.dll", "{0000-1111}", 252);
    });
    EXPECT_EQ(0, declined);
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kDelayLoad, "Agent"));

    int removed = RunDialog({Do([](HWND dialog) {
                           CheckDlgButton(dialog, IDC_PROTECT_CONSENT, BST_CHECKED);
                       }),
                       Press(IDOK)},
                      [] {
                          return RemoveAdvancedEntry(nullptr, "Agent", "C:\\Hooks\\agent.dll",
                                                     "{0000-1111}", 252);
                      });
    EXPECT_EQ(1, removed);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDelayLoad, "Agent"));
}

} // namespace

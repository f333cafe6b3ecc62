#include "options_page.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "entries.h"
#include "explorer_dialogs.h"
#include "history.h"
#include "init.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "explorer_art.h"
#include "registry.h"
#include "report_file.h"
#include "regsandbox.h"
#include "sheet.h"
#include "scratch.h"
#include "sysfiles.h"
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

// The boxes the responder was shown.
struct Shown {
    std::string text;
    UINT type;
};
std::vector<Shown> g_shown;
int Answer(const char *text, const char *, UINT type)
{
    g_shown.push_back({text, type});
    return IDOK;
}

// A stand-in Monitor: a window of the Monitor's class that records the commands it is sent.
std::vector<std::pair<WPARAM, LPARAM>> g_monitorCommands;
LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        g_monitorCommands.emplace_back(wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

class OptionsPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        override_.programFolder = scratch_.path().c_str();
        SetPlatformOverride(&override_);
        TheSettings() = Settings{};
        for (int id = 0; id < OPT_COUNT; ++id)
            TheSettings().option[id] = OptionDefault(static_cast<OptionId>(id));
        g_shown.clear();
        g_monitorCommands.clear();
        previous_ = SetMessageResponder(Answer);
    }
    void TearDown() override
    {
        if (sheet_ != nullptr)
            DestroyWindow(sheet_);
        if (monitor_ != nullptr)
            DestroyWindow(monitor_);
        SetMessageResponder(previous_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }

    // A modeless sheet holding the Options page alone; the page's window.
    HWND OpenPage()
    {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        page.hInstance = GetModuleHandleA(nullptr);
        page.pszTemplate = MAKEINTRESOURCEA(IDD_OPTIONS_PAGE);
        page.pfnDlgProc = OptionsPageProc;
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
        header.hInstance = GetModuleHandleA(nullptr);
        header.pszCaption = "Options";
        header.nPages = 1;
        header.ppsp = &page;
        sheet_ = reinterpret_cast<HWND>(PropertySheetA(&header));
        EXPECT_NE(nullptr, sheet_);
        if (sheet_ == nullptr)
            return nullptr;
        Pump();
        return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    // A user's click: an automatic check box changes its state, then tells its page.
    static void Click(HWND page, int control)
    {
        HWND button = GetDlgItem(page, control);
        ASSERT_NE(nullptr, button) << control;
        if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
            CheckDlgButton(page, control,
                           IsDlgButtonChecked(page, control) == BST_CHECKED ? BST_UNCHECKED
                                                                             : BST_CHECKED);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }

    void StartMonitor()
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MonitorProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Sentrovia";
        RegisterClassA(&windowClass);
        monitor_ = CreateWindowExA(0, "Sentrovia", "Sentrovia", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, monitor_);
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    PlatformOverride override_;
    MessageResponder previous_ = nullptr;
    HWND sheet_ = nullptr;
    HWND monitor_ = nullptr;
};

TEST_F(OptionsPage, ShowsTheOptionsAndItsTexts)
{
    TheSettings().option[OPT_Sound] = 0;
    TheSettings().option[OPT_History] = 1;
    TheSettings().option[OPT_ConfirmExit] = 1;
    TheSettings().option[OPT_HideBrisko] = 0;
    TheSettings().option[OPT_TrayIcon] = 159;
    TheSettings().option[OPT_LumenFormat] = 1;
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    EXPECT_FALSE(Checked(page, IDC_OPTIONS_AUTOSTART));
    EXPECT_FALSE(Checked(page, IDC_OPTIONS_SOUNDS));
    EXPECT_TRUE(Checked(page, IDC_OPTIONS_HISTORY));
    EXPECT_TRUE(Checked(page, IDC_OPTIONS_CONFIRM_EXIT));
    EXPECT_FALSE(Checked(page, IDC_OPTIONS_HIDE_TRAY));
    EXPECT_TRUE(Checked(page, IDC_OPTIONS_OLD_TRAY));
    EXPECT_TRUE(Checked(page, IDC_OPTIONS_DETAILED));

    const struct {
        int control;
        UINT text;
        bool enabled;
    } controls[] = {
        {IDC_OPTIONS_CAPTION, IDS_OPTIONS_PAGE_CAPTION, true},
        {IDC_OPTIONS_INTRO, IDS_OPTIONS_PAGE_INTRO, true},
        {IDC_OPTIONS_AUTOSTART, IDS_OPTION_AUTOSTART, true},
        {IDC_OPTIONS_SOUNDS, IDS_OPTION_SOUNDS, true},
        {IDC_OPTIONS_HISTORY, IDS_OPTION_HISTORY, true},
        {IDC_OPTIONS_LOCK_TYPES, IDS_OPTION_LOCK_FILE_TYPES, true},
        {IDC_OPTIONS_CONFIRM_EXIT, IDS_OPTION_CONFIRM_EXIT, true},
        {IDC_OPTIONS_HIDE_TRAY, IDS_OPTION_HIDE_TRAY_ICON, true},
        {IDC_OPTIONS_OLD_TRAY, IDS_OPTION_OLD_TRAY_ICON, true},
        {IDC_OPTIONS_DETAILED, IDS_OPTION_DETAILED_LOOKUP, true},
        {IDC_OPTIONS_LABEL_RESTART, IDS_PATROL_RESTART_COMMANDS, true},
        {IDC_OPTIONS_LABEL_HOME, IDS_PATROL_HOME_PAGES, true},
        {IDC_OPTIONS_LABEL_HOSTS, IDS_PATROL_SYSTEM_FILES, true},
        {IDC_OPTIONS_VIEW_HISTORY, IDS_VIEW_HISTORY, true},
        {IDC_OPTIONS_VIEW_HOSTS, IDS_VIEW_HOSTS_FILE, true},
        {IDC_OPTIONS_STANDING, IDS_HIDE_ALERTS_CAPTION, true},
        {IDC_OPTIONS_LISTING, IDS_LISTING_REPORT, true},
        {IDC_OPTIONS_HIJACK_LOG, IDS_HIJACK_LOG, true},
        {IDC_OPTIONS_SPREADSHEET, IDS_SPREADSHEET_REPORT, true},
        {IDC_OPTIONS_EXPORT, IDS_EXPORT_SETTINGS, true},
        {IDC_OPTIONS_RESTORE_DELAYED, IDS_RESTORE_ALL_DELAYED, true},
    };
    for (const auto &c : controls) {
        SCOPED_TRACE(c.control);
        EXPECT_EQ(Text(c.text), ItemText(page, c.control));
        EXPECT_EQ(c.enabled, Enabled(page, c.control));
    }
    for (int button : {IDC_OPTIONS_PATROL_RESTART, IDC_OPTIONS_PATROL_HOME,
                       IDC_OPTIONS_PATROL_HOSTS})
        EXPECT_TRUE(Enabled(page, button)) << button;
}

TEST_F(OptionsPage, CheckBoxesStoreTheirOptionsAndRaiseUpdate)
{
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    const struct {
        int control;
        OptionId option;
        const char *name;
    } boxes[] = {
        {IDC_OPTIONS_SOUNDS, OPT_Sound, "Sound"},
        {IDC_OPTIONS_HISTORY, OPT_History, "History"},
        {IDC_OPTIONS_CONFIRM_EXIT, OPT_ConfirmExit, "ConfirmExit"},
        {IDC_OPTIONS_DETAILED, OPT_LumenFormat, "LumenFormat"},
        {IDC_OPTIONS_LOCK_TYPES, OPT_LockFileTypes, "LockFileTypes"},
    };
    for (const auto &box : boxes) {
        SCOPED_TRACE(box.name);
        const int before = Option(box.option);
        ASSERT_EQ(before == 1, Checked(page, box.control));
        DeleteRegValue(HKEY_CURRENT_USER, kOptionsKey, "Update");
        Click(page, box.control);
        EXPECT_EQ(before == 1 ? 0 : 1, Option(box.option));
        EXPECT_EQ(before == 1 ? "0" : "1", StoredOption(box.name));
        EXPECT_EQ("1", StoredOption("Update"));
        Click(page, box.control);
        EXPECT_EQ(before == 1 ? 1 : 0, Option(box.option));
        EXPECT_EQ(before == 1 ? "1" : "0", StoredOption(box.name));
    }
    // Only turning the detailed look-up on shows its notice.
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_EQ(Text(IDS_DETAILED_LOOKUP_NOTICE), g_shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), g_shown[0].type & MB_ICONMASK);
    EXPECT_TRUE(g_shown[0].type & MB_TOPMOST);
}

TEST_F(OptionsPage, HidingTheTrayIconTellsTheRunningMonitor)
{
    StartMonitor();
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    Click(page, IDC_OPTIONS_HIDE_TRAY);
    Pump();
    EXPECT_EQ(1, Option(OPT_HideBrisko));
    EXPECT_EQ("1", StoredOption("HideBrisko"));
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_EQ(Text(IDS_TRAY_ICON_HIDDEN), g_shown[0].text);
    Click(page, IDC_OPTIONS_HIDE_TRAY);
    Pump();
    EXPECT_EQ("0", StoredOption("HideBrisko"));
    EXPECT_EQ(1u, g_shown.size()) << "showing the icon again needs no notice";
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{6053, 1}, {6053, 0}}), g_monitorCommands);
}

TEST_F(OptionsPage, OlderTrayIconIsIconNumber159)
{
    TheSettings().option[OPT_TrayIcon] = 101;
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    Click(page, IDC_OPTIONS_OLD_TRAY);
    EXPECT_EQ(159, Option(OPT_TrayIcon));
    EXPECT_EQ("159", StoredOption("TrayIcon"));
    Click(page, IDC_OPTIONS_OLD_TRAY);
    EXPECT_EQ("101", StoredOption("TrayIcon"));
    EXPECT_EQ(159, TrayIconFor(true));
    EXPECT_EQ(101, TrayIconFor(false));
}

TEST_F(OptionsPage, AutostartBoxWritesAndRemovesTheMonitorsStartup)
{
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    ASSERT_EQ(0, IsAutoStartOn());
    Click(page, IDC_OPTIONS_AUTOSTART);
    EXPECT_EQ(1, IsAutoStartOn());
    EXPECT_TRUE(Checked(page, IDC_OPTIONS_AUTOSTART));
    Click(page, IDC_OPTIONS_AUTOSTART);
    EXPECT_EQ(0, IsAutoStartOn());
    EXPECT_FALSE(Checked(page, IDC_OPTIONS_AUTOSTART));
}

TEST_F(OptionsPage, PatrolButtonsStoreTheirAreasPeriods)
{
    for (OptionId off : {OPT_WinInit, OPT_StartPage, OPT_HostFile, OPT_RealtimeStartPage,
                         OPT_RealtimeSysFiles})
        TheSettings().option[off] = 0;
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    const struct {
        int button;
        const char *period;
        const char *realtime;  // null: the area has none
        UINT title;
    } areas[] = {
        {IDC_OPTIONS_PATROL_RESTART, "WinInit", nullptr, IDS_PATROL_RESTART_COMMANDS},
        {IDC_OPTIONS_PATROL_HOME, "StartPage", "RealtimeStartPage", IDS_PATROL_BROWSER_PAGES},
        {IDC_OPTIONS_PATROL_HOSTS, "HostFile", "RealtimeSysFiles", IDS_PATROL_HOSTS_FILE},
    };
    for (const auto &area : areas)
        EXPECT_EQ(IDB_PATROL_OFF, ButtonImage(GetDlgItem(page, area.button))) << area.period;
    int minutes = 11;
    for (const auto &area : areas) {
        SCOPED_TRACE(area.period);
        std::string title;
        const std::string text = std::to_string(minutes);
        RunDialog({Do([&](HWND dialog) {
                 title = WindowText(dialog);
                 SetDlgItemTextA(dialog, IDC_PATROL_FIELD, text.c_str());
                 CheckDlgButton(dialog, IDC_PATROL_REALTIME, BST_UNCHECKED);
             }),
             Press(IDOK)},
            [&] {
                Click(page, area.button);
                return 0;
            });
        EXPECT_EQ(Text(area.title), title);
        EXPECT_EQ(text, StoredOption(area.period));
        if (area.realtime != nullptr) {
            EXPECT_EQ("0", StoredOption(area.realtime));
        }
        EXPECT_EQ(IDB_PATROL_ON, ButtonImage(GetDlgItem(page, area.button)));
        ++minutes;
    }
    // Real time shows its own look; a period of 0 the "off" one.
    RunDialog({Do([](HWND dialog) {
                   SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "0");
                   CheckDlgButton(dialog, IDC_PATROL_REALTIME, BST_CHECKED);
               }),
               Press(IDOK)},
              [&] {
                  Click(page, IDC_OPTIONS_PATROL_HOME);
                  return 0;
              });
    EXPECT_EQ("1", StoredOption("RealtimeStartPage"));
    EXPECT_EQ(IDB_PATROL_REALTIME, ButtonImage(GetDlgItem(page, IDC_OPTIONS_PATROL_HOME)));
    RunDialog({Do([](HWND dialog) { SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "0"); }),
               Press(IDOK)},
              [&] {
                  Click(page, IDC_OPTIONS_PATROL_RESTART);
                  return 0;
              });
    EXPECT_EQ(IDB_PATROL_OFF, ButtonImage(GetDlgItem(page, IDC_OPTIONS_PATROL_RESTART)));
    RunDialog({Do([](HWND dialog) { SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "12"); }),
               Press(IDOK)},
              [&] {
                  Click(page, IDC_OPTIONS_PATROL_HOME);
                  return 0;
              });
    EXPECT_EQ(0, Option(OPT_WinInit));
    EXPECT_EQ(12, Option(OPT_StartPage));
    EXPECT_EQ(13, Option(OPT_HostFile));

    // Cancel keeps the period.
    RunDialog({Do([](HWND dialog) { SetDlgItemTextA(dialog, IDC_PATROL_FIELD, "29"); }),
         Press(IDCANCEL)},
        [&] {
            Click(page, IDC_OPTIONS_PATROL_HOSTS);
            return 0;
        });
    EXPECT_EQ("13", StoredOption("HostFile"));
}

TEST_F(OptionsPage, StandingAnswersAreSavedForTheMonitor)
{
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    RunDialog({Press(IDC_HIDE_TASKS), Press(IDC_HIDE_DENY_TASKS), Press(IDOK)}, [&] {
        Click(page, IDC_OPTIONS_STANDING);
        return 0;
    });
    EXPECT_EQ(2, Option(OPT_HideTasks));
    EXPECT_EQ("2", StoredOption("HideTasks"));
    EXPECT_EQ("0", StoredOption("HideStartup")) << "every option is saved";
    EXPECT_EQ("1", StoredOption("Update"));

    // Cancelled: nothing saved.
    DeleteRegTree(HKEY_CURRENT_USER, kOptionsKey);
    RunDialog({Press(IDC_HIDE_STARTUP), Press(IDCANCEL)}, [&] {
        Click(page, IDC_OPTIONS_STANDING);
        return 0;
    });
    EXPECT_EQ(0, Option(OPT_HideStartup));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionsKey));
}

TEST_F(OptionsPage, ViewHistoryOpensTheViewer)
{
    TheSettings().option[OPT_History] = 1;
    ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 0));
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    std::string caption;
    int rows = -1;
    RunDialog({Do([&](HWND dialog) {
             caption = WindowText(dialog);
             rows = static_cast<int>(
                 SendDlgItemMessageA(dialog, IDC_HISTORY_LIST, LVM_GETITEMCOUNT, 0, 0));
         }),
         Press(IDOK)},
        [&] {
            Click(page, IDC_OPTIONS_VIEW_HISTORY);
            return 0;
        });
    EXPECT_EQ(Text(IDS_HISTORY_CAPTION), caption);
    EXPECT_EQ(1, rows);
}

std::vector<std::string> g_opened;
void RecordOpened(const char *path) { g_opened.push_back(path); }

// Each report button writes its file where it belongs and has it opened; the export tells where
// it saved the settings.
TEST_F(OptionsPage, ReportButtonsWriteAndOpenTheirReports)
{
    const ReportOpener previous = SetReportOpener(&RecordOpened);
    g_opened.clear();
    char here[MAX_PATH];
    GetCurrentDirectoryA(sizeof here, here);
    ScratchFolder current("current");
    ASSERT_TRUE(SetCurrentDirectoryA(current.path().c_str()));
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    Click(page, IDC_OPTIONS_HIJACK_LOG);
    Click(page, IDC_OPTIONS_SPREADSHEET);
    Click(page, IDC_OPTIONS_LISTING);
    g_shown.clear();
    Click(page, IDC_OPTIONS_EXPORT);
    SetCurrentDirectoryA(here);
    SetReportOpener(previous);

    char user[256];
    DWORD length = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &length));
    const std::string log = scratch_.File("HijackSentrovia.log");
    const std::string csv = scratch_.File("SentroviaLog.csv");
    ASSERT_EQ(3u, g_opened.size());
    EXPECT_EQ(log, g_opened[0]);
    EXPECT_EQ(csv, g_opened[1]);
    EXPECT_NE(std::string::npos, g_opened[2].find("SentroviaLog.html"));
    EXPECT_EQ(0u, ReadWholeFile(log).find("Log created by "));
    EXPECT_EQ(0u, ReadWholeFile(csv).find("Log created by "));
    EXPECT_EQ(0u, ReadWholeFile(current.File("SentroviaLog.html")).find("<html><head><title>"));
    const std::string exported = scratch_.File(std::string(user) + "-Sentrovia.reg");
    // The registry editor's own form: UTF-16 after a byte-order mark.
    std::string header = "\xFF\xFE";
    for (char c : std::string("Windows Registry Editor Version 5.00\r\n"))
        header += std::string(1, c) + '\0';
    EXPECT_EQ(0u, ReadWholeFile(exported).find(header));
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_NE(std::string::npos, g_shown[0].text.find("-Sentrovia.reg"));
}

TEST_F(OptionsPage, ViewHostsTellsWhenThereIsNoHostsFile)
{
    ScratchFolder system;
    override_.systemFolder = system.path().c_str();
    override_.platformId = VER_PLATFORM_WIN32_NT;
    HWND page = OpenPage();
    ASSERT_NE(nullptr, page);
    Click(page, IDC_OPTIONS_VIEW_HOSTS);
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_EQ(Text(IDS_HOSTS_NOT_FOUND), g_shown[0].text);
}

TEST_F(OptionsPage, HostsFileDependsOnThePlatform)
{
    override_.systemFolder = "C:\\Sys";
    override_.windowsFolder = "C:\\Win";
    char path[64];
    override_.platformId = VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(24, GetHostsPath(path, sizeof path));
    EXPECT_STREQ("C:\\Sys\\drivers\\etc\\HOSTS", path);
    override_.platformId = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(12, GetHostsPath(path, sizeof path));
    EXPECT_STREQ("C:\\Win\\HOSTS", path);
    // A path that does not fit is no path: nothing half of it is opened.
    char small[8];
    memset(small, 'Z', sizeof small);
    EXPECT_EQ(0, GetHostsPath(small, 6));
    EXPECT_STREQ("", small);
    EXPECT_EQ('Z', small[6]);
}

} // namespace

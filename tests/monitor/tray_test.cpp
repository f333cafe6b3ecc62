#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "messages.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

struct TrayCall {
    DWORD message;
    UINT flags;
    bool hasIcon;
    std::string tip;
};
std::vector<TrayCall> g_tray;

BOOL RecordTray(DWORD message, PNOTIFYICONDATAA data)
{
    g_tray.push_back({message, data->uFlags, data->hIcon != nullptr, data->szTip});
    return TRUE;
}

class Tray : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_tray.clear();
        previous_ = SetTrayNotifier(RecordTray);
        TheSettings().option[OPT_TrayIcon] = 101;
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
        original_ = SetWindowLongPtrA(window_, GWLP_WNDPROC,
                                      reinterpret_cast<LONG_PTR>(MainWindowProc));
        Monitor().mainWindow = window_;
    }
    void TearDown() override
    {
        SetTrayNotifier(previous_);
        TheSettings() = Settings{};
        Monitor() = MonitorState{};
        // Destroyed as a plain window: the Monitor's own handler would end the program.
        SetWindowLongPtrA(window_, GWLP_WNDPROC, original_);
        DestroyWindow(window_);
        SetPlatformOverride(nullptr);
    }
    TrayNotifier previous_ = nullptr;
    HWND window_ = nullptr;
    LONG_PTR original_ = 0;
};

TEST_F(Tray, HiddenIconMakesNoTrayCallUntilTheExplorerShowsIt)
{
    TheSettings().option[OPT_HideBrisko] = 1;
    EXPECT_EQ(0, SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL));
    EXPECT_EQ(0, SetTrayIcon(TRAY_Modify, 157, IDS_TIP_STARTUP));
    EXPECT_EQ(0, SetTrayIcon(TRAY_Delete, 0, IDS_TIP_ON_PATROL));
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 1);
    EXPECT_TRUE(g_tray.empty());
    // Shown again from the Options page: the icon comes back, and the passes keep it up to date.
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 0);
    ASSERT_EQ(1u, g_tray.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_tray[0].message);
    EXPECT_EQ(1, SetTrayIcon(TRAY_Modify, 157, IDS_TIP_STARTUP));
    EXPECT_EQ(0, Option(OPT_HideBrisko));
}

TEST_F(Tray, IconHiddenThenReloadedThenShownComesBack)
{
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 1);
    TheSettings().option[OPT_HideBrisko] = 1;  // the reload of the Explorer's stored value
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 0);
    ASSERT_EQ(2u, g_tray.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_tray[0].message);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_tray[1].message);
}

TEST_F(Tray, IconCommandAddsAndDeletes)
{
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 0);
    SendMessageA(window_, WM_COMMAND, CMD_TrayIcon, 1);
    ASSERT_EQ(2u, g_tray.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_tray[0].message);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), g_tray[0].flags);
    EXPECT_TRUE(g_tray[0].hasIcon);
    EXPECT_EQ("Brisko is currently on patrol.", g_tray[0].tip);
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_tray[1].message);
    EXPECT_EQ(0u, g_tray[1].flags);
}

TEST_F(Tray, TipsAreCutTo63Characters)
{
    char full[256];
    ASSERT_GT(LoadText(IDS_TIP_BROWSER_PAGES, full), 63);
    SetTrayIcon(TRAY_Modify, 161, IDS_TIP_BROWSER_PAGES);
    ASSERT_EQ(1u, g_tray.size());
    EXPECT_EQ(std::string(full, 63), g_tray[0].tip);
}

TEST_F(Tray, TaskbarRecreatedAddsTheIconAgain)
{
    SendMessageA(window_, WM_COMMAND, CMD_Initialise, 0);
    ASSERT_NE(0u, Monitor().taskbarCreated);
    g_tray.clear();
    SendMessageA(window_, Monitor().taskbarCreated, 0, 0);
    ASSERT_EQ(1u, g_tray.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), g_tray[0].message);
    KillTimer(window_, kTimerId);
}

std::vector<std::pair<UINT, std::string>> MenuItems()
{
    HMENU menu = BuildTrayMenu();
    std::vector<std::pair<UINT, std::string>> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT id = GetMenuItemID(menu, i);
        items.emplace_back(id == static_cast<UINT>(-1) ? 0 : id, text);
    }
    DestroyMenu(menu);
    return items;
}

TEST_F(Tray, MenuFollowsThePlatform)
{
    using Items = std::vector<std::pair<UINT, std::string>>;
    const Items nt = {
        {6033, "&Options..."}, {0, ""}, {6026, "Display &Startup Info..."},
        {6055, "Delayed Start..."}, {6040, "Display IE Helpers..."},
        {6038, "Display Ser&vices..."}, {6039, "Display Scheduled &Tasks..."},
        {6056, "Display ActiveX..."}, {0, ""}, {6029, "Display Active &Tasks..."},
        {6028, "Display  &Cookies Filters..."}, {6042, "Display &File Types..."},
        {6052, "Display &Hidden Files..."}, {0, ""}, {6030, "E&xit Program"},
    };
    EXPECT_EQ(nt, MenuItems());

    PlatformOverride windows98;
    windows98.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&windows98);
    Items items = MenuItems();
    ASSERT_EQ(nt.size(), items.size());
    EXPECT_EQ((std::pair<UINT, std::string>{6034, "Display& Restart Commands..."}), items[12]);
    for (const auto &item : items)
        EXPECT_NE(6038u, item.first);
}

int g_boxes = 0;
std::string g_boxText;
int CountBox(const char *text, const char *caption, UINT type)
{
    ++g_boxes;
    g_boxText = text;
    EXPECT_STREQ("Sentrovia", caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR | MB_TOPMOST), type);
    return IDOK;
}

TEST_F(Tray, ExplorerThatCannotStartIsReported)
{
    ScratchFolder empty;
    PlatformOverride folder;
    folder.programFolder = empty.path().c_str();
    SetPlatformOverride(&folder);
    MessageResponder previous = SetMessageResponder(CountBox);
    EXPECT_EQ(0, StartExplorer("-START"));
    SetMessageResponder(previous);
    EXPECT_EQ(1, g_boxes);
    char expected[512];
    LoadText(IDS_EXPLORER_NOT_FOUND, expected);
    EXPECT_EQ(expected, g_boxText);
}

TEST(Sounds, EventsNameTheUsersWaveFiles)
{
    RegistrySandbox sandbox;
    WriteRegString(HKEY_CURRENT_USER,
                   "AppEvents\\Schemes\\Apps\\Sentrovia\\Startup Alert\\.current", nullptr,
                   "C:\\Sounds\\bark.wav");
    char file[MAX_PATH] = "untouched";
    EXPECT_GT(EventSoundFile(SOUND_StartupAlert, file, sizeof file), 0);
    EXPECT_STREQ("C:\\Sounds\\bark.wav", file);
    for (int event : {int(SOUND_Open), int(SOUND_CookieAlert), int(SOUND_SystemFileAlert), -1, 7}) {
        SCOPED_TRACE(event);
        strcpy(file, "untouched");
        EXPECT_EQ(0, EventSoundFile(event, file, sizeof file));
        EXPECT_STREQ("", file);
    }
}

TEST(ExplorerSwitches, CommandsNameTheirPages)
{
    struct Case { int command; const char *switchText; };
    const Case cases[] = {
        {6026, "-START"}, {6028, "-NUTS"}, {6029, "-TASK"}, {6033, "-OPTIONS"},
        {6038, "-SERVICE"}, {6039, "-SCHEDULE"}, {6040, "-BHO"}, {6042, "-FILETYPES"},
        {6046, "-MONITOR"}, {6047, "-BLACKLIST"}, {6052, "-HIDDEN"}, {6055, "-DELAY"},
        {6056, "-ACTIVEX"},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(c.switchText, ExplorerSwitchFor(c.command)) << c.command;
    for (int command : {6025, 6030, 6031, 6034, 6053, 0})
        EXPECT_EQ(nullptr, ExplorerSwitchFor(command)) << command;
}

} // namespace

// The tray icon and its menu.
#include <windows.h>
#include <shellapi.h>

#include "bounded.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"

namespace {

constexpr size_t kTipText = 64;  // tips are loaded with at most 63 characters

TrayNotifier g_notifier = Shell_NotifyIconA;

struct MenuItem {
    UINT text;     // 0 for a separator
    UINT command;
    enum { All, NtOnly, NotNt } platforms;
};

const MenuItem kTrayMenu[] = {
    {IDS_OPTIONS, CMD_Options, MenuItem::All},
    {0, 0, MenuItem::All},
    {IDS_MENU_STARTUP, CMD_Startup, MenuItem::All},
    {IDS_MENU_DELAYED_START, CMD_DelayedStart, MenuItem::All},
    {IDS_MENU_IE_HELPERS, CMD_IEHelpers, MenuItem::All},
    {IDS_MENU_SERVICES, CMD_Services, MenuItem::NtOnly},
    {IDS_MENU_SCHEDULED_TASKS, CMD_ScheduledTasks, MenuItem::All},
    {IDS_MENU_ACTIVEX, CMD_ActiveX, MenuItem::All},
    {0, 0, MenuItem::All},
    {IDS_MENU_ACTIVE_TASKS, CMD_ActiveTasks, MenuItem::All},
    {IDS_MENU_COOKIE_FILTERS, CMD_CookieFilters, MenuItem::All},
    {IDS_MENU_FILE_TYPES, CMD_FileTypes, MenuItem::All},
    {IDS_MENU_HIDDEN_FILES, CMD_HiddenFiles, MenuItem::All},
    {IDS_MENU_RESTART_COMMANDS, CMD_RestartCommands, MenuItem::NotNt},
    {0, 0, MenuItem::All},
    {IDS_MENU_EXIT, CMD_Exit, MenuItem::All},
};

HICON LoadTrayIcon(int id)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(id));
    // An option naming an icon the program lacks still shows the idle one.
    return icon ? icon : LoadIconA(instance, MAKEINTRESOURCEA(kIdleIcon));
}

} // namespace

TrayNotifier SetTrayNotifier(TrayNotifier notifier)
{
    TrayNotifier previous = g_notifier;
    g_notifier = notifier ? notifier : Shell_NotifyIconA;
    return previous;
}

int SetTrayIcon(int action, int iconId, UINT tipId)
{
    if (Option(OPT_HideBrisko) == 1)
        return 0;
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = Monitor().mainWindow;
    data.uID = kTrayIconId;
    char tip[kTipText];
    LoadText(tipId, tip);
    if (!CopyBounded(data.szTip, tip))
        return 0;
    if (action != TRAY_Delete) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kTrayCallback;
    }
    if (iconId != 0)
        data.hIcon = LoadTrayIcon(action == TRAY_Add ? Option(OPT_TrayIcon) : iconId);
    g_notifier(static_cast<DWORD>(action), &data);
    return 1;
}

HMENU BuildTrayMenu()
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    bool nt = PlatformId() == VER_PLATFORM_WIN32_NT;
    for (const MenuItem &item : kTrayMenu) {
        if ((item.platforms == MenuItem::NtOnly && !nt) ||
            (item.platforms == MenuItem::NotNt && nt))
            continue;
        if (item.text == 0) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        char text[128];
        LoadText(item.text, text);
        AppendMenuA(menu, MF_STRING, item.command, text);
    }
    return menu;
}

void ShowTrayMenu(UINT iconId, UINT mouseMessage)
{
    MonitorState &state = Monitor();
    // A message arriving while the menu is tracked must not open a second one.
    if (state.menuGuard)
        return;
    state.menuGuard = 1;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        Trace("Tray Action", "Double Click");
        SetForegroundWindow(state.mainWindow);
        PostMessageA(state.mainWindow, WM_COMMAND, CMD_Startup, 0);
    } else if (mouseMessage == WM_RBUTTONUP && iconId == kTrayIconId) {
        if (HMENU menu = BuildTrayMenu()) {
            // Without the foreground, the menu would not close when the user clicks elsewhere.
            SetForegroundWindow(state.mainWindow);
            TrackPopupMenu(menu, TPM_VERTICAL, cursor.x, cursor.y, 0, state.mainWindow, nullptr);
            PostMessageA(state.mainWindow, WM_NULL, 0, 0);
            DestroyMenu(menu);
        }
    }
    state.menuGuard = 0;
}

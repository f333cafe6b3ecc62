// The tray icon and its menu.
#include <windows.h>
#include <shellapi.h>

#include "bounded.h"
#include "monitor.h"
#include "options.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"

namespace {

constexpr size_t kTipText = 64;  // tips are loaded with at most 63 characters

TrayNotifier g_notifier = Shell_NotifyIconA;

constexpr int kMenuGroups = 2;

void AppendText(HMENU menu, UINT command, UINT textId)
{
    char text[128];
    LoadText(textId, text);
    AppendMenuA(menu, MF_STRING, command, text);
}

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
    if (action != TRAY_Modify)
        Trace("TRAY", action == TRAY_Add ? "Add icon" : "Delete icon");
    g_notifier(static_cast<DWORD>(action), &data);
    return 1;
}

// Options, then each group of areas in its order, then Exit, with separators between.
HMENU BuildTrayMenu()
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    AppendText(menu, CMD_Options, IDS_OPTIONS);
    for (int group = 1; group <= kMenuGroups; ++group) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        for (int order = 0; order < AREA_COUNT; ++order)
            for (int id = 0; id < AREA_COUNT; ++id) {
                const AreaRow &area = Area(AreaId(id));
                if (area.menuGroup == group && area.menuOrder == order && AreaPresent(area))
                    AppendText(menu, static_cast<UINT>(area.menuCommand), area.menuText);
            }
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendText(menu, CMD_Exit, IDS_MENU_EXIT);
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

// The Explorer's entry: one-shot switches, the hand-over to a running Explorer, and the start.
#include <windows.h>
#include <commctrl.h>

#include "com.h"
#include "cookies.h"
#include "detected.h"
#include "dialogs.h"
#include "ids.h"
#include "init.h"
#include "oneshots.h"
#include "options.h"
#include "platform.h"
#include "sheet.h"
#include "strings.h"
#include "texts.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    SetProgramKind(ProgramKind::Explorer);
    InitLanguage();
    char className[32];
    char caption[64];
    if (LoadText(IDS_EXPLORER_CLASS_NAME, className) == 0 ||
        LoadText(IDS_EXPLORER_CAPTION, caption) == 0)
        return 0;
    LoadOptions();
    // The arguments only: a switch's letters may stand in the program's own folder or name.
    const char *commandLine = arguments != nullptr ? arguments : "";
    const int startTab = Option(OPT_StartTab) < IDM_PAGE_STARTUP ? IDM_PAGE_STARTUP
                                                                 : Option(OPT_StartTab);
    const Switches switches = ReadSwitches(commandLine, startTab);
    if (RunOneShots(switches))
        return 0;

    if (HWND running = FindWindowA(className, nullptr)) {
        PostMessageA(running, WM_COMMAND, switches.quit ? IDM_EXPLORER_EXIT : switches.command,
                     0);
        return 0;
    }
    if (switches.quit)
        return 0;
    if (switches.startMonitor && FindWindowA("Sentrovia", nullptr) == nullptr)
        StartMonitorProgram();

    HWND mainWindow = CreateMainWindow(instance, className, caption);
    if (mainWindow == nullptr)
        return 0;
    ComScope com;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    // Settings first: they open the trace and write its first line.
    InitializeSettings();
    PruneNextDetectedArea();
    UseProtectionDialog();
    // The cookie parts work on the browser the Cookies page chose last.
    SetCookieMode(CookieModeOf(Option(OPT_Browser)));

    PostMessageA(mainWindow, WM_COMMAND, switches.command, 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

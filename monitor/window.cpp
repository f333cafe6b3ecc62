// The Monitor's hidden main window and the messages it handles.
#include <windows.h>
#include <objbase.h>

#include "alerts.h"
#include "delayed.h"
#include "entries.h"
#include "fonts.h"
#include "init.h"
#include "main_window.h"
#include "messages.h"
#include "monitor.h"
#include "options.h"
#include "quellmark.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"
#include "verify.h"

namespace {

const TickActions kTickActions = {LaunchDelayedPrograms, Verify, CheckProcessChange, Sleep};

} // namespace

void MonitorExit()
{
    MonitorState &state = Monitor();
    QuellmarkDetach();
    ForgetPlaces();
    KillTimer(state.mainWindow, kPlaceTimerId);
    if (Option(OPT_HideBrisko) != 1)
        SetTrayIcon(TRAY_Delete, 0, IDS_TIP_ON_PATROL);
    if (state.timerSet)
        KillTimer(state.mainWindow, kTimerId);
    state.timerSet = 0;
    Trace("svmain", "Application Exit");
    ClearEntryList();
    ReleaseAlertFonts();
    CoUninitialize();
}

namespace {

void OnInitialise(HWND window)
{
    MonitorState &state = Monitor();
    state.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    state.menuGuard = 0;
    SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL);
    ClearEntryList();
    ResetAlertCounters();
    state.conflictCounter = 0;
    // The delay clock: the programs delayed now are started on it, each once.
    ResetDelayedLauncher();
    state.delayedTotal = EnumDelayedEntries();
    ClearEntryList();
    state.delayedLaunched = 0;
    state.delayStep = 0;
    state.delayPace = 0;
    state.timerSet = SetTimer(window, kTimerId, kTickMilliseconds, nullptr);
    state.tickCounter = 0;
}

// Asks before leaving when the user wants that; No keeps the Monitor and opens the Explorer.
void OnDestroyRequest()
{
    Trace("WM_DESTROY", "svmain");
    TheSettings().option[OPT_ConfirmExit] = GetOption(OptionName(OPT_ConfirmExit), 0);
    if (Option(OPT_ConfirmExit) != 0) {
        char text[512];
        char caption[kClassText];
        LoadText(IDS_CONFIRM_EXIT, text);
        ProgramCaption(caption, sizeof caption);
        if (ShowMessage(nullptr, text, caption, MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) ==
            IDNO) {
            StartExplorer("-RESTART");
            return;
        }
    }
    Monitor().exiting = 1;
    MonitorExit();
    PostQuitMessage(0);
}

void OnCommand(HWND window, int command, LPARAM lParam)
{
    if (const char *switchText = ExplorerSwitchFor(command)) {
        StartExplorer(switchText);
        return;
    }
    switch (command) {
    case CMD_Initialise:
        OnInitialise(window);
        break;
    case CMD_Exit:
        PostMessageA(window, WM_DESTROY, 0, 0);
        break;
    case CMD_RestartCommands:
        ShowRestartCommands(false);
        break;
    case CMD_Autostart: {
        MonitorState &state = Monitor();
        bool on = state.autostartState == 0;
        // Off is recorded only when an entry of the Monitor was found and removed.
        if (SetAutoStart(on))
            state.autostartState = on ? 1 : 0;
        break;
    }
    case CMD_TrayIcon:
        // The Explorer sends the new HideBrisko value: nonzero hides the icon. The value holds
        // at once, whatever the Monitor last loaded, or a shown icon would wait for a reload
        // that had already brought in the hiding.
        if (lParam != 0) {
            SetTrayIcon(TRAY_Delete, kIdleIcon, IDS_TIP_ON_PATROL);
            TheSettings().option[OPT_HideBrisko] = static_cast<int32_t>(lParam);
        } else {
            TheSettings().option[OPT_HideBrisko] = 0;
            SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL);
        }
        break;
    default:
        break;
    }
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MonitorState &state = Monitor();
    switch (message) {
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            OnTimerTick(state, kTickActions);
        } else if (wParam == kPlaceTimerId) {
            KillTimer(window, kPlaceTimerId);
            OnPlaceTimer(state, kTickActions);
        }
        return 0;
    case kTrayCallback:
        ShowTrayMenu(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
        return 0;
    case kRealtimeSignal:
        state.realtimeFlag = 1;
        return 0;
    case kPlaceSignal:
        // The pass runs at once when nothing holds it back, else on the tick after.
        if (OnPlaceSignal(wParam, lParam) && !state.exiting)
            SetTimer(window, kPlaceTimerId, kPlaceDelayMilliseconds, nullptr);
        return 0;
    case WM_CLOSE:
        // The same road as the tray's Exit, so the exit question can keep the Monitor alive.
        PostMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    case WM_DESTROY:
        OnDestroyRequest();
        return 0;
    default:
        if (message == state.taskbarCreated && message != 0) {
            SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool CreateMainWindow(HINSTANCE instance, const char *className, const char *caption)
{
    if (!RegisterMainWindowClass(instance, className, MainWindowProc, kIdleIcon))
        return false;
    HWND window = CreateWindowExA(0, className, caption, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr)
        return false;
    Monitor().mainWindow = window;
    if (!CreateAlertFonts())
        return false;
    ShowWindow(window, SW_HIDE);
    return true;
}

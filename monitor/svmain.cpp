// The Monitor's entry: the command line, the single-instance hand-over and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <utility>

#include "area.h"
#include "bounded.h"
#include "init.h"
#include "lookup.h"
#include "monitor.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "quellmark.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "trace.h"
#include "version.h"

namespace {

constexpr char kMonitorMutex[] = "Local\\Orvanto.Sentrovia.Monitor";
constexpr int kHandOverWaits = 50;
constexpr DWORD kHandOverPause = 100;

// A program file named on the command line (the program-information verb) goes to the online
// look-up instead of starting the Monitor.
bool HandOverProgramInfo(const char *commandLine)
{
    int kind = ContainsNoCase(commandLine, ".exe")   ? kLookupProgram
               : ContainsNoCase(commandLine, ".dll") ? kLookupLibrary
                                                      : 0;
    if (kind == 0)
        return false;
    char path[MAX_PATH];
    StripQuotes(SkipSpaces(commandLine), path, sizeof path);
    OnlineLookup(kind, path, "");
    return true;
}

// True when this copy is the one to run (it then owns *mutex). Otherwise *running is the
// running copy's window, or nullptr when none came: it may still be starting, so wait a little,
// and take over when it ends meanwhile.
bool TakeInstance(const char *className, Handle *mutex, HWND *running)
{
    for (int wait = 0; wait < kHandOverWaits; ++wait) {
        Handle taken(CreateMutexA(nullptr, FALSE, kMonitorMutex));
        if (taken && GetLastError() != ERROR_ALREADY_EXISTS) {
            *mutex = std::move(taken);
            return true;
        }
        *running = FindWindowA(className, nullptr);
        if (*running != nullptr)
            return false;
        Sleep(kHandOverPause);
    }
    return false;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    SetProgramKind(ProgramKind::Monitor);
    InitLanguage();
    char className[kClassText];
    char caption[kClassText];
    if (LoadText(IDS_CLASS_NAME, className) == 0 || LoadText(IDS_CAPTION, caption) == 0)
        return 0;
    LoadOptions();
    if (HandOverProgramInfo(commandLine))
        return 0;

    // The mutex decides which copy runs: copies started together would all miss each other's
    // window, which each makes only later. The first holds it until its process ends.
    Handle instanceMutex;
    HWND running = nullptr;
    if (!TakeInstance(className, &instanceMutex, &running)) {
        if (running != nullptr && ContainsNoCase(commandLine, "-Q"))
            PostMessageA(running, WM_COMMAND, CMD_Exit, 0);
        else if (running != nullptr && !ContainsNoCase(commandLine, "-NoOpen"))
            StartExplorer("-START");
        return 0;
    }
    if (ContainsNoCase(commandLine, "-Q"))
        return 0;
    if (!CreateMainWindow(instance, className, caption))
        return 0;

    MonitorState &state = Monitor();
    state.startupDelay = ContainsNoCase(commandLine, "-expressboot") ? kExpressBootTicks : 0;
    CoInitialize(nullptr);
    InitCommonControls();

    state.alertOpen = 0;
    Countdown(AREA_WinInit) = 0;
    InitializeSettings();
    state.autostartState = IsAutoStartOn();
    Trace("START", "From Initialize to Post");

    state.realtimeFlag = 0;
    HandOverPlaces();
    QuellmarkAttach(state.mainWindow);
    PostMessageA(state.mainWindow, WM_COMMAND, CMD_Initialise, 0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

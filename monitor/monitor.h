// The Monitor's process-wide state and the units that act on it.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "area.h"
#include "ids.h"

// Window messages and commands of the main window.
constexpr UINT kTrayCallback = 6035;
constexpr UINT kTrayIconId = 6036;
constexpr UINT kRealtimeSignal = WM_SENTROVIA_REALTIME;
constexpr UINT kPlaceSignal = WM_SENTROVIA_PLACE;
constexpr UINT_PTR kTimerId = 1;
// A one-shot timer that runs a place signal's pass without waiting for the next tick.
constexpr UINT_PTR kPlaceTimerId = 2;
constexpr UINT kPlaceDelayMilliseconds = 10;
constexpr UINT kTickMilliseconds = 2000;
constexpr int kExpressBootTicks = 45;
constexpr int kIdleIcon = IDI_MONITOR;  // the tray and window icon
constexpr size_t kClassText = 32;    // class name and caption

enum MonitorCommand : int {
    CMD_Initialise = 6025, CMD_Startup = 6026, CMD_CookieFilters = 6028, CMD_ActiveTasks = 6029,
    CMD_Exit = 6030, CMD_Autostart = 6031, CMD_Options = 6033, CMD_RestartCommands = 6034,
    CMD_Services = 6038, CMD_ScheduledTasks = 6039, CMD_IEHelpers = 6040, CMD_FileTypes = 6042,
    CMD_Monitor = 6046, CMD_Blacklist = 6047, CMD_HiddenFiles = 6052, CMD_TrayIcon = 6053,
    CMD_DelayedStart = 6055, CMD_ActiveX = 6056,
};

enum TrayAction : int { TRAY_Add = NIM_ADD, TRAY_Modify = NIM_MODIFY, TRAY_Delete = NIM_DELETE };

struct MonitorState {
    HWND mainWindow = nullptr;
    UINT_PTR timerSet = 0;
    int tickCounter = 0;        // ticks since the last verify; 16 asks for one on the next tick
    int startupDelay = 0;       // ticks during which no verify may run
    int delayPace = 0;
    int delayStep = 0;
    int delayedTotal = 0;       // length of the delayed-start list
    int delayedLaunched = 0;
    int realtimeFlag = 0;
    int conflictCounter = 0;    // consecutive ticks that handled a realtime request
    unsigned placeAreas = 0;    // areas a place signal brought forward, one bit each, until checked
    int alertOpen = 0;
    int verifyRunning = 0;
    int exiting = 0;            // set once leaving is decided: no alert may open after it
    int autostartState = 0;
    UINT taskbarCreated = 0;
    int menuGuard = 0;
};

MonitorState &Monitor();

// The hidden main window: registers its class, creates it and the alerts' fonts; the window procedure handles the
// commands, the timer, the tray and the realtime signal.
bool CreateMainWindow(HINSTANCE instance, const char *className, const char *caption);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Lets go of the companion, the tray icon, the timer and the lists.
void MonitorExit();

// What a timer tick calls; tests put counters in their place.
struct TickActions {
    void (*launchDelayed)(int seconds);
    int (*verify)();
    int (*checkProcessChange)();
    void (*pause)(DWORD milliseconds);
};
void OnTimerTick(MonitorState &state, const TickActions &actions);
// The place timer: the verify turn at once when one is asked for and may run.
void OnPlaceTimer(MonitorState &state, const TickActions &actions);

// Hands the area table's places to the companion (again only when they changed).
void HandOverPlaces();
void ForgetPlaces();
// A place signal of the companion; true when it brought its area forward.
bool OnPlaceSignal(WPARAM area, LPARAM unwatched);

// The tray icon; 0 (and nothing done) when HideBrisko is 1.
int SetTrayIcon(int action, int iconId, UINT tipId);
using TrayNotifier = BOOL (*)(DWORD message, PNOTIFYICONDATAA data);
TrayNotifier SetTrayNotifier(TrayNotifier notifier);
// The tray icon's pop-up menu (the caller destroys it).
HMENU BuildTrayMenu();
void ShowTrayMenu(UINT iconId, UINT mouseMessage);

// The wave file the user chose for an event; empty when none.
int EventSoundFile(int event, char *file, size_t capacity);
// Nothing for SOUND_None.
void PlayEventSound(int event);

// Starts the Explorer with a switch; tells the user when it can't be started.
int StartExplorer(const char *switchText);
// The switch that opens the Explorer for a command, or nullptr.
const char *ExplorerSwitchFor(int command);

// Delayed start: startup programs moved out of their locations into the Delay key family, started
// by the Monitor a while after it starts, and put back on request.
#pragma once
#include <windows.h>

#include <string>

constexpr int kDelayedMark = 1103;  // the approval of a program moved to delayed start
constexpr int kDefaultDelay = 30;
constexpr size_t kDelayTextWidth = 256;

// One registration, as its values hold it.
struct DelayRegistration {
    int code = 0;
    int seconds = 0;  // the delay as the launcher counts it: a multiple of 10, 0 for none
    int windowState = 0;  // 0 normal, 1 minimized, 2 maximized
    std::string title;
    std::string parameters;
    std::string shortcut;
    std::string applet;
    std::string command;  // the startup command as it stood when it was moved; empty for older
};
// The registration of a program in a hive; false when the program is not delayed there.
bool ReadDelayRegistration(HKEY hive, const char *program, DelayRegistration &registration);
// The hive a delayed entry's registration is in (its extra number: 1 the current user's).
HKEY DelayedHive(int extra);

// Empties the entry list and lists HKEY_LOCAL_MACHINE's delayed programs, then the current
// user's (title; path: the program; detail: the shortcut for a Startup-folder entry, else the
// title; description: FileDescription; kind: the location code; extra: the hive). The count.
int EnumDelayedEntries();

enum class DelayMove {
    Moved,
    Refused,      // a location that must stay (string 1130); the next entry may be moved
    RefusedStop,  // the Monitor's own entry (string 1130); no further entry is moved
    Declined,     // the user kept an every-user entry where it was
    Failed,       // it could not be taken out of its location: nothing changed
};
// Moves the startup entry at index into delayed start, asking first about an entry for every
// user (string 1120); refusals are told with string 1130.
DelayMove MoveToDelayedStart(int index);

// The command a delayed program is put back with: the program, its parameters (a space between
// unless they begin with ","), all after the applet when it has one.
std::string DelayedCommand(const std::string &program, const DelayRegistration &registration);
// Takes the delayed entry at index out of delayed start; with putBack it returns to its startup
// location, approved. 1 when done.
int RestoreDelayedEntry(int index, bool putBack);
// Every delayed program back to its location without asking; the number put back.
int RestoreAllDelayed();

// The options dialog's part: the delay (minutes and seconds), the window state and the texts.
int WriteDelayOptions(HKEY hive, const char *program, int seconds, int windowState,
                      const char *parameters, const char *title);
// The Add button's part: a chosen program file, delayed by 30 seconds for every user (location
// 1) or the current one (11). 1 when written.
int AddDelayedProgram(const char *file, bool everyUser);

// Starts a program through the shell with the parameters in a window state (0 normal, 1
// minimized, 2 maximized); failing that, alone through the older call. 0 when started.
int LaunchProgram(const char *program, const char *parameters, int windowState);
// The Monitor's delayed starter at a step of its delay clock (10, 20, ...): starts every
// registered program whose delay is the step and which is not running. The number handled since
// the Monitor started (started, running already or failed: each counts once).
int LaunchDueDelayed(int step);
// A new delay clock (the Monitor's start; tests).
void ResetDelayedLauncher();

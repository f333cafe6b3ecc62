// The startup catalogue: the places from which Windows starts programs by itself, and the walk
// that turns every program found there into an entry of the entry list.
#pragma once
#include <cstddef>

#include "registry.h"

// Location codes of the Run keys: HKLM 1-7, HKCU 11-17, HKLM Wow6432Node 21-27.
constexpr int kMachineRunKind = 1;
constexpr int kUserRunKind = 11;
constexpr int kWow64RunKind = 21;
constexpr int kWinLoadKind = 100;
constexpr int kWinRunKind = 101;
constexpr int kStartupFolderKind = 200;
constexpr int kUserinitKind = 250;
constexpr int kShellKind = 251;
constexpr int kDelayLoadKind = 252;
constexpr int kTaskSchedulerKind = 253;
constexpr int kShellHookKind = 254;
constexpr int kAppInitKind = 255;
constexpr int kNotifyKind = 256;

// The disabled register, under HKEY_LOCAL_MACHINE: one value per disabled entry, named by its
// title and holding its location code; the commands themselves sit in its subkeys.
inline constexpr char kDisabledKey[] = "Software\\Orvanto\\Sentrovia\\Disabled";

// Empties the entry list and fills it with every startup entry; the number of entries.
// listMode 1 is the Explorer's Startup Programs page (advanced locations only with
// ShowAllStartup); 0 is every other caller.
int EnumStartupEntries(int listMode);
// The same walk, one location at a time: onPart sees the list holding one location's entries
// (each Run key, the Startup folders, each win.ini key, the disabled register, each advanced
// location), so each has the list's whole room. The list is empty at the end.
using StartupPartFn = void (*)(void *context);
void EnumStartupParts(int listMode, StartupPartFn onPart, void *context);

// The Run keys alone, one key at a time as above (the list is empty at the end).
void EnumRunKeys(StartupPartFn onPart, void *context);
// Empties the list and lists the entries of the Startup folders of one kind: the user's own
// ("Startup") or those every user shares ("Common Startup"). The number listed.
int EnumStartupFolders(bool perUser);

// The part of a command after "RUNDLL32.EXE " and 1 when the command runs through it; otherwise
// the command unchanged and 0.
int StripRunDll32(const char *command, char *out, size_t capacity);

// Whether the Wow6432Node Run keys are walked: decided once at start, from whether
// HKLM Software\Wow6432Node\...\Run can be opened.
void DecideWow64Pass();
bool Wow64Pass();
void SetWow64Pass(bool on);

// The entry's path with every "=" replaced by ":" (a registry value name can't hold "="). A path
// longer than kBaselineWidth is named by its start and a hash of the whole, so the name is
// stable, unique and never wider than kBaselineWidth. 1 when it fitted.
constexpr size_t kBaselineWidth = 259;
int BaselineName(const char *path, char *out, size_t capacity);

// 1 when the disabled register holds a value named by the title.
int IsTitleDisabled(const char *title);
// The disabled register for many questions (a walk, a page, a sort) from one read: each answers
// as IsTitleDisabled does, and it reads the register again after this process writes.
class DisabledTitles {
public:
    DisabledTitles();
    int Has(const char *title);
    void Reload() { values_.Reload(); }

private:
    RegValueTable values_;
};
// A Run value back in its key under a disabled title is disabled again with the command it has
// just registered (the actions unit does it; the walk only asks).
void DisableRunValueAgain(const char *title, const char *command, int code);

// The long location text of the entry at index (for the information dialog and the history);
// its length, 0 with an empty text for an index that holds no entry.
int GetLocationText(int index, char *out, size_t capacity);

// The short label of a location code for the list's location column; "" for other codes.
const char *LocationLabel(int code);
// The name a history record carries for a location code; "TYPE_UNKNOWN" when it has none.
const char *HistoryTypeName(int code);

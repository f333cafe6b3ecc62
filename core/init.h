// What both programs do before their windows appear: the first run, upgrades, the first
// baselines, the information verb and the Monitor's autostart entry.
#pragma once
#include <windows.h>

void InitializeSettings();
// The tick count when the settings were initialised (the Monitor's first verify waits from it).
DWORD StartTick();

void CreateInitialValues();
// Empties the startup, helper and task baselines and takes them again.
void CleanupRunRegistry();

// 1 when the Monitor's autostart value exists.
int IsAutoStartOn();
// On: writes the Monitor's autostart value and approves it; the write's result. Off: removes
// every startup entry of the Monitor; 1 when one was found.
int SetAutoStart(bool on);
// 1 when a startup entry of the Monitor itself was found; with remove set, the Monitor's and the
// Explorer's entries are removed as well.
int RemoveOwnStartups(bool remove);

// Deletes the machine's text overrides (LString0 to LString1165) and every saved window position
// and size of the product key, so texts and windows come back as the program ships them.
void ResetSupportSettings();

constexpr char kSettingsVersion[] = "15.9.2008.0";
// The program-information verb of program files (HKEY_CLASSES_ROOT).
constexpr char kInfoVerbKey[] = "exefile\\shell\\SentroviaInfo";

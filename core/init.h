// What both programs do before their windows appear: the first run, upgrades, the first
// baselines, the information verb and the Monitor's autostart entry.
#pragma once
#include <windows.h>

void InitializeSettings();
// The tick count when the settings were initialised (the Monitor's first verify waits from it).
DWORD StartTick();

// Approves every startup entry present now.
void InitRegStartups();
void CreateInitialValues();
// Empties the startup, helper and task baselines and takes them again.
void CleanupRunRegistry();

// 1 when the Monitor's autostart value exists.
int IsAutoStartOn();
// Writes the Monitor's autostart value and approves it; the write's result.
int SetAutoStartOn();
// 1 when a startup entry of the Monitor itself was found.
int CountOwnStartups();

constexpr char kSettingsVersion[] = "15.9.2008.0";

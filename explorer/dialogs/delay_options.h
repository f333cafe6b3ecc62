// Program Delay Startup Options: one delayed program's title, parameters, delay and window.
#pragma once
#include <windows.h>

// The delay shown as minutes (0 to 60) and a choice of 0-50 seconds; what OK stores.
struct DelayChoice {
    int minutes;
    int tens;  // the seconds' choice: 0 for 0, 1 for 10, ... 5 for 50
};
DelayChoice ChoiceOfDelay(int seconds);
int DelayOfChoice(const DelayChoice &choice);

// Shows the dialog for the program's registration in hive; IDOK when the options were written.
int ShowDelayOptionsDialog(HWND owner, HKEY hive, const char *program);

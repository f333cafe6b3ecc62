// The program information dialog: what is known about the program behind an entry of the entry
// list, its run state, a service's start type, the user's note, and the entries before and after.
#pragma once
#include <windows.h>

// Shows the entry at index modally; returns when it is closed. The entry list is left as it was.
void ShowInfoDialog(HWND owner, int entry);

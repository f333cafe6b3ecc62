// The history viewer: every record of history.txt, oldest first, with the reversal of a
// reversible event and the deletion of the whole file.
#pragma once
#include <windows.h>

// Runs the viewer modally; returns when it is closed. The entry list is left empty.
void ShowHistoryViewer(HWND owner);

// Deletes history.txt in the program folder, clearing its read-only attribute first. 1 when the
// file is gone afterwards (also when there was none).
int ClearHistoryFile();

// 1 when the viewer would reverse the loaded record at index: its action is a reversible one, or
// the vault kept what it took away. Other records are never handed to the reversal, whichever
// way the user asks for it.
int CanRestoreRecord(int index);

// The Options page of the sheet (template 114): the settings that have no list of their own, the
// patrol times of the system-file areas and the way to the history and the standing answers.
#pragma once
#include <windows.h>

#include <cstddef>

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);


// The Monitor's tray icon option for the older-style check box: 159 checked, 101 not.
int TrayIconFor(bool olderStyle);

// The Monitor's companion library, bound by ordinal only.
#pragma once
#include <windows.h>

extern "C" {
// Ordinal 2: takes the Monitor's main window after start-up.
__declspec(dllimport) void WINAPI QuellmarkAttach(HWND mainWindow);
// Ordinal 3: lets go of it at exit.
__declspec(dllimport) void WINAPI QuellmarkDetach();
}

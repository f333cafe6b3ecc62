// The Monitor's companion library. It holds the Monitor's main window between attach and detach.
#include <windows.h>

namespace {
HWND g_mainWindow = nullptr;
}

extern "C" {

__declspec(dllexport) void WINAPI QuellmarkAttach(HWND mainWindow) { g_mainWindow = mainWindow; }

__declspec(dllexport) void WINAPI QuellmarkDetach() { g_mainWindow = nullptr; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
}

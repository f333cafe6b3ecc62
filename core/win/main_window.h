// The window class of each program's main window: the programs' own icon, double clicks, the
// light grey of their era.
#pragma once
#include <windows.h>

// Registers the class once per process (a second call finds it); false when it can't be.
inline bool RegisterMainWindowClass(HINSTANCE instance, const char *className, WNDPROC procedure,
                                    int iconId)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, className, &existing))
        return true;
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

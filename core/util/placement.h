// Where a dialog is put on screen and the values it keeps its place in (product key, HKCU): the
// alerts and the Explorer's own dialogs share the rule.
#pragma once
#include <windows.h>

struct ScreenSize {
    int width;
    int height;
    int virtualWidth;
    int virtualHeight;
};
// The top left corner for a dialog of the given size from the stored x and y texts (null or
// empty when missing).
POINT AlertPlacement(const char *x, const char *y, SIZE dialog, const ScreenSize &screen);
void RestoreAlertPosition(HWND dialog, const char *xName, const char *yName);
void SaveAlertPosition(HWND dialog, const char *xName, const char *yName, const char *dxName,
                       const char *dyName);

// A dialog's state lives with its window: WM_INITDIALOG's lParam is kept in GWLP_USERDATA.
#pragma once
#include <windows.h>

// The state of the dialog for this message; null before WM_INITDIALOG.
template <typename State> State *DialogState(HWND dialog, UINT message, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return reinterpret_cast<State *>(lParam);
    }
    return reinterpret_cast<State *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

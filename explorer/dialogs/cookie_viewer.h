// The cookie viewer: the cookies of the chosen browser, each ticked when the user keeps it, and
// the removal of the unticked or of the ticked ones.
#pragma once
#include <windows.h>

// Applies the filters, then shows the cookies modally; returns when it is closed. The entry list
// is left empty.
void ShowCookieViewer(HWND owner);

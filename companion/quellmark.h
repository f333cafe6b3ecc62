// The Monitor's companion library, bound by ordinal only.
#pragma once
#include <windows.h>

// A place to watch: a registry key under root, or a folder when root is null.
struct QuellmarkPlace {
    HKEY root;
    const char *path;
    BOOL subtree;  // changes below it count too
    UINT tag;      // sent back as the place signal's wParam
};

#ifndef QUELLMARK_API
#define QUELLMARK_API __declspec(dllimport)
#endif

extern "C" {
// Ordinal 2: takes the Monitor's main window after start-up.
QUELLMARK_API void WINAPI QuellmarkAttach(HWND mainWindow);
// Ordinal 3: lets go of it at exit, and of every place.
QUELLMARK_API void WINAPI QuellmarkDetach();
// Ordinal 4: the places whose changes are signalled from now on, in place of any given before;
// the texts are copied.
QUELLMARK_API void WINAPI QuellmarkWatch(const QuellmarkPlace *places, int count);
}

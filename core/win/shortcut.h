// Shortcut files through the shell's link object (COM must be initialised on the thread).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "com.h"

// The shortcut file loaded into a shell link; false when the file can't be read as one.
inline bool LoadShortcut(const char *file, ComPtr<IShellLinkA> &link)
{
    ComPtr<IPersistFile> persist;
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, link.put())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put())) &&
           MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(persist->Load(wide, STGM_READ));
}

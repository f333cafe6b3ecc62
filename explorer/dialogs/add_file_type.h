// The Add File Type Extension dialog of the File Types page.
#pragma once
#include <windows.h>

// Asks for an extension to watch and adds it to the monitored list: 1 when one was added, 0 when
// the dialog was left (Cancel, Escape, the close box) or the field was left empty.
int ShowAddFileTypeDialog(HWND owner);

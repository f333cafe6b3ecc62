// The Explorer's skeleton: its command line, the hidden main window that owns the property
// sheet, and the list and order of the pages.
#pragma once
#include <windows.h>

#include "page_host.h"

// What a command line asks for: a one-shot job, a hand-over or the page to open.
struct Switches {
    int command;        // page id, or 6045-6048 for a command that is not a page
    bool quit;          // -Q
    bool startMonitor;  // -START
    bool restore;       // -Restore
    bool auOption;      // -AUOption
    bool setPrefix;     // -SetPrefix
};
// Matches the switches as substrings, ignoring case, in their fixed order; a later match
// overrides an earlier one. startTab is the stored StartTab: a value that names no page opens
// the Startup page.
Switches ReadSwitches(const char *commandLine, int startTab);

// One page of the sheet.
struct PageInfo {
    int id;
    UINT caption;
    int templateId;
    int icon;
    DLGPROC procedure;
};
// The pages in tab order for the running platform (no Services page on Windows 95/98/Me); the
// number written.
int BuildPageList(PageInfo *pages, int capacity);

// Registers the main window's class and creates the hidden main window; nullptr on failure.
HWND CreateMainWindow(HINSTANCE instance, const char *className, const char *caption);
// Starts Sentrovia.exe from the program folder, shown normally.
void StartMonitorProgram();
// Opens the sheet at a page, or brings an open sheet forward (see the main window's commands).
void OpenSheet(int pageId);


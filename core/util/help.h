// The help page of a command id (a page, an alert or the tray), shared by both programs.
#pragma once
#include <cstddef>

// The help page of a command: a copy in the program folder, else the vendor's site (through a
// running AOL client when there is one). 1 when something was opened.
int OpenHelpPage(int commandId);
// The page's file name for a command, and the language prefix put before it ("" in English).
const char *HelpPageName(int commandId);
int HelpPagePrefix(char *out, size_t capacity);
// The page's address on the vendor's site.
int HelpPageAddress(int commandId, char *out, size_t capacity);

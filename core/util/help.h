// The help page of a command id (a page, an alert or the tray), shared by both programs.
#pragma once
#include <cstddef>

// The help page of a command: the copy in the program folder in the user's language, else the
// English one shipped there, else a web search on its subject (through a running AOL client when
// there is one). 1 when something was opened.
int OpenHelpPage(int commandId);
// The page's file name for a command, and the language prefix put before it ("" in English).
const char *HelpPageName(int commandId);
int HelpPagePrefix(char *out, size_t capacity);
// The web search on the page's subject, for a program folder without the page.
int HelpPageAddress(int commandId, char *out, size_t capacity);

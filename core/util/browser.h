// Which web browser the system opens addresses with.
#pragma once
#include <cstddef>

enum BrowserKind : int {
    BROWSER_InternetExplorer = 1, BROWSER_Netscape = 2, BROWSER_Firefox = 3, BROWSER_Maxthon = 4,
    BROWSER_Avant = 5, BROWSER_Mozilla = 6
};

// The system's command for http addresses, as stored; 0 when there is none.
int DefaultBrowserCommand(char *buffer, size_t capacity);
// The program of that command (Internet Explorer's path when there is none); 0 when neither.
int DefaultBrowserProgram(char *program, size_t capacity);
// The browser kind of that command (of Internet Explorer's path when there is none).
int DefaultBrowserKind();
// The path of iexplore.exe from its App Paths entry; empty (0) when there is none.
int InternetExplorerPath(char *buffer, size_t capacity);

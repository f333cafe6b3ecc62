#include "browser.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

struct BrowserName {
    const char *part;
    int kind;
};

// Tried in this order; the first match wins.
const BrowserName kBrowsers[] = {
    {"iexplore", BROWSER_InternetExplorer}, {"netscp", BROWSER_Netscape},
    {"maxthon", BROWSER_Maxthon},           {"avant", BROWSER_Avant},
    {"mozilla", BROWSER_Mozilla},           {"firefox", BROWSER_Firefox},
};

} // namespace

int InternetExplorerPath(char *buffer, size_t capacity)
{
    char key[256];
    char folder[MAX_PATH];
    LoadText(IDS_IEXPLORE_APP_PATH_KEY, key);
    if (ReadRegString(HKEY_LOCAL_MACHINE, key, "Path", folder, sizeof folder) == 0) {
        CopyBounded(buffer, capacity, "");
        return 0;
    }
    size_t length = strlen(folder);
    if (length > 0 && folder[length - 1] == ';')
        folder[length - 1] = '\0';
    return FormatBounded(buffer, capacity, "%s\\iexplore.exe", folder);
}

int DefaultBrowserCommand(char *buffer, size_t capacity)
{
    char key[256];
    LoadText(IDS_HTTP_OPEN_COMMAND_KEY, key);
    return ReadRegString(HKEY_LOCAL_MACHINE, key, nullptr, buffer, capacity) > 0;
}

int DefaultBrowserProgram(char *program, size_t capacity)
{
    char command[512];
    DefaultBrowserCommand(command, sizeof command);
    char stripped[512];
    StripQuotes(command, stripped, sizeof stripped);
    if (char *dash = strchr(stripped, '-'))
        dash[dash > stripped ? -1 : 0] = '\0';  // cut before the space that leads the switch
    else if (size_t length = strlen(stripped))
        stripped[length - 1] = '\0';
    CopyBounded(program, capacity, stripped);
    if (program[0] == '\0')
        InternetExplorerPath(program, capacity);
    return program[0] != '\0';
}

int DefaultBrowserKind()
{
    char program[512];
    DefaultBrowserProgram(program, sizeof program);
    for (const BrowserName &browser : kBrowsers)
        if (ContainsNoCase(program, browser.part))
            return browser.kind;
    return BROWSER_InternetExplorer;
}

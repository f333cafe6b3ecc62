// Browser helper objects, toolbars and extensions.
#include "iehelpers.h"

#include <windows.h>

#include <cstring>

#include "area.h"
#include "bounded.h"
#include "historyline.h"

// Nobody waits for it. A path with spaces is quoted, or regsvr32 would take each piece for a file.
int RegisterHelperAgain(const char *path)
{
    if (path[0] == '\0')
        return 0;
    char command[kHistoryPathWidth + 32];
    const bool quote = path[0] != '"' && strchr(path, ' ') != nullptr;
    if (!FormatBounded(command, sizeof command, quote ? "regsvr32 /s \"%s\"" : "regsvr32 /s %s",
                       path))
        return 0;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 0;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 1;
}

int RestoreIEHelperRecord(const RestoreRecord &record)
{
    return record.action == kActionHelperRemove ? RegisterHelperAgain(record.path) : 0;
}

#include "web.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "bounded.h"
#include "browser.h"
#include "files.h"

namespace {

struct AolWindow {
    const char *className;
    const char *title;
};

const AolWindow kAolWindows[] = {
    {"AOL Frame25", "America  Online"}, {"AOL Frame25", "America Online"},
    {"AOL Frame25", "AOL"},             {"AOL Frame25", "AOL Canada"},
    {"AOL Frame", "America  Online"},
};

int Run(const char *commandLine)
{
    std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

} // namespace

bool AolClientRunning()
{
    for (const AolWindow &window : kAolWindows)
        if (FindWindowA(window.className, window.title) != nullptr)
            return true;
    return false;
}

int AolClientCommand(char *command, size_t capacity)
{
    if (!AolClientRunning())
        return 0;
    char folder[MAX_PATH] = "";
    GetProfileStringA("WAOL", "AppPath", "", folder, sizeof folder);
    if (folder[0] == '\0')
        return CopyBounded(command, capacity, "waol.exe -u \"");
    return FormatBounded(command, capacity, "%s\\WAOL.EXE -u \"", folder);
}

int OpenWithAol(const char *address)
{
    char command[2048];
    if (!AolClientCommand(command, sizeof command) || !AppendBounded(command, address) ||
        !AppendBounded(command, "\""))
        return 0;
    return Run(command);
}

int ShellOpen(const char *target)
{
    HINSTANCE result = ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

int RunDefaultBrowser(const char *address)
{
    char stored[512];
    if (!DefaultBrowserCommand(stored, sizeof stored))
        return 0;
    // The stored command may carry switches and a "%1": only its program is run.
    char program[MAX_PATH];
    char ignored[512];
    SplitCommand(stored, program, sizeof program, ignored, sizeof ignored);
    char command[4096];
    if (!FormatBounded(command, sizeof command, "\"%s\" %s", program, address))
        return 0;
    return Run(command);
}

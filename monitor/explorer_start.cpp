// Starting the Explorer from the Monitor.
#include <windows.h>
#include <shellapi.h>

#include "bounded.h"
#include "messages.h"
#include "monitor.h"
#include "platform.h"
#include "strings.h"
#include "texts.h"

namespace {

struct CommandSwitch {
    int command;
    const char *switchText;
};

// The commands that open no area's page.
const CommandSwitch kSwitches[] = {
    {CMD_Options, "-OPTIONS"}, {CMD_Monitor, "-MONITOR"}, {CMD_Blacklist, "-BLACKLIST"},
};

} // namespace

const char *ExplorerSwitchFor(int command)
{
    if (const AreaRow *area = AreaOfPage(command))
        return area->startSwitch;
    for (const CommandSwitch &entry : kSwitches)
        if (entry.command == command)
            return entry.switchText;
    return nullptr;
}

int StartExplorer(const char *switchText)
{
    char folder[MAX_PATH];
    char program[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    // The full path: the shell looks for a bare name in the caller's folder, not the given one.
    FormatBounded(program, sizeof program, "%s\\SentroviaEx.exe", folder);
    HINSTANCE result = ShellExecuteA(Monitor().mainWindow, "open", program, switchText, folder,
                                     SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return 1;
    char text[512];
    LoadText(IDS_EXPLORER_NOT_FOUND, text);
    ShowMessage(Monitor().mainWindow, text, "Sentrovia", MB_OK | MB_ICONERROR | MB_TOPMOST);
    return 0;
}

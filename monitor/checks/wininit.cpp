// The restart-commands check of Windows 95/98/Me: commands queued in wininit.ini run at the next
// restart, before any program can ask.
#include "alerts.h"
#include "area.h"
#include "checks.h"
#include "messages.h"
#include "monitor.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kAskedOnce = 99999;  // the check does not come back in practice

} // namespace

void CheckRestartCommands()
{
    if (!ShowRestartCommands(true))
        return;
    Countdown(AREA_WinInit) = kAskedOnce;
    char text[512], caption[128];
    LoadText(IDS_WININIT_COMMANDS_ADDED, text);
    LoadText(IDS_CAPTION, caption);
    Monitor().alertOpen = 1;
    const int answer = ShowMessage(Monitor().mainWindow, text, caption,
                                   MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
    Monitor().alertOpen = 0;
    if (answer == IDYES)
        ShowRestartCommands(false);
}

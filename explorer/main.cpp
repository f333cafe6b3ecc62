// The Explorer's entry.
#include <windows.h>

#include "options.h"
#include "platform.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetProgramKind(ProgramKind::Explorer);
    InitLanguage();
    char className[32];
    char caption[64];
    if (LoadText(IDS_EXPLORER_CLASS_NAME, className) == 0 ||
        LoadText(IDS_EXPLORER_CAPTION, caption) == 0)
        return 0;
    LoadOptions();
    StartTrace(Option(OPT_Debug) != 0);
    Trace("main", "-------------------------------------Begin SentroviaEx");
    return 0;
}

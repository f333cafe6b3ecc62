// The Monitor's entry.
#include <windows.h>

#include "options.h"
#include "platform.h"
#include "quellmark.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetProgramKind(ProgramKind::Monitor);
    InitLanguage();
    char className[32];
    char caption[32];
    if (LoadText(IDS_CLASS_NAME, className) == 0 || LoadText(IDS_CAPTION, caption) == 0)
        return 0;
    LoadOptions();
    StartTrace(Option(OPT_Debug) != 0);
    Trace("svmain", "-------------------------------------Begin Sentrovia");
    QuellmarkAttach(nullptr);
    QuellmarkDetach();
    return 0;
}

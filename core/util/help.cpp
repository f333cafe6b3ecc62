// The help pages of both programs' windows, opened from a copy beside the program or from the
// vendor's site.
#include "help.h"

#include <cstring>

#include "area.h"
#include "bounded.h"
#include "files.h"
#include "ids.h"
#include "platform.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "web.h"

namespace {

// The one place the vendor's help site is named.
constexpr char kHelpSite[] = "https://www.orvanto.com/sentrovia/help/";

}  // namespace

const char *HelpPageName(int commandId)
{
    if (const AreaRow *area = AreaOfPage(commandId))
        return area->helpPage;
    switch (commandId) {
    case IDM_PAGE_OPTIONS:
        return "options.html";
    case IDM_HELP_ME:
        return "helpme.html";
    default:
        return "features.html";
    }
}

int HelpPagePrefix(char *out, size_t capacity)
{
    char code[16];
    LoadText(IDS_LANGUAGE_CODE, code);
    if (code[0] == '\0' || EqualsNoCase(code, "us"))
        return CopyBounded(out, capacity, "");
    return FormatBounded(out, capacity, "%s_", code);
}

int HelpPageAddress(int commandId, char *out, size_t capacity)
{
    char prefix[16];
    HelpPagePrefix(prefix, sizeof prefix);
    return FormatBounded(out, capacity, "%s%s%s", kHelpSite, prefix, HelpPageName(commandId));
}

int OpenHelpPage(int commandId)
{
    char folder[MAX_PATH];
    char prefix[16];
    char local[MAX_PATH];
    HelpPagePrefix(prefix, sizeof prefix);
    if (ProgramFolder(folder, sizeof folder) &&
        FormatBounded(local, sizeof local, "%s\\%s%s", folder, prefix, HelpPageName(commandId)) &&
        FileExists(local))
        return ShellOpen(local);
    char address[512];
    HelpPageAddress(commandId, address, sizeof address);
    return OpenWithAol(address) || ShellOpen(address);
}

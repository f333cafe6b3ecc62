// The help pages of both programs' windows, opened from a copy beside the program or from the
// vendor's site.
#include "help.h"

#include <cstring>
#include <initializer_list>

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

// With no page beside the program, a web search on the page's subject.
constexpr char kSearch[] = "https://duckduckgo.com/?q=";

const char *SubjectOf(int commandId)
{
    switch (commandId) {
    case IDM_PAGE_STARTUP:
        return "Windows startup programs";
    case IDM_PAGE_COOKIES:
        return "browser cookies";
    case IDM_PAGE_ACTIVE_TASKS:
        return "Windows running processes";
    case IDM_PAGE_SERVICES:
        return "Windows services";
    case IDM_PAGE_SCHEDULED_TASKS:
        return "Windows scheduled tasks";
    case IDM_PAGE_IE_HELPERS:
        return "Internet Explorer browser helper objects";
    case IDM_PAGE_FILE_TYPES:
        return "Windows file type associations";
    case IDM_PAGE_HIDDEN_FILES:
        return "Windows hidden files";
    case IDM_PAGE_DELAYED_START:
        return "delay Windows startup programs";
    case IDM_PAGE_ACTIVEX:
        return "ActiveX controls";
    default:
        return "programs that start with Windows";
    }
}

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
    char words[256];
    UrlQueryText(SubjectOf(commandId), words, sizeof words);
    return FormatBounded(out, capacity, "%s%s", kSearch, words);
}

int OpenHelpPage(int commandId)
{
    char folder[MAX_PATH];
    char prefix[16];
    char local[MAX_PATH];
    HelpPagePrefix(prefix, sizeof prefix);
    // The page in the user's language, else the one shipped in English, else a web search.
    if (ProgramFolder(folder, sizeof folder))
        for (const char *form : {static_cast<const char *>(prefix), ""})
            if (FormatBounded(local, sizeof local, "%s\\%s%s", folder, form,
                              HelpPageName(commandId)) &&
                FileExists(local))
                return ShellOpen(local);
    char address[512];
    HelpPageAddress(commandId, address, sizeof address);
    return OpenWithAol(address) || ShellOpen(address);
}

// The help pages of both programs' windows, opened from a copy beside the program or from the
// vendor's site.
#include "help.h"

#include <cstring>

#include "bounded.h"
#include "files.h"
#include "platform.h"
#include "strings.h"
#include "texts.h"
#include "web.h"

namespace {

// The one place the vendor's help site is named.
constexpr char kHelpSite[] = "https://www.orvanto.com/sentrovia/help/";

}  // namespace

const char *HelpPageName(int commandId)
{
    static const struct {
        int command;
        const char *page;
    } kPages[] = {
        {6026, "startup.html"},  {6028, "cookies.html"},   {6029, "tasks.html"},
        {6033, "options.html"},  {6038, "services.html"},  {6039, "scheduler.html"},
        {6040, "bho.html"},      {6042, "filetype.html"},  {6051, "helpme.html"},
        {6052, "hidden.html"},   {6055, "delay.html"},     {6056, "activex.html"},
    };
    for (const auto &entry : kPages)
        if (entry.command == commandId)
            return entry.page;
    return "features.html";
}

int HelpPagePrefix(char *out, size_t capacity)
{
    char code[16];
    LoadText(IDS_LANGUAGE_CODE, code);
    if (code[0] == '\0' || _stricmp(code, "us") == 0)
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

// The browser-page check: the start, search and desktop pages against the approved ones. A change
// is asked about with a Yes/No box naming both pages.
#include <cstring>
#include <string>

#include "ask.h"
#include "bounded.h"
#include "browser_pages.h"
#include "checks.h"
#include "messages.h"
#include "monitor.h"
#include "strings.h"
#include "texts.h"

namespace {

// The alert's item carries the new page as its path, the approved one as its second path and
// the question's text id as its kind.
int ShowPageQuestion(const AlertContext &item)
{
    char form[1024], caption[128];
    LoadText(static_cast<UINT>(item.kindCode), form);
    LoadText(IDS_CAPTION, caption);
    std::string text(strlen(form) + strlen(item.itemPath) + strlen(item.secondPath) + 1, '\0');
    FormatBounded(&text[0], text.size(), form, item.itemPath, item.secondPath);
    text.resize(strlen(text.c_str()));
    return ShowMessage(Monitor().mainWindow, text.c_str(), caption,
                       MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
}

// The page check itself writes what the answer chose.
void Apply(int, const void *) {}

int Decide(const PageChange &change, void *)
{
    if (Monitor().exiting)
        return 0;
    NoteAlertInTray(AREA_StartPage);
    AlertContext alert = ItemAlertOf(change.now.c_str(), "", static_cast<int>(change.question));
    CopyBounded(alert.secondPath, change.approved.c_str());
    return Ask({AREA_StartPage, &alert, ShowPageQuestion, false, Apply, nullptr});
}

} // namespace

void CheckStartPages() { CheckBrowserPages(Decide, nullptr); }

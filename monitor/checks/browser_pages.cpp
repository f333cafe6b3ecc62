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
#include "platform.h"
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


// A setting's question: Yes puts the approved setting back, No keeps the new one.
int AskAboutSetting(const SettingChange &change, UINT title)
{
    char form[1024], caption[128], name[128], full[300];
    LoadText(change.question, form);
    LoadText(IDS_CAPTION, caption);
    LoadText(title, name);
    FormatBounded(full, sizeof full, "%s - %s", caption, name);
    std::string text(strlen(form) + change.approved.size() + change.now.size() + 1, '\0');
    FormatBounded(&text[0], text.size(), form, change.approved.c_str(), change.now.c_str());
    text.resize(strlen(text.c_str()));
    Monitor().alertOpen = 1;
    const int answer = ShowMessage(Monitor().mainWindow, text.c_str(), full,
                                   MB_YESNO | MB_TOPMOST |
                                       (title == IDS_URL_PREFIX_CAPTION ? MB_ICONSTOP
                                                                        : MB_ICONEXCLAMATION));
    Monitor().alertOpen = 0;
    return answer;
}

} // namespace

void CheckStartPages() { CheckBrowserPages(Decide, nullptr); }

void CheckBrowserSettings()
{
    // Windows Vista and its successors let only an elevated program write these: the Explorer's
    // one-shot switches do it there.
    const bool throughExplorer = MajorVersion() == 6;
    SettingChange change;
    if (!Monitor().exiting && AutoUpdateChanged(change)) {
        if (AskAboutSetting(change, IDS_AUTO_UPDATE_SETTINGS) == IDYES) {
            if (throughExplorer)
                StartExplorer("-AUOption");
            else
                RestoreAutoUpdate();
        } else {
            KeepAutoUpdate();
        }
    }
    if (!Monitor().exiting && UrlPrefixChanged(change)) {
        if (AskAboutSetting(change, IDS_URL_PREFIX_CAPTION) == IDYES) {
            if (throughExplorer)
                StartExplorer("-SetPrefix");
            else
                RestoreUrlPrefix();
        } else {
            KeepUrlPrefix();
        }
    }
}

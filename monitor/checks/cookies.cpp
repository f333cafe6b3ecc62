// The cookie steps of the second half: the filters applied to Internet Explorer's cookie files,
// the filtered Mozilla copy swapped in once the browser is closed, and the question about new
// cookies.
#include <windows.h>

#include <string>

#include "ask.h"
#include "browser.h"
#include "checks.h"
#include "cookies.h"
#include "entries.h"
#include "messages.h"
#include "monitor.h"
#include "strings.h"
#include "texts.h"
#include "trace.h"

namespace {

int AskAboutNewCookies(const AlertContext &)
{
    char text[512];
    LoadText(IDS_NEW_COOKIES, text);
    return ShowMessage(nullptr, text, "Sentrovia", MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
}

void OpenCookieList(int answer, const void *)
{
    if (answer == IDYES)
        StartExplorer("-COOKIES");
}

} // namespace

void CheckCookieFilter()
{
    // The Mozilla family's cookies are filtered into a copy by the Explorer; here only swapped.
    if (CookieModeOf(DefaultBrowserKind()) == COOKIES_Mozilla) {
        SetCookieMode(COOKIES_Mozilla);
        return;
    }
    SetCookieMode(COOKIES_InternetExplorer);
    EnumCookies(1);
    ClearEntryList();
}

void SwapFilteredCookies()
{
    char profile[MAX_PATH];
    if (CurrentCookieMode() != COOKIES_Mozilla || !GetMozillaProfileFolder(profile, sizeof profile))
        return;
    Trace("svmain", "Filter Mozilla Cookies");
    if (SwapMozillaCookieFile()) {
        SetUpdateCookieFile(false);
        PurgeRemovedNuts();
    }
}

void CheckNewCookies()
{
    std::string fresh;
    for (int i = 0, count = EnumCookies(0); i < count && fresh.empty(); ++i) {
        const char *title = EntryWholeTitle(i);
        // A cookie marked for removal is on its way out, not new.
        if (!IsKeptCookie(title) && !IsNutValue(title))
            fresh = title;
    }
    ClearEntryList();
    if (fresh.empty())
        return;
    NoteAlertInTray(AREA_Cookies);
    const AlertContext item = ItemAlertOf("", fresh.c_str(), kIECookieKind);
    // Nothing is written: a cookie left unkept is asked about at the next due check.
    Ask({AREA_Cookies, &item, AskAboutNewCookies, true, OpenCookieList, nullptr});
}

#include "browser_pages.h"

#include "bounded.h"
#include "keys.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

struct WatchedPage {
    UINT key;          // where the page is (HKEY_CURRENT_USER)
    UINT value;        // its value's name
    const char *valueName;
    const char *approvedName;  // the approved page's value under the product key
    UINT question;
};

constexpr WatchedPage kPages[] = {
    {IDS_IE_MAIN_KEY, IDS_START_PAGE_VALUE, nullptr, "StartPage", IDS_START_PAGE_CHANGED},
    {IDS_IE_MAIN_KEY, IDS_SEARCH_PAGE_VALUE, nullptr, "SearchPage", IDS_SEARCH_PAGE_CHANGED},
    {IDS_DESKTOP_COMPONENT_KEY, 0, "Source", "SourcePage", IDS_DESKTOP_PAGE_CHANGED},
};

std::string WithoutSlash(std::string page)
{
    if (!page.empty() && page.back() == '/')
        page.pop_back();
    return page;
}

} // namespace

void CheckBrowserPages(int (*decide)(const PageChange &change, void *context), void *context)
{
    for (const WatchedPage &page : kPages) {
        char key[512], value[128];
        LoadText(page.key, key);
        if (page.value != 0)
            LoadText(page.value, value);
        else
            CopyBounded(value, page.valueName);
        const std::string now = ReadRegWholeString(HKEY_CURRENT_USER, key, value);
        const std::string approved =
            ReadRegWholeString(HKEY_CURRENT_USER, kProductKey, page.approvedName);
        if (approved.empty()) {
            WriteRegString(HKEY_CURRENT_USER, kProductKey, page.approvedName, now.c_str());
            continue;
        }
        if (EqualsNoCase(WithoutSlash(now).c_str(), WithoutSlash(approved).c_str()))
            continue;
        const int answer = decide({page.question, now, approved}, context);
        if (answer == IDYES)
            WriteRegString(HKEY_CURRENT_USER, kProductKey, page.approvedName, now.c_str());
        else if (answer == IDNO)
            WriteRegString(HKEY_CURRENT_USER, key, value, approved.c_str());
    }
}

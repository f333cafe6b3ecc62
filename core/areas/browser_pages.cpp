#include "browser_pages.h"

#include "area.h"
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

constexpr char kAutoUpdateKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";

} // namespace

std::string AutoUpdateText(int number)
{
    char text[256];
    LoadText(number >= 1 && number <= 4 ? IDS_AUTO_UPDATE_OFF + (number - 1)
                                        : IDS_AUTO_UPDATE_SETTINGS,
             text);
    return text;
}

int AutoUpdateSetting() { return ReadRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdateKey, "AUOptions"); }

namespace {

// The approved prefix; "http://" when none is stored.
std::string ApprovedPrefix()
{
    const std::string stored = ReadRegWholeString(HKEY_CURRENT_USER, kProductKey, "wwwPrefix");
    if (!stored.empty())
        return stored;
    char prefix[64];
    LoadText(IDS_DEFAULT_URL_PREFIX, prefix);
    return prefix;
}

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

int AutoUpdateChanged(SettingChange &change)
{
    const int approved = ReadRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions");
    const int now = ReadRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdateKey, "AUOptions");
    if (approved <= 0 || approved > 4) {
        if (now != 0)
            WriteRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions", static_cast<DWORD>(now));
        return 0;
    }
    if (now == approved)
        return 0;
    change = {IDS_AUTO_UPDATE_CHANGED, AutoUpdateText(approved), AutoUpdateText(now)};
    return 1;
}

void KeepAutoUpdate()
{
    const int now = ReadRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdateKey, "AUOptions");
    WriteRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions", static_cast<DWORD>(now));
}

void RestoreAutoUpdate()
{
    const int approved = ReadRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions");
    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdateKey, "AUOptions", static_cast<DWORD>(approved));
}

int UrlPrefixChanged(SettingChange &change)
{
    const std::string approved = ApprovedPrefix();
    const std::string now = ReadRegWholeString(HKEY_LOCAL_MACHINE, kPrefixesKey, "www");
    if (EqualsNoCase(approved.c_str(), now.c_str()))
        return 0;
    // No prefix at all, as the user chose to keep it: not asked again on every pass.
    if (now.empty() && RegValueExists(HKEY_CURRENT_USER, kProductKey, "wwwPrefix") &&
        ReadRegWholeString(HKEY_CURRENT_USER, kProductKey, "wwwPrefix").empty())
        return 0;
    change = {IDS_URL_PREFIX_CHANGED, approved, now};
    return 1;
}

void KeepUrlPrefix()
{
    const std::string now = ReadRegWholeString(HKEY_LOCAL_MACHINE, kPrefixesKey, "www");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "wwwPrefix", now.c_str());
}

void RestoreUrlPrefix()
{
    const std::string approved = ApprovedPrefix();
    WriteRegString(HKEY_LOCAL_MACHINE, kPrefixesKey, "www", approved.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, nullptr, approved.c_str());
}

void BrowserPagePlaces(PlaceList &out)
{
    for (const WatchedPage &page : kPages) {
        char key[512];
        LoadText(page.key, key);
        bool known = false;
        for (const WatchedPlace &place : out)
            known = known || EqualsNoCase(place.path.c_str(), key);
        if (!known)
            AddKeyPlace(out, HKEY_CURRENT_USER, key);
    }
    // Checked at every verify, whichever half runs: their change still brings this area's pass.
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kAutoUpdateKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kPrefixesKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kDefaultPrefixKey);
}

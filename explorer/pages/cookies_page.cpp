// The Cookies page: the cookie filters ("nuts") with Add and Remove, the browser whose cookies
// are meant, the folder they are read from, and the cookie viewer.
#include <windows.h>

#include <string>
#include <vector>

#include "bounded.h"
#include "cookie_viewer.h"
#include "cookies.h"
#include "entries.h"
#include "explorer_art.h"
#include "ids.h"
#include "list_page.h"
#include "options.h"
#include "page_host.h"
#include "registry.h"
#include "keys.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {{IDS_COOKIES_WITH_NUTS, 1000}};
constexpr int kBrowserIE = 1;
constexpr int kBrowserMozilla = 6;

// The active filters as the list shows them; the entry list holds the same, but the viewer
// fills that with cookies while this page stays on screen.
std::vector<std::string> &Filters()
{
    static std::vector<std::string> filters;
    return filters;
}

int Fill()
{
    Filters().clear();
    ClearEntryList();
    for (int i = 0, count = LoadNuts(); i < count; ++i)
        if (NutState(i) == 1)
            Filters().push_back(NutText(i));
    ReleaseNuts();
    for (size_t i = 0; i < Filters().size(); ++i)
        if (AddEntry(Filters()[i].c_str(), "", "", "", kCookieKind + 3, 1))
            KeepEntryName(static_cast<int>(i), Filters()[i].c_str());
    return EntryCount();
}

void Cell(int entry, int, char *out, size_t capacity)
{
    const bool listed = entry >= 0 && static_cast<size_t>(entry) < Filters().size();
    CopyBounded(out, capacity, listed ? Filters()[static_cast<size_t>(entry)].c_str() : "");
}

// Every filter shows the page's cookie picture (a negative index names a resource id).
void FilterIcon(int, char *file, size_t capacity, int *index)
{
    const DWORD length = GetModuleFileNameA(nullptr, file, static_cast<DWORD>(capacity));
    if (length == 0 || length >= capacity)
        CopyBounded(file, capacity, "");
    *index = -IDI_TAB_COOKIES;
}

// The folder the chosen browser's cookies are read from, or why there is none.
void ShowFolder(ListPage &page)
{
    char folder[MAX_PATH] = "";
    const int found = CurrentCookieMode() == COOKIES_Mozilla
                          ? GetMozillaProfileFolder(folder, sizeof folder)
                          : GetIECookieFolder(folder, sizeof folder);
    if (!found)
        LoadText(IDS_COOKIE_FOLDER_NOT_FOUND, folder, sizeof folder);
    char label[64];
    LoadText(IDS_COOKIE_FOLDER_LABEL, label);
    SetDlgItemTextA(page.window, IDC_COOKIE_FOLDER_TEXT, (std::string(label) + folder).c_str());
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_ADD, IDS_ADD);
    SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE);
    SetItemText(page.window, IDC_PAGE_VIEW, IDS_VIEW_COOKIES);
    SetItemText(page.window, IDC_COOKIE_FIELD_LABEL, IDS_NEW_FILTER_LABEL);
    SetItemText(page.window, IDC_COOKIE_ALWAYS, IDS_ALWAYS_VIEW_COOKIES);
    SetItemText(page.window, IDC_COOKIE_BROWSER_IE, IDS_BROWSER_IE);
    SetItemText(page.window, IDC_COOKIE_BROWSER_MOZILLA, IDS_BROWSER_MOZILLA);
    SetItemText(page.window, IDC_COOKIE_FOLDER, IDS_COOKIE_FOLDER_BUTTON);
    SendDlgItemMessageA(page.window, IDC_COOKIE_FIELD, EM_LIMITTEXT, kNewNutWidth, 0);
    SetCookieMode(CookieModeOf(Option(OPT_Browser)));
    CheckRadioButton(page.window, IDC_COOKIE_BROWSER_IE, IDC_COOKIE_BROWSER_MOZILLA,
                     CurrentCookieMode() == COOKIES_Mozilla ? IDC_COOKIE_BROWSER_MOZILLA
                                                            : IDC_COOKIE_BROWSER_IE);
    CheckDlgButton(page.window, IDC_COOKIE_ALWAYS,
                   Option(OPT_ViewCookies) != 0 ? BST_CHECKED : BST_UNCHECKED);
    ShowFolder(page);
    // Asked for its cookie list, the page opens the viewer once it is on screen.
    if (Option(OPT_ViewCookies) != 0)
        PostMessageA(page.window, kCookieListMessage, 5, 5);
}

void AddTyped(ListPage &page)
{
    char typed[kNewNutWidth + 1] = "";
    GetDlgItemTextA(page.window, IDC_COOKIE_FIELD, typed, sizeof typed);
    switch (AddNut(typed)) {
    case NutAdded::Added:
        SetDlgItemTextA(page.window, IDC_COOKIE_FIELD, "");
        break;
    case NutAdded::TooMany:
        ShowPageMessage(IDS_TOO_MANY_NUTS, MB_OK | MB_ICONINFORMATION);
        break;
    case NutAdded::Unfit:
        SetFocus(GetDlgItem(page.window, IDC_COOKIE_FIELD));
        break;
    }
    FillListPage(page);
}

void RemoveSelected(ListPage &page)
{
    std::vector<std::string> chosen;
    for (int entry : SelectedOrSay(page))
        chosen.push_back(Filters()[static_cast<size_t>(entry)]);
    for (const std::string &filter : chosen)
        RemoveNut(filter.c_str());
    ReleaseNuts();
    FillListPage(page);
}

void View(ListPage &page)
{
    // Owned by the sheet, so the sheet waits while the viewer is open.
    ShowCookieViewer(GetParent(page.window));
    FillListPage(page);
}

void ChooseFolder(ListPage &page)
{
    char start[MAX_PATH] = "";
    ReadRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", start, sizeof start);
    char file[MAX_PATH] = "Path";
    if (ChooseFile(IDS_SELECT_COOKIE_FOLDER, "All Folder (*.*) |*.*|", start, false, file,
                   sizeof file))
        StoreCookieFolder(file);
    ShowFolder(page);
}

void ChooseBrowser(ListPage &page, int browser)
{
    StoreOption(OPT_Browser, browser);
    SetCookieMode(CookieModeOf(browser));
    ShowFolder(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_ADD:
        AddTyped(page);
        return true;
    case IDC_PAGE_REMOVE:
        RemoveSelected(page);
        return true;
    case IDC_PAGE_VIEW:
        View(page);
        return true;
    case IDC_COOKIE_FOLDER:
        ChooseFolder(page);
        return true;
    case IDC_COOKIE_ALWAYS:
        StoreOption(OPT_ViewCookies,
                    IsDlgButtonChecked(page.window, IDC_COOKIE_ALWAYS) == BST_CHECKED ? 1 : 0);
        return true;
    case IDC_COOKIE_BROWSER_IE:
        ChooseBrowser(page, kBrowserIE);
        return true;
    case IDC_COOKIE_BROWSER_MOZILLA:
        ChooseBrowser(page, kBrowserMozilla);
        return true;
    default:
        return false;
    }
}

void Selected(ListPage &page, int entry)
{
    SetItemText(page.window, IDC_PAGE_HINT,
                entry >= 0 ? IDS_COOKIES_PAGE_REMOVE_HINT : IDS_COOKIES_PAGE_ADD_HINT);
}

void Menu(ListPage &, HMENU menu, int)
{
    AppendMenuText(menu, IDC_PAGE_VIEW, IDS_VIEW_ITEM);
    AppendMenuText(menu, IDC_PAGE_REMOVE, IDS_REMOVE);
}

bool Message(ListPage &page, UINT message, WPARAM, LPARAM)
{
    if (message != kCookieListMessage)
        return false;
    View(page);
    return true;
}

}  // namespace

const ListPageTraits kCookiesPageTraits = {
    AREA_Nuts, IDS_COOKIES_PAGE_INTRO, IDS_COOKIES_PAGE_ADD_HINT, kColumns, 1, Fill, Cell, Cell,
    nullptr, Create, Command, Selected, Menu, AskedAgain::CookieListOnTop, false, FilterIcon, Message,
};

// The list page frame: filling, icons, columns, sorting, selection, context menu and layout.
#include "list_page.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bounded.h"
#include "dialogs.h"
#include "entries.h"
#include "files.h"
#include "folders.h"
#include "help.h"
#include "info_dialog.h"
#include "ids.h"
#include "lookup.h"
#include "messages.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "page_host.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr int kMargin = 10;
constexpr int kButtonHeight = 23;
constexpr int kLastButtonIndent = 25;
constexpr int kCornerGap = 6;
constexpr int kLineGap = 2;

// The height a static text needs when it wraps at width; 0 for an empty text.
int WrappedTextHeight(HWND control, int width)
{
    char text[kCellText] = "";
    GetWindowTextA(control, text, sizeof text);
    if (text[0] == '\0' || width <= 0)
        return 0;
    DCOwner dc(CreateCompatibleDC(nullptr));
    if (!dc)
        return 0;
    Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    UINT flags = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    if (GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    DrawTextA(dc.get(), text, -1, &rect, flags);
    return rect.bottom;
}

ListPage *PageOf(HWND window)
{
    return reinterpret_cast<ListPage *>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Compares two keys by the system's rules, ignoring case; the Startup page's rules put disabled
// entries last in either direction and let a key that begins the other compare equal.
int CompareKeys(const char *left, bool leftDisabled, const char *right, bool rightDisabled,
                bool startupRules, bool descending)
{
    int leftLength = -1;
    int rightLength = -1;
    if (startupRules) {
        // Last in both directions: decided before the direction turns the order round.
        if (leftDisabled != rightDisabled)
            return leftDisabled ? 1 : -1;
        const size_t shorter = std::min(strlen(left), strlen(right));
        leftLength = rightLength = static_cast<int>(shorter);
    }
    const int order = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, left, leftLength,
                                     right, rightLength) - CSTR_EQUAL;
    return descending ? -order : order;
}

// A program file as the per-fill caches know it: upper-cased, so one file is read once.
std::string FileKey(const char *program)
{
    std::string key = program;
    for (char &c : key)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return key;
}

// The company of each program file read since the last fill, whatever page asked.
std::map<std::string, std::string> &Companies()
{
    static std::map<std::string, std::string> companies;
    return companies;
}

// The image of an entry's program file (not of the command with its arguments), made the first
// time its row is drawn: a page of thousands of entries opens without reading thousands of files.
int EntryImage(ListPage &page, int entry)
{
    if (entry < 0 || static_cast<size_t>(entry) >= page.icons.size())
        return -1;
    int &image = page.icons[entry];
    if (image >= 0)
        return image;
    char program[MAX_PATH];
    int index = 0;
    if (page.traits->iconOf != nullptr)
        page.traits->iconOf(entry, program, sizeof program, &index);
    else
        CleanPath(EntryWholePath(entry), program, sizeof program);
    // Many entries may show one file's icon: it is read and held once.
    const std::string file = FileKey(program) + "," + std::to_string(index);
    if (auto known = page.fileImages.find(file); known != page.fileImages.end())
        return image = known->second;
    HICON icon = nullptr;
    ExtractIconExA(program, index, nullptr, &icon, 1);
    image = ImageList_AddIcon(page.images, icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION));
    if (icon != nullptr)
        DestroyIcon(icon);
    page.fileImages.emplace(file, image);
    return image;
}

// A row's text or image, asked for as the row is drawn.
void GiveRowData(ListPage &page, NMLVDISPINFOA &info)
{
    LVITEMA &item = info.item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= page.order.size())
        return;
    const int entry = page.order[item.iItem];
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        static char text[kCellText];
        page.traits->cell(entry, item.iSubItem, text, sizeof text);
        CopyBounded(item.pszText, static_cast<size_t>(item.cchTextMax), text);
    }
    if ((item.mask & LVIF_IMAGE) != 0 && item.iSubItem == 0)
        item.iImage = EntryImage(page, entry);
}

void ShowEntryStatus(int entry)
{
    char path[kPathWidth + 1];
    EntryPath(entry, path, sizeof path);
    SetStatusText(path);
}

int FirstSelected(const ListPage &page)
{
    int entries[1];
    return SelectedEntries(page, entries, 1) > 0 ? entries[0] : -1;
}

void SetColumnWidths(ListPage &page)
{
    RECT client;
    GetClientRect(page.list, &client);
    const int usable = client.right - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < page.traits->columnCount; ++i)
        ListView_SetColumnWidth(page.list, i, usable * page.traits->columns[i].permille / 1000);
}

void OnCreate(HWND window, int pageId)
{
    auto *page = new ListPage{};
    page->traits = FindListPageTraits(pageId);
    if (page->traits == nullptr)
        page->traits = &kStartupPageTraits;
    page->window = window;
    page->list = GetDlgItem(window, IDC_PAGE_LIST);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));

    const ListPageTraits &traits = *page->traits;
    SetItemText(window, IDC_PAGE_INTRO, traits.intro);
    SetItemText(window, IDC_PAGE_HINT, traits.hint);
    SetItemText(window, IDC_PAGE_INFO, IDS_INFO);
    SetItemText(window, IDC_PAGE_CLOSE, IDS_CLOSE);
    SetItemText(window, IDC_PAGE_HELP_LABEL, IDS_HELP);
    SetItemText(window, IDC_PAGE_PATROL_LABEL, IDS_MONITOR);
    // The buttons show pictures; their texts are what a screen reader says.
    SetItemText(window, IDC_PAGE_HELP, IDS_HELP_CAPTION);
    if (PatrolOptionOf(traits) >= 0) {
        SetItemText(window, IDC_PAGE_PATROL, Area(traits.area).patrolTitle);
    } else {
        // An area the Monitor does not patrol has no patrol time to set.
        ShowWindow(GetDlgItem(window, IDC_PAGE_PATROL), SW_HIDE);
        ShowWindow(GetDlgItem(window, IDC_PAGE_PATROL_LABEL), SW_HIDE);
        EnableWindow(GetDlgItem(window, IDC_PAGE_PATROL), FALSE);
    }
    if (!IsNtFamily())
        ShowWindow(GetDlgItem(window, IDC_PAGE_CLOSE), SW_HIDE);
    RECT client;
    GetClientRect(window, &client);
    for (int id = IDC_PAGE_BAND_FIRST; id <= IDC_PAGE_BAND_LAST; ++id)
        if (HWND control = GetDlgItem(window, id)) {
            RECT rect;
            GetWindowRect(control, &rect);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
            page->band.push_back({control, client.bottom - rect.top});
        }
    ListView_SetExtendedListViewStyle(page->list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < traits.columnCount; ++i) {
        char title[128];
        LoadText(traits.columns[i].title, title);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title;
        column.cx = 100;
        column.iSubItem = i;
        SendMessageA(page->list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SetColumnWidths(*page);
    if (traits.create != nullptr)
        traits.create(*page);
    PlaceSheet(window);
}

void OnDestroy(HWND window)
{
    ClosePage();
    ListPage *page = PageOf(window);
    if (page == nullptr)
        return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    ListView_SetImageList(page->list, nullptr, LVSIL_SMALL);
    if (page->images != nullptr)
        ImageList_Destroy(page->images);
    delete page;
}

void ShowPatrolButton(const ListPage &page)
{
    const int option = PatrolOptionOf(*page.traits);
    if (option < 0)
        return;
    const auto period = static_cast<OptionId>(option);
    const OptionId realtime = RealtimeOptionOf(period);
    ShowPatrolButtonLook(GetDlgItem(page.window, IDC_PAGE_PATROL), Option(period),
                         realtime != kNoRealtime && Option(realtime) != 0);
}

// The page shows what the selection is now (entry -1: none).
void ShowSelection(ListPage &page)
{
    const int entry = FirstSelected(page);
    if (entry >= 0 && page.traits->selected == nullptr)
        ShowEntryStatus(entry);
    if (page.traits->selected != nullptr)
        page.traits->selected(page, entry);
    // A list that could not hold every entry keeps saying so, whatever is chosen.
    if (page.partial) {
        char note[256];
        LoadText(IDS_LIST_SHOWS_PART, note);
        char text[320];
        FormatBounded(text, sizeof text, note, static_cast<int>(page.order.size()));
        SetStatusText(text);
    }
}

void OnActivate(ListPage &page)
{
    FillListPage(page);
    if (ListView_GetItemCount(page.list) > 0) {
        ListView_SetItemState(page.list, 0, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(page.list, 0, FALSE);
    }
    ActivatePage(page.window, PageIdOf(*page.traits));
    ShowPatrolButton(page);
    ShowSelection(page);
}

void ShowContextMenu(ListPage &page)
{
    const int entry = FirstSelected(page);
    if (entry < 0)
        return;
    HMENU menu = BuildContextMenu(page, entry);
    if (menu == nullptr)
        return;
    POINT at;
    GetCursorPos(&at);
    const int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                       page.window, nullptr);
    DestroyMenu(menu);
    if (command != 0)
        SendMessageA(page.window, WM_COMMAND, command, 0);
}

void Lookup(const ListPage &page)
{
    const int entry = FirstSelected(page);
    if (entry < 0) {
        ShowPageMessage(IDS_NO_SELECTION, MB_OK | MB_ICONINFORMATION);
        return;
    }
    OnlineLookupOfEntry(entry);
}

void ShowInfo(ListPage &page);

LRESULT OnNotify(ListPage &page, const NMHDR &header)
{
    if (header.code == PSN_SETACTIVE) {
        OnActivate(page);
        return 0;
    }
    if (header.code == PSN_KILLACTIVE) {
        DeactivatePage(page.window);
        return FALSE;
    }
    if (header.hwndFrom != page.list)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOA:
        GiveRowData(page, reinterpret_cast<NMLVDISPINFOA &>(const_cast<NMHDR &>(header)));
        break;
    case LVN_ODSTATECHANGED:
        ShowSelection(page);
        break;
    case LVN_COLUMNCLICK:
        SortByColumn(page, reinterpret_cast<const NMLISTVIEW &>(header).iSubItem);
        break;
    case LVN_ITEMCHANGED: {
        const auto &change = reinterpret_cast<const NMLISTVIEW &>(header);
        if ((change.uChanged & LVIF_STATE) == 0 ||
            ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0)
            break;
        ShowSelection(page);
        break;
    }
    case NM_DBLCLK:
        Lookup(page);
        break;
    case NM_RETURN:
        ShowInfo(page);
        break;
    case NM_RCLICK:
        ShowContextMenu(page);
        break;
    default:
        break;
    }
    return 0;
}

// The first selected row's entry in the information dialog; the list is read again after, as
// the dialog may have stopped a program or changed a service, and the row selected again.
void ShowInfo(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page);
    if (entries.empty())
        return;
    const int row = ListView_GetNextItem(page.list, -1, LVNI_FOCUSED);
    ShowInfoDialog(GetParent(page.window), entries[0]);
    FillListPage(page);
    if (row >= 0 && row < ListView_GetItemCount(page.list)) {
        ListView_SetItemState(page.list, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(page.list, row, FALSE);
    }
}

void OnCommand(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_CLOSE:
        PropSheet_PressButton(GetParent(page.window), PSBTN_CANCEL);
        return;
    case IDC_PAGE_HELP:
        OpenHelpPage(PageIdOf(*page.traits));
        return;
    case IDC_PAGE_PATROL:
        ChangePatrolTime(page);
        return;
    case IDM_PAGE_ONLINE_INFO:
        Lookup(page);
        return;
    case IDC_PAGE_INFO:
        ShowInfo(page);
        return;
    default:
        break;
    }
    if (page.traits->command != nullptr && page.traits->command(page, id))
        return;
    const int entry = FirstSelected(page);
    if (entry >= 0)
        ProgramCommand(id, entry);
}

struct Placed {
    HWND window;
    RECT rect;
};

// Page buttons along the bottom, the list above them, help and patrol time at the top right.
void OnLayout(ListPage &page)
{
    RECT client;
    GetClientRect(page.window, &client);
    const int width = client.right;
    const int height = client.bottom;
    HWND window = page.window;
    auto placed = [window](int id) {
        Placed result{GetDlgItem(window, id), {}};
        if (result.window != nullptr) {
            GetWindowRect(result.window, &result.rect);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&result.rect), 2);
        }
        return result;
    };
    auto shown = [](HWND control) {
        return control != nullptr && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
    };
    // Help and patrol time at the top right, each label centred under its button; help takes the
    // corner on a page without patrol time.
    int right = width - kMargin;
    int textRight = right;
    int topBottom = 0;
    const int corner[][2] = {{IDC_PAGE_PATROL, IDC_PAGE_PATROL_LABEL},
                             {IDC_PAGE_HELP, IDC_PAGE_HELP_LABEL}};
    for (const auto &pair : corner) {
        const Placed button = placed(pair[0]);
        const Placed label = placed(pair[1]);
        if (!shown(button.window))
            continue;
        const int buttonWidth = button.rect.right - button.rect.left;
        const int labelWidth = label.window != nullptr ? label.rect.right - label.rect.left : 0;
        const int slot = buttonWidth > labelWidth ? buttonWidth : labelWidth;
        const int left = right - slot;
        SetWindowPos(button.window, nullptr, left + (slot - buttonWidth) / 2, button.rect.top, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        topBottom = topBottom > button.rect.bottom ? topBottom : button.rect.bottom;
        if (label.window != nullptr) {
            SetWindowPos(label.window, nullptr, left + (slot - labelWidth) / 2, label.rect.top, 0,
                         0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            topBottom = topBottom > label.rect.bottom ? topBottom : label.rect.bottom;
        }
        textRight = left - kMargin;
        right = left - kCornerGap;
    }
    // The two text lines wrap in the room left of the corner and take the height they need.
    int textBottom = 0;
    int textTop = -1;
    for (int id : {IDC_PAGE_INTRO, IDC_PAGE_HINT}) {
        const Placed text = placed(id);
        if (text.window == nullptr)
            continue;
        if (textTop < 0)
            textTop = text.rect.top;
        const int textWidth = textRight - kMargin;
        const int textHeight = WrappedTextHeight(text.window, textWidth);
        MoveWindow(text.window, kMargin, textTop, textWidth, textHeight, TRUE);
        if (textHeight > 0) {
            textBottom = textTop + textHeight;
            textTop = textBottom + kLineGap;
        }
    }
    const int listTop = (textBottom > topBottom ? textBottom : topBottom) + kLineGap * 3;

    // The bottom row: every push button but help and patrol time, in their order; buttons that
    // share a place keep sharing it.
    std::vector<Placed> buttons;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        char kind[16] = "";
        GetClassNameA(child, kind, sizeof kind);
        const LONG style = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        if (!EqualsNoCase(kind, "Button") || id == IDC_PAGE_HELP || id == IDC_PAGE_PATROL ||
            (id >= IDC_PAGE_BAND_FIRST && id <= IDC_PAGE_BAND_LAST) ||
            (style != BS_PUSHBUTTON && style != BS_DEFPUSHBUTTON))
            continue;
        if (id == IDC_PAGE_CLOSE && !IsWindowVisible(child) &&
            !IsNtFamily())
            continue;
        Placed button = placed(id);
        button.window = child;
        buttons.push_back(button);
    }
    std::vector<LONG> slots;
    for (const Placed &button : buttons) {
        bool known = false;
        for (LONG left : slots)
            known = known || left == button.rect.left;
        if (!known)
            slots.push_back(button.rect.left);
    }
    std::sort(slots.begin(), slots.end());
    const int count = static_cast<int>(slots.size());
    const int top = height - kButtonHeight - 8;
    if (count > 0) {
        const int slot = (width - 2 * kMargin - kLastButtonIndent) / count;
        for (const Placed &button : buttons) {
            int index = 0;
            while (slots[index] != button.rect.left)
                ++index;
            int left = kMargin + index * slot;
            if (index == count - 1 && count > 1)
                left += kLastButtonIndent;
            MoveWindow(button.window, left, top, slot - 8, kButtonHeight, TRUE);
        }
    }
    int listBottom = top - 8;
    for (const auto &[control, gap] : page.band) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&rect), 2);
        const int bandTop = height - gap;
        SetWindowPos(control, nullptr, rect.left, bandTop, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        listBottom = listBottom < bandTop - 6 ? listBottom : bandTop - 6;
    }
    for (int id : {IDC_PAGE_CHECK, IDC_PAGE_CHECK2}) {
        const Placed check = placed(id);
        if (check.window == nullptr)
            continue;
        listBottom -= 20;
        MoveWindow(check.window, kMargin, listBottom + 4, width - 2 * kMargin, 16, TRUE);
    }
    MoveWindow(page.list, kMargin, listTop, width - 2 * kMargin, listBottom - listTop, TRUE);
    SetColumnWidths(page);
}

}  // namespace

int PageIdOf(const ListPageTraits &traits) { return Area(traits.area).page; }

int PatrolOptionOf(const ListPageTraits &traits)
{
    const AreaRow &area = Area(traits.area);
    return area.period != OPT_None && area.patrolTitle != 0 ? area.period : -1;
}

const ListPageTraits *FindListPageTraits(int pageId)
{
    const AreaRow *area = AreaOfPage(pageId);
    if (area == nullptr)
        return nullptr;
    return PageTraitsOf(area->id);
    return nullptr;
}

INT_PTR CALLBACK ListPageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        OnCreate(window, static_cast<int>(reinterpret_cast<PROPSHEETPAGEA *>(lParam)->lParam));
        return TRUE;
    }
    ListPage *page = PageOf(window);
    if (page == nullptr)
        return FALSE;
    switch (message) {
    case WM_NOTIFY:
        SetWindowLongPtrA(window, DWLP_MSGRESULT,
                          OnNotify(*page, *reinterpret_cast<const NMHDR *>(lParam)));
        return TRUE;
    case WM_COMMAND:
        // An owner-drawn button reports a quick second click as a double click: not a command.
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        OnCommand(*page, LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        return DrawImageButton(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)) ? TRUE : FALSE;
    case kLayoutMessage:
        OnLayout(*page);
        return TRUE;
    case kRefillMessage:
        FillListPage(*page);
        return TRUE;
    case WM_CLOSE:
        ClosePage();
        return FALSE;
    case WM_DESTROY:
        OnDestroy(window);
        return FALSE;
    default:
        return page->traits->message != nullptr &&
                       page->traits->message(*page, message, wParam, lParam)
                   ? TRUE
                   : FALSE;
    }
}

void FillListPage(ListPage &page)
{
    const ListPageTraits &traits = *page.traits;
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const int count = traits.fill != nullptr ? traits.fill() : 0;
    ListView_SetItemCountEx(page.list, 0, 0);
    HIMAGELIST images = ImageList_Create(GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK,
                                         16, 16);
    ListView_SetImageList(page.list, images, LVSIL_SMALL);
    if (page.images != nullptr)
        ImageList_Destroy(page.images);
    page.images = images;
    page.order.resize(count);
    for (int entry = 0; entry < count; ++entry)
        page.order[entry] = entry;
    page.icons.assign(count, -1);
    page.fileImages.clear();
    // Files may have changed since the last fill.
    Companies().clear();
    // Rows are only counted here; each asks for its texts and image when it is drawn.
    ListView_SetItemCountEx(page.list, count, 0);
    if (const int sort = Area(traits.area).sortOption; sort != OPT_None) {
        const int stored = Option(static_cast<OptionId>(sort));
        if (stored > 0 && stored <= traits.columnCount && stored <= kMaxColumns) {
            const int column = stored - 1;
            // A refill keeps the direction last chosen; the flag already points to the next one.
            const bool descending = page.clicked[column] ? !page.descending[column] : false;
            SortRows(page, column, descending);
        }
    }
    InvalidateRect(page.list, nullptr, TRUE);
    page.partial = EntryListFull() != 0;
    // Emptying the list tells nothing of the selection it took away: the buttons follow it here.
    ShowSelection(page);
    SetCursor(previous);
}

void SortRows(ListPage &page, int column, bool descending)
{
    const ListPageTraits &traits = *page.traits;
    if (traits.sortKey == nullptr)
        return;
    const int count = static_cast<int>(page.order.size());
    // The selection follows its entries, not the rows they stood in.
    std::vector<char> selected(count, 0);
    for (int row = -1; (row = ListView_GetNextItem(page.list, row, LVNI_SELECTED)) >= 0;)
        if (row < count)
            selected[page.order[row]] = 1;
    std::vector<std::string> keys(count);
    std::vector<char> disabled(count, 0);
    static char key[kCellText];
    for (int entry = 0; entry < count; ++entry) {
        traits.sortKey(entry, column, key, sizeof key);
        keys[entry] = key;
        if (traits.disabled != nullptr)
            disabled[entry] = traits.disabled(entry) ? 1 : 0;
    }
    const bool rules = traits.disabled != nullptr;
    std::stable_sort(page.order.begin(), page.order.end(), [&](int left, int right) {
        return CompareKeys(keys[left].c_str(), disabled[left] != 0, keys[right].c_str(),
                           disabled[right] != 0, rules, descending) < 0;
    });
    ListView_SetItemState(page.list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < count; ++row)
        if (selected[page.order[row]])
            ListView_SetItemState(page.list, row, LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(page.list, nullptr, TRUE);
}

void SortByColumn(ListPage &page, int column)
{
    if (column < 0 || column >= kMaxColumns || column >= page.traits->columnCount)
        return;
    SortRows(page, column, page.descending[column]);
    page.descending[column] = !page.descending[column];
    page.clicked[column] = true;
    if (const int sort = Area(page.traits->area).sortOption; sort != OPT_None)
        StoreOption(static_cast<OptionId>(sort), column + 1);
}

int CompareEntries(const ListPageTraits &traits, int left, int right, int column, bool descending)
{
    char a[kCellText];
    char b[kCellText];
    traits.sortKey(left, column, a, sizeof a);
    traits.sortKey(right, column, b, sizeof b);
    const bool rules = traits.disabled != nullptr;
    return CompareKeys(a, rules && traits.disabled(left), b, rules && traits.disabled(right), rules,
                       descending);
}

int SelectedEntries(const ListPage &page, int *entries, int capacity)
{
    int count = 0;
    int row = -1;
    while (count < capacity &&
           (row = ListView_GetNextItem(page.list, row, LVNI_SELECTED)) >= 0) {
        if (static_cast<size_t>(row) < page.order.size())
            entries[count++] = page.order[row];
    }
    return count;
}

std::vector<int> SelectedOrSay(const ListPage &page, UINT noneText)
{
    static int entries[kMaxEntries];
    const int count = SelectedEntries(page, entries, kMaxEntries);
    if (count == 0)
        ShowPageMessage(noneText, MB_OK | MB_ICONINFORMATION);
    return std::vector<int>(entries, entries + count);
}

void AppendProgramGroup(HMENU menu, int entry)
{
    AppendMenuText(menu, IDC_PAGE_INFO, IDS_INFO);
    AppendMenuText(menu, IDM_PAGE_EXPLORE_FOLDER, IDS_EXPLORE_FOLDER);
    AppendMenuText(menu, IDM_PAGE_PROPERTIES, IDS_PROGRAM_PROPERTIES);
    AppendNoteItem(menu, entry);
}

void AppendNoteItem(HMENU menu, int entry)
{
    char path[kPathWidth + 1];
    char note[MAX_PATH];
    EntryPath(entry, path, sizeof path);
    if (NoteFilePath(path, note, sizeof note) && FileExists(note))
        AppendMenuText(menu, IDM_PAGE_VIEW_NOTE, IDS_VIEW_NOTE);
}

void CreateRemoveButton(ListPage &page) { SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE); }

void RemovalMenu(ListPage &, HMENU menu, int entry)
{
    AppendProgramGroup(menu, entry);
    AppendMenuText(menu, IDC_PAGE_REMOVE, IDS_REMOVE);
    AppendMenuText(menu, IDM_PAGE_DELETE_ON_REBOOT, IDS_DELETE_ON_REBOOT_ITEM);
}

HMENU BuildContextMenu(ListPage &page, int entry)
{
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    if (page.traits->menu != nullptr)
        page.traits->menu(page, menu, entry);
    AppendCommonTail(menu, PageIdOf(*page.traits));
    return menu;
}

void ChangePatrolTime(ListPage &page)
{
    const int option = PatrolOptionOf(*page.traits);
    if (option < 0)
        return;
    const auto period = static_cast<OptionId>(option);
    const int answer = ShowPatrolTimeDialog(page.window, Area(page.traits->area).patrolTitle, Option(period),
                                            RealtimeOptionOf(period));
    // Storing writes Update too, so the running Monitor takes the new period.
    StorePatrolTime(period, answer);
    ShowPatrolButton(page);
}

bool ProgramCommand(int id, int entry)
{
    char path[kPathWidth + 1];
    EntryPath(entry, path, sizeof path);
    switch (id) {
    case IDM_PAGE_EXPLORE_FOLDER: {
        char folder[MAX_PATH];
        if (FolderOf(path, folder, sizeof folder))
            ShellExecuteA(Explorer().mainWindow, "explore", folder, nullptr, nullptr,
                          SW_SHOWNORMAL);
        return true;
    }
    case IDM_PAGE_PROPERTIES: {
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_INVOKEIDLIST;
        info.hwnd = Explorer().mainWindow;
        info.lpVerb = "properties";
        info.lpFile = path;
        info.nShow = SW_SHOWNORMAL;
        ShellExecuteExA(&info);
        return true;
    }
    case IDM_PAGE_VIEW_NOTE: {
        char note[MAX_PATH];
        if (NoteFilePath(path, note, sizeof note))
            OpenInNotepad(note);
        return true;
    }
    case IDM_PAGE_DELETE_ON_REBOOT:
        if (ShowPageMessage(IDS_DELETE_ON_REBOOT, MB_YESNO | MB_ICONSTOP) == IDYES)
            DeleteOnRestart(path);
        return true;
    default:
        return false;
    }
}

bool ChooseFile(UINT titleId, const char *filter, const char *startFolder, bool mustExist,
                char *file, size_t capacity)
{
    char title[256];
    char filters[512];
    LoadText(titleId, title);
    CopyBounded(filters, filter);
    // The dialog wants a terminator where the text writes "|".
    for (char *at = filters; *at != '\0'; ++at)
        if (*at == '|')
            *at = '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Explorer().mainWindow;
    dialog.lpstrFilter = filters;
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(capacity);
    dialog.lpstrInitialDir = startFolder;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (mustExist ? OFN_FILEMUSTEXIST : 0);
    return GetOpenFileNameA(&dialog) != 0;
}

bool ChooseProgramFile(char *file, size_t capacity)
{
    char filter[512];
    LoadText(IDS_PROGRAM_FILE_FILTER, filter);
    CopyBounded(file, capacity, "");
    return ChooseFile(IDS_ADD_AUTOSTART_PROGRAM, filter, nullptr, true, file, capacity);
}

int ShowPageMessage(UINT id, UINT type, const char *insert)
{
    char format[2048];
    char text[2048];
    LoadText(id, format);
    if (insert != nullptr)
        InsertAtMark(format, insert, text, sizeof text);
    else
        CopyBounded(text, format);
    return ShowMessage(Explorer().mainWindow, text, Explorer().caption, type | MB_TOPMOST);
}

void DateSortKey(const char *text, char *out, size_t capacity)
{
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0;
    char half[3] = "";
    const int fields =
        sscanf(text, "%u/%u/%u %u:%u %2s", &month, &day, &year, &hour, &minute, half);
    if (fields < 3 || month > 12 || day > 31 || year > 9999) {
        CopyBounded(out, capacity, " ");
        return;
    }
    if (fields < 5)
        hour = minute = 0;
    // A 12-hour time sorts by its 24-hour form: 1:00 PM comes after 11:00 AM.
    const bool pm = (half[0] == 'P' || half[0] == 'p') && (half[1] == 'M' || half[1] == 'm');
    const bool am = (half[0] == 'A' || half[0] == 'a') && (half[1] == 'M' || half[1] == 'm');
    if (fields == 6 && hour >= 1 && hour <= 12) {
        if (pm && hour != 12)
            hour += 12;
        else if (am && hour == 12)
            hour = 0;
    }
    FormatBounded(out, capacity, "%04u%02u%02u%02u%02u", year % 10000, month % 100, day % 100,
                  hour % 100, minute % 100);
}

void DateCell(const char *date, bool sortKey, char *out, size_t capacity)
{
    if (sortKey)
        DateSortKey(date, out, capacity);
    else
        CopyBounded(out, capacity, date);
}

void ProgramCompany(const char *path, char *out, size_t capacity)
{
    char program[MAX_PATH];
    CleanPath(path, program, sizeof program);
    const std::string file = FileKey(program);
    auto known = Companies().find(file);
    if (known == Companies().end()) {
        static VersionRecord version;
        ReadVersionInfo(program, &version);
        known = Companies().emplace(file, version.slot[VS_CompanyName]).first;
    }
    CopyBounded(out, capacity, known->second.c_str());
}

bool ProgramCell(int entry, int column, char *out, size_t capacity)
{
    switch (column) {
    case 0:
        EntryTitle(entry, out, capacity);
        return true;
    case 1:
        CopyBounded(out, capacity, FileNameOf(EntryWholePath(entry)));
        return true;
    case 2:
        ProgramCompany(EntryWholePath(entry), out, capacity);
        return true;
    default:
        return false;
    }
}

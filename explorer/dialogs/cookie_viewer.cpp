#include "cookie_viewer.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "bounded.h"
#include "cookies.h"
#include "dialog_state.h"
#include "dialogs.h"
#include "entries.h"
#include "ids.h"
#include "list_page.h"
#include "messages.h"
#include "options.h"
#include "owned.h"
#include "page_host.h"
#include "placement.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr char kPlaceX[] = "xCookie";
constexpr char kPlaceY[] = "yCookie";
constexpr char kPlaceWidth[] = "dxCookie";
constexpr char kPlaceHeight[] = "dyCookie";
constexpr int kMostColumns = 5;

struct Column {
    UINT title;
    int permille;
};
// Internet Explorer keeps a file per cookie; the Mozilla family a line with its fields.
constexpr Column kFileColumns[] = {{IDS_COLUMN_COOKIE, 640}, {IDS_COLUMN_LAST_WRITTEN, 360}};
constexpr Column kLineColumns[] = {{IDS_COLUMN_COOKIE, 330},  {IDS_COLUMN_PATH, 120},
                                   {IDS_COLUMN_VALUE, 220},   {IDS_COLUMN_EXPIRES, 210},
                                   {IDS_COLUMN_SECURE, 120}};

// A listed cookie, read out of the entry list when the viewer fills.
struct Row {
    std::string text[kMostColumns];
    bool kept;
};

struct ViewerState {
    HWND list = nullptr;
    std::vector<Row> rows;
    bool descending[kMostColumns] = {};
    int columns = 0;
};

bool MozillaMode() { return CurrentCookieMode() == COOKIES_Mozilla; }

void AddColumns(ViewerState &state)
{
    const Column *columns = MozillaMode() ? kLineColumns : kFileColumns;
    state.columns = MozillaMode() ? 5 : 2;
    RECT client{};
    GetClientRect(state.list, &client);
    const int width = client.right - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < state.columns; ++i) {
        char text[128];
        LoadText(columns[i].title, text);
        LVCOLUMNA header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = text;
        header.cx = width * columns[i].permille / 1000;
        header.iSubItem = i;
        SendMessageA(state.list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&header));
    }
}

Row RowOf(int entry)
{
    Row row;
    char text[kDescriptionWidth + 1];
    row.text[0] = EntryWholeTitle(entry);
    if (MozillaMode()) {
        EntryPath(entry, text, sizeof text);
        row.text[1] = text;
        EntryDetail(entry, text, sizeof text);
        row.text[2] = text;
        EntryDescription(entry, text, sizeof text);
        row.text[3] = text;
        LoadText(EntryExtra(entry) == 1 ? IDS_TRUE : IDS_FALSE, text, sizeof text);
        row.text[4] = text;
    } else {
        EntryDescription(entry, text, sizeof text);
        row.text[1] = text;
    }
    row.kept = IsKeptCookie(row.text[0].c_str());
    return row;
}

void SortBy(ViewerState &state, int column, bool descending)
{
    std::vector<std::string> keys;
    for (const Row &row : state.rows)
        keys.push_back(row.text[column]);
    SortRowsByKeys(state.list, keys, descending);
}

void Fill(ViewerState &state)
{
    state.rows.clear();
    for (int entry = 0, count = EnumCookies(0); entry < count; ++entry) {
        // A cookie marked for removal stays in cookies.txt until the copy replaces it.
        if (MozillaMode() && IsNutValue(EntryWholeTitle(entry)))
            continue;
        state.rows.push_back(RowOf(entry));
    }
    ClearEntryList();
    SendMessageA(state.list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t index = 0; index < state.rows.size(); ++index) {
        const Row &row = state.rows[index];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<char *>(row.text[0].c_str());
        item.lParam = static_cast<LPARAM>(index);
        const int at = static_cast<int>(
            SendMessageA(state.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0)
            continue;
        for (int column = 1; column < state.columns; ++column) {
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = const_cast<char *>(row.text[column].c_str());
            SendMessageA(state.list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&cell));
        }
        ListView_SetCheckState(state.list, at, row.kept);
    }
    const int stored = Option(OPT_SortCookie);
    if (stored > 0 && stored <= state.columns)
        SortBy(state, stored - 1, false);
    SendMessageA(state.list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(state.list, nullptr, TRUE);
}

// Every row with its tick as the list shows it now.
std::vector<std::pair<std::string, bool>> Ticks(const ViewerState &state)
{
    std::vector<std::pair<std::string, bool>> ticks;
    const int count = static_cast<int>(SendMessageA(state.list, LVM_GETITEMCOUNT, 0, 0));
    for (int at = 0; at < count; ++at) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = at;
        if (!SendMessageA(state.list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ||
            item.lParam < 0 || static_cast<size_t>(item.lParam) >= state.rows.size())
            continue;
        ticks.push_back({state.rows[static_cast<size_t>(item.lParam)].text[0],
                         ListView_GetCheckState(state.list, at) != 0});
    }
    return ticks;
}

// Removes the unticked cookies (keeping the ticked ones) or the ticked ones, once the user said
// yes; the Mozilla copy is made again at once.
void Remove(HWND dialog, ViewerState &state, bool ticked)
{
    char text[512];
    LoadText(ticked ? IDS_REMOVE_CHECKED_COOKIES : IDS_REMOVE_UNCHECKED_COOKIES, text);
    if (ShowMessage(dialog, text, Explorer().caption,
                    MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) != IDYES)
        return;
    for (const auto &[cookie, tick] : Ticks(state)) {
        if (tick == ticked)
            RemoveCookie(cookie.c_str());
        else if (!ticked)
            KeepCookie(cookie.c_str());
    }
    if (MozillaMode())
        EnumCookies(1);
    Fill(state);
}

BOOL OnInit(HWND dialog, ViewerState &state)
{
    SetCaptionText(dialog, IDS_COOKIE_VIEWER_CAPTION);
    SetItemText(dialog, IDC_COOKIE_VIEWER_INTRO, IDS_COOKIE_VIEWER_INTRO);
    SetItemText(dialog, IDC_COOKIE_REMOVE_UNCHECKED, IDS_REMOVE_UNCHECKED);
    SetItemText(dialog, IDC_COOKIE_REMOVE_CHECKED, IDS_REMOVE_CHECKED);
    SetItemText(dialog, IDOK, IDS_CLOSE);
    state.list = GetDlgItem(dialog, IDC_COOKIE_LIST);
    SendMessageA(state.list, LVM_SETEXTENDEDLISTVIEWSTYLE,
                 LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES,
                 LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    AddColumns(state);
    CentreOnScreen(dialog);
    RestoreAlertPosition(dialog, kPlaceX, kPlaceY);
    EnumCookies(1);
    Fill(state);
    return TRUE;
}

void Close(HWND dialog, int answer)
{
    SaveAlertPosition(dialog, kPlaceX, kPlaceY, kPlaceWidth, kPlaceHeight);
    EndDialog(dialog, answer);
}

void OnContextMenu(HWND dialog, HWND window, LPARAM at)
{
    if (window != GetDlgItem(dialog, IDC_COOKIE_LIST))
        return;
    POINT point = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        RECT rect{};
        GetWindowRect(window, &rect);
        point = {rect.left + 8, rect.top + 8};
    }
    MenuOwner menu(CreatePopupMenu());
    if (menu.get() == nullptr)
        return;
    AppendMenuText(menu.get(), IDC_COOKIE_REMOVE_UNCHECKED, IDS_REMOVE_UNCHECKED);
    AppendMenuText(menu.get(), IDC_COOKIE_REMOVE_CHECKED, IDS_REMOVE_CHECKED);
    const int command = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x,
                                       point.y, 0, dialog, nullptr);
    if (command != 0)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

INT_PTR CALLBACK CookieViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<ViewerState>(dialog, message, lParam);
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, *state);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_COOKIE_REMOVE_UNCHECKED:
            Remove(dialog, *state, false);
            return TRUE;
        case IDC_COOKIE_REMOVE_CHECKED:
            Remove(dialog, *state, true);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            Close(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    case WM_NOTIFY: {
        const auto &header = *reinterpret_cast<const NMHDR *>(lParam);
        if (header.idFrom == IDC_COOKIE_LIST && header.code == LVN_COLUMNCLICK) {
            const int column = reinterpret_cast<const NMLISTVIEW &>(header).iSubItem;
            if (column >= 0 && column < state->columns) {
                SortBy(*state, column, state->descending[column]);
                state->descending[column] = !state->descending[column];
                StoreOption(OPT_SortCookie, column + 1);
            }
            return TRUE;
        }
        return FALSE;
    }
    case WM_CONTEXTMENU:
        OnContextMenu(dialog, reinterpret_cast<HWND>(wParam), lParam);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowCookieViewer(HWND owner)
{
    ViewerState state;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COOKIE_VIEWER), owner,
                    CookieViewerProc, reinterpret_cast<LPARAM>(&state));
    ClearEntryList();
}

// The history viewer: a modal dialog around the history file's loading and reversal.
#include "history_viewer.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "bounded.h"
#include "dialog_state.h"
#include "dialogs.h"
#include "entries.h"
#include "explorer_dialogs.h"
#include "files.h"
#include "owned.h"
#include "page_host.h"
#include "help.h"
#include "history.h"
#include "historyline.h"
#include "ids.h"
#include "list_page.h"
#include "lookup.h"
#include "options.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kColumns = 4;
constexpr UINT kColumnTexts[kColumns] = {IDS_COLUMN_TITLE, IDS_COLUMN_ACTION, IDS_COLUMN_COMMAND,
                                         IDS_COLUMN_DATE_MODIFIED};
// Shares of the list's width less a scroll bar.
constexpr double kColumnShares[kColumns] = {0.28, 0.22, 0.24, 0.24};
constexpr size_t kTextLength = 1024;

// The rows' icons: the list shares them (LVS_SHAREIMAGELISTS) and never frees them.
using ImageListOwner = Owned<HIMAGELIST, ImageList_Destroy>;

// One open viewer; lives on the opener's stack for the dialog's whole life.
struct ViewerState {
    HWND list = nullptr;
    ImageListOwner icons;
    bool descending[kColumns] = {};  // the direction of the next click on each column
    int sortedColumn = -1;           // the last sort chosen here, kept over a refill
    bool sortedDescending = false;
};

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_HISTORY_LIST); }

// The index in the image list of the record's program icon; I_IMAGENONE when it has none.
int AddRowIcon(ViewerState &state, int entry)
{
    char path[kPathWidth + 1];
    char program[kPathWidth + 1];
    EntryPath(entry, path, sizeof path);
    CleanPath(path, program, sizeof program);
    if (!FileExists(program))
        return I_IMAGENONE;
    HICON small = nullptr;
    if (ExtractIconExA(program, 0, nullptr, &small, 1) == 0 || small == nullptr)
        return I_IMAGENONE;
    IconOwner icon(small);
    int index = ImageList_AddIcon(state.icons.get(), icon.get());
    return index >= 0 ? index : I_IMAGENONE;
}

void SetCell(HWND list, int row, int column, const char *text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char *>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void AddRow(ViewerState &state, int entry)
{
    char title[kTitleWidth + 1];
    char date[kDescriptionWidth + 1];
    EntryTitle(entry, title, sizeof title);
    EntryDescription(entry, date, sizeof date);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = entry;
    item.pszText = title;
    item.lParam = entry;  // the buttons act on the entry, never on the shown text
    item.iImage = AddRowIcon(state, entry);
    int row = static_cast<int>(
        SendMessageA(state.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    SetCell(state.list, row, 1, ActionNameOf(EntryExtra(entry)));
    SetCell(state.list, row, 2, TypeNameOfKind(EntryKind(entry)));
    SetCell(state.list, row, 3, date);
}

int SelectedEntry(HWND dialog)
{
    HWND list = List(dialog);
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                            LVNI_SELECTED));
    if (row < 0)
        return -1;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return static_cast<int>(item.lParam);
}

void UpdateRestoreButton(HWND dialog)
{
    int entry = SelectedEntry(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_HISTORY_RESTORE), entry >= 0 && CanRestoreRecord(entry));
}

// The text a column sorts by for an entry: what it shows, a date as its digits.
std::string SortKeyOf(int entry, int column)
{
    char text[kTextLength] = "";
    switch (column) {
    case 0:
        EntryTitle(entry, text, sizeof text);
        return text;
    case 1:
        return ActionNameOf(EntryExtra(entry));
    case 2:
        return TypeNameOfKind(EntryKind(entry));
    default: {
        char date[kDescriptionWidth + 1];
        EntryDescription(entry, date, sizeof date);
        DateSortKey(date, text, sizeof text);
        return text;
    }
    }
}

void SortRecords(ViewerState &state, int column, bool descending)
{
    const int count = EntryCount();
    std::vector<std::string> keys(static_cast<size_t>(count));
    for (int entry = 0; entry < count; ++entry)
        keys[static_cast<size_t>(entry)] = SortKeyOf(entry, column);
    SortRowsByKeys(state.list, keys, descending);
}

// A column click sorts by it, the other way round each time, and the choice is kept.
void SortByColumn(ViewerState &state, int column)
{
    if (column < 0 || column >= kColumns)
        return;
    SortRecords(state, column, state.descending[column]);
    state.sortedColumn = column;
    state.sortedDescending = state.descending[column];
    state.descending[column] = !state.descending[column];
    StoreOption(OPT_SortHistory, column + 1);
}

void Fill(HWND dialog, ViewerState &state)
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    SendMessageA(state.list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(state.list, LVM_DELETEALLITEMS, 0, 0);
    // The old list goes only after the view has let go of it.
    HIMAGELIST fresh = ImageList_Create(GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK, 8, 8);
    SendMessageA(state.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(fresh));
    state.icons.Reset(fresh);

    int count = LoadHistory();
    for (int entry = 0; entry < count; ++entry)
        AddRow(state, entry);
    char note[160] = "";
    if (HistoryOlderLeftOut())
        LoadText(IDS_HISTORY_OLDER_LEFT_OUT, note);
    SetDlgItemTextA(dialog, IDC_HISTORY_OLDER_NOTE, note);
    // The sort last chosen here, else the kept column in file order's direction.
    const int stored = Option(OPT_SortHistory);
    if (state.sortedColumn >= 0)
        SortRecords(state, state.sortedColumn, state.sortedDescending);
    else if (stored > 0 && stored <= kColumns)
        SortRecords(state, stored - 1, false);
    SendMessageA(state.list, WM_SETREDRAW, TRUE, 0);
    // Scrolled only once drawing is back on: a list that does not draw does not scroll.
    if (count > 0)
        SendMessageA(state.list, LVM_ENSUREVISIBLE, count - 1, FALSE);
    InvalidateRect(state.list, nullptr, TRUE);
    SetCursor(previous);
    UpdateRestoreButton(dialog);
}

void AddColumns(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    for (int column = 0; column < kColumns; ++column) {
        char text[128];
        LoadText(kColumnTexts[column], text);
        LVCOLUMNA header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = text;
        header.cx = static_cast<int>(width * kColumnShares[column]);
        header.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
    }
}

BOOL OnInit(HWND dialog, ViewerState &state)
{
    SetCaptionText(dialog, IDS_HISTORY_CAPTION);
    SetItemText(dialog, IDC_HISTORY_INTRO, IDS_HISTORY_INTRO);
    SetItemText(dialog, IDC_HISTORY_RESTORE, IDS_RESTORE);
    SetItemText(dialog, IDC_HISTORY_CLEAR, IDS_CLEAR_FILE);
    SetItemText(dialog, IDOK, IDS_CLOSE);
    state.list = List(dialog);
    SendMessageA(state.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    AddColumns(state.list);
    EnableWindow(GetDlgItem(dialog, IDC_HISTORY_RESTORE), FALSE);
    CentreOnScreen(dialog);
    Fill(dialog, state);
    return TRUE;
}

void Restore(HWND dialog, ViewerState &state)
{
    int entry = SelectedEntry(dialog);
    if (entry >= 0 && CanRestoreRecord(entry))
        RestoreHistoryEvent(entry);
    Fill(dialog, state);
}

// The online information about the selected record's program.
void LookUpRecord(HWND dialog)
{
    const int entry = SelectedEntry(dialog);
    if (entry < 0)
        return;
    OnlineLookupOfEntry(entry);
}

void OnCommand(HWND dialog, ViewerState &state, int command)
{
    switch (command) {
    case IDC_HISTORY_RESTORE:
        Restore(dialog, state);
        break;
    case IDC_HISTORY_CLEAR:
        ClearHistoryFile();
        Fill(dialog, state);
        break;
    case IDOK:
    case IDCANCEL:
        EndDialog(dialog, command);
        break;
    case IDM_PAGE_ONLINE_INFO:
        LookUpRecord(dialog);
        break;
    case IDC_PAGE_HELP:
        OpenHelpPage(IDM_PAGE_OPTIONS);
        break;
    default:
        break;
    }
}

void OnContextMenu(HWND dialog, HWND window, LPARAM at)
{
    if (window != List(dialog) || SelectedEntry(dialog) < 0)
        return;
    POINT point = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        // From the keyboard: under the selected row.
        int row = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                LVNI_SELECTED));
        RECT rect{};
        rect.left = LVIR_LABEL;
        SendMessageA(window, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        point = {rect.left, rect.bottom};
        ClientToScreen(window, &point);
    }
    MenuOwner menu(CreatePopupMenu());
    if (menu.get() == nullptr)
        return;
    const struct {
        int command;
        UINT text;
    } items[] = {{IDC_HISTORY_RESTORE, IDS_RESTORE}, {IDC_HISTORY_CLEAR, IDS_CLEAR_FILE},
                 {IDOK, IDS_CLOSE}};
    for (const auto &item : items) {
        char text[128];
        LoadText(item.text, text);
        UINT flags = MF_STRING;
        if (item.command == IDC_HISTORY_RESTORE && !CanRestoreRecord(SelectedEntry(dialog)))
            flags |= MF_GRAYED;
        AppendMenuA(menu.get(), flags, item.command, text);
    }
    // The viewer belongs to the Options page: its help is that page's.
    AppendCommonTail(menu.get(), IDM_PAGE_OPTIONS);
    int command = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0,
                                 dialog, nullptr);
    if (command != 0)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

void OnNotify(HWND dialog, ViewerState &state, const NMHDR &header)
{
    if (header.idFrom != IDC_HISTORY_LIST)
        return;
    switch (header.code) {
    case LVN_ITEMCHANGED:
    case NM_CLICK:
    case LVN_KEYDOWN:
        UpdateRestoreButton(dialog);
        break;
    case NM_DBLCLK:
        Restore(dialog, state);
        break;
    case LVN_COLUMNCLICK:
        SortByColumn(state, reinterpret_cast<const NMLISTVIEW &>(header).iSubItem);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK HistoryViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<ViewerState>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, *state);
    case WM_COMMAND:
        if (state == nullptr)
            return FALSE;
        OnCommand(dialog, *state, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (state == nullptr)
            return FALSE;
        OnNotify(dialog, *state, *reinterpret_cast<const NMHDR *>(lParam));
        return TRUE;
    case WM_CONTEXTMENU:
        OnContextMenu(dialog, reinterpret_cast<HWND>(wParam), lParam);
        return TRUE;
    case WM_DESTROY:
        // The view must not keep a list that its owner frees with the state.
        SendMessageA(List(dialog), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowHistoryViewer(HWND owner)
{
    ViewerState state;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HISTORY), owner,
                    HistoryViewerProc, reinterpret_cast<LPARAM>(&state));
    // The loaded records are of no use to the pages, which enumerate their own areas.
    ClearEntryList();
}

int ClearHistoryFile()
{
    char file[MAX_PATH];
    if (!HistoryFilePath(file, sizeof file))
        return 0;
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file);
    return GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int CanRestoreRecord(int index)
{
    if (index < 0 || index >= EntryCount())
        return 0;
    return CanRestoreHistoryEvent(index);
}

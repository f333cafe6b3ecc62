// The list page: the frame most pages of the sheet share (explanation, a report list of one
// area's entries, page buttons, help and patrol-time buttons), written once and specialised per
// page by a table of functions.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "area.h"
#include "ids.h"
#include "strings.h"

constexpr int kMaxColumns = 6;
constexpr size_t kCellText = 1024;

struct ListColumn {
    UINT title;    // string id
    int permille;  // share of the list's width
};

struct ListPage;

// What the sheet does when it is asked for a page while it is open, besides coming forward.
enum class AskedAgain {
    Nothing,
    RefillWhenShown,  // the page, if it is the one shown, lists its area again
    CookieListOnTop,  // the sheet stays on top and the shown page opens the cookie list
};

struct ListPageTraits {
    AreaId area;  // its page id, sort option and patrol time are the area's
    UINT intro;  // 0: none
    UINT hint;
    const ListColumn *columns;
    int columnCount;
    // Enumerates the area into the entry list; null while the area is not listed.
    int (*fill)();
    // The text of a cell and the sort key of a column, for the entry at index.
    void (*cell)(int entry, int column, char *out, size_t capacity);
    void (*sortKey)(int entry, int column, char *out, size_t capacity);
    // Startup page rules: keys cut to the shorter one, disabled entries always last.
    bool (*disabled)(int entry);
    // Labels, check boxes; called once when the page is created.
    void (*create)(ListPage &page);
    // Buttons and menu items of the page; true when handled.
    bool (*command)(ListPage &page, int id);
    // The selection changed (entry -1: none selected).
    void (*selected)(ListPage &page, int entry);
    // The items of the context menu before the common tail.
    void (*menu)(ListPage &page, HMENU menu, int entry);
    AskedAgain askedAgain = AskedAgain::Nothing;
    bool listing = true;  // the context menu offers the listing report
    // The file and index of a row's icon; null: the first icon of the program the path names.
    void (*iconOf)(int entry, char *file, size_t capacity, int *index) = nullptr;
    // Any other message of the page's window; true when handled.
    bool (*message)(ListPage &page, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct ListPage {
    const ListPageTraits *traits;
    HWND window;
    HWND list;  // a virtual list: its rows ask for their texts and icons as they are drawn
    HIMAGELIST images;
    std::vector<int> order;  // the entry each row shows
    std::vector<int> icons;  // each entry's image, -1 until its row is first drawn
    std::map<std::string, int> fileImages;  // the image of each program file read, upper-cased
    bool partial;            // the list could not hold every entry
    bool descending[kMaxColumns];
    bool clicked[kMaxColumns];
    // The page's own controls below the list (ids IDC_PAGE_BAND_FIRST to _LAST): each keeps the
    // distance from the page's bottom it has in the template.
    std::vector<std::pair<HWND, int>> band;
};

// The traits of a page id; null for a page without a list.
const ListPageTraits *FindListPageTraits(int pageId);
// The page's id and, for a page with a patrol-time button, the option of its period (else -1).
int PageIdOf(const ListPageTraits &traits);
int PatrolOptionOf(const ListPageTraits &traits);
// The traits of an area's page (the frame alone while the area is not listed); null for an area
// without a page.
const ListPageTraits *PageTraitsOf(AreaId area);
extern const ListPageTraits kStartupPageTraits;
extern const ListPageTraits kIEHelpersPageTraits;
extern const ListPageTraits kActiveXPageTraits;
extern const ListPageTraits kServicesPageTraits;
extern const ListPageTraits kActiveTasksPageTraits;
extern const ListPageTraits kTasksPageTraits;
extern const ListPageTraits kFileTypesPageTraits;
extern const ListPageTraits kHiddenFilesPageTraits;
extern const ListPageTraits kCookiesPageTraits;
extern const ListPageTraits kDelayedPageTraits;

INT_PTR CALLBACK ListPageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Enumerates the page's area again and shows it (stored sort applied).
void FillListPage(ListPage &page);
// A column click: sorts by the column in its flag's direction, inverts the flag and stores the
// column (increased by one) as the page's sort option.
void SortByColumn(ListPage &page, int column);
// Sorts the rows by a column in a direction.
void SortRows(ListPage &page, int column, bool descending);
// Compares two entries by a column's keys; the page's own rules apply.
int CompareEntries(const ListPageTraits &traits, int left, int right, int column, bool descending);
// The entry indices of the selected rows, in row order; their number.
int SelectedEntries(const ListPage &page, int *entries, int capacity);
// The selected rows' entries; with none selected, the message is shown and none are given.
std::vector<int> SelectedOrSay(const ListPage &page, UINT noneText = IDS_NO_SELECTION);
// The context menu for the entry (the caller destroys it).
HMENU BuildContextMenu(ListPage &page, int entry);
// The patrol-time button: the dialog for the page's area, then the new look. A cancelled dialog
// changes nothing.
void ChangePatrolTime(ListPage &page);
// A string-table message under the Explorer's caption, owned by the main window.
int ShowPageMessage(UINT id, UINT type, const char *insert = nullptr);
// The system's file box owned by the main window, titled by titleId; the filter's parts are
// separated by "|". startFolder may be null; file holds the proposed name and the choice. True
// when a file was chosen.
bool ChooseFile(UINT titleId, const char *filter, const char *startFolder, bool mustExist,
                char *file, size_t capacity);
// A program file for a startup list ("Add AutoStart Program").
bool ChooseProgramFile(char *file, size_t capacity);

// The program group of the context menu: Info..., folder, properties and the note.
void AppendProgramGroup(HMENU menu, int entry);
// The note's item, when the entry's program has a note.
void AppendNoteItem(HMENU menu, int entry);

// The pages whose own action is Remove: its button, its command (the page's removal of the
// selected rows) and the menu of the program group, Remove and Delete File on Reboot.
void CreateRemoveButton(ListPage &page);
void RemovalMenu(ListPage &page, HMENU menu, int entry);
template <void (*RemoveSelected)(ListPage &page)> bool RemoveCommand(ListPage &page, int id)
{
    if (id != IDC_PAGE_REMOVE)
        return false;
    RemoveSelected(page);
    return true;
}
// The common menu commands on an entry's program file; true when handled.
bool ProgramCommand(int id, int entry);

// The sort key of a date text ("M/D/YYYY[ H:MM[ AM|PM]]"): YYYYMMDDHHMM, the hour in 24-hour
// form; a blank for a text that holds no date.
void DateSortKey(const char *text, char *out, size_t capacity);
// Pages that write a column's text and its sort key in one function give the frame both halves
// with these: cell = CellOf<ColumnText>, sortKey = SortKeyOf<ColumnText>.
using ColumnTextFn = void (*)(int entry, int column, bool sortKey, char *out, size_t capacity);
template <ColumnTextFn Text> void CellOf(int entry, int column, char *out, size_t capacity)
{
    Text(entry, column, false, out, capacity);
}
template <ColumnTextFn Text> void SortKeyOf(int entry, int column, char *out, size_t capacity)
{
    Text(entry, column, true, out, capacity);
}
// The columns every program list begins with: 0 the title, 1 the program's file name, 2 its
// company. False for any other column.
bool ProgramCell(int entry, int column, char *out, size_t capacity);

// A first-detected cell: the date as shown, or its sort key.
void DateCell(const char *date, bool sortKey, char *out, size_t capacity);
// The CompanyName of the program file a path or command names (its arguments name no file);
// empty when the file tells none. Each file is read once per fill of any page.
void ProgramCompany(const char *path, char *out, size_t capacity);

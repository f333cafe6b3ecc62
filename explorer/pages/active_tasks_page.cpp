// The Active Tasks page: the programs running now, and ending them.
#include <cstring>

#include "bounded.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "history.h"
#include "ids.h"
#include "list_page.h"
#include "page_host.h"
#include "options.h"
#include "processes.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_MODULE, 200},
    {IDS_COLUMN_DESCRIPTION, 330},
    {IDS_COLUMN_COMPANY, 250},
    {IDS_COLUMN_FIRST_DETECTED, 200},
};

int Fill() { return EnumerateRunningPrograms(); }

void Cell(int entry, int column, char *out, size_t capacity)
{
    char path[kPathWidth + 1];
    EntryPath(entry, path, sizeof path);
    switch (column) {
    case 0:
        CopyBounded(out, capacity, FileNameOf(path));
        break;
    case 1:
        EntryTitle(entry, out, capacity);
        break;
    case 2:
        ProgramCompany(path, out, capacity);
        break;
    default:
        ListedFirstSeen(path, kRunningProgramKind, out, capacity);
        break;
    }
}

void SortKey(int entry, int column, char *out, size_t capacity)
{
    if (column != 3) {
        Cell(entry, column, out, capacity);
        return;
    }
    char date[64];
    Cell(entry, column, date, sizeof date);
    DateSortKey(date, out, capacity);
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_REFRESH, IDS_REFRESH);
    SetItemText(page.window, IDC_PAGE_KILL, IDS_KILL_TASK);
}

void KillSelected(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page);
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        return;
    for (int i = 0; i < count; ++i) {
        const int entry = entries[i];
        char title[kTitleWidth + 1];
        char path[kPathWidth + 1];
        EntryTitle(entry, title, sizeof title);
        EntryPath(entry, path, sizeof path);
        const DWORD process = static_cast<DWORD>(EntryExtra(entry));
        if (process != 0 && process != GetCurrentProcessId() && EndProcess(process))
            WriteHistoryRecord(title, path, "", kRunningProgramKind, kActionTaskKill);
    }
    FillListPage(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_REFRESH:
        FillListPage(page);
        return true;
    case IDC_PAGE_KILL:
        KillSelected(page);
        return true;
    default:
        return false;
    }
}

void Menu(ListPage &, HMENU menu, int entry)
{
    AppendProgramGroup(menu, entry);
    AppendMenuText(menu, IDC_PAGE_REFRESH, IDS_REFRESH);
    AppendMenuText(menu, IDC_PAGE_KILL, IDS_KILL_TASK);
    AppendMenuText(menu, IDM_PAGE_DELETE_ON_REBOOT, IDS_DELETE_ON_REBOOT_ITEM);
}

}  // namespace

const ListPageTraits kActiveTasksPageTraits = {
    AREA_ActiveTasks, IDS_TASKS_PAGE_INTRO, IDS_TASKS_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, Cell, SortKey, nullptr, Create,
    Command, nullptr, Menu, AskedAgain::RefillWhenShown,
};

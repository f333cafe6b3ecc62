// The Scheduled Tasks page: every task of the Windows Task Scheduler with its program and its
// next and last run times, and deleting tasks.
#include <cstring>
#include <string>
#include <vector>

#include "approved.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "ids.h"
#include "list_page.h"
#include "page_host.h"
#include "strings.h"
#include "tasks.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_NAME, 240},          {IDS_COLUMN_PROGRAM, 150}, {IDS_COLUMN_COMPANY, 170},
    {IDS_COLUMN_NEXT_RUN_TIME, 210}, {IDS_COLUMN_LAST_RUN_TIME, 210},
};

int Fill() { return GetScheduledTasks(); }

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    char text[kDescriptionWidth + 1];
    switch (column) {
    case 0:
        TaskShownName(EntryWholeTitle(entry), out, capacity);
        break;
    case 1: {
        // The program alone (a task's arguments name no file), spelt as the task spells it.
        const char *whole = EntryWholePath(entry);
        char program[MAX_PATH], parameters[kPathWidth + 1];
        SplitCommand(whole, program, sizeof program, parameters, sizeof parameters);
        const char *name = FileNameOf(program);
        const char *spelt = FindNoCase(whole, name);
        CopyBounded(out, capacity, spelt != nullptr ? spelt : name);
        if (spelt != nullptr && strlen(name) < capacity)
            out[strlen(name)] = '\0';
        break;
    }
    case 3:
        EntryDetail(entry, text, sizeof text);
        DateCell(text, sortKey, out, capacity);
        break;
    case 4:
        EntryDescription(entry, text, sizeof text);
        DateCell(text, sortKey, out, capacity);
        break;
    default:
        ProgramCell(entry, column, out, capacity);
        break;
    }
}

struct Chosen {
    std::string title;
    std::string path;
};

void RemoveSelected(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page);
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        return;
    // Asking and deleting walk the tasks again: the rows are read out first.
    std::vector<Chosen> chosen;
    for (int i = 0; i < count; ++i)
        chosen.push_back({EntryWholeTitle(entries[i]), EntryWholePath(entries[i])});
    for (const Chosen &task : chosen) {
        char shown[kTitleWidth + 1];
        TaskShownName(task.title.c_str(), shown, sizeof shown);
        if (ShowPageMessage(IDS_CONFIRM_REMOVE_TASK, MB_YESNO | MB_ICONEXCLAMATION, shown) != IDYES)
            continue;
        if (RemoveScheduledTask(task.title.c_str(), task.path.c_str()) == TaskRemoval::Removed)
            Withdraw(AREA_Tasks, task.title.c_str());
    }
    FillListPage(page);
}

}  // namespace

const ListPageTraits kTasksPageTraits = {
    AREA_Tasks, IDS_SCHEDULE_PAGE_INTRO, IDS_SCHEDULE_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, CreateRemoveButton, RemoveCommand<RemoveSelected>, nullptr,
    RemovalMenu,
};

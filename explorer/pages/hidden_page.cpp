// The Hidden Files page: the hidden files of the watched folders, and unhiding, deleting (into
// the vault) or viewing them.
#include <string>
#include <vector>

#include "approved.h"
#include "bounded.h"
#include "datetexts.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "hidden.h"
#include "ids.h"
#include "list_page.h"
#include "messages.h"
#include "page_host.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_MODULE, 180},       {IDS_COLUMN_PATH, 330}, {IDS_COLUMN_FIRST_DETECTED, 160},
    {IDS_COLUMN_LAST_WRITTEN, 210}, {IDS_COLUMN_TYPE, 100},
};

int Fill() { return EnumHiddenFiles(); }

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    const char *path = EntryWholePath(entry);
    switch (column) {
    case 0:
        CopyBounded(out, capacity, FileNameOf(path));
        break;
    case 1:
        // Sorted as the register keys the file.
        if (sortKey)
            CleanPath(path, out, capacity);
        else
            CopyBounded(out, capacity, path);
        break;
    case 2: {
        char date[64];
        ListedFirstSeen(path, kHiddenKind, date, sizeof date);
        DateCell(date, sortKey, out, capacity);
        break;
    }
    case 3:
        FileDateText(path, out, capacity);
        break;
    default:
        if (sortKey)
            FormatBounded(out, capacity, "%011d", static_cast<int>(EntryExtra(entry)));
        else if (EntryExtra(entry) == 1)
            LoadText(IDS_HIDDEN_SYSTEM, out, capacity);
        else
            CopyBounded(out, capacity, "");
        break;
    }
}

struct Chosen {
    std::string title;
    std::string path;
};

// The selected files, read out before acting: every action lists the files again.
std::vector<Chosen> ChosenFiles(const ListPage &page)
{
    std::vector<Chosen> chosen;
    for (int entry : SelectedOrSay(page))
        chosen.push_back({EntryWholeTitle(entry), EntryWholePath(entry)});
    return chosen;
}

void Delete(ListPage &page, bool atRestart)
{
    const std::vector<Chosen> chosen = ChosenFiles(page);
    if (chosen.empty() ||
        ShowPageMessage(atRestart ? IDS_DELETE_ON_REBOOT : IDS_CONFIRM_DELETE_HIDDEN,
                        MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    for (const Chosen &file : chosen) {
        const HiddenDeletion done =
            atRestart ? DeleteHiddenFileOnRestart(file.title.c_str(), file.path.c_str())
                      : DeleteHiddenFile(file.title.c_str(), file.path.c_str());
        // A refusal has told the user why already.
        if (done == HiddenDeletion::Failed)
            ShowSystemError();
    }
    FillListPage(page);
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_REFRESH, IDS_REFRESH);
    SetItemText(page.window, IDC_PAGE_KILL, IDS_UNHIDE);
    SetItemText(page.window, IDC_PAGE_DELETE, IDS_DELETE);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_REFRESH:
        FillListPage(page);
        return true;
    case IDC_PAGE_KILL: {
        for (const Chosen &file : ChosenFiles(page))
            if (!UnhideFile(file.path.c_str()))
                ShowSystemError();
        FillListPage(page);
        return true;
    }
    case IDC_PAGE_DELETE:
        Delete(page, false);
        return true;
    case IDM_PAGE_DELETE_ON_REBOOT:
        Delete(page, true);
        return true;
    case IDM_PAGE_VIEW_NOTEPAD:
        for (const Chosen &file : ChosenFiles(page))
            OpenInNotepad(file.path.c_str());
        return true;
    default:
        return false;
    }
}

void Menu(ListPage &, HMENU menu, int entry)
{
    AppendProgramGroup(menu, entry);
    AppendMenuText(menu, IDC_PAGE_REFRESH, IDS_REFRESH);
    AppendMenuText(menu, IDC_PAGE_DELETE, IDS_DELETE);
    AppendMenuText(menu, IDM_PAGE_DELETE_ON_REBOOT, IDS_DELETE_ON_REBOOT_ITEM);
    AppendMenuText(menu, IDM_PAGE_VIEW_NOTEPAD, IDS_VIEW_IN_NOTEPAD);
}

}  // namespace

const ListPageTraits kHiddenFilesPageTraits = {
    AREA_Hidden, IDS_HIDDEN_PAGE_INTRO, IDS_HIDDEN_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, Create, Command, nullptr, Menu,
};

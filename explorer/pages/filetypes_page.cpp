// The File Types page: the program that opens each watched file type, from each place Windows
// reads it, and adding and removing the types watched.
#include <string>
#include <vector>

#include "add_file_type.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "filetypes.h"
#include "ids.h"
#include "list_page.h"
#include "page_host.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_TITLE, 220}, {IDS_COLUMN_COMMAND, 150},   {IDS_COLUMN_COMPANY, 170},
    {IDS_COLUMN_CLASS, 170}, {IDS_COLUMN_EXTENSION, 140}, {IDS_COLUMN_TYPE, 150},
};

int Fill() { return EnumFileTypes(); }

void ColumnText(int entry, int column, bool, char *out, size_t capacity)
{
    switch (column) {
    case 0:
        EntryTitle(entry, out, capacity);
        break;
    case 1:
        CommandDisplay(EntryWholePath(entry), out, capacity);
        break;
    case 2:
        ProgramCompany(EntryWholePath(entry), out, capacity);
        break;
    case 3:
        EntryDetail(entry, out, capacity);
        break;
    case 4:
        EntryDescription(entry, out, capacity);
        break;
    default:
        // Sources 2 and 3 are both what Explorer chose for the type.
        LoadText(EntryExtra(entry) == SOURCE_System ? IDS_SOURCE_SYSTEM : IDS_SOURCE_EXPLORER,
                 out, capacity);
        break;
    }
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_ADD, IDS_ADD);
    SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE);
}

void RemoveSelected(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page, IDS_NO_FILE_TYPE_SELECTED);
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        return;
    // Each removal lists the types again (is the class still used?): the rows are read out first.
    std::vector<std::string> extensions;
    for (int i = 0; i < count; ++i) {
        char ext[kDescriptionWidth + 1];
        EntryDescription(entries[i], ext, sizeof ext);
        extensions.push_back(ext[0] == '.' ? ext + 1 : ext);
    }
    for (const std::string &ext : extensions)
        RemoveMonitoredType(ext.c_str());
    FillListPage(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_ADD:
        if (ShowAddFileTypeDialog(page.window) != 0)
            FillListPage(page);
        return true;
    case IDC_PAGE_REMOVE:
        RemoveSelected(page);
        return true;
    default:
        return false;
    }
}

// The program group's Info... and note, without the folder and properties of a command.
void Menu(ListPage &, HMENU menu, int entry)
{
    AppendMenuText(menu, IDC_PAGE_INFO, IDS_INFO, false);
    AppendNoteItem(menu, entry);
    AppendMenuText(menu, IDC_PAGE_ADD, IDS_ADD);
    AppendMenuText(menu, IDC_PAGE_REMOVE, IDS_REMOVE);
}

// The icon Windows shows for the type: its class's DefaultIcon, else its command's program.
void IconOf(int entry, char *file, size_t capacity, int *index)
{
    char ext[kDescriptionWidth + 1];
    EntryDescription(entry, ext, sizeof ext);
    FileTypeIcon(ext, EntryExtra(entry), file, capacity, index);
    char program[MAX_PATH];
    CleanPath(file, program, sizeof program);
    CopyBounded(file, capacity, program);
}

}  // namespace

const ListPageTraits kFileTypesPageTraits = {
    AREA_FileType, IDS_FILE_TYPES_PAGE_INTRO, IDS_FILE_TYPES_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, Create, Command, nullptr, Menu,
    AskedAgain::Nothing, true, IconOf,
};

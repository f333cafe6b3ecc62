// The IE Helpers page: browser helper objects, toolbars and extensions, and removing them.
#include <string>
#include <vector>

#include "bounded.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "ids.h"
#include "iehelpers.h"
#include "list_page.h"
#include "page_host.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_NAME, 200},    {IDS_COLUMN_PROGRAM, 160},        {IDS_COLUMN_COMPANY, 180},
    {IDS_LOCATION, 100},       {IDS_COLUMN_FIRST_DETECTED, 200},
};

// What the Location column calls each kind.
const char *KindText(int kind)
{
    switch (kind) {
    case kBhoKind:
        return "BHO";
    case kToolbarKind:
        return "TOOLBAR";
    case kExtensionKind:
        return "EXTENSION";
    default:
        return "";
    }
}

int Fill() { return EnumIEHelpers(); }

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    const char *path = EntryWholePath(entry);
    if (ProgramCell(entry, column, out, capacity))
        return;
    switch (column) {
    case 3:
        if (sortKey)
            FormatBounded(out, capacity, "%d", EntryKind(entry));
        else
            CopyBounded(out, capacity, KindText(EntryKind(entry)));
        break;
    default: {
        char date[64];
        ListedFirstSeen(path, kBhoKind, date, sizeof date);
        DateCell(date, sortKey, out, capacity);
        break;
    }
    }
}

struct Helper {
    std::string path;
    std::string detail;
    int kind;
};

void RemoveSelected(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page);
    const int count = static_cast<int>(entries.size());
    if (count == 0)
        return;
    std::vector<Helper> chosen;
    for (int i = 0; i < count; ++i) {
        char detail[kDetailWidth + 1];
        EntryDetail(entries[i], detail, sizeof detail);
        chosen.push_back({EntryWholePath(entries[i]), detail, EntryKind(entries[i])});
    }
    if (ShowPageMessage(IDS_CONFIRM_REMOVE_IE_HELPER, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        for (const Helper &helper : chosen)
            RemoveListedHelper(helper.kind, helper.detail.c_str(), helper.path.c_str());
    FillListPage(page);
}

}  // namespace

const ListPageTraits kIEHelpersPageTraits = {
    AREA_IEHelpers, IDS_IE_PAGE_INTRO, IDS_IE_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, CreateRemoveButton,
    RemoveCommand<RemoveSelected>, nullptr, RemovalMenu,
};

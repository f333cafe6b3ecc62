// The Services page: every service that runs a program or a library hosted by svchost, how it
// starts and whether it runs.
#include <string>
#include <vector>

#include "bounded.h"
#include "detected.h"
#include "entries.h"
#include "ids.h"
#include "list_page.h"
#include "options.h"
#include "page_host.h"
#include "services.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_TITLE, 200},  {IDS_COLUMN_COMMAND, 160}, {IDS_COLUMN_COMPANY, 180},
    {IDS_COLUMN_STATUS, 90},  {IDS_COLUMN_STARTUP, 90},  {IDS_COLUMN_FIRST_DETECTED, 200},
};

// Each row's status text, asked of the service control manager once per fill rather than each
// time the row is drawn.
std::vector<std::string> &Statuses()
{
    static std::vector<std::string> statuses;
    return statuses;
}

int Fill()
{
    EnumerateServices(false);
    Statuses().assign(EntryCount(), std::string());
    return EntryCount();
}

// A service that gives no answer shows nothing rather than a guess.
std::string StatusOf(int entry)
{
    const bool held = entry >= 0 && static_cast<size_t>(entry) < Statuses().size();
    if (held && !Statuses()[entry].empty())
        return Statuses()[entry];
    char title[kTitleWidth + 1];
    EntryTitle(entry, title, sizeof title);
    char text[260];
    if (GetServiceStatusText(title, text, sizeof text) == 0)
        CopyBounded(text, " ");
    if (held)
        Statuses()[entry] = text;
    return text;
}

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    const char *path = EntryWholePath(entry);
    switch (column) {
    case 1:
        // The host is named too: the library alone does not say how it runs.
        CopyBounded(out, capacity,
                    !sortKey && EntryKind(entry) == kServiceHostKind ? "svchost.exe " : "");
        AppendBounded(out, capacity, FileNameOf(path));
        break;
    case 3:
        CopyBounded(out, capacity, StatusOf(entry).c_str());
        break;
    case 4:
        EntryDetail(entry, out, capacity);
        break;
    case 5: {
        char date[64];
        ListedFirstSeen(path, kServiceExeKind, date, sizeof date);
        DateCell(date, sortKey, out, capacity);
        break;
    }
    default:
        ProgramCell(entry, column, out, capacity);
        break;
    }
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_CHECK, IDS_HIDE_MICROSOFT_SERVICES);
    CheckDlgButton(page.window, IDC_PAGE_CHECK,
                   Option(OPT_HideMicrosoftServices) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

bool Command(ListPage &page, int id)
{
    if (id != IDC_PAGE_CHECK)
        return false;
    StoreOption(OPT_HideMicrosoftServices,
                IsDlgButtonChecked(page.window, IDC_PAGE_CHECK) == BST_CHECKED ? 1 : 0);
    FillListPage(page);
    return true;
}

void Menu(ListPage &, HMENU menu, int entry) { AppendProgramGroup(menu, entry); }

}  // namespace

const ListPageTraits kServicesPageTraits = {
    AREA_Services, IDS_SERVICES_PAGE_INTRO, IDS_SERVICES_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, Create, Command, nullptr, Menu,
};

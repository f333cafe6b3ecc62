// The ActiveX page: the controls the browser has used (or every registered one), and their
// kill bits.
#include <string>
#include <vector>

#include "bounded.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "ids.h"
#include "iehelpers.h"
#include "list_page.h"
#include "options.h"
#include "page_host.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_MODULE, 200}, {IDS_COLUMN_COMMAND, 160},         {IDS_COLUMN_COMPANY, 180},
    {IDS_COLUMN_TYPE, 90},    {IDS_COLUMN_FIRST_DETECTED, 200},  {IDS_CLSID, 260},
};

std::string ClassIdOf(int entry)
{
    char classId[kDetailWidth + 1];
    EntryDetail(entry, classId, sizeof classId);
    return classId;
}

int Fill() { return Option(OPT_ActiveXListAll) != 0 ? EnumActiveXAll() : EnumActiveX(0); }

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    if (ProgramCell(entry, column, out, capacity))
        return;
    switch (column) {
    case 3:
        LoadText(IsKillBitClear(ClassIdOf(entry).c_str()) ? IDS_ACTIVEX_ENABLED
                                                          : IDS_START_DISABLED,
                 out, capacity);
        break;
    case 4: {
        char date[64];
        ListedFirstSeen(ClassIdOf(entry).c_str(), kActiveXKind, date, sizeof date);
        DateCell(date, sortKey, out, capacity);
        break;
    }
    default:
        CopyBounded(out, capacity, ClassIdOf(entry).c_str());
        break;
    }
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_ENABLE, IDS_ENABLE);
    SetItemText(page.window, IDC_PAGE_DISABLE, IDS_DISABLE);
    SetItemText(page.window, IDC_PAGE_CHECK2, IDS_ACTIVEX_LIST_ALL);
    SetItemText(page.window, IDC_PAGE_CHECK, IDS_HIDE_MICROSOFT_ACTIVEX);
    CheckDlgButton(page.window, IDC_PAGE_CHECK2,
                   Option(OPT_ActiveXListAll) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page.window, IDC_PAGE_CHECK,
                   Option(OPT_HideMicrosoftActiveX) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// The kill bit decides which of the two buttons that share a place is shown.
void Selected(ListPage &page, int entry)
{
    HWND enable = GetDlgItem(page.window, IDC_PAGE_ENABLE);
    HWND disable = GetDlgItem(page.window, IDC_PAGE_DISABLE);
    const bool enabled = entry < 0 || IsKillBitClear(ClassIdOf(entry).c_str()) != 0;
    ShowWindow(enable, enabled ? SW_HIDE : SW_SHOW);
    ShowWindow(disable, enabled ? SW_SHOW : SW_HIDE);
}

// The class identifiers of the selected rows; empty (and the user told) when none is.
std::vector<std::string> SelectedControls(ListPage &page)
{
    static int entries[kMaxEntries];
    const int count = SelectedEntries(page, entries, kMaxEntries);
    std::vector<std::string> classIds;
    for (int i = 0; i < count; ++i)
        classIds.push_back(ClassIdOf(entries[i]));
    if (classIds.empty())
        ShowPageMessage(IDS_NO_SELECTION, MB_OK | MB_ICONINFORMATION);
    return classIds;
}

void StoreCheck(ListPage &page, int id, OptionId option)
{
    StoreOption(option, IsDlgButtonChecked(page.window, id) == BST_CHECKED ? 1 : 0);
    FillListPage(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_ENABLE:
        for (const std::string &classId : SelectedControls(page))
            ClearKillBit(classId.c_str());
        FillListPage(page);
        return true;
    case IDC_PAGE_DISABLE: {
        const std::vector<std::string> classIds = SelectedControls(page);
        if (!classIds.empty() &&
            ShowPageMessage(IDS_CONFIRM_DISABLE_ACTIVEX, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
            for (const std::string &classId : classIds)
                SetKillBit(classId.c_str());
        FillListPage(page);
        return true;
    }
    case IDC_PAGE_CHECK2:
        StoreCheck(page, IDC_PAGE_CHECK2, OPT_ActiveXListAll);
        return true;
    case IDC_PAGE_CHECK:
        StoreCheck(page, IDC_PAGE_CHECK, OPT_HideMicrosoftActiveX);
        return true;
    default:
        return false;
    }
}

}  // namespace

const ListPageTraits kActiveXPageTraits = {
    AREA_ActiveX, IDS_ACTIVEX_PAGE_INTRO, 0, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, nullptr, Create,
    Command, Selected, nullptr,
};

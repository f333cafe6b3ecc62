// The Startup Programs page: every startup entry, enabled or disabled, and what can be done to it.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "bounded.h"
#include "detected.h"
#include "delayed.h"
#include "entries.h"
#include "files.h"
#include "ids.h"
#include "list_page.h"
#include "options.h"
#include "processes.h"
#include "page_host.h"
#include "startup.h"
#include "startup_actions.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_TITLE, 300}, {IDS_COLUMN_COMMAND, 160}, {IDS_COLUMN_COMPANY, 180},
    {IDS_COLUMN_TYPE, 150},  {IDS_COLUMN_FIRST_DETECTED, 200},
};

// An entry as its location names it: the title and command whole, however the list shows them.
struct EntryTexts {
    std::string title;
    std::string path;
    char detail[kDetailWidth + 1];
    int kind;
};

void ReadEntry(int entry, EntryTexts *texts)
{
    texts->title = EntryWholeTitle(entry);
    texts->path = EntryWholePath(entry);
    EntryDetail(entry, texts->detail, sizeof texts->detail);
    texts->kind = EntryKind(entry);
}

// What the page has read since its last fill: the disabled register, read once however many
// entries it is asked about, and each row's first-seen date.
struct PageFacts {
    DisabledTitles disabled;
    std::vector<std::string> firstSeen;  // by entry, once looked up
    std::vector<char> seenKnown;
};

PageFacts &Facts()
{
    static PageFacts facts;
    return facts;
}

// The company of the program file the command runs; a blank when it tells none.
void Company(const char *command, char *out, size_t capacity)
{
    ProgramCompany(command, out, capacity);
    if (capacity > 0 && out[0] == '\0')
        CopyBounded(out, capacity, " ");
}

bool Disabled(int entry)
{
    return Facts().disabled.Has(EntryWholeTitle(entry)) != 0;
}

int Fill()
{
    // Files and the register may have changed since the page last looked.
    PageFacts &facts = Facts();
    facts.disabled.Reload();
    const int count = EnumStartupEntries(1);
    facts.firstSeen.assign(count, std::string());
    facts.seenKnown.assign(count, 0);
    return count;
}

// The entry's first-seen date as the list shows it, looked up once per fill.
std::string FirstSeen(int entry, const EntryTexts &texts)
{
    PageFacts &facts = Facts();
    const bool held = entry >= 0 && static_cast<size_t>(entry) < facts.firstSeen.size();
    if (held && facts.seenKnown[entry])
        return facts.firstSeen[entry];
    char date[64];
    ListedFirstSeen(texts.path.c_str(), texts.kind, date, sizeof date);
    if (held) {
        facts.firstSeen[entry] = date;
        facts.seenKnown[entry] = 1;
    }
    return date;
}

// What a column shows or, for sorting, the key it sorts by.
void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    EntryTexts texts;
    ReadEntry(entry, &texts);
    switch (column) {
    case 0:
        EntryTitle(entry, out, capacity);
        break;
    case 1:
        CopyBounded(out, capacity, !sortKey && EntryExtra(entry) == 1 ? "RunDLL32.exe " : "");
        AppendBounded(out, capacity, FileNameOf(texts.path.c_str()));
        break;
    case 2:
        Company(texts.path.c_str(), out, capacity);
        break;
    case 3:
        if (sortKey)
            FormatBounded(out, capacity, "%d", texts.kind);
        else if (Facts().disabled.Has(texts.title.c_str()))
            LoadText(IDS_DISABLED_MARK, out, capacity);
        else
            CopyBounded(out, capacity, LocationLabel(texts.kind));
        break;
    default: {
        DateCell(FirstSeen(entry, texts).c_str(), sortKey, out, capacity);
        break;
    }
    }
}

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_ADD, IDS_ADD);
    SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE);
    SetItemText(page.window, IDC_PAGE_ENABLE, IDS_ENABLE);
    SetItemText(page.window, IDC_PAGE_DISABLE, IDS_DISABLE);
    SetItemText(page.window, IDC_PAGE_CHECK, IDS_SHOW_ALL_STARTUP);
    CheckDlgButton(page.window, IDC_PAGE_CHECK,
                   Option(OPT_ShowAllStartup) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void Selected(ListPage &page, int entry)
{
    HWND enable = GetDlgItem(page.window, IDC_PAGE_ENABLE);
    HWND disable = GetDlgItem(page.window, IDC_PAGE_DISABLE);
    HWND remove = GetDlgItem(page.window, IDC_PAGE_REMOVE);
    if (entry < 0) {
        // Remove stays offered: pressed, it says that nothing was chosen.
        ShowWindow(enable, SW_HIDE);
        ShowWindow(disable, SW_HIDE);
        SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE);
        EnableWindow(remove, TRUE);
        SetStatusText("");
        return;
    }
    const int kind = EntryKind(entry);
    const bool disabled = Disabled(entry);
    const bool fixed = kind >= kUserinitKind && kind <= kAppInitKind;
    SetItemText(page.window, IDC_PAGE_REMOVE,
                kind == kUserinitKind || kind == kShellKind ? IDS_RESET : IDS_REMOVE);
    EnableWindow(remove, kind != kNotifyKind);
    ShowWindow(enable, disabled ? SW_SHOW : SW_HIDE);
    ShowWindow(disable, disabled ? SW_HIDE : SW_SHOW);
    EnableWindow(enable, !fixed);
    EnableWindow(disable, !fixed);

    char label[128];
    char location[1024];
    char status[1200];
    LoadText(IDS_STARTUP_LOCATION, label);
    GetLocationText(entry, location, sizeof location);
    FormatBounded(status, sizeof status, "%s%s", label, location);
    SetStatusText(status);
}

constexpr int kMaxSelection = kMaxEntries;

// Runs an action over the selected entries, then refills; message 57 without a selection.
template <typename Action> void ForSelected(ListPage &page, Action action)
{
    static int entries[kMaxSelection];
    const int count = SelectedEntries(page, entries, kMaxSelection);
    if (count == 0) {
        ShowPageMessage(IDS_NO_SELECTION, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Read out first: an action may walk another list (the running programs) through this one.
    std::vector<EntryTexts> selected(count);
    for (int i = 0; i < count; ++i)
        ReadEntry(entries[i], &selected[i]);
    for (const EntryTexts &texts : selected)
        action(texts, count);
    FillListPage(page);
}

void AddProgram(ListPage &page)
{
    char file[MAX_PATH];
    if (ChooseProgramFile(file, sizeof file))
        AddStartupProgram(file);
    FillListPage(page);
}

// Each selected entry in list order; the Monitor's own entry ends the run.
void MoveSelectedToDelayed(ListPage &page)
{
    for (int entry : SelectedOrSay(page))
        if (MoveToDelayedStart(entry) == DelayMove::RefusedStop)
            break;
    FillListPage(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDM_PAGE_MOVE_TO_DELAYED:
        MoveSelectedToDelayed(page);
        return true;
    case IDC_PAGE_ENABLE:
        ForSelected(page, [](const EntryTexts &texts, int) {
            if (IsTitleDisabled(texts.title.c_str()))
                ToggleStartupEntry(texts.title.c_str(), texts.path.c_str(), texts.detail, texts.kind);
        });
        return true;
    case IDC_PAGE_DISABLE:
        ForSelected(page, [](const EntryTexts &texts, int count) {
            if (IsTitleDisabled(texts.title.c_str()))
                return;
            OfferToStopProgram(texts.path.c_str(), texts.title.c_str(), count == 1 ? 1 : 0);
            ToggleStartupEntry(texts.title.c_str(), texts.path.c_str(), texts.detail, texts.kind);
        });
        return true;
    case IDC_PAGE_REMOVE:
        ForSelected(page, [](const EntryTexts &texts, int count) {
            if (texts.kind >= kUserinitKind) {
                RemoveAdvancedEntry(Explorer().mainWindow, texts.title.c_str(),
                                    texts.path.c_str(), texts.detail, texts.kind);
                return;
            }
            OfferToStopProgram(texts.path.c_str(), texts.title.c_str(), count == 1 ? 1 : 0);
            if (count == 1 && ShowPageMessage(IDS_CONFIRM_REMOVE_STARTUP,
                                              MB_YESNO | MB_ICONEXCLAMATION,
                                              texts.path.c_str()) != IDYES)
                return;
            RemoveStartupEntry(texts.title.c_str(), texts.path.c_str(), texts.detail,
                               texts.kind);
        });
        return true;
    case IDC_PAGE_ADD:
        AddProgram(page);
        return true;
    case IDC_PAGE_CHECK: {
        const int on = IsDlgButtonChecked(page.window, IDC_PAGE_CHECK) == BST_CHECKED ? 1 : 0;
        StoreOption(OPT_ShowAllStartup, on);
        FillListPage(page);
        return true;
    }
    default:
        return false;
    }
}

void Menu(ListPage &, HMENU menu, int entry)
{
    AppendProgramGroup(menu, entry);
    AppendMenuText(menu, IDC_PAGE_ADD, IDS_ADD);
    if (EntryKind(entry) < kUserinitKind) {
        AppendMenuText(menu, IDM_PAGE_MOVE_TO_DELAYED, IDS_MOVE_TO_DELAYED);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuText(menu, IDC_PAGE_REMOVE, IDS_REMOVE);
    }
    if (Disabled(entry))
        AppendMenuText(menu, IDC_PAGE_ENABLE, IDS_ENABLE);
    else
        AppendMenuText(menu, IDC_PAGE_DISABLE, IDS_DISABLE);
    AppendMenuText(menu, IDM_PAGE_DELETE_ON_REBOOT, IDS_DELETE_ON_REBOOT_ITEM);
}

}  // namespace

const ListPageTraits kStartupPageTraits = {
    AREA_Start, IDS_STARTUP_PAGE_INTRO, IDS_STARTUP_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, Disabled, Create,
    Command, Selected, Menu,
};

// The Delayed Start page: the programs the Monitor starts a while after it starts, their delays,
// and moving them back into the Windows startup list.
#include <windows.h>

#include <string>
#include <vector>

#include "bounded.h"
#include "delay_options.h"
#include "delayed.h"
#include "entries.h"
#include "files.h"
#include "ids.h"
#include "list_page.h"
#include "messages.h"
#include "page_host.h"
#include "processes.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr ListColumn kColumns[] = {
    {IDS_COLUMN_TITLE, 300}, {IDS_COLUMN_COMMAND, 250}, {IDS_COLUMN_STATUS, 250},
    {IDS_DELAY_TIME, 200},
};

DelayRegistration RegistrationOf(int entry)
{
    DelayRegistration registration;
    ReadDelayRegistration(DelayedHive(EntryExtra(entry)), EntryWholePath(entry), registration);
    return registration;
}

bool IsRunning(const char *program)
{
    char clean[MAX_PATH];
    CleanPath(program, clean, sizeof clean);
    return FindProcessForFile(clean) != 0;
}

// What a row shows of its program, read once per fill: cells are asked for on every draw and
// every comparison of a sort.
struct RowFacts {
    bool running;
    bool exists;
    int seconds;
};

std::vector<RowFacts> &Facts()
{
    static std::vector<RowFacts> facts;
    return facts;
}

int Fill()
{
    Facts().clear();
    const int count = EnumDelayedEntries();
    for (int entry = 0; entry < count; ++entry) {
        const char *program = EntryWholePath(entry);
        Facts().push_back({IsRunning(program), FileExists(program), RegistrationOf(entry).seconds});
    }
    return count;
}

RowFacts FactsOf(int entry)
{
    return entry >= 0 && static_cast<size_t>(entry) < Facts().size()
               ? Facts()[static_cast<size_t>(entry)]
               : RowFacts{false, false, 0};
}

// "30 Sec." under a minute, "2 Min. : 10 Sec." from one on.
void DelayText(int seconds, char *out, size_t capacity)
{
    char minutes[16], secondsWord[16];
    LoadText(IDS_MINUTES_SHORT, minutes);
    LoadText(IDS_SECONDS_SHORT, secondsWord);
    if (seconds < 60)
        FormatBounded(out, capacity, "%d %s", seconds, secondsWord);
    else
        FormatBounded(out, capacity, "%d %s : %d %s", seconds / 60, minutes, seconds % 60,
                      secondsWord);
}

void ColumnText(int entry, int column, bool sortKey, char *out, size_t capacity)
{
    const char *program = EntryWholePath(entry);
    switch (column) {
    case 0:
        CopyBounded(out, capacity, EntryWholeTitle(entry));
        break;
    case 1:
        CopyBounded(out, capacity, FileNameOf(program));
        break;
    case 2: {
        const RowFacts facts = FactsOf(entry);
        if (sortKey)
            CopyBounded(out, capacity, facts.running ? "0" : "1");
        else if (facts.running)
            LoadText(IDS_RUNNING, out, capacity);
        else if (facts.exists)
            CopyBounded(out, capacity, "");
        else
            LoadText(IDS_LOCAL_FILE_NOT_FOUND, out, capacity);
        break;
    }
    default: {
        const int seconds = FactsOf(entry).seconds;
        if (sortKey)
            FormatBounded(out, capacity, "%04d", seconds);
        else
            DelayText(seconds, out, capacity);
        break;
    }
    }
}

// The list's rule: keys cut to the shorter one, nothing kept last.
bool NeverLast(int) { return false; }

void Create(ListPage &page)
{
    SetItemText(page.window, IDC_PAGE_ADD, IDS_ADD);
    SetItemText(page.window, IDC_PAGE_DELAY_OPTIONS, IDS_DELAY_OPTIONS_BUTTON);
    SetItemText(page.window, IDC_PAGE_REMOVE, IDS_REMOVE);
}

void Add(ListPage &page)
{
    char file[MAX_PATH];
    if (!ChooseProgramFile(file, sizeof file))
        return;
    // Yes for every user, No for this one.
    char question[256], everyUser[64], thisUser[64], caption[128], text[512];
    LoadText(IDS_DELAY_ADD_QUESTION, question);
    LoadText(IDS_DELAY_ADD_ALL_USERS, everyUser);
    LoadText(IDS_DELAY_ADD_CURRENT_USER, thisUser);
    LoadText(IDS_DELAY_ADD_CAPTION, caption);
    ReplaceChar(everyUser, '&', '\0');
    ReplaceChar(thisUser, '&', '\0');
    FormatBounded(text, sizeof text, "%s\n\nYes: %s\nNo: %s", question, everyUser, thisUser);
    const int answer = ShowMessage(Explorer().mainWindow, text, caption,
                                   MB_YESNOCANCEL | MB_ICONQUESTION | MB_TOPMOST);
    if (answer == IDCANCEL)
        return;
    AddDelayedProgram(file, answer == IDYES);
    FillListPage(page);
}

void Options(ListPage &page)
{
    const std::vector<int> entries = SelectedOrSay(page);
    if (entries.empty())
        return;
    const std::string program = EntryWholePath(entries[0]);
    if (ShowDelayOptionsDialog(GetParent(page.window), DelayedHive(EntryExtra(entries[0])),
                               program.c_str()) == IDOK)
        FillListPage(page);
}

// Asked per program: Yes back into its startup location, No only out of the list, Cancel stops.
void Restore(ListPage &page)
{
    for (int entry : SelectedOrSay(page)) {
        const int answer = ShowPageMessage(IDS_RESTORE_DELAYED_QUESTION,
                                           MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            break;
        RestoreDelayedEntry(entry, answer == IDYES);
    }
    FillListPage(page);
}

void Launch(ListPage &page)
{
    for (int entry : SelectedOrSay(page)) {
        const DelayRegistration registration = RegistrationOf(entry);
        LaunchProgram(EntryWholePath(entry), registration.parameters.c_str(),
                      registration.windowState);
    }
    // Its Status now reads Running.
    FillListPage(page);
}

bool Command(ListPage &page, int id)
{
    switch (id) {
    case IDC_PAGE_ADD:
        Add(page);
        return true;
    case IDC_PAGE_DELAY_OPTIONS:
        Options(page);
        return true;
    case IDC_PAGE_REMOVE:
    case IDM_PAGE_RESTORE_DELAYED:
        Restore(page);
        return true;
    case IDM_PAGE_LAUNCH:
        Launch(page);
        return true;
    default:
        return false;
    }
}

void Menu(ListPage &, HMENU menu, int entry)
{
    AppendProgramGroup(menu, entry);
    AppendMenuText(menu, IDC_PAGE_ADD, IDS_ADD);
    AppendMenuText(menu, IDM_PAGE_LAUNCH, IDS_LAUNCH_PROGRAM);
    AppendMenuText(menu, IDC_PAGE_DELAY_OPTIONS, IDS_DELAY_OPTIONS_ITEM);
    AppendMenuText(menu, IDM_PAGE_RESTORE_DELAYED, IDS_RESTORE_TO_STARTUP);
}

}  // namespace

const ListPageTraits kDelayedPageTraits = {
    AREA_Delayed, IDS_DELAY_PAGE_INTRO, IDS_DELAY_PAGE_HINT, kColumns,
    static_cast<int>(sizeof kColumns / sizeof kColumns[0]), Fill, CellOf<ColumnText>,
    SortKeyOf<ColumnText>, NeverLast, Create, Command, nullptr, Menu,
};

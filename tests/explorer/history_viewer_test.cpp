#include "history_viewer.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "entries.h"
#include "explorer_dialogs.h"
#include "history.h"
#include "ids.h"
#include "list_page.h"
#include "options.h"
#include "page_host.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_actions.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace dialog_driver;

constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kDisabledRegister[] = "Software\\Orvanto\\Sentrovia\\Disabled";
constexpr char kDate[] = "12/06/2026  12:05 AM";

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_HISTORY_LIST); }

int RowCount(HWND dialog)
{
    return static_cast<int>(SendMessageA(List(dialog), LVM_GETITEMCOUNT, 0, 0));
}

std::string Cell(HWND dialog, int row, int column)
{
    char text[512] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(List(dialog), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string Header(HWND dialog, int column)
{
    char text[128] = "";
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT;
    header.pszText = text;
    header.cchTextMax = sizeof text;
    SendMessageA(List(dialog), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
    return text;
}

void SelectRow(HWND dialog, int row)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(dialog), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// What the list view sends its dialog on a double click on the selected row.
void DoubleClick(HWND dialog, int row)
{
    NMITEMACTIVATE activate{};
    activate.hdr.hwndFrom = List(dialog);
    activate.hdr.idFrom = IDC_HISTORY_LIST;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&activate));
}

bool RestoreEnabled(HWND dialog) { return Enabled(dialog, IDC_HISTORY_RESTORE); }

class HistoryViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock_ = {2026, 12, 0, 6, 0, 5, 0, 0};
        override_.programFolder = scratch_.path().c_str();
        override_.localTime = &clock_;
        SetPlatformOverride(&override_);
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        TheSettings().option[OPT_MaxCookie] = 4096;
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }
    std::string File() const { return scratch_.File("history.txt"); }
    std::string FileText() const { return ReadWholeFile(File()); }
    void Open(std::vector<Step> steps)
    {
        RunDialog(std::move(steps), [] {
            ShowHistoryViewer(nullptr);
            return 0;
        });
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    SYSTEMTIME clock_;
    PlatformOverride override_;
};

TEST_F(HistoryViewer, ShowsEveryRecordInFileOrderWithItsNames)
{
    ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 0));
    ASSERT_EQ(1, WriteHistoryRecord("Helper", "C:\\Tools\\helper.dll", "{1234}", 900, 8));
    ASSERT_EQ(1, WriteHistoryRecord("Control", "C:\\Tools\\ctl.ocx", "", 1200, 12));

    struct Seen {
        std::string caption, intro, restore, clear, close;
        std::vector<std::string> headers;
        std::vector<std::vector<std::string>> rows;
        bool restoreEnabled = true;
    } seen;
    Open({Do([&](HWND dialog) {
              seen.caption = WindowText(dialog);
              seen.intro = ItemText(dialog, IDC_HISTORY_INTRO);
              seen.restore = ItemText(dialog, IDC_HISTORY_RESTORE);
              seen.clear = ItemText(dialog, IDC_HISTORY_CLEAR);
              seen.close = ItemText(dialog, IDOK);
              for (int column = 0; column < 4; ++column)
                  seen.headers.push_back(Header(dialog, column));
              for (int row = 0; row < RowCount(dialog); ++row) {
                  std::vector<std::string> cells;
                  for (int column = 0; column < 4; ++column)
                      cells.push_back(Cell(dialog, row, column));
                  seen.rows.push_back(cells);
              }
              seen.restoreEnabled = RestoreEnabled(dialog);
          }),
          Press(IDOK)});

    EXPECT_EQ("Sentrovia History", seen.caption);
    EXPECT_EQ(Text(IDS_HISTORY_INTRO), seen.intro);
    EXPECT_EQ("&Restore", seen.restore);
    EXPECT_EQ("&Clear File", seen.clear);
    EXPECT_EQ("Close", seen.close);
    EXPECT_EQ((std::vector<std::string>{"Title", "Action", "Command", "Date Modified"}),
              seen.headers);
    ASSERT_EQ(3u, seen.rows.size());
    EXPECT_EQ((std::vector<std::string>{"Agent", "*START_Remove", "CURRENT_RUN", kDate}),
              seen.rows[0]);
    EXPECT_EQ((std::vector<std::string>{"Helper", "IEHELPER_Alert", "TYPE_BHO", kDate}),
              seen.rows[1]);
    // Shared codes read with their first row; a kind without a row is unknown.
    EXPECT_EQ((std::vector<std::string>{"Control", "SERVICE_Disabled", "TYPE_UNKNOWN", kDate}),
              seen.rows[2]);
    EXPECT_FALSE(seen.restoreEnabled) << "nothing is selected yet";
    EXPECT_EQ(0, EntryCount()) << "the records stay behind after the viewer closed";
}

// What the list view sends its dialog on a click on a column's header.
void ClickColumn(HWND dialog, int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = List(dialog);
    click.hdr.idFrom = IDC_HISTORY_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(dialog, WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&click));
}

std::vector<std::string> Titles(HWND dialog)
{
    std::vector<std::string> titles;
    for (int row = 0; row < RowCount(dialog); ++row)
        titles.push_back(Cell(dialog, row, 0));
    return titles;
}

TEST_F(HistoryViewer, ColumnClicksSortAndTheChoiceIsKept)
{
    // Written at 11:00 AM, 1:00 PM and 9:30 AM of one day: the afternoon sorts last by date.
    clock_.wHour = 11;
    ASSERT_EQ(1, WriteHistoryRecord("beta", "C:\\Tools\\b.exe", "", 11, 0));
    clock_.wHour = 13;
    ASSERT_EQ(1, WriteHistoryRecord("Alpha", "C:\\Tools\\a.exe", "", 11, 6));
    clock_.wHour = 9;
    clock_.wMinute = 30;
    ASSERT_EQ(1, WriteHistoryRecord("Gamma", "C:\\Tools\\g.exe", "", 11, 1));

    std::vector<std::vector<std::string>> orders;
    bool actionsInOrder = true, rowsKeepTheirRecords = true;
    Open({Do([&](HWND dialog) {
              orders.push_back(Titles(dialog));
              ClickColumn(dialog, 0);
              orders.push_back(Titles(dialog));
              ClickColumn(dialog, 0);
              orders.push_back(Titles(dialog));
              ClickColumn(dialog, 3);
              orders.push_back(Titles(dialog));
              ClickColumn(dialog, 1);
              orders.push_back(Titles(dialog));
              for (int row = 1; row < RowCount(dialog); ++row)
                  actionsInOrder = actionsInOrder &&
                                   CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                                  Cell(dialog, row - 1, 1).c_str(), -1,
                                                  Cell(dialog, row, 1).c_str(), -1) != CSTR_GREATER_THAN;
              // The rows still stand for their own records, whatever the order.
              for (int row = 0; row < RowCount(dialog); ++row) {
                  LVITEMA item{};
                  item.mask = LVIF_PARAM;
                  item.iItem = row;
                  SendMessageA(List(dialog), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
                  char title[128] = "";
                  EntryTitle(static_cast<int>(item.lParam), title, sizeof title);
                  rowsKeepTheirRecords = rowsKeepTheirRecords && Cell(dialog, row, 0) == title;
              }
          }),
          Press(IDOK)});
    using Order = std::vector<std::string>;
    ASSERT_EQ(5u, orders.size());
    EXPECT_EQ((Order{"beta", "Alpha", "Gamma"}), orders[0]) << "file order at first";
    EXPECT_EQ((Order{"Alpha", "beta", "Gamma"}), orders[1]) << "case does not count";
    EXPECT_EQ((Order{"Gamma", "beta", "Alpha"}), orders[2]);
    EXPECT_EQ((Order{"Gamma", "beta", "Alpha"}), orders[3]) << "9:30 AM, 11:00 AM, 1:00 PM";
    EXPECT_EQ(3u, orders[4].size());
    EXPECT_TRUE(actionsInOrder);
    EXPECT_TRUE(rowsKeepTheirRecords);
    EXPECT_EQ(2, GetOption("SortHistory", 0));

    // Opened again: sorted by the kept column.
    std::vector<std::string> reopened;
    Open({Do([&](HWND dialog) { reopened = Titles(dialog); }), Press(IDOK)});
    EXPECT_EQ(orders[4], reopened);
}

TEST_F(HistoryViewer, OpensScrolledToTheLastRecord)
{
    for (int record = 0; record < 80; ++record)
        ASSERT_EQ(1, WriteHistoryRecord(("Entry" + std::to_string(record)).c_str(),
                                        "C:\\Tools\\a.exe", "", 11, 6));
    int top = -1;
    int perPage = 0;
    int rows = 0;
    Open({Do([&](HWND dialog) {
              top = static_cast<int>(SendMessageA(List(dialog), LVM_GETTOPINDEX, 0, 0));
              perPage = static_cast<int>(SendMessageA(List(dialog), LVM_GETCOUNTPERPAGE, 0, 0));
              rows = RowCount(dialog);
          }),
          Press(IDOK)});
    ASSERT_EQ(80, rows);
    ASSERT_GT(perPage, 0);
    ASSERT_LT(perPage, 80) << "the test needs more rows than the list shows";
    EXPECT_GT(top, 0);
    EXPECT_GE(top + perPage, 80) << "the last record is not in view";
}

// A long history shows its newest records, the ones a user wants to undo, and says that older
// ones are left out; a short one says nothing.
TEST_F(HistoryViewer, ALongHistoryShowsItsNewestRecordsAndSaysOlderAreLeftOut)
{
    std::string old;
    for (int record = 0; old.size() < 200000; ++record)
        old += "12/06/2026  12:05 AM\tSTART_Alert\tCURRENT_RUN\tOld" + std::to_string(record) +
               "\tC:\\Tools\\old.exe\t\r\n";
    scratch_.Write("history.txt", old);
    ASSERT_EQ(1, WriteHistoryRecord("Newest", "C:\\Tools\\new.exe", "", 11, 0));
    std::string lastTitle, note;
    int rows = 0;
    Open({Do([&](HWND dialog) {
              rows = RowCount(dialog);
              lastTitle = Cell(dialog, rows - 1, 0);
              char text[256] = "";
              GetDlgItemTextA(dialog, IDC_HISTORY_OLDER_NOTE, text, sizeof text);
              note = text;
          }),
          Press(IDOK)});
    EXPECT_GT(rows, 1000);
    EXPECT_EQ("Newest", lastTitle);
    EXPECT_EQ(Text(IDS_HISTORY_OLDER_LEFT_OUT), note);

    scratch_.Write("history.txt", "");
    ASSERT_EQ(1, WriteHistoryRecord("Only", "C:\\Tools\\new.exe", "", 11, 0));
    Open({Do([&](HWND dialog) {
              rows = RowCount(dialog);
              char text[256] = "x";
              GetDlgItemTextA(dialog, IDC_HISTORY_OLDER_NOTE, text, sizeof text);
              note = text;
          }),
          Press(IDOK)});
    EXPECT_EQ(1, rows);
    EXPECT_EQ("", note);
}

TEST_F(HistoryViewer, RestoreIsOfferedOnlyForReversibleRecords)
{
    const struct {
        int action;
        bool reversible;
    } records[] = {{0, true}, {6, false}, {29, true}, {1, false}, {3, false}, {31, false}};
    for (const auto &record : records)
        ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, record.action));
    // An action name in no row reads as LOG_UNKNOWN.
    {
        HANDLE file = CreateFileA(File().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const std::string line =
            std::string(kDate) + "\t*START_Removed\tCURRENT_RUN\tOdd\tC:\\odd.exe\t\r\n";
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::vector<bool> enabled;
    std::vector<Step> steps;
    for (int row = 0; row < 7; ++row)
        steps.push_back(Do([&enabled, row](HWND dialog) {
            SelectRow(dialog, row);
            enabled.push_back(RestoreEnabled(dialog));
        }));
    steps.push_back(Press(IDOK));
    Open(steps);
    EXPECT_EQ((std::vector<bool>{true, false, true, false, false, false, false}), enabled);
    ASSERT_EQ(7, LoadHistory());
    for (int index = 0; index < 7; ++index)
        EXPECT_EQ(index == 0 || index == 2 ? 1 : 0, CanRestoreRecord(index)) << index;
    EXPECT_EQ(0, CanRestoreRecord(-1));
}

TEST_F(HistoryViewer, RestoreBringsARemovedRunEntryBackAndReloads)
{
    const std::string command = "C:\\Tools\\agent.exe /background";
    ASSERT_EQ(1, WriteRegString(HKEY_CURRENT_USER, kUserRun, "Agent", command.c_str()));
    ASSERT_EQ(1, RemoveStartupEntry("Agent", command.c_str(), "", 11));
    ASSERT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    ASSERT_EQ(1, WriteHistoryRecord("Later", "C:\\Tools\\later.exe", "", 11, 6));
    const std::string before = FileText();

    bool enabledBefore = false, enabledAfter = true;
    bool backWhileOpen = false;
    int rowsAfter = -1;
    Open({Do([&](HWND dialog) {
              SelectRow(dialog, 0);
              enabledBefore = RestoreEnabled(dialog);
          }),
          Press(IDC_HISTORY_RESTORE), Do([&](HWND dialog) {
              backWhileOpen = ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent");
              rowsAfter = RowCount(dialog);
              enabledAfter = RestoreEnabled(dialog);
          }),
          Press(IDOK)});
    EXPECT_TRUE(enabledBefore);
    EXPECT_TRUE(backWhileOpen);
    EXPECT_EQ(command, ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Agent"));
    // Reloaded: the same two records (a reversal writes none), nothing selected.
    EXPECT_EQ(2, rowsAfter);
    EXPECT_FALSE(enabledAfter);
    EXPECT_EQ(before, FileText());
}

TEST_F(HistoryViewer, DoubleClickReversesOnlyAReversibleRecord)
{
    // A disabling record is not reversible: a double click must not toggle the entry, which
    // would take the live Run value out.
    ASSERT_EQ(1, WriteRegString(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\agent.exe"));
    ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 1));
    ASSERT_EQ(1, WriteHistoryRecord("Gone", "C:\\Tools\\gone.exe", "", 11, 0));
    int rowsAfterFirst = -1;
    bool agentAfterFirst = false, goneAfterFirst = true;
    Open({Do([](HWND dialog) {
              SelectRow(dialog, 0);
              DoubleClick(dialog, 0);
          }),
          Do([&](HWND dialog) {
              rowsAfterFirst = RowCount(dialog);
              agentAfterFirst = ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent");
              goneAfterFirst = ValueExists(HKEY_CURRENT_USER, kUserRun, "Gone");
              SelectRow(dialog, 1);
              DoubleClick(dialog, 1);
          }),
          Press(IDOK)});
    EXPECT_EQ(2, rowsAfterFirst);
    EXPECT_TRUE(agentAfterFirst);
    EXPECT_FALSE(goneAfterFirst);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDisabledRegister));
    EXPECT_EQ("C:\\Tools\\agent.exe", ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Agent"));
    // The second double click was on the removal: it came back.
    EXPECT_EQ("C:\\Tools\\gone.exe", ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Gone"));
}

TEST_F(HistoryViewer, ClearFileEmptiesTheListAndALaterRecordStartsANewFile)
{
    ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 0));
    ASSERT_EQ(1, WriteHistoryRecord("Other", "C:\\Tools\\other.exe", "", 11, 6));
    // A read-only file is still deleted.
    ASSERT_TRUE(SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_READONLY));
    int rowsBefore = -1, rowsAfter = -1;
    bool fileAfter = true;
    Open({Do([&](HWND dialog) { rowsBefore = RowCount(dialog); }), Press(IDC_HISTORY_CLEAR),
          Do([&](HWND dialog) {
              rowsAfter = RowCount(dialog);
              fileAfter = GetFileAttributesA(File().c_str()) != INVALID_FILE_ATTRIBUTES;
          }),
          Press(IDOK)});
    EXPECT_EQ(2, rowsBefore);
    EXPECT_EQ(0, rowsAfter);
    EXPECT_FALSE(fileAfter);

    ASSERT_EQ(1, WriteHistoryRecord("Next", "C:\\Tools\\next.exe", "", 11, 6));
    EXPECT_EQ(std::string(kDate) + "\tSTART_Alert\tCURRENT_RUN\tNext\tC:\\Tools\\next.exe\t\r\n",
              FileText());
}

TEST_F(HistoryViewer, MissingFileGivesAnEmptyListAndClearingItIsQuiet)
{
    int rows = -1;
    Open({Do([&](HWND dialog) { rows = RowCount(dialog); }), Press(IDC_HISTORY_CLEAR),
          Do([&](HWND dialog) { rows += RowCount(dialog); }), Press(IDCANCEL)});
    EXPECT_EQ(0, rows);
    EXPECT_EQ(1, ClearHistoryFile());
}

// A menu's items as "id text" lines ("-" for a separator).
std::vector<std::string> MenuItems(HMENU menu)
{
    std::vector<std::string> items;
    const int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        char text[128] = "";
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, index, TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back("-");
        else
            items.push_back(std::to_string(info.wID) + " " + text);
    }
    return items;
}

TEST_F(HistoryViewer, RightClickMenuEndsWithTheListPagesCommonItems)
{
    ASSERT_EQ(1, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 0));
    std::vector<std::string> shown;
    Open({Do([](HWND dialog) {
              SelectRow(dialog, 0);
              // From the keyboard: the menu opens under the selected row.
              PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List(dialog)), -1);
          }),
          [&shown](HWND) {
              HWND popup = FindWindowA("#32768", nullptr);
              if (popup == nullptr || !IsWindowVisible(popup))
                  return false;
              shown = MenuItems(reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)));
              EndMenu();
              return true;
          },
          Press(IDOK)});
    HMENU tail = CreatePopupMenu();
    AppendCommonTail(tail, IDM_PAGE_OPTIONS);
    const std::vector<std::string> common = MenuItems(tail);
    DestroyMenu(tail);
    std::vector<std::string> expected{std::to_string(IDC_HISTORY_RESTORE) + " &Restore",
                                      std::to_string(IDC_HISTORY_CLEAR) + " &Clear File",
                                      std::to_string(IDOK) + " Close"};
    expected.insert(expected.end(), common.begin(), common.end());
    EXPECT_EQ(expected, shown);
    // The tail holds the online information, the log and help.
    ASSERT_EQ(4u, common.size());
    EXPECT_EQ("-", common[0]);
    EXPECT_EQ(std::to_string(IDM_PAGE_ONLINE_INFO), common[1].substr(0, 4));
    EXPECT_EQ(std::to_string(IDM_PAGE_LISTING) + " ", common[2].substr(0, 2));
    EXPECT_EQ(std::to_string(IDC_PAGE_HELP), common[3].substr(0, 4));
    // The cookies page's tail has no listing.
    HMENU cookiesTail = CreatePopupMenu();
    AppendCommonTail(cookiesTail, IDM_PAGE_COOKIES);
    const std::vector<std::string> cookies = MenuItems(cookiesTail);
    DestroyMenu(cookiesTail);
    EXPECT_EQ((std::vector<std::string>{common[0], common[1], common[3]}), cookies);
}

} // namespace

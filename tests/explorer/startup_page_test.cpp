// The Startup Programs page on a sandboxed registry: sorting rules and the page's buttons.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "entries.h"
#include "ids.h"
#include "keys.h"
#include "list_page.h"
#include "messages.h"
#include "options.h"
#include "regsandbox.h"
#include "sheet.h"
#include "startup.h"

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(StartupPageSorting, TitleThatBeginsAnotherComparesEqualOnlyOnTheStartupPage)
{
    RegistrySandbox sandbox;
    ClearEntryList();
    ASSERT_EQ(1, AddEntry("Adobe", "C:\\nowhere\\adobe.exe", "", "", 11, 0));
    ASSERT_EQ(1, AddEntry("Adobe Reader", "C:\\nowhere\\reader.exe", "", "", 11, 0));
    ASSERT_EQ(1, AddEntry("Beta", "C:\\nowhere\\beta.exe", "", "", 11, 0));
    EXPECT_EQ(0, CompareEntries(kStartupPageSpec, 0, 1, 0, false));
    EXPECT_EQ(0, CompareEntries(kStartupPageSpec, 0, 1, 0, true));
    EXPECT_LT(CompareEntries(kStartupPageSpec, 1, 2, 0, false), 0);
    EXPECT_GT(CompareEntries(kStartupPageSpec, 1, 2, 0, true), 0);
    // Active Tasks' column 1 is the title: there the two are ordered.
    EXPECT_LT(CompareEntries(kActiveTasksPageSpec, 0, 1, 1, false), 0);
    EXPECT_GT(CompareEntries(kActiveTasksPageSpec, 0, 1, 1, true), 0);
    ClearEntryList();
}

TEST(StartupPageSorting, DateKeysAreYearMonthDayHourMinute)
{
    const struct {
        const char *text;
        const char *key;
    } cases[] = {
        {"3/5/2024 7:04 PM", "202403050704"},
        {"12/31/1999 11:59 AM", "199912311159"},
        {"3/5/2024", "202403050000"},
        {"", " "},
        {"Never", " "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char key[32] = "canary";
        DateSortKey(c.text, key, sizeof key);
        EXPECT_STREQ(c.key, key);
    }
}

// ---------------------------------------------------------------- the page itself

std::vector<std::string> Column(HWND list, int column)
{
    std::vector<std::string> texts;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row) {
        char text[512] = "";
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

HWND PageList() { return GetDlgItem(Explorer().activePage, IDC_PAGE_LIST); }

bool Select(const char *title)
{
    HWND list = PageList();
    const auto titles = Column(list, 0);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (size_t row = 0; row < titles.size(); ++row)
        if (titles[row] == title) {
            ListView_SetItemState(list, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
            return true;
        }
    return false;
}

void Press(int id) { SendMessageA(Explorer().activePage, WM_COMMAND, id, 0); }

void ClickColumn(int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = PageList();
    click.hdr.idFrom = IDC_PAGE_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(Explorer().activePage, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
}

std::string g_asked;
int AnswerYes(const char *text, const char *, UINT)
{
    g_asked = text;
    return IDYES;
}

class StartupPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                           ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        for (const char *name : {"Beta", "Alpha", "Gamma"}) {
            const std::string command = std::string("C:\\nowhere\\") + name + ".exe";
            RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1));
        }
        LoadOptions();
        previous_ = SetMessageResponder(AnswerYes);
        ASSERT_NE(nullptr, CreateMainWindow(GetModuleHandleA(nullptr), "SentroviaExTest",
                                            "Loading..."));
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        if (Explorer().mainWindow != nullptr)
            DestroyWindow(Explorer().mainWindow);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                DispatchMessageA(&message);
    }
    void Run(std::vector<dialog_driver::Step> steps)
    {
        steps.insert(steps.begin(), [](HWND) { return Explorer().activePage != nullptr; });
        steps.push_back([](HWND) {
            PostMessageA(Explorer().activePage, WM_COMMAND, IDC_PAGE_CLOSE, 0);
            return true;
        });
        dialog_driver::Run(steps, [] {
            OpenSheet(IDM_PAGE_STARTUP);
            return 0;
        });
    }
    RegistrySandbox sandbox_;
    MessageResponder previous_ = nullptr;
};

TEST_F(StartupPage, DisabledEntriesStayLastInBothDirections)
{
    std::vector<std::string> ascending, descending, types;
    // Alpha comes first and Gamma last by title: disabled, both must go below Beta either way.
    Run({[](HWND) { return Select("Alpha"); },
         [](HWND) {
             Press(IDC_PAGE_DISABLE);
             return true;
         },
         [](HWND) { return Select("Gamma"); },
         [](HWND) {
             Press(IDC_PAGE_DISABLE);
             return true;
         },
         [&](HWND) {
             ClickColumn(0);
             ascending = Column(PageList(), 0);
             types = Column(PageList(), 3);
             ClickColumn(0);
             descending = Column(PageList(), 0);
             return true;
         }});
    const std::vector<std::string> up{"Beta", "Alpha", "Gamma"};
    const std::vector<std::string> down{"Beta", "Gamma", "Alpha"};
    EXPECT_EQ(up, ascending);
    EXPECT_EQ(down, descending);
    ASSERT_EQ(3u, types.size());
    EXPECT_EQ("   Disabled", types[1]);
    EXPECT_EQ("   Disabled", types[2]);
    EXPECT_NE("   Disabled", types[0]);
    EXPECT_EQ(1, GetOption("SortStartup", 0));
}

TEST_F(StartupPage, DisableEnableRemoveRoundTrip)
{
    bool disabledShown = false;
    bool enableShown = false;
    Run({[](HWND) { return Select("Beta"); },
         [](HWND) {
             Press(IDC_PAGE_DISABLE);
             return true;
         },
         [&](HWND) {
             EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Beta"));
             EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kDisabledKey, "Beta"));
             const auto types = Column(PageList(), 3);
             const auto titles = Column(PageList(), 0);
             for (size_t i = 0; i < titles.size(); ++i)
                 if (titles[i] == "Beta")
                     disabledShown = types[i] == "   Disabled";
             Select("Beta");
             enableShown = IsWindowVisible(GetDlgItem(Explorer().activePage, IDC_PAGE_ENABLE)) &&
                           !IsWindowVisible(GetDlgItem(Explorer().activePage, IDC_PAGE_DISABLE));
             Press(IDC_PAGE_ENABLE);
             return true;
         },
         [](HWND) {
             EXPECT_EQ("C:\\nowhere\\Beta.exe", ReadStringValue(HKEY_CURRENT_USER, kRunKey, "Beta"));
             EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabledKey, "Beta"));
             Select("Beta");
             Press(IDC_PAGE_REMOVE);
             return true;
         },
         [](HWND) {
             EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Beta"));
             const auto titles = Column(PageList(), 0);
             EXPECT_EQ(std::vector<std::string>({"Alpha", "Gamma"}),
                       std::vector<std::string>(titles.begin(), titles.end()));
             return true;
         }});
    EXPECT_TRUE(disabledShown);
    EXPECT_TRUE(enableShown);
    EXPECT_NE(std::string::npos, g_asked.find("C:\\nowhere\\Beta.exe")) << g_asked;
}

TEST_F(StartupPage, ButtonsWithoutASelectionSayNothingWasChosen)
{
    Run({[](HWND) {
        ListView_SetItemState(PageList(), -1, 0, LVIS_SELECTED);
        g_asked.clear();
        Press(IDC_PAGE_REMOVE);
        return true;
    }});
    EXPECT_EQ("Please select an item in the list first.", g_asked);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Alpha"));
}

}  // namespace

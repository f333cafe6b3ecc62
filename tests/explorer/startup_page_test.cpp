// The Startup Programs page on a sandboxed registry: sorting rules and the page's buttons.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "dialog_driver.h"
#include "page_driver.h"
#include "entries.h"
#include "explorer_art.h"
#include "explorer_dialogs.h"
#include "ids.h"
#include "keys.h"
#include "list_page.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
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
    EXPECT_EQ(0, CompareEntries(kStartupPageTraits, 0, 1, 0, false));
    EXPECT_EQ(0, CompareEntries(kStartupPageTraits, 0, 1, 0, true));
    EXPECT_LT(CompareEntries(kStartupPageTraits, 1, 2, 0, false), 0);
    EXPECT_GT(CompareEntries(kStartupPageTraits, 1, 2, 0, true), 0);
    // Active Tasks' column 1 is the title: there the two are ordered.
    EXPECT_LT(CompareEntries(kActiveTasksPageTraits, 0, 1, 1, false), 0);
    EXPECT_GT(CompareEntries(kActiveTasksPageTraits, 0, 1, 1, true), 0);
    ClearEntryList();
}

TEST(StartupPageSorting, DateKeysAreYearMonthDayAndTheTwentyFourHourTime)
{
    const struct {
        const char *text;
        const char *key;
    } cases[] = {
        {"3/5/2024 7:04 PM", "202403051904"},
        {"03/05/2024  12:30 AM", "202403050030"},
        {"03/05/2024  12:30 PM", "202403051230"},
        {"03/05/2024  11:59 am", "202403051159"},
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

using namespace page_driver;

std::string GetOptionText(const char *name)
{
    char text[32] = "";
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Options", name,
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "";
    return text;
}

class StartupPage : public PageTest {
protected:
    void SetUp() override
    {
        for (const char *name : {"Beta", "Alpha", "Gamma"}) {
            const std::string command = std::string("C:\\nowhere\\") + name + ".exe";
            RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1));
        }
        PageTest::SetUp();
    }
    void Run(std::vector<dialog_driver::Step> steps) { PageTest::Run(IDM_PAGE_STARTUP, steps); }
};

// Info... opens the information dialog on the selected program.
TEST_F(StartupPage, InfoShowsTheSelectedProgram)
{
    std::string caption, state;
    Run({[](HWND) {
             EXPECT_TRUE(Select("Beta"));
             PostMessageA(Explorer().activePage, WM_COMMAND, MAKEWPARAM(IDC_PAGE_INFO, BN_CLICKED),
                          0);
             return true;
         },
         [&](HWND dialog) {
             if (dialog_driver::WindowText(dialog) != "Beta")
                 return false;
             caption = dialog_driver::WindowText(dialog);
             state = dialog_driver::ItemText(dialog, IDC_INFO_STATE);
             dialog_driver::Click(dialog, IDOK);
             return true;
         },
         [](HWND dialog) { return dialog_driver::WindowText(dialog) != "Beta"; }});
    EXPECT_EQ("Beta", caption);
    EXPECT_EQ("Local File not found.", state);
}

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

struct ButtonState {
    bool enableShown, disableShown, disableEnabled, removeEnabled;
    std::string removeText;
    bool operator==(const ButtonState &) const = default;
};

void PrintTo(const ButtonState &b, std::ostream *out)
{
    *out << "{enable " << b.enableShown << ", disable " << b.disableShown << "/"
         << b.disableEnabled << ", remove " << b.removeEnabled << " \"" << b.removeText << "\"}";
}

ButtonState Buttons()
{
    HWND page = Explorer().activePage;
    char remove[64] = "";
    GetDlgItemTextA(page, IDC_PAGE_REMOVE, remove, sizeof remove);
    return {IsWindowVisible(GetDlgItem(page, IDC_PAGE_ENABLE)) != FALSE,
            IsWindowVisible(GetDlgItem(page, IDC_PAGE_DISABLE)) != FALSE,
            IsWindowEnabled(GetDlgItem(page, IDC_PAGE_DISABLE)) != FALSE,
            IsWindowEnabled(GetDlgItem(page, IDC_PAGE_REMOVE)) != FALSE, remove};
}

TEST_F(StartupPage, ARefillWithNothingSelectedLeavesNoStaleButtons)
{
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kNotifyKey) + "\\Agent").c_str(), "DllName",
                   "C:\\nowhere\\agent.dll");
    SetOption("ShowAllStartup", 1);
    LoadOptions();
    std::vector<ButtonState> seen;
    Run({[](HWND) { return Select("Agent"); },
         [](HWND) {
             // A Notify entry: Remove is off. Disabling it refills the page with nothing chosen.
             Press(IDC_PAGE_DISABLE);
             return true;
         },
         [&](HWND) {
             EXPECT_EQ(-1, ListView_GetNextItem(PageList(), -1, LVNI_SELECTED));
             seen.push_back(Buttons());
             return true;
         }});
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ((ButtonState{false, false, true, true, "&Remove"}), seen[0]);
}

// The pixels of a row's small icon, drawn on white.
std::vector<DWORD> RowIconPixels(HWND list, int row)
{
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    HIMAGELIST images = ListView_GetImageList(list, LVSIL_SMALL);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, item.iImage, memory, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD *>(bits),
                              static_cast<const DWORD *>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(StartupPage, CompanyAndIconAreThoseOfTheProgramFileNotOfTheCommand)
{
    const std::string command = BuildFile("Sentrovia.exe") + " -expressboot";
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Delta", REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    std::string company;
    std::vector<DWORD> programIcon, missingIcon;
    Run({[&](HWND) {
        HWND list = PageList();
        const auto titles = Column(list, 0);
        for (size_t row = 0; row < titles.size(); ++row) {
            if (titles[row] == "Delta") {
                company = Column(list, 2)[row];
                programIcon = RowIconPixels(list, static_cast<int>(row));
            } else if (titles[row] == "Alpha") {
                missingIcon = RowIconPixels(list, static_cast<int>(row));
            }
        }
        return true;
    }});
    EXPECT_EQ("Orvanto", company);
    ASSERT_FALSE(programIcon.empty());
    EXPECT_NE(missingIcon, programIcon) << "the generic icon stands for the program's own";
}

// More entries than the list holds: the rows are drawn as they come into view, and the status bar
// says that the page shows only part of them.
TEST_F(StartupPage, MoreEntriesThanTheListHoldsAreShownInPartAndTheStatusBarSaysSo)
{
    for (int i = 0; i < 4200; ++i) {
        const std::string name = "Flood " + std::to_string(i);
        const std::string command = "C:\\nowhere\\flood" + std::to_string(i) + ".exe";
        RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name.c_str(), REG_SZ, command.c_str(),
                        static_cast<DWORD>(command.size() + 1));
    }
    int rows = 0;
    std::string status, lastTitle;
    Run({[&](HWND) {
        rows = ListView_GetItemCount(PageList());
        char text[256] = "";
        ListView_GetItemText(PageList(), rows - 1, 0, text, sizeof text);
        lastTitle = text;
        HWND bar = FindWindowExA(GetParent(Explorer().activePage), nullptr, STATUSCLASSNAMEA,
                                 nullptr);
        text[0] = '\0';
        SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        status = text;
        return true;
    }});
    EXPECT_EQ(kMaxEntries, rows);
    EXPECT_FALSE(lastTitle.empty()) << "the last row gave no text";
    EXPECT_EQ("Only the first 4096 entries are shown: there are more than the list can hold.",
              status);
}

TEST_F(StartupPage, ButtonsFollowTheSelectionAndTheLocation)
{
    // The Winlogon and Notify locations are listed in advanced mode.
    WriteRegString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UserInit",
                   "C:\\Windows\\system32\\userinit.exe,");
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kNotifyKey) + "\\Agent").c_str(), "DllName",
                   "C:\\nowhere\\agent.dll");
    SetOption("ShowAllStartup", 1);
    LoadOptions();
    std::vector<ButtonState> seen;
    auto look = [&seen](const char *title) {
        return [&seen, title](HWND) {
            if (title == nullptr) {
                ListView_SetItemState(PageList(), -1, 0, LVIS_SELECTED);
            } else if (!Select(title)) {
                ADD_FAILURE() << title << " is not listed";
            }
            seen.push_back(Buttons());
            return true;
        };
    };
    Run({look(nullptr), look("Alpha"), look("Winlogon Userinit"), look("Agent")});
    ASSERT_EQ(4u, seen.size());
    // Nothing chosen: neither Enable nor Disable.
    EXPECT_FALSE(seen[0].enableShown);
    EXPECT_FALSE(seen[0].disableShown);
    EXPECT_EQ((ButtonState{false, true, true, true, "&Remove"}), seen[1]);
    // Userinit is reset, not removed, and can't be disabled.
    EXPECT_EQ((ButtonState{false, true, false, true, "&Reset"}), seen[2]);
    // A Notify entry can be disabled but not removed.
    EXPECT_EQ((ButtonState{false, true, true, false, "&Remove"}), seen[3]);
}

TEST_F(StartupPage, AnEntryThatVanishedAfterTheFillIsActedOnAloneAndTheListRefilled)
{
    std::vector<std::string> titles, types;
    Run({[](HWND) { return Select("Gamma"); },
         [&](HWND) {
             // Another program takes the value out while the page still lists it: disabling
             // keeps the command as listed, so Enable can still bring it back.
             RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Gamma");
             Press(IDC_PAGE_DISABLE);
             titles = Column(PageList(), 0);
             types = Column(PageList(), 3);
             return true;
         }});
    ASSERT_EQ(std::vector<std::string>({"Alpha", "Beta", "Gamma"}), titles);
    EXPECT_EQ("   Disabled", types[2]);
    EXPECT_NE("   Disabled", types[0]);
    EXPECT_EQ("C:\\nowhere\\Alpha.exe", ReadStringValue(HKEY_CURRENT_USER, kRunKey, "Alpha"));
    EXPECT_EQ("C:\\nowhere\\Beta.exe", ReadStringValue(HKEY_CURRENT_USER, kRunKey, "Beta"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Gamma"));
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

namespace {

RECT RectIn(HWND parent, HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

// The height a static text needs to show all of its text at its own width and font.
int NeededHeight(HWND text)
{
    char buffer[1024] = "";
    GetWindowTextA(text, buffer, sizeof buffer);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(text, WM_GETFONT, 0, 0)));
    RECT client{};
    GetClientRect(text, &client);
    RECT all{0, 0, client.right, 0};
    DrawTextA(dc, buffer, -1, &all, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return all.bottom;
}

int LineHeight(HWND text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(text, WM_GETFONT, 0, 0)));
    RECT one{0, 0, 10000, 0};
    DrawTextA(dc, "Xg", -1, &one, DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return one.bottom;
}

TEST_F(StartupPage, IntroTextsFitLeftOfTheCornerButtonsAndAboveTheList)
{
    RECT intro{}, hint{}, list{}, help{}, helpLabel{}, patrol{};
    int introNeeds = 0, hintNeeds = 0, line = 0;
    Run({[&](HWND) {
        HWND page = Explorer().activePage;
        intro = RectIn(page, GetDlgItem(page, IDC_PAGE_INTRO));
        hint = RectIn(page, GetDlgItem(page, IDC_PAGE_HINT));
        list = RectIn(page, GetDlgItem(page, IDC_PAGE_LIST));
        help = RectIn(page, GetDlgItem(page, IDC_PAGE_HELP));
        helpLabel = RectIn(page, GetDlgItem(page, IDC_PAGE_HELP_LABEL));
        patrol = RectIn(page, GetDlgItem(page, IDC_PAGE_PATROL));
        introNeeds = NeededHeight(GetDlgItem(page, IDC_PAGE_INTRO));
        hintNeeds = NeededHeight(GetDlgItem(page, IDC_PAGE_HINT));
        line = LineHeight(GetDlgItem(page, IDC_PAGE_HINT));
        return true;
    }});
    ASSERT_GT(line, 0);
    // The hint is long enough to wrap beside the corner buttons at the sheet's first size.
    EXPECT_GE(hintNeeds, 2 * line);
    EXPECT_GE(intro.bottom - intro.top, introNeeds);
    EXPECT_GE(hint.bottom - hint.top, hintNeeds);
    EXPECT_LE(intro.bottom, hint.top);
    EXPECT_LE(hint.bottom, list.top);
    for (const RECT &text : {intro, hint}) {
        EXPECT_LT(text.right, help.left);
        EXPECT_LT(text.right, helpLabel.left);
        EXPECT_LT(text.right, patrol.left);
    }
    EXPECT_LE(help.bottom, list.top);
    EXPECT_LE(helpLabel.bottom, list.top);
}
// The patrol-time dialog, once it is the open dialog; false until then.
bool IsPatrolDialog(HWND dialog) { return GetDlgItem(dialog, IDC_PATROL_FIELD) != nullptr; }

TEST_F(StartupPage, PatrolButtonSetsTheStartupPeriodAndShowsItsLook)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Options", "Start",
                    REG_SZ, "0", 2);
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Options",
                    "RealtimeStartup", REG_SZ, "0", 2);
    LoadOptions();
    auto patrol = [] { return GetDlgItem(Explorer().activePage, IDC_PAGE_PATROL); };
    auto answer = [](const char *minutes, bool realtime, int button) {
        return [=](HWND dialog) {
            if (!IsPatrolDialog(dialog))
                return false;
            SetDlgItemTextA(dialog, IDC_PATROL_FIELD, minutes);
            CheckDlgButton(dialog, IDC_PATROL_REALTIME, realtime ? BST_CHECKED : BST_UNCHECKED);
            dialog_driver::Click(dialog, button);
            return true;
        };
    };
    auto open = [&](HWND) {
        PostMessageA(Explorer().activePage, WM_COMMAND, MAKEWPARAM(IDC_PAGE_PATROL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(patrol()));
        return true;
    };
    // Each look is read once the dialog is gone and the sheet is the open dialog again.
    auto back = [](HWND dialog) { return !IsPatrolDialog(dialog); };
    std::string title;
    std::vector<int> looks;
    std::vector<std::string> periods, realtimes, updates;
    auto note = [&](HWND dialog) {
        if (!back(dialog))
            return false;
        looks.push_back(ButtonImage(patrol()));
        periods.push_back(GetOptionText("Start"));
        realtimes.push_back(GetOptionText("RealtimeStartup"));
        updates.push_back(GetOptionText("Update"));
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Options", "Update");
        return true;
    };
    Run({[&](HWND) {
             looks.push_back(ButtonImage(patrol()));
             return true;
         },
         open,
         [&](HWND dialog) {
             if (!IsPatrolDialog(dialog))
                 return false;
             title = dialog_driver::WindowText(dialog);
             return answer("9", false, IDOK)(dialog);
         },
         note, open, answer("25", true, IDCANCEL), note, open, answer("0", true, IDOK), note,
         open, answer("0", false, IDOK), note});
    EXPECT_EQ("Patrol Time for Startup Programs", title);
    EXPECT_EQ((std::vector<int>{IDB_PATROL_OFF, IDB_PATROL_ON, IDB_PATROL_ON, IDB_PATROL_REALTIME,
                                IDB_PATROL_OFF}),
              looks);
    // A cancelled dialog changes nothing and raises nothing.
    EXPECT_EQ((std::vector<std::string>{"9", "9", "0", "0"}), periods);
    EXPECT_EQ((std::vector<std::string>{"0", "0", "1", "0"}), realtimes);
    EXPECT_EQ((std::vector<std::string>{"1", "", "1", "1"}), updates);
    EXPECT_EQ(0, Option(OPT_Start));
}

}  // namespace

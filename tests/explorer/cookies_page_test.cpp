// The Cookies page and its viewer on the real sheet, over a scratch IE cookie folder and Mozilla
// profile: adding and removing filters, the browser choice, and keeping or removing cookies.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cookies.h"
#include "keys.h"
#include "page_driver.h"
#include "registry.h"
#include "scratch.h"
#include "strings.h"
#include "texts.h"

namespace {

using namespace page_driver;

constexpr char kNuts[] = "Software\\Orvanto\\Sentrovia\\Nuts";
constexpr char kKept[] = "Software\\Orvanto\\Sentrovia\\Cookies";

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

class CookiesPage : public PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "IECookieFolder",
                       appData_.File("Cookies").c_str());
        appData_.Write("Cookies\\index.dat", "");
        TheSettings().option[OPT_Browser] = 1;
        TheSettings().option[OPT_ViewCookies] = 0;
    }
    void TearDown() override
    {
        SetCookieMode(COOKIES_InternetExplorer);
        PageTest::TearDown();
    }
    std::string Cookie(const std::string &name) { return appData_.Write("Cookies\\" + name, "c"); }
    static void Type(const char *text)
    {
        SetDlgItemTextA(Explorer().activePage, IDC_COOKIE_FIELD, text);
    }

    ScratchFolder appData_{"appdata"};
};

// Presses View Cookies without waiting for the viewer it opens.
bool OpenViewer(HWND)
{
    PostMessageA(Explorer().activePage, WM_COMMAND, MAKEWPARAM(IDC_PAGE_VIEW, BN_CLICKED), 0);
    return true;
}

bool Exists(const std::string &file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST_F(CookiesPage, FiltersAreAddedAppliedAtOnceAndRemoved)
{
    WriteRegString(HKEY_CURRENT_USER, kNuts, "tracker", "1");
    WriteRegString(HKEY_CURRENT_USER, kNuts, "marked - x", "2");
    const std::string ad = Cookie("user@adserver[1].txt");
    const std::string news = Cookie("user@news[1].txt");
    std::vector<std::string> before, added, removed;
    std::string folder;
    Run(IDM_PAGE_COOKIES, {[&](HWND) {
            before = Column(PageList(), 0);
            folder = dialog_driver::ItemText(Explorer().activePage, IDC_COOKIE_FOLDER_TEXT);
            Type("AdServer");
            Press(IDC_PAGE_ADD);
            added = Column(PageList(), 0);
            EXPECT_TRUE(Select("tracker"));
            Press(IDC_PAGE_REMOVE);
            removed = Column(PageList(), 0);
            return true;
        }});
    EXPECT_EQ(std::vector<std::string>{"tracker"}, before) << "a cookie's mark is no filter";
    EXPECT_NE(std::string::npos, folder.find(appData_.File("Cookies"))) << folder;
    EXPECT_EQ(2u, added.size());
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kNuts, "AdServer"));
    EXPECT_FALSE(Exists(ad)) << "a new filter is applied at once";
    EXPECT_TRUE(Exists(news));
    EXPECT_EQ(std::vector<std::string>{"AdServer"}, removed);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kNuts, "tracker"));
}

TEST_F(CookiesPage, TheFilterAfterTheLimitIsRefusedWithItsMessage)
{
    for (int i = 0; i < 256; ++i)
        WriteRegString(HKEY_CURRENT_USER, kNuts, ("filter" + std::to_string(i)).c_str(), "1");
    Run(IDM_PAGE_COOKIES, {[&](HWND) {
            Type("one more");
            Press(IDC_PAGE_ADD);
            return true;
        }});
    EXPECT_EQ(Text(IDS_TOO_MANY_NUTS), g_asked);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kNuts, "one more"));
}

TEST_F(CookiesPage, TheBrowserChoiceAndTheViewOptionAreStored)
{
    std::string folder;
    Run(IDM_PAGE_COOKIES, {[&](HWND) {
            HWND page = Explorer().activePage;
            SendDlgItemMessageA(page, IDC_COOKIE_BROWSER_MOZILLA, BM_CLICK, 0, 0);
            folder = dialog_driver::ItemText(page, IDC_COOKIE_FOLDER_TEXT);
            SendDlgItemMessageA(page, IDC_COOKIE_ALWAYS, BM_CLICK, 0, 0);
            return true;
        }});
    EXPECT_EQ(6, Option(OPT_Browser));
    EXPECT_EQ(COOKIES_Mozilla, CurrentCookieMode());
    EXPECT_NE(std::string::npos, folder.find("Cookie Folder Not Found")) << folder;
    EXPECT_EQ(1, Option(OPT_ViewCookies));
    EXPECT_EQ(6, GetOption("Browser", 0)) << "stored for the next start";
}

// The viewer ticks the kept cookies; Remove Unchecked keeps the ticked ones and removes the
// rest, after asking.
TEST_F(CookiesPage, TheViewerKeepsTheTickedCookiesAndRemovesTheOthers)
{
    const std::string kept = Cookie("user@news[1].txt");
    const std::string shop = Cookie("user@shop[1].txt");
    const std::string weather = Cookie("user@weather[1].txt");
    WriteRegString(HKEY_CURRENT_USER, kKept, "user@news[1].txt", "1");
    std::vector<std::string> first, rows;
    std::vector<bool> ticks;
    auto onViewer = [&](HWND dialog) {
        return dialog_driver::WindowText(dialog) == "Cookies";
    };
    Run(IDM_PAGE_COOKIES,
        {OpenViewer,
         [&](HWND dialog) {
             if (!onViewer(dialog))
                 return false;
             HWND list = GetDlgItem(dialog, IDC_COOKIE_LIST);
             first = Column(list, 0);
             for (int row = 0; row < static_cast<int>(first.size()); ++row) {
                 ticks.push_back(ListView_GetCheckState(list, row) != 0);
                 if (first[row] == "user@shop[1].txt")
                     ListView_SetCheckState(list, row, TRUE);
             }
             dialog_driver::Click(dialog, IDC_COOKIE_REMOVE_UNCHECKED);
             return true;
         },
         [&](HWND dialog) {
             if (!onViewer(dialog))
                 return false;
             rows = Column(GetDlgItem(dialog, IDC_COOKIE_LIST), 0);
             dialog_driver::Click(dialog, IDOK);
             return true;
         }});
    ASSERT_EQ(3u, first.size());
    for (size_t row = 0; row < first.size(); ++row)
        EXPECT_EQ(first[row] == "user@news[1].txt", ticks[row]) << first[row];
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(Text(IDS_REMOVE_UNCHECKED_COOKIES), g_asked);
    EXPECT_TRUE(Exists(kept));
    EXPECT_TRUE(Exists(shop));
    EXPECT_FALSE(Exists(weather));
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kKept, "user@shop[1].txt"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kKept, "user@weather[1].txt"));
}

// In the Mozilla family's mode a removed cookie is marked and hidden until the swap, and the
// filtered copy is made at once.
TEST_F(CookiesPage, AMozillaCookieRemovedIsMarkedAndLeftOutOfTheCopy)
{
    TheSettings().option[OPT_Browser] = 3;
    const std::string profile = appData_.File("Mozilla\\FireFox\\Profiles\\p.default");
    appData_.Write("Mozilla\\FireFox\\Profiles\\p.default\\cookies.txt",
                   ".a.example\tTRUE\t/\tFALSE\t0\tid\t1\n.b.example\tTRUE\t/\tTRUE\t0\tx\t2\n");
    std::vector<std::string> first, after;
    Run(IDM_PAGE_COOKIES,
        {OpenViewer,
         [&](HWND dialog) {
             if (dialog_driver::WindowText(dialog) != "Cookies")
                 return false;
             HWND list = GetDlgItem(dialog, IDC_COOKIE_LIST);
             first = Column(list, 0);
             EXPECT_EQ((std::vector<std::string>{"False", "True"}), Column(list, 4));
             for (int row = 0; row < static_cast<int>(first.size()); ++row)
                 ListView_SetCheckState(list, row, first[row] == "b.example - x");
             dialog_driver::Click(dialog, IDC_COOKIE_REMOVE_CHECKED);
             return true;
         },
         [&](HWND dialog) {
             if (dialog_driver::WindowText(dialog) != "Cookies")
                 return false;
             after = Column(GetDlgItem(dialog, IDC_COOKIE_LIST), 0);
             dialog_driver::Click(dialog, IDOK);
             return true;
         }});
    EXPECT_EQ((std::vector<std::string>{"a.example - id", "b.example - x"}), first);
    EXPECT_EQ(std::vector<std::string>{"a.example - id"}, after);
    EXPECT_EQ(Text(IDS_REMOVE_CHECKED_COOKIES), g_asked);
    EXPECT_EQ("2", ReadStringValue(HKEY_CURRENT_USER, kNuts, "b.example - x"));
    EXPECT_EQ(".a.example\tTRUE\t/\tFALSE\t0\tid\t1\n", ReadWholeFile(profile + "\\cookiesnew.txt"));
    EXPECT_EQ(1, UpdateCookieFilePending());
}

} // namespace

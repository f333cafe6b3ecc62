// The Explorer's sheet: command line, page list, placement, and the real sheet driven headlessly.
#include "sheet.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "ids.h"
#include "options.h"
#include "platform.h"
#include "regsandbox.h"

namespace {

TEST(SheetSwitches, PickThePageBySubstringIgnoringCaseLaterWins)
{
    const struct {
        const char *line;
        int startTab;
        int command;
        bool quit;
        bool startMonitor;
    } cases[] = {
        {"SentroviaEx.exe", 6026, IDM_PAGE_STARTUP, false, false},
        {"SentroviaEx.exe", 6039, IDM_PAGE_SCHEDULED_TASKS, false, false},
        {"SentroviaEx.exe", 5000, IDM_PAGE_STARTUP, false, false},
        {"SentroviaEx.exe", 6030, IDM_PAGE_STARTUP, false, false},
        {"x.exe -service", 6026, IDM_PAGE_SERVICES, false, false},
        {"x.exe -START", 6040, IDM_PAGE_STARTUP, false, true},
        {"x.exe -BHO", 6026, IDM_PAGE_IE_HELPERS, false, false},
        {"x.exe -NUTS", 6026, IDM_PAGE_COOKIES, false, false},
        {"x.exe -COOKIES", 6026, IDM_COOKIE_LIST, false, false},
        {"x.exe -OPTIONS", 6026, IDM_PAGE_OPTIONS, false, false},
        {"x.exe -RESTART", 6026, IDM_PAGE_OPTIONS, false, false},
        {"x.exe -SCHEDULE", 6026, IDM_PAGE_SCHEDULED_TASKS, false, false},
        {"x.exe -task", 6026, IDM_PAGE_ACTIVE_TASKS, false, false},
        {"x.exe -DELAY", 6026, IDM_PAGE_DELAYED_START, false, false},
        {"x.exe -FILETYPES", 6026, IDM_PAGE_FILE_TYPES, false, false},
        {"x.exe -Hidden", 6026, IDM_PAGE_HIDDEN_FILES, false, false},
        {"x.exe -ACTIVEX", 6026, IDM_PAGE_ACTIVEX, false, false},
        {"x.exe -MONITOR", 6026, IDM_MONITOR_LIST, false, false},
        {"x.exe -BLACKLIST", 6026, IDM_BLACKLIST, false, false},
        {"x.exe -EXIT", 6026, IDM_EXIT_REQUEST, false, false},
        {"x.exe -q", 6026, IDM_PAGE_STARTUP, true, false},
        // The later switch in the fixed order wins, whatever the order on the line.
        {"x.exe -ACTIVEX -SERVICE", 6026, IDM_PAGE_ACTIVEX, false, false},
        {"x.exe -TASK -BHO", 6026, IDM_PAGE_ACTIVE_TASKS, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const Switches result = ReadSwitches(c.line, c.startTab);
        EXPECT_EQ(c.command, result.command);
        EXPECT_EQ(c.quit, result.quit);
        EXPECT_EQ(c.startMonitor, result.startMonitor);
    }
    EXPECT_TRUE(ReadSwitches("x -auoption", 6026).auOption);
    EXPECT_TRUE(ReadSwitches("x -SETPREFIX", 6026).setPrefix);
    EXPECT_TRUE(ReadSwitches("x -restore", 6026).restore);
    EXPECT_FALSE(ReadSwitches("x -START", 6026).restore);
}

TEST(SheetPlacement, StoredValuesBeyondTheScreenAndMissingOnes)
{
    const SheetScreen screen{1024, 768, 1024, 768};
    const SIZE sheet{600, 450};
    // NT family: a coordinate beyond the virtual screen becomes 0.
    RECT r = SheetPlacement("5000", "100", "700", "500", sheet, screen, true);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(100, r.top);
    EXPECT_EQ(700, r.right - r.left);
    EXPECT_EQ(500, r.bottom - r.top);
    // A stored size smaller than the sheet (or beyond the screen, read as 0) is not applied.
    r = SheetPlacement("10", "20", "100", "9999", sheet, screen, true);
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(20, r.top);
    EXPECT_EQ(600, r.right - r.left);
    EXPECT_EQ(450, r.bottom - r.top);
    // Missing coordinates: centred across, one third of the free height down.
    r = SheetPlacement(nullptr, "20", nullptr, nullptr, sheet, screen, true);
    EXPECT_EQ(212, r.left);
    EXPECT_EQ(106, r.top);
    // Windows 95/98/Me: beyond the screen becomes half of it; the size never changes.
    r = SheetPlacement("5000", "3000", "700", "500", sheet, screen, false);
    EXPECT_EQ(512, r.left);
    EXPECT_EQ(384, r.top);
    EXPECT_EQ(600, r.right - r.left);
}

TEST(SheetPages, TabOrderAndServicesOnlyOnTheNtFamily)
{
    PageInfo pages[16];
    const int expected[] = {6026, 6055, 6056, 6040, 6039, 6038, 6029, 6028, 6042, 6052, 6033};
    ASSERT_EQ(11, BuildPageList(pages, 16));
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(expected[i], pages[i].id) << i;
    PlatformOverride win98;
    win98.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&win98);
    const int count = BuildPageList(pages, 16);
    SetPlatformOverride(nullptr);
    ASSERT_EQ(10, count);
    for (int i = 0; i < count; ++i)
        EXPECT_NE(IDM_PAGE_SERVICES, pages[i].id);
    EXPECT_EQ(IDM_PAGE_ACTIVE_TASKS, pages[5].id);
}

// ---------------------------------------------------------------- the real sheet

class Sheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                           ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        LoadOptions();
        ASSERT_NE(nullptr, CreateMainWindow(GetModuleHandleA(nullptr), "SentroviaExTest",
                                            "Loading..."));
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        if (Explorer().mainWindow != nullptr)
            DestroyWindow(Explorer().mainWindow);
        // The page's close posts WM_CLOSE and the main window posts the quit message: take
        // them so the next test's loops don't see them.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT)
                DispatchMessageA(&message);
    }

    struct Seen {
        int currentPage = 0;
        std::string tab;
        int tabs = 0;
        bool statusBar = false;
        std::string cancel;
        bool okVisible = true;
    };
    // Opens the sheet at a page, looks at it, optionally takes more steps, then closes it by
    // the page's own Close button.
    Seen Open(int pageId, std::vector<dialog_driver::Step> more = {})
    {
        Seen seen;
        std::vector<dialog_driver::Step> steps;
        steps.push_back([&seen](HWND sheet) {
            if (Explorer().activePage == nullptr)
                return false;
            seen.currentPage = Explorer().currentPage;
            HWND tab = PropSheet_GetTabControl(sheet);
            seen.tabs = TabCtrl_GetItemCount(tab);
            char text[128] = "";
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tab, TCM_GETITEMA, TabCtrl_GetCurSel(tab), reinterpret_cast<LPARAM>(&item));
            seen.tab = text;
            seen.statusBar = GetDlgItem(sheet, IDC_SHEET_STATUS) != nullptr;
            GetDlgItemTextA(sheet, IDCANCEL, text, sizeof text);
            seen.cancel = text;
            seen.okVisible = IsWindowVisible(GetDlgItem(sheet, IDOK)) != FALSE;
            return true;
        });
        for (auto &step : more)
            steps.push_back(step);
        steps.push_back([](HWND) {
            PostMessageA(Explorer().activePage, WM_COMMAND, IDC_PAGE_CLOSE, 0);
            return true;
        });
        dialog_driver::Run(steps, [pageId] {
            OpenSheet(pageId);
            return 0;
        });
        return seen;
    }
    RegistrySandbox sandbox_;
};

TEST_F(Sheet, OpensAtTheNamedPageWithItsCaption)
{
    Seen seen = Open(IDM_PAGE_SERVICES);
    EXPECT_EQ(IDM_PAGE_SERVICES, seen.currentPage);
    EXPECT_EQ(" Services ", seen.tab);
    EXPECT_EQ(11, seen.tabs);
    EXPECT_TRUE(seen.statusBar);
    EXPECT_EQ("Close", seen.cancel);
    EXPECT_FALSE(seen.okVisible);
    EXPECT_EQ(0, Explorer().currentPage);
    // Closing saved the page and the geometry.
    EXPECT_EQ(IDM_PAGE_SERVICES, GetOption("StartTab", 0));
    char x[16] = "";
    DWORD size = sizeof x;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia",
                                          "dxPos", RRF_RT_REG_SZ, nullptr, x, &size));
    EXPECT_GT(atoi(x), 0);
}

TEST_F(Sheet, ServicesSwitchOnWindows98OpensTheFirstPage)
{
    PlatformOverride win98;
    win98.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&win98);
    Seen seen = Open(ReadSwitches("x.exe -service", 6026).command);
    EXPECT_EQ(IDM_PAGE_STARTUP, seen.currentPage);
    EXPECT_EQ(10, seen.tabs);
    EXPECT_FALSE(seen.statusBar);
}

TEST_F(Sheet, ASecondRequestBringsTheSheetForwardWithoutSwitching)
{
    int after = 0;
    Open(IDM_PAGE_STARTUP, {[](HWND) {
                               PostMessageA(Explorer().mainWindow, WM_COMMAND,
                                            IDM_PAGE_IE_HELPERS, 0);
                               return true;
                           },
                           [&after](HWND sheet) {
                               after = PropSheet_HwndToIndex(
                                   sheet, PropSheet_GetCurrentPageHwnd(sheet));
                               return Explorer().currentPage == IDM_PAGE_STARTUP;
                           }});
    EXPECT_EQ(0, after);
}

TEST_F(Sheet, CannotBeMadeSmallerThanItsFirstSize)
{
    RECT first{}, shrunk{};
    Open(IDM_PAGE_ACTIVE_TASKS, {[&](HWND sheet) {
                                     GetWindowRect(sheet, &first);
                                     MINMAXINFO info{};
                                     SendMessageA(sheet, WM_GETMINMAXINFO, 0,
                                                  reinterpret_cast<LPARAM>(&info));
                                     shrunk.right = info.ptMinTrackSize.x;
                                     shrunk.bottom = info.ptMinTrackSize.y;
                                     return true;
                                 }});
    EXPECT_EQ(first.right - first.left, shrunk.right);
    EXPECT_EQ(first.bottom - first.top, shrunk.bottom);
}

}  // namespace

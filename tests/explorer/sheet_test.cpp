// The Explorer's sheet: command line, page list, placement, and the real sheet driven headlessly.
#include "sheet.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "datetexts.h"
#include "dialog_driver.h"
#include "explorer_art.h"
#include "ids.h"
#include "options.h"
#include "platform.h"
#include "regsandbox.h"
#include "text.h"

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

TEST_F(Sheet, ActiveTasksDatesAProgramSeenForTheFirstTime)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string seen = "<not listed>";
    Open(IDM_PAGE_ACTIVE_TASKS, {[&](HWND) {
             HWND list = GetDlgItem(Explorer().activePage, IDC_PAGE_LIST);
             for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                 char module[MAX_PATH] = "", date[64] = "";
                 ListView_GetItemText(list, row, 0, module, sizeof module);
                 if (_stricmp(module, FileNameOf(self)) != 0)
                     continue;
                 ListView_GetItemText(list, row, 3, date, sizeof date);
                 seen = date;
             }
             return true;
         }});
    char today[32];
    TodayText(today, sizeof today);
    EXPECT_EQ(today, seen);
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

TEST(PatrolLook, RealTimeFirstThenOnWhileThePeriodRuns)
{
    EXPECT_EQ(IDB_PATROL_OFF, PatrolLook(0, false));
    EXPECT_EQ(IDB_PATROL_ON, PatrolLook(1, false));
    EXPECT_EQ(IDB_PATROL_ON, PatrolLook(30, false));
    EXPECT_EQ(IDB_PATROL_REALTIME, PatrolLook(0, true));
    EXPECT_EQ(IDB_PATROL_REALTIME, PatrolLook(12, true));
}

TEST_F(Sheet, PageFillsTheTabFrameAfterAResize)
{
    RECT display{}, page{}, tab{}, client{}, status{};
    Open(IDM_PAGE_STARTUP, {[&](HWND sheet) {
        RECT window;
        GetWindowRect(sheet, &window);
        SetWindowPos(sheet, nullptr, 0, 0, window.right - window.left + 130,
                     window.bottom - window.top + 90, SWP_NOMOVE | SWP_NOZORDER);
        auto in = [sheet](HWND child) {
            RECT rect;
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT *>(&rect), 2);
            return rect;
        };
        HWND control = PropSheet_GetTabControl(sheet);
        tab = in(control);
        display = tab;
        TabCtrl_AdjustRect(control, FALSE, &display);
        page = in(Explorer().activePage);
        status = in(GetDlgItem(sheet, IDC_SHEET_STATUS));
        GetClientRect(sheet, &client);
        return true;
    }});
    EXPECT_EQ(display.left, page.left);
    EXPECT_EQ(display.top, page.top);
    EXPECT_EQ(display.right, page.right);
    EXPECT_EQ(display.bottom, page.bottom);
    // The tab's frame keeps the same margin left and right and ends above the status bar.
    EXPECT_EQ(tab.left, client.right - tab.right);
    EXPECT_LT(tab.bottom, status.top);
    EXPECT_GT(tab.bottom, status.top - 20);
}

// ---------------------------------------------------------------- button images

// The pixels of a bitmap resource, or of a button as it draws itself, in a 32-bit DIB.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const
    {
        const DWORD pixel = static_cast<const DWORD *>(bits_)[y * width_ + x];
        return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    void *bits_ = nullptr;
};

constexpr int kArtSize = 20;
constexpr COLORREF kArtFace = RGB(0xf0, 0xf0, 0xf0);

// How many of the picture's own pixels (not its face colour) the button shows where it centres
// the picture, and how many the picture has.
struct Match {
    int same = 0;
    int total = 0;
};
Match Compare(HWND button, int image)
{
    RECT client;
    GetClientRect(button, &client);
    Canvas drawn(client.right, client.bottom);
    SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.dc()), PRF_CLIENT);
    Canvas art(kArtSize, kArtSize);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(image), IMAGE_BITMAP, 0, 0, 0));
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(art.dc(), 0, 0, kArtSize, kArtSize, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    DeleteObject(bitmap);
    const int left = (client.right - kArtSize) / 2;
    const int top = (client.bottom - kArtSize) / 2;
    Match match;
    for (int y = 0; y < kArtSize; ++y)
        for (int x = 0; x < kArtSize; ++x) {
            if (art.At(x, y) == kArtFace)
                continue;
            ++match.total;
            if (drawn.At(left + x, top + y) == art.At(x, y))
                ++match.same;
        }
    return match;
}

TEST_F(Sheet, HelpAndPatrolButtonsDrawTheirImagesWhileThePageIsActive)
{
    TheSettings().option[OPT_Start] = 0;
    TheSettings().option[OPT_RealtimeStartup] = 0;
    Match normal, hover, pressed, patrolOff;
    int helpImage = 0, patrolImage = 0, afterHelp = -1, afterPatrol = -1;
    LONG afterType = -1;
    std::string helpText;
    HWND help = nullptr, patrol = nullptr;
    Open(IDM_PAGE_STARTUP,
         {[&](HWND) {
              HWND page = Explorer().activePage;
              help = GetDlgItem(page, IDC_PAGE_HELP);
              patrol = GetDlgItem(page, IDC_PAGE_PATROL);
              helpImage = ButtonImage(help);
              patrolImage = ButtonImage(patrol);
              char text[128] = "";
              GetWindowTextA(help, text, sizeof text);
              helpText = text;
              normal = Compare(help, IDB_HELP_NORMAL);
              patrolOff = Compare(patrol, IDB_PATROL_OFF);
              SendMessageA(help, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
              hover = Compare(help, IDB_HELP_HOVER);
              SendMessageA(help, WM_MOUSELEAVE, 0, 0);
              SendMessageA(help, BM_SETSTATE, TRUE, 0);
              pressed = Compare(help, IDB_HELP_PRESSED);
              SendMessageA(help, BM_SETSTATE, FALSE, 0);
              return true;
          },
          [](HWND sheet) {
              PropSheet_SetCurSel(sheet, nullptr, 1);
              return true;
          },
          [&](HWND) {
              afterHelp = ButtonImage(help);
              afterPatrol = ButtonImage(patrol);
              afterType = GetWindowLongA(help, GWL_STYLE) & BS_TYPEMASK;
              return true;
          }});
    EXPECT_EQ(IDB_HELP_NORMAL, helpImage);
    EXPECT_EQ(IDB_PATROL_OFF, patrolImage);
    EXPECT_FALSE(helpText.empty()) << "a screen reader needs the button's text";
    const Match matches[] = {normal, hover, pressed, patrolOff};
    for (const Match &match : matches) {
        SCOPED_TRACE(&match - matches);
        EXPECT_GT(match.total, 100);
        EXPECT_EQ(match.total, match.same);
    }
    // The page given up has plain buttons again.
    EXPECT_EQ(0, afterHelp);
    EXPECT_EQ(0, afterPatrol);
    EXPECT_EQ(BS_PUSHBUTTON, afterType);
}

TEST_F(Sheet, PatrolLookFollowsTheAreasOptionsOnEveryActivation)
{
    const struct {
        int period;
        int realtime;
        int look;
    } cases[] = {{0, 0, IDB_PATROL_OFF}, {7, 0, IDB_PATROL_ON}, {0, 1, IDB_PATROL_REALTIME},
                 {7, 1, IDB_PATROL_REALTIME}, {0, 0, IDB_PATROL_OFF}};
    std::vector<int> looks;
    std::vector<Match> drawn;
    std::vector<dialog_driver::Step> steps;
    for (const auto &each : cases) {
        steps.push_back([each](HWND sheet) {
            TheSettings().option[OPT_Start] = each.period;
            TheSettings().option[OPT_RealtimeStartup] = each.realtime;
            PropSheet_SetCurSel(sheet, nullptr, 1);
            PropSheet_SetCurSel(sheet, nullptr, 0);
            return true;
        });
        steps.push_back([&looks, &drawn, each](HWND) {
            HWND patrol = GetDlgItem(Explorer().activePage, IDC_PAGE_PATROL);
            looks.push_back(ButtonImage(patrol));
            drawn.push_back(Compare(patrol, each.look));
            return true;
        });
    }
    Open(IDM_PAGE_STARTUP, steps);
    ASSERT_EQ(5u, looks.size());
    for (size_t i = 0; i < looks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].look, looks[i]);
        EXPECT_EQ(drawn[i].total, drawn[i].same);
    }
}

}  // namespace

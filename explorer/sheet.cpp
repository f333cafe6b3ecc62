// The Explorer's main window, its property sheet and the frame every page shares.
#include "sheet.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "area.h"
#include "bounded.h"
#include "scan_report.h"
#include "entries.h"
#include "explorer_art.h"
#include "explorer_dialogs.h"
#include "list_page.h"
#include "main_window.h"
#include "ids.h"
#include "init.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "options_page.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "text.h"
#include "texts.h"
#include "version.h"


namespace {

// The pages in tab order: every present area's page, then Options.
constexpr int kMaxPages = AREA_COUNT + 1;

bool IsPageId(int id)
{
    const AreaRow *area = AreaOfPage(id);
    return id == IDM_PAGE_OPTIONS || (area != nullptr && AreaPresent(*area));
}

// Owns the icons and captions handed to the sheet while it runs.
struct SheetResources {
    HICON icon[kMaxPages] = {};
    char caption[kMaxPages][64] = {};
    ~SheetResources()
    {
        for (HICON each : icon)
            if (each != nullptr)
                DestroyIcon(each);
    }
};

HICON LoadPageIcon(int id)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto load = [instance](int resource) {
        return static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_ICON, 16, 16, 0));
    };
    HICON icon = load(id);
    // Until every tab has its own picture, the program's icon stands in.
    return icon != nullptr ? icon : load(IDI_MONITOR);
}

// The sheet made resizable before it is created (NT family).
int CALLBACK SheetCallback(HWND, UINT message, LPARAM lParam)
{
    if (message != PSCB_PRECREATE || lParam == 0)
        return 0;
    const DWORD addStyle = WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | DS_3DLOOK;
    const DWORD addExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
    auto *words = reinterpret_cast<WORD *>(lParam);
    if (words[1] == 0xFFFF) {
        // DLGTEMPLATEEX: version, signature, help id, extended style, style.
        auto *fields = reinterpret_cast<DWORD *>(words + 2);
        fields[1] |= addExStyle;
        fields[2] |= addStyle;
    } else {
        auto *dialog = reinterpret_cast<DLGTEMPLATE *>(lParam);
        dialog->style |= addStyle;
        dialog->dwExtendedStyle |= addExStyle;
    }
    return 0;
}

}  // namespace

void StartMonitorProgram()
{
    char folder[MAX_PATH];
    char program[MAX_PATH];
    if (ProgramFolder(folder, sizeof folder) &&
        FormatBounded(program, sizeof program, "%s\\Sentrovia.exe", folder))
        ShellExecuteA(nullptr, "open", program, nullptr, folder, SW_SHOWNORMAL);
}

namespace {

bool MonitorRunning() { return FindWindowA("Sentrovia", nullptr) != nullptr; }

void BringForward()
{
    HWND windows[] = {Explorer().mainWindow, Explorer().sheet};
    for (HWND window : windows) {
        if (window == nullptr)
            continue;
        BringWindowToTop(window);
        SetForegroundWindow(window);
    }
}

void OnCommand(HWND window, int command)
{
    if (IsPageId(command)) {
        OpenSheet(command);
        return;
    }
    switch (command) {
    case IDM_EXPLORER_EXIT:
        DestroyWindow(window);
        break;
    case IDM_TOGGLE_AUTOSTART:
        SetAutoStart(IsAutoStartOn() == 0);
        break;
    case IDM_COOKIE_LIST: {
        const int32_t previous = TheSettings().option[OPT_ViewCookies];
        TheSettings().option[OPT_ViewCookies] = 1;
        OpenSheet(IDM_PAGE_COOKIES);
        TheSettings().option[OPT_ViewCookies] = previous;
        break;
    }
    case IDM_EXIT_REQUEST:
        if (GetOption(OptionName(OPT_ConfirmExit), 0) == 0)
            DestroyWindow(window);
        else if (!MonitorRunning())
            StartMonitorProgram();
        else
            OpenSheet(IDM_PAGE_STARTUP);
        break;
    default:
        break;
    }
}

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ClearEntryList();
        SaveOptions();
        if (Explorer().mainWindow == window)
            Explorer().mainWindow = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

Switches ReadSwitches(const char *commandLine, int startTab)
{
    Switches result{};
    result.command = IsPageId(startTab) ? startTab : IDM_PAGE_STARTUP;
    if (commandLine == nullptr)
        return result;
    result.restore = FindNoCase(commandLine, "-Restore") != nullptr;
    result.auOption = FindNoCase(commandLine, "-AUOption") != nullptr;
    result.setPrefix = FindNoCase(commandLine, "-SetPrefix") != nullptr;
    // The switches that open no area's page, in the places they take among the areas'; the
    // last ones come after every area's.
    constexpr int kLastSwitch = AREA_COUNT;
    static const struct {
        const char *text;
        int command;
        int order;
    } kSwitches[] = {
        {"-OPTION", IDM_PAGE_OPTIONS, 4},     {"-RESTART", IDM_PAGE_OPTIONS, kLastSwitch},
        {"-COOKIE", IDM_COOKIE_LIST, kLastSwitch}, {"-MONITOR", IDM_MONITOR_LIST, kLastSwitch},
        {"-BLACKLIST", IDM_BLACKLIST, kLastSwitch}, {"-EXIT", IDM_EXIT_REQUEST, kLastSwitch},
    };
    for (int order = 0; order <= kLastSwitch; ++order) {
        for (int id = 0; id < AREA_COUNT; ++id) {
            const AreaRow &area = Area(AreaId(id));
            if (area.pageSwitch != nullptr && area.switchOrder == order &&
                FindNoCase(commandLine, area.pageSwitch) != nullptr)
                result.command = area.page;
        }
        for (const auto &each : kSwitches)
            if (each.order == order && FindNoCase(commandLine, each.text) != nullptr)
                result.command = each.command;
    }
    result.startMonitor = FindNoCase(commandLine, "-START") != nullptr;
    result.quit = FindNoCase(commandLine, "-Q") != nullptr;
    return result;
}

int BuildPageList(PageInfo *pages, int capacity)
{
    const AreaRow *rows[AREA_COUNT];
    const int areas = PagesInTabOrder(rows, AREA_COUNT);
    int count = 0;
    for (int i = 0; i < areas && count < capacity; ++i) {
        if (!AreaPresent(*rows[i]))
            continue;
        pages[count++] = {rows[i]->page, rows[i]->pageCaption, rows[i]->pageTemplate,
                          rows[i]->tabIcon, ListPageProcedure};
    }
    if (count < capacity)
        pages[count++] = {IDM_PAGE_OPTIONS, IDS_OPTIONS, IDD_OPTIONS_PAGE, IDI_TAB_OPTIONS,
                          OptionsPageProc};
    return count;
}

HWND CreateMainWindow(HINSTANCE instance, const char *className, const char *caption)
{
    if (!RegisterMainWindowClass(instance, className, MainProcedure, IDI_MONITOR))
        return nullptr;
    CopyBounded(Explorer().caption, caption);
    HWND window = CreateWindowExA(WS_EX_APPWINDOW, className, caption,
                                  WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, -200, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    Explorer().mainWindow = window;
    return window;
}

void OpenSheet(int pageId)
{
    if (Explorer().currentPage >= 1) {
        const ListPageTraits *asked = FindListPageTraits(pageId);
        const ListPageTraits *shown = FindListPageTraits(Explorer().currentPage);
        HWND activePage = Explorer().activePage;
        if (asked != nullptr && asked->askedAgain == AskedAgain::CookieListOnTop) {
            BringForward();
            SetWindowPos(Explorer().mainWindow, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            if (activePage != nullptr)
                SendMessageA(activePage, kCookieListMessage, 5, 5);
        } else if (shown != nullptr && shown->askedAgain == AskedAgain::RefillWhenShown &&
                   activePage != nullptr) {
            SendMessageA(activePage, kRefillMessage, 0, 0);
        } else {
            BringForward();
        }
        return;
    }
    Explorer().currentPage = 1;
    PageInfo pages[kMaxPages];
    const int count = BuildPageList(pages, kMaxPages);
    SheetResources resources;
    PROPSHEETPAGEA records[kMaxPages]{};
    const bool newLayout = CommonControlsVersion() > ((4u << 16) | 70u);
    // The sheet steps through the records by their size: older libraries get them packed.
    const size_t pageSize = newLayout ? sizeof(PROPSHEETPAGEA) : PROPSHEETPAGEA_V1_SIZE;
    unsigned char packed[kMaxPages * sizeof(PROPSHEETPAGEA)];
    int start = 0;
    for (int i = 0; i < count; ++i) {
        PROPSHEETPAGEA &record = records[i];
        record.dwSize = static_cast<DWORD>(pageSize);
        record.dwFlags = PSP_USEHICON | PSP_USETITLE;
        record.hInstance = GetModuleHandleA(nullptr);
        record.pszTemplate = MAKEINTRESOURCEA(pages[i].templateId);
        resources.icon[i] = LoadPageIcon(pages[i].icon);
        record.hIcon = resources.icon[i];
        LoadText(pages[i].caption, resources.caption[i]);
        record.pszTitle = resources.caption[i];
        record.pfnDlgProc = pages[i].procedure;
        record.lParam = pages[i].id;
        if (pages[i].id == pageId)
            start = i;
    }
    for (int i = 0; i < count; ++i)
        memcpy(packed + i * pageSize, &records[i], pageSize);
    PROPSHEETHEADERA header{};
    header.dwSize = newLayout ? sizeof(PROPSHEETHEADERA) : PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    if (IsNtFamily()) {
        header.dwFlags |= PSH_USECALLBACK;
        header.pfnCallback = SheetCallback;
    }
    header.hwndParent = Explorer().mainWindow;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = Explorer().caption;
    header.nPages = static_cast<UINT>(count);
    header.nStartPage = static_cast<UINT>(start);
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(packed);
    // A copy of the program renamed for the scan log writes it before the sheet opens.
    if (AskedForScanReport())
        WriteScanReportInProgramFolder();
    const INT_PTR result = PropertySheetA(&header);
    Explorer().sheet = nullptr;
    Explorer().activePage = nullptr;
    Explorer().statusBar = nullptr;
    Explorer().minimumSize = SIZE{};
    Explorer().currentPage = 0;
    if (result < 0) {
        char text[512];
        LoadText(IDS_SYSTEM_NOT_NORMAL, text);
        ShowMessage(Explorer().mainWindow, text, Explorer().caption, MB_OK | MB_ICONSTOP | MB_TOPMOST);
    }
}

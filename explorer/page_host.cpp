// What every page gets from the sheet it lives in: activation, placement and layout, the status
// bar, the geometry, and the buttons drawn with images.
#include "page_host.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "explorer_art.h"
#include "explorer_dialogs.h"
#include "ids.h"
#include "init.h"
#include "list_page.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

ExplorerState g_state{};
WNDPROC g_sheetProcedure = nullptr;

LRESULT CALLBACK SheetProcedure(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = g_sheetProcedure;
    switch (message) {
    case WM_GETMINMAXINFO: {
        LRESULT result = CallWindowProcA(previous, sheet, message, wParam, lParam);
        auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
        if (g_state.minimumSize.cx > 0) {
            info->ptMinTrackSize.x = g_state.minimumSize.cx;
            info->ptMinTrackSize.y = g_state.minimumSize.cy;
        }
        return result;
    }
    case WM_SIZE: {
        LRESULT result = CallWindowProcA(previous, sheet, message, wParam, lParam);
        LayoutSheet(sheet);
        return result;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        g_sheetProcedure = nullptr;
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, sheet, message, wParam, lParam);
}

void StoreNumber(const char *name, int number)
{
    char text[16];
    FormatBounded(text, sizeof text, "%d", number);
    WriteRegString(HKEY_CURRENT_USER, kProductKey, name, text);
}

// A stored number as text; false when it is missing or empty.
bool ReadStored(const char *name, char *text, size_t capacity)
{
    return ReadRegString(HKEY_CURRENT_USER, kProductKey, name, text, capacity) > 0;
}

// ---- Buttons drawn with images ----

// The colour the button bitmaps were drawn on: shown as the button's own face instead.
constexpr COLORREF kArtBackground = RGB(0xf0, 0xf0, 0xf0);

BitmapOwner LoadBitmapResource(int id)
{
    return BitmapOwner(static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

enum ArtState { kArtNormal, kArtHover, kArtPressed, kArtStates };

struct ButtonArt {
    int id[kArtStates] = {};
    BitmapOwner bitmap[kArtStates];
    bool hovering = false;
    WNDPROC previous = nullptr;
};
constexpr char kArtProperty[] = "SentroviaButtonArt";

ButtonArt *ArtOf(HWND button)
{
    return button != nullptr ? static_cast<ButtonArt *>(GetPropA(button, kArtProperty)) : nullptr;
}

void SetButtonType(HWND button, LONG type)
{
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    SendMessageA(button, BM_SETSTYLE, (style & ~BS_TYPEMASK) | type, TRUE);
}

// Gives the button its own procedure back and frees its pictures.
void DetachArt(HWND button, ButtonArt *art)
{
    SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(art->previous));
    RemovePropA(button, kArtProperty);
    delete art;
}

LRESULT CALLBACK ArtButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    ButtonArt *art = ArtOf(button);
    if (art == nullptr)
        return DefWindowProcA(button, message, wParam, lParam);
    const WNDPROC previous = art->previous;
    switch (message) {
    case WM_MOUSEMOVE:
        if (!art->hovering) {
            art->hovering = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
            TrackMouseEvent(&track);
            InvalidateRect(button, nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        art->hovering = false;
        InvalidateRect(button, nullptr, FALSE);
        break;
    case BM_SETSTYLE:
        // The dialog manager makes push buttons default ones as the focus moves: stay drawn.
        wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
        break;
    case WM_NCDESTROY:
        DetachArt(button, art);
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, button, message, wParam, lParam);
}

BOOL CALLBACK RemoveImagesOf(HWND child, LPARAM)
{
    RemoveButtonImages(child);
    return TRUE;
}

}  // namespace

ExplorerState &Explorer() { return g_state; }

void ActivatePage(HWND page, int pageId)
{
    SetButtonImages(GetDlgItem(page, IDC_PAGE_HELP), IDB_HELP_NORMAL, IDB_HELP_HOVER,
                    IDB_HELP_PRESSED);
    SetButtonImages(GetDlgItem(page, IDC_PAGE_PATROL), IDB_PATROL_OFF, IDB_PATROL_OFF,
                    IDB_PATROL_OFF);
    HWND sheet = GetParent(page);
    if (HWND ok = GetDlgItem(sheet, IDOK)) {
        ShowWindow(ok, SW_HIDE);
        EnableWindow(ok, FALSE);
    }
    char close[64];
    if (LoadText(IDS_CLOSE, close) > 0)
        SetDlgItemTextA(sheet, IDCANCEL, close);
    SetWindowLongPtrA(sheet, GWL_EXSTYLE,
                      GetWindowLongPtrA(sheet, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_CONTEXTHELP));
    if (g_state.mainWindow != nullptr)
        SetWindowTextA(g_state.mainWindow, g_state.caption);
    g_state.sheet = sheet;
    g_state.activePage = page;
    g_state.currentPage = pageId;
    SetStatusText("");
    if (IsNtFamily())
        LayoutSheet(sheet);
}

void DeactivatePage(HWND page)
{
    EnumChildWindows(page, RemoveImagesOf, 0);
    ClearEntryList();
    SetStatusText("");
    SaveGeometry();
}

void SaveGeometry()
{
    RECT rect;
    if (g_state.sheet == nullptr || !GetWindowRect(g_state.sheet, &rect))
        return;
    StoreNumber("xPos", rect.left);
    StoreNumber("yPos", rect.top);
    StoreNumber("dxPos", rect.right - rect.left);
    StoreNumber("dyPos", rect.bottom - rect.top);
    if (g_state.currentPage > 1) {
        StoreOption(OPT_StartTab, g_state.currentPage);
    }
}

void ClosePage()
{
    // Every page of the sheet is destroyed with it: only the first one saves and ends.
    if (g_state.currentPage <= 0)
        return;
    SaveGeometry();
    g_state.currentPage = 0;
    if (g_state.mainWindow != nullptr)
        PostMessageA(g_state.mainWindow, WM_CLOSE, 0, 0);
}

void SetStatusText(const char *text)
{
    if (g_state.statusBar != nullptr)
        SendMessageA(g_state.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

RECT SheetPlacement(const char *x, const char *y, const char *dx, const char *dy, SIZE sheet,
                    const SheetScreen &screen, bool ntFamily)
{
    auto given = [](const char *text) { return text != nullptr && text[0] != '\0'; };
    auto fit = [](const char *text, int limit, int replacement) {
        const int value = atoi(text);
        return value > limit ? replacement : value;
    };
    RECT rect;
    int width = sheet.cx;
    int height = sheet.cy;
    int left = (screen.width - width) / 2;
    int top = (screen.height - height) / 3;
    if (given(x) && given(y)) {
        if (ntFamily) {
            left = fit(x, screen.virtualWidth, 0);
            top = fit(y, screen.virtualHeight, 0);
            // A stored size smaller than the sheet's own would cut its controls off.
            if (given(dx) && given(dy)) {
                const int storedWidth = fit(dx, screen.virtualWidth, 0);
                const int storedHeight = fit(dy, screen.virtualHeight, 0);
                if (storedWidth >= sheet.cx)
                    width = storedWidth;
                if (storedHeight >= sheet.cy)
                    height = storedHeight;
            }
        } else {
            left = fit(x, screen.virtualWidth, screen.width / 2);
            top = fit(y, screen.virtualHeight, screen.height / 2);
        }
    }
    if (left < 0 && !given(x))
        left = 0;
    if (top < 0 && !given(y))
        top = 0;
    SetRect(&rect, left, top, left + width, top + height);
    return rect;
}

void PlaceSheet(HWND page)
{
    HWND sheet = GetParent(page);
    if (g_state.sheet == sheet)
        return;
    g_state.sheet = sheet;
    const bool nt = IsNtFamily();
    RECT window;
    GetWindowRect(sheet, &window);
    const SIZE size{window.right - window.left, window.bottom - window.top};
    if (nt) {
        g_sheetProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetProcedure)));
        // The first laid-out size is the smallest the sheet may become.
        g_state.minimumSize = size;
        g_state.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "",
                                            WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                            sheet, reinterpret_cast<HMENU>(IDC_SHEET_STATUS),
                                            GetModuleHandleA(nullptr), nullptr);
    }
    char x[16] = "", y[16] = "", dx[16] = "", dy[16] = "";
    ReadStored("xPos", x, sizeof x);
    ReadStored("yPos", y, sizeof y);
    ReadStored("dxPos", dx, sizeof dx);
    ReadStored("dyPos", dy, sizeof dy);
    const SheetScreen screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                             GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const RECT placed = SheetPlacement(x, y, dx, dy, size, screen, nt);
    if (nt)
        MoveWindow(sheet, placed.left, placed.top, placed.right - placed.left,
                   placed.bottom - placed.top, TRUE);
    else
        SetWindowPos(sheet, nullptr, placed.left, placed.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutSheet(HWND sheet)
{
    RECT client;
    if (sheet == nullptr || !GetClientRect(sheet, &client))
        return;
    const int width = client.right;
    const int height = client.bottom;
    int bottom = height;
    if (g_state.statusBar != nullptr) {
        SendMessageA(g_state.statusBar, WM_SIZE, 0, 0);
        RECT bar;
        GetWindowRect(g_state.statusBar, &bar);
        bottom -= bar.bottom - bar.top;
    }
    if (HWND cancel = GetDlgItem(sheet, IDCANCEL)) {
        MoveWindow(cancel, width - 92, height - 66, 80, 23, FALSE);
        ShowWindow(cancel, SW_HIDE);
    }
    HWND tab = PropSheet_GetTabControl(sheet);
    if (tab == nullptr)
        return;
    RECT frame;
    GetWindowRect(tab, &frame);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT *>(&frame), 2);
    // The sheet's Close button is hidden: the tab reaches down to the status bar, with the same
    // margin on every side.
    const int margin = frame.left > 0 ? frame.left : 10;
    MoveWindow(tab, frame.left, frame.top, width - 2 * margin, bottom - margin - frame.top, TRUE);
    // While a page becomes active the sheet still names the one before it.
    HWND page = g_state.activePage;
    if (page == nullptr || GetParent(page) != sheet)
        page = PropSheet_GetCurrentPageHwnd(sheet);
    if (page == nullptr)
        return;
    // The page fills what the tab's frame and its rows of tabs leave.
    RECT display;
    GetWindowRect(tab, &display);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT *>(&display), 2);
    TabCtrl_AdjustRect(tab, FALSE, &display);
    MoveWindow(page, display.left, display.top, display.right - display.left,
               display.bottom - display.top, TRUE);
    SendMessageA(page, kLayoutMessage, 0, 0);
}

bool SetButtonImages(HWND button, int normal, int hover, int pressed)
{
    if (button == nullptr)
        return false;
    const int ids[kArtStates] = {normal, hover, pressed};
    BitmapOwner loaded[kArtStates];
    for (int state = 0; state < kArtStates; ++state) {
        loaded[state] = LoadBitmapResource(ids[state]);
        if (!loaded[state])
            return false;
    }
    ButtonArt *art = ArtOf(button);
    if (art == nullptr) {
        art = new ButtonArt;
        if (!SetPropA(button, kArtProperty, art)) {
            delete art;
            return false;
        }
        SetButtonType(button, BS_OWNERDRAW);
        art->previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ArtButtonProcedure)));
    }
    for (int state = 0; state < kArtStates; ++state) {
        art->id[state] = ids[state];
        art->bitmap[state] = std::move(loaded[state]);
    }
    InvalidateRect(button, nullptr, TRUE);
    return true;
}

void RemoveButtonImages(HWND button)
{
    ButtonArt *art = ArtOf(button);
    if (art == nullptr)
        return;
    DetachArt(button, art);
    SetButtonType(button, BS_PUSHBUTTON);
    InvalidateRect(button, nullptr, TRUE);
}

int ButtonImage(HWND button)
{
    const ButtonArt *art = ArtOf(button);
    return art != nullptr ? art->id[kArtNormal] : 0;
}

bool DrawImageButton(const DRAWITEMSTRUCT &item)
{
    const ButtonArt *art = item.CtlType == ODT_BUTTON ? ArtOf(item.hwndItem) : nullptr;
    if (art == nullptr)
        return false;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const ArtState state = pressed ? kArtPressed : art->hovering ? kArtHover : kArtNormal;
    HBITMAP bitmap = art->bitmap[state].get();
    const RECT &rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    int x = rect.left + (rect.right - rect.left - size.bmWidth) / 2;
    int y = rect.top + (rect.bottom - rect.top - size.bmHeight) / 2;
    // An image without a pressed picture of its own sinks by a pixel.
    if (pressed && art->id[kArtPressed] == art->id[kArtNormal]) {
        ++x;
        ++y;
    }
    if (item.itemState & ODS_DISABLED) {
        DrawStateA(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, x, y,
                   size.bmWidth, size.bmHeight, DST_BITMAP | DSS_DISABLED);
    } else {
        DCOwner source(CreateCompatibleDC(item.hDC));
        Selection chosen(source.get(), bitmap);
        if (source)
            GdiTransparentBlt(item.hDC, x, y, size.bmWidth, size.bmHeight, source.get(), 0, 0,
                              size.bmWidth, size.bmHeight, kArtBackground);
    }
    // Round the edge of the button, clear of the picture.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(item.hDC, &rect);
    return true;
}

int PatrolLook(int period, bool realtime)
{
    if (realtime)
        return IDB_PATROL_REALTIME;
    return period > 0 ? IDB_PATROL_ON : IDB_PATROL_OFF;
}

void ShowPatrolButtonLook(HWND button, int period, bool realtime)
{
    const int look = PatrolLook(period, realtime);
    SetButtonImages(button, look, look, look);
}

void AppendMenuText(HMENU menu, UINT id, UINT textId, bool enabled)
{
    char text[128];
    LoadText(textId, text);
    AppendMenuA(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, text);
}

void AppendCommonTail(HMENU menu, int pageId)
{
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuText(menu, IDM_PAGE_ONLINE_INFO, IDS_ONLINE_INFO);
    // The listing report comes with later work.
    const ListPageTraits *traits = FindListPageTraits(pageId);
    if (traits == nullptr || traits->listing)
        AppendMenuText(menu, IDM_PAGE_LISTING, IDS_SENTROVIA_LOG, false);
    AppendMenuText(menu, IDC_PAGE_HELP, IDS_HELP_CAPTION);
}

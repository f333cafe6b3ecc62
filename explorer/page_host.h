// What every page gets from the sheet it lives in: the Explorer's state, activation, placement
// and layout, the status bar, the geometry, and the buttons drawn with images.
#pragma once
#include <windows.h>

#include <cstddef>

// Sent to the active page after the sheet resized it: the page moves its own controls.
constexpr UINT kLayoutMessage = 6049;
// Sent to a list page to enumerate its area again and refill its list.
constexpr UINT kRefillMessage = WM_APP + 1;
// The Cookies page's request to show the cookie list (both parameters 5).
constexpr UINT kCookieListMessage = WM_USER + 101;

// Process-wide state of the Explorer.
struct ExplorerState {
    HWND mainWindow;
    HWND sheet;
    HWND activePage;
    HWND statusBar;
    int currentPage;  // 0 when no sheet is open; 1 while it opens
    SIZE minimumSize;
    char caption[64];
};
ExplorerState &Explorer();

// The steps every page takes when it becomes active and when it stops being active. Activation
// gives the help button its images and the patrol-time button the "off" look (the page then
// shows its area's look); deactivation takes every button image of the page away.
void ActivatePage(HWND page, int pageId);
void DeactivatePage(HWND page);

// ---- Buttons drawn with images (the help and patrol-time buttons) ----
// The button is owner drawn with bitmap resources for rest, mouse-over and pressed; its text
// stays for screen readers. Setting images again replaces them. false when a bitmap is missing
// (the button is left as it was).
bool SetButtonImages(HWND button, int normal, int hover, int pressed);
// The button becomes a plain push button again and its bitmaps are freed.
void RemoveButtonImages(HWND button);
// The bitmap the button shows at rest; 0 for a button without images.
int ButtonImage(HWND button);
// A page's WM_DRAWITEM; false when the item is not a button with images.
bool DrawImageButton(const DRAWITEMSTRUCT &item);
// The look of a patrol-time button: real time when the area is watched in real time, else on
// while its period is above 0, else off.
int PatrolLook(int period, bool realtime);
// Gives a patrol-time button the look of its area.
void ShowPatrolButtonLook(HWND button, int period, bool realtime);
// A page's first initialisation: on the NT family the first page sets the sheet up (resizing,
// minimum size, status bar) and places it; on Windows 95/98/Me the sheet is only moved.
void PlaceSheet(HWND page);
// A page receiving WM_CLOSE or WM_DESTROY: the geometry is saved once and the Explorer ends.
void ClosePage();
// The text of the sheet's status bar ("" clears it).
void SetStatusText(const char *text);
// The sheet's rectangle and the current page into the product key and StartTab.
void SaveGeometry();
// Lays the sheet out after a change of size.
void LayoutSheet(HWND sheet);

// Where the sheet goes from its stored texts (null when missing). NT family: a coordinate or
// size beyond the virtual screen becomes 0, a size below the sheet's own is not applied, and
// without both coordinates the sheet is centred at one third of the free height. Windows
// 95/98/Me: the size never changes and a coordinate beyond the screen becomes half of it.
struct SheetScreen {
    int width;
    int height;
    int virtualWidth;
    int virtualHeight;
};
RECT SheetPlacement(const char *x, const char *y, const char *dx, const char *dy, SIZE sheet,
                    const SheetScreen &screen, bool ntFamily);

// ---- Context menus ----
void AppendMenuText(HMENU menu, UINT id, UINT textId, bool enabled = true);
// The items that end every context menu of the sheet: a separator, the online information, the
// listing report (not on the Cookies page) and help.
void AppendCommonTail(HMENU menu, int pageId);

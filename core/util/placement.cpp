#include "placement.h"

#include <cstdlib>

#include "bounded.h"
#include "keys.h"
#include "registry.h"

namespace {

constexpr size_t kPositionText = 33;  // a stored coordinate: up to 32 characters

} // namespace

POINT AlertPlacement(const char *x, const char *y, SIZE dialog, const ScreenSize &screen)
{
    if (x == nullptr || y == nullptr || x[0] == '\0' || y[0] == '\0')
        return {(screen.width - dialog.cx) / 2, (screen.height - dialog.cy) / 3};
    POINT place = {strtol(x, nullptr, 10), strtol(y, nullptr, 10)};
    // A place kept from a larger screen.
    if (place.x > screen.virtualWidth)
        place.x = screen.width / 2;
    if (place.y > screen.virtualHeight)
        place.y = screen.height / 2;
    return place;
}

void RestoreAlertPosition(HWND dialog, const char *xName, const char *yName)
{
    char x[kPositionText];
    char y[kPositionText];
    ReadRegString(HKEY_CURRENT_USER, kProductKey, xName, x, sizeof x);
    ReadRegString(HKEY_CURRENT_USER, kProductKey, yName, y, sizeof y);
    RECT rect;
    GetWindowRect(dialog, &rect);
    const ScreenSize screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               GetSystemMetrics(SM_CXVIRTUALSCREEN),
                               GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    POINT place =
        AlertPlacement(x, y, {rect.right - rect.left, rect.bottom - rect.top}, screen);
    SetWindowPos(dialog, nullptr, place.x, place.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaveAlertPosition(HWND dialog, const char *xName, const char *yName, const char *dxName,
                       const char *dyName)
{
    RECT rect;
    if (!GetWindowRect(dialog, &rect))
        return;
    const struct {
        const char *name;
        LONG value;
    } values[] = {{xName, rect.left},
                  {yName, rect.top},
                  {dxName, rect.right - rect.left},
                  {dyName, rect.bottom - rect.top}};
    for (const auto &value : values) {
        char text[16];
        FormatBounded(text, sizeof text, "%d", static_cast<int>(value.value));
        WriteRegString(HKEY_CURRENT_USER, kProductKey, value.name, text);
    }
}

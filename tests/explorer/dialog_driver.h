// Drives a modal dialog from inside its own message loop: a thread timer finds the dialog that
// is open now and takes the test's steps on it, one per tick, each after the messages the one
// before it posted. A dialog left open after every step (a fault under test) is cancelled after
// a long while, so a failing test ends instead of hanging.
#pragma once
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace dialog_driver {

// A step answers false to be tried again on the next tick.
using Step = std::function<bool(HWND dialog)>;

struct Drive {
    std::vector<Step> steps;
    size_t next = 0;
    int ticks = 0;
    bool gaveUp = false;
    int opened = 0;     // dialogs seen, counting each new window once
    HWND last = nullptr;
};
inline Drive *g_drive = nullptr;
constexpr int kGiveUpTicks = 1500;  // about 30 s at 20 ms

// The enabled, visible top-level dialog of this thread: a modal dialog disables its owner, so
// this is the one on top.
inline BOOL CALLBACK FindOpenDialog(HWND window, LPARAM found)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

inline HWND OpenDialog()
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOpenDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

inline void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    Drive &drive = *g_drive;
    HWND dialog = OpenDialog();
    if (++drive.ticks > kGiveUpTicks && dialog != nullptr) {
        drive.gaveUp = true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (dialog == nullptr)
        return;
    if (dialog != drive.last) {
        drive.last = dialog;
        ++drive.opened;
    }
    if (drive.next < drive.steps.size() && drive.steps[drive.next](dialog))
        ++drive.next;
}

// Runs show (which opens the modal dialog) while the steps are taken; answers show's result.
template <typename Show> auto RunDialog(std::vector<Step> steps, Show show)
{
    Drive drive;
    drive.steps = std::move(steps);
    Drive *outer = g_drive;
    g_drive = &drive;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, OnTick);
    auto result = show();
    KillTimer(nullptr, timer);
    g_drive = outer;
    EXPECT_FALSE(drive.gaveUp) << "the dialog stayed open and was cancelled";
    EXPECT_EQ(drive.steps.size(), drive.next) << "steps left untaken";
    return result;
}

// The same under a shorter name, for callers outside a test fixture (whose own Run hides it).
template <typename Show> auto Run(std::vector<Step> steps, Show show)
{
    return RunDialog(std::move(steps), show);
}

inline void Click(HWND dialog, int control)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

inline Step Press(int control)
{
    return [control](HWND dialog) {
        Click(dialog, control);
        return true;
    };
}

inline Step Do(std::function<void(HWND)> action)
{
    return [action](HWND dialog) {
        action(dialog);
        return true;
    };
}

inline std::string ItemText(HWND dialog, int control)
{
    char text[2048] = "";
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

inline std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline bool Enabled(HWND dialog, int control)
{
    HWND item = GetDlgItem(dialog, control);
    return item != nullptr && IsWindowEnabled(item);
}

inline bool Checked(HWND dialog, int control)
{
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

} // namespace dialog_driver

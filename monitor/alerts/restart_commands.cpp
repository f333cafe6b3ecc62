// The Windows Restart Commands viewer: what wininit.ini will run at the next restart, and
// deleting it.
#include "alerts.h"

#include <string>

#include "dialog_state.h"
#include "ids.h"
#include "messages.h"
#include "monitor.h"
#include "strings.h"
#include "sysfiles.h"
#include "texts.h"

namespace {

struct RestartViewState {
    const std::string &text;
};

// The edit box wants line ends as CR LF; a file written by hand may have LF alone.
std::string ForEditBox(const std::string &text)
{
    std::string shown;
    shown.reserve(text.size() + 64);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            shown += '\r';
        shown += text[i] != '\0' ? text[i] : ' ';
    }
    return shown;
}

INT_PTR CALLBACK RestartCommandsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<RestartViewState>(dialog, message, lParam);
    if (message == WM_INITDIALOG) {
        SetCaptionText(dialog, IDS_RESTART_COMMANDS_CAPTION);
        SetDlgItemTextA(dialog, IDC_RESTART_TEXT, ForEditBox(state->text).c_str());
        SetItemText(dialog, IDC_RESTART_LEGEND, IDS_RESTART_COMMANDS_LEGEND);
        SetItemText(dialog, IDC_RESTART_DELETE, IDS_DELETE);
        SetItemText(dialog, IDCANCEL, IDS_CLOSE);
        // Focus on Close, not in the text: a focused edit box would show it all selected.
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        return FALSE;
    }
    if (message != WM_COMMAND || state == nullptr)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_RESTART_DELETE:
        if (!DeleteRestartCommands())
            ShowSystemError();
        EndDialog(dialog, IDC_RESTART_DELETE);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int ShowRestartCommands(bool quiet)
{
    std::string text;
    const int found = RestartCommandsText(text);
    if (quiet)
        return found;
    if (found) {
        RestartViewState state{text};
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESTART_COMMANDS),
                        Monitor().mainWindow, RestartCommandsProc,
                        reinterpret_cast<LPARAM>(&state));
    } else {
        char message[256], caption[128];
        LoadText(IDS_NO_RESTART_COMMANDS, message);
        LoadText(IDS_CAPTION, caption);
        ShowMessage(Monitor().mainWindow, message, caption, MB_OK | MB_ICONINFORMATION);
    }
    return found;
}

// The File Change Alert: a watched system file changed since it was approved. The user looks at
// the new file and the saved copy, then takes the new one or puts the saved copy back.
#include "alerts.h"

#include "bounded.h"
#include "dialog_state.h"
#include "fonts.h"
#include "ids.h"
#include "item_alert.h"
#include "messages.h"
#include "monitor.h"
#include "strings.h"
#include "sysfiles.h"
#include "texts.h"

namespace {

struct SystemFileAlertState {
    const AlertContext &item;
};

BOOL OnInit(HWND dialog, SystemFileAlertState &state)
{
    const AlertContext &item = state.item;
    SetCaptionText(dialog, IDS_FILE_CHANGE_CAPTION);
    SetItemText(dialog, IDC_SYSFILE_HEADING, IDS_FILE_CHANGE_DETECTED);
    SetAlertItemFont(dialog, IDC_SYSFILE_HEADING, FONT_LargeArial);
    SetItemText(dialog, IDC_SYSFILE_ACCEPT_HINT, IDS_FILE_CHANGE_ACCEPT_HINT);
    SetItemText(dialog, IDC_SYSFILE_REJECT_HINT, IDS_FILE_CHANGE_REJECT_HINT);
    SetDlgItemTextA(dialog, IDC_SYSFILE_NAME, item.itemTitle);
    SetAlertItemFont(dialog, IDC_SYSFILE_NAME, FONT_SmallArial);
    SetDlgItemTextA(dialog, IDC_SYSFILE_LOCATION, item.location);
    char comment[1024];
    SystemFileComment(item.itemTitle, comment, sizeof comment);
    SetDlgItemTextA(dialog, IDC_SYSFILE_COMMENT, comment);
    SetItemText(dialog, IDC_SYSFILE_VIEW_NEW, IDS_VIEW_NEW_FILE);
    SetItemText(dialog, IDC_SYSFILE_VIEW_PREVIOUS, IDS_VIEW_PREVIOUS_FILE);
    SetItemText(dialog, IDC_SYSFILE_ACCEPT, IDS_ACCEPT_CHANGE);
    SetItemText(dialog, IDC_SYSFILE_REJECT, IDS_REJECT_CHANGE);
    SetItemText(dialog, IDC_SYSFILE_STOP_WATCHING, IDS_STOP_WATCHING_FILE);
    PlaceAlertOnTop(dialog, kSystemFilePosition);
    return TRUE;
}

void Close(HWND dialog, int result)
{
    SaveAlertPosition(dialog, kSystemFilePosition.x, kSystemFilePosition.y,
                      kSystemFilePosition.width, kSystemFilePosition.height);
    EndDialog(dialog, result);
}

// A viewer comes in front of the alert, which stays open.
void View(HWND dialog, const char *file)
{
    OpenInNotepad(file);
    LetOpenedWindowInFront(dialog);
}

void Decide(HWND dialog, const AlertContext &item, bool accept)
{
    const bool stop = IsDlgButtonChecked(dialog, IDC_SYSFILE_STOP_WATCHING) == BST_CHECKED;
    const int done = accept ? AcceptFileChange(item.itemTitle, item.location, stop)
                            : RejectFileChange(item.itemTitle, item.location, stop);
    if (!done)
        ShowSystemError();
    Close(dialog, done ? 1 : 0);
}

INT_PTR CALLBACK SystemFileAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<SystemFileAlertState>(dialog, message, lParam);
    if (message == WM_INITDIALOG)
        return OnInit(dialog, *state);
    if (message != WM_COMMAND || state == nullptr)
        return FALSE;
    const AlertContext &item = state->item;
    switch (LOWORD(wParam)) {
    case IDC_SYSFILE_VIEW_NEW:
        View(dialog, item.location);
        return TRUE;
    case IDC_SYSFILE_VIEW_PREVIOUS: {
        char saved[MAX_PATH + 64];
        if (SavedCopyPath(item.itemTitle, saved, sizeof saved))
            View(dialog, saved);
        return TRUE;
    }
    case IDC_SYSFILE_ACCEPT:
        Decide(dialog, item, true);
        return TRUE;
    case IDC_SYSFILE_REJECT:
        Decide(dialog, item, false);
        return TRUE;
    case IDCANCEL:
        // Closed without a decision: the file stays as it is and is asked about again.
        Close(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int ShowSystemFileAlert(const AlertContext &item)
{
    SystemFileAlertState state{item};
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ALERT_SYSTEM_FILE),
                        Monitor().mainWindow, SystemFileAlertProc, reinterpret_cast<LPARAM>(&state));
    return result > 0 ? static_cast<int>(result) : 0;
}

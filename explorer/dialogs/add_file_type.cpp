// The Add File Type Extension dialog: one field, and the monitored list's own answer to it.
#include "add_file_type.h"

#include "explorer_dialogs.h"
#include "filetypes.h"
#include "messages.h"
#include "page_host.h"
#include "placement.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kTypedLimit = 255;
constexpr char kPlaceX[] = "xPosAddFileType";
constexpr char kPlaceY[] = "yPosAddFileType";
constexpr char kPlaceWidth[] = "dxPosAddFileType";
constexpr char kPlaceHeight[] = "dyPosAddFileType";

BOOL OnInit(HWND dialog)
{
    SetCaptionText(dialog, IDS_ADD_FILE_TYPE_CAPTION);
    SetItemText(dialog, IDC_ADD_FILE_TYPE_LABEL, IDS_FILE_TYPE_EXTENSION);
    SendDlgItemMessageA(dialog, IDC_ADD_FILE_TYPE_FIELD, EM_LIMITTEXT, kTypedLimit, 0);
    RestoreAlertPosition(dialog, kPlaceX, kPlaceY);
    SetFocus(GetDlgItem(dialog, IDC_ADD_FILE_TYPE_FIELD));
    // The focus is set here: the dialog must not move it again.
    return FALSE;
}

void Close(HWND dialog, int answer)
{
    SaveAlertPosition(dialog, kPlaceX, kPlaceY, kPlaceWidth, kPlaceHeight);
    EndDialog(dialog, answer);
}

void OnOk(HWND dialog)
{
    char typed[kTypedLimit + 1] = "";
    GetDlgItemTextA(dialog, IDC_ADD_FILE_TYPE_FIELD, typed, sizeof typed);
    const int refusal = AddMonitoredType(typed);
    if (refusal == 0 || refusal == kNothingToAdd) {
        Close(dialog, refusal == 0 ? 1 : 0);
        return;
    }
    char text[1024];
    LoadText(static_cast<UINT>(refusal), text);
    ShowMessage(dialog, text, Explorer().caption, MB_OK | MB_ICONINFORMATION);
    // The user corrects the text where it stands.
    HWND field = GetDlgItem(dialog, IDC_ADD_FILE_TYPE_FIELD);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK AddFileTypeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            Close(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

int ShowAddFileTypeDialog(HWND owner)
{
    const INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr),
                                           MAKEINTRESOURCEA(IDD_ADD_FILE_TYPE), owner,
                                           AddFileTypeProc, 0);
    return answer == 1 ? 1 : 0;
}

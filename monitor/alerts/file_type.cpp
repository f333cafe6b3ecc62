// The file-type alert: the program an extension was approved to open with, above the one it has
// been changed to, each with what its file tells of it and its own look-up.
#include "alerts.h"

#include "bounded.h"
#include "dialog_state.h"
#include "files.h"
#include "fonts.h"
#include "ids.h"
#include "item_alert.h"
#include "lookup.h"
#include "monitor.h"
#include "owned.h"
#include "strings.h"
#include "texts.h"
#include "version.h"

namespace {

struct Block {
    int name, icon, path, company, info;
};
constexpr Block kApproved = {IDC_FILETYPE_CURRENT_NAME, IDC_FILETYPE_CURRENT_ICON,
                             IDC_FILETYPE_CURRENT_PATH, IDC_FILETYPE_CURRENT_COMPANY,
                             IDC_FILETYPE_CURRENT_INFO};
constexpr Block kChanged = {IDC_FILETYPE_NEW_NAME, IDC_FILETYPE_NEW_ICON, IDC_FILETYPE_NEW_PATH,
                            IDC_FILETYPE_NEW_COMPANY, IDC_FILETYPE_NEW_INFO};

struct FileTypeAlertState {
    const AlertContext &item;
    IconOwner icons[2];
};

// One command's block: its text, and the program's name, company and icon where the file has them.
void ShowBlock(HWND dialog, const Block &block, const char *command, IconOwner &icon)
{
    SetDlgItemTextA(dialog, block.path, command);
    SetAlertItemFont(dialog, block.name, FONT_LargeArial);
    SetItemText(dialog, block.info, IDS_INFO);
    char program[kAlertText];
    CleanPath(command, program, sizeof program);
    static VersionRecord version;
    ReadVersionInfo(program, &version);
    if (version.slot[VS_ProductName][0] != '\0')
        SetDlgItemTextA(dialog, block.name, version.slot[VS_ProductName]);
    if (version.slot[VS_CompanyName][0] != '\0')
        SetDlgItemTextA(dialog, block.company, version.slot[VS_CompanyName]);
    if (HICON shown = ProgramIcon(program, icon))
        SendDlgItemMessageA(dialog, block.icon, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
}

BOOL OnInit(HWND dialog, FileTypeAlertState &state)
{
    const AlertContext &item = state.item;
    SetCaptionText(dialog, IDS_FILE_TYPE_ALERT_CAPTION);
    SetItemText(dialog, IDC_FILETYPE_HEADING, IDS_FILE_TYPE_CHANGED);
    SetItemText(dialog, IDC_FILETYPE_CURRENT_LABEL, IDS_FILE_TYPE_CURRENT);
    SetItemText(dialog, IDC_FILETYPE_NEW_LABEL, IDS_FILE_TYPE_NEW);
    SetItemText(dialog, IDC_FILETYPE_QUESTION, IDS_FILE_TYPE_OK);
    SetDlgItemTextA(dialog, IDC_FILETYPE_EXTENSION, item.itemTitle);
    SetAlertItemFont(dialog, IDC_FILETYPE_EXTENSION, FONT_UnderlinedVerdana);
    ShowBlock(dialog, kApproved, item.itemPath, state.icons[0]);
    ShowBlock(dialog, kChanged, item.secondPath, state.icons[1]);
    SetItemText(dialog, IDYES, IDS_YES);
    SetItemText(dialog, IDNO, IDS_NO);
    PlaceAlertOnTop(dialog, kItemAlertPosition);
    return TRUE;
}

void LookUp(HWND dialog, const AlertContext &item, const char *command)
{
    OnlineLookup(item.kindCode + kLookupFromAlert, command, item.itemTitle);
    LetOpenedWindowInFront(dialog);
}

void Close(HWND dialog, int answer)
{
    SaveAlertPosition(dialog, kItemAlertPosition.x, kItemAlertPosition.y,
                      kItemAlertPosition.width, kItemAlertPosition.height);
    EndDialog(dialog, answer);
}

INT_PTR CALLBACK FileTypeAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<FileTypeAlertState>(dialog, message, lParam);
    if (message == WM_INITDIALOG)
        return OnInit(dialog, *state);
    if (message != WM_COMMAND || state == nullptr)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_FILETYPE_CURRENT_INFO:
        LookUp(dialog, state->item, state->item.itemPath);
        return TRUE;
    case IDC_FILETYPE_NEW_INFO:
        LookUp(dialog, state->item, state->item.secondPath);
        return TRUE;
    default:
        if (int answer = YesNoAnswer(LOWORD(wParam)))
            Close(dialog, answer);
        return TRUE;
    }
}

} // namespace

int ShowFileTypeAlert(const AlertContext &item)
{
    FileTypeAlertState state{item, {}};
    const INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ALERT_FILE_TYPE),
                        Monitor().mainWindow, FileTypeAlertProc, reinterpret_cast<LPARAM>(&state));
    return answer > 0 ? static_cast<int>(answer) : 0;
}

// The item alerts' frame: what every item alert shows of the program, and where it stands.
#include "item_alert.h"

#include <cstring>

#include "bounded.h"
#include "dialog_state.h"
#include "files.h"
#include "fonts.h"
#include "history.h"
#include "lookup.h"
#include "monitor.h"
#include "owned.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

const AlertPositionNames kItemAlertPosition = {"xPosAlert", "yPosAlert", "dxAlert", "dyAlert"};
const AlertPositionNames kSystemFilePosition = {"xPosSysFiles", "yPosSysFiles", "dxSysFiles",
                                                "dySysFiles"};

namespace {

// One open item alert; lives on the opener's stack for the dialog's whole life.
struct ItemAlertState {
    const ItemAlertForm &form;
    const AlertContext &item;
    IconOwner fileIcon;
};

// A field keeps the template's own text when the file tells nothing.
void SetFact(HWND dialog, int item, const char *text)
{
    if (text[0] != '\0')
        SetDlgItemTextA(dialog, item, text);
}

// The file's icon shown on the icon button; the button itself never frees it.
void ShowFileIcon(HWND dialog, ItemAlertState &state, const char *file)
{
    if (HICON icon = ProgramIcon(file, state.fileIcon))
        SendDlgItemMessageA(dialog, IDC_ALERT_ICON, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(icon));
}

bool BreaksPath(char c) { return c == ' ' || c == '\t' || c == '\\'; }

// Lines of the path box may end after a folder's backslash as well as at a blank, so a long path
// wraps at its folders rather than running past the box's edge in one unbroken word.
int CALLBACK PathWordBreak(LPSTR text, int current, int length, int code)
{
    switch (code) {
    case WB_ISDELIMITER:
        return current >= 0 && current < length && BreaksPath(text[current]);
    case WB_LEFT: {
        int i = current > 0 ? current - 1 : 0;
        while (i > 0 && !BreaksPath(text[i - 1]))
            --i;
        return i;
    }
    case WB_RIGHT: {
        int i = current;
        while (i < length && !BreaksPath(text[i]))
            ++i;
        while (i < length && BreaksPath(text[i]))
            ++i;
        return i;
    }
    default:
        return 0;
    }
}

// The path box wraps a long command over its lines; when it needs more lines than the box has,
// it is scrolled so the program's file name stands in view (what the user must recognise).
void KeepFileNameInView(HWND box, const char *command, const char *program)
{
    const char *name = FileNameOf(program);
    const char *found = name[0] != '\0' ? FindNoCase(command, name) : nullptr;
    if (box == nullptr || found == nullptr)
        return;
    const WPARAM start = static_cast<WPARAM>(found - command);
    const WPARAM end = start + strlen(name) - 1;
    const int firstLine = static_cast<int>(SendMessageA(box, EM_LINEFROMCHAR, start, 0));
    const int lastLine = static_cast<int>(SendMessageA(box, EM_LINEFROMCHAR, end, 0));

    TEXTMETRICA metrics{};
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    RECT client{};
    GetClientRect(box, &client);
    const int lines = metrics.tmHeight > 0 ? client.bottom / metrics.tmHeight : 1;

    int top = lastLine - (lines > 1 ? lines : 1) + 1;
    if (top > firstLine)
        top = firstLine;  // a name longer than the box: its start
    if (top < 0)
        top = 0;
    const int shown = static_cast<int>(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageA(box, EM_LINESCROLL, 0, top - shown);
}

BOOL OnInit(HWND dialog, ItemAlertState &state)
{
    const AlertContext &item = state.item;
    const ItemAlertForm &form = state.form;
    SetItemText(dialog, IDC_ALERT_VERSION_LABEL, form.versionLabel);
    SetCaptionText(dialog, form.caption);

    char key[kAlertText];
    CleanPath(item.itemPath, key, sizeof key);
    VersionRecord version;
    ReadVersionInfo(key, &version);

    SendDlgItemMessageA(dialog, IDC_ALERT_PATH, EM_SETWORDBREAKPROC, 0,
                        reinterpret_cast<LPARAM>(PathWordBreak));
    SetDlgItemTextA(dialog, IDC_ALERT_PATH, item.itemPath);
    SetAlertItemFont(dialog, IDC_ALERT_PATH, FONT_BoldSansSerif);
    KeepFileNameInView(GetDlgItem(dialog, IDC_ALERT_PATH), item.itemPath, key);
    ShowFileIcon(dialog, state, key);

    if (form.opened != nullptr)
        form.opened(item);
    char name[kAlertText];
    form.name(item, version.slot[VS_ProductName], name, sizeof name);
    SetDlgItemTextA(dialog, IDC_ALERT_NAME, name);
    SetAlertItemFont(dialog, IDC_ALERT_NAME, FONT_LargeArial);
    // Whatever the answer, the history shows that the user was asked.
    if (form.openRecord != kNoAlertRecord)
        WriteHistoryRecord(form.recordsProductName ? version.slot[VS_ProductName] : name, key,
                           version.slot[VS_FileDescription],
                           form.recordKind != 0 ? form.recordKind : item.kindCode,
                           form.openRecord);

    SetFact(dialog, IDC_ALERT_VERSION, version.slot[VS_ProductVersion]);
    SetFact(dialog, IDC_ALERT_COMPANY, version.slot[VS_CompanyName]);
    SetFact(dialog, IDC_ALERT_DESCRIPTION, version.slot[VS_FileDescription]);
    // Only some templates have the copyright line.
    if (GetDlgItem(dialog, IDC_ALERT_COPYRIGHT) != nullptr)
        SetFact(dialog, IDC_ALERT_COPYRIGHT, version.slot[VS_LegalCopyright]);

    form.message(dialog, item);
    SetItemText(dialog, IDYES, IDS_YES);
    SetItemText(dialog, IDNO, form.noText);
    SetItemText(dialog, IDC_ALERT_INFO, IDS_ONLINE_INFO);

    PlaceAlertOnTop(dialog, kItemAlertPosition);
    return TRUE;
}

void OnCommand(HWND dialog, ItemAlertState &state, int command)
{
    const AlertContext &item = state.item;
    if (command == IDC_ALERT_INFO) {
        OnlineLookup(item.kindCode + kLookupFromAlert, item.itemPath, item.itemTitle);
        LetOpenedWindowInFront(dialog);
        return;
    }
    if (int answer = state.form.answer(command, item))
        EndDialog(dialog, answer);
}

void SaveItemAlertPosition(HWND dialog)
{
    const AlertPositionNames &names = kItemAlertPosition;
    SaveAlertPosition(dialog, names.x, names.y, names.width, names.height);
}

INT_PTR CALLBACK ItemAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<ItemAlertState>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, *state);
    case WM_COMMAND:
        if (state == nullptr)
            return FALSE;
        OnCommand(dialog, *state, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        // Not handled: the dialog manager turns it into the cancel command.
        SaveItemAlertPosition(dialog);
        return FALSE;
    case WM_DESTROY:
        SaveItemAlertPosition(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void SetAlertItemFont(HWND dialog, int item, AlertFont font)
{
    SendDlgItemMessageA(dialog, item, WM_SETFONT, reinterpret_cast<WPARAM>(GetAlertFont(font)),
                        FALSE);
}

int ShowItemAlert(const ItemAlertForm &form, const AlertContext &item)
{
    ItemAlertState state{form, item, {}};
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(form.templateId),
                        Monitor().mainWindow, ItemAlertProc, reinterpret_cast<LPARAM>(&state));
    return result > 0 ? static_cast<int>(result) : 0;
}

int YesNoAnswer(int command)
{
    switch (command) {
    case IDYES:
    case IDCANCEL:
        return ANSWER_Approve;
    case IDNO:
        return ANSWER_Reject;
    default:
        return 0;
    }
}

void PlaceAlertOnTop(HWND dialog, const AlertPositionNames &place)
{
    RestoreAlertPosition(dialog, place.x, place.y);
    // DS_SYSMODAL alone leaves the alert behind other programs' windows under Wine.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void LetOpenedWindowInFront(HWND dialog)
{
    SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

HICON ProgramIcon(const char *file, IconOwner &owned)
{
    if (!FileExists(file))
        return nullptr;
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file, 0);
    // 1 means the file is no program; null, a program without icons. Either way the user sees
    // the plain program icon, as the shell would show it (shared: never destroyed).
    if (reinterpret_cast<UINT_PTR>(icon) <= 1)
        return LoadIconA(nullptr, IDI_APPLICATION);
    owned.Reset(icon);
    return icon;
}

// The alert dialogs: what the user is shown about a new or changed item, and the answer given.
#include "alerts.h"

#include <cstdlib>
#include <cstring>

#include "bounded.h"
#include "files.h"
#include "fonts.h"
#include "help.h"
#include "keys.h"
#include "lookup.h"
#include "monitor.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

const AlertPositionNames kItemAlertPosition = {"xPosAlert", "yPosAlert", "dxAlert", "dyAlert"};
const AlertPositionNames kSystemFilePosition = {"xPosSysFiles", "yPosSysFiles", "dxSysFiles",
                                                "dySysFiles"};

namespace {

constexpr size_t kTextLength = 1024;

AlertRepeat g_repeat{};

// The file's icon shown on the icon button; the button itself never frees it.

enum ItemAlertKind { ALERT_NewProgram, ALERT_DelayedProgram };

// What sets the item alerts built so far apart from each other.
struct ItemAlertForm {
    int templateId;
    UINT caption;
    UINT versionLabel;
    UINT noText;
};

const ItemAlertForm kForms[] = {
    {IDD_ALERT_NEW_PROGRAM, IDS_ALERT_CAPTION, IDS_VERSION_LABEL, IDS_NO},
    {IDD_ALERT_DELAYED_PROGRAM, IDS_DELAY_COMEBACK_CAPTION, IDS_VERSION_LABEL, IDS_DISABLE},
};

// One open item alert; lives on the opener's stack for the dialog's whole life.
struct ItemAlertState {
    ItemAlertKind kind;
    const AlertContext &item;
    IconOwner fileIcon;
};

void SetFont(HWND dialog, int item, AlertFont font)
{
    SendDlgItemMessageA(dialog, item, WM_SETFONT, reinterpret_cast<WPARAM>(GetAlertFont(font)),
                        FALSE);
}

// A field keeps the template's own text when the file tells nothing.
void SetFact(HWND dialog, int item, const char *text)
{
    if (text[0] != '\0')
        SetDlgItemTextA(dialog, item, text);
}

void ShowFileIcon(HWND dialog, ItemAlertState &state, const char *file)
{
    if (!FileExists(file))
        return;
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file, 0);
    // 1 means the file is no program; null, a program without icons. Either way the user sees
    // the plain program icon, as the shell would show it (shared: never destroyed).
    if (reinterpret_cast<UINT_PTR>(icon) <= 1)
        icon = LoadIconA(nullptr, IDI_APPLICATION);
    else
        state.fileIcon.Reset(icon);
    SendDlgItemMessageA(dialog, IDC_ALERT_ICON, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(icon));
}

void ShowNewProgramMessage(HWND dialog, const AlertContext &item)
{
    char message[kTextLength];
    // The sentence is what the bold face is for; an override stands in the dialog's own font.
    if (NewProgramMessage(item.kindCode, message, sizeof message))
        SetFont(dialog, IDC_ALERT_MESSAGE, FONT_BoldSansSerif);
    SetDlgItemTextA(dialog, IDC_ALERT_MESSAGE, message);
}

BOOL OnInit(HWND dialog, ItemAlertState &state)
{
    const AlertContext &item = state.item;
    const ItemAlertForm &form = kForms[state.kind];
    char caption[kTextLength];
    SetItemText(dialog, IDC_ALERT_VERSION_LABEL, form.versionLabel);
    if (LoadText(form.caption, caption) > 0)
        SetWindowTextA(dialog, caption);

    char key[kAlertText];
    CleanPath(item.itemPath, key, sizeof key);
    VersionRecord version;
    ReadVersionInfo(key, &version);

    SetDlgItemTextA(dialog, IDC_ALERT_PATH, item.itemPath);
    SetFont(dialog, IDC_ALERT_PATH, FONT_BoldSansSerif);
    ShowFileIcon(dialog, state, key);

    char name[kAlertText];
    if (state.kind == ALERT_NewProgram) {
        NoteAlertedPath(item.itemPath);
        NewProgramName(item.kindCode, version.slot[VS_ProductName], name, sizeof name);
    } else {
        CopyBounded(name, version.slot[VS_ProductName]);
    }
    SetDlgItemTextA(dialog, IDC_ALERT_NAME, name);
    SetFont(dialog, IDC_ALERT_NAME, FONT_LargeArial);

    SetFact(dialog, IDC_ALERT_VERSION, version.slot[VS_ProductVersion]);
    SetFact(dialog, IDC_ALERT_COMPANY, version.slot[VS_CompanyName]);
    SetFact(dialog, IDC_ALERT_DESCRIPTION, version.slot[VS_FileDescription]);

    if (state.kind == ALERT_NewProgram)
        ShowNewProgramMessage(dialog, item);
    else
        SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_DELAY_COMEBACK);
    SetItemText(dialog, IDYES, IDS_YES);
    SetItemText(dialog, IDNO, form.noText);
    SetItemText(dialog, IDC_ALERT_INFO, IDS_ONLINE_INFO);

    RestoreAlertPosition(dialog, kItemAlertPosition.x, kItemAlertPosition.y);
    // DS_SYSMODAL alone leaves the alert behind other programs' windows under Wine.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

void OnCommand(HWND dialog, ItemAlertState &state, int command)
{
    const AlertContext &item = state.item;
    if (command == IDC_ALERT_INFO) {
        OnlineLookup(item.kindCode + 1000, item.itemPath, item.itemTitle);
        // Out of the topmost order, so the browser can come in front; the alert stays open.
        SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        return;
    }
    if (state.kind == ALERT_DelayedProgram) {
        if (int answer = DelayedProgramAnswer(command))
            EndDialog(dialog, answer);
        return;
    }
    int answer = NewProgramAnswer(command, item.kindCode, g_repeat.counter);
    if (answer == 0)
        return;
    if (g_repeat.counter >= kRepeatLimit) {
        // The program keeps putting itself back: explain, and disable it rather than ask again.
        OpenHelpPage(IDM_HELP_ME);
        ResetAlertCounters();
    }
    EndDialog(dialog, answer);
}

void SaveItemAlertPosition(HWND dialog)
{
    const AlertPositionNames &names = kItemAlertPosition;
    SaveAlertPosition(dialog, names.x, names.y, names.width, names.height);
}

INT_PTR CALLBACK ItemAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = reinterpret_cast<ItemAlertState *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return OnInit(dialog, *reinterpret_cast<ItemAlertState *>(lParam));
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

int ShowItemAlert(ItemAlertKind kind, const AlertContext &item)
{
    ItemAlertState state{kind, item, {}};
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kForms[kind].templateId),
                        Monitor().mainWindow, ItemAlertProc, reinterpret_cast<LPARAM>(&state));
    return result > 0 ? static_cast<int>(result) : 0;
}

} // namespace

AlertRepeat &TheAlertRepeat() { return g_repeat; }

void ResetAlertCounters()
{
    g_repeat.counter = 0;
    g_repeat.lastPath[0] = '\0';
}

void NoteAlertedPath(const char *itemPath)
{
    if (EqualsNoCase(itemPath, g_repeat.lastPath))
        ++g_repeat.counter;
    CopyBounded(g_repeat.lastPath, itemPath);
}

int ShowNewProgramAlert(const AlertContext &item) { return ShowItemAlert(ALERT_NewProgram, item); }
int ShowDelayedProgramAlert(const AlertContext &item)
{
    return ShowItemAlert(ALERT_DelayedProgram, item);
}

UINT LocationSentenceId(int kindCode)
{
    switch (kindCode) {
    case 2: case 3: case 5: case 6:
    case 12: case 13: case 15: case 16:
    case 22: case 23: case 25: case 26:
        return IDS_LOCATION_RUNONCE;
    case 100: case 101:
        return IDS_LOCATION_WIN_INI;
    case 200:
        return IDS_LOCATION_STARTUP_FOLDER;
    default:
        return IDS_LOCATION_RUN;
    }
}

int NewProgramMessage(int kindCode, char *out, size_t capacity)
{
    char text[kTextLength];
    LoadText(IDS_NEW_STARTUP_PROGRAM, text);
    char sentence[kTextLength];
    LoadText(LocationSentenceId(kindCode), sentence);
    return InsertAtMark(text, sentence, out, capacity);
}

int NewProgramName(int kindCode, const char *productName, char *out, size_t capacity)
{
    // Entries of these hooks carry the hook's name: the product name alone would hide where
    // the program attached itself.
    static const struct {
        int kindCode;
        const char *name;
    } kHookNames[] = {{250, "WinLogon:UserInit"}, {251, "WinLogon:Shell"},
                      {252, "ObjectDelayLoad"},   {253, "SharedTaskScheduler"},
                      {255, "AppInit_DLLs"}};
    if (productName == nullptr)
        productName = "";
    if (productName[0] != '\0') {
        for (const auto &hook : kHookNames)
            if (hook.kindCode == kindCode)
                return CopyBounded(out, capacity, hook.name);
    }
    return CopyBounded(out, capacity, productName);
}

int NewProgramAnswer(int command, int kindCode, int repeatCounter)
{
    if (command != IDYES && command != IDNO && command != IDCANCEL)
        return 0;
    if (repeatCounter >= kRepeatLimit)
        return ANSWER_Disable;
    if (command == IDNO)
        return kindCode == 256 ? ANSWER_Disable : ANSWER_Reject;  // a Notify entry is disabled
    return ANSWER_Approve;
}

int DelayedProgramAnswer(int command)
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


// The patrol-time, standing-answer and protection dialogs.
#include "dialogs.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "area.h"
#include "bounded.h"
#include "dialog_state.h"
#include "placement.h"
#include "explorer_dialogs.h"
#include "files.h"
#include "keys.h"
#include "registry.h"
#include "startup_actions.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr size_t kTextLength = 1024;
constexpr int kPatrolMaximum = 30;
constexpr int kPatrolPage = 3;
constexpr int kPatrolDigits = 2;

// ---- Patrol time ----

struct PatrolRequest {
    UINT titleId;
    int minutes;
    OptionId realtime;
};

void FollowField(HWND dialog)
{
    BOOL number = FALSE;
    UINT minutes = GetDlgItemInt(dialog, IDC_PATROL_FIELD, &number, FALSE);
    SendDlgItemMessageA(dialog, IDC_PATROL_SLIDER, TBM_SETPOS, TRUE, number ? minutes : 0);
}

void FollowSlider(HWND dialog)
{
    int position =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATROL_SLIDER, TBM_GETPOS, 0, 0));
    BOOL number = FALSE;
    UINT shown = GetDlgItemInt(dialog, IDC_PATROL_FIELD, &number, FALSE);
    // Writing the same number back would move the caret for nothing.
    if (!number || static_cast<int>(shown) != position)
        SetDlgItemInt(dialog, IDC_PATROL_FIELD, position, FALSE);
}

BOOL OnPatrolInit(HWND dialog, const PatrolRequest &request)
{
    char title[kTextLength];
    if (LoadText(request.titleId, title) > 0)
        SetWindowTextA(dialog, title);
    SetItemText(dialog, IDC_PATROL_PROMPT, IDS_PATROL_PROMPT);
    SetItemText(dialog, IDC_PATROL_UNIT, IDS_PATROL_MINUTES);
    SetItemText(dialog, IDC_PATROL_ZERO_HINT, IDS_PATROL_ZERO_DISABLES);
    SetItemText(dialog, IDC_PATROL_REALTIME, IDS_MONITOR_REALTIME);
    SendDlgItemMessageA(dialog, IDC_PATROL_FIELD, EM_LIMITTEXT, kPatrolDigits, 0);
    SendDlgItemMessageA(dialog, IDC_PATROL_SLIDER, TBM_SETRANGE, TRUE,
                        MAKELPARAM(0, kPatrolMaximum));
    SendDlgItemMessageA(dialog, IDC_PATROL_SLIDER, TBM_SETPAGESIZE, 0, kPatrolPage);
    SetDlgItemInt(dialog, IDC_PATROL_FIELD, request.minutes < 0 ? 0 : request.minutes, FALSE);
    FollowField(dialog);
    HWND box = GetDlgItem(dialog, IDC_PATROL_REALTIME);
    if (request.realtime == kNoRealtime) {
        ShowWindow(box, SW_HIDE);
        EnableWindow(box, FALSE);
    } else {
        CheckDlgButton(dialog, IDC_PATROL_REALTIME,
                       Option(request.realtime) != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
    CentreOnScreen(dialog);
    return TRUE;
}

void OnPatrolOk(HWND dialog, const PatrolRequest &request)
{
    if (request.realtime != kNoRealtime) {
        int on = IsDlgButtonChecked(dialog, IDC_PATROL_REALTIME) == BST_CHECKED ? 1 : 0;
        StoreOption(request.realtime, on);
    }
    BOOL number = FALSE;
    UINT minutes = GetDlgItemInt(dialog, IDC_PATROL_FIELD, &number, FALSE);
    EndDialog(dialog, number ? static_cast<INT_PTR>(minutes) : 0);
}

INT_PTR CALLBACK PatrolTimeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *request = DialogState<PatrolRequest>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return OnPatrolInit(dialog, *request);
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_PATROL_SLIDER))
            FollowSlider(dialog);
        return TRUE;
    case WM_COMMAND:
        if (request == nullptr)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_PATROL_FIELD:
            if (HIWORD(wParam) == EN_CHANGE)
                FollowField(dialog);
            return TRUE;
        case IDOK:
            OnPatrolOk(dialog, *request);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, -1);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// ---- Standing answers ----

// The template's controls of each area with a standing answer; the option is the area's.
struct StandingRow {
    AreaId area;
    int check;
    int allow;
    int deny;
    UINT text;  // 0: the template's own text stands
};

constexpr StandingRow kStandingRows[] = {
    {AREA_Start, IDC_HIDE_STARTUP, IDC_HIDE_ALLOW_STARTUP, IDC_HIDE_DENY_STARTUP,
     IDS_HIDE_STARTUP},
    {AREA_IEHelpers, IDC_HIDE_IE, IDC_HIDE_ALLOW_IE, IDC_HIDE_DENY_IE, IDS_HIDE_IE_HELPERS},
    {AREA_Tasks, IDC_HIDE_TASKS, IDC_HIDE_ALLOW_TASKS, IDC_HIDE_DENY_TASKS, IDS_HIDE_TASKS},
    {AREA_Services, IDC_HIDE_SERVICES, IDC_HIDE_ALLOW_SERVICES, IDC_HIDE_DENY_SERVICES,
     IDS_HIDE_SERVICES},
    {AREA_ActiveX, IDC_HIDE_ACTIVEX, IDC_HIDE_ALLOW_ACTIVEX, IDC_HIDE_DENY_ACTIVEX,
     IDS_HIDE_ACTIVEX},
    {AREA_Hidden, IDC_HIDE_HIDDEN, IDC_HIDE_ALLOW_HIDDEN, IDC_HIDE_DENY_HIDDEN, IDS_HIDE_HIDDEN},
    {AREA_FileType, IDC_HIDE_FILETYPE, IDC_HIDE_ALLOW_FILETYPE, IDC_HIDE_DENY_FILETYPE, 0},
    {AREA_HostFile, IDC_HIDE_SYSFILES, IDC_HIDE_ALLOW_SYSFILES, IDC_HIDE_DENY_SYSFILES,
     IDS_HIDE_SYSTEM_FILES},
    {AREA_StartPage, IDC_HIDE_HOMEPAGE, IDC_HIDE_ALLOW_HOMEPAGE, IDC_HIDE_DENY_HOMEPAGE,
     IDS_HIDE_HOME_PAGES},
};

OptionId StandingOption(const StandingRow &row)
{
    return static_cast<OptionId>(Area(row.area).standingAnswer);
}
constexpr int kStandingRowCount = sizeof kStandingRows / sizeof kStandingRows[0];

// The options as they stood when the dialog opened, for Cancel.
struct StandingState {
    int32_t before[kStandingRowCount];
};

void ShowStandingRows(HWND dialog)
{
    for (const StandingRow &row : kStandingRows) {
        int value = Option(StandingOption(row));
        bool hidden = value == 1 || value == 2;
        CheckDlgButton(dialog, row.check, hidden ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, row.allow, value == 1 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, row.deny, value == 2 ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(dialog, row.allow), hidden);
        EnableWindow(GetDlgItem(dialog, row.deny), hidden);
    }
}

BOOL OnStandingInit(HWND dialog, StandingState &state)
{
    SetCaptionText(dialog, IDS_HIDE_ALERTS_CAPTION);
    SetItemText(dialog, IDC_HIDE_INTRO, IDS_HIDE_ALERTS_INTRO);
    SetItemText(dialog, IDC_HIDE_ALLOW_HEADING, IDS_ALWAYS_ALLOW);
    SetItemText(dialog, IDC_HIDE_DENY_HEADING, IDS_DENY_ALL);
    for (int index = 0; index < kStandingRowCount; ++index) {
        const StandingRow &row = kStandingRows[index];
        if (row.text != 0)
            SetItemText(dialog, row.check, row.text);
        state.before[index] = Option(StandingOption(row));
    }
    ShowStandingRows(dialog);
    CentreOnScreen(dialog);
    return TRUE;
}

// 1 when the command was one of a row's buttons.
int OnStandingClick(HWND dialog, int command)
{
    for (const StandingRow &row : kStandingRows) {
        int32_t &value = TheSettings().option[StandingOption(row)];
        if (command == row.check)
            value = ToggledStandingAnswer(value);
        else if (command == row.allow)
            value = 1;
        else if (command == row.deny)
            value = 2;
        else
            continue;
        ShowStandingRows(dialog);
        return 1;
    }
    return 0;
}

INT_PTR CALLBACK StandingAnswerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<StandingState>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return OnStandingInit(dialog, *state);
    case WM_COMMAND: {
        if (state == nullptr)
            return FALSE;
        int command = LOWORD(wParam);
        if (command == IDOK) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (command == IDCANCEL) {
            for (int index = 0; index < kStandingRowCount; ++index)
                TheSettings().option[StandingOption(kStandingRows[index])] = state->before[index];
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return OnStandingClick(dialog, command) ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}

// ---- Protection ----

constexpr char kWarningX[] = "xDefaultWarning";
constexpr char kWarningY[] = "yDefaultWarning";
constexpr char kWarningWidth[] = "dxDefaultWarning";
constexpr char kWarningHeight[] = "dyDefaultWarning";

struct ProtectionRequest {
    const char *title;
    const char *path;
};


BOOL OnProtectionInit(HWND dialog, const ProtectionRequest &request)
{
    // The product's name: the Explorer's own caption is "Loading..." until its sheet is up.
    SetCaptionText(dialog, IDS_CAPTION);
    SetItemText(dialog, IDC_PROTECT_TEXT, IDS_PROTECTED_ENTRY);
    SetItemText(dialog, IDC_PROTECT_CONSENT, IDS_REALLY_REMOVE);
    SetDlgItemTextA(dialog, IDC_PROTECT_PATH, request.path);
    char line[kTextLength];
    ProtectedEntryLine(request.title, request.path, line, sizeof line);
    SetDlgItemTextA(dialog, IDC_PROTECT_TITLE, line);
    RestoreAlertPosition(dialog, kWarningX, kWarningY);
    // A question about removing a system setting must not hide behind other windows.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

INT_PTR CALLBACK ProtectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnProtectionInit(dialog, *reinterpret_cast<ProtectionRequest *>(lParam));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            SaveAlertPosition(dialog, kWarningX, kWarningY, kWarningWidth, kWarningHeight);
            EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_PROTECT_CONSENT) == BST_CHECKED
                                  ? IDYES
                                  : IDNO);
            return TRUE;
        case IDCANCEL:
            // Escape or the close box: a way out, never a consent.
            SaveAlertPosition(dialog, kWarningX, kWarningY, kWarningWidth, kWarningHeight);
            EndDialog(dialog, IDNO);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

void CentreOnScreen(HWND dialog)
{
    RECT rect;
    if (!GetWindowRect(dialog, &rect))
        return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 3;
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ShowPatrolTimeDialog(HWND owner, UINT titleId, int minutes, OptionId realtime)
{
    PatrolRequest request{titleId, minutes, realtime};
    INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PATROL_TIME), owner,
                        PatrolTimeProc, reinterpret_cast<LPARAM>(&request));
    // A dialog that could not be shown changes nothing, like a cancelled one.
    return answer < 0 ? -1 : static_cast<int>(answer);
}

int StorePatrolTime(OptionId period, int answer)
{
    if (answer < 0)
        return 0;
    return StoreOption(period, answer);
}

OptionId RealtimeOptionOf(OptionId period)
{
    const AreaRow *area = AreaOfPeriod(period);
    return area != nullptr && area->realtime != OPT_None ? static_cast<OptionId>(area->realtime)
                                                         : kNoRealtime;
}

int ToggledStandingAnswer(int value) { return value <= 0 ? 1 : 0; }

int ShowStandingAnswerDialog(HWND owner)
{
    StandingState state{};
    INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_STANDING_ANSWERS), owner,
                        StandingAnswerProc, reinterpret_cast<LPARAM>(&state));
    return answer == IDOK ? IDOK : IDCANCEL;
}

int ProtectedEntryLine(const char *title, const char *path, char *out, size_t capacity)
{
    char program[MAX_PATH];
    CleanPath(path != nullptr ? path : "", program, sizeof program);
    VersionRecord version;
    ReadVersionInfo(program, &version);
    if (!FindNoCase(version.slot[VS_LegalCopyright], "Microsoft"))
        return CopyBounded(out, capacity, title);
    char text[kTextLength];
    LoadText(IDS_MICROSOFT_SYSTEM_FILE, text);
    char *mark = strstr(text, "%s");
    if (mark == nullptr)
        return CopyBounded(out, capacity, text);
    // Put in by hand: a "%" in a translation or a title must not be read as a format.
    *mark = '\0';
    int whole = CopyBounded(out, capacity, text);
    whole &= AppendBounded(out, capacity, title);
    whole &= AppendBounded(out, capacity, mark + 2);
    return whole;
}

int AskProtectedRemoval(HWND owner, const char *title, const char *path)
{
    ProtectionRequest request{title != nullptr ? title : "", path != nullptr ? path : ""};
    INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROTECTION), owner,
                        ProtectionProc, reinterpret_cast<LPARAM>(&request));
    return answer == IDYES ? IDYES : IDNO;
}

void UseProtectionDialog() { SetAdvancedRemovalQuestion(AskProtectedRemoval); }

namespace {

struct SortContext {
    const std::vector<std::string> *keys;
    bool descending;
};

int CALLBACK CompareKeys(LPARAM left, LPARAM right, LPARAM context)
{
    const auto &sort = *reinterpret_cast<const SortContext *>(context);
    const std::string &a = (*sort.keys)[static_cast<size_t>(left)];
    const std::string &b = (*sort.keys)[static_cast<size_t>(right)];
    int order = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) -
                CSTR_EQUAL;
    if (sort.descending)
        order = -order;
    if (order == 0)
        order = left < right ? -1 : (left > right ? 1 : 0);
    return order;
}

} // namespace

void SortRowsByKeys(HWND list, const std::vector<std::string> &keys, bool descending)
{
    SortContext context{&keys, descending};
    SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                 reinterpret_cast<LPARAM>(CompareKeys));
}

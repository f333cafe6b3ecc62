#include "info_dialog.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "bounded.h"
#include "datetexts.h"
#include "detected.h"
#include "dialog_state.h"
#include "dialogs.h"
#include "entries.h"
#include "files.h"
#include "folders.h"
#include "history.h"
#include "historyline.h"
#include "ids.h"
#include "iehelpers.h"
#include "lookup.h"
#include "owned.h"
#include "page_host.h"
#include "placement.h"
#include "processes.h"
#include "services.h"
#include "startup.h"
#include "strings.h"
#include "tasks.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr char kPlaceX[] = "xInfo";
constexpr char kPlaceY[] = "yInfo";
constexpr char kPlaceWidth[] = "dxInfo";
constexpr char kPlaceHeight[] = "dyInfo";
constexpr size_t kNoteLimit = 16384;
// The dialog's height in dialog units, expanded and shrunk, and where its bottom row sits.
constexpr int kExpandedHeight = 262;
constexpr int kShrunkHeight = 150;
constexpr int kExpandedRow = 243;
constexpr int kShrunkRow = 131;
constexpr int kBottomRow[] = {IDC_INFO_LOOKUP, IDC_INFO_NOTE_BUTTON, IDC_INFO_PREVIOUS,
                              IDC_INFO_NEXT, IDOK};
constexpr int kExpandedPart[] = {IDC_INFO_CREATED_LABEL, IDC_INFO_CREATED, IDC_INFO_WRITTEN_LABEL,
                                 IDC_INFO_WRITTEN,       IDC_INFO_SIZE_LABEL, IDC_INFO_SIZE,
                                 IDC_INFO_DETECTED_LABEL, IDC_INFO_DETECTED, IDC_INFO_NOTE};
constexpr int kServiceStarts[] = {2, 3, 4};
constexpr UINT kServiceStartTexts[] = {IDS_START_AUTOMATIC, IDS_START_MANUAL, IDS_START_DISABLED};

// Reopens as it was last left.
bool g_expanded = true;

struct InfoState {
    int entry;
    int kind = 0;
    std::string title;
    std::string path;   // as listed
    std::string file;   // the program file
    int shownStart = -1;  // a service's start type when it was shown
    IconOwner icon;
};

bool IsService(int kind) { return kind == 700 || kind == 701; }

void Show(HWND dialog, int id, bool shown)
{
    ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

void SetText(HWND dialog, int id, const std::string &text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

std::string Loaded(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}

void ShowIcon(HWND dialog, InfoState &state)
{
    std::string file = state.file;
    // Toolbars and extensions show the picture of the file their description names.
    if (state.kind == 901 || state.kind == 902) {
        char description[kDescriptionWidth + 1];
        EntryDescription(state.entry, description, sizeof description);
        char clean[MAX_PATH];
        CleanPath(description, clean, sizeof clean);
        file = clean;
    }
    HICON large = nullptr;
    if (FileExists(file.c_str()))
        ExtractIconExA(file.c_str(), 0, &large, nullptr, 1);
    SendDlgItemMessageA(dialog, IDC_INFO_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(large != nullptr ? large
                                                                  : LoadIconA(nullptr, IDI_APPLICATION)),
                        0);
    state.icon.Reset(large);
}

// The run state of anything but a service: what runs, what could, what is gone.
void ShowRunState(HWND dialog, const InfoState &state)
{
    const bool exists = FileExists(state.file.c_str());
    const bool running = exists && FindProcessForFile(state.file.c_str()) != 0;
    if (state.kind >= 900) {
        SetText(dialog, IDC_INFO_STATE, exists ? "" : Loaded(IDS_LOCAL_FILE_NOT_FOUND));
        Show(dialog, IDC_INFO_STOP, false);
        Show(dialog, IDC_INFO_RUN, false);
        return;
    }
    SetText(dialog, IDC_INFO_STATE,
            Loaded(running ? IDS_RUNNING : exists ? IDS_READY : IDS_LOCAL_FILE_NOT_FOUND));
    Show(dialog, IDC_INFO_STOP, running);
    Show(dialog, IDC_INFO_RUN, exists && !running);
}

void ShowService(HWND dialog, InfoState &state)
{
    SetItemText(dialog, IDC_INFO_STOP, IDS_STOP);
    Show(dialog, IDC_INFO_RUN, false);
    const int start = GetServiceStartType(state.title.c_str());
    int choice = -1;
    for (int i = 0; i < 3; ++i)
        if (kServiceStarts[i] == start)
            choice = i;
    state.shownStart = start;
    if (choice < 0) {
        // A service without a start type of these three shows none of the service controls.
        Show(dialog, IDC_INFO_STOP, false);
        return;
    }
    SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, choice, 0);
    for (int id : {IDC_INFO_START_TYPE, IDC_INFO_START_TYPE_LABEL, IDC_INFO_APPLY})
        Show(dialog, id, true);
    char status[256] = "";
    const bool answers = GetServiceStatusText(state.title.c_str(), status, sizeof status) > 0;
    SetText(dialog, IDC_INFO_STATE, status);
    Show(dialog, IDC_INFO_STOP, true);
    EnableWindow(GetDlgItem(dialog, IDC_INFO_STOP), answers);
}

// The text the note area shows when the program has no note: the kind's own, or the entry's
// description, or the explanation.
std::string StandardText(HWND dialog, const InfoState &state, const VersionRecord &version)
{
    char text[2048] = "";
    EntryDescription(state.entry, text, sizeof text);
    std::string standard = text[0] != '\0' ? text : Loaded(IDS_NOTE_EXPLANATION);
    char detail[kDetailWidth + 1];
    EntryDetail(state.entry, detail, sizeof detail);
    if (state.kind >= 250 && state.kind <= 256) {
        if (FindServiceDescription(state.file.c_str(), text, sizeof text) > 0)
            return text;
        if (ContainsNoCase(version.slot[VS_CompanyName], "Microsoft")) {
            char form[512], line[768];
            LoadText(IDS_UNDOCUMENTED_SYSTEM_FILE, form);
            FormatBounded(line, sizeof line, form, state.title.c_str());
            return std::string(line) + "\r\n\r\n" + Loaded(IDS_NOTE_EXPLANATION);
        }
        return Loaded(IDS_NOTE_EXPLANATION);
    }
    switch (state.kind) {
    case 400:
        SetText(dialog, IDC_INFO_LOCATION, "");
        return Loaded(IDS_FILE_TYPE_EXTENSION) + text;
    case 600:
        SetText(dialog, IDC_INFO_LOCATION, "");
        return FindServiceDescription(state.file.c_str(), text, sizeof text) > 0 ? text : standard;
    case 800: {
        char status[256] = "", comment[1024] = "";
        GetTaskStatusText(state.title.c_str(), status, sizeof status);
        GetTaskComment(state.title.c_str(), comment, sizeof comment);
        return std::string(status) + (status[0] != '\0' ? "\r\n" : "") + comment;
    }
    case 900:
    case 901:
    case 902:
        SetText(dialog, IDC_INFO_LOCATION,
                Loaded(IDS_LOCATION) + ": \"HKLM\\" + HelperKeyOfKind(state.kind) + "\"");
        return standard;
    case 1200:
        SetText(dialog, IDC_INFO_LOCATION, Loaded(IDS_CLSID) + ": " + detail);
        return standard;
    default:
        return standard;
    }
}

bool ReadNote(const std::string &file, std::string &text)
{
    Handle in(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
    if (!in)
        return false;
    text.assign(kNoteLimit, '\0');
    DWORD got = 0;
    if (!ReadFile(in.get(), &text[0], kNoteLimit, &got, nullptr))
        got = 0;
    text.resize(got);
    return true;
}

bool WriteNote(const std::string &file, const std::string &text)
{
    Handle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && (text.empty() || (WriteFile(out.get(), text.data(),
                                              static_cast<DWORD>(text.size()), &written,
                                              nullptr) &&
                                    written == text.size()));
}

std::string NoteFileOf(const InfoState &state)
{
    char note[MAX_PATH] = "";
    NoteFilePath(state.path.c_str(), note, sizeof note);
    return note;
}

void ShowNote(HWND dialog, const InfoState &state, const VersionRecord &version)
{
    std::string note;
    const bool has = ReadNote(NoteFileOf(state), note);
    SendDlgItemMessageA(dialog, IDC_INFO_NOTE, EM_SETREADONLY, has ? FALSE : TRUE, 0);
    SetItemText(dialog, IDC_INFO_NOTE_BUTTON, has ? IDS_SAVE_NOTE : IDS_CREATE_NOTE);
    SetText(dialog, IDC_INFO_NOTE, has ? note : StandardText(dialog, state, version));
    // A loaded note is saved only once it has changed.
    EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), !has);
}

void ShowEntry(HWND dialog, InfoState &state)
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), FALSE);
    for (int id : {IDC_INFO_APPLY, IDC_INFO_START_TYPE, IDC_INFO_START_TYPE_LABEL})
        Show(dialog, id, false);
    SetItemText(dialog, IDC_INFO_STOP, IDS_KILL_TASK);
    EnableWindow(GetDlgItem(dialog, IDC_INFO_STOP), TRUE);

    state.title = EntryWholeTitle(state.entry);
    state.path = EntryWholePath(state.entry);
    state.kind = EntryKind(state.entry);
    char file[MAX_PATH];
    CleanPath(state.path.c_str(), file, sizeof file);
    state.file = file;
    SetWindowTextA(dialog, state.title.c_str());
    SetText(dialog, IDC_INFO_PATH, state.file);
    ShowIcon(dialog, state);

    char location[512] = "";
    if (!IsService(state.kind)) {
        char text[400];
        GetLocationText(state.entry, text, sizeof text);
        FormatBounded(location, sizeof location, "%s%s", Loaded(IDS_STARTUP_LOCATION).c_str(), text);
        ShowRunState(dialog, state);
    } else {
        ShowService(dialog, state);
    }
    SetText(dialog, IDC_INFO_LOCATION, location);
    Show(dialog, IDC_INFO_STATUS_LABEL, IsService(state.kind));
    if (!FileExists(state.file.c_str()))
        SetText(dialog, IDC_INFO_STATE, Loaded(IDS_LOCAL_FILE_NOT_FOUND));

    static VersionRecord version;
    ReadVersionInfo(state.file.c_str(), &version);
    SetText(dialog, IDC_INFO_PRODUCT, version.slot[VS_ProductName]);
    SetText(dialog, IDC_INFO_COMPANY, version.slot[VS_CompanyName]);
    SetText(dialog, IDC_INFO_VERSION, version.slot[VS_ProductVersion]);
    SetText(dialog, IDC_INFO_DESCRIPTION,
            version.slot[VS_FileDescription][0] != '\0' ? version.slot[VS_FileDescription]
                                                        : state.title.c_str());
    SetText(dialog, IDC_INFO_COPYRIGHT, version.slot[VS_LegalCopyright]);
    FileFactsRecord facts{};
    FileFacts(state.file.c_str(), state.kind, &facts);
    SetText(dialog, IDC_INFO_CREATED, facts.created);
    SetText(dialog, IDC_INFO_WRITTEN, facts.written);
    SetText(dialog, IDC_INFO_SIZE, facts.size);
    SetText(dialog, IDC_INFO_DETECTED, facts.firstDetected);
    ShowNote(dialog, state, version);
    SetCursor(previous);
    SetFocus(GetDlgItem(dialog, IDC_INFO_NOTE));
}

// Expanded, the file's facts and the note are shown and the bottom row sits below them.
void Lay(HWND dialog)
{
    for (int id : kExpandedPart)
        Show(dialog, id, g_expanded);
    RECT row = {0, g_expanded ? kExpandedRow : kShrunkRow, 0,
                g_expanded ? kExpandedHeight : kShrunkHeight};
    MapDialogRect(dialog, &row);
    for (int id : kBottomRow) {
        HWND button = GetDlgItem(dialog, id);
        RECT rect;
        GetWindowRect(button, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
        SetWindowPos(button, nullptr, rect.left, row.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    const int frame = (window.bottom - window.top) - client.bottom;
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, row.bottom + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetItemText(dialog, IDC_INFO_EXPAND, g_expanded ? IDS_SHRINK_WINDOW : IDS_EXPAND_INFO);
}

BOOL OnInit(HWND dialog, InfoState &state)
{
    const struct {
        int id;
        UINT text;
    } labels[] = {
        {IDC_INFO_COMPANY_LABEL, IDS_COMPANY_LABEL},   {IDC_INFO_VERSION_LABEL, IDS_VERSION_COLON},
        {IDC_INFO_COPYRIGHT_LABEL, IDS_COPYRIGHT_LABEL}, {IDC_INFO_STATUS_LABEL, IDS_STATUS_LABEL},
        {IDC_INFO_START_TYPE_LABEL, IDS_STARTUP_TYPE_LABEL}, {IDC_INFO_CREATED_LABEL, IDS_DATE_CREATED},
        {IDC_INFO_WRITTEN_LABEL, IDS_LAST_SAVED},      {IDC_INFO_SIZE_LABEL, IDS_FILE_SIZE},
        {IDC_INFO_DETECTED_LABEL, IDS_DETECTED_BY},    {IDC_INFO_RUN, IDS_RUN},
        {IDC_INFO_APPLY, IDS_APPLY},                   {IDC_INFO_LOOKUP, IDS_ONLINE_INFO},
        {IDOK, IDS_CLOSE},
    };
    for (const auto &label : labels)
        SetItemText(dialog, label.id, label.text);
    for (UINT text : kServiceStartTexts)
        SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Loaded(text).c_str()));
    SendDlgItemMessageA(dialog, IDC_INFO_NOTE, EM_LIMITTEXT, kNoteLimit, 0);
    CentreOnScreen(dialog);
    RestoreAlertPosition(dialog, kPlaceX, kPlaceY);
    Lay(dialog);
    ShowEntry(dialog, state);
    // The note area has the focus.
    return FALSE;
}

void Close(HWND dialog, int answer)
{
    SaveAlertPosition(dialog, kPlaceX, kPlaceY, kPlaceWidth, kPlaceHeight);
    EndDialog(dialog, answer);
}

void StopOrKill(HWND dialog, InfoState &state)
{
    if (IsService(state.kind)) {
        StopServiceRecorded(state.title.c_str(), state.path.c_str(), state.kind);
        Sleep(100);
    } else {
        OfferToStopProgram(state.file.c_str(), state.title.c_str(), 0);
    }
    ShowEntry(dialog, state);
}

void Run(HWND dialog, InfoState &state)
{
    if (!IsService(state.kind))
        ShellExecuteA(dialog, "open", state.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    ShowEntry(dialog, state);
}

int ChosenStart(HWND dialog)
{
    const int choice =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_INFO_START_TYPE, CB_GETCURSEL, 0, 0));
    return choice >= 0 && choice < 3 ? kServiceStarts[choice] : -1;
}

void Apply(HWND dialog, InfoState &state)
{
    const int start = ChosenStart(dialog);
    if (start > 0 && start != state.shownStart &&
        SetServiceStartRecorded(state.title.c_str(), state.path.c_str(), state.kind, start))
        state.shownStart = start;
    EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), ChosenStart(dialog) != state.shownStart);
}

void NoteButton(HWND dialog, const InfoState &state)
{
    const std::string file = NoteFileOf(state);
    const bool editable =
        (GetWindowLongA(GetDlgItem(dialog, IDC_INFO_NOTE), GWL_STYLE) & ES_READONLY) == 0;
    if (!editable) {
        const std::string text = state.title + "\r\n" + state.path + "\r\n";
        // A note that cannot be made leaves the area as it was.
        if (file.empty() || !WriteNote(file, text))
            return;
        SendDlgItemMessageA(dialog, IDC_INFO_NOTE, EM_SETREADONLY, FALSE, 0);
        SetText(dialog, IDC_INFO_NOTE, text);
        SetItemText(dialog, IDC_INFO_NOTE_BUTTON, IDS_SAVE_NOTE);
        SetFocus(GetDlgItem(dialog, IDC_INFO_NOTE));
        return;
    }
    std::string text(kNoteLimit + 1, '\0');
    text.resize(static_cast<size_t>(
        GetDlgItemTextA(dialog, IDC_INFO_NOTE, &text[0], static_cast<int>(text.size()))));
    if (WriteNote(file, text))
        EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), FALSE);
}

void Step(HWND dialog, InfoState &state, int by)
{
    const int count = EntryCount();
    if (count <= 0)
        return;
    state.entry = ((state.entry + by) % count + count) % count;
    ShowEntry(dialog, state);
}

bool OnCommand(HWND dialog, InfoState &state, int id, int code)
{
    switch (id) {
    case IDOK:
    case IDCANCEL:
        Close(dialog, id);
        return true;
    case IDC_INFO_STOP:
        StopOrKill(dialog, state);
        return true;
    case IDC_INFO_RUN:
        Run(dialog, state);
        return true;
    case IDC_INFO_EXPAND:
        g_expanded = !g_expanded;
        Lay(dialog);
        return true;
    case IDC_INFO_APPLY:
        Apply(dialog, state);
        return true;
    case IDC_INFO_START_TYPE:
        if (code == CBN_SELCHANGE)
            EnableWindow(GetDlgItem(dialog, IDC_INFO_APPLY), ChosenStart(dialog) != state.shownStart);
        return true;
    case IDC_INFO_LOOKUP:
        OnlineLookupOfEntry(state.entry);
        SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return true;
    case IDC_INFO_NOTE_BUTTON:
        NoteButton(dialog, state);
        return true;
    case IDC_INFO_NOTE:
        if (code == EN_CHANGE)
            EnableWindow(GetDlgItem(dialog, IDC_INFO_NOTE_BUTTON), TRUE);
        return true;
    case IDC_INFO_NEXT:
        Step(dialog, state, 1);
        return true;
    case IDC_INFO_PREVIOUS:
        Step(dialog, state, -1);
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<InfoState>(dialog, message, lParam);
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, *state);
    case WM_COMMAND:
        return OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowInfoDialog(HWND owner, int entry)
{
    if (entry < 0 || entry >= EntryCount())
        return;
    InfoState state;
    state.entry = entry;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INFO), owner, InfoProc,
                    reinterpret_cast<LPARAM>(&state));
}

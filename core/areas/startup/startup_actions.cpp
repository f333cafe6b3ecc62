#include "startup_actions.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "com.h"
#include "entries.h"
#include "files.h"
#include "keys.h"
#include "history.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "shortcut.h"
#include "startup.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

// Buffer widths, terminators included.
constexpr size_t kCommandWidth = 1024;      // a registry read
constexpr size_t kCodeWidth = 16;
constexpr size_t kWinIniRemoveWidth = 512;  // the walk reads the lists as wide as this too
constexpr size_t kWinIniAppendWidth = 1024;
constexpr size_t kAppInitWidth = 256;
constexpr size_t kNotifyNameWidth = 260;
constexpr size_t kWinlogonWidth = 260;
constexpr size_t kFolderWidth = MAX_PATH;
constexpr size_t kJoinedWidth = 2 * MAX_PATH;
// A path in its long form may outgrow the entry's width before it is cut.
constexpr size_t kListedWidth = 2 * MAX_PATH;

constexpr const char *kDisabledRunKeys[] = {"Run",         "RunOnce",         "RunOnceEx",
                                            "RunServices", "RunServicesOnce", "RunSetup",
                                            "Policy"};
constexpr char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppInitValue[] = "AppInit_DLLs";
constexpr char kProductName[] = "Sentrovia";
constexpr char kDefaultShell[] = "Explorer.exe";
// Approval mark of an entry the system put in place itself.
constexpr char kOwnEntryMark[] = "1";

AdvancedRemovalQuestion g_question = AskKeyLocationRemoval;

const char *OrEmpty(const char *text) { return text != nullptr ? text : ""; }

// ---- Registry values kept exactly as they stood ----

enum class ValueState { Missing, Text, Unreadable };

// A string value with its type and without expansion, so it can be written back unchanged.
// Unreadable: not text, or wider than the buffer.
ValueState ReadRawText(HKEY root, const char *path, const char *name, char *text,
                       size_t capacity, DWORD *type)
{
    text[0] = '\0';
    *type = REG_SZ;
    RegKey key;
    if (!key.Open(root, path, KEY_QUERY_VALUE))
        return ValueState::Missing;
    DWORD size = static_cast<DWORD>(capacity - 1);
    LONG result = RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE *>(text),
                                   &size);
    if (result == ERROR_FILE_NOT_FOUND) {
        // The query may have left any type behind; a value written anew is a plain string.
        *type = REG_SZ;
        return ValueState::Missing;
    }
    if (result != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ)) {
        text[0] = '\0';
        return ValueState::Unreadable;
    }
    text[size] = '\0';
    return ValueState::Text;
}

// The same, whole however long: a Run command has no width of its own.
ValueState ReadWholeText(HKEY root, const char *path, const char *name, std::string &text,
                         DWORD *type)
{
    text.clear();
    *type = REG_SZ;
    RegKey key;
    if (!key.Open(root, path, KEY_QUERY_VALUE))
        return ValueState::Missing;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LONG result = RegQueryValueExA(key.get(), name, nullptr, type, nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND) {
            *type = REG_SZ;
            return ValueState::Missing;
        }
        if (result != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ))
            return ValueState::Unreadable;
        std::vector<char> data(size + 1, '\0');
        result = RegQueryValueExA(key.get(), name, nullptr, type,
                                  reinterpret_cast<BYTE *>(data.data()), &size);
        if (result == ERROR_MORE_DATA)
            continue;  // it grew in between
        if (result != ERROR_SUCCESS || (*type != REG_SZ && *type != REG_EXPAND_SZ))
            return ValueState::Unreadable;
        data[size] = '\0';
        text = data.data();
        return ValueState::Text;
    }
    return ValueState::Unreadable;
}

// Deleted, or not there to begin with.
bool ValueGone(HKEY root, const char *path, const char *name)
{
    return DeleteRegValue(root, path, name) || !RegValueExists(root, path, name);
}

// ---- Locations and the disabled register ----

bool IsRunCode(int code)
{
    return (code >= 1 && code <= 7) || (code >= 11 && code <= 17) || (code >= 21 && code <= 25);
}

bool IsWinIniCode(int code) { return code == kWinLoadKind || code == kWinRunKind; }

const char *WinIniKey(int code) { return code == kWinLoadKind ? "load" : "run"; }

// The hive and key of a Run code (1-7, 11-17, 21-27).
bool RunKeyOf(int code, HKEY *root, char *path, size_t capacity)
{
    struct Hive { int firstCode; HKEY root; const char *base; };
    const Hive hives[] = {{kMachineRunKind, HKEY_LOCAL_MACHINE, kCurrentVersion},
                          {kUserRunKind, HKEY_CURRENT_USER, kCurrentVersion},
                          {kWow64RunKind, HKEY_LOCAL_MACHINE, kWow64CurrentVersion}};
    for (const Hive &hive : hives) {
        int index = code - hive.firstCode;
        if (index >= 0 && index < 7) {
            *root = hive.root;
            return FormatBounded(path, capacity, "%s\\%s", hive.base, kRunKeys[index]);
        }
    }
    return false;
}

// The key under the product's HKLM tree that keeps a disabled entry's command.
bool DisabledCopyKey(int code, char *path, size_t capacity)
{
    const char *subkey = nullptr;
    if (IsRunCode(code))
        subkey = kDisabledRunKeys[code % 10 - 1];
    else if (code == kWinLoadKind)
        subkey = "WinLoad";
    else if (code == kWinRunKind)
        subkey = "WinRun";
    else if (code == kNotifyKind)
        subkey = "WinNotify";
    return subkey != nullptr && FormatBounded(path, capacity, "%s\\%s", kDisabledKey, subkey);
}

bool WriteMarker(const char *title, int code)
{
    char text[kCodeWidth];
    FormatBounded(text, sizeof text, "%d", code);
    return WriteRegString(HKEY_LOCAL_MACHINE, kDisabledKey, title, text) != 0;
}

// Takes the title out of the disabled register: its saved command and its mark.
int ClearDisabled(const char *title, int code)
{
    char copyKey[MAX_PATH];
    if (DisabledCopyKey(code, copyKey, sizeof copyKey))
        DeleteRegValue(HKEY_LOCAL_MACHINE, copyKey, title);
    return DeleteRegValue(HKEY_LOCAL_MACHINE, kDisabledKey, title);
}

// ---- The forms in which the entry list and the baseline name commands ----

// As the entry list holds a path: cut to its width, quotes removed, long form.
void ListedForm(const char *command, char *out, size_t capacity)
{
    CopyBounded(out, capacity, ListedCommandOf(command).c_str());
}

// The command as the walk lists a Run value's data, whole: run through RUNDLL32 or not.
std::string ListedWhole(const char *command, bool runCommand)
{
    std::vector<char> stripped(strlen(command) + 1);
    if (runCommand)
        StripRunDll32(command, stripped.data(), stripped.size());
    else
        CopyBounded(stripped.data(), stripped.size(), command);
    return ListedCommandOf(stripped.data());
}

// True when command is stored itself, or stored as the walk lists it.
bool IsListedFormOf(const char *command, const char *stored, bool runCommand)
{
    if (EqualsNoCase(command, stored))
        return true;
    return EqualsNoCase(command, ListedWhole(stored, runCommand).c_str());
}

// Approves the command under the baseline name the walk will look for.
void Approve(const char *command, const char *mark, bool runCommand)
{
    char name[kListedWidth];
    BaselineName(ListedWhole(command, runCommand).c_str(), name, sizeof name);
    ApproveMark(AREA_Start, name, mark);
}

void ApproveWithCode(const char *command, int code, bool runCommand)
{
    char mark[kCodeWidth];
    FormatBounded(mark, sizeof mark, "%d", code);
    Approve(command, mark, runCommand);
}

void WithdrawApproval(const char *title, const char *path)
{
    char name[kListedWidth];
    BaselineName(path, name, sizeof name);
    Withdraw(AREA_Start, name);
    Withdraw(AREA_Start, title);
}

// ---- Run keys ----

struct Entry {
    const char *title;
    const char *command;
    const char *file;
    int code;
};

// The record of a removal, written just before the change: a change whose record can't be
// written whole is not made, and the user is told why.
class RemovalRecord {
public:
    RemovalRecord(const Entry &entry, int action, bool write, int approval)
        : entry_(entry), action_(action), write_(write), approval_(approval)
    {
    }
    // recorded is what the record keeps as the path; type the registry type it had (0 for none).
    bool Keep(const char *recorded, DWORD type = 0) const
    {
        if (!write_)
            return true;
        char kept[kCodeWidth * 2];
        FormatBounded(kept, sizeof kept, "%lu %d", type, approval_);
        char date[64];
        HistoryRecordDate(date, sizeof date);
        if (!HistoryRecordKeepsAll(date, action_, entry_.code, entry_.title, recorded,
                                   entry_.file, kept)) {
            TellNotRecorded(IDS_NOT_REMOVED_TOO_LONG, entry_.title, 0);
            return false;
        }
        if (WriteHistoryRecord(entry_.title, recorded, entry_.file, entry_.code, action_, kept) !=
            kHistoryFailed)
            return true;
        TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, entry_.title, GetLastError());
        return false;
    }

    void RefuseTooLong() const
    {
        if (write_)
            TellNotRecorded(IDS_NOT_REMOVED_TOO_LONG, entry_.title, 0);
    }

private:
    const Entry &entry_;
    int action_;
    bool write_;
    int approval_;
};

// The approval a startup entry has now: under its baseline name, else under its title.
int ApprovalOf(const char *title, const char *command)
{
    char name[kListedWidth];
    BaselineName(command, name, sizeof name);
    int number = ApprovalNumber(AREA_Start, name);
    return number != 0 ? number : ApprovalNumber(AREA_Start, title);
}

// The registry type and approval a record kept ("type approval"); both 0 when it kept none.
void KeptFacts(const char *kept, DWORD *type, int *approval)
{
    char *end = nullptr;
    *type = static_cast<DWORD>(strtoul(kept != nullptr ? kept : "", &end, 10));
    *approval = end != nullptr ? static_cast<int>(strtol(end, nullptr, 10)) : 0;
    if (*type != REG_EXPAND_SZ)
        *type = REG_SZ;
}

// Where a Run value lives and where its disabled copy is kept.
struct RunPlaces {
    HKEY root = nullptr;
    char location[MAX_PATH];
    char copyKey[MAX_PATH];
};

bool RunPlacesOf(int code, RunPlaces &places)
{
    return RunKeyOf(code, &places.root, places.location, sizeof places.location) &&
           DisabledCopyKey(code, places.copyKey, sizeof places.copyKey);
}

// Keeps the value as it stands in its key (the walk may show it cut or without its quotes),
// marks the title, then takes the value out; any failure undoes what went before.
int DisableRunValue(const Entry &entry)
{
    RunPlaces at;
    if (!RunPlacesOf(entry.code, at))
        return 0;
    std::string saved;
    DWORD type;
    ValueState state = ReadWholeText(at.root, at.location, entry.title, saved, &type);
    if (state == ValueState::Unreadable)
        return 0;
    if (state == ValueState::Missing)
        saved = entry.command;
    if (saved.empty())
        return 0;
    if (!WriteRegText(HKEY_LOCAL_MACHINE, at.copyKey, entry.title, saved.c_str(), type) ||
        !WriteMarker(entry.title, entry.code) || !ValueGone(at.root, at.location, entry.title)) {
        ClearDisabled(entry.title, entry.code);
        return 0;
    }
    return 1;
}

// The saved copy when the command given is that copy as listed (or none); otherwise the command
// given, which is what a program that put itself back registered anew.
std::string CommandToPutBack(const Entry &entry, const char *copyKey, bool runCommand,
                             DWORD *type)
{
    std::string copy;
    if (ReadWholeText(HKEY_LOCAL_MACHINE, copyKey, entry.title, copy, type) == ValueState::Text &&
        (entry.command[0] == '\0' || IsListedFormOf(entry.command, copy.c_str(), runCommand)))
        return copy;
    *type = REG_SZ;
    return entry.command;
}

// Writes the command back first, so a failed write leaves the entry disabled rather than lost.
int EnableRunValue(const Entry &entry)
{
    RunPlaces at;
    if (!RunPlacesOf(entry.code, at))
        return 0;
    DWORD type;
    const std::string command = CommandToPutBack(entry, at.copyKey, true, &type);
    if (command.empty()) {
        ClearDisabled(entry.title, entry.code);
        return 0;
    }
    // A program that put itself back may hold the command already: its own value, with its own
    // type (an expandable string stays one), is kept.
    std::string current;
    DWORD currentType;
    bool inPlace = ReadWholeText(at.root, at.location, entry.title, current, &currentType) ==
                       ValueState::Text &&
                   current == command;
    if (!inPlace && !WriteRegText(at.root, at.location, entry.title, command.c_str(), type))
        return 0;
    return ClearDisabled(entry.title, entry.code);
}

// ---- win.ini ----

// A list without an item, and the item's text as it stood there.
struct WinIniEdit {
    char list[kWinIniRemoveWidth + 1];
    char taken[kWinIniRemoveWidth];
    bool found = false;
};

// Two texts name the same item when they are equal, or equal in the given form.
template <typename Form> bool SameInForm(const char *left, const char *right, Form form)
{
    if (EqualsNoCase(left, right))
        return true;
    char leftForm[kListedWidth];
    char rightForm[kListedWidth];
    form(left, leftForm, sizeof leftForm);
    form(right, rightForm, sizeof rightForm);
    return EqualsNoCase(leftForm, rightForm);
}

// The walk lists items without quotes and in their long form: either form names the item.
bool SameItem(const char *piece, const char *item) { return SameInForm(piece, item, ListedForm); }

// Builds the list without item, each kept item followed by ";". Empty pieces are no items (the
// walk skips them), so they go. False when the list could not be read whole.
bool FilterWinIniList(const char *key, const char *item, WinIniEdit &edit)
{
    char list[kWinIniRemoveWidth];
    DWORD length = GetProfileStringA("windows", key, "", list, sizeof list);
    if (length >= sizeof list - 1)
        return false;
    edit.list[0] = '\0';
    edit.taken[0] = '\0';
    char *piece = list;
    for (;;) {
        char *end = piece + strcspn(piece, ";");
        bool last = *end == '\0';
        *end = '\0';
        if (piece[0] != '\0' && SameItem(piece, item)) {
            if (!edit.found)
                CopyBounded(edit.taken, piece);
            edit.found = true;
        } else if (piece[0] != '\0') {
            AppendBounded(edit.list, piece);
            AppendBounded(edit.list, ";");
        }
        if (last)
            return true;
        piece = end + 1;
    }
}

bool WriteWinIniList(const char *key, const char *list)
{
    char windows[kFolderWidth];
    char file[kJoinedWidth];
    if (WindowsFolder(windows, sizeof windows) &&
        FormatBounded(file, sizeof file, "%s\\win.ini", windows)) {
        DWORD attributes = GetFileAttributesA(file);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesA(file, attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return WriteProfileStringA("windows", key, list) != FALSE;
}

// Keeps the item's own text, marks the title, then rewrites the list; failures undo.
int DisableWinIniItem(const Entry &entry)
{
    char copyKey[MAX_PATH];
    WinIniEdit edit;
    const char *key = WinIniKey(entry.code);
    if (entry.command[0] == '\0' || !DisabledCopyKey(entry.code, copyKey, sizeof copyKey) ||
        !FilterWinIniList(key, entry.command, edit))
        return 0;
    const char *saved = edit.found ? edit.taken : entry.command;
    if (!WriteRegString(HKEY_LOCAL_MACHINE, copyKey, entry.title, saved) ||
        !WriteMarker(entry.title, entry.code) ||
        (edit.found && !WriteWinIniList(key, edit.list))) {
        ClearDisabled(entry.title, entry.code);
        return 0;
    }
    return 1;
}

int EnableWinIniItem(const Entry &entry)
{
    char copyKey[MAX_PATH];
    if (!DisabledCopyKey(entry.code, copyKey, sizeof copyKey))
        return 0;
    DWORD type;
    const std::string command = CommandToPutBack(entry, copyKey, false, &type);
    if (command.empty()) {
        ClearDisabled(entry.title, entry.code);
        return 0;
    }
    if (!AppendToWinIniList(WinIniKey(entry.code), command.c_str()))
        return 0;
    ClearDisabled(entry.title, entry.code);
    return 1;
}

// ---- Startup folders ----

bool DisabledFolder(char *out, size_t capacity)
{
    char program[kFolderWidth];
    if (!ProgramFolder(program, sizeof program))
        return false;
    RemoveTrailingBackslash(program, 0);
    return FormatBounded(out, capacity, "%s\\%s", program, kDisabledFolderName) != 0;
}

// The part of a path inside the Disabled folder (after its backslash); nullptr for a path that lies
// elsewhere.
const char *InsideDisabledFolder(const char *path)
{
    char folder[kFolderWidth];
    if (!DisabledFolder(folder, sizeof folder))
        return nullptr;
    char longFolder[kListedWidth];
    LongPathForm(folder, longFolder, sizeof longFolder);
    const char *prefixes[] = {folder, longFolder};
    for (const char *prefix : prefixes) {
        size_t length = strlen(prefix);
        if (_strnicmp(path, prefix, length) == 0 && path[length] == '\\')
            return path + length + 1;
    }
    return nullptr;
}

// folder + "\" + the file's own name.
bool PathInFolder(const char *folder, const char *file, char *out, size_t capacity)
{
    const char *name = file + AfterLastBackslash(file);
    return name[0] != '\0' && FormatBounded(out, capacity, "%s\\%s", folder, name);
}

// Never over an existing file. Where the move has to copy, the attributes don't always go along
// (Wine drops hidden and system), so they are set again.
bool MoveKeepingAttributes(const char *from, const char *to)
{
    DWORD attributes = GetFileAttributesA(from);
    if (attributes == INVALID_FILE_ATTRIBUTES || !MoveFileExA(from, to, MOVEFILE_COPY_ALLOWED))
        return false;
    if (GetFileAttributesA(to) != attributes)
        SetFileAttributesA(to, attributes);
    return true;
}

// A file that can't be moved stays where it is and unmarked.
int DisableStartupFile(const Entry &entry)
{
    char folder[kFolderWidth];
    char target[kJoinedWidth];
    if (!DisabledFolder(folder, sizeof folder) ||
        !PathInFolder(folder, entry.file, target, sizeof target))
        return 0;
    CreateDirectoryA(folder, nullptr);
    if (!MoveKeepingAttributes(entry.file, target))
        return 0;
    if (!WriteMarker(entry.title, kStartupFolderKind)) {
        MoveKeepingAttributes(target, entry.file);
        return 0;
    }
    return 1;
}

// Whichever Startup folder the file came from, it goes back into the current user's.
bool StartupDestination(char *folder, size_t capacity)
{
    return ReadRegString(HKEY_CURRENT_USER, kShellFolders, "Startup", folder, capacity) > 0 ||
           ReadRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Startup", folder, capacity) > 0 ||
           ReadRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", folder, capacity) > 0;
}

int EnableStartupFile(const Entry &entry)
{
    char disabled[kFolderWidth];
    char source[kJoinedWidth];
    if (!DisabledFolder(disabled, sizeof disabled) ||
        !PathInFolder(disabled, entry.file, source, sizeof source))
        return 0;
    // A mark whose file is gone would hide nothing: let it go.
    if (GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES) {
        DeleteRegValue(HKEY_LOCAL_MACHINE, kDisabledKey, entry.title);
        return 0;
    }
    char startup[kFolderWidth];
    char target[kJoinedWidth];
    if (!StartupDestination(startup, sizeof startup))
        return 0;
    RemoveTrailingBackslash(startup, 0);
    if (!PathInFolder(startup, source, target, sizeof target) ||
        !MoveKeepingAttributes(source, target))
        return 0;
    DeleteRegValue(HKEY_LOCAL_MACHINE, kDisabledKey, entry.title);
    return 1;
}

// ---- Winlogon Notify ----

bool NotifySubkey(const char *subkey, char *path, size_t capacity)
{
    return subkey != nullptr && subkey[0] != '\0' &&
           FormatBounded(path, capacity, "%s\\%s", kNotifyKey, subkey);
}

// Moves one value's text into the other and empties the first; nothing when the first is empty.
int MoveNotifyName(const char *subkey, const char *from, const char *to)
{
    char path[kJoinedWidth];
    char name[kNotifyNameWidth];
    DWORD type;
    if (!NotifySubkey(subkey, path, sizeof path) ||
        ReadRawText(HKEY_LOCAL_MACHINE, path, from, name, sizeof name, &type) !=
            ValueState::Text ||
        name[0] == '\0')
        return 0;
    if (!WriteRegText(HKEY_LOCAL_MACHINE, path, to, name, type))
        return 0;
    return WriteRegText(HKEY_LOCAL_MACHINE, path, from, "", type) ? 1 : 0;
}

int DisableNotify(const Entry &entry)
{
    char copyKey[MAX_PATH];
    if (!DisabledCopyKey(entry.code, copyKey, sizeof copyKey) || !DisableNotifyDll(entry.title))
        return 0;
    WriteRegString(HKEY_LOCAL_MACHINE, copyKey, entry.title, entry.command);
    WriteMarker(entry.title, kNotifyKind);
    // Listed again once enabled: approved now so it comes back without an alert.
    ApproveWithCode(entry.command, kNotifyKind, false);
    return 1;
}

int EnableNotify(const Entry &entry)
{
    EnableNotifyDll(entry.title);
    ClearDisabled(entry.title, entry.code);
    char path[kJoinedWidth];
    char name[kNotifyNameWidth];
    return NotifySubkey(entry.title, path, sizeof path) &&
           ReadRegString(HKEY_LOCAL_MACHINE, path, "DLLName", name, sizeof name) > 0;
}

// ---- Removal ----

bool IsShortcutFile(const char *file)
{
    const char *dot = strrchr(file, '.');
    return dot != nullptr && EqualsNoCase(dot, ".lnk");
}

// The arguments a shortcut passes to its target; empty when it has none or can't be read.
void ShortcutArguments(const char *file, char *arguments, size_t capacity)
{
    arguments[0] = '\0';
    ComScope com;
    ComPtr<IShellLinkA> link;
    if (!LoadShortcut(file, link) ||
        FAILED(link->GetArguments(arguments, static_cast<int>(capacity))))
        arguments[0] = '\0';
}

// The read-only attribute goes first; a file that still won't go gets it back.
bool DeleteClearingReadOnly(const char *file)
{
    DWORD attributes = GetFileAttributesA(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(file, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(file))
        return true;
    SetFileAttributesA(file, attributes);
    return false;
}

// The record keeps the command as it stood, with its type, so that a restore gives it back.
int RemoveRunValue(const Entry &entry, const RemovalRecord &record)
{
    HKEY root;
    char location[MAX_PATH];
    char copyKey[MAX_PATH];
    if (entry.title[0] == '\0' || !RunKeyOf(entry.code, &root, location, sizeof location) ||
        !DisabledCopyKey(entry.code, copyKey, sizeof copyKey))
        return 0;
    char command[kCommandWidth];
    DWORD type;
    bool disabled = IsTitleDisabled(entry.title);
    if (disabled) {
        root = HKEY_LOCAL_MACHINE;
        CopyBounded(location, copyKey);
    }
    ValueState state = ReadRawText(root, location, entry.title, command, sizeof command, &type);
    if (state == ValueState::Unreadable) {
        record.RefuseTooLong();
        return 0;
    }
    if (state == ValueState::Missing && !disabled)
        return 0;
    if (!record.Keep(state == ValueState::Text ? command : entry.command,
                     state == ValueState::Text ? type : 0))
        return 0;
    if (!disabled)
        return DeleteRegValue(root, location, entry.title);
    DeleteRegValue(root, location, entry.title);
    return DeleteRegValue(HKEY_LOCAL_MACHINE, kDisabledKey, entry.title);
}

int RemoveWinIniItem(const Entry &entry, const RemovalRecord &record)
{
    const char *key = WinIniKey(entry.code);
    bool disabled = IsTitleDisabled(entry.title);
    WinIniEdit edit;
    bool listed = entry.command[0] != '\0' && FilterWinIniList(key, entry.command, edit) &&
                  edit.found;
    if (disabled) {
        char copyKey[MAX_PATH];
        char copy[kCommandWidth] = "";
        DWORD type;
        if (DisabledCopyKey(entry.code, copyKey, sizeof copyKey))
            ReadRawText(HKEY_LOCAL_MACHINE, copyKey, entry.title, copy, sizeof copy, &type);
        if (!record.Keep(copy[0] != '\0' ? copy : entry.command))
            return 0;
        ClearDisabled(entry.title, entry.code);
    } else if (!listed || !record.Keep(edit.taken)) {
        // An item that is not in the list is no removal.
        return 0;
    }
    if (!listed)
        return 1;
    return (WriteWinIniList(key, edit.list) || disabled) ? 1 : 0;
}

// Only the Startup-folder file itself (the detail) goes, never the program a shortcut starts.
// A shortcut's arguments ride in the history's path after its target.
int RemoveStartupFile(const Entry &entry, const RemovalRecord &record)
{
    const char *file = entry.file;
    if (file[0] == '\0')
        return 0;
    char recorded[kCommandWidth];
    CopyBounded(recorded, entry.command);
    if (IsShortcutFile(file) && FileExists(file)) {
        char arguments[kCommandWidth];
        ShortcutArguments(file, arguments, sizeof arguments);
        if (arguments[0] != '\0')
            FormatBounded(recorded, sizeof recorded, "%s %s", entry.command, arguments);
    }
    bool present = GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES;
    bool disabled = IsTitleDisabled(entry.title);
    // A file that was gone already is no removal, unless its mark goes.
    if ((!present && !disabled) || !record.Keep(recorded))
        return 0;
    if (present && !DeleteClearingReadOnly(file))
        return 0;
    if (disabled)
        DeleteRegValue(HKEY_LOCAL_MACHINE, kDisabledKey, entry.title);
    return 1;
}

// The product's own entries go without a record. The Disabled folder lies in the program folder,
// which is usually named after the product: a file parked there is judged by its own name, or no
// disabled Startup-folder file would ever be recorded.
bool NamesProduct(const char *path)
{
    const char *inside = InsideDisabledFolder(path);
    return ContainsNoCase(inside != nullptr ? inside : path, kProductName) != 0;
}

// ---- Advanced locations ----

// The history action an advanced entry's removal is recorded under.
int AdvancedRemovalAction(int code)
{
    switch (code) {
    case kDelayLoadKind:
        return kActionRemoveDelayLoad;
    case kTaskSchedulerKind:
        return kActionRemoveTaskScheduler;
    case kShellHookKind:
        return kActionRemoveShellHook;
    default:
        return kActionStartRemove;
    }
}

// The registry value an advanced entry of a code names (DelayLoad by its title, the class keys
// by their class identifier); false for AppInit_DLLs, which is one list.
bool AdvancedValue(const char *title, const char *detail, int code, const char **key,
                   const char **name)
{
    switch (code) {
    case kDelayLoadKind:
        *key = kDelayLoadKey;
        *name = title;
        return true;
    case kTaskSchedulerKind:
        *key = kTaskSchedulerKey;
        *name = detail;
        return true;
    case kShellHookKind:
        *key = kShellHooksKey;
        *name = detail;
        return true;
    default:
        return false;
    }
}

// Takes out an advanced entry after consent. True when it went.
bool TakeOutAdvanced(const char *title, const char *path, const char *detail, int code)
{
    const char *key = nullptr;
    const char *name = nullptr;
    if (AdvancedValue(title, detail, code, &key, &name))
        return DeleteRegValue(HKEY_LOCAL_MACHINE, key, name);
    return RemoveAppInitDll(path) != 0;
}

// ---- Restoring ----

// "target arguments" apart: the first part ending at a space that names an existing file is the
// target; the whole text when none does.
void SplitShortcutCommand(const char *command, char *target, size_t targetCapacity,
                          char *arguments, size_t argumentsCapacity)
{
    CopyBounded(target, targetCapacity, command);
    CopyBounded(arguments, argumentsCapacity, "");
    if (FileExists(command))
        return;
    for (const char *space = strchr(command, ' '); space != nullptr;
         space = strchr(space + 1, ' ')) {
        char part[kJoinedWidth];
        size_t length = static_cast<size_t>(space - command);
        if (length >= sizeof part)
            return;
        CopyBounded(part, length + 1, command);
        if (FileExists(part)) {
            CopyBounded(target, targetCapacity, part);
            CopyBounded(arguments, argumentsCapacity, SkipSpaces(space + 1));
            return;
        }
    }
}

bool SaveShortcut(const char *file, const char *target, const char *arguments,
                  const char *description)
{
    char folder[kFolderWidth] = "";
    FolderOf(target, folder, sizeof folder);
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persist;
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, link.put())) &&
           SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetArguments(arguments)) &&
           SUCCEEDED(link->SetDescription(description)) &&
           SUCCEEDED(link->SetIconLocation(target, 0)) &&
           SUCCEEDED(link->SetWorkingDirectory(folder)) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.put())) &&
           MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(persist->Save(wide, TRUE));
}

// Where a removed shortcut is made anew: where it was, except that one removed from the Disabled
// folder (where nothing runs) comes back enabled, into the folder enabling would choose.
bool ShortcutHome(const char *detail, char *file, size_t capacity)
{
    if (InsideDisabledFolder(detail) == nullptr)
        return CopyBounded(file, capacity, detail) != 0;
    char startup[kFolderWidth];
    if (!StartupDestination(startup, sizeof startup))
        return false;
    RemoveTrailingBackslash(startup, 0);
    return PathInFolder(startup, detail, file, capacity);
}

// The target is what gets approved. A removed plain file is gone with its content, and nothing
// overwrites a file that stands there now.
bool RestoreShortcut(const char *title, const char *path, const char *detail, char *target,
                     size_t capacity)
{
    char file[kJoinedWidth];
    if (!IsShortcutFile(detail) || !ShortcutHome(detail, file, sizeof file) ||
        GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES)
        return false;
    char arguments[kCommandWidth];
    SplitShortcutCommand(path, target, capacity, arguments, sizeof arguments);
    return SaveShortcut(file, target, arguments, title);
}

// The command goes back byte for byte, with the type it had; an empty one is no command.
bool RestoreRunValue(const char *title, const char *path, int code, DWORD type)
{
    HKEY root;
    char location[MAX_PATH];
    return title[0] != '\0' && path[0] != '\0' &&
           RunKeyOf(code, &root, location, sizeof location) &&
           WriteRegText(root, location, title, path, type);
}

// Puts the entry back; approved names the command to approve (the path unless told otherwise).
bool PutBack(const char *title, const char *path, const char *detail, int code, DWORD type,
             char *approved, size_t capacity)
{
    CopyBounded(approved, capacity, path);
    if (IsRunCode(code))
        return RestoreRunValue(title, path, code, type);
    switch (code) {
    case kWinLoadKind:
    case kWinRunKind:
        return AppendToWinIniList(WinIniKey(code), path);
    case kStartupFolderKind:
        return RestoreShortcut(title, path, detail, approved, capacity);
    case kDelayLoadKind:
        return title[0] != '\0' && WriteRegString(HKEY_LOCAL_MACHINE, kDelayLoadKey, title, detail);
    case kTaskSchedulerKind:
        return detail[0] != '\0' &&
               WriteRegString(HKEY_LOCAL_MACHINE, kTaskSchedulerKey, detail, title);
    case kShellHookKind:
        return detail[0] != '\0' && WriteRegString(HKEY_LOCAL_MACHINE, kShellHooksKey, detail, title);
    case kAppInitKind:
        return AddAppInitDll(path);
    default:
        return false;
    }
}

// ---- AppInit_DLLs ----

bool SameDll(const char *item, const char *file) { return SameInForm(item, file, LongPathForm); }

// AppInit_DLLs without the items that name file, and its type; false when none does or the
// list can't be read whole.
bool AppInitListWithout(const char *file, char *kept, size_t capacity, DWORD *type)
{
    char list[kAppInitWidth];
    DWORD listType;
    if (file[0] == '\0' || ReadRawText(HKEY_LOCAL_MACHINE, kWindowsNtKey, kAppInitValue, list,
                                       sizeof list, &listType) != ValueState::Text)
        return false;
    if (type != nullptr)
        *type = listType;
    if (kept != nullptr && capacity > 0)
        kept[0] = '\0';
    bool found = false;
    char *piece = list;
    for (;;) {
        char *end = piece + strcspn(piece, ", ");
        bool last = *end == '\0';
        *end = '\0';
        if (SameDll(piece, file)) {
            found = true;
        } else if (kept != nullptr) {
            AppendBounded(kept, capacity, piece);
            if (!last)
                AppendBounded(kept, capacity, ",");
        }
        if (last)
            break;
        piece = end + 1;
    }
    return found;
}

// A value that is not there is no removal, and gets no record.
bool AdvancedPresent(const char *title, const char *file, const char *detail, int code)
{
    const char *key = nullptr;
    const char *name = nullptr;
    if (AdvancedValue(title, detail, code, &key, &name))
        return RegValueExists(HKEY_LOCAL_MACHINE, key, name);
    return AppInitListWithout(file, nullptr, 0, nullptr);
}

// The value name as the walk gives it; derived from the file name when the version
// information names nothing.
void ProgramValueName(const char *file, char *name, size_t capacity)
{
    VersionRecord version;
    ReadVersionInfo(file, &version);
    const char *description = version.slot[VS_FileDescription];
    const char *product = version.slot[VS_ProductName];
    if (description[0] != '\0' || product[0] != '\0') {
        CopyBounded(name, capacity, description[0] != '\0' ? description : product);
        return;
    }
    CopyBounded(name, capacity, file);
    FileNamePart(file, name, capacity);
    size_t length = strlen(name);
    if (length > 4)
        name[length - 4] = '\0';
}

} // namespace

std::string StoredStartupCommand(const char *title, const char *path, const char *detail,
                                 int code)
{
    title = OrEmpty(title);
    path = OrEmpty(path);
    detail = OrEmpty(detail);
    if (IsRunCode(code)) {
        HKEY root;
        char location[kFolderWidth];
        std::string stored;
        DWORD type;
        if (RunKeyOf(code, &root, location, sizeof location) &&
            ReadWholeText(root, location, title, stored, &type) == ValueState::Text &&
            IsListedFormOf(path, stored.c_str(), true))
            return stored;
    } else if (code == kStartupFolderKind && IsShortcutFile(detail)) {
        char arguments[kCommandWidth];
        ShortcutArguments(detail, arguments, sizeof arguments);
        if (arguments[0] != '\0')
            return std::string(path) + " " + arguments;
    }
    return path;
}

int IsEntryDisabled(const char *title)
{
    if (title == nullptr || title[0] == '\0')
        return 0;
    char text[kCodeWidth];
    ReadRegString(HKEY_LOCAL_MACHINE, kDisabledKey, title, text, sizeof text);
    return static_cast<int>(strtol(text, nullptr, 10));
}

int ToggleStartupEntry(const char *title, const char *command, const char *file, int code)
{
    Entry entry{OrEmpty(title), OrEmpty(command), OrEmpty(file), code};
    // An empty title would name the register's default value, which no entry owns.
    if (entry.title[0] == '\0')
        return 0;
    bool disabled = IsTitleDisabled(entry.title);
    if (IsRunCode(code))
        return disabled ? EnableRunValue(entry) : DisableRunValue(entry);
    if (IsWinIniCode(code))
        return disabled ? EnableWinIniItem(entry) : DisableWinIniItem(entry);
    if (code == kStartupFolderKind)
        return disabled ? EnableStartupFile(entry) : DisableStartupFile(entry);
    if (code == kNotifyKind)
        return disabled ? EnableNotify(entry) : DisableNotify(entry);
    return 0;
}

// The first toggle enables the saved copy, the second saves the new command in its place.
void DisableRunValueAgain(const char *title, const char *command, int code)
{
    ToggleStartupEntry(title, command, "", code);
    ToggleStartupEntry(title, command, "", code);
}

int RemoveStartupEntry(const char *title, const char *path, const char *detail, int code)
{
    Entry entry{OrEmpty(title), OrEmpty(path), OrEmpty(detail), code};
    if (code >= kUserinitKind && code <= kAppInitKind)
        return RemoveAdvancedEntry(nullptr, entry.title, entry.command, entry.file, code);
    const RemovalRecord record(entry, kActionStartRemove, !NamesProduct(entry.command),
                               ApprovalOf(entry.title, entry.command));
    int removed = 0;
    if (IsRunCode(code))
        removed = RemoveRunValue(entry, record);
    else if (IsWinIniCode(code))
        removed = RemoveWinIniItem(entry, record);
    else if (code == kStartupFolderKind)
        removed = RemoveStartupFile(entry, record);
    if (!removed)
        return 0;
    WithdrawApproval(entry.title, entry.command);
    return 1;
}

int RemoveAdvancedEntry(HWND owner, const char *title, const char *path, const char *detail,
                        int code)
{
    Entry entry{OrEmpty(title), OrEmpty(path), OrEmpty(detail), code};
    if (code == kUserinitKind || code == kShellKind) {
        bool userinit = code == kUserinitKind;
        const RemovalRecord record(entry, userinit ? kActionResetUserinit : kActionResetShell,
                                   true, 0);
        if (!record.Keep(entry.command) || !(userinit ? ResetUserinit() : ResetShell()))
            return 0;
        return 1;
    }
    if (code < kDelayLoadKind || code > kAppInitKind ||
        g_question(owner, entry.title, entry.command) != IDYES)
        return 0;
    const RemovalRecord record(entry, AdvancedRemovalAction(code), true,
                               ApprovalOf(entry.title, entry.command));
    // What was not there keeps its approval, as a Run value that is not there does.
    if (!AdvancedPresent(entry.title, entry.command, entry.file, code) || !record.Keep(entry.command) ||
        !TakeOutAdvanced(entry.title, entry.command, entry.file, code))
        return 0;
    char name[kListedWidth];
    BaselineName(entry.command, name, sizeof name);
    Withdraw(AREA_Start, name);
    return 1;
}

AdvancedRemovalQuestion SetAdvancedRemovalQuestion(AdvancedRemovalQuestion question)
{
    AdvancedRemovalQuestion previous = g_question;
    g_question = question != nullptr ? question : AskKeyLocationRemoval;
    return previous;
}

int AskKeyLocationRemoval(HWND owner, const char *, const char *)
{
    if (Option(OPT_HideStartup) != 0)
        return IDYES;
    char text[512];
    LoadText(IDS_REMOVE_KEY_LOCATION, text);
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    return ShowMessage(owner, text, caption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONSTOP | MB_TOPMOST);
}

int RestoreRemovedEntry(const char *title, const char *path, const char *detail, int code,
                        const char *kept)
{
    title = OrEmpty(title);
    path = OrEmpty(path);
    detail = OrEmpty(detail);
    if (code == kNotifyKind)
        return EnableNotifyDll(title);
    DWORD type;
    int approval;
    KeptFacts(kept, &type, &approval);
    char approved[kCommandWidth];
    if (!PutBack(title, path, detail, code, type, approved, sizeof approved))
        return 0;
    // The approval it had when it went, and no other: a program removed unasked-about is asked
    // about again.
    if (approval != 0) {
        char mark[kCodeWidth];
        FormatBounded(mark, sizeof mark, "%d", approval);
        Approve(approved, mark, IsRunCode(code));
    }
    return 1;
}

int AddStartupProgram(const char *programFile)
{
    const char *file = OrEmpty(programFile);
    if (file[0] == '\0')
        return 0;
    char name[kCommandWidth];
    ProgramValueName(file, name, sizeof name);
    if (name[0] == '\0' || !WriteRegString(HKEY_CURRENT_USER, kUserRunKey, name, file))
        return 0;
    Approve(file, kOwnEntryMark, true);
    return 1;
}

int ResetUserinit()
{
    char system[kFolderWidth];
    char value[kWinlogonWidth];
    if (!SystemFolder(system, sizeof system) ||
        !FormatBounded(value, sizeof value, "%s\\Userinit.exe,", system) ||
        !WriteRegString(HKEY_LOCAL_MACHINE, kWinlogonKey, "Userinit", value))
        return 0;
    // The walk lists the program without its comma.
    value[strlen(value) - 1] = '\0';
    ApproveWithCode(value, kUserinitKind, false);
    return 1;
}

int ResetShell()
{
    if (!WriteRegString(HKEY_LOCAL_MACHINE, kWinlogonKey, "Shell", kDefaultShell))
        return 0;
    ApproveWithCode(kDefaultShell, kShellKind, false);
    return 1;
}

int DisableNotifyDll(const char *subkey) { return MoveNotifyName(subkey, "DLLName", "OldName"); }

int EnableNotifyDll(const char *subkey) { return MoveNotifyName(subkey, "OldName", "DLLName"); }

// Pieces at every comma and every space; an empty piece between two separators is an item
// too. Each kept item is followed by ",", except the list's last one.
int RemoveAppInitDll(const char *file)
{
    char kept[kAppInitWidth + 1];
    DWORD type;
    return AppInitListWithout(OrEmpty(file), kept, sizeof kept, &type) &&
           WriteRegText(HKEY_LOCAL_MACHINE, kWindowsNtKey, kAppInitValue, kept, type);
}

// The short form keeps spaces, which separate the list's items, out of the name. A list that
// already ends in a separator (as a removal leaves it) gets none more, so removing and restoring
// gives the list back rather than growing it by an empty item each time.
int AddAppInitDll(const char *file)
{
    file = OrEmpty(file);
    char list[kAppInitWidth];
    DWORD type;
    if (file[0] == '\0' ||
        ReadRawText(HKEY_LOCAL_MACHINE, kWindowsNtKey, kAppInitValue, list, sizeof list, &type) ==
            ValueState::Unreadable)
        return 0;
    char shortForm[MAX_PATH];
    DWORD length = GetShortPathNameA(file, shortForm, sizeof shortForm);
    if (length == 0 || length >= sizeof shortForm)
        CopyBounded(shortForm, file);
    size_t used = strlen(list);
    bool separated = used == 0 || list[used - 1] == ',' || list[used - 1] == ' ';
    if ((!separated && !AppendBounded(list, ",")) || !AppendBounded(list, shortForm))
        return 0;
    return WriteRegText(HKEY_LOCAL_MACHINE, kWindowsNtKey, kAppInitValue, list, type);
}

int RemoveFromWinIniList(const char *key, const char *item)
{
    WinIniEdit edit;
    if (key == nullptr || item == nullptr || item[0] == '\0' ||
        !FilterWinIniList(key, item, edit))
        return 0;
    return !edit.found || WriteWinIniList(key, edit.list);
}

// No separator doubled: an empty item in a list read at each toggle would grow it for ever.
// Nothing longer than the list readers take whole is written.
int AppendToWinIniList(const char *key, const char *item)
{
    if (key == nullptr || item == nullptr || item[0] == '\0')
        return 0;
    char list[kWinIniAppendWidth];
    DWORD length = GetProfileStringA("windows", key, "", list, sizeof list);
    if (length >= sizeof list - 1)
        return 0;
    if (length > 0 && list[length - 1] != ';')
        AppendBounded(list, ";");
    if (!AppendBounded(list, item) || strlen(list) >= kWinIniRemoveWidth - 1)
        return 0;
    return WriteWinIniList(key, list);
}

int RestoreStartupRecord(const RestoreRecord &record)
{
    switch (record.action) {
    case kActionStartRemove:
        return RestoreRemovedEntry(record.title, record.path, record.detail, record.kind,
                                   record.kept);
    case kActionStartDisable:
    case kActionStartEnable:
        return ToggleStartupEntry(record.title, record.path, record.detail, record.kind);
    default:
        return 0;
    }
}

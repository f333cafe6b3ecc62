#include "hidden.h"

#include <windows.h>

#include <string>
#include <vector>

#include "approved.h"
#include "bounded.h"
#include "datetexts.h"
#include "entries.h"
#include "files.h"
#include "history.h"
#include "historyline.h"
#include "keys.h"
#include "owned.h"
#include "platform.h"
#include "processes.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "trace.h"
#include "vault.h"
#include "version.h"

namespace {

constexpr char kTokenPrefix[] = "hidden";
constexpr char kPlaceWord[] = "file";

struct WatchedFolder {
    std::string path;
    int depth;  // 0: its own files; 1: also those of its direct subfolders
};

using FolderGetter = int (*)(char *buffer, size_t capacity);

int CommonFilesFolder(char *buffer, size_t capacity)
{
    const int length = ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", buffer,
                                     capacity);
    if (length > 0)
        RemoveTrailingBackslash(buffer, 0);
    return length > 0 ? 1 : 0;
}

std::vector<WatchedFolder> WatchedFolders()
{
    const struct {
        FolderGetter get;
        int depth;
    } kFolders[] = {
        {RootFolder, 0}, {WindowsFolder, 0}, {SystemFolder, 1}, {CommonFilesFolder, 1},
        {TempFolder, 1},
    };
    std::vector<WatchedFolder> folders;
    for (const auto &folder : kFolders) {
        char path[MAX_PATH];
        if (!folder.get(path, sizeof path) || path[0] == '\0')
            continue;
        RemoveTrailingBackslash(path, 0);
        // One folder named twice (a temporary folder in the Windows folder's place) is searched
        // once, as deep as its deeper naming asks.
        bool known = false;
        for (WatchedFolder &earlier : folders)
            if (EqualsNoCase(earlier.path.c_str(), path)) {
                known = true;
                if (earlier.depth < folder.depth)
                    earlier.depth = folder.depth;
            }
        if (!known)
            folders.push_back({path, folder.depth});
    }
    return folders;
}

void AddHiddenEntry(const std::string &path, const char *name, bool system)
{
    static VersionRecord version;
    ReadVersionInfo(path.c_str(), &version);
    const char *product = version.slot[VS_ProductName];
    AddEntry(product[0] != '\0' ? product : name, path.c_str(), path.c_str(),
             "", kHiddenKind, system ? 1 : 0);
}

void ListFolder(const std::string &folder, int depth)
{
    // The pattern, and every path below, must fit the ANSI calls and the entry's path.
    if (folder.size() + 2 > kPathWidth)
        return;
    WIN32_FIND_DATAA found;
    std::vector<std::string> subfolders;
    {
        FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &found));
        if (!find)
            return;
        do {
            const std::string name = found.cFileName;
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder ? depth <= 0 || name.empty() || name[0] == '.'
                         : !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
                continue;
            // A name too long for a path is taken by its short form, so no file hides behind
            // the length of its name.
            std::string path = folder + "\\" + name;
            if (path.size() > kPathWidth && found.cAlternateFileName[0] != '\0')
                path = folder + "\\" + found.cAlternateFileName;
            if (path.size() > kPathWidth) {
                Trace("EnumHiddenFiles", ("path too long: " + path.substr(0, 200)).c_str());
                continue;
            }
            if (isFolder)
                subfolders.push_back(path);
            else
                AddHiddenEntry(path, found.cFileName,
                               (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0);
        } while (FindNextFileA(find.get(), &found));
    }
    for (const std::string &subfolder : subfolders)
        ListFolder(subfolder, depth - 1);
}

std::wstring WideOf(const char *path)
{
    wchar_t wide[MAX_PATH + 32];
    return MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH + 32) > 0 ? wide : L"";
}

// A file's place by its whole name: a path listed in its short form (its long one too long for
// the ANSI calls) must come back under its long name, not as a file called by the short one.
std::wstring WholePlaceOf(const char *path)
{
    const std::wstring wide = WideOf(path);
    if (wide.empty())
        return L"";
    // The short path fits the plain form; only the long answer needs the prefix.
    std::wstring whole(32768, L'\0');
    const DWORD got = GetLongPathNameW(wide.c_str(), &whole[0], 32768);
    if (got == 0 || got >= 32768)
        return L"\\\\?\\" + wide;
    whole.resize(got);
    return L"\\\\?\\" + whole;
}

std::string BytesOf(const std::wstring &wide)
{
    return std::string(reinterpret_cast<const char *>(wide.data()), wide.size() * sizeof(wchar_t));
}

// The vault's record of a kept file: where it stood (as listed, and by its whole name) and its
// attributes.
std::string KeptFileText(const char *path, const std::wstring &place, DWORD attributes)
{
    VaultText vault;
    vault.Line(kVaultHeader);
    char number[16];
    FormatBounded(number, sizeof number, "%lu", static_cast<unsigned long>(attributes));
    vault.Line(std::string(kPlaceWord) + " " + Hex(path) + " " + number + " " +
               Hex(BytesOf(place)));
    return vault.text;
}

struct KeptFile {
    std::string path;     // as listed and approved
    std::wstring place;   // the whole name it goes back to
    DWORD attributes = 0;
};

bool ReadKeptFile(const char *token, KeptFile &file)
{
    std::string text, place;
    if (!IsVaultToken(token) || !ReadVaultFile(token, text))
        return false;
    const std::vector<std::string> lines = LinesOf(text);
    if (lines.size() < 2 || lines[0] != kVaultHeader)
        return false;
    const std::vector<std::string> fields = FieldsOf(lines[1]);
    if (fields.size() != 4 || fields[0] != kPlaceWord || !Unhex(fields[1], file.path) ||
        file.path.empty() || file.path.size() > kPathWidth ||
        file.path.find('\0') != std::string::npos || !Unhex(fields[3], place) ||
        place.size() % sizeof(wchar_t) != 0)
        return false;
    file.place.assign(reinterpret_cast<const wchar_t *>(place.data()),
                      place.size() / sizeof(wchar_t));
    // Only a whole local path: a record cannot send the file anywhere else.
    if (file.place.rfind(L"\\\\?\\", 0) != 0 || file.place.size() < 7 ||
        file.place.find(L'\0') != std::wstring::npos ||
        file.place.find(L"\\..\\") != std::wstring::npos)
        return false;
    char *end = nullptr;
    const unsigned long number = strtoul(fields[2].c_str(), &end, 10);
    if (end == nullptr || *end != '\0')
        return false;
    file.attributes = static_cast<DWORD>(number);
    return true;
}

bool MoveWhole(const std::wstring &from, const std::wstring &to)
{
    return !from.empty() && !to.empty() &&
           MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) !=
               0;
}

// A move to another volume copies and then deletes; when only the delete failed (a read-only
// file), the file is still in its place and is deleted here, or the copy goes.
bool LeftItsPlace(const char *path, DWORD attributes, const char *kept)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
        return true;
    SetFileAttributesA(path, attributes);
    SetFileAttributesA(kept, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(kept);
    return false;
}

} // namespace

int EnumHiddenFiles()
{
    ClearEntryList();
    for (const WatchedFolder &folder : WatchedFolders())
        ListFolder(folder.path, folder.depth);
    return EntryCount();
}

int ApproveHiddenFile(const char *path)
{
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    char stamp[64];
    LocaleDateTimeText(now, stamp, sizeof stamp);
    return ApproveMark(AREA_Hidden, path, stamp);
}

void TakeHiddenBaseline()
{
    if (HasBaselineMarker(AREA_Hidden))
        return;
    EmptySnapshot(AREA_Hidden);
    CreateRegKey(HKEY_CURRENT_USER, kDetectedKey);
    SetBaselineMarker(AREA_Hidden);
    for (int i = 0, count = EnumHiddenFiles(); i < count; ++i)
        ApproveHiddenFile(EntryWholePath(i));
    ClearEntryList();
}

int ListHiddenForDating() { return EnumHiddenFiles(); }

namespace {

// Opens the file's place in the vault: its record written, and where the file itself goes.
// False, with the user told, when the vault cannot be written.
bool OpenVaultPlace(const char *title, const char *path, const std::wstring &place,
                    DWORD attributes, VaultToken &token, char *kept, size_t capacity)
{
    if (WriteVaultFile(kTokenPrefix, path, KeptFileText(path, place, attributes), token) &&
        VaultDataFile(token, kept, capacity))
        return true;
    const DWORD error = GetLastError();
    DropVaultFile(token);
    TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, title, error != 0 ? error : ERROR_WRITE_FAULT);
    return false;
}

const char *TitleOf(const char *name, const char *path)
{
    return name != nullptr && name[0] != '\0' ? name : FileNameOf(path);
}

DWORD FileAttributesOf(const char *path)
{
    if (path == nullptr || path[0] == '\0')
        return INVALID_FILE_ATTRIBUTES;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? INVALID_FILE_ATTRIBUTES : attributes;
}

} // namespace

HiddenDeletion DeleteHiddenFile(const char *name, const char *path)
{
    const DWORD attributes = FileAttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Withdraw(AREA_Hidden, path);
        return HiddenDeletion::Failed;
    }
    const char *title = TitleOf(name, path);
    HiddenDeletion result = HiddenDeletion::Refused;
    DWORD error = 0;
    VaultToken token = "";
    char kept[MAX_PATH + 32];
    const std::wstring place = WholePlaceOf(path);
    if (OpenVaultPlace(title, path, place, attributes, token, kept, sizeof kept)) {
        // A program running from the file holds it open.
        OfferToStopProgram(path, title, 0);
        if (!MoveWhole(WideOf(path), WideOf(kept)) || !LeftItsPlace(path, attributes, kept)) {
            error = GetLastError();
            DropVaultFile(token);
            result = HiddenDeletion::Failed;
        } else if (WriteHistoryRecord(title, path, "", kHiddenKind, kActionHiddenDelete, token) ==
                   kHistoryFailed) {
            error = GetLastError();
            // Not recorded, so not done: the file goes back as it was.
            if (MoveWhole(WideOf(kept), place)) {
                SetFileAttributesW(place.c_str(), attributes);
                DropVaultFile(token);
            }
            TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, title, error);
        } else {
            result = HiddenDeletion::Deleted;
        }
    }
    Withdraw(AREA_Hidden, path);
    SetLastError(error);
    return result;
}

HiddenDeletion DeleteHiddenFileOnRestart(const char *name, const char *path)
{
    const DWORD attributes = FileAttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return HiddenDeletion::Failed;
    const char *title = TitleOf(name, path);
    VaultToken token = "";
    char kept[MAX_PATH + 32];
    if (!OpenVaultPlace(title, path, WholePlaceOf(path), attributes, token, kept, sizeof kept))
        return HiddenDeletion::Refused;
    // The file stays in use until the restart: a copy goes into the vault now.
    if (!CopyFileA(path, kept, TRUE)) {
        const DWORD error = GetLastError();
        DropVaultFile(token);
        SetLastError(error);
        return HiddenDeletion::Failed;
    }
    if (WriteHistoryRecord(title, path, "", kHiddenKind, kActionHiddenDelete, token) ==
        kHistoryFailed) {
        const DWORD error = GetLastError();
        DropVaultFile(token);
        TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, title, error);
        return HiddenDeletion::Refused;
    }
    return DeleteOnRestart(path) ? HiddenDeletion::Deleted : HiddenDeletion::Failed;
}

int RestoreHiddenFile(const char *token)
{
    KeptFile file;
    char kept[MAX_PATH + 32];
    if (!ReadKeptFile(token, file) || !VaultDataFile(token, kept, sizeof kept) ||
        GetFileAttributesA(kept) == INVALID_FILE_ATTRIBUTES)
        return 0;
    // Whatever stands there now is the user's too: it is never overwritten.
    if (GetFileAttributesW(file.place.c_str()) != INVALID_FILE_ATTRIBUTES ||
        !MoveWhole(WideOf(kept), file.place))
        return 0;
    SetFileAttributesW(file.place.c_str(),
                       (file.attributes | FILE_ATTRIBUTE_HIDDEN) & ~FILE_ATTRIBUTE_NORMAL);
    DropVaultFile(token);
    ApproveHiddenFile(file.path.c_str());
    return 1;
}

int RestoreHiddenRecord(const RestoreRecord &record)
{
    return record.action == kActionHiddenDelete ? RestoreHiddenFile(record.kept) : 0;
}

int UnhideFile(const char *path)
{
    return path != nullptr && path[0] != '\0' && SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL)
               ? 1
               : 0;
}

void HiddenPlaces(PlaceList &out)
{
    for (const WatchedFolder &folder : WatchedFolders()) {
        // A bare drive ("C:") would name that drive's current folder.
        const bool drive = folder.path.size() == 2 && folder.path[1] == ':';
        AddFolderPlace(out, drive ? folder.path + "\\" : folder.path, folder.depth > 0);
    }
}

// Monitored system files and their saved copies.
#include "sysfiles.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "datetexts.h"
#include "files.h"
#include "folders.h"
#include "messages.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "trace.h"

namespace {

constexpr char kSysfilesKey[] = "Software\\Orvanto\\Sentrovia\\Sysfiles";
constexpr DWORD kNameWidth = 256;  // subkey names: 255 characters

std::string KeyOf(const char *name) { return std::string(kSysfilesKey) + "\\" + name; }

// A name is one subkey and one file in the data folder: nothing that leads elsewhere.
bool IsPlainName(const char *name)
{
    if (name == nullptr || name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    for (const char *c = name; *c != '\0'; ++c)
        if (*c == '\\' || *c == '/' || *c == ':')
            return false;
    return true;
}

// The file's last-write date text and size text; false when it can't be read.
bool FileFactsOf(const char *location, std::string &date, std::string &size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(location, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    FILETIME local;
    SYSTEMTIME time;
    char text[128];
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &time) || LocaleDateTimeText(time, text, sizeof text) == 0)
        return false;
    date = text;
    size = std::to_string(data.nFileSizeLow);
    return true;
}

std::string ReadValue(const char *name, const char *value)
{
    char text[1025] = "";
    ReadRegString(HKEY_LOCAL_MACHINE, KeyOf(name).c_str(), value, text, sizeof text);
    return text;
}

// Copies one file over another whole or not at all: the copy is made beside the target and put in
// its place in one step, so a failure never leaves the target half-written. A read-only target
// stays read-only. False with the error left in GetLastError.
bool CopyKeepingReadOnly(const char *from, const char *to)
{
    const std::string beside = std::string(to) + ".sntnew";
    const DWORD toAttributes = GetFileAttributesA(to);
    const bool readOnly =
        toAttributes != INVALID_FILE_ATTRIBUTES && (toAttributes & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
    bool done = CopyFileA(from, beside.c_str(), FALSE) != FALSE;
    if (done) {
        // The copy carries the source's attributes; the target keeps its own read-only mark.
        SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (readOnly)
            SetFileAttributesA(to, toAttributes & ~FILE_ATTRIBUTE_READONLY);
        done = MoveFileExA(beside.c_str(), to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               FALSE;
    }
    const DWORD error = GetLastError();
    if (!done)
        DeleteFileA(beside.c_str());
    if (readOnly) {
        const DWORD now = GetFileAttributesA(to);
        if (now != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesA(to, now | FILE_ATTRIBUTE_READONLY);
    }
    SetLastError(error);
    return done;
}

void WriteFacts(const char *name, const char *location)
{
    std::string date, size;
    if (!FileFactsOf(location, date, size))
        return;
    WriteRegString(HKEY_LOCAL_MACHINE, KeyOf(name).c_str(), "Date", date.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, KeyOf(name).c_str(), "Size", size.c_str());
}

} // namespace

int GetHostsPath(char *out, size_t capacity)
{
    char folder[MAX_PATH];
    const bool nt = IsNtFamily();
    if (!(nt ? SystemFolder(folder, sizeof folder) : WindowsFolder(folder, sizeof folder)) ||
        !FormatBounded(out, capacity, nt ? "%s\\drivers\\etc\\HOSTS" : "%s\\HOSTS", folder)) {
        if (out != nullptr && capacity > 0)
            out[0] = '\0';
        return 0;
    }
    return static_cast<int>(strlen(out));
}

int ViewHostsFile()
{
    char hosts[MAX_PATH];
    GetHostsPath(hosts, sizeof hosts);
    return OpenHostsInNotepad(hosts);
}

int SavedCopyPath(const char *name, char *out, size_t capacity)
{
    char folder[MAX_PATH];
    if (!IsPlainName(name) || !DataFolder(folder, sizeof folder) ||
        !FormatBounded(out, capacity, "%s\\%s", folder, name)) {
        if (out != nullptr && capacity > 0)
            out[0] = '\0';
        return 0;
    }
    return 1;
}

int AddSystemFile(const char *name, const char *location, const char *comment, int type)
{
    if (!IsPlainName(name) || location == nullptr)
        return 0;
    const std::string key = KeyOf(name);
    CreateRegKey(HKEY_LOCAL_MACHINE, key.c_str());
    if (!FileExists(location))
        return 0;
    WriteFacts(name, location);
    char text[16];
    FormatBounded(text, sizeof text, "%d", type);
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Type", text);
    if (comment != nullptr && comment[0] != '\0')
        WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Comment", comment);
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Location", location);
    char saved[MAX_PATH + 64];
    return SavedCopyPath(name, saved, sizeof saved) && CopyKeepingReadOnly(location, saved) ? 1
                                                                                            : 0;
}

void PrepareSystemFiles()
{
    char made[128] = "";
    if (ReadRegString(HKEY_LOCAL_MACHINE, kSysfilesKey, nullptr, made, sizeof made) > 0)
        return;
    Trace("sentrovia", "Initialize Sysfiles");
    CreateRegKey(HKEY_LOCAL_MACHINE, kSysfilesKey);
    char hosts[MAX_PATH], comment[512];
    GetHostsPath(hosts, sizeof hosts);
    LoadText(IDS_HOSTS_COMMENT, comment);
    AddSystemFile("HOSTS", hosts, comment, 0);
    LoadText(IDS_AUTOEXEC_COMMENT, comment);
    AddSystemFile("Autoexec.bat", "C:\\autoexec.bat", comment, 0);
    LoadText(IDS_CONFIG_SYS_COMMENT, comment);
    AddSystemFile("Config.sys", "C:\\Config.sys", comment, 0);
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    LocaleDateTimeText(now, made, sizeof made);
    WriteRegString(HKEY_LOCAL_MACHINE, kSysfilesKey, nullptr, made);
}

void ForEachSystemFile(void (*visit)(const char *name, const char *location, void *context),
                       void *context)
{
    std::vector<std::pair<std::string, std::string>> files;
    ForEachRegName(HKEY_LOCAL_MACHINE, kSysfilesKey, RegNames::Subkeys, [&](const char *name) {
        const std::string location = ReadValue(name, "Location");
        if (!location.empty() && IsPlainName(name))
            files.emplace_back(name, location);
        return true;
    });
    for (const auto &file : files)
        visit(file.first.c_str(), file.second.c_str(), context);
}

int SystemFileChanged(const char *name, const char *location)
{
    std::string date, size;
    if (!IsPlainName(name) || location == nullptr || !FileExists(location) ||
        !FileFactsOf(location, date, size))
        return 0;
    const std::string key = KeyOf(name);
    const int type = atoi(ReadValue(name, "Type").c_str());
    const std::string savedSize = ReadValue(name, "Size");
    if (atoi(savedSize.c_str()) == 0)
        WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Size", size.c_str());
    const std::string savedDate = ReadValue(name, "Date");
    if (savedDate.empty()) {
        WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Date", date.c_str());
        return 0;
    }
    return savedDate != date && (type != 0 || savedSize != size) ? 1 : 0;
}

int SystemFileComment(const char *name, char *out, size_t capacity)
{
    const std::string comment = IsPlainName(name) ? ReadValue(name, "Comment") : std::string();
    CopyBounded(out, capacity, comment.c_str());
    return static_cast<int>(strlen(out));
}

int AcceptFileChange(const char *name, const char *location, bool stopWatching)
{
    if (!IsPlainName(name) || location == nullptr)
        return 0;
    if (stopWatching)
        DeleteRegTree(HKEY_LOCAL_MACHINE, KeyOf(name).c_str());
    if (!FileExists(location)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    WriteFacts(name, location);
    char saved[MAX_PATH + 64];
    return SavedCopyPath(name, saved, sizeof saved) && CopyKeepingReadOnly(location, saved) ? 1
                                                                                            : 0;
}

int RejectFileChange(const char *name, const char *location, bool stopWatching)
{
    if (!IsPlainName(name) || location == nullptr)
        return 0;
    if (stopWatching)
        DeleteRegTree(HKEY_LOCAL_MACHINE, KeyOf(name).c_str());
    char saved[MAX_PATH + 64];
    if (!SavedCopyPath(name, saved, sizeof saved) || !FileExists(saved)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return CopyKeepingReadOnly(saved, location) ? 1 : 0;
}

namespace {

constexpr DWORD kRestartTextLimit = 16384;

bool WinInitFile(const char *name, char *out, size_t capacity)
{
    char folder[MAX_PATH];
    return WindowsFolder(folder, sizeof folder) &&
           FormatBounded(out, capacity, "%s\\%s", folder, name);
}

} // namespace

int RestartCommandsText(std::string &text)
{
    text.clear();
    char runner[MAX_PATH + 16], file[MAX_PATH + 16];
    if (!WinInitFile("wininit.exe", runner, sizeof runner) || !FileExists(runner) ||
        !WinInitFile("wininit.ini", file, sizeof file))
        return 0;
    Handle in(CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in)
        return 0;
    text.assign(kRestartTextLimit, '\0');
    DWORD got = 0;
    if (!ReadFile(in.get(), &text[0], kRestartTextLimit, &got, nullptr))
        got = 0;
    text.resize(got);
    return got > 0 ? 1 : 0;
}

int DeleteRestartCommands()
{
    char file[MAX_PATH + 16];
    if (!WinInitFile("wininit.ini", file, sizeof file))
        return 0;
    SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file);
    return GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

void SystemFilePlaces(PlaceList &out)
{
    // The list itself: a file added to it is watched from the pass that takes it in.
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kSysfilesKey);
    std::vector<std::string> folders;
    ForEachSystemFile(
        [](const char *, const char *location, void *context) {
            auto &found = *static_cast<std::vector<std::string> *>(context);
            std::string folder(location);
            const size_t slash = folder.find_last_of("\\/");
            if (slash == std::string::npos)
                return;
            folder.resize(slash);
            for (const std::string &known : found)
                if (EqualsNoCase(known.c_str(), folder.c_str()))
                    return;
            found.push_back(folder);
        },
        &folders);
    for (std::string &folder : folders)
        AddFolderPlace(out, std::move(folder));
}

void RestartFilePlaces(PlaceList &out)
{
    char folder[MAX_PATH];
    if (WindowsFolder(folder, sizeof folder))
        AddFolderPlace(out, folder);
}

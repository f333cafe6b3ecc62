#include "folders.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "files.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool FolderExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureFolder(const char *path)
{
    return CreateDirectoryA(path, nullptr) || FolderExists(path);
}

// folder + "\" + name; the backslash only after more than a drive's root.
int JoinFile(const char *folder, const char *name, char *buffer, size_t capacity)
{
    return FormatBounded(buffer, capacity, "%s%s%s", folder, strlen(folder) > 3 ? "\\" : "",
                         name);
}

} // namespace

int DataFolder(char *buffer, size_t capacity)
{
    char appData[MAX_PATH];
    char folder[MAX_PATH];
    char vault[MAX_PATH];
    if (ReadRegString(HKEY_CURRENT_USER, kUserShellFolders, "AppData", appData, sizeof appData) &&
        FormatBounded(folder, sizeof folder, "%s\\Sentrovia", appData) &&
        FormatBounded(vault, sizeof vault, "%s\\vault", folder)) {
        EnsureFolder(folder);
        if (EnsureFolder(vault))
            return CopyBounded(buffer, capacity, folder);
    }
    return ProgramFolder(buffer, capacity);
}

int SettingsFilePath(char *buffer, size_t capacity)
{
    char folder[MAX_PATH];
    char name[64];
    DataFolder(folder, sizeof folder);
    LoadText(IDS_SETTINGS_FILE, name);
    return JoinFile(folder, name, buffer, capacity);
}

int StartMenuFolder(char *buffer, size_t capacity)
{
    char folder[MAX_PATH];
    if (ReadRegString(HKEY_LOCAL_MACHINE, kUserShellFolders, "Start Menu", folder,
                      sizeof folder))
        return FormatBounded(buffer, capacity, "%s\\", folder);
    WindowsFolder(folder, sizeof folder);
    return FormatBounded(buffer, capacity, "%s\\Start Menu\\", folder);
}

int NoteFilePath(const char *command, char *buffer, size_t capacity)
{
    char clean[MAX_PATH];
    CleanPath(command, clean, sizeof clean);
    char name[MAX_PATH];
    if (!FileNamePart(clean, name, sizeof name))
        CopyBounded(name, clean);
    size_t length = strlen(name);
    name[length > 4 ? length - 4 : 0] = '\0';
    // Registry names of these paths write "=" as ":", which can't stand in a file name (it would
    // name a stream): notes write it as "_".
    ReplaceChar(name, '=', '_');

    char file[MAX_PATH];
    FormatBounded(file, sizeof file, "note_%s.txt", name);
    char folder[MAX_PATH];
    char path[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    JoinFile(folder, file, path, sizeof path);
    if (!FileExists(path)) {
        DataFolder(folder, sizeof folder);
        JoinFile(folder, file, path, sizeof path);
    }
    return CopyBounded(buffer, capacity, path);
}

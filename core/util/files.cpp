#include "files.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "owned.h"
#include "paths.h"
#include "platform.h"
#include "registry.h"
#include "text.h"

namespace {

// Bare names this short are looked for in the Windows and System folders.
constexpr size_t kBareNameLimit = 32;

using GetLongPathNameFn = DWORD(WINAPI *)(LPCSTR, LPSTR, DWORD);

// Looked up at run time: the first Windows 95 has no such function.
GetLongPathNameFn LongPathFunction()
{
    static GetLongPathNameFn function = reinterpret_cast<GetLongPathNameFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"),
                                                "GetLongPathNameA")));
    return function;
}

// The full path of name inside folder, when such a file exists.
bool ExistsIn(int (*folder)(char *, size_t), const char *name, char *full, size_t capacity)
{
    char base[MAX_PATH];
    if (!folder(base, sizeof base))
        return false;
    return FormatBounded(full, capacity, "%s\\%s", base, name) && FileExists(full);
}

} // namespace

bool FileExists(const char *path)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int LongPathForm(const char *path, char *out, size_t capacity)
{
    if (path == nullptr)
        path = "";
    GetLongPathNameFn function = LongPathFunction();
    bool windows95 = PlatformId() == VER_PLATFORM_WIN32_WINDOWS && MinorVersion() == 0;
    // Only a short name carries a "~"; without one the look-up could change nothing but letter
    // case, and it costs a directory search per component on every listed path.
    if (function != nullptr && !windows95 && strchr(path, '~') != nullptr) {
        char longForm[MAX_PATH * 2];
        DWORD length = function(path, longForm, sizeof longForm);
        if (length > 0 && length < sizeof longForm)
            return CopyBounded(out, capacity, longForm);
    }
    CopyBounded(out, capacity, path);
    return 0;
}

int CleanPath(const char *command, char *out, size_t capacity)
{
    char windows[MAX_PATH];
    WindowsFolder(windows, sizeof windows);
    char programFiles[MAX_PATH] = "";
    if (ContainsNoCase(command, "%PROGRAMFILES%") &&
        ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                      "ProgramFilesDir", programFiles, sizeof programFiles) == 0)
        CopyBounded(programFiles, kDefaultProgramFilesDir);
    return CleanPathOf(command, windows, programFiles, out, capacity);
}

int SplitCommand(const char *command, char *program, size_t programCapacity, char *parameters,
                 size_t parametersCapacity)
{
    char windows[MAX_PATH];
    WindowsFolder(windows, sizeof windows);
    char upper[MAX_PATH * 2];
    int fitted = SplitCommandOf(command, windows, upper, sizeof upper, parameters,
                                parametersCapacity);
    LongPathForm(upper, program, programCapacity);
    return fitted;
}

int FindFile(char *name, size_t capacity)
{
    if (name == nullptr || name[0] == '\0')
        return 0;
    char shortForm[MAX_PATH];
    DWORD length = GetShortPathNameA(name, shortForm, sizeof shortForm);
    if (length > 0 && length < sizeof shortForm && FileExists(shortForm))
        return 1;
    if (strlen(name) >= kBareNameLimit)
        return 0;
    char full[MAX_PATH];
    if (ExistsIn(WindowsFolder, name, full, sizeof full))
        return 1;
    if (!ExistsIn(SystemFolder, name, full, sizeof full))
        return 0;
    length = GetShortPathNameA(full, shortForm, sizeof shortForm);
    CopyBounded(name, capacity, length > 0 && length < sizeof shortForm ? shortForm : full);
    return 1;
}

int FolderOf(const char *path, char *out, size_t capacity)
{
    if (path == nullptr || path[0] == '\0')
        return 0;
    size_t cut = AfterLastBackslash(path);
    if (cut > 0) {
        // Keep the backslash of a drive's root ("C:\").
        size_t length = cut - 1 < 3 ? cut : cut - 1;
        char folder[MAX_PATH * 2];
        CopyBounded(folder, length + 1 < sizeof folder ? length + 1 : sizeof folder, path);
        return CopyBounded(out, capacity, folder);
    }
    if (strlen(path) >= kBareNameLimit)
        return 0;
    char full[MAX_PATH];
    if (ExistsIn(WindowsFolder, path, full, sizeof full))
        return WindowsFolder(out, capacity);
    if (ExistsIn(SystemFolder, path, full, sizeof full))
        return SystemFolder(out, capacity);
    return 0;
}

int DeleteOnRestart(const char *path)
{
    if (path == nullptr || path[0] == '\0')
        return 0;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (IsNtFamily())
        return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 1 : 0;
    // Windows 95/98/Me run wininit.ini's commands at start; it takes short names only.
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath)
        CopyBounded(shortPath, path);
    char folder[MAX_PATH];
    char file[MAX_PATH + 16];
    WindowsFolder(folder, sizeof folder);
    if (!FormatBounded(file, sizeof file, "%s\\wininit.ini", folder))
        return 0;
    char line[MAX_PATH + 8];
    FormatBounded(line, sizeof line, "NUL=%s\r\n", shortPath);
    Handle handle(CreateFileA(file, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return 0;
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(strlen(line));
    return WriteFile(handle.get(), line, size, &written, nullptr) && written == size ? 1 : 0;
}

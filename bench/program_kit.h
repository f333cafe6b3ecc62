// The registry and files around a benchmark that runs the real programs: options set and put
// back, values read and restored, the history cut back, windows waited for.
#pragma once
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "benchkit.h"
#include "keys.h"

namespace bench {

inline std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// A small file whole (a /proc file under Wine too); empty when it can't be read.
inline std::string ReadSmallFile(const std::string &file)
{
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(handle, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);
    CloseHandle(handle);
    return text;
}

inline std::string ReadValue(const char *key, const std::string &name)
{
    char text[1024];
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

inline void SetOption(const char *name, const char *value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kOptionsKey, name, REG_SZ, value,
                    static_cast<DWORD>(strlen(value) + 1));
}

struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

inline std::vector<Value> ReadValues(const char *path)
{
    std::vector<Value> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        Value value{name, type, std::vector<BYTE>(size + 2)};
        nameLength = sizeof name;
        DWORD got = size;
        RegEnumValueA(key, index, name, &nameLength, nullptr, &type, value.data.data(), &got);
        value.data.resize(got);
        values.push_back(std::move(value));
    }
    RegCloseKey(key);
    return values;
}

// Puts a key's values back as they were: the ones added since go, the others are rewritten.
inline void RestoreValues(const char *path, const std::vector<Value> &before)
{
    for (const Value &now : ReadValues(path)) {
        bool kept = false;
        for (const Value &old : before)
            kept = kept || old.name == now.name;
        if (!kept)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, path, now.name.c_str());
    }
    for (const Value &old : before)
        RegSetKeyValueA(HKEY_CURRENT_USER, path, old.name.c_str(), old.type, old.data.data(),
                        static_cast<DWORD>(old.data.size()));
}

// Removes the values whose names hold the folder (the approvals and first-seen dates of the
// run's programs).
inline int DeleteValuesNaming(const char *path, const std::string &folder)
{
    int deleted = 0;
    const std::string wanted = Upper(folder);
    for (const Value &value : ReadValues(path))
        if (Upper(value.name).find(wanted) != std::string::npos)
            deleted += RegDeleteKeyValueA(HKEY_CURRENT_USER, path, value.name.c_str()) ==
                       ERROR_SUCCESS;
    return deleted;
}

inline std::string ProgramFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = strrchr(path, '\\');
    if (slash != nullptr)
        *slash = '\0';
    return path;
}

inline LONGLONG FileSize(const std::string &file)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Cuts the history back to what it held before the run (or removes it if it was not there).
inline void RestoreHistory(const std::string &file, LONGLONG sizeBefore)
{
    if (sizeBefore < 0) {
        DeleteFileA(file.c_str());
        return;
    }
    HANDLE history = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (history == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER at;
    at.QuadPart = sizeBefore;
    if (SetFilePointerEx(history, at, nullptr, FILE_BEGIN))
        SetEndOfFile(history);
    CloseHandle(history);
}

inline bool WaitForWindowGone(HWND window, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(10);
    }
    return true;
}

inline HWND WaitForWindow(const char *className, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        if (HWND window = FindWindowA(className, nullptr))
            return window;
        Sleep(50);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

// Starts the Monitor and waits for its window and, on a first run, for its settings (the window
// comes before the baseline is taken); window is null when it did not start.
inline PROCESS_INFORMATION StartMonitor(const std::string &file, HWND &window)
{
    PROCESS_INFORMATION monitor = Start(file, "");
    window = monitor.hProcess != nullptr ? WaitForWindow("Sentrovia", 10000) : nullptr;
    for (int wait = 0; wait < 200 && window != nullptr &&
                       ReadValue(kProductKey, "Version") == "<missing>";
         ++wait)
        Sleep(50);
    return monitor;
}

// Ends the Monitor through its own Exit command, then "-Q"; false when neither ended it.
inline bool EndMonitor(HWND window, HANDLE process, const std::string &file)
{
    PostMessageA(window, WM_COMMAND, 6030, 0);
    if (WaitForSingleObject(process, 15000) == WAIT_OBJECT_0)
        return true;
    RunToEnd(file, "-Q");
    return WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
}

} // namespace bench

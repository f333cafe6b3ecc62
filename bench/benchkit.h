// What every benchmark needs: the registry mapped onto scratch keys, Run values seeded in it, the
// bare value loop of the startup walk, and the median time of a piece of work.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "keys.h"

namespace bench {

inline constexpr char kScratchParent[] = "Software\\SentroviaBench";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr int kRepetitions = 7;
inline const HKEY kHives[3] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT};

// Maps HKLM, HKCU and HKCR onto scratch keys under the real HKCU while it lives.
class ScratchRegistry {
public:
    ScratchRegistry()
    {
        root_ = std::string(kScratchParent) + "\\" + std::to_string(GetCurrentProcessId());
        const char *names[3] = {"HKLM", "HKCU", "HKCR"};
        for (int i = 0; i < 3; ++i) {
            std::string path = root_ + "\\" + names[i];
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &scratch_[i], nullptr) != ERROR_SUCCESS)
                scratch_[i] = nullptr;
        }
        for (int i = 0; i < 3; ++i)
            ok_ = ok_ && scratch_[i] != nullptr &&
                  RegOverridePredefKey(kHives[i], scratch_[i]) == ERROR_SUCCESS;
    }
    ~ScratchRegistry()
    {
        for (int i = 0; i < 3; ++i) {
            RegOverridePredefKey(kHives[i], nullptr);
            if (scratch_[i] != nullptr)
                RegCloseKey(scratch_[i]);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, root_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
    }
    ScratchRegistry(const ScratchRegistry &) = delete;
    ScratchRegistry &operator=(const ScratchRegistry &) = delete;
    bool ok() const { return ok_; }

private:
    std::string root_;
    HKEY scratch_[3] = {};
    bool ok_ = true;
};

// Replaces the Run values of both hives by count values, split between them; each command goes to
// onValue (when given) once written.
inline bool SeedRunValues(int count, void (*onValue)(const char *command) = nullptr)
{
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegDeleteTreeA(hive, kRunKey);
        RegDeleteKeyA(hive, kRunKey);
    }
    for (int i = 0; i < count; ++i) {
        HKEY hive = i % 2 == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        char name[32], data[96];
        snprintf(name, sizeof name, "Agent %04d", i);
        snprintf(data, sizeof data, "C:\\Program Files\\Vendor %04d\\agent%04d.exe /background", i,
                 i);
        if (RegSetKeyValueA(hive, kRunKey, name, REG_SZ, data,
                            static_cast<DWORD>(strlen(data) + 1)) != ERROR_SUCCESS)
            return false;
        if (onValue != nullptr)
            onValue(data);
    }
    return true;
}

// What the walk's Run-key step asks of the registry, and nothing more.
inline int BareRunLoop()
{
    int values = 0;
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const char *run : kRunKeys) {
            std::string path = std::string(kCurrentVersion) + "\\" + run;
            HKEY key;
            if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
                continue;
            for (DWORD index = 0;; ++index) {
                char name[512];
                BYTE data[513];
                DWORD nameLength = sizeof name, size = 512, type = 0;
                LONG result = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data,
                                            &size);
                if (result == ERROR_NO_MORE_ITEMS)
                    break;
                values += result == ERROR_SUCCESS;
            }
            RegCloseKey(key);
        }
    return values;
}

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <typename Work> double MedianMs(Work work)
{
    std::vector<double> times;
    for (int i = 0; i < kRepetitions; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Starts a program (its thread handle already closed); an empty record when it did not start.
inline PROCESS_INFORMATION Start(const std::string &program, const std::string &arguments)
{
    std::string line = "\"" + program + "\" " + arguments;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return {};
    CloseHandle(process.hThread);
    process.hThread = nullptr;
    return process;
}

// Runs a program to its end (at most 30 s).
inline void RunToEnd(const std::string &program, const std::string &arguments)
{
    PROCESS_INFORMATION process = Start(program, arguments);
    if (process.hProcess == nullptr)
        return;
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
}

} // namespace bench

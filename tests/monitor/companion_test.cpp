// The companion library posts the realtime signal when the set of processes changes.
#include <windows.h>
#include <tlhelp32.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "buildfiles.h"

namespace {

constexpr UINT kRealtimeSignal = 9024;
int g_signals = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRealtimeSignal) {
        ++g_signals;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Pumps messages until a signal arrives (if `untilSignal`) or the time is up.
void Pump(DWORD limit, bool untilSignal = false)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limit && !(untilSignal && g_signals != 0)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

void PumpUntilSignal(DWORD limit)
{
    Pump(limit, true);
}

std::set<DWORD> OwnThreads()
{
    std::set<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            threads.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

std::set<DWORD> ProcessIds()
{
    std::set<DWORD> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        processes.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return processes;
}

template <typename Step> std::set<DWORD> ThreadsStartedBy(Step step)
{
    std::set<DWORD> before = OwnThreads();
    step();
    std::set<DWORD> started;
    for (DWORD id : OwnThreads())
        if (!before.count(id))
            started.insert(id);
    return started;
}

// Whether every thread in `threads` has ended within a few seconds.
bool ThreadsEnd(const std::set<DWORD> &threads)
{
    for (DWORD id : threads) {
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
        if (thread == nullptr)
            continue;  // already gone
        DWORD waited = WaitForSingleObject(thread, 6000);
        CloseHandle(thread);
        if (waited != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

// The signals seen over `window` ms while the system's process set stayed unchanged (Wine starts
// and ends helper processes of its own, and other tests run alongside): each try first lets one
// poll pass so a change from just before it is not counted; -1 if the system never held still.
int SignalsWhileSteady(DWORD window)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::set<DWORD> before = ProcessIds();
        Pump(700);
        g_signals = 0;
        Pump(window);
        if (ProcessIds() == before)
            return g_signals;
    }
    return -1;
}

PROCESS_INFORMATION StartSleeper()
{
    std::string program = BuildFile("fixture_sleeper.exe");
    std::string line = "\"" + program + "\" 20000";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    return process;
}

TEST(Companion, SignalsProcessStartsAndEndsOnly)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CompanionTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);

    HMODULE companion = LoadLibraryA(BuildFile("quellmark.dll").c_str());
    ASSERT_NE(nullptr, companion);
    auto attach = reinterpret_cast<void(WINAPI *)(HWND)>(
        reinterpret_cast<void *>(GetProcAddress(companion, MAKEINTRESOURCEA(2))));
    auto detach = reinterpret_cast<void(WINAPI *)()>(
        reinterpret_cast<void *>(GetProcAddress(companion, MAKEINTRESOURCEA(3))));
    ASSERT_TRUE(attach && detach);

    g_signals = 0;
    std::set<DWORD> watcher = ThreadsStartedBy([&] { attach(window); });
    EXPECT_FALSE(watcher.empty()) << "attaching starts a watcher thread";

    EXPECT_EQ(0, SignalsWhileSteady(1500)) << "signal while the process set was steady";

    PROCESS_INFORMATION sleeper = StartSleeper();
    PumpUntilSignal(3000);
    EXPECT_GE(g_signals, 1);

    g_signals = 0;
    PumpUntilSignal(700);  // the start may be seen in two steps; let it settle
    g_signals = 0;
    TerminateProcess(sleeper.hProcess, 0);
    WaitForSingleObject(sleeper.hProcess, 5000);
    CloseHandle(sleeper.hThread);
    CloseHandle(sleeper.hProcess);
    PumpUntilSignal(3000);
    EXPECT_GE(g_signals, 1);

    detach();
    EXPECT_TRUE(ThreadsEnd(watcher)) << "the watcher is gone after detaching";

    // After detaching nothing more arrives, even when processes change.
    g_signals = 0;
    PROCESS_INFORMATION another = StartSleeper();
    PumpUntilSignal(1200);
    TerminateProcess(another.hProcess, 0);
    WaitForSingleObject(another.hProcess, 5000);
    CloseHandle(another.hThread);
    CloseHandle(another.hProcess);
    EXPECT_EQ(0, g_signals);

    // A window that is gone receives nothing and costs the watcher nothing.
    DestroyWindow(window);
    std::set<DWORD> secondWatcher = ThreadsStartedBy([&] { attach(window); });
    PROCESS_INFORMATION third = StartSleeper();
    Sleep(1200);
    TerminateProcess(third.hProcess, 0);
    WaitForSingleObject(third.hProcess, 5000);
    CloseHandle(third.hThread);
    CloseHandle(third.hProcess);
    detach();
    EXPECT_TRUE(ThreadsEnd(secondWatcher));
    FreeLibrary(companion);
}

} // namespace

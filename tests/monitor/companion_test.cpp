// The companion library posts the realtime signal when the set of processes changes.
#include <windows.h>
#include <tlhelp32.h>

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

// Pumps messages until a signal arrives or the time is up.
void PumpUntilSignal(DWORD limit)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limit && g_signals == 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

int ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// The thread count once it has come down to `expected`, or as it stands after a few seconds:
// Wine starts helper threads of its own now and then, which end by themselves, while a watcher
// left running never would.
int ThreadCountSettlingAt(int expected)
{
    int count = ThreadCount();
    for (int wait = 0; count != expected && wait < 60; ++wait) {
        Sleep(100);
        count = ThreadCount();
    }
    return count;
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

    int threadsBefore = ThreadCount();
    g_signals = 0;
    attach(window);
    EXPECT_EQ(threadsBefore + 1, ThreadCount());

    PumpUntilSignal(1500);
    EXPECT_EQ(0, g_signals) << "signal while the process set was steady";

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
    EXPECT_EQ(threadsBefore, ThreadCountSettlingAt(threadsBefore));  // the watcher is gone

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
    attach(window);
    PROCESS_INFORMATION third = StartSleeper();
    Sleep(1200);
    TerminateProcess(third.hProcess, 0);
    WaitForSingleObject(third.hProcess, 5000);
    CloseHandle(third.hThread);
    CloseHandle(third.hProcess);
    detach();
    EXPECT_EQ(threadsBefore, ThreadCountSettlingAt(threadsBefore));
    FreeLibrary(companion);
}

} // namespace

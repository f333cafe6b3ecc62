// The companion library posts the realtime signal when the set of processes changes.
#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "regsandbox.h"
#include "registry.h"
#include "scratch.h"

namespace {

constexpr UINT kRealtimeSignal = 9024;
constexpr UINT kPlaceSignal = 9025;
int g_signals = 0;
struct PlaceSignal {
    WPARAM tag;
    LPARAM unwatched;
};
std::vector<PlaceSignal> g_places;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRealtimeSignal) {
        ++g_signals;
        return 0;
    }
    if (message == kPlaceSignal) {
        g_places.push_back({wParam, lParam});
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

namespace {

struct Place {
    HKEY root;
    const char *path;
    BOOL subtree;
    UINT tag;
};
using WatchFn = void(WINAPI *)(const Place *, int);
using AttachFn = void(WINAPI *)(HWND);
using DetachFn = void(WINAPI *)();

// The companion loaded, attached to a message-only window of this thread.
class PlaceWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CompanionPlaceWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
        companion_ = LoadLibraryA(BuildFile("quellmark.dll").c_str());
        ASSERT_NE(nullptr, companion_);
        attach_ = reinterpret_cast<AttachFn>(
            reinterpret_cast<void *>(GetProcAddress(companion_, MAKEINTRESOURCEA(2))));
        detach_ = reinterpret_cast<DetachFn>(
            reinterpret_cast<void *>(GetProcAddress(companion_, MAKEINTRESOURCEA(3))));
        watch_ = reinterpret_cast<WatchFn>(
            reinterpret_cast<void *>(GetProcAddress(companion_, MAKEINTRESOURCEA(4))));
        ASSERT_TRUE(attach_ && detach_ && watch_);
        g_places.clear();
    }
    void TearDown() override
    {
        if (detach_ != nullptr)
            detach_();
        if (companion_ != nullptr)
            FreeLibrary(companion_);
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    void Watch(const std::vector<Place> &places)
    {
        watch_(places.data(), static_cast<int>(places.size()));
        attach_(window_);
        Pump(300);  // the waits are armed
        g_places.clear();
    }
    // The place signals of a tag over `limit` ms, stopping at the first when `first`.
    static int SignalsOf(WPARAM tag, DWORD limit, bool first = false)
    {
        int seen = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < limit && !(first && seen > 0)) {
            Pump(20);
            seen = 0;
            for (const PlaceSignal &signal : g_places)
                seen += signal.tag == tag && signal.unwatched == 0;
        }
        return seen;
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    HWND window_ = nullptr;
    HMODULE companion_ = nullptr;
    AttachFn attach_ = nullptr;
    DetachFn detach_ = nullptr;
    WatchFn watch_ = nullptr;
};

// The process's open handles, found one by one: Wine answers every GetProcessHandleCount with 0.
std::set<uintptr_t> OpenHandles()
{
    std::set<uintptr_t> open;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            open.insert(value);
    }
    return open;
}

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST_F(PlaceWatch, AChangedKeyOrFolderSignalsItsOwnTagOnce)
{
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kRunKey));
    const std::string folder = scratch_.File("Startup");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Watch({{HKEY_CURRENT_USER, kRunKey, FALSE, 3}, {nullptr, folder.c_str(), FALSE, 7}});

    WriteRegString(HKEY_CURRENT_USER, kRunKey, "Updater", "C:\\updater.exe");
    EXPECT_EQ(1, SignalsOf(3, 2000, true));
    EXPECT_EQ(1, SignalsOf(3, 600)) << "one write, one signal";
    EXPECT_EQ(0, SignalsOf(7, 0));

    g_places.clear();
    std::ofstream(folder + "\\updater.lnk") << "link";
    EXPECT_EQ(1, SignalsOf(7, 2000, true));
    EXPECT_EQ(0, SignalsOf(3, 0));

    // Nothing changes: nothing comes.
    g_places.clear();
    Pump(800);
    EXPECT_TRUE(g_places.empty());
}

TEST_F(PlaceWatch, ABurstOfFiftyWritesIsOneSignal)
{
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kRunKey));
    Watch({{HKEY_CURRENT_USER, kRunKey, FALSE, 0}});
    for (int i = 0; i < 50; ++i)
        WriteRegString(HKEY_CURRENT_USER, kRunKey, ("Value" + std::to_string(i)).c_str(), "x");
    EXPECT_EQ(1, SignalsOf(0, 2500));
}

TEST_F(PlaceWatch, AKeyMadeAfterTheWatchBeganIsWatchedFromThen)
{
    // Neither the key nor its parent is there yet, as HKCU RunOnce on a fresh system.
    const char kLater[] = "Software\\SentroviaLater\\Deeper\\RunOnce";
    Watch({{HKEY_CURRENT_USER, kLater, FALSE, 2}});
    CreateRegKey(HKEY_CURRENT_USER, "Software\\Unrelated");
    EXPECT_EQ(0, SignalsOf(2, 600)) << "another key appearing is no change of this place";

    WriteRegString(HKEY_CURRENT_USER, kLater, "Setup", "C:\\setup.exe");
    EXPECT_EQ(1, SignalsOf(2, 2000, true)) << "the key appearing with its value";
    Pump(400);
    g_places.clear();
    WriteRegString(HKEY_CURRENT_USER, kLater, "Second", "C:\\second.exe");
    EXPECT_EQ(1, SignalsOf(2, 2000, true)) << "and a later write into it";

    // A folder made later, likewise.
    const std::string folder = scratch_.File("made\\later");
    g_places.clear();
    watch_(std::vector<Place>{{nullptr, folder.c_str(), FALSE, 4}}.data(), 1);
    Pump(300);
    CreateDirectoryA(scratch_.File("made").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    Pump(400);
    g_places.clear();
    std::ofstream(folder + "\\task.job") << "job";
    EXPECT_EQ(1, SignalsOf(4, 2000, true));
}

TEST_F(PlaceWatch, APlaceThatCannotBeWatchedIsToldWithItsIndex)
{
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kRunKey));
    watch_(std::vector<Place>{{HKEY_CURRENT_USER, kRunKey, FALSE, 1},
                              {nullptr, "Q:\\no\\such\\drive", FALSE, 5}}
               .data(),
           2);
    attach_(window_);
    const DWORD start = GetTickCount();
    while (g_places.empty() && GetTickCount() - start < 2000)
        Pump(20);
    ASSERT_EQ(1u, g_places.size());
    EXPECT_EQ(5u, g_places[0].tag);
    EXPECT_EQ(2, g_places[0].unwatched);
}

TEST_F(PlaceWatch, DetachEndsEveryWaitWithEveryHandleClosed)
{
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kRunKey));
    // More places than one wait holds.
    std::vector<std::string> folders;
    for (int i = 0; i < 70; ++i) {
        // Appended rather than added to a literal: GCC 12 misreads that as an overlapping copy.
        std::string name = "f";
        name += std::to_string(i);
        folders.push_back(scratch_.File(name));
        CreateDirectoryA(folders.back().c_str(), nullptr);
    }
    std::vector<Place> places{{HKEY_CURRENT_USER, kRunKey, FALSE, 1}};
    for (const std::string &folder : folders)
        places.push_back({nullptr, folder.c_str(), FALSE, 6});
    const std::set<uintptr_t> before = OpenHandles();
    ASSERT_FALSE(before.empty());
    std::set<DWORD> waits = ThreadsStartedBy([&] { Watch(places); });
    EXPECT_GE(waits.size(), 2u) << "71 places need two waits";

    std::ofstream(folders.back() + "\\new.txt") << "x";
    EXPECT_EQ(1, SignalsOf(6, 2000, true)) << "a place of the second wait is watched too";

    detach_();
    EXPECT_TRUE(ThreadsEnd(waits));
    EXPECT_EQ(before, OpenHandles());
    // Nothing comes after detaching.
    g_places.clear();
    WriteRegString(HKEY_CURRENT_USER, kRunKey, "Late", "x");
    Pump(600);
    EXPECT_TRUE(g_places.empty());
}

} // namespace

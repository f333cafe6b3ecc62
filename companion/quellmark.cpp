// The Monitor's companion library: a watcher thread that posts the realtime signal to the
// Monitor's main window whenever the set of running processes changes, and the place watch that
// posts the place signal whenever a watched key or folder changes.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <vector>

#define QUELLMARK_API __declspec(dllexport)
#include "ids.h"
#include "place_watch.h"
#include "quellmark.h"

namespace {

constexpr UINT kRealtimeSignal = WM_SENTROVIA_REALTIME;
// Often enough to report a change well within two seconds, rarely enough to cost nothing.
constexpr DWORD kPollMilliseconds = 500;

std::atomic<HWND> g_mainWindow{nullptr};
HANDLE g_stop = nullptr;
HANDLE g_thread = nullptr;

// The running processes' ids in order; empty when no snapshot could be taken.
std::vector<DWORD> ProcessSet()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry))
        ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    std::sort(ids.begin(), ids.end());
    return ids;
}

DWORD WINAPI Watch(LPVOID)
{
    std::vector<DWORD> known = ProcessSet();
    while (WaitForSingleObject(g_stop, kPollMilliseconds) == WAIT_TIMEOUT) {
        std::vector<DWORD> now = ProcessSet();
        if (now.empty() || now == known)
            continue;
        known.swap(now);
        // Posting never waits for the Monitor; a window that is gone gets nothing.
        HWND window = g_mainWindow.load();
        if (window != nullptr && IsWindow(window))
            PostMessageA(window, kRealtimeSignal, 0, 0);
    }
    return 0;
}

void StopWatching()
{
    if (g_thread != nullptr) {
        SetEvent(g_stop);
        WaitForSingleObject(g_thread, INFINITE);
        CloseHandle(g_thread);
        g_thread = nullptr;
    }
    if (g_stop != nullptr) {
        CloseHandle(g_stop);
        g_stop = nullptr;
    }
}

} // namespace

extern "C" {

QUELLMARK_API void WINAPI QuellmarkAttach(HWND mainWindow)
{
    g_mainWindow = mainWindow;
    if (g_thread != nullptr)
        return;
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (g_stop == nullptr)
        return;
    g_thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (g_thread == nullptr)
        StopWatching();
}

QUELLMARK_API void WINAPI QuellmarkDetach()
{
    StopWatching();
    StopWatchingPlaces();
    g_mainWindow = nullptr;
}

QUELLMARK_API void WINAPI QuellmarkWatch(const QuellmarkPlace *places, int count)
{
    std::vector<WatchPlace> copied;
    for (int i = 0; places != nullptr && i < count; ++i)
        if (places[i].path != nullptr)
            copied.push_back({places[i].root, places[i].path, places[i].subtree != FALSE,
                              places[i].tag});
    WatchPlaces(std::move(copied), &g_mainWindow);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
}

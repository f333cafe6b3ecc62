// The companion's place watch: waits on change notifications of registry keys and folders and
// posts one place signal per burst of changes.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

struct WatchPlace {
    HKEY root = nullptr;  // null: a folder
    std::string path;
    bool subtree = false;
    UINT tag = 0;
};

// Starts waiting on the places (replacing any earlier ones); signals go to *window while it is
// set. Called from one thread only.
void WatchPlaces(std::vector<WatchPlace> places, const std::atomic<HWND> *window);
// Ends every wait and closes every handle.
void StopWatchingPlaces();

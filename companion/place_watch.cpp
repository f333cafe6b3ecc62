#include "place_watch.h"

#include <algorithm>
#include <memory>

#include "ids.h"

namespace {

// A burst of writes (an installer writing twenty values) is one signal: it goes once the place
// has been quiet this long, or this long after the burst's first change at the latest.
constexpr DWORD kQuietMilliseconds = 150;
constexpr DWORD kHoldMilliseconds = 1000;
// One handle of each wait is its stop event.
constexpr size_t kPlacesPerWait = MAXIMUM_WAIT_OBJECTS - 1;
constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
constexpr DWORD kFolderFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE;

// The path one level up; empty at the top.
std::string ParentOf(const std::string &path)
{
    std::string parent = path;
    while (!parent.empty() && (parent.back() == '\\' || parent.back() == '/'))
        parent.pop_back();
    const size_t slash = parent.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    parent.resize(slash);
    // A drive's root keeps its backslash.
    if (parent.size() == 2 && parent[1] == ':')
        parent += '\\';
    return parent;
}

bool IsFolder(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One watched place and what is armed for it: the place itself, or while it is missing its
// nearest existing parent, to see it appear.
class Armed {
public:
    explicit Armed(WatchPlace place) : place_(std::move(place)) {}
    Armed(const Armed &) = delete;
    Armed &operator=(const Armed &) = delete;
    ~Armed() { Disarm(); }

    UINT Tag() const { return place_.tag; }
    // The handle to wait on; null while nothing could be armed.
    HANDLE Waitable() const { return place_.root != nullptr ? event_ : folder_; }

    // False when nothing could be armed: the patrol alone covers the place then.
    bool Arm()
    {
        Disarm();
        return place_.root != nullptr ? ArmKey() : ArmFolder();
    }

    // After the handle was signalled: arms again; true when the place itself changed (or
    // appeared, or went), false when only its parent did.
    bool Changed(bool &armed)
    {
        const bool wasOnParent = onParent_;
        if (place_.root != nullptr && !onParent_ &&
            RegNotifyChangeKeyValue(key_, place_.subtree, kKeyFilter, event_, TRUE) ==
                ERROR_SUCCESS) {
            armed = true;
            return true;
        }
        if (place_.root == nullptr && !onParent_ && IsFolder(place_.path) &&
            FindNextChangeNotification(folder_)) {
            armed = true;
            return true;
        }
        // The place went or appeared, or its parent changed: look again.
        armed = Arm();
        return !wasOnParent || !onParent_;
    }

private:
    void Disarm()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
        key_ = nullptr;
        if (folder_ != nullptr)
            FindCloseChangeNotification(folder_);
        folder_ = nullptr;
        if (event_ != nullptr)
            CloseHandle(event_);
        event_ = nullptr;
    }

    bool ArmKey()
    {
        event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (event_ == nullptr)
            return false;
        std::string path = place_.path;
        onParent_ = false;
        for (;;) {
            HKEY key = nullptr;
            const LONG opened = RegOpenKeyExA(place_.root, path.empty() ? nullptr : path.c_str(),
                                              0, KEY_NOTIFY, &key);
            if (opened == ERROR_SUCCESS) {
                key_ = key;
                // On a parent only its subkeys' names matter: the place appearing.
                const LONG armed =
                    onParent_ ? RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_NAME,
                                                        event_, TRUE)
                              : RegNotifyChangeKeyValue(key_, place_.subtree, kKeyFilter, event_,
                                                        TRUE);
                if (armed == ERROR_SUCCESS)
                    return true;
                break;
            }
            if (opened != ERROR_FILE_NOT_FOUND || path.empty())
                break;
            path = ParentOf(path);
            onParent_ = true;
        }
        Disarm();
        return false;
    }

    bool ArmFolder()
    {
        std::string path = place_.path;
        onParent_ = false;
        while (!path.empty()) {
            if (IsFolder(path)) {
                HANDLE handle = FindFirstChangeNotificationA(
                    path.c_str(), onParent_ ? FALSE : place_.subtree,
                    onParent_ ? FILE_NOTIFY_CHANGE_DIR_NAME : kFolderFilter);
                if (handle == INVALID_HANDLE_VALUE)
                    return false;
                folder_ = handle;
                return true;
            }
            path = ParentOf(path);
            onParent_ = true;
        }
        return false;
    }

    WatchPlace place_;
    HKEY key_ = nullptr;
    HANDLE folder_ = nullptr;
    HANDLE event_ = nullptr;
    bool onParent_ = false;
};

// One burst of changes of a tag, not yet signalled.
struct Pending {
    UINT tag;
    DWORD first;
    DWORD last;
};

// One waiting thread and its places.
struct Wait {
    std::vector<WatchPlace> places;
    std::vector<UINT> indexes;  // each place's index in the whole list
    const std::atomic<HWND> *window = nullptr;
    HANDLE stop = nullptr;
    HANDLE thread = nullptr;
};

void Post(const Wait &wait, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Posting never waits for the Monitor; a window that is gone gets nothing.
    HWND window = wait.window->load();
    if (window != nullptr && IsWindow(window))
        PostMessageA(window, message, wParam, lParam);
}

DWORD DueIn(const Pending &pending, DWORD now)
{
    const DWORD quiet = now - pending.last;
    const DWORD held = now - pending.first;
    if (quiet >= kQuietMilliseconds || held >= kHoldMilliseconds)
        return 0;
    return std::min(kQuietMilliseconds - quiet, kHoldMilliseconds - held);
}

DWORD WINAPI WaitThread(LPVOID parameter)
{
    Wait &wait = *static_cast<Wait *>(parameter);
    std::vector<std::unique_ptr<Armed>> armed;
    for (size_t i = 0; i < wait.places.size(); ++i) {
        armed.push_back(std::make_unique<Armed>(wait.places[i]));
        if (!armed.back()->Arm())
            Post(wait, WM_SENTROVIA_PLACE, wait.places[i].tag, wait.indexes[i] + 1);
    }
    std::vector<Pending> pending;
    for (;;) {
        HANDLE handles[MAXIMUM_WAIT_OBJECTS];
        size_t owners[MAXIMUM_WAIT_OBJECTS];
        DWORD count = 0;
        handles[count++] = wait.stop;
        for (size_t i = 0; i < armed.size(); ++i)
            if (HANDLE waitable = armed[i]->Waitable()) {
                owners[count] = i;
                handles[count++] = waitable;
            }
        // Nothing pending: no timeout, so the thread sleeps until something changes.
        const DWORD now = GetTickCount();
        DWORD timeout = INFINITE;
        for (const Pending &burst : pending)
            timeout = std::min(timeout, DueIn(burst, now));
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, timeout);
        if (result == WAIT_OBJECT_0 || result == WAIT_FAILED)
            break;
        if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
            const size_t index = owners[result - WAIT_OBJECT_0];
            bool rearmed = false;
            const bool changed = armed[index]->Changed(rearmed);
            if (!rearmed)
                Post(wait, WM_SENTROVIA_PLACE, armed[index]->Tag(), wait.indexes[index] + 1);
            if (changed) {
                const DWORD at = GetTickCount();
                auto burst = std::find_if(pending.begin(), pending.end(), [&](const Pending &p) {
                    return p.tag == armed[index]->Tag();
                });
                if (burst == pending.end())
                    pending.push_back({armed[index]->Tag(), at, at});
                else
                    burst->last = at;
            }
        }
        const DWORD after = GetTickCount();
        for (auto burst = pending.begin(); burst != pending.end();) {
            if (DueIn(*burst, after) == 0) {
                Post(wait, WM_SENTROVIA_PLACE, burst->tag, 0);
                burst = pending.erase(burst);
            } else {
                ++burst;
            }
        }
    }
    return 0;
}

std::vector<std::unique_ptr<Wait>> g_waits;

} // namespace

void WatchPlaces(std::vector<WatchPlace> places, const std::atomic<HWND> *window)
{
    StopWatchingPlaces();
    // An area's places kept together, so one wait sees its whole burst.
    std::vector<UINT> order(places.size());
    for (UINT i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](UINT a, UINT b) { return places[a].tag < places[b].tag; });
    for (size_t start = 0; start < order.size(); start += kPlacesPerWait) {
        auto wait = std::make_unique<Wait>();
        wait->window = window;
        for (size_t i = start; i < order.size() && i < start + kPlacesPerWait; ++i) {
            wait->places.push_back(places[order[i]]);
            wait->indexes.push_back(order[i]);
        }
        wait->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (wait->stop == nullptr)
            continue;
        wait->thread = CreateThread(nullptr, 0, WaitThread, wait.get(), 0, nullptr);
        if (wait->thread == nullptr) {
            CloseHandle(wait->stop);
            continue;
        }
        g_waits.push_back(std::move(wait));
    }
}

void StopWatchingPlaces()
{
    for (auto &wait : g_waits)
        SetEvent(wait->stop);
    for (auto &wait : g_waits) {
        WaitForSingleObject(wait->thread, INFINITE);
        CloseHandle(wait->thread);
        CloseHandle(wait->stop);
    }
    g_waits.clear();
}

// Times the real Explorer from its start until its Startup page lists every Run value, with 5000
// values added to HKCU Run and with none, and prints "explorer open: N values, X ms, ..." with the
// ratio of what the added values cost to the bare registry reads of them. The values (and any
// first-seen dates or approvals naming their folder) are taken out again at the end.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "benchkit.h"
#include "entries.h"

using namespace bench;

namespace {

constexpr int kAdded = 5000;
constexpr int kRuns = 3;
constexpr int kPageList = 1000;
constexpr DWORD kPatience = 60000;
constexpr char kFolder[] = "C:\\Open Bench Programs";
constexpr char kValuePrefix[] = "open bench ";
const char *const kNamingKeys[] = {"Software\\Orvanto\\Sentrovia\\Run",
                                   "Software\\Orvanto\\Detected\\Startup"};

std::string BenchFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    return folder.substr(0, folder.rfind('\\'));
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> ValueNames(HKEY root, const char *path)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

// Deletes the values of the key whose names hold the text.
void DeleteValuesHolding(HKEY root, const char *path, const std::string &text)
{
    const std::string wanted = Upper(text);
    for (const std::string &name : ValueNames(root, path))
        if (Upper(name).find(wanted) != std::string::npos)
            RegDeleteKeyValueA(root, path, name.c_str());
}

void TakeOutAdded()
{
    DeleteValuesHolding(HKEY_CURRENT_USER, kRunKey, kValuePrefix);
    for (const char *key : kNamingKeys)
        DeleteValuesHolding(HKEY_CURRENT_USER, key, kFolder);
}

bool AddValues(int count)
{
    for (int i = 0; i < count; ++i) {
        char name[64], data[160];
        snprintf(name, sizeof name, "%s%04d", kValuePrefix, i);
        snprintf(data, sizeof data, "%s\\Vendor %04d\\agent%04d.exe /background", kFolder, i, i);
        if (RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, data,
                            static_cast<DWORD>(strlen(data) + 1)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

struct Search {
    DWORD process;
    HWND sheet;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM context)
{
    auto &search = *reinterpret_cast<Search *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.process && IsWindowVisible(window) &&
        SendMessageA(window, PSM_GETTABCONTROL, 0, 0) != 0) {
        search.sheet = window;
        return FALSE;
    }
    return TRUE;
}

// The rows the Startup page lists, once the sheet shows it; -1 before.
int ListedRows(DWORD process)
{
    Search search{process, nullptr};
    EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
    if (search.sheet == nullptr)
        return -1;
    HWND page = reinterpret_cast<HWND>(SendMessageA(search.sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND list = page != nullptr ? GetDlgItem(page, kPageList) : nullptr;
    return list != nullptr ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

// Milliseconds from the Explorer's start until its page lists at least rows rows; -1 when it
// never did.
double OpenMs(const std::string &explorer, int rows)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PROCESS_INFORMATION process = Start(explorer, "");
    if (process.hProcess == nullptr)
        return -1;
    double took = -1;
    for (DWORD began = GetTickCount(); GetTickCount() - began < kPatience; Sleep(5))
        if (ListedRows(process.dwProcessId) >= rows) {
            QueryPerformanceCounter(&end);
            took = Milliseconds(start, end);
            break;
        }
    RunToEnd(explorer, "-Q");
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return took;
}

double MedianOpenMs(const std::string &explorer, int rows)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(OpenMs(explorer, rows));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    const std::string explorer = BenchFolder() + "\\SentroviaEx.exe";
    TakeOutAdded();
    const int before = BareRunLoop();
    // Open is when the page is there: it lists what it found before it is shown.
    const double plain = MedianOpenMs(explorer, 0);
    if (!AddValues(kAdded)) {
        fprintf(stderr, "open_bench: adding %d values failed\n", kAdded);
        TakeOutAdded();
        return 1;
    }
    // The list holds kMaxEntries of the values at most, and says the rest are left out.
    const double full = MedianOpenMs(explorer, kAdded < kMaxEntries ? kAdded : kMaxEntries);
    int read = 0;
    const double bare = MedianMs([&] { read = BareRunLoop(); });
    TakeOutAdded();
    if (plain < 0 || full < 0 || read != before + kAdded) {
        fprintf(stderr, "open_bench: opened in %.0f and %.0f ms, %d values read\n", plain, full,
                read);
        return 1;
    }
    printf("explorer open: %d values added, %.0f ms; with none added, %.0f ms; the added values "
           "%.0f ms, ratio %.1f to their bare reads (%.1f ms)\n",
           kAdded, full, plain, full - plain, bare > 0 ? (full - plain) / bare : 0.0, bare);
    return 0;
}

// How soon the real Monitor asks about a change made while it runs, place by place, and what its
// watch costs while nothing changes.
//
// The run starts the Monitor, then for each place a writer (this program again, with --writer):
// the writer waits until the Monitor has seen its own start and gone quiet, then changes the
// place trial after trial and times, from inside itself, each change until the alert window
// exists; it answers the alert and goes on. Then the Monitor idles with the watch on and with
// every realtime option 0, and its CPU time and the Wine server's are compared.
//
// Usage: realtime_bench [TRIALS [IDLE_MINUTES]]   (defaults 10 and 10)
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchkit.h"
#include "job_tasks.h"
#include "keys.h"
#include "program_kit.h"

namespace {

using bench::DeleteValuesNaming;
using bench::ReadSmallFile;
using bench::ReadValue;
using bench::ReadValues;
using bench::SetOption;
using bench::Value;

constexpr char kMonitorClass[] = "Sentrovia";
constexpr char kNewProgram[] = "Sentrovia New Program Alert";
constexpr char kFileTypeAlert[] = "Sentrovia File Type Change Alert";
constexpr char kHelpersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kTextCommand[] = "Software\\Classes\\txtfile\\shell\\open\\command";
constexpr const char *kRealtimeOptions[] = {
    "RealtimeStartup", "RealtimeIEHelper", "RealtimeSysFiles", "RealtimeFileType",
    "RealtimeStartPage", "RealtimeHidden", "RealtimeActiveX", "RealtimeServices"};
constexpr DWORD kAlertPatience = 60000;
// The Monitor refuses a pass under a second after the last: trials are spaced past that.
constexpr DWORD kTrialSpacing = 1300;

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(share * static_cast<double>(values.size()) + 0.999999);
    at = std::min(values.size(), std::max<size_t>(at, 1)) - 1;
    return values[at];
}

HANDLE OpenMonitor()
{
    HWND window = FindWindowA(kMonitorClass, nullptr);
    DWORD pid = 0;
    if (window != nullptr)
        GetWindowThreadProcessId(window, &pid);
    return pid != 0 ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                  FALSE, pid)
                    : nullptr;
}

double CpuMilliseconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (process == nullptr || !GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    const auto ms = [](const FILETIME &time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

double MonitorMilliseconds(HANDLE monitor);

// The Monitor has seen this program start (the companion's process signal, the pass it brought)
// once it has had time for both and its CPU time then stands still for a second.
void WaitUntilMyStartWasSeen(HANDLE monitor)
{
    Sleep(5000);
    double last = MonitorMilliseconds(monitor);
    for (int second = 0; second < 20; ++second) {
        Sleep(1000);
        const double now = MonitorMilliseconds(monitor);
        if (now == last)
            return;
        last = now;
    }
}

// The alert that shows within the patience, or null.
HWND AwaitAlert(const char *caption, double &shownAt)
{
    const double start = Now();
    while (Now() - start < kAlertPatience) {
        if (HWND alert = FindWindowA("#32770", caption)) {
            shownAt = Now();
            return alert;
        }
        Sleep(2);
    }
    return nullptr;
}

void AnswerYes(HWND alert)
{
    PostMessageA(alert, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(alert, IDYES)));
    bench::WaitForWindowGone(alert, 10000);
}

// One place: a change per trial, the alert it brings, and what puts the machine back.
struct Place {
    const char *name;
    const char *caption;
    void (*prepare)(const std::string &folder);
    void (*change)(const std::string &folder, int trial);
    void (*cleanUp)(const std::string &folder, int trials);
};

std::string Agent(const std::string &folder) { return folder + "\\agent.exe"; }

void NoPreparation(const std::string &) {}

void AddRunValue(const std::string &folder, int trial)
{
    const std::string name = "rtbench " + std::to_string(trial);
    const std::string command = Agent(folder) + " -trial" + std::to_string(trial);
    RegSetKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, name.c_str(), REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
}

void RemoveRunValues(const std::string &, int trials)
{
    for (int trial = 0; trial < trials; ++trial)
        RegDeleteKeyValueA(HKEY_CURRENT_USER, bench::kRunKey,
                           ("rtbench " + std::to_string(trial)).c_str());
}

std::string StartupFolder()
{
    char folder[MAX_PATH] = "";
    DWORD size = sizeof folder;
    RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Startup", RRF_RT_REG_SZ, nullptr, folder,
                 &size);
    return folder;
}

std::string ShortcutOf(int trial)
{
    return StartupFolder() + "\\rtbench " + std::to_string(trial) + ".lnk";
}

void AddShortcut(const std::string &folder, int trial)
{
    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return;
    // Each trial's shortcut leads to a program of its own, so each is new.
    const std::string target = folder + "\\agent" + std::to_string(trial) + ".exe";
    CopyFileA(Agent(folder).c_str(), target.c_str(), FALSE);
    link->SetPath(target.c_str());
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, ShortcutOf(trial).c_str(), -1, wide, MAX_PATH);
        file->Save(wide, TRUE);
        file->Release();
    }
    link->Release();
}

void RemoveShortcuts(const std::string &folder, int trials)
{
    for (int trial = 0; trial < trials; ++trial) {
        DeleteFileA(ShortcutOf(trial).c_str());
        DeleteFileA((folder + "\\agent" + std::to_string(trial) + ".exe").c_str());
    }
}

std::string ServiceName(int trial) { return "rtbench" + std::to_string(trial); }

void AddService(const std::string &folder, int trial)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
    if (manager == nullptr)
        return;
    const std::string title = "Realtime Bench Service " + std::to_string(trial);
    SC_HANDLE service = CreateServiceA(manager, ServiceName(trial).c_str(), title.c_str(),
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                       Agent(folder).c_str(), nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
    if (service != nullptr)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

void RemoveServices(const std::string &, int trials)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    for (int trial = 0; manager != nullptr && trial < trials; ++trial) {
        if (SC_HANDLE service = OpenServiceA(manager, ServiceName(trial).c_str(), DELETE)) {
            DeleteService(service);
            CloseServiceHandle(service);
        }
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Services",
                           ("Realtime Bench Service " + std::to_string(trial)).c_str());
    }
    if (manager != nullptr)
        CloseServiceHandle(manager);
}

std::string TaskName(int trial) { return "rtbench" + std::to_string(trial); }

void StartScheduler(const std::string &) { SchedulerRunning(); }

void AddTask(const std::string &folder, int trial)
{
    MakeJobTask(TaskName(trial), Agent(folder));
}

void RemoveTasks(const std::string &, int trials)
{
    for (int trial = 0; trial < trials; ++trial) {
        DeleteJobTask(TaskName(trial));
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Tasks",
                           (TaskName(trial) + ".job").c_str());
    }
}

std::string HelperClass(int trial)
{
    char text[64];
    snprintf(text, sizeof text, "{5EB0C1A0-7D2E-4C1B-9A3F-%012d}", trial);
    return text;
}

std::string HelperLibrary(const std::string &folder, int trial)
{
    return folder + "\\helper" + std::to_string(trial) + ".dll";
}

void AddHelper(const std::string &folder, int trial)
{
    // The class first, as an installer registers it, then the helper key that makes it one.
    const std::string library = HelperLibrary(folder, trial);
    CopyFileA((bench::ProgramFolder() + "\\vfx_plain.dll").c_str(), library.c_str(), FALSE);
    const std::string server = "CLSID\\" + HelperClass(trial) + "\\InprocServer32";
    RegSetKeyValueA(HKEY_CLASSES_ROOT, server.c_str(), nullptr, REG_SZ, library.c_str(),
                    static_cast<DWORD>(library.size() + 1));
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                        (std::string(kHelpersKey) + "\\" + HelperClass(trial)).c_str(), 0,
                        nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

void RemoveHelpers(const std::string &folder, int trials)
{
    for (int trial = 0; trial < trials; ++trial) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                       (std::string(kHelpersKey) + "\\" + HelperClass(trial)).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      (std::string(kHelpersKey) + "\\" + HelperClass(trial)).c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + HelperClass(trial)).c_str());
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ("CLSID\\" + HelperClass(trial)).c_str());
        DeleteFileA(HelperLibrary(folder, trial).c_str());
    }
    DeleteValuesNaming("Software\\Orvanto\\Sentrovia\\IEHelpers", "helper");
}

std::string g_textCommand;
std::vector<Value> g_approvedClasses;

void SaveTextCommand(const std::string &)
{
    char text[1024] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_LOCAL_MACHINE, kTextCommand, nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
    g_textCommand = text;
    g_approvedClasses = ReadValues("Software\\Orvanto\\Sentrovia\\Class");
}

void ChangeTextCommand(const std::string &folder, int trial)
{
    const std::string command = folder + "\\viewer" + std::to_string(trial) + ".exe %1";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kTextCommand, nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
}

void RestoreTextCommand(const std::string &, int)
{
    if (!g_textCommand.empty())
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kTextCommand, nullptr, REG_SZ, g_textCommand.c_str(),
                        static_cast<DWORD>(g_textCommand.size() + 1));
    bench::RestoreValues("Software\\Orvanto\\Sentrovia\\Class", g_approvedClasses);
}

const Place kPlaces[] = {
    {"Run value", kNewProgram, NoPreparation, AddRunValue, RemoveRunValues},
    {"Startup-folder shortcut", kNewProgram, NoPreparation, AddShortcut, RemoveShortcuts},
    {"new service", kNewProgram, NoPreparation, AddService, RemoveServices},
    {"new scheduled task", kNewProgram, StartScheduler, AddTask, RemoveTasks},
    {"browser helper", kNewProgram, NoPreparation, AddHelper, RemoveHelpers},
    {"file type", kFileTypeAlert, SaveTextCommand, ChangeTextCommand, RestoreTextCommand},
};

// The writer: this process, started after the Monitor, changes one place trial after trial.
int Write(int placeIndex, int trials, const std::string &folder)
{
    const Place &place = kPlaces[placeIndex];
    CoInitialize(nullptr);
    HANDLE monitor = OpenMonitor();
    if (monitor == nullptr) {
        fprintf(stderr, "no Monitor runs\n");
        return 1;
    }
    place.prepare(folder);
    WaitUntilMyStartWasSeen(monitor);
    std::vector<double> times;
    int missed = 0;
    for (int trial = 0; trial < trials; ++trial) {
        const double changed = Now();
        place.change(folder, trial);
        double shown = 0;
        HWND alert = AwaitAlert(place.caption, shown);
        if (alert == nullptr) {
            ++missed;
            continue;
        }
        times.push_back(shown - changed);
        AnswerYes(alert);
        Sleep(kTrialSpacing);
    }
    place.cleanUp(folder, trials);
    printf("%-24s %2zu trials, p50 %7.0f ms, p95 %7.0f ms, max %7.0f ms%s\n", place.name,
           times.size(), Percentile(times, 0.5), Percentile(times, 0.95),
           times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
           missed > 0 ? (", " + std::to_string(missed) + " not alerted").c_str() : "");
    CloseHandle(monitor);
    CoUninitialize();
    return missed > 0 ? 1 : 0;
}

// Each prefix has its own server: the one started with this run's WINEPREFIX counts.
bool OfThisPrefix(const std::string &process)
{
    char prefix[MAX_PATH] = "";
    if (GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix) == 0)
        return true;
    const std::string environment = ReadSmallFile(process + "\\environ");
    const std::string wanted = std::string("WINEPREFIX=") + prefix;
    for (size_t at = 0; at < environment.size(); at += strlen(environment.c_str() + at) + 1)
        if (strcmp(environment.c_str() + at, wanted.c_str()) == 0)
            return true;
    return false;
}

// The CPU time, in milliseconds, of the Linux processes whose command line passes the test,
// from their stat files; 0 off Wine.
template <typename Test> double LinuxCpuMilliseconds(Test test)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    double total = 0;
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9')
            continue;
        const std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        const std::string line = ReadSmallFile(folder + "\\cmdline");
        if (line.empty() || !test(folder, line.c_str()))
            continue;
        const std::string stat = ReadSmallFile(folder + "\\stat");
        // Fields 14 and 15 (user and system time, in clock ticks of 1/100 s) after the name.
        const char *at = strrchr(stat.c_str(), ')');
        unsigned long long user = 0, system = 0;
        if (at != nullptr &&
            sscanf(at + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                   &system) == 2)
            total += 10.0 * static_cast<double>(user + system);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return total;
}

double WineServerMilliseconds()
{
    return LinuxCpuMilliseconds([](const std::string &folder, const char *line) {
        return strstr(line, "wineserver") != nullptr && OfThisPrefix(folder);
    });
}

// Wine's GetProcessTimes of another process leaves out most of its time: the Linux process
// under the Monitor (its command line is the program's path) knows it all.
double MonitorMilliseconds(HANDLE monitor)
{
    char program[MAX_PATH] = "";
    if (GetModuleFileNameExA(monitor, nullptr, program, sizeof program) > 0) {
        const double fromLinux = LinuxCpuMilliseconds(
            [&](const std::string &, const char *line) { return _stricmp(line, program) == 0; });
        if (fromLinux > 0)
            return fromLinux;
    }
    return CpuMilliseconds(monitor);
}

struct Idle {
    double monitorMs;
    double serverMs;
};

Idle IdleFor(HANDLE monitor, int minutes)
{
    const double monitorBefore = MonitorMilliseconds(monitor);
    const double serverBefore = WineServerMilliseconds();
    Sleep(static_cast<DWORD>(minutes) * 60000);
    return {MonitorMilliseconds(monitor) - monitorBefore, WineServerMilliseconds() - serverBefore};
}

void SetRealtime(const char *value)
{
    for (const char *option : kRealtimeOptions)
        SetOption(option, value);
    // Taken in on the Monitor's next first half.
    SetOption("Update", "1");
}

} // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc == 5 && strcmp(argv[1], "--writer") == 0)
        return Write(atoi(argv[2]), atoi(argv[3]), argv[4]);
    const int trials = argc > 1 ? atoi(argv[1]) : 10;
    const int minutes = argc > 2 ? atoi(argv[2]) : 10;
    if (trials < 1 || minutes < 0) {
        fprintf(stderr, "usage: realtime_bench [TRIALS [IDLE_MINUTES]]\n");
        return 2;
    }
    if (FindWindowA(kMonitorClass, nullptr) != nullptr) {
        fprintf(stderr, "a Monitor is already running\n");
        return 1;
    }
    const std::string bin = bench::ProgramFolder();
    const std::string historyFile = bin + "\\history.txt";
    const LONGLONG historyBefore = bench::FileSize(historyFile);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "rtb" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA((bin + "\\fixture_sleeper.exe").c_str(), Agent(folder).c_str(), FALSE);

    const std::vector<Value> options = ReadValues(kOptionsKey);
    const std::vector<Value> product = ReadValues(kProductKey);
    SetOption("ConfirmExit", "0");
    SetOption("Debug", "0");
    for (const char *answer : {"HideStartup", "HideServices", "HideTasks", "HideIEHelper",
                               "HideFileType"})
        SetOption(answer, "0");
    SetOption("LockFileTypes", "0");
    SetRealtime("1");

    HWND window = nullptr;
    PROCESS_INFORMATION monitor = bench::StartMonitor(bin + "\\Sentrovia.exe", window);
    int result = 0;
    if (window == nullptr) {
        fprintf(stderr, "the Monitor did not start\n");
        result = 1;
    } else {
        printf("alert after a change, %d trials a place (periods as shipped):\n", trials);
        for (size_t place = 0; place < std::size(kPlaces); ++place) {
            PROCESS_INFORMATION writer =
                bench::Start(bin + "\\realtime_bench.exe", "--writer " + std::to_string(place) +
                                                               " " + std::to_string(trials) +
                                                               " \"" + folder + "\"");
            if (writer.hProcess == nullptr) {
                result = 1;
                continue;
            }
            WaitForSingleObject(writer.hProcess, INFINITE);
            DWORD code = 1;
            GetExitCodeProcess(writer.hProcess, &code);
            result |= code != 0;
            CloseHandle(writer.hProcess);
        }
        if (minutes > 0) {
            Sleep(5000);  // the last writer's end is seen
            const Idle on = IdleFor(monitor.hProcess, minutes);
            SetRealtime("0");
            Sleep(40000);  // a first half takes the options in
            const Idle off = IdleFor(monitor.hProcess, minutes);
            printf("idle %d min, watch on: Monitor %.0f ms CPU, Wine server %.0f ms\n", minutes,
                   on.monitorMs, on.serverMs);
            printf("idle %d min, realtime options 0: Monitor %.0f ms CPU, Wine server %.0f ms\n",
                   minutes, off.monitorMs, off.serverMs);
            printf("idle cost ratio (on / off): Monitor %.2f, Wine server %.2f\n",
                   off.monitorMs > 0 ? on.monitorMs / off.monitorMs : 0.0,
                   off.serverMs > 0 ? on.serverMs / off.serverMs : 0.0);
        }
        if (!bench::EndMonitor(window, monitor.hProcess, bin + "\\Sentrovia.exe")) {
            fprintf(stderr, "the Monitor did not end\n");
            result = 1;
        }
    }
    if (monitor.hProcess != nullptr) {
        if (WaitForSingleObject(monitor.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(monitor.hProcess, 1);
        CloseHandle(monitor.hProcess);
    }
    bench::RestoreValues(kOptionsKey, options);
    bench::RestoreValues(kProductKey, product);
    for (const char *key : {"Software\\Orvanto\\Sentrovia\\Run",
                            "Software\\Orvanto\\Detected\\Startup"})
        DeleteValuesNaming(key, folder);
    DeleteValuesNaming("Software\\Orvanto\\Sentrovia\\Run", "RTBENCH");
    bench::RestoreHistory(historyFile, historyBefore);
    DeleteFileA(Agent(folder).c_str());
    RemoveDirectoryA(folder.c_str());
    return result;
}

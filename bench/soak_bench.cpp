// The real Monitor over a long run of timer ticks while startup entries come and go, approved and
// turned down at its alerts and by standing answers; its handles, private memory and threads are
// read after the first alerts and at the end. Usage: soak_bench [TICKS]   (default 20000)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "benchkit.h"
#include "program_kit.h"
#include "keys.h"

using bench::DeleteValuesNaming;
using bench::FileSize;
using bench::ProgramFolder;
using bench::ReadSmallFile;
using bench::ReadValue;
using bench::ReadValues;
using bench::RestoreHistory;
using bench::RestoreValues;
using bench::RunToEnd;
using bench::SetOption;
using bench::Start;
using bench::Upper;
using bench::Value;
using bench::WaitForWindow;
using bench::WaitForWindowGone;

namespace {

constexpr char kMonitorClass[] = "Sentrovia";
constexpr char kExplorerClass[] = "SentroviaEx";
constexpr char kAlertCaption[] = "Sentrovia New Program Alert";
constexpr char kBaselineKey[] = "Software\\Orvanto\\Sentrovia\\Run";
constexpr char kFirstSeenKey[] = "Software\\Orvanto\\Detected\\Startup";
constexpr int kAlertPathBox = 1026;
constexpr int kTurnTicks = 17;     // one verify on the 17th tick
constexpr DWORD kPaceMs = 1150;    // the Monitor refuses a verify under a second after the last
constexpr int kPatienceTurns = 14; // turns a phase may take before it counts as missed

// ---- The Monitor process's figures ----------------------------------------------------------

// ntdll's system handle list; both layouts as ntdll fills them.
struct HandleEntry {
    ULONG ownerPid;  // USHORT process id and back-trace index on Windows; Wine keeps the pid whole
    BYTE typeIndex;
    BYTE attributes;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleList {
    ULONG count;
    HandleEntry handles[1];
};
struct HandleEntryEx {
    PVOID object;
    ULONG_PTR ownerPid;
    ULONG_PTR value;
    ULONG access;
    USHORT backTraceIndex;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleListEx {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntryEx handles[1];
};
struct TypeName {  // the head of OBJECT_TYPE_INFORMATION
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
};
using QuerySystem = LONG(NTAPI *)(ULONG, PVOID, ULONG, PULONG);
using QueryObject = LONG(NTAPI *)(HANDLE, ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kObjectTypeInformation = 2;
constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);

struct OwnedHandle {
    ULONG_PTR value;
    unsigned type;
};

// The system's handle list, as the extended class gives it or else the old one.
std::vector<OwnedHandle> HandlesOf(DWORD pid)
{
    std::vector<OwnedHandle> owned;
    static const auto query = reinterpret_cast<QuerySystem>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                "NtQuerySystemInformation")));
    if (query == nullptr)
        return owned;
    for (ULONG infoClass : {kSystemExtendedHandleInformation, kSystemHandleInformation}) {
        std::vector<char> buffer(1 << 16);
        LONG status;
        for (;;) {
            ULONG needed = 0;
            status = query(infoClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
            if (status != kLengthMismatch || buffer.size() >= (256u << 20))
                break;
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
        }
        if (status < 0)
            continue;
        if (infoClass == kSystemExtendedHandleInformation) {
            const auto *list = reinterpret_cast<const HandleListEx *>(buffer.data());
            for (ULONG_PTR i = 0; i < list->count; ++i)
                if (list->handles[i].ownerPid == pid)
                    owned.push_back({list->handles[i].value, list->handles[i].typeIndex});
        } else {
            const auto *list = reinterpret_cast<const HandleList *>(buffer.data());
            for (ULONG i = 0; i < list->count; ++i)
                // The old layout has room for 16 bits of the pid on Windows.
                if ((list->handles[i].ownerPid & 0xffff) == (pid & 0xffff))
                    owned.push_back({list->handles[i].value, list->handles[i].typeIndex});
        }
        return owned;
    }
    return owned;
}

// A handle type's name, from a copy of one handle of the type.
std::string TypeOf(HANDLE process, ULONG_PTR value)
{
    static const auto query = reinterpret_cast<QueryObject>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
    HANDLE copy = nullptr;
    if (query == nullptr ||
        !DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS))
        return "?";
    alignas(8) char info[1024] = {};
    std::string name = "?";
    if (query(copy, kObjectTypeInformation, info, sizeof info, nullptr) >= 0) {
        const auto *type = reinterpret_cast<const TypeName *>(info);
        char text[128] = "";
        WideCharToMultiByte(CP_ACP, 0, type->buffer, type->length / 2, text, sizeof text - 1,
                            nullptr, nullptr);
        name = text;
    }
    CloseHandle(copy);
    if (name.empty())
        name = "unnamed";
    return name;
}

// Private committed bytes, region by region: what PrivateUsage counts on Windows.
SIZE_T CommittedPrivate(HANDLE process)
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (char *at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<char *>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (region.RegionSize == 0)
            break;
    }
    return total;
}

// Wine reads 0 for PrivateUsage; the Linux process under the Monitor knows its resident
// anonymous memory. Found by its command line, which Wine makes the program's path.
std::string LinuxStatusFile(HANDLE process)
{
    char program[MAX_PATH] = "";
    if (!GetModuleFileNameExA(process, nullptr, program, sizeof program))
        return "";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
    if (find == INVALID_HANDLE_VALUE)
        return "";
    std::string status;
    do {
        if (!isdigit(static_cast<unsigned char>(found.cFileName[0])))
            continue;
        const std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        const std::string line = ReadSmallFile(folder + "\\cmdline");
        if (_stricmp(line.c_str(), program) == 0) {
            status = folder + "\\status";
            break;
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return status;
}

SIZE_T LinuxAnonymous(const std::string &statusFile)
{
    if (statusFile.empty())
        return 0;
    const std::string status = ReadSmallFile(statusFile);
    const size_t at = status.find("RssAnon:");
    return at == std::string::npos ? 0 : strtoull(status.c_str() + at + 8, nullptr, 10) * 1024;
}

int ThreadsOf(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot, &thread); more;
         more = Thread32Next(snapshot, &thread))
        count += thread.th32OwnerProcessID == pid;
    CloseHandle(snapshot);
    return count;
}

struct Figures {
    size_t handles = 0;
    std::map<std::string, int> byType;
    SIZE_T privateUsage = 0;  // GetProcessMemoryInfo
    SIZE_T committed = 0;     // the regions themselves
    SIZE_T anonymous = 0;     // resident anonymous memory of the Linux process, under Wine
    int threads = 0;
};

Figures Measure(HANDLE process, DWORD pid)
{
    static const std::string statusFile = LinuxStatusFile(process);
    Figures figures;
    std::vector<OwnedHandle> handles = HandlesOf(pid);
    figures.handles = handles.size();
    std::map<unsigned, std::string> names;
    for (const OwnedHandle &handle : handles) {
        auto known = names.find(handle.type);
        if (known == names.end() || known->second == "?")
            known = names.insert_or_assign(handle.type, TypeOf(process, handle.value)).first;
        ++figures.byType[known->second];
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                             sizeof memory))
        figures.privateUsage = memory.PrivateUsage;
    figures.committed = CommittedPrivate(process);
    figures.anonymous = LinuxAnonymous(statusFile);
    figures.threads = ThreadsOf(pid);
    return figures;
}

// The least of several readings half a second apart: a short-lived worker thread of the
// alerts, with its stack, comes and goes and would make one reading look like growth.
Figures QuietMeasure(HANDLE process, DWORD pid)
{
    Figures least = Measure(process, pid);
    for (int reading = 1; reading < 8; ++reading) {
        Sleep(500);
        const Figures f = Measure(process, pid);
        if (f.handles < least.handles) {
            least.handles = f.handles;
            least.byType = f.byType;
        }
        least.privateUsage = std::min(least.privateUsage, f.privateUsage);
        least.committed = std::min(least.committed, f.committed);
        least.anonymous = std::min(least.anonymous, f.anonymous);
        least.threads = std::min(least.threads, f.threads);
    }
    return least;
}

void PrintFigures(const char *when, int ticks, const Figures &f)
{
    printf("%s (tick %d): handles %zu, private memory %zu KB (committed private %zu KB, "
           "resident anonymous %zu KB), threads %d\n",
           when, ticks, f.handles, f.privateUsage / 1024, f.committed / 1024,
           f.anonymous / 1024, f.threads);
    printf("    handles by type:");
    for (const auto &[type, count] : f.byType)
        printf(" %s %d", type.c_str(), count);
    printf("\n");
}

double Ratio(double end, double start) { return start > 0 ? end / start : 0.0; }

// ---- The run --------------------------------------------------------------------------------

enum Answer { ANSWER_Yes, ANSWER_No };

struct Entry {
    std::string name, command;
    Answer answer;
    bool asked = false;  // its alert came (else a standing answer took it)
};

class Soak {
public:
    Soak(HWND monitor, HANDLE process, DWORD pid, int ticks, std::vector<std::string> programs)
        : monitor_(monitor), process_(process), pid_(pid), budget_(ticks),
          programs_(std::move(programs))
    {
    }

    int ticks() const { return ticks_; }
    // Ten progress figures over the run from here.
    void StartSampling()
    {
        sampleEvery_ = std::max(500, budget_ / 10);
        nextSample_ = ticks_ + sampleEvery_;
    }
    bool spent() const { return ticks_ >= budget_; }

    // One verify turn: its ticks, then the alerts it raised answered, then time for the next.
    void Turn()
    {
        int batch = std::min(kTurnTicks, budget_ - ticks_);
        for (int i = 0; i < batch; ++i)
            PostMessageA(monitor_, WM_TIMER, 1, 0);
        ticks_ += batch;
        ++turns_;
        DWORD since = GetTickCount();
        while (GetTickCount() - since < kPaceMs) {
            if (AnswerAlert())
                since = GetTickCount();  // a pass over a second long counts from its end
            else
                Sleep(15);
        }
        Settle();
        if (nextSample_ > 0 && ticks_ >= nextSample_ && ticks_ < budget_) {
            PrintFigures("progress", ticks_, QuietMeasure(process_, pid_));
            fflush(stdout);
            nextSample_ += sampleEvery_;
        }
    }

    // New Run values for the next passes; alerted ones are answered as given.
    void Add(int count, Answer first, Answer second)
    {
        for (int i = 0; i < count; ++i) {
            const int n = serial_++;
            Entry entry;
            entry.name = "soak agent " + std::to_string(n);
            // A command of its own each time: the same one asked twice is disabled instead.
            entry.command = programs_[n % programs_.size()] + " " + std::to_string(60000 + n);
            entry.answer = i == 0 ? first : second;
            RegSetKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, entry.name.c_str(), REG_SZ,
                            entry.command.c_str(), static_cast<DWORD>(entry.command.size() + 1));
            pending_.push_back(entry);
        }
    }

    // Turns until every added entry has its answer, or the patience is spent.
    void AwaitEntries()
    {
        for (int turn = 0; turn < kPatienceTurns && !pending_.empty() && !spent(); ++turn)
            Turn();
        for (const Entry &entry : pending_) {
            missed_ += !spent();
            RegDeleteKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, entry.name.c_str());
        }
        pending_.clear();
    }

    // A standing answer for the startup area (0 asks again), taken in by the next passes.
    void StandingAnswer(const char *value)
    {
        SetOption("HideStartup", value);
        SetOption("Update", "1");
        for (int turn = 0; turn < kPatienceTurns && !spent(); ++turn) {
            Turn();
            if (ReadValue(kOptionsKey, "Update") == "0")
                return;
        }
        missed_ += !spent();
    }

    // Answers an alert left open when the ticks ran out.
    void Finish()
    {
        for (int wait = 0; wait < 40 && !AnswerAlert(); ++wait)
            Sleep(50);
        Settle();
        for (const Entry &entry : pending_)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, entry.name.c_str());
        pending_.clear();
    }

    void Report() const
    {
        printf("verify turns: %d; entries: %d added, %d approved and %d removed at the alert, "
               "%d approved and %d removed by standing answer, %d alerts, %d missed\n",
               turns_, serial_, alertYes_, alertNo_, standingYes_, standingNo_, alerts_, missed_);
    }

private:
    // Finds the new-program alert and clicks the answer its entry was given.
    bool AnswerAlert()
    {
        HWND alert = FindWindowA("#32770", kAlertCaption);
        if (alert == nullptr)
            return false;
        char text[1024] = "";
        GetDlgItemTextA(alert, kAlertPathBox, text, sizeof text);
        int button = IDYES;
        bool known = false;
        for (Entry &entry : pending_)
            if (Upper(entry.command) == Upper(text)) {
                button = entry.answer == ANSWER_Yes ? IDYES : IDNO;
                entry.asked = known = true;
            }
        if (!known)
            printf("asked about something else: %s (approved)\n", text);
        ++alerts_;
        PostMessageA(alert, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(alert, button)));
        if (!WaitForWindowGone(alert, 10000)) {
            printf("the alert stayed open\n");
            return false;
        }
        return true;
    }

    // Entries whose answer has been applied: approved ones go from the Run key and the approvals
    // (so the walk keeps its length), turned-down ones the Monitor has removed itself.
    void Settle()
    {
        for (size_t i = 0; i < pending_.size();) {
            const Entry &entry = pending_[i];
            const bool approved = ReadValue(kBaselineKey, entry.command) != "<missing>";
            const bool removed =
                ReadValue(bench::kRunKey, entry.name) == "<missing>" && !approved;
            if (!approved && !removed) {
                ++i;
                continue;
            }
            const bool asked = entry.asked;
            if (approved) {
                RegDeleteKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, entry.name.c_str());
                RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaselineKey, entry.command.c_str());
                ++(asked ? alertYes_ : standingYes_);
                if (entry.answer != ANSWER_Yes)
                    ++missed_;
            } else {
                ++(asked ? alertNo_ : standingNo_);
                if (entry.answer != ANSWER_No)
                    ++missed_;
            }
            pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    HWND monitor_;
    HANDLE process_;
    DWORD pid_;
    int budget_;
    int ticks_ = 0;
    int turns_ = 0;
    int nextSample_ = 0;
    int sampleEvery_ = 0;
    std::vector<std::string> programs_;
    std::vector<Entry> pending_;
    int serial_ = 0;
    int alerts_ = 0, alertYes_ = 0, alertNo_ = 0, standingYes_ = 0, standingNo_ = 0, missed_ = 0;
};

// One round of every way an entry is answered: two alerts (one approved, one turned down), then
// two entries under each standing answer.
void Round(Soak &soak)
{
    soak.Add(2, ANSWER_Yes, ANSWER_No);
    soak.AwaitEntries();
    soak.StandingAnswer("1");
    soak.Add(2, ANSWER_Yes, ANSWER_Yes);
    soak.AwaitEntries();
    soak.StandingAnswer("2");
    soak.Add(2, ANSWER_No, ANSWER_No);
    soak.AwaitEntries();
    soak.StandingAnswer("0");
}

} // namespace

int main(int argc, char **argv)
{
    const int ticks = argc > 1 ? atoi(argv[1]) : 20000;
    if (ticks < 1000) {
        fprintf(stderr, "usage: soak_bench [TICKS]   (at least 1000)\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (FindWindowA(kMonitorClass, nullptr) != nullptr) {
        fprintf(stderr, "a Monitor is already running\n");
        return 1;
    }
    const std::string bin = ProgramFolder();
    const std::string monitorFile = bin + "\\Sentrovia.exe";
    const std::string historyFile = bin + "\\history.txt";
    const LONGLONG historyBefore = FileSize(historyFile);

    // The run's programs live out of any folder named after the product (removals of the
    // product's own entries are not recorded), one without an icon or version and one with both.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "soak" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> programs;
    for (const auto &[fixture, copy] : {std::pair{"fixture_sleeper.exe", "agent.exe"},
                                        std::pair{"fixture_explorer_dialog.exe", "viewer.exe"}}) {
        const std::string target = folder + "\\" + copy;
        if (CopyFileA((bin + "\\" + fixture).c_str(), target.c_str(), FALSE))
            programs.push_back(target);
    }
    if (programs.empty()) {
        fprintf(stderr, "no fixture program beside soak_bench.exe\n");
        RemoveDirectoryA(folder.c_str());
        return 1;
    }

    LARGE_INTEGER began, ended;
    QueryPerformanceCounter(&began);
    HWND window = nullptr;
    PROCESS_INFORMATION monitor = bench::StartMonitor(monitorFile, window);
    int result = 0;
    if (window == nullptr) {
        fprintf(stderr, "the Monitor did not start\n");
        result = 1;
    } else {
        // The options as the Monitor keeps them, before the run changes any, and the product
        // key, where the alerts save their places.
        const std::vector<Value> options = ReadValues(kOptionsKey);
        const std::vector<Value> product = ReadValues(kProductKey);
        SetOption("ConfirmExit", "0");
        SetOption("Debug", "0");
        SetOption("Start", "1");  // the startup check on every first-half pass
        Soak soak(window, monitor.hProcess, monitor.dwProcessId, ticks, programs);
        soak.StandingAnswer("0");

        Round(soak);  // the first alerts: what stays allocated after them is no leak
        const int startTicks = soak.ticks();
        soak.StartSampling();
        const Figures start = QuietMeasure(monitor.hProcess, monitor.dwProcessId);
        PrintFigures("start", startTicks, start);

        while (!soak.spent())
            Round(soak);
        soak.Finish();
        const Figures end = QuietMeasure(monitor.hProcess, monitor.dwProcessId);
        PrintFigures("end", soak.ticks(), end);
        QueryPerformanceCounter(&ended);

        printf("soak: %d ticks, %.0f s\n", soak.ticks(), bench::Milliseconds(began, ended) / 1000);
        soak.Report();
        printf("handles: %zu to %zu, ratio %.2f\n", start.handles, end.handles,
               Ratio(static_cast<double>(end.handles), static_cast<double>(start.handles)));
        printf("private memory: %zu KB to %zu KB, ratio %.2f\n", start.privateUsage / 1024,
               end.privateUsage / 1024,
               Ratio(static_cast<double>(end.privateUsage),
                     static_cast<double>(start.privateUsage)));
        printf("committed private memory: %zu KB to %zu KB, ratio %.2f\n",
               start.committed / 1024, end.committed / 1024,
               Ratio(static_cast<double>(end.committed), static_cast<double>(start.committed)));
        if (start.anonymous > 0)
            printf("resident anonymous memory: %zu KB to %zu KB, ratio %.2f\n",
                   start.anonymous / 1024, end.anonymous / 1024,
                   Ratio(static_cast<double>(end.anonymous),
                         static_cast<double>(start.anonymous)));
        printf("threads: %d to %d, ratio %.2f\n", start.threads, end.threads,
               Ratio(end.threads, start.threads));

        // The Monitor's own exit road, then everything the run left is put back.
        if (!bench::EndMonitor(window, monitor.hProcess, monitorFile)) {
            fprintf(stderr, "the Monitor did not end\n");
            result = 1;
        }
        RestoreValues(kOptionsKey, options);
        RestoreValues(kProductKey, product);
    }
    if (FindWindowA(kExplorerClass, nullptr) != nullptr)
        RunToEnd(bin + "\\SentroviaEx.exe", "-Q");
    if (monitor.hProcess != nullptr) {
        if (WaitForSingleObject(monitor.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(monitor.hProcess, 1);
        CloseHandle(monitor.hProcess);
    }

    for (const Value &value : ReadValues(bench::kRunKey))
        if (value.name.rfind("soak agent ", 0) == 0)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, bench::kRunKey, value.name.c_str());
    DeleteValuesNaming(kBaselineKey, folder);
    DeleteValuesNaming(kFirstSeenKey, folder);
    RestoreHistory(historyFile, historyBefore);
    for (const std::string &program : programs)
        DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
    return result;
}

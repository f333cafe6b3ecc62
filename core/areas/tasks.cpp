// Scheduled tasks through the Task Scheduler's 1.0 interface (the .job work items) and, where it
// is there, its 2.0 interface (the registered tasks of every folder).
#include "tasks.h"

#include <windows.h>

#include <initguid.h>
#include <mstask.h>
#include <oleauto.h>
#include <taskschd.h>

#include <cstring>
#include <string>
#include <vector>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "com.h"
#include "entries.h"
#include "history.h"
#include "historyline.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "processes.h"
#include "services.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "vault.h"

namespace {

constexpr char kSchedulerService[] = "Schedule";
constexpr char kAgentClass[] = "SAGEWINDOWCLASS";
constexpr char kAgentTitle[] = "SYSTEM AGENT COM WINDOW";
constexpr char kTokenPrefix[] = "task";
constexpr ULONG kBatch = 5;
constexpr int kFolderDepth = 32;         // 2.0 folders below the root that are walked
constexpr DWORD kStartWaitMs = 5000;     // for a just-started scheduler to come up
constexpr HRESULT kNotRunYet = 0x00041303;  // SCHED_S_TASK_HAS_NOT_RUN
constexpr HRESULT kTaskRunning = 0x00041301;
constexpr HRESULT kTaskNotScheduled = 0x00041305;

// Set when this unit started the scheduler, which is then stopped when the operation ends.
bool g_startedHere = false;
TaskServiceSource g_serviceSource = nullptr;

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t *text) : value_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR *put()
    {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR get() const { return value_; }
    const wchar_t *text() const { return value_ != nullptr ? value_ : L""; }

private:
    BSTR value_ = nullptr;
};

template <typename T> struct TaskMemory {
    T value = nullptr;
    ~TaskMemory() { CoTaskMemFree(value); }
};

std::string Narrow(const wchar_t *text)
{
    if (text == nullptr || text[0] == L'\0')
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

std::wstring Wide(const char *text)
{
    if (text == nullptr || text[0] == '\0')
        return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return wide;
}

bool EndsWithJob(const std::wstring &name)
{
    return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".job") == 0;
}

// The work item's name as Activate and Delete take it: some schedulers refuse the ".job" that
// the enumeration gives, and every one accepts the name without it.
std::wstring ItemName(const std::wstring &listed)
{
    return EndsWithJob(listed) ? listed.substr(0, listed.size() - 4) : listed;
}

bool IsTask2Title(const char *title) { return title != nullptr && title[0] == '\\'; }

SYSTEMTIME NoTime() { return SYSTEMTIME{}; }

std::string TimeText(const SYSTEMTIME &time)
{
    char text[64];
    TaskTimeText(time, text, sizeof text);
    return text;
}

std::string TimeText(HRESULT result, DATE date)
{
    SYSTEMTIME time = NoTime();
    if (result != S_OK || date <= 0 || !VariantTimeToSystemTime(date, &time))
        time = NoTime();
    return TimeText(time);
}

HWND AgentWindow() { return FindWindowA(kAgentClass, kAgentTitle); }

DWORD SchedulerState(SC_HANDLE service)
{
    SERVICE_STATUS status{};
    return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

int StartAgentProcess()
{
    if (AgentWindow() != nullptr)
        return 0;
    char program[MAX_PATH];
    DWORD found = SearchPathA(nullptr, "mstask.exe", nullptr, sizeof program, program, nullptr);
    if (found == 0 || found >= sizeof program)
        return found == 0 ? static_cast<int>(GetLastError()) : ERROR_FILENAME_EXCED_RANGE;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program, nullptr, nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | CREATE_NEW_CONSOLE, nullptr, nullptr, &startup,
                        &started))
        return static_cast<int>(GetLastError());
    g_startedHere = true;
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    // Its window is how it is found again to be stopped.
    WaitForInputIdle(process.get(), kStartWaitMs);
    return 0;
}

int StartSchedulerService()
{
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return static_cast<int>(GetLastError());
    // Asking only what is needed: a limited user may see the state without the right to start.
    {
        ServiceHandle service(OpenServiceA(manager.get(), kSchedulerService, SERVICE_QUERY_STATUS));
        if (service && SchedulerState(service.get()) == SERVICE_RUNNING)
            return 0;
    }
    ServiceHandle service(
        OpenServiceA(manager.get(), kSchedulerService, SERVICE_QUERY_STATUS | SERVICE_START));
    if (!service)
        return static_cast<int>(GetLastError());
    if (SchedulerState(service.get()) == SERVICE_RUNNING)
        return 0;
    if (!StartServiceA(service.get(), 0, nullptr) &&
        GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return static_cast<int>(GetLastError());
    // The work items are asked for right after: give the service its moment to come up.
    const DWORD begin = GetTickCount();
    while (SchedulerState(service.get()) == SERVICE_START_PENDING &&
           GetTickCount() - begin < kStartWaitMs)
        Sleep(20);
    return 0;
}

// What every operation does around its work: the scheduler running, COM for this thread, and
// a scheduler this unit started stopped again at the end.
class SchedulerSession {
public:
    SchedulerSession() : started_(StartTaskScheduler() == 0) {}
    ~SchedulerSession()
    {
        if (g_startedHere)
            StopTaskScheduler();
    }
    SchedulerSession(const SchedulerSession &) = delete;
    SchedulerSession &operator=(const SchedulerSession &) = delete;
    bool started() const { return started_; }

private:
    bool started_;
    ComScope com_;
};

// ---- The 1.0 work items ----

bool OpenScheduler(ComPtr<ITaskScheduler> &scheduler)
{
    return SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskScheduler, scheduler.put()));
}

// Calls visit(name) for every work item in batches of five, each worked last to first; visit
// answering false ends the walk.
template <typename Visit> HRESULT WalkWorkItems(ITaskScheduler *scheduler, Visit visit)
{
    ComPtr<IEnumWorkItems> items;
    HRESULT result = scheduler->Enum(reinterpret_cast<IEnumWorkItems **>(items.put()));
    if (FAILED(result))
        return result;
    for (;;) {
        LPWSTR *names = nullptr;
        ULONG fetched = 0;
        if (FAILED(items->Next(kBatch, &names, &fetched)) || names == nullptr || fetched == 0) {
            CoTaskMemFree(names);
            return S_OK;
        }
        bool going = true;
        for (ULONG i = fetched; i-- > 0;) {
            if (going && names[i] != nullptr)
                going = visit(std::wstring(names[i]));
            CoTaskMemFree(names[i]);
        }
        CoTaskMemFree(names);
        if (!going || fetched < kBatch)
            return S_OK;
    }
}

bool ActivateTask(ITaskScheduler *scheduler, const std::wstring &listed, ComPtr<ITask> &task)
{
    return SUCCEEDED(scheduler->Activate(ItemName(listed).c_str(), IID_ITask,
                                         reinterpret_cast<IUnknown **>(task.put())));
}

std::string TaskTime(ITask *task, bool next)
{
    SYSTEMTIME time = NoTime();
    const HRESULT result = next ? task->GetNextRunTime(&time) : task->GetMostRecentRunTime(&time);
    // The "not run yet", "no trigger" and "disabled" answers are successes without a time.
    return TimeText(result == S_OK ? time : NoTime());
}

struct Listed {
    std::string title;
    std::string path;
    std::string next;
    std::string last;
};

void ListWorkItems(std::vector<Listed> &tasks)
{
    ComPtr<ITaskScheduler> scheduler;
    if (!OpenScheduler(scheduler))
        return;
    WalkWorkItems(scheduler.get(), [&](const std::wstring &name) {
        ComPtr<ITask> task;
        if (!ActivateTask(scheduler.get(), name, task))
            return true;
        TaskMemory<LPWSTR> application;
        if (FAILED(task->GetApplicationName(&application.value)))
            application.value = nullptr;
        tasks.push_back(
            {Narrow(name.c_str()), Narrow(application.value), TaskTime(task.get(), true),
             TaskTime(task.get(), false)});
        return true;
    });
}

// Runs work on the first work item whose name equals the title, ignoring case; the result of
// work, or of the walk when none matched.
template <typename Work> HRESULT OnWorkItem(const char *title, Work work)
{
    ComPtr<ITaskScheduler> scheduler;
    if (!OpenScheduler(scheduler))
        return E_FAIL;
    HRESULT result = S_OK;
    HRESULT walked = WalkWorkItems(scheduler.get(), [&](const std::wstring &name) {
        if (!EqualsNoCase(Narrow(name.c_str()).c_str(), title))
            return true;
        result = work(scheduler.get(), name);
        return false;
    });
    return FAILED(walked) ? walked : result;
}

// ---- The 2.0 registered tasks ----

HRESULT RealTaskService(ITaskService **service)
{
    return CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                            reinterpret_cast<void **>(service));
}

bool ConnectService(ComPtr<ITaskService> &service)
{
    const TaskServiceSource source = g_serviceSource != nullptr ? g_serviceSource : RealTaskService;
    if (FAILED(source(reinterpret_cast<ITaskService **>(service.put()))) || service.get() == nullptr)
        return false;
    VARIANT none;
    VariantInit(&none);
    return SUCCEEDED(service->Connect(none, none, none, none));
}

bool OpenFolder(ITaskService *service, const std::wstring &path, ComPtr<ITaskFolder> &folder)
{
    Bstr name(path.c_str());
    return SUCCEEDED(service->GetFolder(name.get(), reinterpret_cast<ITaskFolder **>(folder.put())))
           && folder.get() != nullptr;
}

VARIANT IndexOf(LONG index)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = index;
    return value;
}

// The first exec action's program (its environment names filled in) with its arguments.
std::string FirstProgram(IRegisteredTask *task)
{
    ComPtr<ITaskDefinition> definition;
    ComPtr<IActionCollection> actions;
    LONG count = 0;
    if (FAILED(task->get_Definition(reinterpret_cast<ITaskDefinition **>(definition.put()))) ||
        definition.get() == nullptr ||
        FAILED(definition->get_Actions(reinterpret_cast<IActionCollection **>(actions.put()))) ||
        actions.get() == nullptr || FAILED(actions->get_Count(&count)))
        return std::string();
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<IAction> action;
        TASK_ACTION_TYPE type;
        if (FAILED(actions->get_Item(i, reinterpret_cast<IAction **>(action.put()))) ||
            action.get() == nullptr || FAILED(action->get_Type(&type)) || type != TASK_ACTION_EXEC)
            continue;
        ComPtr<IExecAction> exec;
        if (FAILED(action->QueryInterface(IID_IExecAction, exec.put())) || exec.get() == nullptr)
            continue;
        Bstr path, arguments;
        if (FAILED(exec->get_Path(path.put())))
            continue;
        if (FAILED(exec->get_Arguments(arguments.put())))
            arguments.put();
        wchar_t expanded[MAX_PATH * 2];
        const DWORD size = ExpandEnvironmentStringsW(path.text(), expanded, MAX_PATH * 2);
        std::string program = Narrow(size > 0 && size <= MAX_PATH * 2 ? expanded : path.text());
        std::string command =
            program.find(' ') != std::string::npos && arguments.text()[0] != L'\0'
                ? '"' + program + '"'
                : program;
        if (arguments.text()[0] != L'\0')
            command += ' ' + Narrow(arguments.text());
        return command;
    }
    return std::string();
}

// Calls visit(task) for every task of the folder and the folders below it.
template <typename Visit> void WalkFolder(ITaskFolder *folder, int depth, Visit &visit)
{
    ComPtr<IRegisteredTaskCollection> tasks;
    LONG count = 0;
    if (SUCCEEDED(folder->GetTasks(TASK_ENUM_HIDDEN,
                                   reinterpret_cast<IRegisteredTaskCollection **>(tasks.put()))) &&
        tasks.get() != nullptr && SUCCEEDED(tasks->get_Count(&count)))
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<IRegisteredTask> task;
            if (SUCCEEDED(tasks->get_Item(IndexOf(i),
                                          reinterpret_cast<IRegisteredTask **>(task.put()))) &&
                task.get() != nullptr)
                visit(task.get());
        }
    if (depth >= kFolderDepth)
        return;
    ComPtr<ITaskFolderCollection> folders;
    if (FAILED(folder->GetFolders(0, reinterpret_cast<ITaskFolderCollection **>(folders.put()))) ||
        folders.get() == nullptr || FAILED(folders->get_Count(&count)))
        return;
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<ITaskFolder> below;
        if (SUCCEEDED(folders->get_Item(IndexOf(i), reinterpret_cast<ITaskFolder **>(below.put()))) &&
            below.get() != nullptr)
            WalkFolder(below.get(), depth + 1, visit);
    }
}

void ListRegisteredTasks(std::vector<Listed> &tasks)
{
    // A 1.0 work item is also a 2.0 task of the root folder, named without ".job".
    std::vector<std::string> known;
    for (const Listed &task : tasks) {
        std::wstring name = ItemName(Wide(task.title.c_str()));
        known.push_back('\\' + Narrow(name.c_str()));
    }
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    if (!ConnectService(service) || !OpenFolder(service.get(), L"\\", root))
        return;
    auto visit = [&](IRegisteredTask *task) {
        Bstr path;
        if (FAILED(task->get_Path(path.put())) || path.text()[0] != L'\\')
            return;
        const std::string title = Narrow(path.text());
        for (const std::string &other : known)
            if (EqualsNoCase(other.c_str(), title.c_str()))
                return;
        DATE next = 0, last = 0;
        const HRESULT nextResult = task->get_NextRunTime(&next);
        const HRESULT lastResult = task->get_LastRunTime(&last);
        tasks.push_back({title, FirstProgram(task), TimeText(nextResult, next),
                         TimeText(lastResult, last)});
        known.push_back(title);
    };
    WalkFolder(root.get(), 0, visit);
}

// A 2.0 title's folder and name: "\Vendor\Updater" is "\Vendor" and "Updater".
bool SplitTask2Title(const char *title, std::wstring &folder, std::wstring &name)
{
    const std::wstring path = Wide(title);
    const size_t last = path.rfind(L'\\');
    if (path.empty() || path[0] != L'\\' || last == std::wstring::npos || last + 1 >= path.size())
        return false;
    folder = last == 0 ? std::wstring(L"\\") : path.substr(0, last);
    name = path.substr(last + 1);
    return true;
}

// Runs work on the registered task named by a 2.0 title; its result, or the failure that kept
// the task from being found.
template <typename Work> HRESULT OnRegisteredTask(const char *title, Work work)
{
    std::wstring folderPath, name;
    if (!SplitTask2Title(title, folderPath, name))
        return E_INVALIDARG;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
    if (!ConnectService(service) || !OpenFolder(service.get(), folderPath, folder))
        return E_FAIL;
    return work(folder.get(), name);
}

template <typename Work> HRESULT WithTask2(ITaskFolder *folder, const std::wstring &name, Work work)
{
    ComPtr<IRegisteredTask> task;
    Bstr taskName(name.c_str());
    HRESULT result =
        folder->GetTask(taskName.get(), reinterpret_cast<IRegisteredTask **>(task.put()));
    if (FAILED(result) || task.get() == nullptr)
        return FAILED(result) ? result : E_FAIL;
    return work(task.get());
}

int WriteText(const std::string &text, char *out, size_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    CopyBounded(out, capacity, text.c_str());
    return static_cast<int>(strlen(out));
}

// Runs onRegistered on the 2.0 task or onWorkItem on the 1.0 work item the title names, in an
// operation of its own; neither when the task is not found.
template <typename OnRegistered, typename OnWorkItem1>
void OnTask(const char *title, OnRegistered onRegistered, OnWorkItem1 onWorkItem)
{
    if (title == nullptr)
        return;
    SchedulerSession session;
    if (!session.started())
        return;
    if (IsTask2Title(title)) {
        OnRegisteredTask(title, [&](ITaskFolder *folder, const std::wstring &name) {
            return WithTask2(folder, name, [&](IRegisteredTask *task) {
                onRegistered(task);
                return S_OK;
            });
        });
        return;
    }
    OnWorkItem(title, [&](ITaskScheduler *scheduler, const std::wstring &name) {
        ComPtr<ITask> task;
        if (ActivateTask(scheduler, name, task))
            onWorkItem(task.get());
        return S_OK;
    });
}

// ---- The vault copy of a task ----
//
// One vault file per deletion:
//   SentroviaVault 1
//   task1 <name>     a 1.0 work item, as listed (with its extension), then
//   job <bytes>      its job file as the scheduler saves it
//   task2 <path>     or a 2.0 task, by its path below the root, then
//   xml <text>       its registration as the scheduler gives it (UTF-16)

bool KeepWorkItem(ITaskScheduler *scheduler, const std::wstring &name, VaultText &vault)
{
    ComPtr<ITask> task;
    ComPtr<IPersistFile> file;
    char folder[MAX_PATH], temporary[MAX_PATH];
    if (!ActivateTask(scheduler, name, task) ||
        FAILED(task->QueryInterface(IID_IPersistFile, file.put())) ||
        !TempFolder(folder, sizeof folder) || GetTempFileNameA(folder, "snt", 0, temporary) == 0)
        return false;
    // The scheduler writes a copy only where no file is.
    DeleteFileA(temporary);
    const std::wstring copy = Wide(temporary);
    std::string bytes;
    bool saved = SUCCEEDED(file->Save(copy.c_str(), FALSE));
    if (saved) {
        Handle in(CreateFileA(temporary, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        saved = in && GetFileSizeEx(in.get(), &size) && size.QuadPart > 0 &&
                size.QuadPart < static_cast<LONGLONG>(kVaultLimit / 4);
        if (saved) {
            bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
            DWORD got = 0;
            saved = ReadFile(in.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got,
                             nullptr) &&
                    got == bytes.size();
        }
    }
    DeleteFileA(temporary);
    if (!saved)
        return false;
    vault.Line("task1 " + Hex(name.data(), name.size() * sizeof(wchar_t)));
    vault.Line("job " + Hex(bytes));
    return vault.fits;
}

bool KeepRegisteredTask(const char *title, VaultText &vault)
{
    std::wstring xml;
    const HRESULT result = OnRegisteredTask(title, [&](ITaskFolder *folder, const std::wstring &name) {
        return WithTask2(folder, name, [&](IRegisteredTask *task) {
            Bstr text;
            HRESULT got = task->get_Xml(text.put());
            if (SUCCEEDED(got))
                xml = text.text();
            return got;
        });
    });
    if (FAILED(result) || xml.empty())
        return false;
    const std::wstring path = Wide(title);
    vault.Line("task2 " + Hex(path.data(), path.size() * sizeof(wchar_t)));
    vault.Line("xml " + Hex(xml.data(), xml.size() * sizeof(wchar_t)));
    return vault.fits;
}

bool WideOf(const std::string &hex, std::wstring &text)
{
    std::string bytes;
    if (!Unhex(hex, bytes) || bytes.empty() || bytes.size() % sizeof(wchar_t) != 0)
        return false;
    text.assign(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(&text[0], bytes.data(), bytes.size());
    return text.find(L'\0') == std::wstring::npos;
}

HRESULT PutBackWorkItem(const std::wstring &name, const std::string &job)
{
    char folder[MAX_PATH], temporary[MAX_PATH];
    if (!TempFolder(folder, sizeof folder) || GetTempFileNameA(folder, "snt", 0, temporary) == 0)
        return E_FAIL;
    HRESULT result = E_FAIL;
    {
        Handle out(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (out && WriteFile(out.get(), job.data(), static_cast<DWORD>(job.size()), &written,
                             nullptr) &&
            written == job.size())
            result = S_OK;
    }
    if (SUCCEEDED(result)) {
        ComPtr<ITaskScheduler> scheduler;
        ComPtr<ITask> task;
        ComPtr<IPersistFile> file;
        const std::wstring item = ItemName(name);
        const std::wstring copy = Wide(temporary);
        // Added under its own name, never over a task that has taken the name since.
        result = !OpenScheduler(scheduler) ? E_FAIL
                 : FAILED(scheduler->NewWorkItem(item.c_str(), CLSID_CTask, IID_ITask,
                                                 reinterpret_cast<IUnknown **>(task.put())))
                     ? E_FAIL
                 : FAILED(task->QueryInterface(IID_IPersistFile, file.put())) ? E_FAIL
                 : FAILED(file->Load(copy.c_str(), STGM_READ))                 ? E_FAIL
                     : scheduler->AddWorkItem(item.c_str(),
                                              reinterpret_cast<IScheduledWorkItem *>(task.get()));
    }
    DeleteFileA(temporary);
    return result;
}

HRESULT PutBackRegisteredTask(const std::wstring &path, const std::wstring &xml)
{
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    if (!ConnectService(service) || !OpenFolder(service.get(), L"\\", root))
        return E_FAIL;
    Bstr name(path.c_str()), text(xml.c_str());
    VARIANT none;
    VariantInit(&none);
    ComPtr<IRegisteredTask> task;
    return root->RegisterTask(name.get(), text.get(), TASK_CREATE, none, none,
                              TASK_LOGON_INTERACTIVE_TOKEN, none,
                              reinterpret_cast<IRegisteredTask **>(task.put()));
}

} // namespace

void SetTaskServiceSource(TaskServiceSource source) { g_serviceSource = source; }

int StartTaskScheduler()
{
    g_startedHere = false;
    return IsNtFamily() ? StartSchedulerService() : StartAgentProcess();
}

int IsTaskSchedulerRunning()
{
    if (!IsNtFamily())
        return AgentWindow() != nullptr ? 1 : 0;
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(manager ? OpenServiceA(manager.get(), kSchedulerService,
                                                 SERVICE_QUERY_STATUS)
                                  : nullptr);
    return service && SchedulerState(service.get()) == SERVICE_RUNNING ? 1 : 0;
}

int StopTaskScheduler()
{
    g_startedHere = false;
    if (!IsNtFamily()) {
        HWND window = AgentWindow();
        DWORD id = 0;
        if (window == nullptr || GetWindowThreadProcessId(window, &id) == 0)
            return 1;
        Handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
        DWORD code = 0;
        if (!process || !GetExitCodeProcess(process.get(), &code) ||
            !TerminateProcess(process.get(), code))
            return static_cast<int>(GetLastError());
        RepaintTaskbar();
        return 0;
    }
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return static_cast<int>(GetLastError());
    ServiceHandle service(
        OpenServiceA(manager.get(), kSchedulerService, SERVICE_QUERY_STATUS | SERVICE_STOP));
    if (!service)
        return static_cast<int>(GetLastError());
    if (SchedulerState(service.get()) != SERVICE_RUNNING)
        return 0;
    SERVICE_STATUS status{};
    return ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 0 : 1;
}

int GetScheduledTasks()
{
    ClearEntryList();
    std::vector<Listed> tasks;
    {
        SchedulerSession session;
        if (!session.started())
            return 0;
        Sleep(10);
        ListWorkItems(tasks);
        ListRegisteredTasks(tasks);
    }
    for (const Listed &task : tasks)
        if (AddEntry(task.title.c_str(), task.path.c_str(), task.next.c_str(), task.last.c_str(),
                     kTaskKind, 0))
            // Deleted, approved and asked about by its own name, whatever the title shows.
            KeepEntryName(EntryCount() - 1, task.title.c_str());
    return EntryCount();
}

HRESULT DeleteScheduledTask(const char *title)
{
    if (title == nullptr)
        return S_OK;
    SchedulerSession session;
    if (!session.started())
        return S_OK;
    if (IsTask2Title(title))
        return OnRegisteredTask(title, [](ITaskFolder *folder, const std::wstring &name) {
            Bstr taskName(name.c_str());
            return folder->DeleteTask(taskName.get(), 0);
        });
    return OnWorkItem(title, [](ITaskScheduler *scheduler, const std::wstring &name) {
        HRESULT result = E_FAIL;
        // A task just written may be held a moment by the scheduler reading it.
        for (int attempt = 0; attempt < 20; ++attempt) {
            result = scheduler->Delete(ItemName(name).c_str());
            if (result != HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION))
                break;
            Sleep(50);
        }
        return result;
    });
}

int GetTaskComment(const char *title, char *text, size_t capacity)
{
    std::string comment;
    OnTask(
        title,
        [&](IRegisteredTask *task) {
            ComPtr<ITaskDefinition> definition;
            ComPtr<IRegistrationInfo> info;
            Bstr description;
            if (SUCCEEDED(task->get_Definition(
                    reinterpret_cast<ITaskDefinition **>(definition.put()))) &&
                definition.get() != nullptr &&
                SUCCEEDED(definition->get_RegistrationInfo(
                    reinterpret_cast<IRegistrationInfo **>(info.put()))) &&
                info.get() != nullptr && SUCCEEDED(info->get_Description(description.put())))
                comment = Narrow(description.text());
        },
        [&](ITask *task) {
            TaskMemory<LPWSTR> got;
            if (SUCCEEDED(task->GetComment(&got.value)))
                comment = Narrow(got.value);
        });
    return WriteText(comment, text, capacity);
}

int GetTaskStatusText(const char *title, char *text, size_t capacity)
{
    UINT id = 0;
    OnTask(
        title,
        [&](IRegisteredTask *task) {
            TASK_STATE state = TASK_STATE_UNKNOWN;
            task->get_State(&state);
            id = state == TASK_STATE_RUNNING    ? IDS_TASK_STATUS_RUNNING
                 : state == TASK_STATE_DISABLED ? IDS_TASK_STATUS_NOT_SCHEDULED
                                                : IDS_TASK_STATUS_READY;
        },
        [&](ITask *task) {
            HRESULT status = S_OK;
            if (SUCCEEDED(task->GetStatus(&status)))
                id = status == kTaskRunning        ? IDS_TASK_STATUS_RUNNING
                     : status == kTaskNotScheduled ? IDS_TASK_STATUS_NOT_SCHEDULED
                                                   : IDS_TASK_STATUS_READY;
        });
    if (id == 0)
        return WriteText("", text, capacity);
    return LoadText(id, text, capacity);
}

int GetTaskNextRunTime(const char *title, char *text, size_t capacity)
{
    std::string next;
    OnTask(
        title,
        [&](IRegisteredTask *task) {
            DATE date = 0;
            const HRESULT result = task->get_NextRunTime(&date);
            next = TimeText(result, date);
        },
        [&](ITask *task) { next = TaskTime(task, true); });
    return WriteText(next, text, capacity);
}

int TaskTimeText(const SYSTEMTIME &time, char *out, size_t capacity)
{
    return HistoryDateText(time, out, capacity);
}

int TaskShownName(const char *title, char *out, size_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    const size_t length = title != nullptr ? strlen(title) : 0;
    if (length > 4 && EqualsNoCase(title + length - 4, ".job")) {
        const size_t kept = length - 4 < capacity - 1 ? length - 4 : capacity - 1;
        memcpy(out, title, kept);
        out[kept] = '\0';
        return static_cast<int>(kept);
    }
    CopyBounded(out, capacity, title != nullptr ? title : "");
    return static_cast<int>(strlen(out));
}

TaskRemoval RemoveScheduledTask(const char *title, const char *program)
{
    if (title == nullptr || title[0] == '\0')
        return TaskRemoval::NotThere;
    VaultToken token = "";
    {
        SchedulerSession session;
        if (!session.started())
            return TaskRemoval::Failed;
        VaultText vault;
        vault.Line(kVaultHeader);
        bool found = false, kept = false;
        if (IsTask2Title(title)) {
            found = kept = KeepRegisteredTask(title, vault);
        } else {
            OnWorkItem(title, [&](ITaskScheduler *scheduler, const std::wstring &name) {
                found = true;
                kept = KeepWorkItem(scheduler, name, vault);
                return S_OK;
            });
        }
        if (!found)
            return TaskRemoval::NotThere;
        if (Option(OPT_History) > 0 &&
            (!kept || !WriteVaultFile(kTokenPrefix, title, vault.text, token))) {
            const DWORD error = GetLastError();
            TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, title, error != 0 ? error : ERROR_WRITE_FAULT);
            return TaskRemoval::Refused;
        }
    }
    const int recorded = WriteHistoryRecord(title, program != nullptr ? program : "", "", kTaskKind,
                                            kActionScheduledTaskRemove,
                                            token[0] != '\0' ? token : nullptr);
    if (recorded == kHistoryFailed) {
        const DWORD error = GetLastError();
        DropVaultFile(token);
        TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, title, error);
        return TaskRemoval::Refused;
    }
    return SUCCEEDED(DeleteScheduledTask(title)) ? TaskRemoval::Removed : TaskRemoval::Failed;
}

void TakeTasksBaseline()
{
    for (int i = 0, count = GetScheduledTasks(); i < count; ++i)
        Approve(AREA_Tasks, EntryWholeTitle(i), kTaskKind);
    ClearEntryList();
}

int ListTasksForDating() { return GetScheduledTasks(); }

int RestoreTaskRecord(const RestoreRecord &record)
{
    std::string text;
    if (record.action != kActionScheduledTaskRemove || !IsVaultToken(record.kept) ||
        !ReadVaultFile(record.kept, text))
        return 0;
    const std::vector<std::string> lines = LinesOf(text);
    if (lines.size() < 3 || lines[0] != kVaultHeader)
        return 0;
    const std::vector<std::string> place = FieldsOf(lines[1]);
    const std::vector<std::string> body = FieldsOf(lines[2]);
    std::wstring name;
    if (place.size() != 2 || body.size() != 2 || !WideOf(place[1], name))
        return 0;
    SchedulerSession session;
    if (!session.started())
        return 0;
    HRESULT result = E_FAIL;
    if (place[0] == "task1" && body[0] == "job" && name.find(L'\\') == std::wstring::npos) {
        std::string job;
        if (Unhex(body[1], job) && !job.empty())
            result = PutBackWorkItem(name, job);
    } else if (place[0] == "task2" && body[0] == "xml" && name[0] == L'\\') {
        std::wstring xml;
        if (WideOf(body[1], xml))
            result = PutBackRegisteredTask(name, xml);
    }
    if (FAILED(result))
        return 0;
    // Back as it was before the user's answer: approved again, so the watch does not ask anew.
    Approve(AREA_Tasks, Narrow(name.c_str()).c_str(), kTaskKind);
    return 1;
}

void TaskPlaces(PlaceList &out)
{
    // The scheduler keeps its work items as files: .job files in the Windows folder's Tasks
    // folder, and the newer tasks in the system folder's, in subfolders of their own.
    char folder[MAX_PATH];
    if (WindowsFolder(folder, sizeof folder))
        AddFolderPlace(out, std::string(folder) + "\\Tasks");
    if (SystemFolder(folder, sizeof folder))
        AddFolderPlace(out, std::string(folder) + "\\Tasks", true);
}

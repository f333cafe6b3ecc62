#include "job_tasks.h"

#include <initguid.h>
#include <mstask.h>

namespace {

std::wstring Wide(const std::string &text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                                         static_cast<int>(wide.size()));
    wide.resize(size > 0 ? static_cast<size_t>(size - 1) : 0);
    return wide;
}

std::string Narrow(const wchar_t *text)
{
    char narrow[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// The scheduler for one call, released with COM's end.
class Scheduler {
public:
    Scheduler()
    {
        CoInitialize(nullptr);
        if (SchedulerRunning())
            CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                             IID_ITaskScheduler, reinterpret_cast<void **>(&scheduler_));
    }
    ~Scheduler()
    {
        if (scheduler_ != nullptr)
            scheduler_->Release();
        CoUninitialize();
    }
    Scheduler(const Scheduler &) = delete;
    Scheduler &operator=(const Scheduler &) = delete;
    ITaskScheduler *get() const { return scheduler_; }

private:
    ITaskScheduler *scheduler_ = nullptr;
};

} // namespace

bool SchedulerRunning()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager != nullptr
                            ? OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS | SERVICE_START)
                            : nullptr;
    SERVICE_STATUS status{};
    bool running = service != nullptr && QueryServiceStatus(service, &status) &&
                   status.dwCurrentState == SERVICE_RUNNING;
    if (service != nullptr && !running && StartServiceA(service, 0, nullptr))
        for (int wait = 0; wait < 100 && !running; ++wait) {
            running = QueryServiceStatus(service, &status) &&
                      status.dwCurrentState == SERVICE_RUNNING;
            if (!running)
                Sleep(20);
        }
    if (service != nullptr)
        CloseServiceHandle(service);
    if (manager != nullptr)
        CloseServiceHandle(manager);
    return running;
}

bool MakeJobTask(const std::string &name, const std::string &program, const std::string &comment,
                 const SYSTEMTIME *runAt)
{
    Scheduler scheduler;
    ITask *task = nullptr;
    if (scheduler.get() == nullptr ||
        FAILED(scheduler.get()->NewWorkItem(Wide(name).c_str(), CLSID_CTask, IID_ITask,
                                            reinterpret_cast<IUnknown **>(&task))))
        return false;
    bool saved = SUCCEEDED(task->SetApplicationName(Wide(program).c_str())) &&
                 (comment.empty() || SUCCEEDED(task->SetComment(Wide(comment).c_str())));
    if (saved && runAt != nullptr) {
        WORD index = 0;
        ITaskTrigger *trigger = nullptr;
        saved = SUCCEEDED(task->CreateTrigger(&index, &trigger));
        if (saved) {
            TASK_TRIGGER when{};
            when.cbTriggerSize = sizeof when;
            when.wBeginYear = runAt->wYear;
            when.wBeginMonth = runAt->wMonth;
            when.wBeginDay = runAt->wDay;
            when.wStartHour = runAt->wHour;
            when.wStartMinute = runAt->wMinute;
            when.TriggerType = TASK_TIME_TRIGGER_ONCE;
            saved = SUCCEEDED(trigger->SetTrigger(&when));
            trigger->Release();
        }
    }
    IPersistFile *file = nullptr;
    if (saved && SUCCEEDED(task->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        saved = SUCCEEDED(file->Save(nullptr, TRUE));
        file->Release();
    } else {
        saved = false;
    }
    task->Release();
    return saved;
}

bool JobTaskExists(const std::string &name)
{
    Scheduler scheduler;
    ITask *task = nullptr;
    if (scheduler.get() == nullptr ||
        FAILED(scheduler.get()->Activate(Wide(name).c_str(), IID_ITask,
                                         reinterpret_cast<IUnknown **>(&task))))
        return false;
    task->Release();
    return true;
}

void DeleteJobTask(const std::string &name)
{
    Scheduler scheduler;
    // The scheduler may hold a file it has just seen written for a moment.
    for (int attempt = 0; scheduler.get() != nullptr && attempt < 40; ++attempt) {
        if (scheduler.get()->Delete(Wide(name).c_str()) !=
            HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION))
            return;
        Sleep(50);
    }
}

std::vector<std::string> WorkItemNames()
{
    std::vector<std::string> names;
    Scheduler scheduler;
    IEnumWorkItems *items = nullptr;
    if (scheduler.get() == nullptr || FAILED(scheduler.get()->Enum(&items)))
        return names;
    for (;;) {
        LPWSTR *got = nullptr;
        ULONG fetched = 0;
        if (FAILED(items->Next(1, &got, &fetched)) || fetched == 0 || got == nullptr) {
            CoTaskMemFree(got);
            break;
        }
        names.push_back(Narrow(got[0]));
        CoTaskMemFree(got[0]);
        CoTaskMemFree(got);
    }
    items->Release();
    return names;
}

ScratchTasks::ScratchTasks(const std::string &stem)
    : prefix_(stem + std::to_string(GetCurrentProcessId()) + "-")
{
}

ScratchTasks::~ScratchTasks()
{
    for (const std::string &name : WorkItemNames())
        if (name.compare(0, prefix_.size(), prefix_) == 0)
            DeleteJobTask(name.size() > 4 ? name.substr(0, name.size() - 4) : name);
}

#include "task_doubles.h"

#include <oleauto.h>

#include <atomic>
#include <map>
#include <mutex>
#include <new>
#include <utility>

using TaskServiceSource = HRESULT (*)(ITaskService **service);
// Test seam: where the 2.0 listing gets its ITaskService; nullptr for the real one.
void SetTaskServiceSource(TaskServiceSource source);

namespace task_doubles {

namespace {

using Names = std::vector<std::wstring>;

std::atomic<long> g_live{0};
std::atomic<FakeScheduler *> g_scheduler{nullptr};

// Every xml a double handed out, with the task it stood for: RegisterTask takes back only these.
std::mutex g_xmlLock;
long g_xmlSerial = 0;
std::map<std::wstring, FakeTask> &XmlTasks()
{
    static std::map<std::wstring, FakeTask> tasks;
    return tasks;
}

// The containers throw on a failed allocation; a COM caller gets E_OUTOFMEMORY instead.
template <typename Body> HRESULT Guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
}

HRESULT GiveText(const std::wstring &text, BSTR *out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = SysAllocString(text.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool SameName(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FolderPath(const Names &folder)
{
    if (folder.empty())
        return L"\\";
    std::wstring path;
    for (const std::wstring &name : folder)
        path += L"\\" + name;
    return path;
}

std::wstring TaskPath(const Names &folder, const std::wstring &name)
{
    return folder.empty() ? L"\\" + name : FolderPath(folder) + L"\\" + name;
}

struct ParsedPath {
    bool absolute = false;  // started with a backslash: from the root
    bool wellFormed = true; // no empty name between backslashes or after the last one
    Names names;
};

ParsedPath Parse(const wchar_t *text)
{
    ParsedPath path;
    std::wstring whole = text != nullptr ? text : L"";
    size_t start = 0;
    if (!whole.empty() && whole[0] == L'\\') {
        path.absolute = true;
        start = 1;
    }
    if (start == whole.size())
        return path;
    for (;;) {
        size_t end = whole.find(L'\\', start);
        std::wstring name = whole.substr(start, end == std::wstring::npos ? end : end - start);
        if (name.empty())
            path.wellFormed = false;
        else
            path.names.push_back(std::move(name));
        if (end == std::wstring::npos)
            return path;
        start = end + 1;
    }
}

// The folder the names lead to from the root, or nullptr; `spelled` gets the names as the tree
// spells them, so paths handed out later match the tree and not the caller's casing.
FakeFolder *Walk(FakeFolder &root, const Names &names, Names *spelled)
{
    FakeFolder *folder = &root;
    if (spelled != nullptr)
        spelled->clear();
    for (const std::wstring &name : names) {
        FakeFolder *next = nullptr;
        for (FakeFolder &child : folder->folders)
            if (SameName(child.name, name)) {
                next = &child;
                break;
            }
        if (next == nullptr)
            return nullptr;
        if (spelled != nullptr)
            spelled->push_back(next->name);
        folder = next;
    }
    return folder;
}

// The names from the root a path given to a folder means: relative to it unless it starts
// with a backslash.
Names Resolve(const Names &base, const ParsedPath &path)
{
    Names names = path.absolute ? Names() : base;
    names.insert(names.end(), path.names.begin(), path.names.end());
    return names;
}

FakeTask *FindTask(FakeFolder &folder, const std::wstring &name)
{
    for (FakeTask &task : folder.tasks)
        if (SameName(task.name, name))
            return &task;
    return nullptr;
}

// The 0-based slot of a collection's 1-based index; false when out of range or not an integer.
bool SlotOf(const VARIANT &index, size_t count, size_t *slot)
{
    LONGLONG number;
    switch (index.vt) {
    case VT_I4:
        number = index.lVal;
        break;
    case VT_I2:
        number = index.iVal;
        break;
    case VT_INT:
        number = index.intVal;
        break;
    case VT_UI4:
        number = index.ulVal;
        break;
    default:
        return false;
    }
    if (number < 1 || number > static_cast<LONGLONG>(count))
        return false;
    *slot = static_cast<size_t>(number - 1);
    return true;
}

// IUnknown and IDispatch for one interface. The objects start with one reference, which the
// creator hands out.
template <typename Interface> class Object : public Interface {
public:
    Object() { ++g_live; }
    virtual ~Object() { --g_live; }
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || Answers(riid)) {
            *out = static_cast<Interface *>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                     EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }

protected:
    virtual bool Answers(REFIID riid) const { return riid == __uuidof(Interface); }

private:
    std::atomic<ULONG> refs_{1};
};

// ---- Actions and the definition ----

class ExecAction : public Object<IExecAction> {
public:
    ExecAction(const std::wstring &program, const std::wstring &arguments)
        : program_(program), arguments_(arguments)
    {
    }

    HRESULT STDMETHODCALLTYPE get_Id(BSTR *id) override { return GiveText(L"", id); }
    HRESULT STDMETHODCALLTYPE put_Id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(TASK_ACTION_TYPE *type) override
    {
        if (type == nullptr)
            return E_POINTER;
        *type = TASK_ACTION_EXEC;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *path) override { return GiveText(program_, path); }
    HRESULT STDMETHODCALLTYPE put_Path(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Arguments(BSTR *arguments) override
    {
        return GiveText(arguments_, arguments);
    }
    HRESULT STDMETHODCALLTYPE put_Arguments(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WorkingDirectory(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WorkingDirectory(BSTR) override { return E_NOTIMPL; }

protected:
    bool Answers(REFIID riid) const override
    {
        return riid == __uuidof(IAction) || Object::Answers(riid);
    }

private:
    std::wstring program_, arguments_;
};

// What a task without an exec action holds: only its type tells it apart.
class MailAction : public Object<IAction> {
public:
    HRESULT STDMETHODCALLTYPE get_Id(BSTR *id) override { return GiveText(L"", id); }
    HRESULT STDMETHODCALLTYPE put_Id(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(TASK_ACTION_TYPE *type) override
    {
        if (type == nullptr)
            return E_POINTER;
        *type = TASK_ACTION_SEND_EMAIL;
        return S_OK;
    }
};

class ActionCollection : public Object<IActionCollection> {
public:
    explicit ActionCollection(const FakeTask &task)
        : exec_(task.execAction), program_(task.program), arguments_(task.arguments)
    {
    }

    HRESULT STDMETHODCALLTYPE get_Count(LONG *count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, IAction **action) override
    {
        if (action == nullptr)
            return E_POINTER;
        *action = nullptr;
        if (index != 1)
            return E_INVALIDARG;
        return Guarded([&] {
            if (exec_)
                *action = new ExecAction(program_, arguments_);
            else
                *action = new MailAction;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Create(TASK_ACTION_TYPE, IAction **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Context(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Context(BSTR) override { return E_NOTIMPL; }

private:
    bool exec_;
    std::wstring program_, arguments_;
};

class RegistrationInfo : public Object<IRegistrationInfo> {
public:
    explicit RegistrationInfo(const std::wstring &description) : description_(description) {}

    HRESULT STDMETHODCALLTYPE get_Description(BSTR *description) override
    {
        return GiveText(description_, description);
    }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Author(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Author(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Version(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Version(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Date(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Date(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Documentation(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Documentation(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_URI(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_URI(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_SecurityDescriptor(VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_SecurityDescriptor(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Source(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Source(BSTR) override { return E_NOTIMPL; }

private:
    std::wstring description_;
};

class TaskDefinition : public Object<ITaskDefinition> {
public:
    explicit TaskDefinition(const FakeTask &task) : task_(task) {}

    HRESULT STDMETHODCALLTYPE get_RegistrationInfo(IRegistrationInfo **info) override
    {
        if (info == nullptr)
            return E_POINTER;
        *info = nullptr;
        return Guarded([&] {
            *info = new RegistrationInfo(task_.description);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE put_RegistrationInfo(IRegistrationInfo *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Triggers(ITriggerCollection **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Triggers(ITriggerCollection *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Settings(ITaskSettings **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Settings(ITaskSettings *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Data(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Data(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Principal(IPrincipal **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Principal(IPrincipal *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Actions(IActionCollection **actions) override
    {
        if (actions == nullptr)
            return E_POINTER;
        *actions = nullptr;
        return Guarded([&] {
            *actions = new ActionCollection(task_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE put_Actions(IActionCollection *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_XmlText(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_XmlText(BSTR) override { return E_NOTIMPL; }

private:
    FakeTask task_;
};

// ---- Registered tasks ----

std::wstring Escaped(const std::wstring &text)
{
    std::wstring escaped;
    for (wchar_t c : text)
        switch (c) {
        case L'&':
            escaped += L"&amp;";
            break;
        case L'<':
            escaped += L"&lt;";
            break;
        case L'"':
            escaped += L"&quot;";
            break;
        default:
            escaped += c;
        }
    return escaped;
}

// A task as it was when the object was made; later changes to the tree do not reach it.
class RegisteredTask : public Object<IRegisteredTask> {
public:
    RegisteredTask(const Names &folder, const FakeTask &task) : folder_(folder), task_(task) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR *name) override { return GiveText(task_.name, name); }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *path) override
    {
        return Guarded([&] { return GiveText(TaskPath(folder_, task_.name), path); });
    }
    HRESULT STDMETHODCALLTYPE get_State(TASK_STATE *state) override
    {
        if (state == nullptr)
            return E_POINTER;
        *state = task_.state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL *enabled) override
    {
        if (enabled == nullptr)
            return E_POINTER;
        *enabled = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE *date) override
    {
        if (date == nullptr)
            return E_POINTER;
        *date = task_.lastRun;
        // What the service answers for a task that never ran: a success code, not S_OK.
        return task_.lastRun == 0 ? SCHED_S_TASK_HAS_NOT_RUN : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE *date) override
    {
        if (date == nullptr)
            return E_POINTER;
        *date = task_.nextRun;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition **definition) override
    {
        if (definition == nullptr)
            return E_POINTER;
        *definition = nullptr;
        if (task_.failDefinition)
            return E_FAIL;
        return Guarded([&] {
            *definition = new TaskDefinition(task_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_Xml(BSTR *xml) override
    {
        if (xml == nullptr)
            return E_POINTER;
        *xml = nullptr;
        return Guarded([&] {
            std::lock_guard<std::mutex> lock(g_xmlLock);
            // One text per object, so asking twice gives the same xml as the service does.
            if (xml_.empty()) {
                std::wstring text = L"<Task fake=\"" + std::to_wstring(++g_xmlSerial) +
                                    L"\" path=\"" + Escaped(TaskPath(folder_, task_.name)) +
                                    L"\"/>";
                XmlTasks().emplace(text, task_);
                xml_ = std::move(text);
            }
            return GiveText(xml_, xml);
        });
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD *,
                                          LPSYSTEMTIME *) override
    {
        return E_NOTIMPL;
    }

private:
    Names folder_;
    FakeTask task_;
    std::wstring xml_;
};

class RegisteredTaskCollection : public Object<IRegisteredTaskCollection> {
public:
    RegisteredTaskCollection(const Names &folder, const FakeFolder &live)
        : folder_(folder), tasks_(live.tasks), countNotImplemented_(live.countNotImplemented)
    {
    }

    HRESULT STDMETHODCALLTYPE get_Count(LONG *count) override
    {
        if (count == nullptr)
            return E_POINTER;
        if (countNotImplemented_)
            return E_NOTIMPL;
        *count = static_cast<LONG>(tasks_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask **task) override
    {
        if (task == nullptr)
            return E_POINTER;
        *task = nullptr;
        size_t slot;
        if (!SlotOf(index, tasks_.size(), &slot))
            return E_INVALIDARG;
        return Guarded([&] {
            *task = new RegisteredTask(folder_, tasks_[slot]);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **) override { return E_NOTIMPL; }

private:
    Names folder_;
    std::vector<FakeTask> tasks_;
    bool countNotImplemented_;
};

// ---- Folders ----

// Holds its path, not the FakeFolder: the vectors of the tree move as tasks and folders come
// and go, so every call looks the folder up again.
class TaskFolder : public Object<ITaskFolder> {
public:
    TaskFolder(FakeScheduler *scheduler, const Names &path) : scheduler_(scheduler), path_(path) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR *name) override
    {
        return GiveText(path_.empty() ? L"\\" : path_.back(), name);
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *path) override
    {
        return Guarded([&] { return GiveText(FolderPath(path_), path); });
    }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder **folder) override;
    HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection **folders) override;
    HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask **task) override;
    HRESULT STDMETHODCALLTYPE GetTasks(LONG, IRegisteredTaskCollection **tasks) override;
    HRESULT STDMETHODCALLTYPE DeleteTask(BSTR name, LONG) override;
    HRESULT STDMETHODCALLTYPE RegisterTask(BSTR path, BSTR xml, LONG flags, VARIANT, VARIANT,
                                           TASK_LOGON_TYPE, VARIANT,
                                           IRegisteredTask **task) override;
    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition *, LONG, VARIANT,
                                                     VARIANT, TASK_LOGON_TYPE, VARIANT,
                                                     IRegisteredTask **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }

private:
    // The task a name or path given to this folder means, the folder holding it and that
    // folder's path as the tree spells it; nullptr when either is missing.
    FakeTask *TaskAt(BSTR path, FakeFolder **holder, Names *folder);

    FakeScheduler *scheduler_;
    Names path_;
};

class TaskFolderCollection : public Object<ITaskFolderCollection> {
public:
    TaskFolderCollection(FakeScheduler *scheduler, const Names &parent, const FakeFolder &live)
        : scheduler_(scheduler), parent_(parent)
    {
        for (const FakeFolder &child : live.folders)
            names_.push_back(child.name);
    }

    HRESULT STDMETHODCALLTYPE get_Count(LONG *count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = static_cast<LONG>(names_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ITaskFolder **folder) override
    {
        if (folder == nullptr)
            return E_POINTER;
        *folder = nullptr;
        size_t slot;
        if (!SlotOf(index, names_.size(), &slot))
            return E_INVALIDARG;
        return Guarded([&] {
            Names path = parent_;
            path.push_back(names_[slot]);
            *folder = new TaskFolder(scheduler_, path);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **) override { return E_NOTIMPL; }

private:
    FakeScheduler *scheduler_;
    Names parent_;
    Names names_;
};

HRESULT TaskFolder::GetFolder(BSTR path, ITaskFolder **folder)
{
    if (folder == nullptr)
        return E_POINTER;
    *folder = nullptr;
    return Guarded([&] {
        Names spelled;
        if (Walk(scheduler_->root, Resolve(path_, Parse(path)), &spelled) == nullptr)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *folder = new TaskFolder(scheduler_, spelled);
        return S_OK;
    });
}

HRESULT TaskFolder::GetFolders(LONG, ITaskFolderCollection **folders)
{
    if (folders == nullptr)
        return E_POINTER;
    *folders = nullptr;
    return Guarded([&] {
        FakeFolder *live = Walk(scheduler_->root, path_, nullptr);
        if (live == nullptr)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (live->failFolders)
            return E_FAIL;
        *folders = new TaskFolderCollection(scheduler_, path_, *live);
        return S_OK;
    });
}

HRESULT TaskFolder::GetTasks(LONG, IRegisteredTaskCollection **tasks)
{
    if (tasks == nullptr)
        return E_POINTER;
    *tasks = nullptr;
    return Guarded([&] {
        FakeFolder *live = Walk(scheduler_->root, path_, nullptr);
        if (live == nullptr)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (live->failTasks)
            return E_FAIL;
        *tasks = new RegisteredTaskCollection(path_, *live);
        return S_OK;
    });
}

FakeTask *TaskFolder::TaskAt(BSTR path, FakeFolder **holder, Names *folder)
{
    ParsedPath parsed = Parse(path);
    if (!parsed.wellFormed || parsed.names.empty())
        return nullptr;
    std::wstring name = parsed.names.back();
    parsed.names.pop_back();
    *holder = Walk(scheduler_->root, Resolve(path_, parsed), folder);
    return *holder != nullptr ? FindTask(**holder, name) : nullptr;
}

HRESULT TaskFolder::GetTask(BSTR path, IRegisteredTask **task)
{
    if (task == nullptr)
        return E_POINTER;
    *task = nullptr;
    return Guarded([&] {
        FakeFolder *holder = nullptr;
        Names folder;
        FakeTask *found = TaskAt(path, &holder, &folder);
        if (found == nullptr)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *task = new RegisteredTask(folder, *found);
        return S_OK;
    });
}

HRESULT TaskFolder::DeleteTask(BSTR name, LONG)
{
    return Guarded([&] {
        FakeFolder *holder = nullptr;
        Names folder;
        FakeTask *found = TaskAt(name, &holder, &folder);
        if (found == nullptr)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        // Recorded first: the record may throw, the erase does not.
        scheduler_->deleted.push_back(TaskPath(folder, found->name));
        holder->tasks.erase(holder->tasks.begin() + (found - holder->tasks.data()));
        return S_OK;
    });
}

HRESULT TaskFolder::RegisterTask(BSTR path, BSTR xml, LONG flags, VARIANT, VARIANT,
                                 TASK_LOGON_TYPE, VARIANT, IRegisteredTask **task)
{
    if (task != nullptr)
        *task = nullptr;
    return Guarded([&] {
        FakeTask registered;
        {
            std::lock_guard<std::mutex> lock(g_xmlLock);
            auto known = XmlTasks().find(xml != nullptr ? xml : L"");
            if (known == XmlTasks().end())
                return E_INVALIDARG;
            registered = known->second;
        }
        ParsedPath parsed = Parse(path);
        if (!parsed.wellFormed || parsed.names.empty())
            return E_INVALIDARG;
        registered.name = parsed.names.back();
        parsed.names.pop_back();
        Names names = Resolve(path_, parsed);

        FakeFolder *folder = &scheduler_->root;
        Names spelled;
        for (const std::wstring &name : names) {
            FakeFolder *next = Walk(*folder, {name}, nullptr);
            if (next == nullptr) {
                folder->folders.push_back(FakeFolder());
                next = &folder->folders.back();
                next->name = name;
            }
            spelled.push_back(next->name);
            folder = next;
        }

        FakeTask *existing = FindTask(*folder, registered.name);
        if (existing != nullptr && (flags & TASK_UPDATE) == 0)
            return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
        scheduler_->registered.push_back(TaskPath(spelled, registered.name));
        if (existing != nullptr)
            *existing = registered;
        else
            folder->tasks.push_back(registered);
        if (task != nullptr)
            *task = new RegisteredTask(spelled, registered);
        return S_OK;
    });
}

// ---- The service ----

class TaskService : public Object<ITaskService> {
public:
    explicit TaskService(FakeScheduler *scheduler) : scheduler_(scheduler) {}

    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder **folder) override
    {
        if (folder == nullptr)
            return E_POINTER;
        *folder = nullptr;
        if (!connected_)
            return HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED);
        return Guarded([&] {
            Names spelled;
            if (Walk(scheduler_->root, Parse(path).names, &spelled) == nullptr)
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            *folder = new TaskFolder(scheduler_, spelled);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Connect(VARIANT, VARIANT, VARIANT, VARIANT) override
    {
        ++scheduler_->connects;
        if (scheduler_->failConnect)
            return E_ACCESSDENIED;
        connected_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL *connected) override
    {
        if (connected == nullptr)
            return E_POINTER;
        *connected = connected_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD *) override { return E_NOTIMPL; }

private:
    FakeScheduler *scheduler_;
    bool connected_ = false;
};

HRESULT MakeFakeService(ITaskService **service)
{
    if (service == nullptr)
        return E_POINTER;
    *service = nullptr;
    FakeScheduler *scheduler = g_scheduler.load();
    if (scheduler == nullptr)
        return E_UNEXPECTED;
    return Guarded([&] {
        *service = new TaskService(scheduler);
        return S_OK;
    });
}

} // namespace

void Install(FakeScheduler *scheduler)
{
    g_scheduler = scheduler;
    SetTaskServiceSource(scheduler != nullptr ? &MakeFakeService : nullptr);
}

long LiveObjects()
{
    return g_live.load();
}

DATE DateOf(int year, int month, int day, int hour, int minute)
{
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

} // namespace task_doubles

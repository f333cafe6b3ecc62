// In-memory stand-ins for the Task Scheduler 2.0 objects: a scripted folder and task tree the
// listing walks through its ITaskService seam, with the deletions and registrations it made.
#pragma once
#include <windows.h>
#include <taskschd.h>

#include <string>
#include <vector>

namespace task_doubles {

struct FakeTask {
    std::wstring name;                 // "Updater"
    std::wstring program;              // first exec action's path; empty with execAction=false
    std::wstring arguments;
    bool execAction = true;            // false: its only action is a non-exec one (TASK_ACTION_SEND_EMAIL type)
    DATE nextRun = 0;                  // 0: never
    DATE lastRun = 0;                  // 0: never ran
    TASK_STATE state = TASK_STATE_READY;
    std::wstring description;          // RegistrationInfo.Description
    bool failDefinition = false;       // get_Definition answers E_FAIL
};

struct FakeFolder {
    std::wstring name;                 // "" for the root, else the folder's own name ("Vendor")
    std::vector<FakeTask> tasks;
    std::vector<FakeFolder> folders;
    bool failTasks = false;            // GetTasks answers E_FAIL
    bool countNotImplemented = false;  // the task collection's get_Count answers E_NOTIMPL (as Wine does)
    bool failFolders = false;          // GetFolders answers E_FAIL
};

struct FakeScheduler {
    FakeFolder root;
    bool failConnect = false;          // Connect answers E_ACCESSDENIED
    std::vector<std::wstring> deleted;     // full paths ("\\Vendor\\Updater") deleted through a folder's DeleteTask
    std::vector<std::wstring> registered;  // full paths registered through a folder's RegisterTask
    int connects = 0;                  // how many times Connect was called
};

inline FakeTask Task(const std::wstring &name, const std::wstring &program,
                     const std::wstring &arguments = L"")
{
    FakeTask task;
    task.name = name;
    task.program = program;
    task.arguments = arguments;
    return task;
}

inline FakeFolder Folder(const std::wstring &name)
{
    FakeFolder folder;
    folder.name = name;
    return folder;
}

// Makes `scheduler` the tree every ITaskService the product asks for sees (through
// SetTaskServiceSource); nullptr puts the real Task Scheduler back. The scheduler must outlive
// its use.
void Install(FakeScheduler *scheduler);
// COM objects of the doubles alive right now (every AddRef'd object not yet released to 0).
long LiveObjects();
// A DATE for a local time.
DATE DateOf(int year, int month, int day, int hour, int minute);

} // namespace task_doubles

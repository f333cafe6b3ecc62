// The task check: every scheduled task against the approved tasks, which are named by their
// titles. It runs only while the scheduler does: a scheduler that is not running runs no task.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "monitor.h"
#include "platform.h"
#include "processes.h"
#include "tasks.h"
#include "text.h"

namespace {

struct TaskItem {
    std::string title;
    std::string path;
};

// The tasks whose deletion was refused during this run (the user was told why): not asked about
// again until the Monitor starts anew, or every pass would ask.
std::set<std::string> &Undeleted()
{
    static std::set<std::string> undeleted;
    return undeleted;
}

std::vector<TaskItem> ListedTasks()
{
    std::vector<TaskItem> tasks;
    for (int i = 0, count = GetScheduledTasks(); i < count; ++i)
        tasks.push_back({EntryWholeTitle(i), EntryWholePath(i)});
    ClearEntryList();
    return tasks;
}

void Apply(int answer, const void *context)
{
    const auto &task = *static_cast<const TaskItem *>(context);
    if (answer == IDYES) {
        Approve(AREA_Tasks, task.title.c_str(), kTaskKind);
    } else if (answer == IDNO) {
        if (RemoveScheduledTask(task.title.c_str(), task.path.c_str()) == TaskRemoval::Refused)
            Undeleted().insert(task.title);
        // Not approved: it is asked about again if it comes back.
        Withdraw(AREA_Tasks, task.title.c_str());
    }
}

} // namespace

void CheckTasks()
{
    if (!IsTaskSchedulerRunning())
        return;
    const std::vector<TaskItem> tasks = ListedTasks();
    ApprovalTable approvals(AREA_Tasks);
    for (const TaskItem &task : tasks) {
        if (Monitor().exiting)
            return;
        // Its own updater's tasks come and go with every update.
        if (approvals.Number(task.title.c_str()) != 0 || ContainsNoCase(task.title.c_str(), "McAfee.com") ||
            Undeleted().count(task.title) != 0)
            continue;
        RecordFirstSeen(task.path.c_str(), Area(AREA_Tasks).detectedKey);
        NoteAlertInTray(AREA_Tasks);
        const AlertContext alert = ItemAlertOf(task.path.c_str(), task.title.c_str(), kTaskKind);
        Ask({AREA_Tasks, &alert, ShowNewTaskAlert, true, Apply, &task});
    }
    if (!IsNtFamily())
        RepaintTaskbar();
}

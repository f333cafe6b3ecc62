// Scheduled tasks: the work items of the Windows Task Scheduler through its 1.0 interface, and
// where the 2.0 interface is there, the registered tasks of every folder; listing, their texts,
// deleting, and the area's baseline.
#pragma once
#include <windows.h>

#include <cstddef>

#include "area.h"

struct ITaskService;

constexpr int kTaskKind = 800;

// Makes sure the scheduler runs: 0 when it does (or was started), else the system error code.
int StartTaskScheduler();
// 1 when the scheduler runs; starts nothing.
int IsTaskSchedulerRunning();
// Stops a scheduler this unit had to start: 0 on success or with nothing to do, 1 when the
// scheduler window or the stop request failed, else the system error code.
int StopTaskScheduler();

// Empties the entry list and fills it with the tasks: the 1.0 work items, each batch of five
// worked last to first, then every 2.0 task not listed already (title: its path below the
// root). The number listed; 0 when the scheduler can't be started.
int GetScheduledTasks();
// Deletes the task whose name equals the title, ignoring case (a 2.0 task, whose title begins
// with a backslash, through its folder). The COM result; 0 when the scheduler can't be started
// and, without deleting, when no task has the title.
HRESULT DeleteScheduledTask(const char *title);
// Each writes an empty text when the task is not found; the length written.
int GetTaskComment(const char *title, char *text, size_t capacity);
int GetTaskStatusText(const char *title, char *text, size_t capacity);
int GetTaskNextRunTime(const char *title, char *text, size_t capacity);
// A task time as text; "Never" when its year, month and day are all 0.
int TaskTimeText(const SYSTEMTIME &time, char *out, size_t capacity);
// The name shown for a task: its title without the job file's extension; the whole title when
// that would leave nothing.
int TaskShownName(const char *title, char *out, size_t capacity);

enum class TaskRemoval { Removed, NotThere, Refused, Failed };
// Deletes a task as the user asked: the task is kept in the vault and recorded first, so the
// history can put it back; one that could not be kept or recorded is not deleted, and the user
// is told why.
TaskRemoval RemoveScheduledTask(const char *title, const char *program);

// Approves every listed task (the row's takeBaseline).
void TakeTasksBaseline();
int ListTasksForDating();
// Puts back a task a removal kept in the vault; 1 when done.
int RestoreTaskRecord(const RestoreRecord &record);

using TaskServiceSource = HRESULT (*)(ITaskService **service);
// Test seam: where the 2.0 listing gets its ITaskService; nullptr for the real one.
void SetTaskServiceSource(TaskServiceSource source);

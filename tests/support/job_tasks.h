// Scheduled tasks of a test's own, made and removed through the scheduler's 1.0 interface as
// another program would (the test prefix's schtasks.exe writes only tasks that interface does
// not see).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Starts the scheduler service; true when it runs.
bool SchedulerRunning();
// Saves a work item named name (".job" is added by the scheduler); runAt, when given, is its one
// trigger. True when saved.
bool MakeJobTask(const std::string &name, const std::string &program,
                 const std::string &comment = "", const SYSTEMTIME *runAt = nullptr);
bool JobTaskExists(const std::string &name);
void DeleteJobTask(const std::string &name);
// Every work item's name as the scheduler enumerates them, one at a time.
std::vector<std::string> WorkItemNames();

// Tasks named with a prefix of this process's own, all deleted when it goes.
class ScratchTasks {
public:
    explicit ScratchTasks(const std::string &stem);
    ~ScratchTasks();
    ScratchTasks(const ScratchTasks &) = delete;
    ScratchTasks &operator=(const ScratchTasks &) = delete;
    // The name of a task of this scratch (without ".job").
    std::string Name(const std::string &suffix) const { return prefix_ + suffix; }
    const std::string &prefix() const { return prefix_; }

private:
    std::string prefix_;
};

// Running the real programs in whole-program tests.
#pragma once
#include <windows.h>

#include <string>

// A started program; ended (if still running) and released when it goes.
class RunningProgram {
public:
    RunningProgram(const std::string &program, const std::string &arguments);
    ~RunningProgram();
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;

    bool started() const { return process_ != nullptr; }
    // True when it ended within the time; its exit code then goes to *exitCode.
    bool WaitForEnd(DWORD milliseconds, DWORD *exitCode = nullptr) const;
    DWORD id() const { return id_; }

private:
    DWORD id_ = 0;  // before process_: the constructor fills it while starting the process
    HANDLE process_ = nullptr;
};

// A file of the build as the whole-program tests run it: copied, the first time it is asked for,
// into a scratch folder of the test process, beside copies of both programs and the companion
// (the Monitor starts the Explorer and loads the companion from its own folder). What the
// programs write beside themselves (the history, traces, disabled Startup-folder items) lands
// there, never beside the build.
std::string ProgramFile(const char *name);
// A file the programs write in that folder (it is not copied from the build).
std::string ProgramOutput(const char *name);

// Runs a program to its end (at most 30 s); its exit code, or 0xdeadbeef.
DWORD RunToEnd(const std::string &program, const std::string &arguments);
// Waits for a top-level window of the class (and title, when given); nullptr when none came.
HWND WaitForWindow(const char *className, const char *title, DWORD milliseconds);
// Waits until no window of the class is left.
bool WaitForNoWindow(const char *className, DWORD milliseconds);
// Ends the Explorer and the Monitor when they run (a second copy with -Q), and waits for their
// windows to go: the Monitor starts the Explorer on several answers, and a scenario must not
// leave either for the next one.
void EndRunningPrograms();

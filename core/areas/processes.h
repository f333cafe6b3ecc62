// Running programs: walking the processes, listing their programs, finding and ending them.
#pragma once
#include <windows.h>

constexpr int kRunningProgramKind = 600;

// Called for each process with its id, a 16-bit task handle (0 for ordinary processes) and its
// module file name (empty when it can't be read); answers 0 to stop the walk.
using ProcessVisitor = int (*)(DWORD processId, WORD task, const char *moduleName, void *context);
// 1 when the walk could be made.
int WalkProcesses(ProcessVisitor visitor, void *context);
// Fills the entry list with one entry per running program file; the number of entries.
int EnumerateRunningPrograms();
// The number of running processes (0 when they can't be walked).
int CountProcesses();
// The id of a process running the program of a command or path; 0 when none does.
DWORD FindProcessForFile(const char *command);
// Ends a process with its own exit code; non-zero when it was terminated.
int EndProcess(DWORD processId);
// An ended program leaves its notification icon behind until the taskbar repaints fully.
void RepaintTaskbar();

// When a process runs the program of path: with ask set, asks the user first (string 707, naming
// the title, or the path when the title is empty), and on Yes or without asking ends it with its
// own exit code, records TASK_Kill in the history and has the taskbar repaint so the ended
// program's tray icon goes. The process id (also when the user said No); 0 when nothing runs the
// program or the process can't be opened.
DWORD OfferToStopProgram(const char *path, const char *title, int ask);

// Forms in which the programs name and compare files: long names, clean program paths, the
// program part of a command line, and where a bare file name is found.
#pragma once
#include <cstddef>

// The long-name form of a path; the path unchanged when the system cannot give one (a missing
// file, a text with arguments, or Windows 95). 1 when the long form was taken.
int LongPathForm(const char *path, char *out, size_t capacity);
// The upper-cased program path of a command with SystemRoot and %PROGRAMFILES% expanded.
int CleanPath(const char *command, char *out, size_t capacity);
// The program path of a command (in its long form) and the parameters after it.
int SplitCommand(const char *command, char *program, size_t programCapacity, char *parameters,
                 size_t parametersCapacity);
// 1 when the file exists as named, or (for a name under 32 characters) in the Windows folder, or
// in the System folder; in the last case the name becomes that file's short path.
int FindFile(char *name, size_t capacity);
// The folder part of a path (a drive's root keeps its backslash); a bare name under 32
// characters gives the Windows or System folder that holds it. 0 when there is none.
int FolderOf(const char *path, char *out, size_t capacity);
// True when the path names an existing file (not a folder).
bool FileExists(const char *path);

// Schedules a file for deletion at the next restart (its attributes made normal first): on the
// NT family through the system's delayed move, else as a "NUL=" line in wininit.ini. 1 when
// scheduled.
int DeleteOnRestart(const char *path);

// Monitored system files: the HOSTS file and the others listed under the machine's Sysfiles
// key, each with its last-write date and size as approved and a saved copy to go back to.
#pragma once
#include <cstddef>
#include <string>

// The HOSTS file of this platform; its length.
int GetHostsPath(char *out, size_t capacity);
// Opens the HOSTS file in Notepad, or says that there is none.
int ViewHostsFile();
// Starts watching a file (subkey name, full path, the alert's comment, type 0: a change needs a
// new date and size; any other: a new date is one). 1 when the saved copy was written.
int AddSystemFile(const char *name, const char *location, const char *comment, int type);
// The default list (HOSTS, Autoexec.bat, Config.sys), written when the list was never made.
void PrepareSystemFiles();

// Calls visit(name, location) for every watched file with a location, in the key's order.
void ForEachSystemFile(void (*visit)(const char *name, const char *location, void *context),
                       void *context);
// 1 when the watched file changed since it was approved (an unapproved file is approved first).
int SystemFileChanged(const char *name, const char *location);
// The alert's comment for a watched file; its length.
int SystemFileComment(const char *name, char *out, size_t capacity);
// The two answers to a change: take the file as it is now, or put the saved copy back. Either
// stops watching the file when asked to. 1 when done; 0 with the system's error left for the
// caller to show.
int AcceptFileChange(const char *name, const char *location, bool stopWatching);
int RejectFileChange(const char *name, const char *location, bool stopWatching);
// The saved copy of a watched file; 0 when the data folder is unknown.
int SavedCopyPath(const char *name, char *out, size_t capacity);

// The commands queued in wininit.ini for the next restart (Windows 95/98/Me, where wininit.exe
// runs them): at most the first 16384 bytes; 1 when there are any.
int RestartCommandsText(std::string &text);
// Deletes wininit.ini; 1 when it is gone.
int DeleteRestartCommands();

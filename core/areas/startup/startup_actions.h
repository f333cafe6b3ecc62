// The actions that change a startup location: disable an entry (out of its location, kept in the
// disabled register so it can come back), enable it again, remove it, restore a removed entry from
// its history record, reset the Winlogon values, and add a program chosen by the user. Every
// operation takes the entry's title, path, detail and location code as the walk lists them.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// The location code the disabled register keeps for a title; 0 when it has none.
int IsEntryDisabled(const char *title);

// Disables the entry when its title is not in the disabled register, else enables it. Serves the
// Run keys (1-7, 11-17, 21-25), win.ini (100, 101), the Startup folders (200) and Winlogon Notify
// (256); 0 for any other code. Disabling keeps the command exactly as it stood in its location;
// enabling puts that copy back (or the command given, when it is not the copy as listed). 1 when
// the entry moved; 0 leaves it as it was.
int ToggleStartupEntry(const char *title, const char *command, const char *file, int code);

// Removes the entry for good (a disabled one loses only its saved copy and its mark) and withdraws
// its approval. The removal's history record is written first; when it can't be written whole
// (the file is locked or read-only, or the command is too long for a record) nothing is removed
// and a message tells why. Codes 250-255 go to RemoveAdvancedEntry
// without an owner. 1 when it was removed.
int RemoveStartupEntry(const char *title, const char *path, const char *detail, int code);

// Removes or resets an advanced location: 250 and 251 are reset to the Windows defaults; 252-255
// are removed only after the question consents. 0 when the question declined (nothing changed,
// no history) or the code is not an advanced one.
int RemoveAdvancedEntry(HWND owner, const char *title, const char *path, const char *detail,
                        int code);

// Asks whether an advanced entry may be removed; IDYES consents. The Explorer puts its protection
// dialog here; the Monitor keeps the default, AskKeyLocationRemoval.
using AdvancedRemovalQuestion = int (*)(HWND owner, const char *title, const char *path);
// Answers the question in use before; nullptr goes back to the default.
AdvancedRemovalQuestion SetAdvancedRemovalQuestion(AdvancedRemovalQuestion question);
// The Monitor's question (string 1013); with a standing answer for startup alerts it consents
// without asking.
int AskKeyLocationRemoval(HWND owner, const char *title, const char *path);

// Puts back what RemoveStartupEntry took away, from the values its history record kept: a Run
// command byte for byte with its registry type, and the approval it had then (kept: the record's
// "type approval" facts; none for older records). 1 when it was put back; 0 for a code it doesn't
// restore, an empty command or a write that failed.
int RestoreRemovedEntry(const char *title, const char *path, const char *detail, int code,
                        const char *kept = nullptr);

// The command an entry starts as its location holds it: a Run value's data as stored (quotes and
// RUNDLL32 included), a shortcut's target with its arguments; the listed path otherwise.
std::string StoredStartupCommand(const char *title, const char *path, const char *detail,
                                 int code);

// Adds a program file to the current user's Run key under its version-information name and
// approves it as the system's own. 1 when written.
int AddStartupProgram(const char *programFile);

// Winlogon Userinit and Shell back to the Windows defaults, approved. 1 when written.
int ResetUserinit();
int ResetShell();

// A Notify subkey's DllName moves into OldName (disable) and back (enable). 0 when there is
// nothing to move, so a second call never loses the saved name.
int DisableNotifyDll(const char *subkey);
int EnableNotifyDll(const char *subkey);

// AppInit_DLLs: remove every item whose long form names file; add file's short form at the end,
// after a comma unless the list ends in a separator already. 1 when the value was rewritten.
int RemoveAppInitDll(const char *file);
int AddAppInitDll(const char *file);

// An item list of win.ini's [windows] section ("run" or "load"), separated by ";". Removing
// answers 1 when the item is no longer in the list (0 when the list could not be read whole or
// written); appending answers 1 when the list was written with the item at its end.
int RemoveFromWinIniList(const char *key, const char *item);
int AppendToWinIniList(const char *key, const char *item);

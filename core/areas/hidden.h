// Hidden files: files with the hidden attribute in the root, Windows, system, common files and
// temporary folders, the set the user has seen, and deleting one into the vault so the history
// can put it back.
#pragma once
#include <cstddef>

#include "area.h"

constexpr int kHiddenKind = 370;

// Empties the entry list and lists every hidden file of the watched folders (title: the file's
// product name or its name; path and detail: the full path; extra: 1 with the system
// attribute). Unreadable folders are skipped. The number listed.
int EnumHiddenFiles();
// The row's takeBaseline: unless the "P" marker is there, the seen set is made again from every
// hidden file present now.
void TakeHiddenBaseline();
int ListHiddenForDating();
// Stores the file as seen, with the time of the approval.
int ApproveHiddenFile(const char *path);

enum class HiddenDeletion {
    Deleted,  // moved into the vault and recorded
    Failed,   // the file could not be moved (in use, gone, or no vault): nothing changed
    Refused,  // no copy could be kept or no record written: nothing changed, the user was told
};
// Deletes a hidden file as the user asked: a process running it is ended first (and recorded),
// then the file goes into the vault whole, with its attributes, and the deletion is recorded
// with the vault's token. A deletion that cannot be recorded is undone. The file is no longer
// seen afterwards, whether or not it went. On Failed, GetLastError tells why.
HiddenDeletion DeleteHiddenFile(const char *name, const char *path);
// The same at the next restart, for a file in use: a copy goes into the vault now, and the
// deletion is recorded before it is scheduled.
HiddenDeletion DeleteHiddenFileOnRestart(const char *name, const char *path);
// Puts back the file a deletion kept under the token, with its attributes (hidden at least), and
// stores it as seen; 1 when done. Nothing changes when the vault has no copy or something else
// stands at the file's place now.
int RestoreHiddenFile(const char *token);
// The row's restore hook, for *HIDDEN_DeleteFile records.
int RestoreHiddenRecord(const RestoreRecord &record);
// Makes a file visible: its attributes set to normal. 1 when done.
int UnhideFile(const char *path);

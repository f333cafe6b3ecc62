// The event history: history.txt in the program folder, appended to by both programs, loaded into
// the entry list for the viewer, and each record sent to a collecting server when one is set.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "historyline.h"

// The history file's full name; 0 and an empty buffer when the program folder is unknown.
int HistoryFilePath(char *out, size_t capacity);

// The history's date text of a time; "Never" (string 686) when its year, month and day are all 0.
// 1 when it fitted.
int HistoryDateText(const SYSTEMTIME &time, char *out, size_t capacity);

constexpr int kHistoryWritten = 1;
constexpr int kHistoryOff = 0;      // History is off: nothing written, nothing sent
constexpr int kHistoryFailed = -1;  // the file could not be opened or written; GetLastError says why

// Appends one record stamped with the local time (kept, when given, as its seventh field), then
// offers it to the collecting server. A writer that finds the file held by the other program
// waits briefly for it rather than losing the record; a file whose last line lacks its line end
// gets one first.
int WriteHistoryRecord(const char *title, const char *path, const char *detail, int32_t kindCode,
                       int actionCode, const char *kept = nullptr);
// The date text a record written now carries.
int HistoryRecordDate(char *out, size_t capacity);

// Sends one record to svserver (HKEY_LOCAL_MACHINE product key; HKEY_CURRENT_USER's when the
// machine has none) with svid as the installation code. 1 when the server's answer starts with
// "1"; 0 without svserver (no connection is made) and on any failure.
int UploadHistoryRecord(const char *actionName, const char *typeName, const char *title,
                        const char *path);

// Empties the entry list and fills it with the records of the file's last 131072 bytes (from the
// first whole line in them): title, path and detail as the list keeps them, the date as
// description, the type's code as kind and the action's code as extra number. The number of
// records loaded.
int LoadHistory();
// 1 when the last load left older records out.
int HistoryOlderLeftOut();

// Reverses the event of a loaded record (the entry at index), from the record as the file holds
// it: a removed startup entry is put back, a disabled or enabled one toggled, a removed browser
// helper registered again. Writes no history record. 1 when the reversal was made; 0 for an action that has none or an empty index.
int RestoreHistoryEvent(int index);
// 1 when the loaded record at index can be put back: its action is a reversible one, or what it
// took away was kept in the vault and its area can restore it.
int CanRestoreHistoryEvent(int index);

// Tells the user that a change to the item was not made because its record could not be kept:
// the message textId with the item's title, the history file and the system's text of error
// (none for 0).
void TellNotRecorded(UINT textId, const char *title, DWORD error);

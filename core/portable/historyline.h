// The history file's vocabulary and line form: type and action names, the date text, the record
// line, the walk that turns the file's text back into records, and the upload's query string.
// Plain fields in, text out: the callers read the clock, the files and the registry.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kUnknownTypeCode = 3000;   // TYPE_UNKNOWN, the type table's last row
constexpr int kUnknownActionCode = 31;   // LOG_UNKNOWN, the action table's last row
constexpr int kHistoryTypeRows = 51;
constexpr int kHistoryActionRows = 32;

// Action codes the programs write.
constexpr int kActionStartRemove = 0;
constexpr int kActionStartDisable = 1;
constexpr int kActionStartEnable = 2;
constexpr int kActionHelperRemove = 3;
constexpr int kActionTaskKill = 5;
constexpr int kActionStartAlert = 6;
constexpr int kActionTaskAlert = 7;
constexpr int kActionHelperAlert = 8;
constexpr int kActionServiceStop = 9;
constexpr int kActionServiceAutomatic = 10;
constexpr int kActionServiceManual = 11;
constexpr int kActionServiceDisabled = 12;
constexpr int kActionScheduledTaskRemove = 15;
constexpr int kActionServiceFromAutomatic = 18;  // start type 2 before the change
constexpr int kActionServiceFromManual = 19;     // start type 3
constexpr int kActionServiceFromDisabled = 20;   // start type 4
constexpr int kActionResetUserinit = 21;
constexpr int kActionResetShell = 22;
constexpr int kActionRemoveTaskScheduler = 23;
constexpr int kActionRemoveDelayLoad = 24;
constexpr int kActionRemoveShellHook = 25;
constexpr int kActionRemoveAppInit = 26;
constexpr int kActionHiddenAlert = 28;
constexpr int kActionHiddenDelete = 29;
constexpr int kActionRemoveNotify = 30;

constexpr size_t kHistoryRecordBuffer = 1024;  // a record line with its terminator
constexpr size_t kHistoryReadLimit = 131072;   // bytes of the file that are loaded
// A field may fill its whole line: a command is kept as it stood, so that it can be put back.
constexpr size_t kHistoryFieldLimit = kHistoryRecordBuffer - 1;
constexpr size_t kHistoryDateWidth = 31;
constexpr size_t kHistoryTitleWidth = kHistoryFieldLimit;
constexpr size_t kHistoryPathWidth = kHistoryFieldLimit;
constexpr size_t kHistoryKeptWidth = 31;
constexpr size_t kHistoryNameWidth = 47;       // action and type names as uploaded
constexpr size_t kHistoryQueryLimit = 1023;

// The name of the first type row with the code; "TYPE_UNKNOWN" when no row has it.
const char *TypeNameOfKind(int kindCode);
// The code of the row whose name matches ignoring case; 3000 when none does (also for null).
int KindOfTypeName(const char *name);
// The name of the first action row with the code, "*" mark included; "" when no row has it.
const char *ActionNameOf(int actionCode);
// The code of the row whose name (with its "*" mark) matches ignoring case; 31 when none does.
int ActionCodeOf(const char *name);
// 1 when the action's row carries the reversible mark; 0 otherwise and for codes with no row.
int IsReversibleAction(int actionCode);

// "MM/DD/YYYY  h:MM AM" or "... PM": hours 0-11 are AM, 12-23 PM; PM shows the hour less 12, and
// an hour that would show as 0 shows 12 (00:05 is 12:05 AM, 12:05 is 12:05 PM). 1 when it fitted.
int HistoryDateOf(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                  char *out, size_t capacity);

// One record line: date, action name, type name, title, path and detail separated by tabs, then
// the kept facts as a seventh field when there are any, ended by CR LF. A tab, CR or LF inside a
// field is written as a space, so no text can split or shift the record; when the line is cut at
// capacity the CR LF is kept. Answers the line's length (0 when capacity is below 3).
size_t BuildHistoryLine(const char *date, int actionCode, int kindCode, const char *title,
                        const char *path, const char *detail, char *out, size_t capacity,
                        const char *kept = nullptr);
// True when the record's line fits a line of kHistoryRecordBuffer whole, and no field holds a
// tab, CR or LF: then the record gives back every field exactly as it was written.
bool HistoryRecordKeepsAll(const char *date, int actionCode, int kindCode, const char *title,
                           const char *path, const char *detail, const char *kept);

// One loaded record. A field that was too long to keep is empty; a missing action or type field
// reads as an unknown one.
struct HistoryRecord {
    char date[kHistoryDateWidth + 1];
    int32_t action;
    int32_t kind;
    char title[kHistoryTitleWidth + 1];
    char path[kHistoryPathWidth + 1];
    char detail[kHistoryPathWidth + 1];
    char kept[kHistoryKeptWidth + 1];  // what an area keeps to undo the event exactly
};
// Receives each record; answering 0 stops the walk (a full list).
using HistoryRecordFn = int (*)(const HistoryRecord &record, void *context);

// Walks length bytes of file text (no terminator needed): a tab ends a field, a line feed ends a
// record, carriage returns and NUL bytes belong to no field, a field longer than 1023
// characters is dropped (read as empty), fields after the seventh are ignored, and a last line without a
// line feed is not a record. Answers the number of records the receiver accepted.
int WalkHistoryText(const char *text, size_t length, HistoryRecordFn onRecord, void *context);

// A query value with every byte outside A-Z a-z 0-9 "-" "." "_" "~" written as %XX, so no text can
// add a key or end the query. An escape is never cut in half; 1 when the whole value fitted.
int QueryValueText(const char *text, char *out, size_t capacity);

struct HistoryUpload {
    const char *name;    // the user's name (may be empty)
    const char *code;    // the installation code
    const char *time;    // HistoryDateText of now
    const char *action;
    const char *type;
    const char *title;
    const char *path;
};
// "&name=...&code=...&time=...&action=...&type=...&title=...&path=..." with every value encoded,
// at most 1023 characters and capacity; a cut never splits a key or an escape. 1 when it fitted.
int BuildHistoryQuery(const HistoryUpload &values, char *out, size_t capacity);

#include "historyline.h"

#include <cstring>

#include "bounded.h"
#include "text.h"

namespace {

struct Row {
    int code;
    const char *name;
};

// Stored order matters: writing takes the first row of a code, reading takes any row.
constexpr Row kTypes[kHistoryTypeRows] = {
    {1, "MACHINE_RUN"}, {2, "MACHINE_RUNONCE"}, {3, "MACHINE_RUNONCEEX"},
    {4, "MACHINE_RUNSERVICES"}, {5, "MACHINE_RUNSERVICESONCE"}, {11, "CURRENT_RUN"},
    {12, "CURRENT_RUNONCE"}, {13, "CURRENT_RUNONCEEX"}, {14, "CURRENT_RUNSERVICES"},
    {15, "CURRENT_RUNSERVICESONCE"}, {21, "WOW64_RUN"}, {22, "WOW64_RUNONCE"},
    {23, "WOW64_RUNONCEEX"}, {24, "WOW64_RUNSERVICES"}, {25, "WOW64_RUNSERVICESONCE"},
    {31, "SENTROVIA_RUN"}, {32, "SENTROVIA_RUNONCE"}, {33, "SENTROVIA_RUNONCEEX"},
    {34, "SENTROVIA_RUNSERVICES"}, {35, "SENTROVIA_RUNSERVICESONCE"}, {100, "WIN_LOAD"},
    {101, "WIN_RUN"}, {200, "GROUP_STARTUP"}, {250, "WINLOGON_Userinit"},
    {251, "WINLOGON_Shell"}, {252, "REG_Delayload"}, {253, "REG_TaskScheduler"},
    {254, "REG_ShellExecuteHook"}, {255, "REG_AppInitDLLs"}, {500, "INFO_COOKIE"},
    {501, "INFO_NETCOOKIE"}, {502, "INFO_SAVECOOKIE"}, {503, "INFO_NUTS"},
    {600, "INFO_TASK"}, {700, "SERVICE_EXE"}, {701, "SERVICE_SVCHOST"},
    {800, "TASK_SCHEDULED"}, {900, "TYPE_BHO"}, {300, "RESTART_DELETE"},
    {301, "RESTART_RENAME"}, {901, "TYPE_TOOLBAR"}, {902, "TYPE_EXTENSION"},
    {350, "TYPE_MONITOR"}, {360, "TYPE_BLACKLIST"}, {450, "TYPE_PROSEARCH"},
    {400, "TYPE_FILETYPE"}, {370, "TYPE_HIDDEN"}, {256, "RUN_WINLOGONNOTIFY"},
    {6, "MACHINE_RUNONCESETUP"}, {7, "MACHINE_RUNPOLICY"}, {kUnknownTypeCode, "TYPE_UNKNOWN"},
};

// A leading "*" marks a reversible action; it is part of the name in the file.
constexpr Row kActions[kHistoryActionRows] = {
    {0, "*START_Remove"}, {1, "START_Disable"}, {2, "START_Enable"}, {3, "IEHELPER_Remove"},
    {4, "TASK_Remove"}, {5, "TASK_Kill"}, {6, "START_Alert"}, {7, "TASK_Alert"},
    {8, "IEHELPER_Alert"}, {9, "SERVICE_Stop"}, {10, "SERVICE_Automatic"},
    {11, "SERVICE_Manual"}, {12, "SERVICE_Disabled"}, {12, "START_Restore"},
    {13, "TASK_Restore"}, {14, "IEHELPER_Restore"}, {15, "ScheduledTask_Remove"},
    {17, "SERVICE_from_Automatic"}, {18, "SERVICE_from_Manual"}, {19, "SERVICE_from_Disabled"},
    {20, "SERVICE__from_Disabled"}, {21, "RESET_USERINIT"}, {22, "RESET_SHELL"},
    {23, "REMOVE_TaskScheduler"}, {24, "REMOVE_DELAYLOAD"}, {23, "REMOVE_TASKSCHEDULER"},
    {25, "REMOVE_SHELLEXECUTEHOOK"}, {26, "REMOVE_APPINIT"}, {28, "HIDDEN_Alert"},
    {29, "*HIDDEN_DeleteFile"}, {30, "REMOVE_WinLogonNotify"}, {kUnknownActionCode, "LOG_UNKNOWN"},
};

template <size_t N> const Row *FirstWithCode(const Row (&table)[N], int code)
{
    for (const Row &row : table) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

// The last row is the table's answer for a name it does not know.
template <size_t N> int CodeOfName(const Row (&table)[N], const char *name)
{
    if (name != nullptr) {
        for (const Row &row : table) {
            if (EqualsNoCase(row.name, name))
                return row.code;
        }
    }
    return table[N - 1].code;
}

// Writes each piece whole or not at all, so a cut text never ends inside an escape or a key.
struct PieceWriter {
    char *out;
    size_t limit;  // characters, the terminator not counted
    size_t used = 0;
    int fitted = 1;

    PieceWriter(char *destination, size_t capacity)
        : out(destination), limit(capacity > 0 ? capacity - 1 : 0)
    {
        if (out != nullptr && capacity > 0)
            out[0] = '\0';
        else
            fitted = 0;
    }
    int Put(const char *piece, size_t length)
    {
        if (!fitted || length > limit - used) {
            fitted = 0;
            return 0;
        }
        memcpy(out + used, piece, length);
        used += length;
        out[used] = '\0';
        return 1;
    }
    int PutEncoded(const char *text)
    {
        static const char kHex[] = "0123456789ABCDEF";
        for (const char *p = text ? text : ""; *p != '\0'; ++p) {
            unsigned char c = static_cast<unsigned char>(*p);
            bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
            const char escape[3] = {'%', kHex[c >> 4], kHex[c & 15]};
            if (!(plain ? Put(p, 1) : Put(escape, 3)))
                return 0;
        }
        return fitted;
    }
};

// Appends text to a line, turning the characters that delimit fields and records into spaces.
size_t PutField(const char *text, char *out, size_t used, size_t limit)
{
    for (const char *p = text ? text : ""; *p != '\0' && used < limit; ++p)
        out[used++] = (*p == '\t' || *p == '\r' || *p == '\n') ? ' ' : *p;
    return used;
}

// Keeps a gathered field in the record where the field's rule allows it.
void Settle(HistoryRecord &record, int index, const char *field, size_t length)
{
    switch (index) {
    case 0:
        if (length <= kHistoryDateWidth)
            CopyBounded(record.date, field);
        break;
    case 1:
        record.action = ActionCodeOf(field);
        break;
    case 2:
        record.kind = KindOfTypeName(field);
        break;
    case 3:
        if (length <= kHistoryTitleWidth)
            CopyBounded(record.title, field);
        break;
    case 4:
        if (length <= kHistoryPathWidth)
            CopyBounded(record.path, field);
        break;
    case 5:
        if (length <= kHistoryPathWidth)
            CopyBounded(record.detail, field);
        break;
    case 6:
        if (length <= kHistoryKeptWidth)
            CopyBounded(record.kept, field);
        break;
    default:
        break;
    }
}

void StartRecord(HistoryRecord &record)
{
    record = HistoryRecord{};
    record.action = kUnknownActionCode;
    record.kind = kUnknownTypeCode;
}

} // namespace

const char *TypeNameOfKind(int kindCode)
{
    const Row *row = FirstWithCode(kTypes, kindCode);
    return row ? row->name : "TYPE_UNKNOWN";
}

int KindOfTypeName(const char *name) { return CodeOfName(kTypes, name); }

const char *ActionNameOf(int actionCode)
{
    const Row *row = FirstWithCode(kActions, actionCode);
    return row ? row->name : "";
}

int ActionCodeOf(const char *name) { return CodeOfName(kActions, name); }

int IsReversibleAction(int actionCode)
{
    const Row *row = FirstWithCode(kActions, actionCode);
    return row != nullptr && row->name[0] == '*';
}

int HistoryDateOf(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                  char *out, size_t capacity)
{
    bool afternoon = hour >= 12;
    unsigned shown = afternoon ? hour - 12 : hour;
    if (shown == 0)
        shown = 12;
    return afternoon
               ? FormatBounded(out, capacity, "%02u/%02u/%04u  %u:%02u PM", month, day, year,
                               shown, minute)
               : FormatBounded(out, capacity, "%02u/%02u/%04u  %u:%02u AM", month, day, year,
                               shown, minute);
}

size_t BuildHistoryLine(const char *date, int actionCode, int kindCode, const char *title,
                        const char *path, const char *detail, char *out, size_t capacity,
                        const char *kept)
{
    if (out == nullptr || capacity < 3) {
        if (out != nullptr && capacity > 0)
            out[0] = '\0';
        return 0;
    }
    // The line end always fits: a record that lost it would swallow the next one.
    const size_t limit = capacity - 3;
    const char *fields[] = {date, ActionNameOf(actionCode), TypeNameOfKind(kindCode),
                            title, path, detail, kept};
    const size_t count = kept != nullptr && kept[0] != '\0' ? 7 : 6;
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && used < limit)
            out[used++] = '\t';
        used = PutField(fields[i], out, used, limit);
    }
    out[used++] = '\r';
    out[used++] = '\n';
    out[used] = '\0';
    return used;
}

bool HistoryRecordKeepsAll(const char *date, int actionCode, int kindCode, const char *title,
                           const char *path, const char *detail, const char *kept)
{
    const char *fields[] = {date, ActionNameOf(actionCode), TypeNameOfKind(kindCode),
                            title, path, detail, kept};
    size_t needed = 2;  // the line end
    for (const char *field : fields) {
        const char *text = field ? field : "";
        if (strpbrk(text, "\t\r\n") != nullptr)
            return false;
        needed += strlen(text) + 1;
    }
    // The loader keeps a field only up to its width; the line's own limit is the tighter one
    // except for the date and the kept facts.
    return needed < kHistoryRecordBuffer && strlen(date ? date : "") <= kHistoryDateWidth &&
           strlen(kept ? kept : "") <= kHistoryKeptWidth;
}

int WalkHistoryText(const char *text, size_t length, HistoryRecordFn onRecord, void *context)
{
    if (text == nullptr || onRecord == nullptr)
        return 0;
    HistoryRecord record;
    StartRecord(record);
    // One character more than a field may keep, so that a longer one is known and dropped.
    char field[kHistoryFieldLimit + 2];
    size_t fieldLength = 0;
    int fieldIndex = 0;
    int accepted = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\r' || c == '\0')
            continue;
        if (c == '\t' || c == '\n') {
            field[fieldLength] = '\0';
            Settle(record, fieldIndex, field, fieldLength);
            fieldLength = 0;
            if (fieldIndex < 7)  // every field after the seventh is ignored
                ++fieldIndex;
            if (c == '\t')
                continue;
            if (!onRecord(record, context))
                break;
            ++accepted;
            StartRecord(record);
            fieldIndex = 0;
            continue;
        }
        if (fieldLength <= kHistoryFieldLimit)
            field[fieldLength++] = c;
    }
    return accepted;
}

int QueryValueText(const char *text, char *out, size_t capacity)
{
    PieceWriter writer(out, capacity);
    return writer.PutEncoded(text);
}

int BuildHistoryQuery(const HistoryUpload &values, char *out, size_t capacity)
{
    const struct {
        const char *key;
        const char *value;
    } pairs[] = {
        {"&name=", values.name},     {"&code=", values.code},   {"&time=", values.time},
        {"&action=", values.action}, {"&type=", values.type},   {"&title=", values.title},
        {"&path=", values.path},
    };
    PieceWriter writer(out, capacity < kHistoryQueryLimit + 1 ? capacity : kHistoryQueryLimit + 1);
    for (const auto &pair : pairs) {
        if (!writer.Put(pair.key, strlen(pair.key)) || !writer.PutEncoded(pair.value))
            break;
    }
    return writer.fitted;
}

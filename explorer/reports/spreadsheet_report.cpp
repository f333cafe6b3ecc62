#include "spreadsheet_report.h"

#include <windows.h>

#include <string>

#include "area.h"
#include "delayed.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "iehelpers.h"
#include "processes.h"
#include "report_file.h"
#include "services.h"
#include "startup.h"
#include "tasks.h"
#include "text.h"
#include "version.h"

namespace {

// Widths of the cleaned columns, terminators included.
constexpr size_t kFileNameWidth = 260;
constexpr size_t kCompanyWidth = 128;
constexpr size_t kVersionWidth = 128;
constexpr size_t kDescriptionWidth = 1024;
constexpr size_t kCleanWidth = 1025;
constexpr size_t kDateWidth = 64;
constexpr size_t kStateWidth = 64;

constexpr char kColumns[] =
    "Type,SubType,Title,Filename,Company,First Detected,Path,Description, Version\r\n";

// The first-seen date of the entry (empty when none), read only: a report dates nothing. The
// register keys an item by its clean path, or (class identifiers) by its detail as it is.
void FirstSeenOf(int index, const char *path, char (&date)[kDateWidth])
{
    const int kind = EntryKind(index);
    char key[kCleanWidth];
    if (AreaOfKind(kind).firstSeenKey == FirstSeenKey::AsIs)
        EntryDetail(index, key, sizeof key);
    else
        CleanPath(path, key, sizeof key);
    GetFirstSeen(key, kind, date, sizeof date);
}

void WriteEntry(ReportFile &file, int index, const char *type, const char *subtype)
{
    const char *title = EntryWholeTitle(index);
    const char *path = EntryWholePath(index);
    char clean[kCleanWidth];
    CleanPath(path, clean, sizeof clean);
    VersionRecord version;
    ReadVersionInfo(clean, &version);
    char fileName[kFileNameWidth];
    char company[kCompanyWidth];
    char description[kDescriptionWidth];
    char product[kVersionWidth];
    CommasToSpaces(FileNameOf(path), fileName, sizeof fileName);
    CommasToSpaces(version.slot[VS_CompanyName], company, sizeof company);
    CommasToSpaces(version.slot[VS_FileDescription], description, sizeof description);
    CommasToSpaces(version.slot[VS_ProductVersion], product, sizeof product);
    char date[kDateWidth];
    FirstSeenOf(index, path, date);

    // The blank after the third comma belongs to the file name's field.
    std::string spacedName = " ";
    spacedName += fileName;
    std::string line = CsvField(type);
    for (const std::string &field :
         {std::string(subtype), std::string(title), spacedName, std::string(company),
          std::string(date), std::string(path), std::string(description), std::string(product)}) {
        line += ',';
        line += CsvField(field);
    }
    line += "\r\n";
    file.Write(line);
}

bool IsListedRunCode(int code)
{
    return (code >= 1 && code <= 7) || (code >= 11 && code <= 17) || (code >= 21 && code <= 26);
}

// One Run key's entries, as the walk hands them over.
void WriteRunPart(void *context)
{
    ReportFile &file = *static_cast<ReportFile *>(context);
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        const int code = EntryKind(i);
        if (IsListedRunCode(code))
            WriteEntry(file, i, RunKeyType(code), RunKeySubType(code));
    }
}

void WriteListed(ReportFile &file, const char *type, const char *subtype)
{
    for (int i = 0, count = EntryCount(); i < count; ++i)
        WriteEntry(file, i, type, subtype);
}

void WriteKind(ReportFile &file, int kind, const char *type, const char *subtype)
{
    for (int i = 0, count = EntryCount(); i < count; ++i)
        if (EntryKind(i) == kind)
            WriteEntry(file, i, type, subtype);
}

void WriteSections(ReportFile &file)
{
    EnumRunKeys(&WriteRunPart, &file);
    for (bool perUser : {true, false}) {
        EnumStartupFolders(perUser);
        WriteListed(file, "Startup", "Folder");
    }
    EnumDelayedEntries();
    WriteListed(file, "Delayed Start", "");
    EnumerateRunningPrograms();
    WriteListed(file, "Active Tasks", "");
    EnumIEHelpers();
    WriteKind(file, kBhoKind, "IE Helpers", "BHO");
    EnumActiveXAll();
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        char classId[kDetailWidth + 1];
        EntryDetail(i, classId, sizeof classId);
        // A control whose kill bit is set can't load: it starts nothing.
        if (IsKillBitClear(classId))
            WriteEntry(file, i, "ActiveX", "");
    }
    EnumIEHelpers();
    WriteKind(file, kToolbarKind, "IE Helpers", "Toolbar");
    EnumerateServices(false);
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        char state[kStateWidth];
        GetServiceStatusText(EntryWholeTitle(i), state, sizeof state);
        WriteEntry(file, i, "Services", state);
    }
    GetScheduledTasks();
    WriteListed(file, "Scheduled Tasks", "");
    ClearEntryList();
}

} // namespace

std::string CsvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

namespace {

struct RunKeyName {
    int code;
    const char *type;
    const char *subtype;
};

const RunKeyName kRunKeyNames[] = {
    {1, "HKLM", "Run"},           {2, "HKLM", "RunOnce"},          {3, "HKLM", "RunOnceEx"},
    {4, "HKLM", "RunServices"},   {5, "HKLM", "RunServicesOnce"},  {6, "HKLM", "RunOnceSetup"},
    {11, "HKCU", "Run"},          {12, "HKCU", "RunOnce"},         {13, "HKCU", "RunOnceEx"},
    {14, "HKCU", "RunServices"},  {15, "HKCU", "RunServicesOnce"}, {16, "HKCU", "RunOnceSetup"},
    {21, "HKU", "Run"},           {22, "HKU", "RunOnce"},          {23, "HKU", "RunOnceEx"},
    // Spelled as the sheets of earlier files have it: formulas made for them look for this.
    {24, "HKU", "RunServices"},   {25, "HKU", "RunServiceOnce"},   {26, "HKU", "RunOnceSetup"},
};

const RunKeyName *FindRunKey(int code)
{
    for (const RunKeyName &name : kRunKeyNames)
        if (name.code == code)
            return &name;
    return nullptr;
}

} // namespace

const char *RunKeyType(int code)
{
    const RunKeyName *name = FindRunKey(code);
    return name != nullptr ? name->type : "UnknownKey";
}

const char *RunKeySubType(int code)
{
    const RunKeyName *name = FindRunKey(code);
    return name != nullptr ? name->subtype : "Run";
}

int WriteSpreadsheetReport(const char *path)
{
    if (path == nullptr)
        path = "";
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ReportFile file(path);
    file.Write(HeaderText(ReportHeader(false), false));
    file.Write(kColumns);
    WriteSections(file);
    const bool written = file.Commit() != 0;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    OpenWrittenReport(path, written);
    return 1;
}

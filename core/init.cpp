#include "init.h"

#include <vector>

#include <cstring>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "datetexts.h"
#include "detected.h"
#include "entries.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "startup.h"
#include "startup_actions.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "trace.h"
#include "version.h"

namespace {

constexpr char kMachineRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAutoUpdate[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr char kInfoVerbCommand[] = "exefile\\shell\\SentroviaInfo\\command";
// The highest string id an override can stand for.
constexpr unsigned kLastOverrideId = 1165;
// Every window that keeps its place: alerts, system-file alert, cookies, the protection warning,
// the file-type dialog, the information dialog and the sheet.
const char *const kGeometryValues[] = {
    "xPosAlert",       "yPosAlert",       "dxAlert",          "dyAlert",
    "xPosSysFiles",    "yPosSysFiles",    "dxSysFiles",       "dySysFiles",
    "xCookie",         "yCookie",         "dxCookie",         "dyCookie",
    "xDefaultWarning", "yDefaultWarning", "dxDefaultWarning", "dyDefaultWarning",
    "xPosAddFileType", "yPosAddFileType", "dxPosAddFileType", "dyPosAddFileType",
    "xInfo",           "yInfo",           "dxInfo",           "dyInfo",
    "xPos",            "yPos",            "dxPos",            "dyPos",
};

DWORD g_startTick = 0;

// The areas' own start-up work, before or after the settings-version rules.
void PrepareAreas(bool afterVersion)
{
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        if (row.atStart != nullptr && row.atStartAfterVersion == afterVersion)
            row.atStart();
    }
}

// A marked snapshot is taken whenever its marker is missing, not only at the first run.
void TakeMissingMarkedBaselines()
{
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        if (row.snapshot == Snapshot::Marked && row.takeBaseline != nullptr &&
            !HasBaselineMarker(AreaId(id)))
            row.takeBaseline();
    }
}

void FirstRun()
{
    char date[32];
    if (ReadRegString(HKEY_CURRENT_USER, kProductKey, nullptr, date, sizeof date) > 0)
        return;
    Trace("Get Initial Values", "FIRSTTIME");
    CreateRegKey(HKEY_CURRENT_USER, kVendorKey);
    CreateRegKey(HKEY_CURRENT_USER, kProductKey);
    CreateRegKey(HKEY_CURRENT_USER, kOptionsKey);
    // The snapshots the user fills and the baselines; a marked one is taken when its marker is
    // missing.
    for (int id = 0; id < AREA_COUNT; ++id) {
        char path[MAX_PATH];
        const Snapshot kind = Area(AreaId(id)).snapshot;
        if ((kind == Snapshot::List || kind == Snapshot::Baseline) &&
            SnapshotKeyPath(AreaId(id), path, sizeof path))
            CreateRegKey(HKEY_CURRENT_USER, path);
    }
    TodayText(date, sizeof date);
    WriteRegString(HKEY_CURRENT_USER, kProductKey, nullptr, date);
    CreateInitialValues();
}

void TraceBegin()
{
    char versions[128];
    char line[192];
    ProgramVersionText(versions, sizeof versions);
    FormatBounded(line, sizeof line, "-------------------------------------Begin %s %s",
                  CurrentProgram() == ProgramKind::Monitor ? "Sentrovia" : "SentroviaEx",
                  versions);
    Trace(CurrentProgram() == ProgramKind::Monitor ? "svmain" : "main", line);
}

// The automatic-update setting as first seen, kept to notice a change later.
void KeepAutoUpdateSetting()
{
    if (ReadRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions") != 0)
        return;
    int setting = ReadRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions");
    if (setting != 0)
        WriteRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions", static_cast<DWORD>(setting));
}

void ApplySettingsVersion()
{
    char version[64];
    if (ReadRegString(HKEY_CURRENT_USER, kProductKey, "Version", version, sizeof version) == 0) {
        CleanupRunRegistry();
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", kSettingsVersion);
        return;
    }
    if (strstr(version, kSettingsVersion) == nullptr) {
        CleanupRunRegistry();
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", kSettingsVersion);
        CreateInitialValues();
    }
    if (GetOption(OptionName(OPT_Cleanup), 0) != 0) {
        CleanupRunRegistry();
        StoreOption(OPT_Cleanup, 0);
    }
}

// The "program information" entry of a program file's context menu.
void RegisterInfoVerb()
{
    if (RegKey key; key.Open(HKEY_CLASSES_ROOT, kInfoVerbKey, KEY_READ))
        return;
    char text[128];
    char folder[MAX_PATH];
    char command[MAX_PATH + 32];
    LoadText(IDS_INFO_VERB_MENU, text);
    ProgramFolder(folder, sizeof folder);
    FormatBounded(command, sizeof command, "\"%s\\Sentrovia.exe\" %%1", folder);
    WriteRegString(HKEY_CLASSES_ROOT, kInfoVerbKey, nullptr, text);
    WriteRegString(HKEY_CLASSES_ROOT, kInfoVerbCommand, nullptr, command);
}

void AutostartCommand(char *command, size_t capacity)
{
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    FormatBounded(command, capacity, "%s\\Sentrovia.exe -expressboot", folder);
}

} // namespace

DWORD StartTick() { return g_startTick; }

void InitializeSettings()
{
    StartTrace(false);
    g_startTick = TickCount();
    InitLanguage();
    if (GetOption(OptionName(OPT_Debug), 0) != 0)
        StartTrace(true);
    DecideWow64Pass();
    FirstRun();
    TraceBegin();
    InitDetectedRegister();
    TakeMissingMarkedBaselines();
    KeepAutoUpdateSetting();
    PrepareAreas(false);
    ApplySettingsVersion();
    PrepareAreas(true);
    LoadOptions();
    RestartCountdowns();
    RegisterInfoVerb();
}

namespace {

// The first snapshot of every area that takes one by itself.
void TakeBaselines()
{
    for (int id = 0; id < AREA_COUNT; ++id)
        if (Area(AreaId(id)).takeBaseline != nullptr)
            Area(AreaId(id)).takeBaseline();
}

} // namespace

void CreateInitialValues()
{
    Trace("sentrovia", "Create Initial Values");
    TakeBaselines();
    // An autostart value of an older release under its other name goes first.
    char alternative[128];
    LoadText(IDS_AUTOSTART_ALT_NAME, alternative);
    RemoveStartupEntry(alternative, "Sentrovia.exe", "", 1);
    SetAutoStart(true);
}

void CleanupRunRegistry()
{
    Trace("sentrovia", "Cleanup Run Registry");
    for (int id = 0; id < AREA_COUNT; ++id)
        if (Area(AreaId(id)).snapshot == Snapshot::Baseline)
            EmptySnapshot(AreaId(id));
    TakeBaselines();
}

int IsAutoStartOn()
{
    char name[64];
    char alternative[128];
    LoadText(IDS_CAPTION, name);
    LoadText(IDS_AUTOSTART_ALT_NAME, alternative);
    return RegValueExists(HKEY_LOCAL_MACHINE, kMachineRun, name) ||
           RegValueExists(HKEY_LOCAL_MACHINE, kMachineRun, alternative);
}

int SetAutoStart(bool on)
{
    if (!on)
        return RemoveOwnStartups(true);
    char command[MAX_PATH + 32];
    AutostartCommand(command, sizeof command);
    int written = WriteRegString(HKEY_LOCAL_MACHINE, kMachineRun, "Sentrovia", command);
    // "1": put in place by the programs themselves, so the watch never asks about it.
    char name[MAX_PATH + 32];
    BaselineName(command, name, sizeof name);
    ApproveMark(AREA_Start, name, "1");
    return written;
}

int RemoveOwnStartups(bool remove)
{
    struct Own {
        char title[128];
        char path[MAX_PATH];
        char detail[MAX_PATH];
        int kind;
        bool monitor;
    };
    // The removals walk the list again, so the entries are read out first.
    std::vector<Own> own;
    int count = EnumStartupEntries(0);
    for (int i = 0; i < count; ++i) {
        Own entry{};
        EntryPath(i, entry.path, sizeof entry.path);
        char name[MAX_PATH];
        BaselineName(entry.path, name, sizeof name);
        entry.monitor = ContainsNoCase(name, "Sentrovia.exe");
        if (!entry.monitor && !ContainsNoCase(name, "SentroviaEx.exe"))
            continue;
        EntryTitle(i, entry.title, sizeof entry.title);
        EntryDetail(i, entry.detail, sizeof entry.detail);
        entry.kind = EntryKind(i);
        own.push_back(entry);
    }
    ClearEntryList();
    int found = 0;
    for (const Own &entry : own) {
        found |= entry.monitor ? 1 : 0;
        if (!remove)
            continue;
        // The names the Monitor's value has had; the entry's own title may be another.
        const char *const titles[] = {"Sentrovia", "Sentrovia System Monitor"};
        if (entry.monitor)
            for (const char *title : titles)
                RemoveStartupEntry(title, entry.path, entry.detail, entry.kind);
        else
            RemoveStartupEntry("Sentrovia Explorer", entry.path, entry.detail, entry.kind);
    }
    return found;
}

void ResetSupportSettings()
{
    RegKey overrides;
    if (overrides.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_SET_VALUE))
        for (unsigned id = 0; id <= kLastOverrideId; ++id) {
            char name[24];
            FormatBounded(name, sizeof name, "LString%u", id);
            RegDeleteValueA(overrides.get(), name);
        }
    RegKey product;
    if (product.Open(HKEY_CURRENT_USER, kProductKey, KEY_SET_VALUE))
        for (const char *name : kGeometryValues)
            RegDeleteValueA(product.get(), name);
}

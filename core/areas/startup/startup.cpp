#include "startup.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "com.h"
#include "entries.h"
#include "keys.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "shortcut.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "trace.h"
#include "version.h"

namespace {

// Buffer widths of the walk, terminators included.
constexpr size_t kProfileWidth = 512;
constexpr DWORD kAdvancedWidth = 256;   // Disabled keys and advanced locations: 255 characters
constexpr size_t kCodeWidth = 16;
constexpr size_t kClassNameWidth = 512;
constexpr size_t kWinlogonWidth = 260;
constexpr size_t kFolderWidth = MAX_PATH;
// A folder, a backslash and a file name of MAX_PATH each.
constexpr size_t kJoinedWidth = 2 * MAX_PATH;
constexpr size_t kShortcutDescriptionWidth = INFOTIPSIZE;
constexpr WORD kResolveTimeoutMs = 500;

constexpr char kWow64RunKey[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
// Run-key codes with a location text: the first five keys of each hive.
constexpr int kRunKeysWithText = 5;
constexpr const char *kStartupFolderValues[] = {"Startup", "Common Startup"};
constexpr const char *kDisabledSubkeys[] = {"Run",         "RunOnce",          "RunOnceEx",
                                            "RunServices", "RunServicesOnce",  "RunSetup",
                                            "Policy",      "WinLoad",          "WinRun"};
constexpr char kUserinitTitle[] = "Winlogon Userinit";
constexpr char kShellTitle[] = "Winlogon Shell";

bool g_wow64Pass = false;

// No "insert a disk" dialog while a shortcut's target on a removable drive is looked at.
class CriticalErrorsOff {
public:
    CriticalErrorsOff() : previous_(GetErrorMode())
    {
        SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
    }
    ~CriticalErrorsOff() { SetErrorMode(previous_); }
    CriticalErrorsOff(const CriticalErrorsOff &) = delete;
    CriticalErrorsOff &operator=(const CriticalErrorsOff &) = delete;

private:
    UINT previous_;
};


// Buffers for whole values of one key: as wide as the key's widest name and data.
struct WholeValue {
    std::vector<char> name;
    std::vector<char> data;
    void FitTo(HKEY key)
    {
        DWORD nameWidth = 0;
        DWORD dataBytes = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameWidth, &dataBytes, nullptr, nullptr);
        if (name.size() < nameWidth + 1)
            name.resize(nameWidth + 1);
        if (data.size() < dataBytes + 2)
            data.resize(dataBytes + 2);
    }
};

// One string value whole, however long its name and data: a value Windows would run is never
// skipped for its size. False for one that isn't text or can't be read.
bool EnumWholeTextValue(HKEY key, DWORD index, WholeValue &value)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(value.name.size());
        DWORD size = static_cast<DWORD>(value.data.size() - 1);
        DWORD type = 0;
        LONG result = RegEnumValueA(key, index, value.name.data(), &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE *>(value.data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            // Written since the buffers were sized: size them again.
            value.FitTo(key);
            if (value.data.size() < size + 2u)
                value.data.resize(size + 2u);
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        value.data[size] = '\0';
        return true;
    }
    return false;
}

bool EnumValueName(HKEY key, DWORD index, char *name, DWORD nameWidth)
{
    DWORD nameLength = nameWidth;
    return RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

// Calls visit(item) for every non-empty item of list between any of the separators; list is
// cut up in place.
template <typename Visit> void ForEachItem(char *list, const char *separators, Visit visit)
{
    char *item = list;
    for (;;) {
        char *end = item + strcspn(item, separators);
        bool last = *end == '\0';
        *end = '\0';
        if (*item != '\0')
            visit(item);
        if (last)
            return;
        item = end + 1;
    }
}

// The text after the file name's last dot.
const char *FileExtension(const char *name)
{
    const char *dot = strrchr(name, '.');
    return dot == nullptr ? "" : dot + 1;
}

// folder + "\" + name; false when it doesn't fit.
bool JoinPath(const char *folder, const char *name, char *out, size_t capacity)
{
    if (!CopyBounded(out, capacity, folder))
        return false;
    RemoveTrailingBackslash(out, 0);
    return AppendBounded(out, capacity, "\\") && AppendBounded(out, capacity, name);
}

// ---- Step 1: Run keys ----

struct RunWalk {
    std::string lastName;
    std::string lastData;
    WholeValue value;
    DisabledTitles disabled;
};

// A disabled program that put itself back is disabled again at once with the command it has just
// registered: the first toggle enables the saved copy, the second saves the new command. The
// disabled register lists it. A value that stays in its key all the same (a code without
// disabling, a failed write) is listed like any other, so nothing hides behind a disabled title.
// True when the value has left its key.
bool TakeRunValue(RunWalk &walk, HKEY root, const char *path, const char *name, const char *data,
                  int code)
{
    if (EqualsNoCase(name, walk.lastName.c_str()) && EqualsNoCase(data, walk.lastData.c_str()))
        return false;
    if (walk.disabled.Has(name)) {
        DisableRunValueAgain(name, data, code);
        if (!RegValueExists(root, path, name))
            return true;
    }
    // Single letters, tiny commands and names in high bytes are not programs worth listing.
    if (strlen(name) > 1 && strlen(data) > 4 && static_cast<unsigned char>(name[0]) < 0x80) {
        std::vector<char> command(strlen(data) + 1);
        int stripped = StripRunDll32(data, command.data(), command.size());
        AddEntry(name, command.data(), "", "", code, stripped);
    }
    walk.lastName = name;
    walk.lastData = data;
    return false;
}

void WalkRunKey(RunWalk &walk, HKEY root, const char *path, int code)
{
    RegKey key;
    if (!key.Open(root, path, KEY_READ))
        return;
    DWORD count = ValueCount(key.get());
    walk.value.FitTo(key.get());
    for (DWORD index = 0; index < count;) {
        // A value taken out moves the ones after it down by one: the same index names the next.
        if (EnumWholeTextValue(key.get(), index, walk.value) &&
            TakeRunValue(walk, root, path, walk.value.name.data(), walk.value.data.data(), code))
            --count;
        else
            ++index;
    }
}

// The receiver of a walk taken part by part; none for a walk taken whole.
StartupPartFn g_onPart = nullptr;
void *g_partContext = nullptr;

// Ends one part of a walk taken part by part: the receiver sees the part's entries, and the
// next part starts with an empty list, so no location is crowded out by another's size.
void PartDone()
{
    if (g_onPart == nullptr)
        return;
    // Off while it runs: a walk the receiver makes itself is a walk of its own.
    StartupPartFn onPart = g_onPart;
    g_onPart = nullptr;
    onPart(g_partContext);
    g_onPart = onPart;
    ClearEntryList();
}

void WalkRunHive(RunWalk &walk, HKEY root, const char *base, int firstCode)
{
    for (int i = 0; i < static_cast<int>(std::size(kRunKeys)); ++i) {
        char path[MAX_PATH];
        FormatBounded(path, sizeof path, "%s\\%s", base, kRunKeys[i]);
        WalkRunKey(walk, root, path, firstCode + i);
        PartDone();
    }
}

void WalkRunKeys()
{
    RunWalk walk;
    WalkRunHive(walk, HKEY_LOCAL_MACHINE, kCurrentVersion, kMachineRunKind);
    WalkRunHive(walk, HKEY_CURRENT_USER, kCurrentVersion, kUserRunKind);
    if (g_wow64Pass)
        WalkRunHive(walk, HKEY_LOCAL_MACHINE, kWow64CurrentVersion, kWow64RunKind);
}

// ---- Step 2: Startup folders ----

// The shortcut's target in its short form and its description; false when the link can't be
// read or names nothing that exists.
bool ResolveShortcut(const char *file, char *target, size_t targetCapacity, char *description,
                     size_t descriptionCapacity)
{
    CriticalErrorsOff quiet;
    ComPtr<IShellLinkA> link;
    if (!LoadShortcut(file, link) ||
        // The link in memory follows a moved target; the file itself is never saved.
        link->Resolve(nullptr, MAKELONG(SLR_NO_UI, kResolveTimeoutMs)) != S_OK)
        return false;
    if (link->GetPath(target, static_cast<int>(targetCapacity), nullptr, SLGP_SHORTPATH) != S_OK ||
        target[0] == '\0')
        return false;
    // Resolve can answer S_OK for a target that is gone (Wine does): look for it ourselves.
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (FAILED(link->GetDescription(description, static_cast<int>(descriptionCapacity))))
        description[0] = '\0';
    return true;
}

// FileDescription, else ProductName; empty when the file has neither.
void ProgramTitle(const char *file, char *title, size_t capacity)
{
    VersionRecord version;
    ReadVersionInfo(file, &version);
    const char *text = version.slot[VS_FileDescription];
    CopyBounded(title, capacity, text[0] != '\0' ? text : version.slot[VS_ProductName]);
}

void ListShortcut(const char *file)
{
    char target[MAX_PATH];
    char title[kShortcutDescriptionWidth];
    if (!ResolveShortcut(file, target, sizeof target, title, sizeof title))
        return;
    if (title[0] == '\0')
        ProgramTitle(target, title, sizeof title);
    AddEntry(title, target, file, "", kStartupFolderKind, 0);
}

void ListFolderFile(const char *file, const char *name)
{
    const char *extension = FileExtension(name);
    // The folder's own settings file.
    if (EqualsNoCase(extension, "ini"))
        return;
    if (EqualsNoCase(extension, "lnk")) {
        ListShortcut(file);
        return;
    }
    char title[kTitleWidth + 1] = "";
    if (EqualsNoCase(extension, "exe"))
        ProgramTitle(file, title, sizeof title);
    AddEntry(title, file, file, "", kStartupFolderKind, 0);
}

// Only a plain subfolder is passed over: one with any further attribute is listed like a file.
bool IsSkippedFolderEntry(const WIN32_FIND_DATAA &found)
{
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] == '.')
        return true;
    return found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY;
}

void ListStartupFolder(const char *folder)
{
    char pattern[kJoinedWidth];
    if (!JoinPath(folder, "*.*", pattern, sizeof pattern))
        return;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search)
        return;
    ComScope com;
    do {
        char file[kJoinedWidth];
        if (!IsSkippedFolderEntry(found) &&
            JoinPath(folder, found.cFileName, file, sizeof file))
            ListFolderFile(file, found.cFileName);
    } while (FindNextFileA(search.get(), &found));
}

void WalkStartupFolders(int firstValue = 0, int lastValue = 1)
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (int value = firstValue; value <= lastValue; ++value) {
            char folder[kFolderWidth];
            if (ReadRegString(root, kShellFolders, kStartupFolderValues[value], folder,
                              sizeof folder) > 0)
                ListStartupFolder(folder);
        }
}

// ---- Step 3: win.ini ----

void WalkWinIniKey(const char *key, int code)
{
    char list[kProfileWidth];
    GetProfileStringA("windows", key, "", list, sizeof list);
    ForEachItem(list, ";", [&](const char *item) {
        VersionRecord version;
        ReadVersionInfo(item, &version);
        const char *product = version.slot[VS_ProductName];
        AddEntry(product[0] != '\0' ? product : key, item, "", "", code, 0);
    });
}

// ---- Step 4: disabled entries ----

// The location code the disabled register keeps for a title; 0 when it has none.
int DisabledCode(const char *title)
{
    char text[kCodeWidth];
    ReadRegString(HKEY_LOCAL_MACHINE, kDisabledKey, title, text, sizeof text);
    return static_cast<int>(strtol(text, nullptr, 10));
}

void WalkDisabledKey(const char *subkey)
{
    char path[MAX_PATH];
    FormatBounded(path, sizeof path, "%s\\%s", kDisabledKey, subkey);
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ))
        return;
    DWORD count = ValueCount(key.get());
    // Whole, as the Run keys are read: a long disabled entry must still be listed to come back.
    WholeValue value;
    value.FitTo(key.get());
    for (DWORD index = 0; index < count; ++index) {
        if (!EnumWholeTextValue(key.get(), index, value) || value.name[0] == '\0')
            continue;
        int code = DisabledCode(value.name.data());
        if (code > 0)
            AddEntry(value.name.data(), value.data.data(), "", "", code, 0);
    }
}

void WalkDisabled()
{
    for (const char *subkey : kDisabledSubkeys)
        WalkDisabledKey(subkey);
    char programFolder[kFolderWidth];
    char folder[kFolderWidth];
    if (ProgramFolder(programFolder, sizeof programFolder) &&
        JoinPath(programFolder, kDisabledFolderName, folder, sizeof folder))
        ListStartupFolder(folder);
}

// ---- Step 5: Winlogon ----

// The program appended after the first comma, or the value itself when the comma ends it.
void WalkUserinit()
{
    char value[kWinlogonWidth];
    ReadRegString(HKEY_LOCAL_MACHINE, kWinlogonKey, "UserInit", value, sizeof value);
    char *comma = strchr(value, ',');
    if (comma == nullptr)
        return;
    const char *path = value;
    if (comma[1] == '\0')
        *comma = '\0';
    else
        path = SkipSpaces(comma + 1);
    AddEntry(kUserinitTitle, path, "", "", kUserinitKind, 0);
}

// The program after the first space, or the value itself when it has none (or only at its end).
void WalkShell()
{
    char value[kWinlogonWidth];
    if (ReadRegString(HKEY_LOCAL_MACHINE, kWinlogonKey, "Shell", value, sizeof value) == 0)
        return;
    const char *path = value;
    char *space = strchr(value, ' ');
    if (space != nullptr && space[1] == '\0')
        *space = '\0';
    else if (space != nullptr)
        path = SkipSpaces(space + 1);
    AddEntry(kShellTitle, path, "", "", kShellKind, 0);
}

// ---- Step 6: advanced locations ----

struct ClassFacts {
    char name[kClassNameWidth];
    char server[MAX_PATH];
    char version[sizeof(VersionRecord::slot[0])];
};

// The class's name, its in-process server file and that file's ProductVersion; any may be empty.
void LookUpClass(const char *id, ClassFacts &facts)
{
    char key[kAdvancedWidth + 32];
    if (id[0] == '{')
        FormatBounded(key, sizeof key, "CLSID\\%s", id);
    else
        FormatBounded(key, sizeof key, "CLSID\\{%s}", id);
    ReadRegString(HKEY_CLASSES_ROOT, key, nullptr, facts.name, sizeof facts.name);
    AppendBounded(key, "\\InprocServer32");
    ReadRegString(HKEY_CLASSES_ROOT, key, nullptr, facts.server, sizeof facts.server);
    VersionRecord version;
    ReadVersionInfo(facts.server, &version);
    CopyBounded(facts.version, version.slot[VS_ProductVersion]);
}

// Calls visit(name, data) for every value of an HKLM key (data read as a string, empty when it
// can't be).
template <typename Visit> void ForEachAdvancedValue(const char *path, Visit visit)
{
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ))
        return;
    DWORD count = ValueCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[kAdvancedWidth];
        char data[kAdvancedWidth];
        if (!EnumValueName(key.get(), index, name, kAdvancedWidth))
            continue;
        ReadRegString(key.get(), nullptr, name, data, sizeof data);
        visit(name, data);
    }
}

void WalkDelayLoad()
{
    ForEachAdvancedValue(kDelayLoadKey, [](const char *name, const char *id) {
        ClassFacts facts;
        LookUpClass(id, facts);
        AddEntry(name, facts.server, id, facts.version, kDelayLoadKind, 0);
    });
}

// Values named by a class identifier, their data a title.
void WalkClassKey(const char *path, int code)
{
    ForEachAdvancedValue(path, [code](const char *id, const char *title) {
        ClassFacts facts;
        LookUpClass(id, facts);
        AddEntry(title[0] != '\0' ? title : facts.name, facts.server, id, facts.version, code, 0);
    });
}

void WalkAppInitDlls()
{
    char list[kAdvancedWidth];
    ReadRegString(HKEY_LOCAL_MACHINE, kWindowsNtKey, "AppInit_DLLs", list, sizeof list);
    ForEachItem(list, ", ", [](const char *item) {
        VersionRecord version;
        ReadVersionInfo(item, &version);
        AddEntry(version.slot[VS_ProductName], item, version.slot[VS_CompanyName],
                 version.slot[VS_ProductVersion], kAppInitKind, 0);
    });
}

void WalkNotify()
{
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, kNotifyKey, KEY_READ))
        return;
    DWORD count = SubkeyCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[kAdvancedWidth];
        DWORD length = kAdvancedWidth;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        char dll[kAdvancedWidth];
        // A disabled subkey keeps its DllName empty.
        if (ReadRegString(key.get(), name, "DllName", dll, sizeof dll) == 0)
            continue;
        VersionRecord version;
        ReadVersionInfo(dll, &version);
        AddEntry(name, dll, version.slot[VS_FileDescription], version.slot[VS_ProductVersion],
                 kNotifyKind, 0);
    }
}

void WalkAdvanced()
{
    WalkDelayLoad();
    PartDone();
    WalkClassKey(kTaskSchedulerKey, kTaskSchedulerKind);
    PartDone();
    WalkClassKey(kShellHooksKey, kShellHookKind);
    PartDone();
    WalkAppInitDlls();
    PartDone();
    WalkNotify();
    PartDone();
}

// ---- Location texts ----

struct Location {
    int code;
    const char *label;
    const char *historyType;   // nullptr: the history knows the code as TYPE_UNKNOWN
};

constexpr Location kLocations[] = {
    {kMachineRunKind, "HKLM_RUN", "MACHINE_RUN"},
    {kMachineRunKind + 1, "HKLM_RUNONCE", "MACHINE_RUNONCE"},
    {kMachineRunKind + 2, "HKLM_RUNONCEEX", "MACHINE_RUNONCEEX"},
    {kMachineRunKind + 3, "HKLM_RUNSERVICES", "MACHINE_RUNSERVICES"},
    {kMachineRunKind + 4, "HKLM_RUNSERVICESONCE", "MACHINE_RUNSERVICESONCE"},
    {kMachineRunKind + 5, "HKLM_RUNONCESETUP", "MACHINE_RUNONCESETUP"},
    {kMachineRunKind + 6, "HKLM_POLICY", "MACHINE_RUNPOLICY"},
    {kUserRunKind, "HKCU_RUN", "CURRENT_RUN"},
    {kUserRunKind + 1, "HKCU_RUNONCE", "CURRENT_RUNONCE"},
    {kUserRunKind + 2, "HKCU_RUNONCEEX", "CURRENT_RUNONCEEX"},
    {kUserRunKind + 3, "HKCU_RUNSERVICES", "CURRENT_RUNSERVICES"},
    {kUserRunKind + 4, "HKCU_RUNSERVICESONCE", "CURRENT_RUNSERVICESONCE"},
    {kUserRunKind + 5, "HKCU_RUNONCESETUP", nullptr},
    {kUserRunKind + 6, "HKCU_POLICY", nullptr},
    {kWow64RunKind, "x64_RUN", "WOW64_RUN"},
    {kWow64RunKind + 1, "x64_RUNONCE", "WOW64_RUNONCE"},
    {kWow64RunKind + 2, "x64_RUNONCEEX", "WOW64_RUNONCEEX"},
    {kWow64RunKind + 3, "x64_RUNSERVICES", "WOW64_RUNSERVICES"},
    {kWow64RunKind + 4, "x64_RUNSERVICESONCE", "WOW64_RUNSERVICESONCE"},
    {kWow64RunKind + 5, "x64_RUNONCESETUP", nullptr},
    {kWow64RunKind + 6, "x64_POLICY", nullptr},
    {kStartupFolderKind, "STARTUP_FOLDER", "GROUP_STARTUP"},
    {kWinRunKind, "WIN.INI_RUN", "WIN_RUN"},
    {kWinLoadKind, "WIN.INI_LOAD", "WIN_LOAD"},
    {kUserinitKind, "LOGON_USERINIT", "WINLOGON_Userinit"},
    {kShellKind, "LOGON_SHELL", "WINLOGON_Shell"},
    {kDelayLoadKind, "DELAYLOAD", "REG_Delayload"},
    {kTaskSchedulerKind, "TASKSCHEDULER", "REG_TaskScheduler"},
    {kShellHookKind, "SHELLHOOK", "REG_ShellExecuteHook"},
    {kAppInitKind, "APPINIT_DLL", "REG_AppInitDLLs"},
    {kNotifyKind, "NOTIFY", "RUN_WINLOGONNOTIFY"},
};

const Location *FindLocation(int code)
{
    for (const Location &location : kLocations)
        if (location.code == code)
            return &location;
    return nullptr;
}

// Location texts that are whole texts of the string table and never carry the disabled mark.
UINT TableLocationText(int code)
{
    switch (code) {
    case 800:
        return IDS_LOCATION_TASK_SCHEDULER;
    case 900:
        return IDS_LOCATION_IE_BHO;
    case 901:
        return IDS_LOCATION_IE_TOOLBAR;
    default:
        return 0;
    }
}

const char *FixedLocationText(int code)
{
    switch (code) {
    case kWinLoadKind:
        return "WIN.INI     [Load] Section";
    case kWinRunKind:
        return "WIN.INI     [Run] Section";
    case kStartupFolderKind:
        return "Windows Startup Group";
    case kUserinitKind:
        return "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Userinit";
    case kShellKind:
        return "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Shell";
    case kDelayLoadKind:
        return "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    case kTaskSchedulerKind:
        return "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
    case kShellHookKind:
        return "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
    case kAppInitKind:
        return "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs";
    case kNotifyKind:
        return "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify";
    default:
        return "";
    }
}

// The Run key a code names, for the five keys that have a text.
void AppendRunKeyText(int code, char *out, size_t capacity)
{
    struct Hive { int firstCode; const char *prefix; };
    const Hive hives[] = {{kMachineRunKind, "HKLM\\"},
                          {kUserRunKind, "HKCU\\"},
                          {kWow64RunKind, "HKLM\\"}};
    for (const Hive &hive : hives) {
        int offset = code - hive.firstCode;
        if (offset < 0 || offset >= kRunKeysWithText)
            continue;
        const char *base = hive.firstCode == kWow64RunKind ? kWow64CurrentVersion : kCurrentVersion;
        char text[MAX_PATH];
        FormatBounded(text, sizeof text, "%s%s\\%s", hive.prefix, base, kRunKeys[offset]);
        AppendBounded(out, capacity, text);
    }
}

} // namespace

int EnumStartupEntries(int listMode)
{
    ClearEntryList();
    WalkRunKeys();
    WalkStartupFolders();
    PartDone();
    WalkWinIniKey("run", kWinRunKind);
    PartDone();
    WalkWinIniKey("load", kWinLoadKind);
    PartDone();
    WalkDisabled();
    PartDone();
    bool advanced = listMode == 0 || Option(OPT_ShowAllStartup) > 0;
    if (advanced && IsNtFamily()) {
        WalkUserinit();
        PartDone();
        WalkShell();
        PartDone();
    }
    if (advanced)
        WalkAdvanced();
    return EntryCount();
}

void EnumStartupParts(int listMode, StartupPartFn onPart, void *context)
{
    g_onPart = onPart;
    g_partContext = context;
    EnumStartupEntries(listMode);
    g_onPart = nullptr;
    g_partContext = nullptr;
    ClearEntryList();
}

void EnumRunKeys(StartupPartFn onPart, void *context)
{
    g_onPart = onPart;
    g_partContext = context;
    ClearEntryList();
    WalkRunKeys();
    g_onPart = nullptr;
    g_partContext = nullptr;
    ClearEntryList();
}

int EnumStartupFolders(bool perUser)
{
    ClearEntryList();
    const int value = perUser ? 0 : 1;
    WalkStartupFolders(value, value);
    return EntryCount();
}

int StripRunDll32(const char *command, char *out, size_t capacity)
{
    if (command == nullptr)
        command = "";
    if (!ContainsNoCase(command, "RUNDLL32.EXE")) {
        CopyBounded(out, capacity, command);
        return 0;
    }
    // The contains test above guarantees a match and a length above 6.
    size_t length = strlen(command);
    size_t p = 0;
    while (p < length - 6 &&
           !(toupper(static_cast<unsigned char>(command[p])) == 'R' &&
             toupper(static_cast<unsigned char>(command[p + 2])) == 'N' &&
             toupper(static_cast<unsigned char>(command[p + 4])) == 'L' && command[p + 6] == '3'))
        ++p;
    // Past "RUNDLL32.EXE " — but never past the end of a command that stops at ".EXE".
    size_t start = p + 13 < length ? p + 13 : length;
    CopyBounded(out, capacity, command + start);
    return 1;
}

void DecideWow64Pass()
{
    RegKey key;
    g_wow64Pass = key.Open(HKEY_LOCAL_MACHINE, kWow64RunKey, KEY_READ);
}

bool Wow64Pass() { return g_wow64Pass; }
void SetWow64Pass(bool on) { g_wow64Pass = on; }

int BaselineName(const char *path, char *out, size_t capacity)
{
    const char *text = path != nullptr ? path : "";
    size_t length = strlen(text);
    if (length <= kBaselineWidth) {
        int fitted = CopyBounded(out, capacity, text);
        EqualsToColon(out);
        return fitted;
    }
    // Too long to name whole: its start, then a hash of all of it, so two long commands that
    // begin alike still have names of their own, and the same command always the same name.
    uint64_t hash = 14695981039346656037ull;  // FNV-1a, of the text as the registry compares it
    for (size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(toupper(static_cast<unsigned char>(text[i])));
        hash *= 1099511628211ull;
    }
    char start[kBaselineWidth + 1];
    constexpr size_t kHashText = 17;  // "#" and 16 hex digits
    memcpy(start, text, kBaselineWidth - kHashText);
    start[kBaselineWidth - kHashText] = '\0';
    int fitted = FormatBounded(out, capacity, "%s#%016llx", start,
                               static_cast<unsigned long long>(hash));
    EqualsToColon(out);
    return fitted;
}

int IsTitleDisabled(const char *title)
{
    // An empty title would ask for the key's default value, which no entry owns.
    if (title == nullptr || title[0] == '\0')
        return 0;
    return RegValueExists(HKEY_LOCAL_MACHINE, kDisabledKey, title);
}

DisabledTitles::DisabledTitles() : values_(HKEY_LOCAL_MACHINE, kDisabledKey) {}

int DisabledTitles::Has(const char *title)
{
    if (title == nullptr || title[0] == '\0')
        return 0;
    return values_.Exists(title);
}

int GetLocationText(int index, char *out, size_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    out[0] = '\0';
    if (index < 0 || index >= EntryCount())
        return 0;
    int code = EntryKind(index);
    if (UINT id = TableLocationText(code)) {
        LoadText(id, out, capacity);
        return static_cast<int>(strlen(out));
    }
    char title[kTitleWidth + 1];
    EntryTitle(index, title, sizeof title);
    if (IsTitleDisabled(title)) {
        char mark[64];
        LoadText(IDS_DISABLED_MARK, mark);
        FormatBounded(out, capacity, " * %s * ", mark);
    }
    AppendRunKeyText(code, out, capacity);
    AppendBounded(out, capacity, FixedLocationText(code));
    return static_cast<int>(strlen(out));
}

const char *LocationLabel(int code)
{
    const Location *location = FindLocation(code);
    return location ? location->label : "";
}

const char *HistoryTypeName(int code)
{
    const Location *location = FindLocation(code);
    return location && location->historyType ? location->historyType : "TYPE_UNKNOWN";
}

int ListStartupForDating() { return EnumStartupEntries(0); }

void TakeStartupBaseline()
{
    Trace("InitRegStartups", "StarupList - sentrovia");
    int count = EnumStartupEntries(0);
    for (int i = 0; i < count; ++i) {
        char name[kBaselineWidth + 1];
        BaselineName(EntryWholePath(i), name, sizeof name);
        Approve(AREA_Start, name, EntryKind(i));
    }
    ClearEntryList();
}

void StartupPlaces(PlaceList &out)
{
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots)
        for (const char *runKey : kRunKeys)
            AddKeyPlace(out, root, std::string(kCurrentVersion) + "\\" + runKey,
                        EqualsNoCase(runKey, "RunOnceEx"));
    // Watched even where the walk skips it today: its appearance is a change too.
    for (const char *runKey : kRunKeys)
        AddKeyPlace(out, HKEY_LOCAL_MACHINE, std::string(kWow64CurrentVersion) + "\\" + runKey,
                    EqualsNoCase(runKey, "RunOnceEx"));
    for (HKEY root : roots) {
        AddKeyPlace(out, root, kShellFolders);
        for (const char *value : kStartupFolderValues) {
            char folder[kFolderWidth];
            if (ReadRegString(root, kShellFolders, value, folder, sizeof folder) > 0)
                AddFolderPlace(out, folder);
        }
    }
    // win.ini's [windows] section: a file of the Windows folder, on NT mapped into the registry.
    if (IsNtFamily()) {
        AddKeyPlace(out, HKEY_CURRENT_USER, kWindowsNtKey);
    } else {
        char windows[kFolderWidth];
        if (WindowsFolder(windows, sizeof windows))
            AddFolderPlace(out, windows);
    }
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kWinlogonKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kNotifyKey, true);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kWindowsNtKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kDelayLoadKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kTaskSchedulerKey);
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kShellHooksKey);
}

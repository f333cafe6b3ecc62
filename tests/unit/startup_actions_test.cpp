#include "startup_actions.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "files.h"
#include "history.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"

namespace {

constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kWow64CurrentVersion[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";
constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kMachineRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDisabled[] = "Software\\Orvanto\\Sentrovia\\Disabled";
constexpr char kBaseline[] = "Software\\Orvanto\\Sentrovia\\Run";
constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kNotify[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
constexpr char kWindowsNt[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kDelayLoad[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr char kTaskScheduler[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr char kShellHooks[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
constexpr UINT kKeyLocationQuestion =
    MB_YESNO | MB_DEFBUTTON2 | MB_ICONSTOP | MB_TOPMOST;

std::string DisabledKey(const char *subkey) { return std::string(kDisabled) + "\\" + subkey; }

// ---- Registry ----

struct RawValue {
    DWORD type = 0;
    std::string text = "<missing>";
    bool operator==(const RawValue &) const = default;
};

void PrintTo(const RawValue &v, std::ostream *out) { *out << v.type << ":\"" << v.text << "\""; }

// A string value as stored: type and unexpanded text.
RawValue ReadRaw(HKEY root, const std::string &path, const char *name)
{
    char text[4096];
    DWORD size = sizeof text;
    DWORD type = 0;
    if (RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     &type, text, &size) != ERROR_SUCCESS)
        return {};
    return {type, text};
}

std::string Read(HKEY root, const std::string &path, const char *name)
{
    return ReadStringValue(root, path.c_str(), name);
}

std::string BaselineNameOf(const std::string &path)
{
    char name[1024];
    BaselineName(path.c_str(), name, sizeof name);
    return name;
}

// The approval the baseline holds for a path, "<missing>" when none.
std::string Approval(const std::string &path)
{
    return Read(HKEY_CURRENT_USER, kBaseline, BaselineNameOf(path).c_str());
}

// ---- The walk ----

// What the Monitor's walk lists under a title.
std::vector<Listed> WalkFor(const std::string &title)
{
    EnumStartupEntries(0);
    std::vector<Listed> found;
    for (const Listed &e : ListedEntries())
        if (e.title == title)
            found.push_back(e);
    return found;
}

// The one entry the walk lists under a title (an empty one when not exactly one).
Listed ListedOnce(const std::string &title)
{
    std::vector<Listed> found = WalkFor(title);
    EXPECT_EQ(1u, found.size()) << title;
    return found.size() == 1 ? found[0] : Listed{};
}

// ---- Files ----

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// ---- win.ini ----

std::string WinIniList(const char *key)
{
    char text[2048];
    GetProfileStringA("windows", key, "", text, sizeof text);
    return text;
}

void SetWinIniList(const char *key, const std::string &list)
{
    ASSERT_TRUE(WriteProfileStringA("windows", key, list.c_str()));
}

// ---- Questions ----

struct Asked {
    std::string text, caption;
    UINT type = 0;
};
std::vector<Asked> g_asked;
int g_answer = IDNO;

int Respond(const char *text, const char *caption, UINT type)
{
    g_asked.push_back({text, caption, type});
    return g_answer;
}

struct ProtectionAsked {
    HWND owner;
    std::string title, path;
};
std::vector<ProtectionAsked> g_protectionAsked;

int ProtectionDialog(HWND owner, const char *title, const char *path)
{
    g_protectionAsked.push_back({owner, title, path});
    return g_answer;
}

// ---- History ----

struct Record {
    std::string action, type, title, path, detail;
    bool operator==(const Record &) const = default;
};

void PrintTo(const Record &r, std::ostream *out)
{
    *out << "{" << r.action << ", " << r.type << ", \"" << r.title << "\", \"" << r.path
         << "\", \"" << r.detail << "\"}";
}

class StartupActions : public ::testing::Test {
protected:
    StartupActions()
    {
        platform_.programFolder = programFolder_.path().c_str();
    }
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        SetWow64Pass(false);
        SetPlatformOverride(&platform_);
        SetText(HKEY_CURRENT_USER, kShellFolders, "Startup", userStartup_.path());
        SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", commonStartup_.path());
        g_asked.clear();
        g_protectionAsked.clear();
        g_answer = IDNO;
        previousResponder_ = SetMessageResponder(Respond);
    }
    void TearDown() override
    {
        SetMessageResponder(previousResponder_);
        SetAdvancedRemovalQuestion(nullptr);
        SetPlatformOverride(nullptr);
        SetWow64Pass(false);
        TheSettings() = Settings{};
        ClearEntryList();
    }

    std::string HistoryFile() const { return programFolder_.File("history.txt"); }
    std::string DisabledFile(const std::string &name) const
    {
        return programFolder_.File("Disabled\\" + name);
    }

    // Every record of history.txt: action, type, title, path and detail (the date is left out).
    std::vector<Record> History() const
    {
        std::vector<Record> records;
        std::string text = ReadWholeFile(HistoryFile());
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            std::string line = text.substr(start, end - start);
            start = end == std::string::npos ? text.size() : end + 2;
            std::vector<std::string> fields;
            size_t from = 0;
            for (size_t tab = line.find('\t'); tab != std::string::npos;
                 tab = line.find('\t', from)) {
                fields.push_back(line.substr(from, tab - from));
                from = tab + 1;
            }
            fields.push_back(line.substr(from));
            // A seventh field keeps what the undo needs besides the path.
            EXPECT_TRUE(fields.size() == 6u || fields.size() == 7u) << line;
            fields.resize(6);
            records.push_back({fields[1], fields[2], fields[3], fields[4], fields[5]});
        }
        return records;
    }

    // Restores the history's last record the way the history viewer does: from the loaded record.
    int RestoreLastRecord()
    {
        int count = LoadHistory();
        EXPECT_GT(count, 0);
        if (count <= 0)
            return -1;
        int last = count - 1;
        EXPECT_EQ(0, EntryExtra(last)) << "not a removal";
        return RestoreHistoryEvent(last);
    }

    RegistrySandbox sandbox_;
    // Its path carries the product's name, as an installed program folder's does.
    ScratchFolder programFolder_;
    ScratchFolder userStartup_;
    ScratchFolder commonStartup_;
    // The programs entries start live where nothing names the product.
    // Not named after the product, as a program's folder usually isn't: removing an entry whose
    // path names the product leaves no history record.
    ScratchFolder targets_{"programs"};
    PlatformOverride platform_;
    MessageResponder previousResponder_ = nullptr;
};

// ---- Run keys ----

struct RunPlace {
    int code;
    HKEY root;
    std::string key;
    const char *disabledSubkey;
};

std::vector<RunPlace> TogglingRunPlaces()
{
    const char *keys[] = {"Run",         "RunOnce",         "RunOnceEx",
                          "RunServices", "RunServicesOnce", "RunOnce\\Setup",
                          "policies\\Explorer\\Run"};
    const char *disabled[] = {"Run",         "RunOnce",         "RunOnceEx", "RunServices",
                              "RunServicesOnce", "RunSetup", "Policy"};
    std::vector<RunPlace> places;
    for (int i = 0; i < 7; ++i) {
        places.push_back({1 + i, HKEY_LOCAL_MACHINE, std::string(kCurrentVersion) + "\\" + keys[i],
                          disabled[i]});
        places.push_back({11 + i, HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\" + keys[i],
                          disabled[i]});
    }
    for (int i = 0; i < 5; ++i)
        places.push_back({21 + i, HKEY_LOCAL_MACHINE,
                          std::string(kWow64CurrentVersion) + "\\" + keys[i], disabled[i]});
    return places;
}

TEST_F(StartupActions, RunValuesRoundTripThroughTheDisabledKeys)
{
    SetWow64Pass(true);
    // Quotes the walk drops and an expandable string it shows unexpanded both come back as stored.
    const RawValue commands[] = {
        {REG_SZ, "\"C:\\Program Files\\Agent\\agent.exe\" /tray"},
        {REG_EXPAND_SZ, "%ProgramFiles%\\Agent\\agent.exe /tray"},
    };
    int round = 0;
    for (const RunPlace &place : TogglingRunPlaces()) {
        const RawValue &command = commands[round++ % 2];
        SCOPED_TRACE(place.code);
        SCOPED_TRACE(command.text);
        SetText(place.root, place.key, "Agent", command.text, command.type);
        SetText(place.root, place.key, "Neighbour", "C:\\Tools\\neighbour.exe");
        std::string copyKey = DisabledKey(place.disabledSubkey);

        Listed enabled = ListedOnce("Agent");
        EXPECT_EQ(place.code, enabled.kind);
        EXPECT_EQ(1, ToggleStartupEntry("Agent", enabled.path.c_str(), "", place.code));
        EXPECT_EQ(RawValue{}, ReadRaw(place.root, place.key, "Agent"));
        EXPECT_EQ(command, ReadRaw(HKEY_LOCAL_MACHINE, copyKey, "Agent"));
        EXPECT_EQ(std::to_string(place.code), Read(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
        EXPECT_EQ(place.code, IsEntryDisabled("Agent"));

        // Listed once, from the disabled register, and enabled from what that listing shows.
        Listed disabled = ListedOnce("Agent");
        EXPECT_EQ(place.code, disabled.kind);
        EXPECT_EQ(1, ToggleStartupEntry("Agent", disabled.path.c_str(), "", place.code));
        EXPECT_EQ(command, ReadRaw(place.root, place.key, "Agent"));
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, copyKey.c_str(), "Agent"));
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
        EXPECT_EQ(enabled, ListedOnce("Agent"));
        EXPECT_EQ("C:\\Tools\\neighbour.exe", Read(place.root, place.key, "Neighbour"));

        DeleteRegValue(place.root, place.key.c_str(), "Agent");
        DeleteRegValue(place.root, place.key.c_str(), "Neighbour");
    }
}

TEST_F(StartupActions, DisablingKeepsARundll32CommandWhole)
{
    const std::string command = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl";
    SetText(HKEY_CURRENT_USER, kUserRun, "Display", command);
    Listed enabled = ListedOnce("Display");
    ASSERT_EQ("shell32.dll,Control_RunDLL desk.cpl", enabled.path);

    EXPECT_EQ(1, ToggleStartupEntry("Display", enabled.path.c_str(), "", 11));
    EXPECT_EQ(command, Read(HKEY_LOCAL_MACHINE, DisabledKey("Run"), "Display"));
    // Given the cut command as the list showed it before, enabling still writes the whole one.
    EXPECT_EQ(1, ToggleStartupEntry("Display", enabled.path.c_str(), "", 11));
    EXPECT_EQ(command, Read(HKEY_CURRENT_USER, kUserRun, "Display"));
}

TEST_F(StartupActions, AProgramThatPutItselfBackIsDisabledAgainWithItsNewCommand)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\old.exe");
    ASSERT_EQ(1, ToggleStartupEntry("Agent", "C:\\Tools\\old.exe", "", 11));
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "\"C:\\Tools\\new.exe\" /again");

    // What the walk does on finding it: enable, then disable with the command just found.
    const char *found = "\"C:\\Tools\\new.exe\" /again";
    EXPECT_EQ(1, ToggleStartupEntry("Agent", found, "", 11));
    EXPECT_EQ(1, ToggleStartupEntry("Agent", found, "", 11));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ(found, Read(HKEY_LOCAL_MACHINE, DisabledKey("Run"), "Agent"));
    EXPECT_EQ("11", Read(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
}

TEST_F(StartupActions, TheWalkDisablesAProgramThatPutItselfBack)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Before", "C:\\Tools\\before.exe");
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\old.exe");
    ASSERT_EQ(1, ToggleStartupEntry("Agent", "C:\\Tools\\old.exe", "", 11));
    const std::string found = "\"C:\\Tools\\new.exe\" /again";
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", found);
    SetText(HKEY_CURRENT_USER, kUserRun, "After", "C:\\Tools\\after.exe");

    EnumStartupEntries(0);
    // Listed once, from the disabled register, with the command it came back with; the value
    // after it in the key (whichever that is: the key's order is the system's) is still walked.
    std::vector<Listed> listed = ListedEntries();
    std::sort(listed.begin(), listed.end(),
              [](const Listed &a, const Listed &b) { return a.title < b.title; });
    EXPECT_EQ((std::vector<Listed>{{"After", "C:\\Tools\\after.exe", "", "", 11, 0},
                                   {"Agent", "C:\\Tools\\new.exe /again", "", "", 11, 0},
                                   {"Before", "C:\\Tools\\before.exe", "", "", 11, 0}}),
              listed);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ(found, Read(HKEY_LOCAL_MACHINE, DisabledKey("Run"), "Agent"));
    EXPECT_EQ("11", Read(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
    EXPECT_EQ("C:\\Tools\\before.exe", Read(HKEY_CURRENT_USER, kUserRun, "Before"));
    EXPECT_EQ("C:\\Tools\\after.exe", Read(HKEY_CURRENT_USER, kUserRun, "After"));

    // Back once more as an expandable string: kept as one, and enabled as one.
    const RawValue expandable{REG_EXPAND_SZ, "%ProgramFiles%\\Agent\\agent.exe"};
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", expandable.text, expandable.type);
    Listed disabled = ListedOnce("Agent");
    EXPECT_EQ(expandable, ReadRaw(HKEY_LOCAL_MACHINE, DisabledKey("Run"), "Agent"));
    EXPECT_EQ(RawValue{}, ReadRaw(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ(1, ToggleStartupEntry("Agent", disabled.path.c_str(), "", 11));
    EXPECT_EQ(expandable, ReadRaw(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
}

TEST_F(StartupActions, AValueThatCannotBeDisabledAgainIsListedWhereItIs)
{
    SetWow64Pass(true);
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\agent.exe");
    ASSERT_EQ(1, ToggleStartupEntry("Agent", "C:\\Tools\\agent.exe", "", 11));
    // The Wow6432Node RunOnce\Setup key has no disabling: the title must not hide it.
    const std::string setup = std::string(kWow64CurrentVersion) + "\\RunOnce\\Setup";
    SetText(HKEY_LOCAL_MACHINE, setup, "Agent", "C:\\Tools\\hidden.exe");
    EXPECT_EQ((std::vector<Listed>{{"Agent", "C:\\Tools\\hidden.exe", "", "", 26, 0},
                                   {"Agent", "C:\\Tools\\agent.exe", "", "", 11, 0}}),
              WalkFor("Agent"));
    EXPECT_EQ("C:\\Tools\\hidden.exe", Read(HKEY_LOCAL_MACHINE, setup, "Agent"));
    EXPECT_EQ("C:\\Tools\\agent.exe", Read(HKEY_LOCAL_MACHINE, DisabledKey("Run"), "Agent"));
    EXPECT_EQ("11", Read(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
}

TEST_F(StartupActions, ARunValueThatCannotBeKeptStaysInPlace)
{
    // Binary data can't be kept as a command (a long command can: see the test of it above).
    const BYTE binary[] = {1, 2, 3, 4, 5, 6};
    WriteRawValue(HKEY_CURRENT_USER, kUserRun, "Binary", REG_BINARY, binary, sizeof binary);
    EXPECT_EQ(0, ToggleStartupEntry("Binary", "C:\\Tools\\binary.exe", "", 11));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Binary"));
    // Nor is a nameless entry: it would take the register's default value.
    EXPECT_EQ(0, ToggleStartupEntry("", "C:\\Tools\\agent.exe", "", 11));
    EXPECT_EQ(0, ToggleStartupEntry(nullptr, nullptr, nullptr, 11));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDisabled));
}

// ---- win.ini ----

TEST_F(StartupActions, WinIniItemsComeBackAtTheEndOfTheirList)
{
    ProfileKeyRestorer run("run"), load("load");
    const std::string program = CopyFixture(targets_, "vfx_translation_order.exe",
                                            "Long Folder Name\\operating system.exe");
    // The list names it in its short form; the walk shows the long one.
    const std::string item = ShortForm(program);
    ASSERT_NE(item, program);
    for (const char *key : {"load", "run"}) {
        SCOPED_TRACE(key);
        int code = strcmp(key, "load") == 0 ? 100 : 101;
        std::string copyKey = DisabledKey(code == 100 ? "WinLoad" : "WinRun");
        SetWinIniList(key, "C:\\Tools\\one.exe;" + item + ";C:\\Tools\\three.exe");

        Listed enabled = ListedOnce("Vfx English Edition");
        EXPECT_EQ((Listed{"Vfx English Edition", program, "", "", code, 0}), enabled);
        EXPECT_EQ(1, ToggleStartupEntry(enabled.title.c_str(), enabled.path.c_str(), "", code));
        EXPECT_EQ("C:\\Tools\\one.exe;C:\\Tools\\three.exe;", WinIniList(key));
        EXPECT_EQ(item, Read(HKEY_LOCAL_MACHINE, copyKey, "Vfx English Edition"));
        EXPECT_EQ(std::to_string(code), Read(HKEY_LOCAL_MACHINE, kDisabled, "Vfx English Edition"));
        EXPECT_EQ(enabled, ListedOnce("Vfx English Edition"));
        EXPECT_EQ(2u, WalkFor(key).size());

        EXPECT_EQ(1, ToggleStartupEntry(enabled.title.c_str(), enabled.path.c_str(), "", code));
        EXPECT_EQ("C:\\Tools\\one.exe;C:\\Tools\\three.exe;" + item, WinIniList(key));
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, copyKey.c_str(), "Vfx English Edition"));
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Vfx English Edition"));
        EXPECT_EQ(enabled, ListedOnce("Vfx English Edition"));
        WriteProfileStringA("windows", key, nullptr);
    }
}

TEST_F(StartupActions, WinIniListEditing)
{
    ProfileKeyRestorer load("load");
    struct Case { const char *list; const char *item; const char *removed; const char *appended; };
    const Case cases[] = {
        {"", "C:\\a.exe", "", "C:\\a.exe"},
        {"C:\\x.exe", "C:\\a.exe", "C:\\x.exe", "C:\\x.exe;C:\\a.exe"},
        {"C:\\x.exe;", "C:\\a.exe", "C:\\x.exe;", "C:\\x.exe;C:\\a.exe"},
        {"C:\\A.EXE", "c:\\a.exe", "", "C:\\A.EXE;c:\\a.exe"},
        // Empty items are no items; every match goes.
        {";C:\\a.exe;;C:\\b.exe;C:\\a.exe;", "C:\\a.exe", "C:\\b.exe;",
         ";C:\\a.exe;;C:\\b.exe;C:\\a.exe;C:\\a.exe"},
        {"\"C:\\a.exe\";C:\\b.exe", "C:\\a.exe", "C:\\b.exe;", "\"C:\\a.exe\";C:\\b.exe;C:\\a.exe"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list);
        SetWinIniList("load", c.list);
        EXPECT_EQ(1, RemoveFromWinIniList("load", c.item));
        EXPECT_EQ(c.removed, WinIniList("load"));
        SetWinIniList("load", c.list);
        EXPECT_EQ(1, AppendToWinIniList("load", c.item));
        EXPECT_EQ(c.appended, WinIniList("load"));
    }

    // A list too long to read whole is never written back cut, nor made too long to read.
    const std::string longList = "C:\\a.exe;" + std::string(600, 'x');
    SetWinIniList("load", longList);
    EXPECT_EQ(0, RemoveFromWinIniList("load", "C:\\a.exe"));
    EXPECT_EQ(longList, WinIniList("load"));
    const std::string nearlyFull = std::string(500, 'y');
    SetWinIniList("load", nearlyFull);
    EXPECT_EQ(0, AppendToWinIniList("load", "C:\\Tools\\some program.exe"));
    EXPECT_EQ(nearlyFull, WinIniList("load"));
    EXPECT_EQ(0, AppendToWinIniList("load", ""));
    EXPECT_EQ(0, RemoveFromWinIniList("load", ""));
}

TEST_F(StartupActions, WinIniLosesItsReadOnlyAttributeBeforeAWrite)
{
    ProfileKeyRestorer load("load");
    ScratchFolder windows;
    platform_.windowsFolder = windows.path().c_str();
    const std::string file = windows.Write("win.ini", "[windows]\r\n");
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(1, AppendToWinIniList("load", "C:\\a.exe"));
    EXPECT_FALSE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(1, RemoveFromWinIniList("load", "C:\\a.exe"));
    EXPECT_FALSE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    platform_.windowsFolder = nullptr;
}

// ---- Startup folders ----

TEST_F(StartupActions, AnAllUsersShortcutComesBackIntoTheUsersStartupFolder)
{
    ComScope com;
    const std::string target = CopyFixture(targets_, "vfx_no_version.exe", "Long Folder\\agent.exe");
    const std::string shortcut = commonStartup_.File("agent.lnk");
    MakeShortcut(shortcut, target, "Nightly Agent", "--tray");
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesA(shortcut.c_str(), attributes));
    const Shortcut content = ReadShortcut(shortcut);

    Listed enabled = ListedOnce("Nightly Agent");
    ASSERT_EQ((Listed{"Nightly Agent", target, shortcut, "", 200, 0}), enabled);
    EXPECT_EQ(1, ToggleStartupEntry(enabled.title.c_str(), enabled.path.c_str(),
                                    enabled.detail.c_str(), 200));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(attributes, GetFileAttributesA(DisabledFile("agent.lnk").c_str()));
    EXPECT_EQ("200", Read(HKEY_LOCAL_MACHINE, kDisabled, "Nightly Agent"));
    Listed disabled = ListedOnce("Nightly Agent");
    EXPECT_EQ((Listed{"Nightly Agent", target, DisabledFile("agent.lnk"), "", 200, 0}), disabled);

    EXPECT_EQ(1, ToggleStartupEntry(disabled.title.c_str(), disabled.path.c_str(),
                                    disabled.detail.c_str(), 200));
    const std::string back = userStartup_.File("agent.lnk");
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(Exists(DisabledFile("agent.lnk")));
    EXPECT_EQ(attributes, GetFileAttributesA(back.c_str()));
    EXPECT_EQ(content, ReadShortcut(back));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Nightly Agent"));
    EXPECT_EQ((Listed{"Nightly Agent", target, back, "", 200, 0}), ListedOnce("Nightly Agent"));
}

TEST_F(StartupActions, EnablingTakesTheFirstStartupFolderItCanRead)
{
    ScratchFolder machineStartup;
    struct Case { bool user, machine, common; const ScratchFolder *destination; };
    const Case cases[] = {
        {true, true, true, &userStartup_},
        {false, true, true, &machineStartup},
        {false, false, true, &commonStartup_},
        {false, false, false, nullptr},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(round);
        std::string name = "file" + std::to_string(round++) + ".txt";
        std::string file = targets_.Write(name, "content");
        ASSERT_EQ(1, ToggleStartupEntry("Startup File", file.c_str(), file.c_str(), 200));
        DeleteRegValue(HKEY_CURRENT_USER, kShellFolders, "Startup");
        DeleteRegValue(HKEY_LOCAL_MACHINE, kShellFolders, "Startup");
        DeleteRegValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup");
        if (c.user)
            SetText(HKEY_CURRENT_USER, kShellFolders, "Startup", userStartup_.path());
        if (c.machine)
            SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Startup", machineStartup.path());
        if (c.common)
            SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", commonStartup_.path());

        int enabled = ToggleStartupEntry("Startup File", file.c_str(), DisabledFile(name).c_str(), 200);
        if (c.destination != nullptr) {
            EXPECT_EQ(1, enabled);
            EXPECT_EQ("content", ReadWholeFile(c.destination->File(name)));
            EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Startup File"));
        } else {
            // Nowhere to go: it stays disabled.
            EXPECT_EQ(0, enabled);
            EXPECT_EQ("content", ReadWholeFile(DisabledFile(name)));
            EXPECT_EQ("200", Read(HKEY_LOCAL_MACHINE, kDisabled, "Startup File"));
        }
    }
}

TEST_F(StartupActions, AFileThatCannotMoveLeavesTheEntryAsItWas)
{
    const std::string held = userStartup_.Write("held.txt", "held");
    {
        FileHandle open(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(open);
        EXPECT_EQ(0, ToggleStartupEntry("held", held.c_str(), held.c_str(), 200));
    }
    EXPECT_EQ("held", ReadWholeFile(held));
    EXPECT_FALSE(Exists(DisabledFile("held.txt")));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "held"));
    EXPECT_EQ((Listed{"held", held, held, "", 200, 0}), ListedOnce("held"));

    // A file of the same name already disabled is not overwritten.
    const std::string twin = userStartup_.Write("twin.txt", "new");
    programFolder_.Write("Disabled\\twin.txt", "old");
    EXPECT_EQ(0, ToggleStartupEntry("twin", twin.c_str(), twin.c_str(), 200));
    EXPECT_EQ("new", ReadWholeFile(twin));
    EXPECT_EQ("old", ReadWholeFile(DisabledFile("twin.txt")));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "twin"));

    // Nor is one that came back into the Startup folder meanwhile: the entry stays disabled.
    const std::string solo = userStartup_.Write("solo.txt", "disabled");
    ASSERT_EQ(1, ToggleStartupEntry("solo", solo.c_str(), solo.c_str(), 200));
    userStartup_.Write("solo.txt", "returned");
    EXPECT_EQ(0, ToggleStartupEntry("solo", solo.c_str(), DisabledFile("solo.txt").c_str(), 200));
    EXPECT_EQ("returned", ReadWholeFile(solo));
    EXPECT_EQ("disabled", ReadWholeFile(DisabledFile("solo.txt")));
    EXPECT_EQ("200", Read(HKEY_LOCAL_MACHINE, kDisabled, "solo"));
}

// ---- Winlogon Notify ----

TEST_F(StartupActions, NotifyEntriesKeepTheirDllNameAside)
{
    const std::string subkey = std::string(kNotify) + "\\Agent";
    SetText(HKEY_LOCAL_MACHINE, subkey, "DllName", "C:\\Hooks\\agent.dll");
    SetText(HKEY_LOCAL_MACHINE, subkey, "Asynchronous", "1");
    Listed enabled = ListedOnce("Agent");
    ASSERT_EQ(256, enabled.kind);

    EXPECT_EQ(1, ToggleStartupEntry("Agent", enabled.path.c_str(), "", 256));
    EXPECT_EQ("", Read(HKEY_LOCAL_MACHINE, subkey, "DllName"));
    EXPECT_EQ("C:\\Hooks\\agent.dll", Read(HKEY_LOCAL_MACHINE, subkey, "OldName"));
    EXPECT_EQ("C:\\Hooks\\agent.dll", Read(HKEY_LOCAL_MACHINE, DisabledKey("WinNotify"), "Agent"));
    EXPECT_EQ("256", Read(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
    EXPECT_EQ("256", Approval(enabled.path));
    EXPECT_TRUE(WalkFor("Agent").empty());
    // A second disable finds nothing to keep and must not lose the name kept aside.
    EXPECT_EQ(0, DisableNotifyDll("Agent"));
    EXPECT_EQ("C:\\Hooks\\agent.dll", Read(HKEY_LOCAL_MACHINE, subkey, "OldName"));

    EXPECT_EQ(1, ToggleStartupEntry("Agent", enabled.path.c_str(), "", 256));
    EXPECT_EQ("C:\\Hooks\\agent.dll", Read(HKEY_LOCAL_MACHINE, subkey, "DllName"));
    EXPECT_EQ("", Read(HKEY_LOCAL_MACHINE, subkey, "OldName"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Agent"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, DisabledKey("WinNotify").c_str(), "Agent"));
    EXPECT_EQ(enabled, ListedOnce("Agent"));
    // Enabling what is not disabled must not empty the live name either.
    EXPECT_EQ(0, EnableNotifyDll("Agent"));
    EXPECT_EQ(0, RestoreRemovedEntry("Agent", enabled.path.c_str(), "", 256));
    EXPECT_EQ("C:\\Hooks\\agent.dll", Read(HKEY_LOCAL_MACHINE, subkey, "DllName"));
    EXPECT_EQ("1", Read(HKEY_LOCAL_MACHINE, subkey, "Asynchronous"));
    EXPECT_EQ(0, DisableNotifyDll("Missing"));
    EXPECT_EQ(0, DisableNotifyDll(""));
}

// ---- Removing and restoring ----

TEST_F(StartupActions, RunValuesAreRemovedAndRestoredFromTheirHistoryRecord)
{
    SetWow64Pass(true);
    struct Case { int code; HKEY root; std::string key; const char *type; };
    const Case cases[] = {
        {1, HKEY_LOCAL_MACHINE, kMachineRun, "MACHINE_RUN"},
        {11, HKEY_CURRENT_USER, kUserRun, "CURRENT_RUN"},
        {15, HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\RunServicesOnce",
         "CURRENT_RUNSERVICESONCE"},
        {21, HKEY_LOCAL_MACHINE, std::string(kWow64CurrentVersion) + "\\Run", "WOW64_RUN"},
    };
    const std::string command = "rundll32.exe C:\\Tools\\agent.dll,Start";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        DeleteFileA(HistoryFile().c_str());
        SetText(c.root, c.key, "Agent", command);
        Listed listed = ListedOnce("Agent");
        SetText(HKEY_CURRENT_USER, kBaseline, BaselineNameOf(listed.path).c_str(), "11");
        SetText(HKEY_CURRENT_USER, kBaseline, "Agent", "11");

        EXPECT_EQ(1, RemoveStartupEntry("Agent", listed.path.c_str(), "", c.code));
        EXPECT_FALSE(ValueExists(c.root, c.key.c_str(), "Agent"));
        EXPECT_EQ("<missing>", Approval(listed.path));
        EXPECT_EQ("<missing>", Read(HKEY_CURRENT_USER, kBaseline, "Agent"));
        // The history keeps the command as it stood, so the restore can put it back whole.
        EXPECT_EQ((std::vector<Record>{{"*START_Remove", c.type, "Agent", command, ""}}), History());

        EXPECT_EQ(1, RestoreLastRecord());
        EXPECT_EQ(command, Read(c.root, c.key, "Agent"));
        // The approval it had when it went comes back with it.
        EXPECT_EQ("11", Approval(listed.path));
        EXPECT_EQ(listed, ListedOnce("Agent"));
        DeleteRegValue(c.root, c.key.c_str(), "Agent");
    }
}

// A removal that could not be undone is not made: the history locked, or a command too long for
// a whole record. The user is told why, in the program's caption.
TEST_F(StartupActions, RemovalWithoutAWayBackIsRefusedAndSaysWhy)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\agent.exe /tray");
    g_asked.clear();
    {
        HANDLE locked = CreateFileA(HistoryFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        EXPECT_EQ(0, RemoveStartupEntry("Agent", "C:\\Tools\\agent.exe /tray", "", 11));
        CloseHandle(locked);
    }
    EXPECT_EQ("C:\\Tools\\agent.exe /tray", Read(HKEY_CURRENT_USER, kUserRun, "Agent"));
    ASSERT_EQ(1u, g_asked.size());
    EXPECT_EQ("Sentrovia", g_asked[0].caption);
    EXPECT_NE(std::string::npos, g_asked[0].text.find("\"Agent\" was not removed"))
        << g_asked[0].text;
    EXPECT_NE(std::string::npos, g_asked[0].text.find("history.txt")) << g_asked[0].text;

    // Unlocked, it goes.
    EXPECT_EQ(1, RemoveStartupEntry("Agent", "C:\\Tools\\agent.exe /tray", "", 11));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));

    const std::string tooLong = "C:\\Tools\\agent.exe " + std::string(1100, 'x');
    SetText(HKEY_CURRENT_USER, kUserRun, "Long", tooLong);
    g_asked.clear();
    DeleteFileA(HistoryFile().c_str());
    EXPECT_EQ(0, RemoveStartupEntry("Long", tooLong.c_str(), "", 11));
    EXPECT_EQ(tooLong, Read(HKEY_CURRENT_USER, kUserRun, "Long"));
    ASSERT_EQ(1u, g_asked.size());
    EXPECT_NE(std::string::npos, g_asked[0].text.find("too long")) << g_asked[0].text;
    EXPECT_TRUE(History().empty());
    DeleteRegValue(HKEY_CURRENT_USER, kUserRun, "Long");
}

// A command longer than any record still moves out and back whole: its copy is kept in the
// registry, which has no width of its own.
TEST_F(StartupActions, ALongCommandIsDisabledAndEnabledWhole)
{
    const std::string command = "\"C:\\Tools\\agent.exe\" " + std::string(3000, 'x');
    SetText(HKEY_CURRENT_USER, kUserRun, "Long", command);
    // The whole command as the walk lists it, as the page and the Monitor pass it.
    const std::string listed = ListedCommandOf(command.c_str());
    EXPECT_EQ(1, ToggleStartupEntry("Long", listed.c_str(), "", 11));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Long"));
    EXPECT_EQ(1, ToggleStartupEntry("Long", listed.c_str(), "", 11));
    EXPECT_EQ(command, Read(HKEY_CURRENT_USER, kUserRun, "Long"));
    DeleteRegValue(HKEY_CURRENT_USER, kUserRun, "Long");
}

// What was removed comes back exactly: the quotes, a command longer than the list shows, the
// expandable type, and no approval the entry never had.
TEST_F(StartupActions, RestoreGivesBackTheCommandByteForByteWithItsTypeAndNoNewApproval)
{
    const std::string command =
        "\"%ProgramFiles%\\Agent\\" + std::string(400, 'a') + ".exe\" /tray \"two  spaces\"";
    ASSERT_GT(command.size(), 420u);
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserRun, "Agent", REG_EXPAND_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
    Listed listed = ListedOnce("Agent");
    EXPECT_EQ(1, RemoveStartupEntry("Agent", listed.path.c_str(), "", 11));
    ASSERT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));

    EXPECT_EQ(1, RestoreLastRecord());
    char back[2048] = "";
    DWORD size = sizeof back;
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, kUserRun, "Agent",
                                          RRF_RT_ANY | RRF_NOEXPAND, &type, back, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    EXPECT_EQ(command, back);
    EXPECT_EQ("<missing>", Approval(listed.path));
    EXPECT_EQ("<missing>", Read(HKEY_CURRENT_USER, kBaseline, "Agent"));
    DeleteRegValue(HKEY_CURRENT_USER, kUserRun, "Agent");

    // A record whose command is empty puts nothing back.
    EXPECT_EQ(0, RestoreRemovedEntry("Agent", "", "", 11, "1 11"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Agent"));
}

TEST_F(StartupActions, WinIniItemsAreRemovedAndRestoredFromTheirHistoryRecord)
{
    ProfileKeyRestorer run("run");
    SetWinIniList("run", "C:\\Tools\\one.exe;C:\\Tools\\two.exe;C:\\Tools\\three.exe");
    EXPECT_EQ(1, RemoveStartupEntry("run", "C:\\Tools\\two.exe", "", 101));
    EXPECT_EQ("C:\\Tools\\one.exe;C:\\Tools\\three.exe;", WinIniList("run"));
    EXPECT_EQ((std::vector<Record>{{"*START_Remove", "WIN_RUN", "run", "C:\\Tools\\two.exe", ""}}),
              History());

    EXPECT_EQ(1, RestoreLastRecord());
    EXPECT_EQ("C:\\Tools\\one.exe;C:\\Tools\\three.exe;C:\\Tools\\two.exe", WinIniList("run"));
    // Never approved before it went, so not approved now: the Monitor will ask.
    EXPECT_EQ("<missing>", Approval("C:\\Tools\\two.exe"));
    EXPECT_EQ(3u, WalkFor("run").size());
}

TEST_F(StartupActions, ShortcutsAreRemovedAndMadeAnewFromTheirHistoryRecord)
{
    ComScope com;
    const std::string target =
        CopyFixture(targets_, "vfx_no_version.exe", "Long Folder Name\\night agent.exe");
    const std::string shortcut = userStartup_.File("Night Agent.lnk");
    MakeShortcut(shortcut, target, "Nightly Agent", "--tray -q");
    Listed listed = ListedOnce("Nightly Agent");
    SetText(HKEY_CURRENT_USER, kBaseline, BaselineNameOf(target).c_str(), "200");

    EXPECT_EQ(1, RemoveStartupEntry(listed.title.c_str(), listed.path.c_str(),
                                    listed.detail.c_str(), 200));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_TRUE(Exists(target)) << "the program itself stays";
    EXPECT_EQ("<missing>", Approval(target));
    EXPECT_EQ((std::vector<Record>{{"*START_Remove", "GROUP_STARTUP", "Nightly Agent",
                                    target + " --tray -q", shortcut}}),
              History());

    EXPECT_EQ(1, RestoreLastRecord());
    char folder[MAX_PATH];
    ASSERT_TRUE(FolderOf(target.c_str(), folder, sizeof folder));
    EXPECT_EQ((Shortcut{target, "--tray -q", "Nightly Agent", folder, target, 0}),
              ReadShortcut(shortcut));
    EXPECT_EQ("200", Approval(target));
    EXPECT_EQ(listed, ListedOnce("Nightly Agent"));

    // A file standing there now is not overwritten; a removed plain file can't be made anew.
    EXPECT_EQ(0, RestoreRemovedEntry("Nightly Agent", target.c_str(), shortcut.c_str(), 200));
    EXPECT_EQ("Nightly Agent", ReadShortcut(shortcut).description);
    const std::string plain = userStartup_.File("plain.exe");
    EXPECT_EQ(0, RestoreRemovedEntry("plain", plain.c_str(), plain.c_str(), 200));
    EXPECT_FALSE(Exists(plain));
}

TEST_F(StartupActions, RemovingADisabledEntryTouchesOnlyItsSavedCopy)
{
    ProfileKeyRestorer load("load");
    // A Run value, a win.ini item and a Startup file, each disabled; the Run value and the file
    // each with a twin in place.
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\agent.exe");
    ASSERT_EQ(1, ToggleStartupEntry("Agent", "C:\\Tools\\agent.exe", "", 11));
    SetText(HKEY_CURRENT_USER, kUserRun, "Agent", "C:\\Tools\\again.exe");
    SetWinIniList("load", "C:\\Tools\\loaded.exe;C:\\Tools\\other.exe");
    ASSERT_EQ(1, ToggleStartupEntry("Loader", "C:\\Tools\\loaded.exe", "", 100));
    const std::string file = userStartup_.Write("note.txt", "disabled");
    ASSERT_EQ(1, ToggleStartupEntry("note", file.c_str(), file.c_str(), 200));
    userStartup_.Write("note.txt", "in place");

    EXPECT_EQ(1, RemoveStartupEntry("Agent", "C:\\Tools\\agent.exe", "", 11));
    EXPECT_EQ(1, RemoveStartupEntry("Loader", "C:\\Tools\\loaded.exe", "", 100));
    EXPECT_EQ(1, RemoveStartupEntry("note", DisabledFile("note.txt").c_str(),
                                    DisabledFile("note.txt").c_str(), 200));

    EXPECT_EQ("C:\\Tools\\again.exe", Read(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ("C:\\Tools\\other.exe;", WinIniList("load"));
    EXPECT_EQ("in place", ReadWholeFile(file));
    EXPECT_FALSE(Exists(DisabledFile("note.txt")));
    for (const char *title : {"Agent", "Loader", "note"})
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, title)) << title;
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, DisabledKey("Run").c_str(), "Agent"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, DisabledKey("WinLoad").c_str(), "Loader"));
    // The Disabled folder lies in the program folder, named after the product: the file is still
    // recorded, being the user's and not the product's own.
    EXPECT_EQ((std::vector<Record>{
                  {"*START_Remove", "CURRENT_RUN", "Agent", "C:\\Tools\\agent.exe", ""},
                  {"*START_Remove", "WIN_LOAD", "Loader", "C:\\Tools\\loaded.exe", ""},
                  {"*START_Remove", "GROUP_STARTUP", "note", DisabledFile("note.txt"),
                   DisabledFile("note.txt")}}),
              History());
}

TEST_F(StartupActions, ARemovedDisabledShortcutIsRestoredEnabled)
{
    ComScope com;
    const std::string target = CopyFixture(targets_, "vfx_no_version.exe", "agent.exe");
    const std::string shortcut = commonStartup_.File("agent.lnk");
    MakeShortcut(shortcut, target, "Nightly Agent", "--tray");
    ASSERT_EQ(1, ToggleStartupEntry("Nightly Agent", target.c_str(), shortcut.c_str(), 200));
    Listed disabled = ListedOnce("Nightly Agent");
    ASSERT_EQ(DisabledFile("agent.lnk"), disabled.detail);

    EXPECT_EQ(1, RemoveStartupEntry(disabled.title.c_str(), disabled.path.c_str(),
                                    disabled.detail.c_str(), 200));
    EXPECT_FALSE(Exists(DisabledFile("agent.lnk")));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Nightly Agent"));
    EXPECT_EQ((std::vector<Record>{{"*START_Remove", "GROUP_STARTUP", "Nightly Agent",
                                    target + " --tray", DisabledFile("agent.lnk")}}),
              History());

    // Nothing runs from the Disabled folder: it comes back where enabling would put it.
    EXPECT_EQ(1, RestoreLastRecord());
    const std::string back = userStartup_.File("agent.lnk");
    EXPECT_FALSE(Exists(DisabledFile("agent.lnk")));
    EXPECT_EQ("--tray", ReadShortcut(back).arguments);
    EXPECT_EQ((Listed{"Nightly Agent", target, back, "", 200, 0}), ListedOnce("Nightly Agent"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabled, "Nightly Agent"));
    EXPECT_EQ("<missing>", Approval(target));
}

TEST_F(StartupActions, OnlyARemovalThatHappenedIsRecorded)
{
    SetText(HKEY_CURRENT_USER, kUserRun, "Own", "C:\\Program Files\\SENTROVIA\\watch.exe");
    SetText(HKEY_CURRENT_USER, kBaseline, BaselineNameOf("C:\\Tools\\gone.exe").c_str(), "11");
    // The product's own entry goes without a record.
    EXPECT_EQ(1, RemoveStartupEntry("Own", "C:\\Program Files\\SENTROVIA\\watch.exe", "", 11));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kUserRun, "Own"));
    // A value that is not there is no removal: no record, and its approval stays.
    EXPECT_EQ(0, RemoveStartupEntry("Gone", "C:\\Tools\\gone.exe", "", 11));
    EXPECT_EQ("11", Approval("C:\\Tools\\gone.exe"));
    // A file that won't go stays, with its mark.
    const std::string held = userStartup_.Write("held.txt", "held");
    {
        FileHandle open(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(open);
        EXPECT_EQ(0, RemoveStartupEntry("held", held.c_str(), held.c_str(), 200));
    }
    EXPECT_EQ("held", ReadWholeFile(held));
    // Nor is a win.ini item that is not in its list, or a Startup file that is gone already.
    ProfileKeyRestorer load("load");
    SetWinIniList("load", "C:\\Tools\\other.exe");
    EXPECT_EQ(0, RemoveStartupEntry("load", "C:\\Tools\\gone.exe", "", 100));
    EXPECT_EQ("C:\\Tools\\other.exe", WinIniList("load"));
    EXPECT_EQ(0, RemoveStartupEntry("gone", userStartup_.File("gone.txt").c_str(),
                                    userStartup_.File("gone.txt").c_str(), 200));
    // A disabled file named after the product is the product's own, Disabled folder or not.
    const std::string own = userStartup_.Write("Sentrovia Helper.txt", "own");
    ASSERT_EQ(1, ToggleStartupEntry("Helper", own.c_str(), own.c_str(), 200));
    const std::string parked = DisabledFile("Sentrovia Helper.txt");
    EXPECT_EQ(1, RemoveStartupEntry("Helper", parked.c_str(), parked.c_str(), 200));
    EXPECT_FALSE(Exists(parked));
    EXPECT_FALSE(Exists(HistoryFile()));
    // A read-only file loses the attribute and goes.
    ASSERT_TRUE(SetFileAttributesA(held.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(1, RemoveStartupEntry("held", held.c_str(), held.c_str(), 200));
    EXPECT_FALSE(Exists(held));
}

// ---- Advanced locations ----

struct AdvancedCase {
    int code;
    const char *title;
    const char *path;
    const char *detail;
    const char *action;
    const char *type;
};

const AdvancedCase kAdvancedCases[] = {
    {252, "Loader", "C:\\Hooks\\loader.dll", "{11111111-2222-3333-4444-555555555555}",
     "REMOVE_DELAYLOAD", "REG_Delayload"},
    {253, "Scheduler", "C:\\Hooks\\scheduler.dll", "{22222222-2222-3333-4444-555555555555}",
     "REMOVE_TaskScheduler", "REG_TaskScheduler"},
    {254, "Hook", "C:\\Hooks\\hook.dll", "{33333333-2222-3333-4444-555555555555}",
     "REMOVE_SHELLEXECUTEHOOK", "REG_ShellExecuteHook"},
    {255, "", "C:\\Hooks\\b.dll", "", "*START_Remove", "REG_AppInitDLLs"},
};

class AdvancedLocations : public StartupActions {
protected:
    void SetUp() override
    {
        StartupActions::SetUp();
        SetText(HKEY_LOCAL_MACHINE, kDelayLoad, "Loader", kAdvancedCases[0].detail);
        SetText(HKEY_LOCAL_MACHINE, kTaskScheduler, kAdvancedCases[1].detail, "Scheduler");
        SetText(HKEY_LOCAL_MACHINE, kShellHooks, kAdvancedCases[2].detail, "Hook");
        SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "C:\\Hooks\\a.dll,C:\\Hooks\\b.dll");
        for (const AdvancedCase &c : kAdvancedCases)
            SetText(HKEY_CURRENT_USER, kBaseline, BaselineNameOf(c.path).c_str(),
                    std::to_string(c.code));
    }
    // Whether each advanced entry is still in place and still approved.
    std::vector<bool> InPlace() const
    {
        std::vector<bool> present = {
            ValueExists(HKEY_LOCAL_MACHINE, kDelayLoad, "Loader"),
            ValueExists(HKEY_LOCAL_MACHINE, kTaskScheduler, kAdvancedCases[1].detail),
            ValueExists(HKEY_LOCAL_MACHINE, kShellHooks, kAdvancedCases[2].detail),
            Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs") ==
                "C:\\Hooks\\a.dll,C:\\Hooks\\b.dll"};
        for (const AdvancedCase &c : kAdvancedCases)
            present.push_back(Approval(c.path) == std::to_string(c.code));
        return present;
    }
};

TEST_F(AdvancedLocations, ADeclinedQuestionChangesNothing)
{
    const std::vector<bool> all(8, true);
    g_answer = IDNO;
    for (const AdvancedCase &c : kAdvancedCases) {
        SCOPED_TRACE(c.code);
        g_asked.clear();
        EXPECT_EQ(0, RemoveStartupEntry(c.title, c.path, c.detail, c.code));
        ASSERT_EQ(1u, g_asked.size());
        EXPECT_EQ("\nThis setting is in a key location for your operating system. We do not "
                  "recommend removal unless you are absolutely sure its causing problems.\n\nAre "
                  "you sure you want this removed?",
                  g_asked[0].text);
        EXPECT_EQ("Sentrovia", g_asked[0].caption);
        EXPECT_EQ(kKeyLocationQuestion, g_asked[0].type);
        EXPECT_EQ(all, InPlace());
    }
    // The Explorer's dialog in the seam declines the same way, and the plain question stays away.
    g_asked.clear();
    SetAdvancedRemovalQuestion(ProtectionDialog);
    HWND owner = reinterpret_cast<HWND>(0x1234);
    for (const AdvancedCase &c : kAdvancedCases)
        EXPECT_EQ(0, RemoveAdvancedEntry(owner, c.title, c.path, c.detail, c.code));
    ASSERT_EQ(4u, g_protectionAsked.size());
    EXPECT_EQ(owner, g_protectionAsked[1].owner);
    EXPECT_EQ("Scheduler", g_protectionAsked[1].title);
    EXPECT_EQ("C:\\Hooks\\scheduler.dll", g_protectionAsked[1].path);
    EXPECT_TRUE(g_asked.empty());
    EXPECT_EQ(all, InPlace());
    EXPECT_FALSE(Exists(HistoryFile()));
}

TEST_F(AdvancedLocations, ConsentRemovesRecordsAndTheRecordRestores)
{
    g_answer = IDYES;
    for (const AdvancedCase &c : kAdvancedCases) {
        SCOPED_TRACE(c.code);
        DeleteFileA(HistoryFile().c_str());
        EXPECT_EQ(1, RemoveStartupEntry(c.title, c.path, c.detail, c.code));
        EXPECT_EQ("<missing>", Approval(c.path));
        EXPECT_EQ((std::vector<Record>{{c.action, c.type, c.title, c.path, c.detail}}), History());
    }
    EXPECT_EQ(std::vector<bool>(8, false), InPlace());
    EXPECT_EQ("C:\\Hooks\\a.dll,", Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));

    // Only the AppInit removal is reversible through the viewer; all restore from their values,
    // each with the approval its record kept.
    for (const AdvancedCase &c : kAdvancedCases)
        EXPECT_EQ(1, RestoreRemovedEntry(c.title, c.path, c.detail, c.code,
                                         ("0 " + std::to_string(c.code)).c_str()))
            << c.code;
    EXPECT_EQ(kAdvancedCases[0].detail, Read(HKEY_LOCAL_MACHINE, kDelayLoad, "Loader"));
    EXPECT_EQ("Scheduler", Read(HKEY_LOCAL_MACHINE, kTaskScheduler, kAdvancedCases[1].detail));
    EXPECT_EQ("Hook", Read(HKEY_LOCAL_MACHINE, kShellHooks, kAdvancedCases[2].detail));
    EXPECT_EQ("C:\\Hooks\\a.dll,C:\\Hooks\\b.dll",
              Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    EXPECT_EQ(std::vector<bool>(8, true), InPlace());
}

TEST_F(AdvancedLocations, AnEntryThatIsNotThereKeepsItsApprovalAndIsNotRecorded)
{
    g_answer = IDYES;
    DeleteRegValue(HKEY_LOCAL_MACHINE, kShellHooks, kAdvancedCases[2].detail);
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "C:\\Hooks\\a.dll");
    EXPECT_EQ(0, RemoveStartupEntry("Hook", kAdvancedCases[2].path, kAdvancedCases[2].detail, 254));
    EXPECT_EQ(0, RemoveStartupEntry("", kAdvancedCases[3].path, "", 255));
    EXPECT_EQ("254", Approval(kAdvancedCases[2].path));
    EXPECT_EQ("255", Approval(kAdvancedCases[3].path));
    EXPECT_EQ("C:\\Hooks\\a.dll", Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    EXPECT_FALSE(Exists(HistoryFile()));
}

TEST_F(AdvancedLocations, AStandingAnswerRemovesWithoutAsking)
{
    TheSettings().option[OPT_HideStartup] = 2;
    g_answer = IDNO;
    EXPECT_EQ(1, RemoveStartupEntry("Hook", kAdvancedCases[2].path, kAdvancedCases[2].detail, 254));
    EXPECT_TRUE(g_asked.empty());
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kShellHooks, kAdvancedCases[2].detail));
}

TEST_F(StartupActions, WinlogonValuesAreResetAndApproved)
{
    char system[MAX_PATH];
    ASSERT_TRUE(SystemFolder(system, sizeof system));
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit",
            std::string(system) + "\\Userinit.exe, C:\\Tools\\intruder.exe");
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe C:\\Tools\\intruder.exe");
    Listed userinit = ListedOnce("Winlogon Userinit");
    Listed shell = ListedOnce("Winlogon Shell");

    // The Monitor's removal resets without a question.
    EXPECT_EQ(1, RemoveStartupEntry(userinit.title.c_str(), userinit.path.c_str(), "", 250));
    EXPECT_EQ(1, RemoveStartupEntry(shell.title.c_str(), shell.path.c_str(), "", 251));
    EXPECT_TRUE(g_asked.empty());
    EXPECT_EQ(std::string(system) + "\\Userinit.exe,", Read(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit"));
    EXPECT_EQ("Explorer.exe", Read(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"));
    EXPECT_EQ((std::vector<Record>{
                  {"RESET_USERINIT", "WINLOGON_Userinit", "Winlogon Userinit",
                   "C:\\Tools\\intruder.exe", ""},
                  {"RESET_SHELL", "WINLOGON_Shell", "Winlogon Shell", "C:\\Tools\\intruder.exe",
                   ""}}),
              History());

    // The next walk lists the defaults, each under its approval.
    Listed resetUserinit = ListedOnce("Winlogon Userinit");
    EXPECT_EQ(LongForm(std::string(system) + "\\Userinit.exe"), resetUserinit.path);
    EXPECT_EQ("250", Approval(resetUserinit.path));
    Listed resetShell = ListedOnce("Winlogon Shell");
    EXPECT_EQ("251", Approval(resetShell.path));
    EXPECT_EQ(1, ResetUserinit());
    EXPECT_EQ(1, ResetShell());
}

// ---- AppInit_DLLs ----

TEST_F(StartupActions, AppInitListEditingKeepsItsSeparatorRules)
{
    struct Case { const char *list; const char *file; int answer; const char *after; };
    const Case cases[] = {
        {"a.dll,b.dll", "b.dll", 1, "a.dll,"},
        {"a.dll b.dll", "a.dll", 1, "b.dll"},
        {"a.dll,b.dll,c.dll", "b.dll", 1, "a.dll,c.dll"},
        // The empty piece between a comma and a space is an item of its own.
        {"a.dll, b.dll", "b.dll", 1, "a.dll,,"},
        {"a.dll,,b.dll", "a.dll", 1, ",b.dll"},
        {"A.DLL", "a.dll", 1, ""},
        {"a.dll b.dll a.dll", "a.dll", 1, "b.dll,"},
        // Nothing to remove: the value keeps its own separators.
        {"a.dll b.dll", "c.dll", 0, "a.dll b.dll"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list);
        SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", c.list);
        EXPECT_EQ(c.answer, RemoveAppInitDll(c.file));
        EXPECT_EQ(c.after, Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    }

    // Items are compared in their long form; a file is added in its short one.
    const std::string hook = targets_.Write("Long Folder Name\\hook library.dll", "x");
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "x.dll " + ShortForm(hook));
    EXPECT_EQ(1, RemoveAppInitDll(hook.c_str()));
    EXPECT_EQ("x.dll,", Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    EXPECT_EQ(1, AddAppInitDll(hook.c_str()));
    EXPECT_EQ("x.dll," + ShortForm(hook), Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));

    // A comma goes only where the list doesn't end in a separator, so a removal and its restore
    // give the list back instead of growing it by an empty item each time.
    struct Added { const char *list; const char *after; };
    const Added added[] = {
        {"a.dll", "a.dll,c.dll"},
        {"a.dll,", "a.dll,c.dll"},
        {"a.dll ", "a.dll c.dll"},
        {"", "c.dll"},
    };
    for (const Added &c : added) {
        SCOPED_TRACE(c.list);
        SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", c.list);
        EXPECT_EQ(1, AddAppInitDll("c.dll"));
        EXPECT_EQ(c.after, Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    }
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "a.dll,,b.dll");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(1, RemoveAppInitDll("b.dll"));
        EXPECT_EQ("a.dll,,", Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
        EXPECT_EQ(1, AddAppInitDll("b.dll"));
        EXPECT_EQ("a.dll,,b.dll", Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    }

    // A missing value (or key) is made anew as a plain string; an expandable one stays one.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs");
    EXPECT_EQ(1, AddAppInitDll("C:\\Hooks\\missing.dll"));
    EXPECT_EQ((RawValue{REG_SZ, "C:\\Hooks\\missing.dll"}),
              ReadRaw(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_LOCAL_MACHINE, kWindowsNt));
    EXPECT_EQ(1, AddAppInitDll("C:\\Hooks\\missing.dll"));
    EXPECT_EQ((RawValue{REG_SZ, "C:\\Hooks\\missing.dll"}),
              ReadRaw(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "%SystemRoot%\\a.dll", REG_EXPAND_SZ);
    EXPECT_EQ(1, AddAppInitDll("c.dll"));
    EXPECT_EQ((RawValue{REG_EXPAND_SZ, "%SystemRoot%\\a.dll,c.dll"}),
              ReadRaw(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
    EXPECT_EQ(0, AddAppInitDll(""));
    EXPECT_EQ(0, RemoveAppInitDll(""));

    // A value too long to read whole is left alone.
    const std::string full = "a.dll," + std::string(300, 'z');
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", full);
    EXPECT_EQ(0, RemoveAppInitDll("a.dll"));
    EXPECT_EQ(0, AddAppInitDll("b.dll"));
    EXPECT_EQ(full, Read(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs"));
}

// ---- Adding a program ----

TEST_F(StartupActions, AnAddedProgramIsNamedFromItsVersionInformation)
{
    struct Case { const char *fixture; const char *as; const char *name; };
    const Case cases[] = {
        {"vfx_translation_order.exe", "described.exe", "Two translations, English"},
        {"vfx_os_no_description.exe", "product.exe", "product"},
        {"vfx_no_version.exe", "bare tool.exe", "bare tool"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.as);
        std::string file = CopyFixture(targets_, c.fixture, c.as);
        EXPECT_EQ(1, AddStartupProgram(file.c_str()));
        EXPECT_EQ(file, Read(HKEY_CURRENT_USER, kUserRun, c.name));
        EXPECT_EQ("1", Approval(file));
        EXPECT_EQ((Listed{c.name, file, "", "", 11, 0}), ListedOnce(c.name));
    }
    EXPECT_EQ(0, AddStartupProgram(""));
    EXPECT_FALSE(Exists(HistoryFile()));
}

// ---- Codes without an action ----

TEST_F(StartupActions, CodesWithoutAnActionAnswerZeroAndTouchNothing)
{
    SetText(HKEY_LOCAL_MACHINE, std::string(kWow64CurrentVersion) + "\\RunOnce\\Setup", "Agent",
            "C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, std::string(kWow64CurrentVersion) + "\\policies\\Explorer\\Run",
            "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kDelayLoad, "Agent", "{11111111-2222-3333-4444-555555555555}");
    g_answer = IDYES;
    for (int code : {0, 8, 10, 18, 20, 26, 27, 99, 102, 250, 251, 252, 253, 254, 255, 300, 3000})
        EXPECT_EQ(0, ToggleStartupEntry("Agent", "C:\\Tools\\agent.exe", "", code)) << code;
    for (int code : {0, 8, 26, 27, 99, 256, 300, 3000})
        EXPECT_EQ(0, RemoveStartupEntry("Agent", "C:\\Tools\\agent.exe", "", code)) << code;
    for (int code : {0, 8, 26, 27, 99, 250, 251, 300, 3000})
        EXPECT_EQ(0, RestoreRemovedEntry("Agent", "C:\\Tools\\agent.exe", "", code)) << code;
    for (int code : {0, 11, 100, 200, 256})
        EXPECT_EQ(0, RemoveAdvancedEntry(nullptr, "Agent", "C:\\Tools\\agent.exe", "", code))
            << code;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDisabled));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kBaseline));
    EXPECT_EQ("Explorer.exe C:\\Tools\\agent.exe", Read(HKEY_LOCAL_MACHINE, kWinlogon, "Shell"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kDelayLoad, "Agent"));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE,
                            (std::string(kWow64CurrentVersion) + "\\RunOnce\\Setup").c_str(),
                            "Agent"));
    EXPECT_TRUE(g_asked.empty());
    EXPECT_FALSE(Exists(HistoryFile()));
}

} // namespace

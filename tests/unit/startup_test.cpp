#include "startup.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "options.h"
#include "platform.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_helpers.h"

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceEx[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
constexpr char kRunServices[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr char kPolicyRun[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run";
constexpr char kWow64Run[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kWow64RunOnce[] =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDisabled[] = "Software\\Orvanto\\Sentrovia\\Disabled";
constexpr char kWinlogon[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr char kNotify[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
constexpr char kWindowsNt[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kWinIniWindows[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kDelayLoad[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr char kTaskScheduler[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr char kShellHooks[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";

// Runs the walk and answers what it listed; the count it answers must match the list.
std::vector<Listed> Walk(int listMode = 0)
{
    int count = EnumStartupEntries(listMode);
    std::vector<Listed> list = ListedEntries();
    EXPECT_EQ(static_cast<int>(list.size()), count);
    return list;
}

std::vector<int> KindsOf(const std::vector<Listed> &list)
{
    std::vector<int> kinds;
    for (const Listed &e : list)
        kinds.push_back(e.kind);
    return kinds;
}

// A program whose version resource names a product but no file description: the resource of
// the operating-system fixture with its product name rewritten in place (same length, so the
// block's sizes hold), put into a copy of the program that has none.
std::string ProductOnlyProgram(const ScratchFolder &folder, const std::string &as)
{
    std::string block;
    HMODULE source = LoadLibraryExA(BuildFile("vfx_os_no_description.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, source);
    if (HRSRC found = source ? FindResourceA(source, MAKEINTRESOURCEA(1), RT_VERSION) : nullptr)
        block.assign(static_cast<const char *>(LockResource(LoadResource(source, found))),
                     SizeofResource(source, found));
    if (source != nullptr)
        FreeLibrary(source);

    const std::u16string from = u"Operating System", to = u"Standalone Tools";
    const std::string fromBytes(reinterpret_cast<const char *>(from.data()), from.size() * 2);
    size_t at = block.find(fromBytes);
    EXPECT_NE(std::string::npos, at);
    if (at != std::string::npos)
        block.replace(at, fromBytes.size(), reinterpret_cast<const char *>(to.data()),
                      to.size() * 2);

    std::string target = CopyFixture(folder, "vfx_no_version.exe", as);
    HANDLE update = BeginUpdateResourceA(target.c_str(), FALSE);
    EXPECT_NE(nullptr, update);
    if (update != nullptr) {
        EXPECT_TRUE(UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(1), LANG_NEUTRAL,
                                    block.data(), static_cast<DWORD>(block.size())));
        EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    }
    return target;
}

class StartupWalk : public ::testing::Test {
protected:
    StartupWalk() { platform_.programFolder = programFolder_.path().c_str(); }
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        SetWow64Pass(false);
        SetPlatformOverride(&platform_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        SetWow64Pass(false);
        TheSettings() = Settings{};
        ClearEntryList();
    }
    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    PlatformOverride platform_;
};

// ---- Run keys ----

TEST_F(StartupWalk, RunValuesNeedALongerNameLongerDataAndALowFirstByte)
{
    struct Case { const char *name; const char *data; bool listed; };
    const Case cases[] = {
        {"a", "C:\\Tools\\agent.exe", false},      // one-character name
        {"ab", "C:\\Tools\\agent.exe", true},
        {"Tiny", "a.ex", false},                   // four characters of data
        {"Small", "a.exe", true},                  // five
        {"Empty", "", false},
        {"\xE9lan", "C:\\Tools\\elan.exe", false}, // first byte 0xE9
        {"\x80x", "C:\\Tools\\x.exe", false},
        {"\x7Fx", "C:\\Tools\\x.exe", true},
        {"ok\xE9", "C:\\Tools\\ok.exe", true},     // a high byte later on is fine
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RegistrySandbox fresh;
        SetText(HKEY_CURRENT_USER, kRun, c.name, c.data);
        std::vector<Listed> expected;
        if (c.listed)
            expected.push_back({c.name, c.data, "", "", 11, 0});
        EXPECT_EQ(expected, Walk());
    }
}

TEST_F(StartupWalk, OnlyTheLastAcceptedValueSuppressesADuplicate)
{
    // The policy key is the last of HKLM, HKCU Run the next one walked.
    SetText(HKEY_LOCAL_MACHINE, kPolicyRun, "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_CURRENT_USER, kRun, "AGENT", "c:\\tools\\AGENT.EXE");
    EXPECT_EQ((std::vector<Listed>{{"Agent", "C:\\Tools\\agent.exe", "", "", 7, 0}}), Walk());

    // Empty or missing keys in between change nothing.
    RegistrySandbox fresh;
    SetText(HKEY_CURRENT_USER, kRun, "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_CURRENT_USER, kRunServices, "Agent", "C:\\Tools\\agent.exe");
    WriteRawValue(HKEY_CURRENT_USER, kRunOnce, "Number", REG_DWORD, "\1\0\0", 4);
    EXPECT_EQ((std::vector<int>{11}), KindsOf(Walk()));

    // A value in between, even one too short to be listed, makes the pair count again.
    SetText(HKEY_CURRENT_USER, kRunOnceEx, "x", "C:\\x.exe");
    EXPECT_EQ((std::vector<int>{11, 14}), KindsOf(Walk()));

    // The same name with other data is no duplicate.
    RegistrySandbox other;
    SetText(HKEY_LOCAL_MACHINE, kRun, "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kRunOnce, "Agent", "C:\\Tools\\agent.exe /min");
    EXPECT_EQ((std::vector<int>{1, 2}), KindsOf(Walk()));
}

TEST_F(StartupWalk, Rundll32CommandsKeepOnlyTheirArgument)
{
    struct Case { const char *command; const char *expected; int stripped; };
    const Case cases[] = {
        {"rundll32.exe shell32.dll,Control_RunDLL desk.cpl",
         "shell32.dll,Control_RunDLL desk.cpl", 1},
        {"C:\\WINDOWS\\system32\\RUNDLL32.EXE C:\\Tools\\hook.dll,Start",
         "C:\\Tools\\hook.dll,Start", 1},
        {"RunDll32.Exe agent.dll,Go", "agent.dll,Go", 1},
        {"rundll32 shell32.dll,Control_RunDLL desk.cpl",
         "rundll32 shell32.dll,Control_RunDLL desk.cpl", 0},
        {"C:\\Tools\\agent.exe /rundll32", "C:\\Tools\\agent.exe /rundll32", 0},
        // A command that stops right after the program keeps nothing, and reads nothing beyond.
        {"C:\\WINDOWS\\rundll32.exe", "", 1},
        {"rundll32.exe ", "", 1},
        {"", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        char out[300];
        memset(out, 'Z', sizeof out);
        EXPECT_EQ(c.stripped, StripRunDll32(c.command, out, sizeof out));
        EXPECT_STREQ(c.expected, out);
    }

    char small[8];
    memset(small, 'Z', sizeof small);
    EXPECT_EQ(1, StripRunDll32("rundll32.exe shell32.dll,x", small, 5));
    EXPECT_STREQ("shel", small);
    EXPECT_EQ('Z', small[5]);

    SetText(HKEY_CURRENT_USER, kRun, "Display", "rundll32.exe shell32.dll,Control_RunDLL desk.cpl");
    SetText(HKEY_CURRENT_USER, kRunOnce, "Plain", "rundll32 shell32.dll,Control_RunDLL desk.cpl");
    EXPECT_EQ((std::vector<Listed>{
                  {"Display", "shell32.dll,Control_RunDLL desk.cpl", "", "", 11, 1},
                  {"Plain", "rundll32 shell32.dll,Control_RunDLL desk.cpl", "", "", 12, 0}}),
              Walk());
}

TEST_F(StartupWalk, RunDataIsTakenAsStoredWhateverItsLengthAndOddTypesAreSkipped)
{
    const DWORD number = 12345678;
    WriteRawValue(HKEY_CURRENT_USER, kRun, "Number", REG_DWORD, &number, sizeof number);
    WriteRawValue(HKEY_CURRENT_USER, kRun, "Binary", REG_BINARY, "C:\\bin.exe", 10);
    WriteRawValue(HKEY_CURRENT_USER, kRun, "Multi", REG_MULTI_SZ, "C:\\m.exe\0\0", 10);
    // Windows runs a value whatever its length: so it is listed, shown cut, kept whole.
    SetText(HKEY_CURRENT_USER, kRun, "Oversized", "C:\\" + std::string(600, 'o'));
    SetText(HKEY_CURRENT_USER, kRun, std::string(600, 'N').c_str(), "C:\\Tools\\long.exe");
    // A value stored without its terminator still ends where its data does.
    SetText(HKEY_CURRENT_USER, kRun, "Fits", "C:\\" + std::string(508, 'f'));
    std::string unterminated = "C:\\" + std::string(508, 'u');
    WriteRawValue(HKEY_CURRENT_USER, kRun, "Unterminated", REG_SZ, unterminated.data(), 511);
    SetText(HKEY_CURRENT_USER, kRun, "Expand", "%SystemRoot%\\agent.exe", REG_EXPAND_SZ);
    SetText(HKEY_CURRENT_USER, kRun, "Quoted", "\"C:\\Program Files\\Agent\\agent.exe\" /q");
    SetText(HKEY_CURRENT_USER, kRun, "My Sentrovia", "C:\\Tools\\sv.exe");

    std::vector<Listed> listed = Walk();
    std::vector<std::string> titles;
    for (const Listed &e : listed) {
        titles.push_back(e.title);
        EXPECT_EQ(11, e.kind);
    }
    std::sort(titles.begin(), titles.end());
    const std::string cutName = std::string(124, 'N') + "...";
    EXPECT_EQ((std::vector<std::string>{"Expand", "Fits", cutName, "Oversized", "Quoted",
                                        "Sentrovia", "Unterminated"}),
              titles);
    for (size_t i = 0; i < listed.size(); ++i) {
        const Listed &e = listed[i];
        SCOPED_TRACE(e.title);
        const std::string whole = EntryWholePath(static_cast<int>(i));
        if (e.title == "Expand") {
            EXPECT_EQ("%SystemRoot%\\agent.exe", e.path);
        } else if (e.title == "Quoted") {
            EXPECT_EQ("C:\\Program Files\\Agent\\agent.exe /q", e.path);
        } else if (e.title == "Sentrovia") {
            EXPECT_EQ("C:\\Tools\\sv.exe", e.path);
        } else if (e.title == cutName) {
            EXPECT_EQ(std::string(600, 'N'), EntryWholeTitle(static_cast<int>(i)));
            EXPECT_EQ("C:\\Tools\\long.exe", whole);
        } else {
            const std::string expected = "C:\\" + std::string(e.title == "Oversized" ? 600 : 508,
                                                             static_cast<char>(tolower(e.title[0])));
            EXPECT_EQ(expected.size(), whole.size());
            EXPECT_EQ(expected, whole);
            EXPECT_EQ(expected.substr(0, 256) + "...", e.path);
            EXPECT_EQ(e.title, EntryWholeTitle(static_cast<int>(i)));
        }
    }
}

TEST_F(StartupWalk, Wow64PassAddsTheWow6432NodeKeysOnlyWhenOn)
{
    DecideWow64Pass();
    EXPECT_FALSE(Wow64Pass());
    SetText(HKEY_LOCAL_MACHINE, kWow64Run, "Agent32", "C:\\Tools\\agent32.exe");
    SetText(HKEY_LOCAL_MACHINE, kWow64RunOnce, "Once32", "C:\\Tools\\once32.exe");
    SetText(HKEY_LOCAL_MACHINE, kRun, "Agent", "C:\\Tools\\agent.exe");
    EXPECT_EQ((std::vector<int>{1}), KindsOf(Walk()));

    DecideWow64Pass();
    EXPECT_TRUE(Wow64Pass());
    EXPECT_EQ((std::vector<int>{1, 21, 22}), KindsOf(Walk()));

    SetWow64Pass(false);
    EXPECT_EQ((std::vector<int>{1}), KindsOf(Walk()));
}

TEST_F(StartupWalk, The4097thEntryIsDroppedAndTheWalkCompletes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (int i = 0; i < kMaxEntries + 4; ++i) {
        char name[32], data[64];
        snprintf(name, sizeof name, "Agent%04d", i);
        snprintf(data, sizeof data, "C:\\Tools\\agent%04d.exe", i);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                       static_cast<DWORD>(strlen(data) + 1));
    }
    RegCloseKey(key);

    EXPECT_EQ(kMaxEntries, EnumStartupEntries(0));
    EXPECT_EQ(kMaxEntries, EntryCount());
    // The list stays usable: the next walk starts from an empty list.
    RegDeleteTreeA(HKEY_CURRENT_USER, kRun);
    EXPECT_EQ(0, EnumStartupEntries(1));
}

// ---- Winlogon and the advanced locations ----

TEST_F(StartupWalk, UserinitListsTheProgramAfterItsComma)
{
    struct Case { const char *value; const char *path; };
    const Case cases[] = {
        {"C:\\NoSuch\\system32\\userinit.exe,", "C:\\NoSuch\\system32\\userinit.exe"},
        {"C:\\NoSuch\\system32\\userinit.exe,   C:\\Tools\\agent.exe", "C:\\Tools\\agent.exe"},
        {"C:\\NoSuch\\system32\\userinit.exe,C:\\Tools\\agent.exe,", "C:\\Tools\\agent.exe,"},
        {"C:\\NoSuch\\system32\\userinit.exe", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit", c.value);
        std::vector<Listed> expected;
        if (c.path != nullptr)
            expected.push_back({"Winlogon Userinit", c.path, "", "", 250, 0});
        EXPECT_EQ(expected, Walk());
    }
}

TEST_F(StartupWalk, ShellListsTheProgramAfterItsFirstSpace)
{
    struct Case { const char *value; const char *path; };
    const Case cases[] = {
        {"Explorer.exe", "Explorer.exe"},
        {"Explorer.exe ", "Explorer.exe"},
        {"Explorer.exe   C:\\Tools\\agent.exe", "C:\\Tools\\agent.exe"},
        {"Explorer.exe C:\\Tools\\agent.exe /q", "C:\\Tools\\agent.exe /q"},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", c.value);
        std::vector<Listed> expected;
        if (c.path != nullptr)
            expected.push_back({"Winlogon Shell", c.path, "", "", 251, 0});
        EXPECT_EQ(expected, Walk());
    }
}

TEST_F(StartupWalk, AppInitDllsSplitAtCommasAndSpaces)
{
    std::string product = ShortForm(BuildFile("vfx_translation_order.exe"));
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs",
            ",C:\\Hooks\\one.dll, C:\\Hooks\\two.dll  " + product + ",");
    EXPECT_EQ((std::vector<Listed>{
                  {"one", "C:\\Hooks\\one.dll", "", "", 255, 0},
                  {"two", "C:\\Hooks\\two.dll", "", "", 255, 0},
                  {"Vfx English Edition", LongForm(product), "Vfx Company", "1.0.0.1", 255, 0}}),
              Walk());
}

TEST_F(StartupWalk, ClassesAreLookedUpForDelayLoadAndHooks)
{
    const std::string server = BuildFile("vfx_translation_order.exe");
    SetText(HKEY_CLASSES_ROOT, "CLSID\\{11111111-0000-0000-0000-000000000001}", nullptr,
            "Delay Class");
    SetText(HKEY_CLASSES_ROOT, "CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32",
            nullptr, server);
    SetText(HKEY_CLASSES_ROOT, "CLSID\\{22222222-0000-0000-0000-000000000002}", nullptr,
            "Scheduler Class");
    SetText(HKEY_CLASSES_ROOT, "CLSID\\{22222222-0000-0000-0000-000000000002}\\InprocServer32",
            nullptr, "C:\\Hooks\\sched.dll");

    SetText(HKEY_LOCAL_MACHINE, kDelayLoad, "Braced", "{11111111-0000-0000-0000-000000000001}");
    SetText(HKEY_LOCAL_MACHINE, kTaskScheduler, "{22222222-0000-0000-0000-000000000002}", "");
    SetText(HKEY_LOCAL_MACHINE, kShellHooks, "22222222-0000-0000-0000-000000000002",
            "Given Title");
    SetText(HKEY_LOCAL_MACHINE, kShellHooks, "{99999999-0000-0000-0000-000000000009}",
            "Unknown Class");

    const std::string longServer = LongForm(server);
    EXPECT_EQ((std::vector<Listed>{
                  {"Braced", longServer, "{11111111-0000-0000-0000-000000000001}", "1.0.0.1",
                   252, 0},
                  {"Scheduler Class", "C:\\Hooks\\sched.dll",
                   "{22222222-0000-0000-0000-000000000002}", "", 253, 0},
                  {"Given Title", "C:\\Hooks\\sched.dll",
                   "22222222-0000-0000-0000-000000000002", "", 254, 0},
                  {"Unknown Class", "", "{99999999-0000-0000-0000-000000000009}", "", 254, 0}}),
              Walk());

    // Delay-load data without braces finds the same class; its detail stays as written.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE");
    SetText(HKEY_LOCAL_MACHINE, kDelayLoad, "Bare", "11111111-0000-0000-0000-000000000001");
    EXPECT_EQ((std::vector<Listed>{{"Bare", longServer, "11111111-0000-0000-0000-000000000001",
                                    "1.0.0.1", 252, 0}}),
              Walk());
}

TEST_F(StartupWalk, NotifyListsSubkeysWithADllName)
{
    const std::string dll = BuildFile("vfx_translation_order.exe");
    SetText(HKEY_LOCAL_MACHINE, (std::string(kNotify) + "\\AgentNotify").c_str(), "DllName", dll);
    SetText(HKEY_LOCAL_MACHINE, (std::string(kNotify) + "\\Switched Off").c_str(), "DllName", "");
    SetText(HKEY_LOCAL_MACHINE, (std::string(kNotify) + "\\Switched Off").c_str(), "OldName", dll);
    SetText(HKEY_LOCAL_MACHINE, (std::string(kNotify) + "\\NoName").c_str(), "Other", dll);
    EXPECT_EQ((std::vector<Listed>{{"AgentNotify", LongForm(dll), "Two translations, English",
                                    "1.0.0.1", 256, 0}}),
              Walk());
}

TEST_F(StartupWalk, ListModeAndShowAllStartupGateTheAdvancedLocations)
{
    SetText(HKEY_CURRENT_USER, kRun, "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Userinit", "C:\\NoSuch\\userinit.exe,");
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe");
    SetText(HKEY_LOCAL_MACHINE, kDelayLoad, "Delay", "{11111111-0000-0000-0000-000000000001}");
    SetText(HKEY_LOCAL_MACHINE, kTaskScheduler, "{22222222-0000-0000-0000-000000000002}", "T");
    SetText(HKEY_LOCAL_MACHINE, kShellHooks, "{33333333-0000-0000-0000-000000000003}", "H");
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "C:\\Hooks\\one.dll");
    SetText(HKEY_LOCAL_MACHINE, (std::string(kNotify) + "\\N").c_str(), "DllName", "n.dll");

    const std::vector<int> everything{11, 250, 251, 252, 253, 254, 255, 256};
    EXPECT_EQ(everything, KindsOf(Walk(0)));
    EXPECT_EQ((std::vector<int>{11}), KindsOf(Walk(1)));
    TheSettings().option[OPT_ShowAllStartup] = 1;
    EXPECT_EQ(everything, KindsOf(Walk(1)));

    // Windows 98 has no Winlogon; the other advanced locations are still walked.
    PlatformOverride windows98 = platform_;
    windows98.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&windows98);
    EXPECT_EQ((std::vector<int>{11, 252, 253, 254, 255, 256}), KindsOf(Walk(1)));
    TheSettings().option[OPT_ShowAllStartup] = 0;
    EXPECT_EQ((std::vector<int>{11, 252, 253, 254, 255, 256}), KindsOf(Walk(0)));
    EXPECT_EQ((std::vector<int>{11}), KindsOf(Walk(1)));
}

// ---- win.ini ----

TEST_F(StartupWalk, WinIniRunThenLoadSkipEmptyItems)
{
    ProfileKeyRestorer run("run"), load("load");
    const std::string product = BuildFile("vfx_translation_order.exe");
    ASSERT_TRUE(WriteProfileStringA("windows", "run", product.c_str()));
    ASSERT_TRUE(WriteProfileStringA("windows", "load",
                                    ";C:\\Tools\\one.exe;;C:\\Tools\\two.exe /q;"));
    ASSERT_EQ(product, ReadStringValue(HKEY_CURRENT_USER, kWinIniWindows, "run"));
    EXPECT_EQ((std::vector<Listed>{
                  {"Vfx English Edition", LongForm(product), "", "", 101, 0},
                  {"load", "C:\\Tools\\one.exe", "", "", 100, 0},
                  {"load", "C:\\Tools\\two.exe /q", "", "", 100, 0}}),
              Walk());
}

// ---- Startup folders and the disabled register ----

class StartupFolders : public StartupWalk {
protected:
    void SetUp() override
    {
        StartupWalk::SetUp();
        SetText(HKEY_CURRENT_USER, kShellFolders, "Startup", startup_.path());
    }
    ComScope com_;
    ScratchFolder startup_;
    ScratchFolder targets_;
};

TEST_F(StartupFolders, ShortcutsListTheirLiveTargets)
{
    std::string described =
        CopyFixture(targets_, "vfx_no_version.exe", "Long Folder Name\\described.exe");
    std::string plain = CopyFixture(targets_, "vfx_translation_order.exe",
                                    "Long Folder Name\\translation target.exe");
    std::string productOnly = ProductOnlyProgram(targets_, "product only.exe");
    std::string bare = CopyFixture(targets_, "vfx_no_version.exe", "bare tool.exe");
    std::string gone = CopyFixture(targets_, "vfx_no_version.exe", "gone.exe");
    MakeShortcut(startup_.File("1 described.lnk"), described, "Nightly Agent");
    MakeShortcut(startup_.File("2 plain.lnk"), plain, nullptr);
    MakeShortcut(startup_.File("3 product.LNK"), productOnly, nullptr);
    MakeShortcut(startup_.File("4 bare.lnk"), bare, nullptr);
    MakeShortcut(startup_.File("5 gone.lnk"), gone, "Gone Agent");
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    startup_.Write("6 corrupt.lnk",
                   std::string("\x4c\0\0\0garbage\xff\xfe", 14) + std::string(300, '\xcc'));
    startup_.Write("7 empty.lnk", "");

    const UINT errorMode = GetErrorMode();
    // The folder's files come in the order the file system gives.
    std::vector<Listed> listed = Walk();
    EXPECT_EQ(errorMode, GetErrorMode());
    std::sort(listed.begin(), listed.end(),
              [](const Listed &a, const Listed &b) { return a.detail < b.detail; });
    EXPECT_EQ((std::vector<Listed>{
                  {"Nightly Agent", described, startup_.File("1 described.lnk"), "", 200, 0},
                  {"Two translations, English", plain, startup_.File("2 plain.lnk"), "", 200, 0},
                  {"Vfx Standalone Tools", productOnly, startup_.File("3 product.LNK"), "", 200, 0},
                  {"bare tool", bare, startup_.File("4 bare.lnk"), "", 200, 0}}),
              listed);
    // The shortcut files themselves are left as they were.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(startup_.File("5 gone.lnk").c_str()));
}

TEST_F(StartupFolders, OtherFilesAreListedAndSettingsFilesSkipped)
{
    startup_.Write("desktop.ini", "[.ShellClassInfo]");
    startup_.Write("Settings.INI", "x");
    std::string notes = startup_.Write("read me.txt", "x");
    std::string pif = startup_.Write("old dos.pif", "x");
    std::string described = CopyFixture(startup_, "vfx_translation_order.exe", "agent.exe");
    std::string productOnly = ProductOnlyProgram(startup_, "product.EXE");
    std::string bare = CopyFixture(startup_, "vfx_no_version.exe", "bare.exe");
    std::string sentrovia = CopyFixture(startup_, "Sentrovia.exe", "watch.exe");
    ASSERT_TRUE(CreateDirectoryA(startup_.File("plain folder").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(startup_.File(".dotted").c_str(), nullptr));

    std::vector<Listed> expected = {
        {"Two translations, English", described, described, "", 200, 0},
        {"bare", bare, bare, "", 200, 0},
        {"old dos", pif, pif, "", 200, 0},
        {"Vfx Standalone Tools", productOnly, productOnly, "", 200, 0},
        {"read me", notes, notes, "", 200, 0},
        {"Sentrovia", sentrovia, sentrovia, "", 200, 0},
    };
    std::vector<Listed> listed = Walk();
    auto byPath = [](const Listed &a, const Listed &b) { return a.path < b.path; };
    std::sort(listed.begin(), listed.end(), byPath);
    std::sort(expected.begin(), expected.end(), byPath);
    EXPECT_EQ(expected, listed);

    // A subfolder with any attribute besides the folder bit is treated like a file.
    std::string marked = startup_.File("marked.old");
    ASSERT_TRUE(CreateDirectoryA(marked.c_str(), nullptr));
    // (Wine keeps no read-only mark on folders; hidden it keeps.)
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN),
              GetFileAttributesA(marked.c_str()));
    listed = Walk();
    EXPECT_EQ(expected.size() + 1, listed.size());
    EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(),
                                      Listed{"marked", marked, marked, "", 200, 0}));
}

TEST_F(StartupFolders, FoldersOfAllFourValuesAreListedEachTime)
{
    ScratchFolder common;
    std::string mine = startup_.Write("mine.txt", "x");
    std::string shared = common.Write("shared.txt", "x");
    SetEnvironmentVariableA("SENTROVIA_TEST_COMMON", common.path().c_str());
    SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup", "%SENTROVIA_TEST_COMMON%",
            REG_EXPAND_SZ);
    // The same folder named twice is listed twice; a trailing backslash changes nothing.
    SetText(HKEY_LOCAL_MACHINE, kShellFolders, "Startup", startup_.path() + "\\");
    SetText(HKEY_CURRENT_USER, kShellFolders, "Common Startup", startup_.path() + "\\missing");
    EXPECT_EQ((std::vector<Listed>{{"mine", mine, mine, "", 200, 0},
                                   {"shared", shared, shared, "", 200, 0},
                                   {"mine", mine, mine, "", 200, 0}}),
              Walk());
    SetEnvironmentVariableA("SENTROVIA_TEST_COMMON", nullptr);
}

TEST_F(StartupFolders, DisabledRegisterAndFolderAreListedWithTheirCodes)
{
    auto disabledKey = [](const char *sub) { return std::string(kDisabled) + "\\" + sub; };
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), "Agent", "C:\\Tools\\agent.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Agent", "11");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), "No Code", "C:\\Tools\\nocode.exe");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), "Zero", "C:\\Tools\\zero.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Zero", "0");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), "Word", "C:\\Tools\\word.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Word", "eleven");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), nullptr, "C:\\Tools\\default.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, nullptr, "1");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("RunSetup").c_str(), "Setup", "C:\\Tools\\s.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Setup", "16");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("WinLoad").c_str(), "Loader", "C:\\Tools\\l.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Loader", "100");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("WinRun").c_str(), "Runner", "r.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Runner", "101");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("WinNotify").c_str(), "Notifier", "n.dll");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Notifier", "256");
    SetText(HKEY_LOCAL_MACHINE, disabledKey("Run").c_str(), "Long", std::string(300, 'L'));
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Long", "1");

    std::string moved = programFolder_.Write("Disabled\\old agent.txt", "x");
    std::string target = CopyFixture(targets_, "vfx_no_version.exe", "linked.exe");
    MakeShortcut(programFolder_.File("Disabled\\linked.lnk"), target, "Linked Agent");
    programFolder_.Write("Disabled\\desktop.ini", "x");

    std::vector<Listed> listed = Walk(1);
    // The folder's files come in the order the file system gives.
    std::sort(listed.begin() + 5, listed.end(),
              [](const Listed &a, const Listed &b) { return a.title < b.title; });
    EXPECT_EQ((std::vector<Listed>{
                  {"Agent", "C:\\Tools\\agent.exe", "", "", 11, 0},
                  {"Long", std::string(256, 'L') + "...", "", "", 1, 0},
                  {"Setup", "C:\\Tools\\s.exe", "", "", 16, 0},
                  {"Loader", "C:\\Tools\\l.exe", "", "", 100, 0},
                  {"Runner", "r.exe", "", "", 101, 0},
                  {"Linked Agent", target, programFolder_.File("Disabled\\linked.lnk"), "", 200, 0},
                  {"old agent", moved, moved, "", 200, 0}}),
              listed);
}

TEST_F(StartupFolders, StepsComeInTheirOrder)
{
    ProfileKeyRestorer load("load");
    ASSERT_TRUE(WriteProfileStringA("windows", "load", "C:\\Tools\\loaded.exe"));
    ASSERT_EQ("C:\\Tools\\loaded.exe", ReadStringValue(HKEY_CURRENT_USER, kWinIniWindows, "load"));
    std::string file = startup_.Write("started.txt", "x");
    SetText(HKEY_LOCAL_MACHINE, std::string(kDisabled).append("\\Run").c_str(), "Off",
            "C:\\Tools\\off.exe");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Off", "1");
    SetText(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe");
    SetText(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", "C:\\Hooks\\one.dll");
    SetText(HKEY_CURRENT_USER, kRun, "Agent", "C:\\Tools\\agent.exe");
    EXPECT_EQ((std::vector<int>{11, 200, 100, 1, 251, 255}), KindsOf(Walk()));
}

// ---- Location texts, labels and names ----

TEST_F(StartupWalk, LocationTextsNameTheKeyAndMarkDisabledEntries)
{
    struct Case { int code; const char *title; const char *text; };
    const char *mark = " *    Disabled * ";
    const Case cases[] = {
        {1, "On", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {5, "On", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
        {6, "On", ""},
        {7, "On", ""},
        {12, "On", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {16, "On", ""},
        {23, "On", "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
        {27, "On", ""},
        {100, "On", "WIN.INI     [Load] Section"},
        {101, "On", "WIN.INI     [Run] Section"},
        {200, "On", "Windows Startup Group"},
        {250, "On", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Userinit"},
        {253, "On",
         "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler"},
        {255, "On", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs"},
        {256, "On", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify"},
        {600, "On", ""},
        {800, "On", "Windows Task Scheduler"},
        {900, "On", "Internet Explorer - Browser Helper Object"},
        {901, "On", "Internet Explorer - Toolbar Add-On Extension"},
        {1, "Off", " *    Disabled * HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {7, "Off", mark},
        {200, "Off", " *    Disabled * Windows Startup Group"},
        {600, "Off", mark},
        {800, "Off", "Windows Task Scheduler"},
        {901, "Off", "Internet Explorer - Toolbar Add-On Extension"},
    };
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Off", "1");
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.title);
        ClearEntryList();
        ASSERT_EQ(1, AddEntry(c.title, "C:\\Tools\\x.exe", "", "", c.code, 0));
        char text[300];
        memset(text, 'Z', sizeof text);
        EXPECT_EQ(static_cast<int>(strlen(c.text)), GetLocationText(0, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }

    char text[16] = "untouched";
    EXPECT_EQ(0, GetLocationText(1, text, sizeof text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, GetLocationText(-1, text, sizeof text));
    char small[12];
    memset(small, 'Z', sizeof small);
    EXPECT_EQ(9, GetLocationText(0, small, 10));
    EXPECT_STREQ("Internet ", small);
    EXPECT_EQ('Z', small[10]);
}

TEST_F(StartupWalk, DisabledMeansAValueUnderTheTitleInTheDisabledKey)
{
    SetText(HKEY_LOCAL_MACHINE, kDisabled, "Agent", "11");
    SetText(HKEY_LOCAL_MACHINE, kDisabled, nullptr, "1");
    SetText(HKEY_CURRENT_USER, kDisabled, "User Agent", "11");
    SetText(HKEY_LOCAL_MACHINE, (std::string(kDisabled) + "\\Run").c_str(), "Run Only", "x.exe");
    EXPECT_EQ(1, IsTitleDisabled("Agent"));
    EXPECT_EQ(1, IsTitleDisabled("AGENT"));
    EXPECT_EQ(0, IsTitleDisabled("User Agent"));
    EXPECT_EQ(0, IsTitleDisabled("Run Only"));
    EXPECT_EQ(0, IsTitleDisabled(""));
    EXPECT_EQ(0, IsTitleDisabled(nullptr));
}

TEST(StartupNames, LabelsAndHistoryTypes)
{
    struct Case { int code; const char *label; const char *history; };
    const Case cases[] = {
        {1, "HKLM_RUN", "MACHINE_RUN"},
        {6, "HKLM_RUNONCESETUP", "MACHINE_RUNONCESETUP"},
        {7, "HKLM_POLICY", "MACHINE_RUNPOLICY"},
        {15, "HKCU_RUNSERVICESONCE", "CURRENT_RUNSERVICESONCE"},
        {16, "HKCU_RUNONCESETUP", "TYPE_UNKNOWN"},
        {17, "HKCU_POLICY", "TYPE_UNKNOWN"},
        {21, "x64_RUN", "WOW64_RUN"},
        {26, "x64_RUNONCESETUP", "TYPE_UNKNOWN"},
        {27, "x64_POLICY", "TYPE_UNKNOWN"},
        {100, "WIN.INI_LOAD", "WIN_LOAD"},
        {101, "WIN.INI_RUN", "WIN_RUN"},
        {200, "STARTUP_FOLDER", "GROUP_STARTUP"},
        {250, "LOGON_USERINIT", "WINLOGON_Userinit"},
        {254, "SHELLHOOK", "REG_ShellExecuteHook"},
        {256, "NOTIFY", "RUN_WINLOGONNOTIFY"},
        {0, "", "TYPE_UNKNOWN"},
        {8, "", "TYPE_UNKNOWN"},
        {257, "", "TYPE_UNKNOWN"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(c.label, LocationLabel(c.code));
        EXPECT_STREQ(c.history, HistoryTypeName(c.code));
    }
}

TEST(StartupNames, BaselineNameTurnsEqualsIntoColons)
{
    char name[64];
    EXPECT_EQ(1, BaselineName("C:\\a=b\\agent.exe /k=v==", name, sizeof name));
    EXPECT_STREQ("C:\\a:b\\agent.exe /k:v::", name);
    EXPECT_STREQ("Software\\Orvanto\\Sentrovia\\Run", kRunBaselineKey);
    char small[6];
    memset(small, 'Z', sizeof small);
    EXPECT_EQ(0, BaselineName("a=b=c=d", small, 4));
    EXPECT_STREQ("a:b", small);
    EXPECT_EQ('Z', small[4]);
}

} // namespace

// The checks of the browser add-ons, the services, the scheduled tasks and the file types, answered by their standing answers: what
// each answer changes and records.
#include "checks.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "browser_pages.h"
#include "cookies.h"
#include "buildfiles.h"
#include "detected.h"
#include "filetypes.h"
#include "historyline.h"
#include "keys.h"
#include "job_tasks.h"
#include "messages.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "strings.h"
#include "sysfiles.h"
#include "task_doubles.h"
#include "tasks.h"
#include "texts.h"

namespace {

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kServiceSnapshot[] = "Software\\Orvanto\\Sentrovia\\Services";
constexpr char kHelperSnapshot[] = "Software\\Orvanto\\Sentrovia\\IEHelpers";
constexpr char kControlSnapshot[] = "Software\\Orvanto\\Sentrovia\\ActiveX";
constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibilityKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kTaskSnapshot[] = "Software\\Orvanto\\Sentrovia\\Tasks";
constexpr char kHiddenSnapshot[] = "Software\\Orvanto\\Sentrovia\\Hidden";
constexpr char kCookieSnapshot[] = "Software\\Orvanto\\Sentrovia\\Cookies";

std::string Text(UINT id)
{
    char text[1024];
    LoadText(id, text);
    return text;
}
constexpr char kClass[] = "{5E2E0002-0000-4000-8000-000000000001}";

BOOL NoTray(DWORD, PNOTIFYICONDATAA) { return TRUE; }

// The messages the checks showed, answered at once.
std::string g_told;
int g_reply = IDOK;
int Note(const char *text, const char *, UINT)
{
    g_told += text;
    return g_reply;
}

class Checks : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.programFolder = scratch_.path().c_str();
        SetPlatformOverride(&platform_);
        previousTray_ = SetTrayNotifier(NoTray);
        previousResponder_ = SetMessageResponder(Note);
        g_told.clear();
        g_reply = IDOK;
        Monitor() = MonitorState{};
        LoadOptions();
    }
    void TearDown() override
    {
        SetMessageResponder(previousResponder_);
        SetTrayNotifier(previousTray_);
        SetPlatformOverride(nullptr);
        Monitor() = MonitorState{};
    }
    static void Answer(OptionId option, int answer) { TheSettings().option[option] = answer; }
    // A service key as an installer writes it: no service control manager knows it.
    static void AddService(const char *key, const char *title, const std::string &image, DWORD start)
    {
        const std::string path = std::string(kServicesKey) + "\\" + key;
        WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "DisplayName", title);
        WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "ImagePath", image.c_str());
        WriteRegNumber(HKEY_LOCAL_MACHINE, path.c_str(), "Start", start);
    }
    static int Start(const char *key)
    {
        return ReadRegNumber(HKEY_LOCAL_MACHINE, (std::string(kServicesKey) + "\\" + key).c_str(),
                             "Start");
    }
    std::string History() const { return ReadWholeFile(scratch_.File("history.txt")); }
    static std::string Approval(const char *key, const char *name)
    {
        char text[64] = "";
        ReadRegString(HKEY_CURRENT_USER, key, name, text, sizeof text);
        return text;
    }
    static void RegisterClass(const char *classId, const std::string &server)
    {
        WriteRegString(HKEY_CLASSES_ROOT,
                       (std::string("CLSID\\") + classId + "\\InprocServer32").c_str(), nullptr,
                       server.c_str());
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    PlatformOverride platform_;
    TrayNotifier previousTray_ = nullptr;
    MessageResponder previousResponder_ = nullptr;
    const std::string program_ = BuildFile("fixture_sleeper.exe");
};

TEST_F(Checks, ServicesAreApprovedByTitleAndATurnedDownOneIsDisabledWithItsRecords)
{
    AddService("alpha", "Alpha Service", program_, 2);
    Answer(OPT_HideServices, 1);
    CheckServices();
    EXPECT_EQ("700", Approval(kServiceSnapshot, "Alpha Service"));
    EXPECT_EQ(2, Start("alpha"));

    // A new key name sends the check to the full listing; the standing answer turns it down.
    AddService("beta", "Beta Service", program_, 3);
    Answer(OPT_HideServices, 2);
    CheckServices();
    EXPECT_EQ(4, Start("beta"));
    EXPECT_EQ(2, Start("alpha"));
    const std::string history = History();
    // How it started is recorded before it is changed; it did not run, so nothing was stopped.
    auto record = [&](int action) {
        return history.find(std::string("\t") + ActionNameOf(action) +
                            "\tSERVICE_EXE\tBeta Service\t");
    };
    const size_t former = record(kActionServiceFromManual);
    const size_t disabled = record(kActionServiceDisabled);
    EXPECT_NE(std::string::npos, former) << history;
    EXPECT_NE(std::string::npos, disabled) << history;
    EXPECT_LT(former, disabled);
    EXPECT_EQ(std::string::npos, history.find("SERVICE_Stop")) << history;
    // Answered: not asked about again.
    EXPECT_EQ("700", Approval(kServiceSnapshot, "Beta Service"));

    // The same key names: the cheap look finds nothing new, whatever the approvals say now.
    DeleteRegValue(HKEY_CURRENT_USER, kServiceSnapshot, "Beta Service");
    WriteRegNumber(HKEY_LOCAL_MACHINE, (std::string(kServicesKey) + "\\beta").c_str(), "Start", 3);
    CheckServices();
    EXPECT_EQ(3, Start("beta"));
}

TEST_F(Checks, ATurnedDownServiceStaysAsItWasWhenItsRecordCannotBeWritten)
{
    AddService("gamma", "Gamma Service", program_, 2);
    Answer(OPT_HideServices, 2);
    // The history held open with no sharing, as a locking program would.
    const std::string file = scratch_.File("history.txt");
    HANDLE locked = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    CheckServices();
    CloseHandle(locked);
    EXPECT_EQ(2, Start("gamma"));
    EXPECT_NE(std::string::npos, g_told.find("\"Gamma Service\" was not changed.")) << g_told;
}

TEST_F(Checks, ATurnedDownHelperIsRemovedAndAnApprovedOneKept)
{
    RegisterClass(kClass, program_);
    const std::string bho = std::string(kBhoKey) + "\\" + kClass;
    CreateRegKey(HKEY_LOCAL_MACHINE, bho.c_str());
    Answer(OPT_HideIEHelper, 2);
    CheckIEHelpers();
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, bho.c_str(), 0, KEY_READ, &key));
    EXPECT_NE(std::string::npos, History().find("\tIEHELPER_Remove\tTYPE_BHO\t")) << History();
    EXPECT_EQ("", Approval(kHelperSnapshot, "fixture_sleeper.exe"));

    CreateRegKey(HKEY_LOCAL_MACHINE, bho.c_str());
    Answer(OPT_HideIEHelper, 1);
    CheckIEHelpers();
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, bho.c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ("900", Approval(kHelperSnapshot, "fixture_sleeper.exe"));
}

TEST_F(Checks, ATurnedDownControlGetsItsKillBitAndStaysApproved)
{
    RegisterClass(kClass, program_);
    CreateRegKey(HKEY_CURRENT_USER, (std::string(kStatsKey) + "\\" + kClass).c_str());
    Answer(OPT_HideActiveX, 2);
    CheckActiveX();
    EXPECT_EQ(0x400, ReadRegNumber(HKEY_LOCAL_MACHINE,
                                   (std::string(kCompatibilityKey) + "\\" + kClass).c_str(),
                                   "Compatibility Flags"));
    EXPECT_EQ("1200", Approval(kControlSnapshot, kClass));
}

// A new hidden file is dated and then approved with the time, or deleted into the vault and
// recorded; one whose deletion is refused is told about once, not on every pass.
TEST_F(Checks, NewHiddenFilesAreApprovedOrDeletedIntoTheVault)
{
    ScratchFolder watched("watched");
    const std::string root = watched.File("root"), windows = watched.File("win"),
                      system = watched.File("win\\system32"), temp = watched.File("temp");
    for (const std::string &folder : {root, windows, system, temp})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    platform_.rootFolder = root.c_str();
    platform_.windowsFolder = windows.c_str();
    platform_.systemFolder = system.c_str();
    platform_.tempFolder = temp.c_str();
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", watched.path().c_str());
    auto hidden = [&](const std::string &name) {
        const std::string file = watched.Write(name, "hidden");
        EXPECT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
        char listed[MAX_PATH];
        GetLongPathNameA(file.c_str(), listed, sizeof listed);
        return std::string(listed);
    };
    const std::string kept = hidden("temp\\kept.tmp");
    Answer(OPT_HideHidden, 1);
    CheckHiddenFiles();
    EXPECT_NE("", Approval(kHiddenSnapshot, kept.c_str()));
    char date[64];
    EXPECT_GT(GetFirstSeen(kept.c_str(), 370, date, sizeof date), 0);

    const std::string rejected = hidden("root\\boot.tmp");
    Answer(OPT_HideHidden, 2);
    CheckHiddenFiles();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(rejected.c_str()));
    EXPECT_TRUE(GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(std::string::npos, History().find("\t*HIDDEN_DeleteFile\tTYPE_HIDDEN\tboot.tmp\t"))
        << History();
    EXPECT_EQ("", Approval(kHiddenSnapshot, rejected.c_str()));
    EXPECT_EQ(std::string::npos, History().find("kept.tmp")) << "an approved file is not asked about";

    // No vault: the file stays, and the user hears of it once.
    const std::string stuck = hidden("win\\system32\\stuck.dll");
    ScratchFolder blocked("blocked");
    blocked.Write("Sentrovia\\vault", "in the way");
    scratch_.Write("vault", "in the way");
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", blocked.path().c_str());
    CheckHiddenFiles();
    CheckHiddenFiles();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stuck.c_str()));
    EXPECT_EQ(g_told.find("was not removed"), g_told.rfind("was not removed")) << g_told;
    EXPECT_NE(std::string::npos, g_told.find("\"stuck.dll\" was not removed")) << g_told;
}

// The cookie steps: IE cookie files that match a filter go on the filter's turn; a Mozilla
// browser's copy is swapped in on every pass; new cookies bring one question per due check.
TEST_F(Checks, CookieStepsFilterSwapAndAskOncePerCheck)
{
    ScratchFolder appData("appdata");
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData.path().c_str());
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "Cookies", appData.File("Cookies").c_str());
    appData.Write("Cookies\\index.dat", "");
    const std::string tracked = appData.Write("Cookies\\user@ads[1].txt", "x");
    appData.Write("Cookies\\user@news[1].txt", "x");
    appData.Write("Cookies\\user@shop[1].txt", "x");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Nuts", "@ads", "1");
    CheckCookieFilter();
    EXPECT_EQ(COOKIES_InternetExplorer, CurrentCookieMode());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tracked.c_str()));

    g_reply = IDNO;
    CheckNewCookies();
    EXPECT_EQ(Text(IDS_NEW_COOKIES), g_told);
    g_told.clear();
    WriteRegString(HKEY_CURRENT_USER, kCookieSnapshot, "user@news[1].txt", "1");
    WriteRegString(HKEY_CURRENT_USER, kCookieSnapshot, "user@shop[1].txt", "1");
    CheckNewCookies();
    EXPECT_EQ("", g_told) << "every cookie is kept";

    // A Mozilla browser: nothing is deleted here, and the filtered copy goes in on each pass.
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\HTTP\\shell\\open\\command", nullptr,
                   "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -url \"%1\"");
    const std::string other = appData.Write("Cookies\\user@ads[2].txt", "x");
    CheckCookieFilter();
    EXPECT_EQ(COOKIES_Mozilla, CurrentCookieMode());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(other.c_str()));
    const std::string profile = appData.File("Mozilla\\FireFox\\Profiles\\a1.default");
    appData.Write("Mozilla\\FireFox\\Profiles\\a1.default\\cookies.txt", "old\n");
    appData.Write("Mozilla\\FireFox\\Profiles\\a1.default\\cookiesnew.txt", "new\n");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Nuts", "gone - x", "2");
    SwapFilteredCookies();
    EXPECT_EQ("old\n", ReadWholeFile(profile + "\\cookies.txt")) << "nothing was pending";
    SetUpdateCookieFile(true);
    SwapFilteredCookies();
    EXPECT_EQ("new\n", ReadWholeFile(profile + "\\cookies.txt"));
    EXPECT_EQ(0, UpdateCookieFilePending());
    EXPECT_EQ("", Approval("Software\\Orvanto\\Sentrovia\\Nuts", "gone - x"));
    EXPECT_EQ("1", Approval("Software\\Orvanto\\Sentrovia\\Nuts", "@ads"));
    SetCookieMode(COOKIES_InternetExplorer);
}

// A turned-down task is deleted (kept and recorded first) and forgotten, so it is asked about
// again if it comes back; an approved one stays.
TEST_F(Checks, ATurnedDownTaskIsDeletedAndForgottenAndAnApprovedOneKept)
{
    ASSERT_TRUE(SchedulerRunning());
    TheSettings().option[OPT_History] = 1;
    TakeTasksBaseline();
    ScratchTasks tasks("sntcheck");
    const std::string job = tasks.Name("Updater") + ".job";
    ASSERT_TRUE(MakeJobTask(tasks.Name("Updater"), program_));
    Answer(OPT_HideTasks, 2);
    CheckTasks();
    EXPECT_FALSE(JobTaskExists(tasks.Name("Updater")));
    EXPECT_NE(std::string::npos,
              History().find("\tScheduledTask_Remove\tTASK_SCHEDULED\t" + job + "\t"))
        << History();
    EXPECT_EQ("", Approval(kTaskSnapshot, job.c_str()));
    char seen[64] = "";
    EXPECT_GT(GetFirstSeen(program_.c_str(), kTaskKind, seen, sizeof seen), 0);

    ASSERT_TRUE(MakeJobTask(tasks.Name("Updater"), program_));
    Answer(OPT_HideTasks, 1);
    CheckTasks();
    EXPECT_TRUE(JobTaskExists(tasks.Name("Updater")));
    EXPECT_EQ("800", Approval(kTaskSnapshot, job.c_str()));
}

// The 2.0 tasks are checked alike and deleted through their folders. An updater's tasks named
// for McAfee.com come and go with its updates and are never asked about (the test prefix's 1.0
// interface refuses names with a dot).
TEST_F(Checks, ATurnedDownRegisteredTaskIsDeletedThroughItsFolder)
{
    ASSERT_TRUE(SchedulerRunning());
    TakeTasksBaseline();
    task_doubles::FakeScheduler scheduler;
    task_doubles::FakeFolder vendor = task_doubles::Folder(L"Vendor");
    vendor.tasks = {task_doubles::Task(L"Updater", L"C:\\Vendor\\up.exe", L"-check")};
    scheduler.root.folders = {vendor};
    scheduler.root.tasks = {task_doubles::Task(L"McAfee.com Update Check", L"C:\\m\\m.exe")};
    task_doubles::Install(&scheduler);
    Answer(OPT_HideTasks, 2);
    CheckTasks();
    EXPECT_EQ(std::vector<std::wstring>{L"\\Vendor\\Updater"}, scheduler.deleted);
    EXPECT_NE(std::string::npos,
              History().find("\tScheduledTask_Remove\tTASK_SCHEDULED\t\\Vendor\\Updater\t"))
        << History();

    scheduler.root.folders[0].tasks = {task_doubles::Task(L"Other", L"C:\\Vendor\\other.exe")};
    Answer(OPT_HideTasks, 1);
    CheckTasks();
    EXPECT_EQ("800", Approval(kTaskSnapshot, "\\Vendor\\Other"));
    EXPECT_EQ(1u, scheduler.deleted.size());
    EXPECT_EQ("", Approval(kTaskSnapshot, "\\McAfee.com Update Check"));
    task_doubles::Install(nullptr);
    EXPECT_EQ(0, task_doubles::LiveObjects());
}

// A scheduler that does not run runs no task: the check does not look.
TEST_F(Checks, TasksAreNotCheckedWhileTheSchedulerDoesNotRun)
{
    ASSERT_TRUE(SchedulerRunning());
    TakeTasksBaseline();
    ScratchTasks tasks("sntidle");
    ASSERT_TRUE(MakeJobTask(tasks.Name("Waiting"), program_));
    // On Windows 95/98/Me the scheduler runs when its window is there; here it is not.
    platform_.platformId = VER_PLATFORM_WIN32_WINDOWS;
    Answer(OPT_HideTasks, 2);
    CheckTasks();
    platform_.platformId = -1;
    EXPECT_TRUE(JobTaskExists(tasks.Name("Waiting")));
    EXPECT_EQ("", History());
}

// A file type's command that moved to another folder with the same name and arguments is no
// change; one whose tail changed is put back when turned down, kept when accepted, and put back
// without a question when file types are locked.
TEST_F(Checks, FileTypeChangesAreJudgedByTheCommandsTail)
{
    const auto command = [](const char *progId) {
        return std::string("Software\\Classes\\") + progId + "\\shell\\open\\command";
    };
    const struct {
        const char *ext, *progId, *approved, *now;
    } types[] = {{"vfa", "VfaFile", "\"C:\\Old Place\\open.exe\" \"%1\"", "D:\\New\\open.exe \"%1\""},
                 {"vfb", "VfbFile", "C:\\Vfx\\open.exe %1", "C:\\Vfx\\open.exe /evil %1"},
                 {"vfc", "VfcFile", "C:\\Vfx\\open.exe %1", "C:\\Vfx\\other.exe %1"}};
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Class", nullptr, "vfa;vfb;vfc;");
    for (const auto &type : types) {
        WriteRegString(HKEY_LOCAL_MACHINE, (std::string("Software\\Classes\\.") + type.ext).c_str(),
                       nullptr, type.progId);
        WriteRegString(HKEY_LOCAL_MACHINE, command(type.progId).c_str(), nullptr, type.approved);
        RecordAssociation(type.ext, SOURCE_System);
        WriteRegString(HKEY_LOCAL_MACHINE, command(type.progId).c_str(), nullptr, type.now);
    }
    const auto now = [&](const char *progId) {
        char text[256] = "";
        ReadRegString(HKEY_LOCAL_MACHINE, command(progId).c_str(), nullptr, text, sizeof text);
        return std::string(text);
    };
    Answer(OPT_HideFileType, 2);
    CheckFileTypes();
    EXPECT_EQ(types[0].now, now("VfaFile"));
    EXPECT_EQ(types[1].approved, now("VfbFile"));
    EXPECT_EQ(types[2].approved, now("VfcFile"));

    // Accepted: the new command is the approved one from now on.
    WriteRegString(HKEY_LOCAL_MACHINE, command("VfbFile").c_str(), nullptr, types[1].now);
    Answer(OPT_HideFileType, 1);
    CheckFileTypes();
    EXPECT_EQ(types[1].now, now("VfbFile"));
    WriteRegString(HKEY_LOCAL_MACHINE, command("VfcFile").c_str(), nullptr, types[2].now);
    TheSettings().option[OPT_LockFileTypes] = 1;
    CheckFileTypes();
    EXPECT_EQ(types[1].now, now("VfbFile"));
    EXPECT_EQ(types[2].approved, now("VfcFile"));
    TheSettings().option[OPT_LockFileTypes] = 0;
}

// A standing answer for system files decides nothing: the changed file stays as it is, neither
// taken nor put back, and is found again on the next look.
TEST_F(Checks, AStandingAnswerLeavesAChangedSystemFileAsItIs)
{
    ScratchFolder watched("watched");
    const std::string file = watched.Write("watched.txt", "before");
    ASSERT_EQ(1, AddSystemFile("watched.txt", file.c_str(), "", 0));
    watched.Write("watched.txt", "after the change");
    FILETIME later;
    SYSTEMTIME when{};
    when.wYear = 2030;
    when.wMonth = 1;
    when.wDay = 2;
    SystemTimeToFileTime(&when, &later);
    HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    SetFileTime(handle, nullptr, nullptr, &later);
    CloseHandle(handle);
    for (int answer : {1, 2}) {
        Answer(OPT_HideSystemFiles, answer);
        CheckSystemFiles();
        EXPECT_EQ("after the change", ReadWholeFile(file));
        EXPECT_EQ(1, SystemFileChanged("watched.txt", file.c_str()));
    }
}

// A changed start page is asked about naming both pages; No writes the approved one back, and
// a standing answer of 1 takes the new one without a question.
TEST_F(Checks, BrowserPagesAndTheAddressPrefixAreAskedAboutAndPutBack)
{
    const char main[] = "Software\\Microsoft\\Internet Explorer\\Main";
    const char product[] = "Software\\Orvanto\\Sentrovia";
    WriteRegString(HKEY_CURRENT_USER, product, "StartPage", "http://home.example/");
    WriteRegString(HKEY_CURRENT_USER, main, "Start Page", "http://hijack.example/");
    g_reply = IDNO;
    CheckStartPages();
    EXPECT_NE(std::string::npos, g_told.find("http://hijack.example/")) << g_told;
    EXPECT_NE(std::string::npos, g_told.find("http://home.example/")) << g_told;
    EXPECT_EQ("http://home.example/", Approval(main, "Start Page"));
    g_told.clear();
    WriteRegString(HKEY_CURRENT_USER, main, "Start Page", "http://portal.example/");
    Answer(OPT_HideHomePage, 1);
    CheckStartPages();
    EXPECT_EQ("", g_told);
    EXPECT_EQ("http://portal.example/", Approval(product, "StartPage"));

    // The address prefix: Yes puts the approved one back where this program may write it.
    const char prefixes[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
    WriteRegString(HKEY_LOCAL_MACHINE, prefixes, "www", "http://search.hijack.example/?q=");
    platform_.majorVersion = 10;
    g_reply = IDYES;
    CheckBrowserSettings();
    EXPECT_NE(std::string::npos, g_told.find("http://search.hijack.example/?q=")) << g_told;
    char now[128] = "";
    ReadRegString(HKEY_LOCAL_MACHINE, prefixes, "www", now, sizeof now);
    EXPECT_STREQ("http://", now);
    // No keeps the new one, and it is not asked about again.
    WriteRegString(HKEY_LOCAL_MACHINE, prefixes, "www", "https://");
    g_reply = IDNO;
    CheckBrowserSettings();
    g_told.clear();
    CheckBrowserSettings();
    EXPECT_EQ("", g_told);
    platform_.majorVersion = -1;
}

} // namespace

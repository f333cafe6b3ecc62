// Scheduled tasks against the real scheduler of the test prefix (1.0 work items made by the test)
// and against doubles of the 2.0 interfaces, which the prefix's scheduler cannot list.
#include "tasks.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "approved.h"
#include "bounded.h"
#include "buildfiles.h"
#include "entries.h"
#include "history.h"
#include "job_tasks.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_helpers.h"
#include "task_doubles.h"
#include "vault.h"

namespace {

using task_doubles::DateOf;
using task_doubles::FakeFolder;
using task_doubles::FakeScheduler;
using task_doubles::FakeTask;
using task_doubles::Folder;
using task_doubles::Task;

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kTaskSnapshot[] = "Software\\Orvanto\\Sentrovia\\Tasks";

std::string g_told;
int Respond(const char *text, const char *, UINT)
{
    g_told += text;
    return IDOK;
}

struct Listed {
    std::string title, path, next, last;
    bool operator==(const Listed &) const = default;
};

void PrintTo(const Listed &l, std::ostream *out)
{
    *out << "{" << l.title << " | " << l.path << " | " << l.next << " | " << l.last << "}";
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

std::string Approval(const std::string &title)
{
    char text[64] = "";
    ReadRegString(HKEY_CURRENT_USER, kTaskSnapshot, title.c_str(), text, sizeof text);
    return text;
}

void Overwrite(const std::string &file, const std::string &text)
{
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(out);
}

std::string Text(int (*read)(const char *, char *, size_t), const std::string &title)
{
    char text[1024] = "unwritten";
    read(title.c_str(), text, sizeof text);
    return text;
}

class Tasks : public ::testing::Test {
protected:
    Tasks() { platform_.programFolder = programFolder_.path().c_str(); }
    void SetUp() override
    {
        ASSERT_TRUE(SchedulerRunning());
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        SetPlatformOverride(&platform_);
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
        g_told.clear();
        previousResponder_ = SetMessageResponder(Respond);
    }
    void TearDown() override
    {
        task_doubles::Install(nullptr);
        SetMessageResponder(previousResponder_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }

    // The listing's entries of this test's own tasks, in the listing's order.
    std::vector<Listed> Listing(const std::string &prefix = "") const
    {
        std::vector<Listed> listed;
        const std::string own = prefix.empty() ? tasks_.prefix() : prefix;
        for (int i = 0, count = GetScheduledTasks(); i < count; ++i) {
            const std::string title = EntryWholeTitle(i);
            if (title.find(own) == std::string::npos)
                continue;
            char detail[kDetailWidth + 1], description[kDescriptionWidth + 1];
            EntryDetail(i, detail, sizeof detail);
            EntryDescription(i, description, sizeof description);
            EXPECT_EQ(kTaskKind, EntryKind(i));
            listed.push_back({title, EntryWholePath(i), detail, description});
        }
        ClearEntryList();
        return listed;
    }
    std::string Job(const std::string &suffix) const { return tasks_.Name(suffix) + ".job"; }
    std::string HistoryText() const { return ReadWholeFile(programFolder_.File("history.txt")); }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    ScratchFolder appData_{"appdata"};
    ScratchTasks tasks_{"snttest"};
    PlatformOverride platform_;
    MessageResponder previousResponder_ = nullptr;
    const std::string program_ = BuildFile("fixture_sleeper.exe");
};

TEST_F(Tasks, EachBatchOfFiveIsListedLastToFirst)
{
    for (const char *name : {"A", "B", "C", "D", "E", "F", "G"})
        ASSERT_TRUE(MakeJobTask(tasks_.Name(name), program_));
    // The scheduler's own order, one name at a time, with every group of five reversed.
    const std::vector<std::string> order = WorkItemNames();
    std::vector<std::string> expected;
    for (size_t start = 0; start < order.size(); start += 5) {
        const size_t end = std::min(order.size(), start + 5);
        for (size_t i = end; i-- > start;)
            if (order[i].find(tasks_.prefix()) != std::string::npos)
                expected.push_back(order[i]);
    }
    std::vector<std::string> titles;
    for (const Listed &task : Listing())
        titles.push_back(task.title);
    EXPECT_EQ(expected, titles);
    // Alone and in name order, as a fresh scheduler enumerates them: E, D, C, B, A, G, F.
    std::vector<std::string> own;
    for (const std::string &name : order)
        if (name.find(tasks_.prefix()) != std::string::npos)
            own.push_back(name);
    if (own.size() == order.size() && std::is_sorted(own.begin(), own.end())) {
        std::vector<std::string> named;
        for (const char *name : {"E", "D", "C", "B", "A", "G", "F"})
            named.push_back(Job(name));
        EXPECT_EQ(named, titles);
    }
}

TEST_F(Tasks, TimesAreTheHistoryDateTextAndNeverWithoutOne)
{
    SYSTEMTIME time = At(2008, 3, 7, 0, 5);
    char text[64];
    ASSERT_TRUE(TaskTimeText(time, text, sizeof text));
    EXPECT_STREQ("03/07/2008  12:05 AM", text);
    time = At(2008, 3, 7, 13, 30);
    ASSERT_TRUE(TaskTimeText(time, text, sizeof text));
    EXPECT_STREQ("03/07/2008  1:30 PM", text);
    time = SYSTEMTIME{};
    ASSERT_TRUE(TaskTimeText(time, text, sizeof text));
    EXPECT_STREQ("Never", text);

    // A task that never ran and has no trigger: never on both counts.
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Idle"), program_, "Nightly clean-up"));
    const SYSTEMTIME later = At(2031, 3, 7, 13, 30);
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Timed"), program_, "", &later));
    const std::vector<Listed> listed = Listing();
    ASSERT_EQ(2u, listed.size());
    for (const Listed &task : listed) {
        SCOPED_TRACE(task.title);
        EXPECT_EQ(ListedCommandOf(program_.c_str()), task.path);
        EXPECT_EQ("Never", task.last);
        EXPECT_EQ(task.title == Job("Timed") ? "03/07/2031  1:30 PM" : "Never", task.next);
    }
    EXPECT_EQ("03/07/2031  1:30 PM", Text(GetTaskNextRunTime, Job("Timed")));
    EXPECT_EQ("Never", Text(GetTaskNextRunTime, Job("Idle")));
}

TEST_F(Tasks, TextsAndDeletionFindTheTaskIgnoringCase)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Backup"), program_, "Copies the documents"));
    std::string upper = Job("Backup");
    CharUpperA(&upper[0]);
    EXPECT_EQ("Copies the documents", Text(GetTaskComment, upper));
    // No trigger: nothing schedules it.
    EXPECT_EQ("Status: Not Scheduled", Text(GetTaskStatusText, upper));
    const SYSTEMTIME later = At(2031, 1, 1, 0, 0);
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Timed"), program_, "", &later));
    EXPECT_EQ("Status: Ready", Text(GetTaskStatusText, Job("Timed")));
    // A title that matches no task: empty texts, and a delete that deletes nothing.
    const std::string unknown = Job("Nothing");
    EXPECT_EQ("", Text(GetTaskComment, unknown));
    EXPECT_EQ("", Text(GetTaskStatusText, unknown));
    EXPECT_EQ("", Text(GetTaskNextRunTime, unknown));
    EXPECT_EQ(S_OK, DeleteScheduledTask(unknown.c_str()));
    EXPECT_TRUE(JobTaskExists(tasks_.Name("Backup")));

    EXPECT_TRUE(SUCCEEDED(DeleteScheduledTask(upper.c_str())));
    EXPECT_FALSE(JobTaskExists(tasks_.Name("Backup")));
    ASSERT_EQ(1u, Listing().size());
    EXPECT_EQ(Job("Timed"), Listing()[0].title);
}

TEST_F(Tasks, DamagedJobFilesAndEmptyProgramsNeitherStopNorSpoilTheListing)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Good"), program_));
    ASSERT_TRUE(MakeJobTask(tasks_.Name("NoProgram"), ""));
    char windows[MAX_PATH];
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    const std::string damaged = std::string(windows) + "\\Tasks\\" + Job("Damaged");
    const std::string truncated = std::string(windows) + "\\Tasks\\" + Job("Truncated");
    const std::string garbage("\x01\x00\x02\x00not a job file at all", 25);
    Overwrite(damaged, garbage);
    Overwrite(truncated, garbage.substr(0, 3));
    std::vector<std::string> titles;
    for (const Listed &task : Listing())
        titles.push_back(task.title);
    DeleteFileA(damaged.c_str());
    DeleteFileA(truncated.c_str());
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), Job("Good")));
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), Job("NoProgram")));
    EXPECT_EQ(titles.end(), std::find(titles.begin(), titles.end(), Job("Damaged")));
}

TEST_F(Tasks, BaselineApprovesEveryListedTask)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Known"), program_));
    TakeTasksBaseline();
    EXPECT_EQ("800", Approval(Job("Known")));
    EXPECT_EQ(0, EntryCount());
}

// A task whose name holds the product's is shown as the product, but approved and deleted by its
// own name: another program's task can't hide behind the product's own.
TEST_F(Tasks, ATaskNamedForTheProductIsStillActedOnByItsOwnName)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Sentrovia Check"), program_));
    const std::string job = Job("Sentrovia Check");
    int index = -1;
    for (int i = 0, count = GetScheduledTasks(); i < count; ++i)
        if (job == EntryWholeTitle(i))
            index = i;
    ASSERT_GE(index, 0);
    char shown[kTitleWidth + 1];
    EntryTitle(index, shown, sizeof shown);
    EXPECT_STREQ("Sentrovia", shown);
    ClearEntryList();
    TakeTasksBaseline();
    EXPECT_EQ("800", Approval(job));
    EXPECT_EQ("", Approval("Sentrovia"));
    EXPECT_TRUE(SUCCEEDED(DeleteScheduledTask(job.c_str())));
    EXPECT_FALSE(JobTaskExists(tasks_.Name("Sentrovia Check")));
}

// The 2.0 tasks: every folder walked, each task once, after the 1.0 work items.
TEST_F(Tasks, RegisteredTasksOfEveryFolderFollowTheWorkItemsOnce)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Legacy"), program_));
    FakeScheduler scheduler;
    const std::string legacyName = tasks_.Name("Legacy");
    const std::wstring legacy(legacyName.begin(), legacyName.end());
    const std::wstring prefix(tasks_.prefix().begin(), tasks_.prefix().end());
    scheduler.root.tasks = {Task(legacy, L"C:\\old.exe"),
                            Task(prefix + L"Root", L"C:\\root tool\\r.exe", L"/quiet")};
    FakeFolder vendor = Folder(L"Vendor");
    FakeTask updater = Task(prefix + L"Updater", L"C:\\Vendor\\up.exe", L"-check");
    updater.nextRun = DateOf(2030, 1, 2, 3, 4);
    updater.lastRun = DateOf(2026, 12, 1, 15, 45);
    FakeTask mail = Task(prefix + L"Mail", L"");
    mail.execAction = false;
    vendor.tasks = {updater, mail};
    FakeFolder deep = Folder(L"Deep");
    deep.tasks = {Task(prefix + L"Deeper", L"%WINDIR%\\deep.exe")};
    vendor.folders = {deep};
    scheduler.root.folders = {vendor};
    task_doubles::Install(&scheduler);

    char windows[MAX_PATH];
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    const std::string p = tasks_.prefix();
    const std::vector<Listed> expected = {
        {Job("Legacy"), ListedCommandOf(program_.c_str()), "Never", "Never"},
        {"\\" + p + "Root", "C:\\root tool\\r.exe /quiet", "Never", "Never"},
        {"\\Vendor\\" + p + "Updater", "C:\\Vendor\\up.exe -check", "01/02/2030  3:04 AM",
         "12/01/2026  3:45 PM"},
        {"\\Vendor\\" + p + "Mail", "", "Never", "Never"},
        {"\\Vendor\\Deep\\" + p + "Deeper", std::string(windows) + "\\deep.exe", "Never", "Never"},
    };
    EXPECT_EQ(expected, Listing());
    EXPECT_EQ(0, task_doubles::LiveObjects());
}

TEST_F(Tasks, AFailingRegisteredListingLeavesTheWorkItemsWhole)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Legacy"), program_));
    const std::vector<Listed> whole = Listing();
    ASSERT_EQ(1u, whole.size());
    const std::wstring prefix(tasks_.prefix().begin(), tasks_.prefix().end());
    for (int failure = 0; failure < 4; ++failure) {
        SCOPED_TRACE(failure);
        FakeScheduler scheduler;
        scheduler.root.tasks = {Task(prefix + L"Hidden", L"C:\\h.exe")};
        FakeFolder vendor = Folder(L"Vendor");
        vendor.tasks = {Task(prefix + L"Below", L"C:\\b.exe")};
        scheduler.root.folders = {vendor};
        scheduler.failConnect = failure == 0;
        scheduler.root.countNotImplemented = failure == 1;
        scheduler.root.failTasks = failure == 2;
        scheduler.root.failFolders = failure == 3;
        task_doubles::Install(&scheduler);
        std::vector<Listed> listed = Listing();
        // Only what the failing part held is missing.
        const size_t below = failure == 1 || failure == 2 ? 1u : 0u;
        const size_t root = failure == 3 ? 1u : 0u;
        ASSERT_EQ(1u + below + root, listed.size());
        EXPECT_EQ(whole[0], listed[0]);
        EXPECT_EQ(0, task_doubles::LiveObjects());
    }
}

TEST_F(Tasks, RegisteredTaskTextsAndDeletionGoThroughItsFolder)
{
    FakeScheduler scheduler;
    FakeFolder vendor = Folder(L"Vendor");
    FakeTask updater = Task(L"Updater", L"C:\\Vendor\\up.exe");
    updater.description = L"Keeps the vendor's tools current";
    updater.state = TASK_STATE_RUNNING;
    updater.nextRun = DateOf(2030, 1, 2, 13, 4);
    FakeTask off = Task(L"Off", L"C:\\Vendor\\off.exe");
    off.state = TASK_STATE_DISABLED;
    vendor.tasks = {updater, off};
    scheduler.root.folders = {vendor};
    task_doubles::Install(&scheduler);

    EXPECT_EQ("Keeps the vendor's tools current", Text(GetTaskComment, "\\Vendor\\Updater"));
    EXPECT_EQ("Status: Running", Text(GetTaskStatusText, "\\Vendor\\Updater"));
    EXPECT_EQ("Status: Not Scheduled", Text(GetTaskStatusText, "\\vendor\\off"));
    EXPECT_EQ("01/02/2030  1:04 PM", Text(GetTaskNextRunTime, "\\Vendor\\Updater"));
    EXPECT_EQ("", Text(GetTaskStatusText, "\\Vendor\\Nothing"));
    EXPECT_EQ("", Text(GetTaskComment, "\\Nowhere\\Updater"));

    EXPECT_TRUE(SUCCEEDED(DeleteScheduledTask("\\Vendor\\Updater")));
    EXPECT_EQ(std::vector<std::wstring>{L"\\Vendor\\Updater"}, scheduler.deleted);
    EXPECT_TRUE(FAILED(DeleteScheduledTask("\\Vendor\\Updater")));
    EXPECT_EQ(0, task_doubles::LiveObjects());
}

// A deletion the user asked for is kept and recorded first, and the history puts it back.
TEST_F(Tasks, RemovalKeepsTheTaskSoTheHistoryPutsItBackExactly)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Nightly"), program_, "Runs at night"));
    ASSERT_EQ(TaskRemoval::Removed, RemoveScheduledTask(Job("Nightly").c_str(), program_.c_str()));
    EXPECT_FALSE(JobTaskExists(tasks_.Name("Nightly")));
    const std::string history = HistoryText();
    EXPECT_NE(std::string::npos,
              history.find("\tScheduledTask_Remove\tTASK_SCHEDULED\t" + Job("Nightly") + "\t"))
        << history;

    const int count = LoadHistory();
    ASSERT_EQ(1, count);
    EXPECT_EQ(1, CanRestoreHistoryEvent(0));
    EXPECT_EQ(1, RestoreHistoryEvent(0));
    EXPECT_TRUE(JobTaskExists(tasks_.Name("Nightly")));
    EXPECT_EQ("Runs at night", Text(GetTaskComment, Job("Nightly")));
    const std::vector<Listed> listed = Listing();
    ASSERT_EQ(1u, listed.size());
    EXPECT_EQ(ListedCommandOf(program_.c_str()), listed[0].path);
    EXPECT_EQ("800", Approval(Job("Nightly")));
    // Put back once: a second restore finds the name taken and changes nothing.
    EXPECT_EQ(0, RestoreHistoryEvent(0));
    // A record of a deletion that kept nothing (history off at the time, or an older release's)
    // is not offered for restoring.
    ASSERT_EQ(kHistoryWritten, WriteHistoryRecord(Job("Older").c_str(), "", "", kTaskKind,
                                                  kActionScheduledTaskRemove));
    ASSERT_EQ(2, LoadHistory());
    EXPECT_EQ(0, CanRestoreHistoryEvent(1));
    EXPECT_EQ(0, RestoreHistoryEvent(1));
    DeleteFileA(programFolder_.File("history.txt").c_str());

    // A 2.0 task goes the same way through its folder.
    FakeScheduler scheduler;
    FakeFolder vendor = Folder(L"Vendor");
    vendor.tasks = {Task(L"Updater", L"C:\\Vendor\\up.exe")};
    scheduler.root.folders = {vendor};
    task_doubles::Install(&scheduler);
    ASSERT_EQ(TaskRemoval::Removed, RemoveScheduledTask("\\Vendor\\Updater", "C:\\Vendor\\up.exe"));
    EXPECT_EQ(std::vector<std::wstring>{L"\\Vendor\\Updater"}, scheduler.deleted);
    ASSERT_EQ(1, LoadHistory());
    EXPECT_EQ(1, RestoreHistoryEvent(0));
    EXPECT_EQ(std::vector<std::wstring>{L"\\Vendor\\Updater"}, scheduler.registered);
    EXPECT_EQ(0, task_doubles::LiveObjects());
}

TEST_F(Tasks, RemovalThatCannotBeKeptOrRecordedIsNotMade)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Kept"), program_));
    // The vault cannot be made: files stand where its folders would go.
    appData_.Write("Sentrovia\\vault", "in the way");
    programFolder_.Write("vault", "in the way");
    EXPECT_EQ(TaskRemoval::Refused, RemoveScheduledTask(Job("Kept").c_str(), program_.c_str()));
    EXPECT_TRUE(JobTaskExists(tasks_.Name("Kept")));
    EXPECT_NE(std::string::npos, g_told.find(Job("Kept"))) << g_told;
    EXPECT_EQ("", HistoryText());

    // The history cannot be written: another program holds it.
    DeleteFileA(appData_.File("Sentrovia\\vault").c_str());
    DeleteFileA(programFolder_.File("vault").c_str());
    g_told.clear();
    {
        HANDLE locked = CreateFileA(programFolder_.File("history.txt").c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        EXPECT_EQ(TaskRemoval::Refused, RemoveScheduledTask(Job("Kept").c_str(), program_.c_str()));
        CloseHandle(locked);
    }
    EXPECT_TRUE(JobTaskExists(tasks_.Name("Kept")));
    EXPECT_NE(std::string::npos, g_told.find(Job("Kept"))) << g_told;
    // No copy is left of a removal that was not made.
    WIN32_FIND_DATAA found;
    HANDLE files = FindFirstFileA(appData_.File("Sentrovia\\vault\\*.txt").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, files);
    if (files != INVALID_HANDLE_VALUE)
        FindClose(files);
    EXPECT_EQ(TaskRemoval::NotThere, RemoveScheduledTask(Job("Gone").c_str(), ""));
}

TEST_F(Tasks, AVaultFileThatWasTamperedWithPutsNothingBack)
{
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Real"), program_));
    ASSERT_EQ(TaskRemoval::Removed, RemoveScheduledTask(Job("Real").c_str(), program_.c_str()));
    ASSERT_EQ(1, LoadHistory());
    char kept[64] = "";
    {
        const std::string history = HistoryText();
        const size_t tab = history.rfind('\t');
        ASSERT_NE(std::string::npos, tab);
        CopyBounded(kept, history.substr(tab + 1, history.find('\r', tab) - tab - 1).c_str());
    }
    ASSERT_TRUE(IsVaultToken(kept));
    const std::string file = appData_.File(std::string("Sentrovia\\vault\\") + kept + ".txt");
    const std::string original = ReadWholeFile(file);
    for (const std::string &damage :
         {std::string("not a vault file"), std::string(kVaultHeader) + "\r\ntask1 zz\r\njob 00\r\n",
          std::string(kVaultHeader) + "\r\ntask1 " + Hex(std::string("a\\b")) + "\r\njob 00\r\n",
          original.substr(0, original.size() / 2)}) {
        Overwrite(file, damage);
        EXPECT_EQ(0, RestoreHistoryEvent(0));
        EXPECT_FALSE(JobTaskExists(tasks_.Name("Real")));
    }
}

// On Windows 95/98/Me the scheduler is a program of its own, found by its window: started when
// needed and ended again afterwards.
TEST_F(Tasks, WithoutTheServiceTheSchedulerProgramIsStartedAndEndedAgain)
{
    PlatformOverride older = platform_;
    older.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&older);
    ScratchFolder folder{"agent"};
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    // No scheduler program anywhere: nothing is listed.
    EXPECT_EQ(0, IsTaskSchedulerRunning());
    EXPECT_NE(0, StartTaskScheduler());
    ASSERT_TRUE(MakeJobTask(tasks_.Name("Old"), program_));
    EXPECT_EQ(0, GetScheduledTasks());
    EXPECT_EQ(1, StopTaskScheduler());

    CopyFixture(folder, "fixture_agent.exe", "mstask.exe");
    const std::vector<Listed> listed = Listing();
    ASSERT_EQ(1u, listed.size());
    EXPECT_EQ(Job("Old"), listed[0].title);
    EXPECT_EQ(nullptr, FindWindowA("SAGEWINDOWCLASS", "SYSTEM AGENT COM WINDOW"));
    EXPECT_EQ(0, IsTaskSchedulerRunning());
    SetCurrentDirectoryA(previous);
}

} // namespace

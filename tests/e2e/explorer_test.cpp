// The real Explorer: its Startup page read and driven from this process, the history viewer
// putting a removed entry back, and the switches that pick a page or hand over.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "datetexts.h"
#include "programs.h"
#include "scratch.h"
#include "startup.h"

namespace {

constexpr char kOptions[] = "Software\\Orvanto\\Sentrovia\\Options";
constexpr char kBaseline[] = "Software\\Orvanto\\Sentrovia\\Run";
constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kDisabledRun[] = "Software\\Orvanto\\Sentrovia\\Disabled\\Run";
constexpr char kTitle[] = "e2e page agent";
constexpr char kDisabledText[] = "   Disabled";  // the Type column of a disabled entry
constexpr char kHistoryCaption[] = "Sentrovia History";

// Controls of the pages and the viewer.
constexpr int kPageList = 1000;
constexpr int kDisableButton = 11;
constexpr int kRemoveButton = 1003;
constexpr int kViewHistoryButton = 1104;
constexpr int kHistoryRestoreButton = 1104;

// Columns of the Startup page and of the viewer.
constexpr int kCommandColumn = 1;
constexpr int kCompanyColumn = 2;
constexpr int kTypeColumn = 3;
constexpr int kFirstDetectedColumn = 4;
constexpr int kActionColumn = 1;

constexpr DWORD kPatience = 15000;
constexpr size_t kText = 512;

// Memory in another process: where a message to its controls finds its structures and texts.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_ != nullptr)
            base_ = static_cast<char *>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteMemory()
    {
        if (base_ != nullptr)
            VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory &) = delete;
    RemoteMemory &operator=(const RemoteMemory &) = delete;

    bool ok() const { return base_ != nullptr; }
    char *At(size_t offset) const { return base_ + offset; }
    bool Write(size_t offset, const void *data, size_t size) const
    {
        SIZE_T written = 0;
        return WriteProcessMemory(process_, base_ + offset, data, size, &written) &&
               written == size;
    }
    bool Read(size_t offset, void *data, size_t size) const
    {
        SIZE_T read = 0;
        return ReadProcessMemory(process_, base_ + offset, data, size, &read) && read == size;
    }

private:
    HANDLE process_ = nullptr;
    char *base_ = nullptr;
};

// Sends a message that may point into the other process; a hung receiver answers 0.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

int RowCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string CellText(HWND list, int row, int column)
{
    RemoteMemory remote(list, sizeof(LVITEMA) + kText);
    if (!remote.ok())
        return "<no remote memory>";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remote.At(sizeof item);
    item.cchTextMax = static_cast<int>(kText);
    const char empty = '\0';
    remote.Write(0, &item, sizeof item);
    remote.Write(sizeof item, &empty, 1);
    Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At(0)));
    char text[kText] = "";
    remote.Read(sizeof item, text, sizeof text - 1);
    return text;
}

// The last row whose first column is the title and, when given, whose column begins with prefix.
int FindRow(HWND list, const char *title, int column = -1, const char *prefix = "")
{
    for (int row = RowCount(list) - 1; row >= 0; --row)
        if (CellText(list, row, 0) == title &&
            (column < 0 || CellText(list, row, column).rfind(prefix, 0) == 0))
            return row;
    return -1;
}

// Selects one row alone, as a click would.
bool SelectOnly(HWND list, int row)
{
    RemoteMemory remote(list, sizeof(LVITEMA));
    if (!remote.ok())
        return false;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    remote.Write(0, &item, sizeof item);
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.At(0)));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.Write(0, &item, sizeof item);
    return Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(remote.At(0))) != 0;
}

// Clicks a column's header with the mouse, as the user would; returns once the click is handled.
bool ClickHeader(HWND list, int column)
{
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    RemoteMemory remote(header, sizeof(RECT));
    if (header == nullptr || !remote.ok())
        return false;
    if (Send(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
             reinterpret_cast<LPARAM>(remote.At(0))) == 0)
        return false;
    RECT rect{};
    remote.Read(0, &rect, sizeof rect);
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(header, WM_LBUTTONUP, 0, at);
    // Posted after the clicks: once the list shows this width, they were handled.
    const int last = static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) - 1;
    const int marker = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, last, 0)) ^ 1;
    PostMessageA(list, LVM_SETCOLUMNWIDTH, last, MAKELPARAM(marker, 0));
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(50))
        if (Send(list, LVM_GETCOLUMNWIDTH, last, 0) == marker)
            return true;
    return false;
}

struct ProcessWindows {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM context)
{
    auto &search = *reinterpret_cast<ProcessWindows *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search.process && strcmp(name, "#32770") == 0 && IsWindowVisible(window))
        search.found.push_back(window);
    return TRUE;
}

// The visible dialogs of the program that owns the window class.
std::vector<HWND> DialogsOf(const char *windowClass)
{
    ProcessWindows search{0, {}};
    if (HWND main = FindWindowA(windowClass, nullptr))
        GetWindowThreadProcessId(main, &search.process);
    if (search.process != 0)
        EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsSheet(HWND dialog) { return Send(dialog, PSM_GETTABCONTROL, 0, 0) != 0; }

std::vector<HWND> Sheets()
{
    std::vector<HWND> sheets;
    for (HWND dialog : DialogsOf("SentroviaEx"))
        if (IsSheet(dialog))
            sheets.push_back(dialog);
    return sheets;
}

HWND WaitForSheet()
{
    const DWORD start = GetTickCount();
    do {
        for (HWND sheet : Sheets())
            if (Send(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != 0)
                return sheet;
        Sleep(100);
    } while (GetTickCount() - start < kPatience);
    return nullptr;
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND PageList(HWND sheet) { return GetDlgItem(CurrentPage(sheet), kPageList); }

// The caption of the selected tab.
std::string CurrentTab(HWND sheet)
{
    HWND tab = reinterpret_cast<HWND>(Send(sheet, PSM_GETTABCONTROL, 0, 0));
    const int index = static_cast<int>(Send(tab, TCM_GETCURSEL, 0, 0));
    RemoteMemory remote(tab, sizeof(TCITEMA) + kText);
    if (tab == nullptr || index < 0 || !remote.ok())
        return "<no tab>";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = remote.At(sizeof item);
    item.cchTextMax = static_cast<int>(kText);
    remote.Write(0, &item, sizeof item);
    Send(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At(0)));
    char text[kText] = "";
    remote.Read(sizeof item, text, sizeof text - 1);
    return text;
}

int TabCount(HWND sheet)
{
    HWND tab = reinterpret_cast<HWND>(Send(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(Send(tab, TCM_GETITEMCOUNT, 0, 0));
}

// Waits for the page's list to show a row of the title (whose column begins with prefix).
int WaitForRow(HWND sheet, const char *title, int column = -1, const char *prefix = "")
{
    const DWORD start = GetTickCount();
    do {
        const int row = FindRow(PageList(sheet), title, column, prefix);
        if (row >= 0)
            return row;
        Sleep(200);
    } while (GetTickCount() - start < kPatience);
    return -1;
}

std::string ReadValue(const char *key, const std::string &name)
{
    char text[kText];
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return text;
}

// Waits until the value reads as expected (or is missing, for "<missing>").
std::string WaitForValue(const char *key, const char *name, const std::string &expected)
{
    std::string value;
    const DWORD start = GetTickCount();
    while ((value = ReadValue(key, name)) != expected && GetTickCount() - start < kPatience)
        Sleep(100);
    return value;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Today()
{
    char today[32] = "";
    TodayText(today, sizeof today);
    return today;
}

// A visible window of this process, to take the foreground from the Explorer.
class OwnWindow {
public:
    OwnWindow()
        : window_(CreateWindowExA(0, "STATIC", "e2e foreground", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 40, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr))
    {
    }
    ~OwnWindow()
    {
        if (window_ != nullptr)
            DestroyWindow(window_);
    }
    OwnWindow(const OwnWindow &) = delete;
    OwnWindow &operator=(const OwnWindow &) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// Selects the title's row alone and presses a page button on it, as the user would.
bool PressOnRow(HWND sheet, const char *title, int button)
{
    const int row = WaitForRow(sheet, title);
    if (row < 0 || !SelectOnly(PageList(sheet), row))
        return false;
    PostMessageA(CurrentPage(sheet), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
}

class ExplorerProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        EndRunningPrograms();
        ASSERT_TRUE(WaitForNoWindow("SentroviaEx", 5000));
        SetOption("StartTab", "6026");
        SetOption("SortStartup", "0");
        SetOption("ShowAllStartup", "0");
        SetOption("History", "1");
        ASSERT_TRUE(CopyFileA(BuildFile("fixture_sleeper.exe").c_str(), agent_.c_str(), FALSE));
        // A date left from an earlier run would stand for today's.
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Orvanto\\Detected\\Startup",
                           Upper(agent_).c_str());
    }
    void TearDown() override
    {
        EndRunningPrograms();
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, kTitle);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, agent_.c_str());
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kDisabledRun, kTitle);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Orvanto\\Sentrovia\\Disabled", kTitle);
        SetOption("StartTab", "6026");
    }
    static void SetOption(const char *name, const char *value)
    {
        RegSetKeyValueA(HKEY_CURRENT_USER, kOptions, name, REG_SZ, value,
                        static_cast<DWORD>(strlen(value) + 1));
    }
    static std::string ReadOption(const char *name)
    {
        char text[64] = "";
        DWORD size = sizeof text;
        if (RegGetValueA(HKEY_CURRENT_USER, kOptions, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
            ERROR_SUCCESS)
            return "<missing>";
        return text;
    }
    // Runs Wine's own reg.exe, as another program would.
    static void RegAdd(const char *name, const std::string &command)
    {
        std::string arguments = "add \"HKCU\\" + std::string(kUserRun) + "\" /v \"" + name +
                                "\" /d \"" + command + "\" /f";
        char system[MAX_PATH];
        GetSystemDirectoryA(system, sizeof system);
        EXPECT_EQ(0u, RunToEnd(std::string(system) + "\\reg.exe", arguments));
    }

    const std::string explorer_ = ProgramFile("SentroviaEx.exe");
    // Out of any folder named after the product: removals of the product's own entries are not
    // recorded in the history.
    ScratchFolder programs_{"programs"};
    const std::string agent_ = programs_.File("e2eagent.exe");
};

TEST_F(ExplorerProgram, RunValueAddedBehindItsBackShowsWithTodaysFirstSeenDate)
{
    RegAdd(kTitle, agent_);
    const std::string before = Today();
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ("Startup Programs", CurrentTab(sheet));
    const int row = WaitForRow(sheet, kTitle);
    ASSERT_GE(row, 0);
    const std::string after = Today();

    HWND list = PageList(sheet);
    EXPECT_EQ("e2eagent.exe", CellText(list, row, kCommandColumn));
    EXPECT_EQ(LocationLabel(11), CellText(list, row, kTypeColumn));
    const std::string seen = CellText(list, row, kFirstDetectedColumn);
    EXPECT_FALSE(seen.empty());
    EXPECT_TRUE(seen == before || seen == after) << seen << " today: " << before;
}

TEST_F(ExplorerProgram, CompanyIsThatOfTheProgramFileWhateverItsArguments)
{
    const std::string tool = programs_.File("e2etool.exe");
    ASSERT_TRUE(CopyFileA(BuildFile("Sentrovia.exe").c_str(), tool.c_str(), FALSE));
    RegAdd(kTitle, tool + " -expressboot");
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    const int row = WaitForRow(sheet, kTitle);
    ASSERT_GE(row, 0);
    EXPECT_EQ("Orvanto", CellText(PageList(sheet), row, kCompanyColumn));
    EndRunningPrograms();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, (tool + " -expressboot").c_str());
}

TEST_F(ExplorerProgram, DisableButtonTakesTheValueOutAndTheRowShowsDisabled)
{
    RegAdd(kTitle, agent_);
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    const int row = WaitForRow(sheet, kTitle);
    ASSERT_GE(row, 0);
    ASSERT_NE(kDisabledText, CellText(PageList(sheet), row, kTypeColumn));

    ASSERT_TRUE(PressOnRow(sheet, kTitle, kDisableButton));

    EXPECT_EQ("<missing>", WaitForValue(kUserRun, kTitle, "<missing>"));
    EXPECT_GE(WaitForRow(sheet, kTitle, kTypeColumn, kDisabledText), 0);
    const int disabled = FindRow(PageList(sheet), kTitle);
    EXPECT_EQ(kDisabledText, CellText(PageList(sheet), disabled, kTypeColumn));
    // Kept, so it can come back as it stood.
    char kept[kText];
    DWORD size = sizeof kept;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, kDisabledRun, kTitle, RRF_RT_REG_SZ,
                                          nullptr, kept, &size));
    EXPECT_EQ(Upper(agent_), Upper(kept));
}

TEST_F(ExplorerProgram, DisabledEntriesSortLastInBothDirectionsOnEveryColumn)
{
    const char other[] = "e2e enabled";
    RegAdd(kTitle, agent_);
    RegAdd(other, agent_ + " -other");
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(PressOnRow(sheet, kTitle, kDisableButton));
    ASSERT_GE(WaitForRow(sheet, kTitle, kTypeColumn, kDisabledText), 0);

    HWND list = PageList(sheet);
    for (int column : {kTypeColumn, kFirstDetectedColumn, 0, kCommandColumn}) {
        for (int click = 0; click < 2; ++click) {
            SCOPED_TRACE("column " + std::to_string(column) + (click ? " descending" : ""));
            ASSERT_TRUE(ClickHeader(list, column));
            ASSERT_EQ(std::to_string(column + 1), ReadOption("SortStartup")) << "no sort";
            const int count = RowCount(list);
            bool disabledSeen = false;
            for (int each = 0; each < count; ++each) {
                const bool disabled = CellText(list, each, kTypeColumn) == kDisabledText;
                EXPECT_TRUE(disabled || !disabledSeen) << "row " << each << " after a disabled one";
                disabledSeen = disabledSeen || disabled;
            }
            EXPECT_EQ(kDisabledText, CellText(list, FindRow(list, kTitle), kTypeColumn));
            EXPECT_GE(FindRow(list, other), 0);
        }
    }
    EndRunningPrograms();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kUserRun, other);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kBaseline, (agent_ + " -other").c_str());
}

TEST_F(ExplorerProgram, HistoryViewerPutsBackAnEntryRemovedOnThePage)
{
    RegAdd(kTitle, agent_);
    // Approved before it goes: the restore gives the approval back with it.
    RegSetKeyValueA(HKEY_CURRENT_USER, kBaseline, agent_.c_str(), REG_SZ, "11", 3);
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    ASSERT_TRUE(PressOnRow(sheet, kTitle, kRemoveButton));

    // The page asks before it removes: answer Yes.
    HWND question = nullptr;
    for (DWORD start = GetTickCount(); question == nullptr && GetTickCount() - start < kPatience;
         Sleep(100))
        for (HWND dialog : DialogsOf("SentroviaEx"))
            if (dialog != sheet && GetDlgItem(dialog, IDYES) != nullptr)
                question = dialog;
    ASSERT_NE(nullptr, question);
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    ASSERT_EQ("<missing>", WaitForValue(kUserRun, kTitle, "<missing>"));

    // The Options page's View History button opens the viewer.
    Send(sheet, PSM_SETCURSEL, static_cast<WPARAM>(TabCount(sheet) - 1), 0);
    ASSERT_EQ(" Options  ", CurrentTab(sheet));
    PostMessageA(CurrentPage(sheet), WM_COMMAND, MAKEWPARAM(kViewHistoryButton, BN_CLICKED), 0);
    HWND viewer = WaitForWindow("#32770", kHistoryCaption, kPatience);
    ASSERT_NE(nullptr, viewer);
    HWND records = GetDlgItem(viewer, kPageList);
    int record = -1;
    for (DWORD start = GetTickCount(); record < 0 && GetTickCount() - start < kPatience;
         Sleep(200))
        record = FindRow(records, kTitle, kActionColumn, "*");
    ASSERT_GE(record, 0) << "no reversible record of the removal";
    ASSERT_TRUE(SelectOnly(records, record));
    PostMessageA(viewer, WM_COMMAND, MAKEWPARAM(kHistoryRestoreButton, BN_CLICKED), 0);

    EXPECT_EQ(Upper(agent_), Upper(WaitForValue(kUserRun, kTitle, agent_)));
    // The approval comes back after the value, in the Explorer's own time.
    EXPECT_EQ("11", WaitForValue(kBaseline, agent_.c_str(), "11"));
    PostMessageA(viewer, WM_COMMAND, IDOK, 0);
}

TEST_F(ExplorerProgram, LowerCaseServiceSwitchOpensTheServicesPage)
{
    RunningProgram running(explorer_, "-service");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ(" Services ", CurrentTab(sheet));
}

TEST_F(ExplorerProgram, SecondStartHandsOverWithoutSwitchingPages)
{
    RunningProgram running(explorer_, "");
    HWND sheet = WaitForSheet();
    ASSERT_NE(nullptr, sheet);
    ASSERT_EQ("Startup Programs", CurrentTab(sheet));
    HWND page = CurrentPage(sheet);
    OwnWindow other;
    ASSERT_NE(nullptr, other.get());
    SetForegroundWindow(other.get());
    ASSERT_EQ(other.get(), GetForegroundWindow());

    EXPECT_EQ(0u, RunToEnd(explorer_, "-BHO"));
    // Posted after the hand-over: once the list shows this width, the hand-over was handled.
    HWND list = PageList(sheet);
    const int marker = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, 0, 0)) + 7;
    PostMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(marker, 0));
    int width = 0;
    for (DWORD start = GetTickCount();
         (width = static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, 0, 0))) != marker &&
         GetTickCount() - start < kPatience;)
        Sleep(100);
    ASSERT_EQ(marker, width);

    EXPECT_EQ("Startup Programs", CurrentTab(sheet));
    EXPECT_EQ(page, CurrentPage(sheet));
    HWND front = GetForegroundWindow();
    EXPECT_TRUE(front == sheet || front == FindWindowA("SentroviaEx", nullptr)) << front;
    EXPECT_EQ(1u, Sheets().size());
    EXPECT_FALSE(running.WaitForEnd(0));  // the first Explorer runs on
}

TEST_F(ExplorerProgram, SwitchesComeFromTheArgumentsNotTheProgramsOwnPath)
{
    // Installed in a folder whose name holds "-Q" and "-Service": it opens as asked.
    ScratchFolder apps("apps");
    const std::string folder = apps.File("Sentrovia-Quick-Services");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string copy = folder + "\\SentroviaEx.exe";
    ASSERT_TRUE(CopyFileA(explorer_.c_str(), copy.c_str(), FALSE));
    {
        RunningProgram running(copy, "-bho");
        HWND sheet = WaitForSheet();
        ASSERT_NE(nullptr, sheet) << "ended at once";
        EXPECT_EQ(" IE Helpers ", CurrentTab(sheet));
        EXPECT_FALSE(running.WaitForEnd(0));
        EndRunningPrograms();
        EXPECT_TRUE(running.WaitForEnd(10000));
    }
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(ExplorerProgram, ACopyNamedForTheScanLogWritesItBeforeTheSheetOpens)
{
    ScratchFolder apps("apps");
    const std::string copy = apps.File("Sentrovia-Hijack-Check.exe");
    ASSERT_TRUE(CopyFileA(explorer_.c_str(), copy.c_str(), FALSE));
    const std::string log = apps.File("HijackSentrovia.log");
    {
        RunningProgram running(copy, "");
        HWND sheet = WaitForSheet();
        ASSERT_NE(nullptr, sheet) << "ended at once";
        const std::string written = ReadWholeFile(log);
        EXPECT_EQ(0u, written.find("Log created by ")) << written.substr(0, 200);
        EXPECT_NE(std::string::npos, written.find("\r\nEnd of file\r\n"));
        EndRunningPrograms();
        EXPECT_TRUE(running.WaitForEnd(10000));
    }
    // The shell opened the log in the text editor.
    for (int i = 0; i < 50; ++i) {
        if (HWND editor = FindWindowA("Notepad", nullptr)) {
            PostMessageA(editor, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(100);
    }
    DeleteFileA(copy.c_str());
}

TEST_F(ExplorerProgram, EachStartPrunesTheNextRegisterInTurn)
{
    // Dates of programs that are gone, in the registers of the second and third turn.
    const char *const registers[] = {"Software\\Orvanto\\Detected\\ActiveTasks",
                                     "Software\\Orvanto\\Detected\\Services"};
    const char gone[] = "C:\\NO SUCH FOLDER\\GONE.EXE";
    for (const char *key : registers)
        RegSetKeyValueA(HKEY_CURRENT_USER, key, gone, REG_SZ, "12/01/2026", 11);
    SetOption("nCount", "0");
    auto dated = [&](const char *key) {
        return RegGetValueA(HKEY_CURRENT_USER, key, gone, RRF_RT_REG_SZ, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
    };
    auto startAndEnd = [&] {
        RunningProgram running(explorer_, "");
        EXPECT_NE(nullptr, WaitForSheet());
        EndRunningPrograms();
        EXPECT_TRUE(running.WaitForEnd(10000));
    };

    startAndEnd();
    EXPECT_EQ("1", ReadOption("nCount"));
    EXPECT_FALSE(dated(registers[0]));
    EXPECT_TRUE(dated(registers[1])) << "pruned out of turn";
    startAndEnd();
    EXPECT_EQ("2", ReadOption("nCount"));
    EXPECT_FALSE(dated(registers[1]));
    for (const char *key : registers)
        RegDeleteKeyValueA(HKEY_CURRENT_USER, key, gone);
}

TEST_F(ExplorerProgram, QuitWithNoExplorerShowsNothingAndEndsWell)
{
    ASSERT_EQ(nullptr, FindWindowA("SentroviaEx", nullptr));
    RunningProgram quit(explorer_, "-Q");
    DWORD exitCode = 0xdeadbeef;
    ASSERT_TRUE(quit.WaitForEnd(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(nullptr, FindWindowA("SentroviaEx", nullptr));
    EXPECT_EQ(nullptr, FindWindowA("Sentrovia", nullptr));
}

}  // namespace

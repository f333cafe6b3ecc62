// The area table. A new area is one more row here (and its hooks in its own unit).
#include "area.h"

#include <climits>

#include "explorer_art.h"
#include "ids.h"
#include "platform.h"
#include "strings.h"

namespace {

bool NtFamily() { return PlatformId() == VER_PLATFORM_WIN32_NT; }
bool NotNtFamily() { return !NtFamily(); }
// Windows Vista keeps its system files to itself.
bool SystemFilesWatched() { return MajorVersion() != 6; }

constexpr int kNoKind = INT_MAX;

// Indexed by AreaId.
constexpr AreaRow kAreas[AREA_COUNT] = {
    {AREA_Start, nullptr, "Run", Snapshot::Baseline, TakeStartupBaseline,
     "Startup", FirstSeenKey::Path, INT_MIN, 299, ListStartupForDating, -1,
     OPT_Start, OPT_RealtimeStartup, OPT_HideStartup, OPT_SortStartup, IDS_PATROL_STARTUP,
     HALF_First, "Startup Programs", IDS_TIP_STARTUP, SOUND_StartupAlert,
     IDM_PAGE_STARTUP, 0, IDS_PAGE_STARTUP, IDD_PAGE_STARTUP, IDI_TAB_STARTUP, "startup.html",
     "-START", "-START", 0, 1, 0, IDM_PAGE_STARTUP, IDS_MENU_STARTUP,
     RestoreStartupRecord},
    {AREA_IEHelpers, nullptr, "IEHelpers", Snapshot::Baseline, nullptr,
     "IEHelper", FirstSeenKey::Path, 900, 902, nullptr, -1,
     OPT_IEHelpers, OPT_RealtimeIEHelper, OPT_HideIEHelper, OPT_SortIEHelper,
     IDS_PATROL_IE_HELPERS,
     HALF_First, "IE Helpers", IDS_TIP_IE_HELPERS, SOUND_IEHelper,
     IDM_PAGE_IE_HELPERS, 3, IDS_PAGE_IE_HELPERS, IDD_PAGE_IE_HELPERS, IDI_TAB_IE_HELPERS,
     "bho.html", "-BHO", "-BHO", 2, 1, 2, IDM_PAGE_IE_HELPERS, IDS_MENU_IE_HELPERS,
     RestoreIEHelperRecord},
    {AREA_Hidden, nullptr, "Hidden", Snapshot::Marked, nullptr,
     "Hidden", FirstSeenKey::Path, 370, 370, nullptr, 3,
     OPT_Hidden, OPT_RealtimeHidden, OPT_HideHidden, OPT_SortHidden, IDS_PATROL_HIDDEN_FILES,
     HALF_First, "Hidden Files", 0, SOUND_None,
     IDM_PAGE_HIDDEN_FILES, 9, IDS_PAGE_HIDDEN_FILES, IDD_PAGE_HIDDEN_FILES, IDI_TAB_HIDDEN,
     "hidden.html", "-HIDDEN", "-HIDDEN", 9, 2, 3, IDM_PAGE_HIDDEN_FILES, IDS_MENU_HIDDEN_FILES,
     nullptr},
    {AREA_ActiveX, nullptr, "ActiveX", Snapshot::Marked, nullptr,
     "ActiveX", FirstSeenKey::AsIs, 1200, 1200, nullptr, -1,
     OPT_ActiveX, OPT_RealtimeActiveX, OPT_HideActiveX, OPT_SortActiveX, IDS_PATROL_ACTIVEX,
     HALF_First, "ActiveX Files", 0, SOUND_IEHelper,
     IDM_PAGE_ACTIVEX, 2, IDS_PAGE_ACTIVEX, IDD_PAGE_ACTIVEX, IDI_TAB_ACTIVEX, "activex.html",
     "-ACTIVEX", "-ACTIVEX", 10, 1, 5, IDM_PAGE_ACTIVEX, IDS_MENU_ACTIVEX,
     nullptr},
    {AREA_HostFile, SystemFilesWatched, "HostFile", Snapshot::List, nullptr,
     nullptr, FirstSeenKey::Path, kNoKind, kNoKind, nullptr, -1,
     OPT_HostFile, OPT_RealtimeSysFiles, OPT_HideSystemFiles, OPT_None, IDS_PATROL_HOSTS_FILE,
     HALF_First, "Verify System Files", IDS_TIP_HOSTS_FILE, SOUND_SystemFileAlert,
     0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0,
     nullptr},
    {AREA_StartPage, nullptr, nullptr, Snapshot::None, nullptr,
     nullptr, FirstSeenKey::Path, kNoKind, kNoKind, nullptr, -1,
     OPT_StartPage, OPT_RealtimeStartPage, OPT_HideHomePage, OPT_None, IDS_PATROL_BROWSER_PAGES,
     HALF_First, "IE Start/Search Page", IDS_TIP_BROWSER_PAGES, SOUND_SystemFileAlert,
     0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0,
     nullptr},
    {AREA_FileType, nullptr, nullptr, Snapshot::None, nullptr,
     "FileTypes", FirstSeenKey::Path, 400, 400, nullptr, -1,
     OPT_FileType, OPT_RealtimeFileType, OPT_HideFileType, OPT_SortFileType,
     IDS_PATROL_FILE_TYPES,
     HALF_First, "File Types", IDS_TIP_FILE_TYPES, SOUND_FileTypeAlert,
     IDM_PAGE_FILE_TYPES, 8, IDS_PAGE_FILE_TYPES, IDD_PAGE_FILE_TYPES, IDI_TAB_FILE_TYPES,
     "filetype.html", "-FILETYPES", "-FILETYPE", 8, 2, 2, IDM_PAGE_FILE_TYPES,
     IDS_MENU_FILE_TYPES, nullptr},
    {AREA_Tasks, nullptr, "Tasks", Snapshot::Baseline, nullptr,
     "Tasks", FirstSeenKey::Path, 800, 800, nullptr, 0,
     OPT_Tasks, OPT_None, OPT_HideTasks, OPT_SortScheduledTask, IDS_PATROL_TASKS,
     HALF_Second, "Scheduled Tasks", IDS_TIP_TASKS, SOUND_TaskAlert,
     IDM_PAGE_SCHEDULED_TASKS, 4, IDS_PAGE_SCHEDULED_TASKS, IDD_PAGE_SCHEDULED_TASKS,
     IDI_TAB_TASKS, "scheduler.html", "-SCHEDULE", "-SCHEDULE", 5, 1, 4,
     IDM_PAGE_SCHEDULED_TASKS, IDS_MENU_SCHEDULED_TASKS, nullptr},
    // The restart-commands file of Windows 95/98/Me.
    {AREA_WinInit, NotNtFamily, nullptr, Snapshot::None, nullptr,
     nullptr, FirstSeenKey::Path, 300, 301, nullptr, -1,
     OPT_WinInit, OPT_None, OPT_None, OPT_None, IDS_PATROL_RESTART_COMMANDS,
     HALF_Second, "Win INIT file", 0, SOUND_None,
     0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0, 2, 4, IDM_RESTART_COMMANDS,
     IDS_MENU_RESTART_COMMANDS, nullptr},
    {AREA_Services, NtFamily, "Services", Snapshot::Marked, nullptr,
     "Services", FirstSeenKey::Path, 700, 701, nullptr, 2,
     OPT_Services, OPT_RealtimeServices, OPT_HideServices, OPT_SortService, IDS_PATROL_SERVICES,
     HALF_Second, "Check for change to Services", 0, SOUND_None,
     IDM_PAGE_SERVICES, 5, IDS_PAGE_SERVICES, IDD_PAGE_SERVICES, IDI_TAB_SERVICES,
     "services.html", "-SERVICE", "-SERVICE", 1, 1, 3, IDM_PAGE_SERVICES, IDS_MENU_SERVICES,
     nullptr},
    // The cookie filters; their page is the Cookies page.
    {AREA_Nuts, nullptr, "Nuts", Snapshot::List, nullptr,
     nullptr, FirstSeenKey::Path, kNoKind, kNoKind, nullptr, -1,
     OPT_Nuts, OPT_None, OPT_None, OPT_SortCookie, 0,
     HALF_Second, "Filter Cookies", IDS_TIP_COOKIES, SOUND_CookieAlert,
     IDM_PAGE_COOKIES, 7, IDS_PAGE_COOKIES, IDD_PAGE_COOKIES, IDI_TAB_COOKIES, "cookies.html",
     "-NUTS", "-NUT", 3, 2, 1, IDM_PAGE_COOKIES, IDS_MENU_COOKIE_FILTERS, nullptr},
    {AREA_Cookies, nullptr, "Cookies", Snapshot::List, nullptr,
     nullptr, FirstSeenKey::Path, 500, 504, nullptr, -1,
     OPT_Cookies, OPT_None, OPT_None, OPT_None, 0,
     HALF_Second, "Check for New Cookies", IDS_TIP_COOKIES, SOUND_CookieAlert,
     0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0,
     nullptr},
    {AREA_ActiveTasks, nullptr, nullptr, Snapshot::None, nullptr,
     "ActiveTasks", FirstSeenKey::Path, 600, 600, ListRunningProgramsForDating, 1,
     OPT_None, OPT_None, OPT_None, OPT_SortActiveTask, 0,
     HALF_None, nullptr, 0, SOUND_None,
     IDM_PAGE_ACTIVE_TASKS, 6, IDS_PAGE_ACTIVE_TASKS, IDD_PAGE_ACTIVE_TASKS,
     IDI_TAB_ACTIVE_TASKS, "tasks.html", "-TASK", "-TASK", 6, 2, 0, IDM_PAGE_ACTIVE_TASKS,
     IDS_MENU_ACTIVE_TASKS, nullptr},
    {AREA_Delayed, nullptr, nullptr, Snapshot::None, nullptr,
     nullptr, FirstSeenKey::Path, kNoKind, kNoKind, nullptr, -1,
     OPT_None, OPT_None, OPT_None, OPT_SortPrograms, 0,
     HALF_None, nullptr, 0, SOUND_None,
     IDM_PAGE_DELAYED_START, 1, IDS_PAGE_DELAYED_START, IDD_PAGE_DELAYED_START, IDI_TAB_DELAYED,
     "delay.html", "-DELAY", "-DELAY", 7, 1, 1, IDM_PAGE_DELAYED_START, IDS_MENU_DELAYED_START,
     nullptr},
};

constexpr bool RowsInIdOrder()
{
    for (int i = 0; i < AREA_COUNT; ++i)
        if (kAreas[i].id != i)
            return false;
    return true;
}
static_assert(RowsInIdOrder(), "the area table is indexed by AreaId");

int32_t g_countdown[AREA_COUNT] = {};

} // namespace

const AreaRow &Area(AreaId id) { return kAreas[id]; }

const AreaRow &AreaOfKind(int kindCode)
{
    for (const AreaRow &row : kAreas)
        if (row.detectedKey != nullptr && kindCode >= row.kindLow && kindCode <= row.kindHigh)
            return row;
    return kAreas[AREA_ActiveTasks];
}

const AreaRow *AreaOfPage(int pageId)
{
    for (const AreaRow &row : kAreas)
        if (row.page != 0 && row.page == pageId)
            return &row;
    return nullptr;
}

const AreaRow *AreaOfPeriod(int option)
{
    for (const AreaRow &row : kAreas)
        if (row.period != OPT_None && row.period == option)
            return &row;
    return nullptr;
}

bool AreaPresent(const AreaRow &row) { return row.present == nullptr || row.present(); }

int32_t Period(AreaId id)
{
    const int option = kAreas[id].period;
    return option == OPT_None ? 0 : Option(static_cast<OptionId>(option));
}

int32_t &Countdown(AreaId id) { return g_countdown[id]; }

void RestartCountdowns()
{
    for (const AreaRow &row : kAreas) {
        const int32_t period = Period(row.id);
        if (row.id != AREA_WinInit || g_countdown[row.id] < period)
            g_countdown[row.id] = period;
    }
}

int PagesInTabOrder(const AreaRow **rows, int capacity)
{
    int count = 0;
    for (int tab = 0; tab < AREA_COUNT; ++tab)
        for (const AreaRow &row : kAreas)
            if (row.page != 0 && row.tabOrder == tab && count < capacity)
                rows[count++] = &row;
    return count;
}

// The area table. A new area is one more row here (and its hooks in its own unit).
#include "area.h"

#include <climits>

#include "explorer_art.h"
#include "hidden.h"
#include "iehelpers.h"
#include "ids.h"
#include "platform.h"
#include "services.h"
#include "strings.h"
#include "sysfiles.h"
#include "tasks.h"

namespace {

bool NotNtFamily() { return !IsNtFamily(); }
// Windows Vista keeps its system files to itself.
bool SystemFilesWatched() { return MajorVersion() != 6; }

// Indexed by AreaId.
constexpr AreaRow kAreas[AREA_COUNT] = {
    {.id = AREA_Start,
     .snapshotKey = "Run", .snapshot = Snapshot::Baseline, .takeBaseline = TakeStartupBaseline,
     .detectedKey = "Startup", .kindLow = INT_MIN, .kindHigh = 299,
     .datedAtFirstRun = ListStartupForDating,
     .period = OPT_Start, .realtime = OPT_RealtimeStartup, .standingAnswer = OPT_HideStartup,
     .sortOption = OPT_SortStartup, .patrolTitle = IDS_PATROL_STARTUP,
     .half = HALF_First, .places = StartupPlaces,
     .traceText = "Startup Programs", .alertTip = IDS_TIP_STARTUP,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_StartupAlert,
     .page = IDM_PAGE_STARTUP, .tabOrder = 0, .pageCaption = IDS_PAGE_STARTUP,
     .pageTemplate = IDD_PAGE_STARTUP, .tabIcon = IDI_TAB_STARTUP, .helpPage = "startup.html",
     .startSwitch = "-START", .pageSwitch = "-START", .switchOrder = 0,
     .menuGroup = 1, .menuOrder = 0, .menuCommand = IDM_PAGE_STARTUP, .menuText = IDS_MENU_STARTUP,
     .restore = RestoreStartupRecord},
    {.id = AREA_IEHelpers,
     .snapshotKey = "IEHelpers", .snapshot = Snapshot::Baseline,
     .takeBaseline = TakeIEHelpersBaseline,
     .detectedKey = "IEHelper", .kindLow = 900, .kindHigh = 902,
     .datedAtFirstRun = ListIEHelpersForDating,
     .period = OPT_IEHelpers, .realtime = OPT_RealtimeIEHelper, .standingAnswer = OPT_HideIEHelper,
     .sortOption = OPT_SortIEHelper, .patrolTitle = IDS_PATROL_IE_HELPERS,
     .half = HALF_First, .places = IEHelperPlaces,
     .traceText = "IE Helpers", .alertTip = IDS_TIP_IE_HELPERS,
     .alertIcon = IDI_VERIFY_BROWSER,
     .sound = SOUND_IEHelper,
     .page = IDM_PAGE_IE_HELPERS, .tabOrder = 3, .pageCaption = IDS_PAGE_IE_HELPERS,
     .pageTemplate = IDD_PAGE_IE_HELPERS, .tabIcon = IDI_TAB_IE_HELPERS, .helpPage = "bho.html",
     .startSwitch = "-BHO", .pageSwitch = "-BHO", .switchOrder = 2,
     .menuGroup = 1, .menuOrder = 2, .menuCommand = IDM_PAGE_IE_HELPERS,
     .menuText = IDS_MENU_IE_HELPERS,
     .restore = RestoreIEHelperRecord},
    {.id = AREA_Hidden,
     .snapshotKey = "Hidden", .snapshot = Snapshot::Marked, .takeBaseline = TakeHiddenBaseline,
     .detectedKey = "Hidden", .kindLow = 370, .kindHigh = 370,
     .datedAtFirstRun = ListHiddenForDating, .pruneTurn = 3,
     .period = OPT_Hidden, .realtime = OPT_RealtimeHidden, .standingAnswer = OPT_HideHidden,
     .sortOption = OPT_SortHidden, .patrolTitle = IDS_PATROL_HIDDEN_FILES,
     .half = HALF_First, .places = HiddenPlaces,
     .traceText = "Hidden Files", .alertTip = IDS_TIP_IE_HELPERS,
     .alertIcon = IDI_VERIFY_BROWSER, .sound = SOUND_IEHelper,
     .page = IDM_PAGE_HIDDEN_FILES, .tabOrder = 9, .pageCaption = IDS_PAGE_HIDDEN_FILES,
     .pageTemplate = IDD_PAGE_HIDDEN_FILES, .tabIcon = IDI_TAB_HIDDEN, .helpPage = "hidden.html",
     .startSwitch = "-HIDDEN", .pageSwitch = "-HIDDEN", .switchOrder = 9,
     .menuGroup = 2, .menuOrder = 3, .menuCommand = IDM_PAGE_HIDDEN_FILES,
     .menuText = IDS_MENU_HIDDEN_FILES,
     .restore = RestoreHiddenRecord},
    {.id = AREA_ActiveX,
     .snapshotKey = "ActiveX", .snapshot = Snapshot::Marked, .takeBaseline = TakeActiveXBaseline,
     .detectedKey = "ActiveX", .firstSeenKey = FirstSeenKey::AsIs, .kindLow = 1200,
     .kindHigh = 1200, .datedAtFirstRun = ListActiveXForDating,
     .period = OPT_ActiveX, .realtime = OPT_RealtimeActiveX, .standingAnswer = OPT_HideActiveX,
     .sortOption = OPT_SortActiveX, .patrolTitle = IDS_PATROL_ACTIVEX,
     .half = HALF_First, .places = ActiveXPlaces,
     .traceText = "ActiveX Files", .alertTip = IDS_TIP_IE_HELPERS,
     .alertIcon = IDI_VERIFY_BROWSER, .sound = SOUND_IEHelper,
     .page = IDM_PAGE_ACTIVEX, .tabOrder = 2, .pageCaption = IDS_PAGE_ACTIVEX,
     .pageTemplate = IDD_PAGE_ACTIVEX, .tabIcon = IDI_TAB_ACTIVEX, .helpPage = "activex.html",
     .startSwitch = "-ACTIVEX", .pageSwitch = "-ACTIVEX", .switchOrder = 10,
     .menuGroup = 1, .menuOrder = 5, .menuCommand = IDM_PAGE_ACTIVEX, .menuText = IDS_MENU_ACTIVEX},
    {.id = AREA_HostFile, .present = SystemFilesWatched,
     .snapshotKey = "HostFile", .snapshot = Snapshot::List,
     .period = OPT_HostFile, .realtime = OPT_RealtimeSysFiles,
     .standingAnswer = OPT_HideSystemFiles, .patrolTitle = IDS_PATROL_HOSTS_FILE,
     .half = HALF_First, .places = SystemFilePlaces,
     .traceText = "Verify System Files", .alertTip = IDS_TIP_HOSTS_FILE,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_SystemFileAlert, .atStart = PrepareSystemFiles},
    {.id = AREA_StartPage,
     .period = OPT_StartPage, .realtime = OPT_RealtimeStartPage,
     .standingAnswer = OPT_HideHomePage, .patrolTitle = IDS_PATROL_BROWSER_PAGES,
     .half = HALF_First, .places = BrowserPagePlaces,
     .traceText = "IE Start/Search Page", .alertTip = IDS_TIP_BROWSER_PAGES,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_SystemFileAlert},
    {.id = AREA_FileType,
     .detectedKey = "FileTypes", .kindLow = 400, .kindHigh = 400,
     .period = OPT_FileType, .realtime = OPT_RealtimeFileType, .standingAnswer = OPT_HideFileType,
     .sortOption = OPT_SortFileType, .patrolTitle = IDS_PATROL_FILE_TYPES,
     .half = HALF_First, .places = FileTypePlaces,
     .traceText = "File Types", .alertTip = IDS_TIP_FILE_TYPES,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_FileTypeAlert,
     .page = IDM_PAGE_FILE_TYPES, .tabOrder = 8, .pageCaption = IDS_PAGE_FILE_TYPES,
     .pageTemplate = IDD_PAGE_FILE_TYPES, .tabIcon = IDI_TAB_FILE_TYPES,
     .helpPage = "filetype.html",
     .startSwitch = "-FILETYPES", .pageSwitch = "-FILETYPE", .switchOrder = 8,
     .menuGroup = 2, .menuOrder = 2, .menuCommand = IDM_PAGE_FILE_TYPES,
     .menuText = IDS_MENU_FILE_TYPES,
     .atStart = PrepareFileTypes, .atStartAfterVersion = true},
    {.id = AREA_Tasks,
     .snapshotKey = "Tasks", .snapshot = Snapshot::Baseline, .takeBaseline = TakeTasksBaseline,
     .detectedKey = "Tasks", .kindLow = 800, .kindHigh = 800, .datedAtFirstRun = ListTasksForDating,
     .pruneTurn = 0,
     .period = OPT_Tasks, .standingAnswer = OPT_HideTasks, .sortOption = OPT_SortScheduledTask,
     .patrolTitle = IDS_PATROL_TASKS,
     .half = HALF_Second, .places = TaskPlaces,
     .traceText = "Scheduled Tasks", .alertTip = IDS_TIP_TASKS,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_TaskAlert,
     .page = IDM_PAGE_SCHEDULED_TASKS, .tabOrder = 4, .pageCaption = IDS_PAGE_SCHEDULED_TASKS,
     .pageTemplate = IDD_PAGE_SCHEDULED_TASKS, .tabIcon = IDI_TAB_TASKS,
     .helpPage = "scheduler.html",
     .startSwitch = "-SCHEDULE", .pageSwitch = "-SCHEDULE", .switchOrder = 5,
     .menuGroup = 1, .menuOrder = 4, .menuCommand = IDM_PAGE_SCHEDULED_TASKS,
     .menuText = IDS_MENU_SCHEDULED_TASKS,
     .restore = RestoreTaskRecord},
    // The restart-commands file of Windows 95/98/Me.
    {.id = AREA_WinInit, .present = NotNtFamily,
     .kindLow = 300, .kindHigh = 301,
     .period = OPT_WinInit, .patrolTitle = IDS_PATROL_RESTART_COMMANDS,
     .countdownOnlyRaised = true,
     .half = HALF_Second, .places = RestartFilePlaces,
     .traceText = "Win INIT file",
     .menuGroup = 2, .menuOrder = 4, .menuCommand = IDM_RESTART_COMMANDS,
     .menuText = IDS_MENU_RESTART_COMMANDS},
    {.id = AREA_Services, .present = IsNtFamily,
     .snapshotKey = "Services", .snapshot = Snapshot::Marked, .takeBaseline = TakeServicesSnapshot,
     .detectedKey = "Services", .kindLow = 700, .kindHigh = 701, .pruneTurn = 2,
     .period = OPT_Services, .realtime = OPT_RealtimeServices, .standingAnswer = OPT_HideServices,
     .sortOption = OPT_SortService, .patrolTitle = IDS_PATROL_SERVICES,
     .half = HALF_Second, .places = ServicePlaces,
     .traceText = "Check for change to Services", .alertTip = IDS_TIP_STARTUP,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .page = IDM_PAGE_SERVICES, .tabOrder = 5, .pageCaption = IDS_PAGE_SERVICES,
     .pageTemplate = IDD_PAGE_SERVICES, .tabIcon = IDI_TAB_SERVICES, .helpPage = "services.html",
     .startSwitch = "-SERVICE", .pageSwitch = "-SERVICE", .switchOrder = 1,
     .menuGroup = 1, .menuOrder = 3, .menuCommand = IDM_PAGE_SERVICES,
     .menuText = IDS_MENU_SERVICES},
    // The cookie filters; their page is the Cookies page.
    {.id = AREA_Nuts,
     .snapshotKey = "Nuts", .snapshot = Snapshot::List,
     .period = OPT_Nuts, .sortOption = OPT_SortCookie,
     .half = HALF_Second, .places = CookiePlaces,
     .traceText = "Filter Cookies", .alertTip = IDS_TIP_COOKIES,
     .sound = SOUND_CookieAlert,
     .page = IDM_PAGE_COOKIES, .tabOrder = 7, .pageCaption = IDS_PAGE_COOKIES,
     .pageTemplate = IDD_PAGE_COOKIES, .tabIcon = IDI_TAB_COOKIES, .helpPage = "cookies.html",
     .startSwitch = "-NUTS", .pageSwitch = "-NUT", .switchOrder = 3,
     .menuGroup = 2, .menuOrder = 1, .menuCommand = IDM_PAGE_COOKIES,
     .menuText = IDS_MENU_COOKIE_FILTERS},
    {.id = AREA_Cookies,
     .snapshotKey = "Cookies", .snapshot = Snapshot::List,
     .kindLow = 500, .kindHigh = 504,
     .period = OPT_Cookies,
     .half = HALF_Second, .places = CookiePlaces,
     .traceText = "Check for New Cookies", .alertTip = IDS_TIP_COOKIES,
     .alertIcon = IDI_VERIFY_SYSTEM,
     .sound = SOUND_CookieAlert},
    {.id = AREA_ActiveTasks,
     .detectedKey = "ActiveTasks", .kindLow = 600, .kindHigh = 600,
     .datedAtFirstRun = ListRunningProgramsForDating, .pruneTurn = 1,
     .sortOption = OPT_SortActiveTask,
     .page = IDM_PAGE_ACTIVE_TASKS, .tabOrder = 6, .pageCaption = IDS_PAGE_ACTIVE_TASKS,
     .pageTemplate = IDD_PAGE_ACTIVE_TASKS, .tabIcon = IDI_TAB_ACTIVE_TASKS,
     .helpPage = "tasks.html",
     .startSwitch = "-TASK", .pageSwitch = "-TASK", .switchOrder = 6,
     .menuGroup = 2, .menuOrder = 0, .menuCommand = IDM_PAGE_ACTIVE_TASKS,
     .menuText = IDS_MENU_ACTIVE_TASKS},
    {.id = AREA_Delayed,
     .sortOption = OPT_SortPrograms,
     .page = IDM_PAGE_DELAYED_START, .tabOrder = 1, .pageCaption = IDS_PAGE_DELAYED_START,
     .pageTemplate = IDD_PAGE_DELAYED_START, .tabIcon = IDI_TAB_DELAYED, .helpPage = "delay.html",
     .startSwitch = "-DELAY", .pageSwitch = "-DELAY", .switchOrder = 7,
     .menuGroup = 1, .menuOrder = 1, .menuCommand = IDM_PAGE_DELAYED_START,
     .menuText = IDS_MENU_DELAYED_START},
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
        if (!row.countdownOnlyRaised || g_countdown[row.id] < period)
            g_countdown[row.id] = period;
    }
}

std::vector<AreaPlace> WatchedPlaces()
{
    std::vector<AreaPlace> all;
    for (const AreaRow &row : kAreas) {
        if (row.places == nullptr || !AreaPresent(row))
            continue;
        PlaceList places;
        row.places(places);
        for (WatchedPlace &place : places)
            all.push_back({row.id, std::move(place)});
    }
    return all;
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

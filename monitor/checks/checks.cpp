#include "checks.h"

namespace {

struct CheckRow {
    AreaId area;
    AreaCheck check;
    AreaCheck eachPass = nullptr;
    AreaCheck everyVerify = nullptr;  // at the start of every verify, before either half
};

// One row per area, in the area table's order.
constexpr CheckRow kChecks[] = {
    {AREA_Start, CheckStartup},  {AREA_IEHelpers, CheckIEHelpers}, {AREA_Hidden, CheckHiddenFiles},
    {AREA_ActiveX, CheckActiveX}, {AREA_HostFile, CheckSystemFiles},  {AREA_StartPage, CheckStartPages, nullptr, CheckBrowserSettings},
    {AREA_FileType, CheckFileTypes, TakeChangedOptions}, {AREA_Tasks, CheckTasks}, {AREA_WinInit, CheckRestartCommands},
    {AREA_Services, CheckServices},    {AREA_Nuts, CheckCookieFilter},      {AREA_Cookies, CheckNewCookies, SwapFilteredCookies},
    {AREA_ActiveTasks, nullptr}, {AREA_Delayed, nullptr},
};

static_assert(RowsFollowAreas(kChecks));

} // namespace

AreaCheck CheckOf(AreaId area) { return kChecks[area].check; }
AreaCheck EachPassOf(AreaId area) { return kChecks[area].eachPass; }
AreaCheck EveryVerifyOf(AreaId area) { return kChecks[area].everyVerify; }

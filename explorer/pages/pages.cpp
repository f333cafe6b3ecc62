// The page of each area.
#include "list_page.h"

namespace {

struct PageRow {
    AreaId area;
    const ListPageTraits *traits;
};

// One row per area, in the area table's order.
constexpr PageRow kPages[] = {
    {AREA_Start, &kStartupPageTraits}, {AREA_IEHelpers, &kIEHelpersPageTraits},
    {AREA_Hidden, &kHiddenFilesPageTraits},       {AREA_ActiveX, &kActiveXPageTraits},
    {AREA_HostFile, nullptr},          {AREA_StartPage, nullptr},
    {AREA_FileType, &kFileTypesPageTraits}, {AREA_Tasks, &kTasksPageTraits},
    {AREA_WinInit, nullptr},           {AREA_Services, &kServicesPageTraits},
    {AREA_Nuts, &kCookiesPageTraits},        {AREA_Cookies, nullptr},
    {AREA_ActiveTasks, &kActiveTasksPageTraits}, {AREA_Delayed, &kDelayedPageTraits},
};

static_assert(RowsFollowAreas(kPages));

} // namespace

const ListPageTraits *PageTraitsOf(AreaId area) { return kPages[area].traits; }

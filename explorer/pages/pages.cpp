// The page of each area. Areas not listed yet show their frame, texts and an empty list.
#include "list_page.h"

#include "strings.h"

namespace {

constexpr ListPageTraits Bare(AreaId area, UINT intro, UINT hint)
{
    return {area, intro, hint, nullptr, 0, nullptr, nullptr, nullptr,
            nullptr, nullptr, nullptr, nullptr, nullptr};
}

constexpr ListPageTraits kDelayedPage = Bare(AREA_Delayed, IDS_DELAY_PAGE_INTRO, IDS_DELAY_PAGE_HINT);
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
    {AREA_ActiveTasks, &kActiveTasksPageTraits}, {AREA_Delayed, &kDelayedPage},
};

static_assert(RowsFollowAreas(kPages));

} // namespace

const ListPageTraits *PageTraitsOf(AreaId area) { return kPages[area].traits; }

// The watched areas, one row each: what every frame (the verify cycle, the first run and the
// baselines, the detected register, the history restore, the Explorer's sheet and pages, the tray
// menu, help, sounds) needs to know of an area. Frame code reads these rows and never names an
// area; an area's own unit implements the hooks its row points to.
#pragma once
#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "options.h"

// In the order of the verify cycle; the areas without a period come last.
enum AreaId : int {
    AREA_Start, AREA_IEHelpers, AREA_Hidden, AREA_ActiveX, AREA_HostFile, AREA_StartPage,
    AREA_FileType, AREA_Tasks, AREA_WinInit, AREA_Services, AREA_Nuts, AREA_Cookies,
    AREA_ActiveTasks, AREA_Delayed,
    AREA_COUNT
};

// The Monitor's event sounds, by the names they have under AppEvents.
enum SoundEvent : int {
    SOUND_None = -1, SOUND_Open, SOUND_StartupAlert, SOUND_CookieAlert, SOUND_TaskAlert,
    SOUND_IEHelper, SOUND_FileTypeAlert, SOUND_SystemFileAlert
};

// How the area's approved snapshot (a subkey of the product key) comes to be.
enum class Snapshot : int {
    None,
    List,      // made empty at the first run and only ever filled by the user (filters, files)
    Baseline,  // made at the first run and taken again by a clean-up
    Marked,    // taken whenever its default value "P" is missing
};

// How the detected register keys an item: by its clean path (dated only while the file exists)
// or by the text as it is (class identifiers).
enum class FirstSeenKey : int { Path, AsIs };

enum VerifyHalf : int { HALF_None = -1, HALF_First = 0, HALF_Second = 1 };

// A history record handed to its area's restore hook.
struct RestoreRecord {
    int action;
    int kind;
    const char *title;
    const char *path;
    const char *detail;
    const char *kept;  // the record's kept facts; empty when it has none
};

// A place an area's items live in, whose every change the Monitor hears of at once: a registry
// key under root, or a folder when root is null.
struct WatchedPlace {
    HKEY root = nullptr;
    std::string path;
    bool subtree = false;  // changes below it count too
};
using PlaceList = std::vector<WatchedPlace>;
inline void AddKeyPlace(PlaceList &out, HKEY root, std::string path, bool subtree = false)
{
    out.push_back({root, std::move(path), subtree});
}
// An empty folder (one that could not be found) names nothing.
inline void AddFolderPlace(PlaceList &out, std::string folder, bool subtree = false)
{
    if (!folder.empty())
        out.push_back({nullptr, std::move(folder), subtree});
}

constexpr int OPT_None = -1;
constexpr int kNoKind = INT_MAX;  // a kind range that claims no code

// Rows name only the fields they need; the rest keep these defaults.
struct AreaRow {
    AreaId id;
    bool (*present)() = nullptr;  // whether the area exists on this platform; null: everywhere

    // Approved snapshot: Software\Orvanto\Sentrovia\<snapshotKey>.
    const char *snapshotKey = nullptr;
    Snapshot snapshot = Snapshot::None;
    // Approves every item present now (the first snapshot); null when the area has none.
    void (*takeBaseline)() = nullptr;

    // Detected register: Software\Orvanto\Detected\<detectedKey>, for kind codes kindLow-kindHigh.
    const char *detectedKey = nullptr;
    FirstSeenKey firstSeenKey = FirstSeenKey::Path;
    int kindLow = kNoKind;
    int kindHigh = kNoKind;
    // Fills the entry list with the items to date when the register is made (by path, or for a
    // register keyed as is by the entries' details, whenever its "P" marker is missing); null:
    // none.
    int (*datedAtFirstRun)() = nullptr;
    int pruneTurn = -1;  // the Explorer's start prunes the area on this turn of nCount; -1 never

    // Options; OPT_None where the area has no such option.
    int period = OPT_None;
    int realtime = OPT_None;
    int standingAnswer = OPT_None;
    int sortOption = OPT_None;
    UINT patrolTitle = 0;  // the patrol-time dialog's title
    // A restart lowers no countdown of this area (a start may have set it to 0 on purpose).
    bool countdownOnlyRaised = false;

    // Verify cycle.
    VerifyHalf half = HALF_None;
    // Names the places the area reads, so their changes bring it forward; null: none.
    void (*places)(PlaceList &out) = nullptr;
    const char *traceText = nullptr;
    UINT alertTip = 0;  // the tray tip while its alert is open, with this icon
    int alertIcon = 0;
    SoundEvent sound = SOUND_None;

    // The page (its id is also the command that opens it and the help page's key).
    int page = 0;  // 0: none
    int tabOrder = 0;
    UINT pageCaption = 0;
    int pageTemplate = 0;
    int tabIcon = 0;
    const char *helpPage = nullptr;
    // The Monitor opens the page with startSwitch; the Explorer's command line matches pageSwitch
    // in switchOrder (a later match wins).
    const char *startSwitch = nullptr;
    const char *pageSwitch = nullptr;
    int switchOrder = 0;
    // The tray menu: group 1 or 2 (0: not in the menu), then menuOrder.
    int menuGroup = 0;
    int menuOrder = 0;
    int menuCommand = 0;
    UINT menuText = 0;

    // Made ready at every start of either program, after the baselines and before the options
    // are loaded (after the settings-version rules when atStartAfterVersion); null: nothing.
    void (*atStart)() = nullptr;
    bool atStartAfterVersion = false;

    // Puts back what a record of the area's kind codes undid; 1 when done. Null: nothing to undo.
    int (*restore)(const RestoreRecord &record) = nullptr;
};

const AreaRow &Area(AreaId id);
// The row that owns a kind code; codes no area claims belong to the running programs.
const AreaRow &AreaOfKind(int kindCode);
// The row of a page id; null for a page no area has.
const AreaRow *AreaOfPage(int pageId);
// The row whose period is the option; null for none.
const AreaRow *AreaOfPeriod(int option);
bool AreaPresent(const AreaRow &row);

// The period and countdown of an area; an area without a period has 0.
int32_t Period(AreaId id);
int32_t &Countdown(AreaId id);
// After the options were loaded: every countdown starts again from its period (WinInit's is
// only ever raised, so a start that set it to 0 keeps the restart-file check waiting).
void RestartCountdowns();

// The places of every area present on this platform, each with its area.
struct AreaPlace {
    AreaId area;
    WatchedPlace place;
};
std::vector<AreaPlace> WatchedPlaces();

// The rows that have a page, in tab order; the number written.
int PagesInTabOrder(const AreaRow **rows, int capacity);

// Checks a program's table of per-area rows (a member named area): one row per area, in AreaId
// order, so an area added to the table without its row fails to build.
template <typename Row, size_t N> constexpr bool RowsFollowAreas(const Row (&rows)[N])
{
    if (N != AREA_COUNT)
        return false;
    for (size_t i = 0; i < N; ++i)
        if (rows[i].area != static_cast<AreaId>(i))
            return false;
    return true;
}

// The hooks the area units implement.
void TakeStartupBaseline();
int RestoreStartupRecord(const RestoreRecord &record);
int RestoreIEHelperRecord(const RestoreRecord &record);
int ListStartupForDating();
int ListRunningProgramsForDating();
void PrepareFileTypes();
void StartupPlaces(PlaceList &out);
void IEHelperPlaces(PlaceList &out);
void ActiveXPlaces(PlaceList &out);
void HiddenPlaces(PlaceList &out);
void SystemFilePlaces(PlaceList &out);
void BrowserPagePlaces(PlaceList &out);
void FileTypePlaces(PlaceList &out);
void TaskPlaces(PlaceList &out);
void RestartFilePlaces(PlaceList &out);
void ServicePlaces(PlaceList &out);
void CookiePlaces(PlaceList &out);

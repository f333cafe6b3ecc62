#include "detected.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "datetexts.h"
#include "entries.h"
#include "files.h"
#include "keys.h"
#include "options.h"
#include "text.h"
#include "registry.h"

namespace {

constexpr size_t kItemKey = 260;

// Dates the path of every entry in the list, then empties it.
void DateListedPaths(const char *area)
{
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        char path[MAX_PATH];
        if (EntryPath(i, path, sizeof path) > 0)
            RecordFirstSeen(path, area);
    }
    ClearEntryList();
}

bool AreaKeyPath(const char *area, char *path, size_t capacity)
{
    return FormatBounded(path, capacity, "%s\\%s", kDetectedKey, area);
}

// The row whose register key is area; null for a key no area has.
const AreaRow *RowOfKey(const char *area)
{
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        if (row.detectedKey != nullptr && EqualsNoCase(row.detectedKey, area))
            return &row;
    }
    return nullptr;
}

} // namespace

const char *DetectedArea(int kindCode)
{
    const char *key = AreaOfKind(kindCode).detectedKey;
    // Items of no dated area are dated with the running programs.
    return key != nullptr ? key : Area(AREA_ActiveTasks).detectedKey;
}

int GetFirstSeen(const char *name, int kindCode, char *buffer, size_t capacity)
{
    // An empty name would read the area's default value, which is a marker, not a date.
    if (name == nullptr || name[0] == '\0') {
        CopyBounded(buffer, capacity, "");
        return 0;
    }
    char path[MAX_PATH];
    AreaKeyPath(DetectedArea(kindCode), path, sizeof path);
    return ReadRegString(HKEY_CURRENT_USER, path, name, buffer, capacity);
}

// The register's key of an item in an area: the text as it is (class identifiers) or its clean
// path; true for a path.
static bool ItemKeyOf(const char *item, const char *area, char (&key)[kItemKey])
{
    const AreaRow *row = RowOfKey(area);
    if (row != nullptr && row->firstSeenKey == FirstSeenKey::AsIs) {
        CopyBounded(key, item);
        return false;
    }
    CleanPath(item, key, sizeof key);
    return true;
}

int RecordFirstSeen(const char *item, const char *area)
{
    if (item == nullptr || item[0] == '\0' || area == nullptr)
        return 0;
    char key[kItemKey];
    if (ItemKeyOf(item, area, key) && !FindFile(key, sizeof key))
        return 0;
    char path[MAX_PATH];
    AreaKeyPath(area, path, sizeof path);
    if (RegValueExists(HKEY_CURRENT_USER, path, key))
        return 1;
    char today[24];
    TodayText(today, sizeof today);
    WriteRegString(HKEY_CURRENT_USER, path, key, today);
    return 0;
}

namespace {

// A register keyed by class identifiers dates the entries' details, and carries a "P" marker of
// its own: it is dated whenever that marker is missing, not only when the whole register is made.
bool DatedByMarker(const AreaRow &row)
{
    return row.detectedKey != nullptr && row.firstSeenKey == FirstSeenKey::AsIs &&
           row.datedAtFirstRun != nullptr;
}

void DateMarkedRegister(const AreaRow &row)
{
    char path[MAX_PATH];
    char marker[1025];
    if (!AreaKeyPath(row.detectedKey, path, sizeof path) ||
        ReadRegString(HKEY_CURRENT_USER, path, nullptr, marker, sizeof marker) > 0)
        return;
    CreateRegKey(HKEY_CURRENT_USER, path);
    WriteRegString(HKEY_CURRENT_USER, path, nullptr, "P");
    for (int i = 0, count = row.datedAtFirstRun(); i < count; ++i) {
        char detail[kDetailWidth + 1];
        if (EntryDetail(i, detail, sizeof detail) > 0)
            RecordFirstSeen(detail, row.detectedKey);
    }
    ClearEntryList();
}

void MakeRegister()
{
    char created[32];
    if (ReadRegString(HKEY_CURRENT_USER, kDetectedKey, nullptr, created, sizeof created) > 0)
        return;
    CreateRegKey(HKEY_CURRENT_USER, kDetectedKey);
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        char path[MAX_PATH];
        if (row.detectedKey != nullptr && AreaKeyPath(row.detectedKey, path, sizeof path))
            CreateRegKey(HKEY_CURRENT_USER, path);
    }
    TodayText(created, sizeof created);
    WriteRegString(HKEY_CURRENT_USER, kDetectedKey, nullptr, created);
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        if (row.datedAtFirstRun != nullptr && !DatedByMarker(row)) {
            row.datedAtFirstRun();
            DateListedPaths(row.detectedKey);
        }
    }
}

} // namespace

void InitDetectedRegister()
{
    MakeRegister();
    for (int id = 0; id < AREA_COUNT; ++id)
        if (DatedByMarker(Area(AreaId(id))))
            DateMarkedRegister(Area(AreaId(id)));
}

int PruneDetectedArea(const char *area)
{
    char path[MAX_PATH];
    AreaKeyPath(area, path, sizeof path);
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, path, KEY_READ))
        return 0;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    // Collect first, delete after: deleting while enumerating would skip values.
    std::vector<std::string> gone;
    for (DWORD index = 0; index < values; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        char probe[kItemKey];
        CopyBounded(probe, name);
        if (name[0] != '\0' && !FindFile(probe, sizeof probe))
            gone.emplace_back(name);
    }
    key.Close();
    int removed = 0;
    for (const std::string &name : gone)
        removed += DeleteRegValue(HKEY_CURRENT_USER, path, name.c_str());
    return removed;
}

int ListedFirstSeen(const char *item, int kindCode, char *buffer, size_t capacity)
{
    if (item == nullptr)
        item = "";
    char key[kItemKey];
    ItemKeyOf(item, DetectedArea(kindCode), key);
    int length = GetFirstSeen(key, kindCode, buffer, capacity);
    if (length == 0 && RecordFirstSeen(item, DetectedArea(kindCode)) == 0)
        length = GetFirstSeen(key, kindCode, buffer, capacity);
    return length;
}

void PruneNextDetectedArea()
{
    int turns = 0;
    for (int id = 0; id < AREA_COUNT; ++id)
        turns += Area(AreaId(id)).pruneTurn >= 0 ? 1 : 0;
    if (turns == 0)
        return;
    int turn = (GetOption(OptionName(OPT_nCount), 0) + 1) % turns;
    if (turn < 0)
        turn = 0;
    StoreOption(OPT_nCount, turn);
    for (int id = 0; id < AREA_COUNT; ++id)
        if (Area(AreaId(id)).pruneTurn == turn)
            PruneDetectedArea(Area(AreaId(id)).detectedKey);
}

int FileFacts(const char *file, int kindCode, FileFactsRecord *facts)
{
    const int read = ReadFileFacts(file, facts);
    char key[MAX_PATH];
    CleanPath(file, key, sizeof key);
    GetFirstSeen(key, kindCode, facts->firstDetected, sizeof facts->firstDetected);
    return read;
}

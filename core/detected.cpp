#include "detected.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "datetexts.h"
#include "files.h"
#include "keys.h"
#include "registry.h"

namespace {

constexpr size_t kItemKey = 260;

bool AreaKeyPath(const char *area, char *path, size_t capacity)
{
    return FormatBounded(path, capacity, "%s\\%s", kDetectedKey, area);
}

} // namespace

const char *DetectedArea(int kindCode)
{
    if (kindCode < 300)
        return "Startup";
    switch (kindCode) {
    case 370:
        return "Hidden";
    case 400:
        return "FileTypes";
    case 700:
    case 701:
        return "Services";
    case 800:
        return "Tasks";
    case 900:
    case 901:
    case 902:
        return "IEHelper";
    case 1200:
        return "ActiveX";
    default:
        return "ActiveTasks";
    }
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

int RecordFirstSeen(const char *item, const char *area)
{
    if (item == nullptr || item[0] == '\0' || area == nullptr)
        return 0;
    char key[kItemKey];
    if (strcmp(area, "ActiveX") == 0) {
        CopyBounded(key, item);
    } else {
        CleanPath(item, key, sizeof key);
        if (!FindFile(key, sizeof key))
            return 0;
    }
    char path[MAX_PATH];
    AreaKeyPath(area, path, sizeof path);
    if (RegValueExists(HKEY_CURRENT_USER, path, key))
        return 1;
    char today[24];
    TodayText(today, sizeof today);
    WriteRegString(HKEY_CURRENT_USER, path, key, today);
    return 0;
}

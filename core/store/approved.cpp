#include "approved.h"

#include <windows.h>

#include <cctype>
#include <string>

#include "bounded.h"
#include "keys.h"
#include "registry.h"
#include "language.h"
#include "text.h"

namespace {

constexpr char kBaselineMarker[] = "P";

bool Path(AreaId area, const char *name, char *path, size_t capacity)
{
    return name != nullptr && name[0] != '\0' && SnapshotKeyPath(area, path, capacity) != 0;
}

} // namespace

int SnapshotKeyPath(AreaId area, char *out, size_t capacity)
{
    const char *key = Area(area).snapshotKey;
    if (key == nullptr) {
        CopyBounded(out, capacity, "");
        return 0;
    }
    return FormatBounded(out, capacity, "%s\\%s", kProductKey, key);
}

namespace {

// The widest approval text read: a number, or a mark such as "1".
constexpr size_t kApprovalWidth = 32;

std::string SnapshotPath(AreaId area)
{
    char path[MAX_PATH];
    SnapshotKeyPath(area, path, sizeof path);
    return path;
}

} // namespace

int ApprovalNumber(AreaId area, const char *name)
{
    char path[MAX_PATH];
    char text[kApprovalWidth];
    if (!Path(area, name, path, sizeof path) ||
        ReadRegString(HKEY_CURRENT_USER, path, name, text, sizeof text) == 0)
        return 0;
    return LeadingNumber(text);
}

ApprovalTable::ApprovalTable(AreaId area)
    : values_(HKEY_CURRENT_USER, SnapshotPath(area).c_str())
{
}

int ApprovalTable::Number(const char *name)
{
    char text[kApprovalWidth];
    // An area without a snapshot has an empty path, which would name the hive: nothing there.
    if (name == nullptr || name[0] == '\0' || !values_.HasPath() ||
        values_.ReadString(name, text, sizeof text) == 0)
        return 0;
    return LeadingNumber(text);
}

bool ApprovalTable::Holds(const char *name)
{
    char text[1025];  // any text the registry unit reads
    return name != nullptr && name[0] != '\0' && values_.HasPath() &&
           values_.ReadString(name, text, sizeof text) > 0;
}

int ApproveMark(AreaId area, const char *name, const char *mark)
{
    char path[MAX_PATH];
    return Path(area, name, path, sizeof path) ? WriteRegString(HKEY_CURRENT_USER, path, name, mark)
                                               : 0;
}

int Approve(AreaId area, const char *name, int number)
{
    char mark[16];
    FormatBounded(mark, sizeof mark, "%d", number);
    return ApproveMark(area, name, mark);
}

int Withdraw(AreaId area, const char *name)
{
    char path[MAX_PATH];
    return Path(area, name, path, sizeof path) ? DeleteRegValue(HKEY_CURRENT_USER, path, name) : 0;
}

void EmptySnapshot(AreaId area)
{
    char path[MAX_PATH];
    if (SnapshotKeyPath(area, path, sizeof path) == 0)
        return;
    DeleteRegTree(HKEY_CURRENT_USER, path);
    CreateRegKey(HKEY_CURRENT_USER, path);
}

bool HasBaselineMarker(AreaId area)
{
    char path[MAX_PATH];
    char text[1025];  // any text the registry unit reads
    // Whatever follows the letter: only a value that does not begin with it is no marker.
    return SnapshotKeyPath(area, path, sizeof path) != 0 &&
           ReadRegString(HKEY_CURRENT_USER, path, nullptr, text, sizeof text) > 0 &&
           toupper(static_cast<unsigned char>(text[0])) == kBaselineMarker[0];
}

void SetBaselineMarker(AreaId area)
{
    char path[MAX_PATH];
    if (SnapshotKeyPath(area, path, sizeof path) != 0)
        WriteRegString(HKEY_CURRENT_USER, path, nullptr, kBaselineMarker);
}

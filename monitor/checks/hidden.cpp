// The hidden-file check: every hidden file of the watched folders against the files the user
// has seen, which are named by their full paths, so the same file elsewhere is new again.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "hidden.h"
#include "monitor.h"

namespace {

struct HiddenItem {
    std::string title;
    std::string path;
};

// The files whose deletion was refused during this run (the user was told why): not asked about
// again until the Monitor starts anew, or every pass would ask.
std::set<std::string> &Undeleted()
{
    static std::set<std::string> undeleted;
    return undeleted;
}

void Apply(int answer, const void *context)
{
    const auto &file = *static_cast<const HiddenItem *>(context);
    if (answer == IDNO) {
        // A file that could not go is no longer seen either, so the next check asks again.
        if (DeleteHiddenFile(file.title.c_str(), file.path.c_str()) == HiddenDeletion::Refused)
            Undeleted().insert(file.path);
    } else if (answer != 0) {
        ApproveHiddenFile(file.path.c_str());
    }
}

} // namespace

void CheckHiddenFiles()
{
    std::vector<HiddenItem> files;
    for (int i = 0, count = EnumHiddenFiles(); i < count; ++i)
        files.push_back({EntryWholeTitle(i), EntryWholePath(i)});
    ClearEntryList();
    ApprovalTable seen(AREA_Hidden);
    for (const HiddenItem &file : files) {
        if (Monitor().exiting)
            return;
        if (seen.Holds(file.path.c_str()) || Undeleted().count(file.path) != 0)
            continue;
        RecordFirstSeen(file.path.c_str(), Area(AREA_Hidden).detectedKey);
        NoteAlertInTray(AREA_Hidden);
        const AlertContext alert = ItemAlertOf(file.path.c_str(), file.title.c_str(), kHiddenKind);
        Ask({AREA_Hidden, &alert, ShowHiddenFileAlert, true, Apply, &file});
    }
}

// The file-type area: every monitored extension's association against its approved copy. Options
// another program changed are taken in at the area's turn on every call of the first half, so a
// changed standing answer reaches the Monitor within a minute or two.
#include <windows.h>

#include <string>
#include <vector>

#include "area.h"
#include "ask.h"
#include "bounded.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "filetypes.h"
#include "monitor.h"
#include "options.h"
#include "text.h"
#include "verify.h"

namespace {

struct Association {
    std::string ext;
    int source;
    std::string command;
};

std::vector<Association> Listed()
{
    std::vector<Association> listed;
    for (int i = 0, count = EnumFileTypes(); i < count; ++i) {
        char ext[kDescriptionWidth + 1];
        EntryDescription(i, ext, sizeof ext);
        listed.push_back({ext, EntryExtra(i), EntryWholePath(i)});
    }
    ClearEntryList();
    return listed;
}

// A command as the comparison sees it: no quotes (the listing drops them), "=" as ":".
std::string Compared(const std::string &command)
{
    std::string compared;
    for (char c : command)
        if (c != '"')
            compared += c == '=' ? ':' : c;
    return compared;
}

void Apply(int answer, const void *context)
{
    const auto &association = *static_cast<const Association *>(context);
    if (answer == IDNO)
        RestoreAssociation(association.ext.c_str(), association.source);
    else if (answer == IDYES)
        RecordAssociation(association.ext.c_str(), association.source);
}

} // namespace

void TakeChangedOptions() { ReloadChangedMonitorOptions(); }

void CheckFileTypes()
{
    for (const Association &association : Listed()) {
        if (Monitor().exiting)
            return;
        const char *ext = association.ext.c_str();
        const std::string approved = ApprovedCommand(ext, association.source);
        const std::string current = Compared(association.command);
        // Not approved yet (an empty class name reads the list itself): approved as it is.
        if (approved.empty() || approved.find("AVI;BAT") != std::string::npos) {
            RecordAssociation(ext, association.source);
            continue;
        }
        // A program moved to another folder with the same name and arguments is no change.
        const std::string was = Compared(approved);
        if (EqualsNoCase(CommandTail(was.c_str()), CommandTail(current.c_str())))
            continue;
        if (Option(OPT_LockFileTypes) != 0) {
            RestoreAssociation(ext, association.source);
            continue;
        }
        RecordFirstSeen(was.c_str(), Area(AREA_FileType).detectedKey);
        RecordFirstSeen(current.c_str(), Area(AREA_FileType).detectedKey);
        NoteAlertInTray(AREA_FileType);
        AlertContext alert = ItemAlertOf(approved.c_str(), ext, kFileTypeKind);
        CopyBounded(alert.secondPath, association.command.c_str());
        Ask({AREA_FileType, &alert, ShowFileTypeAlert, true, Apply, &association});
    }
}

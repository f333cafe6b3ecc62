// The ActiveX check: every control the browser has used against the approved controls, named by
// their class identifiers. A new control is approved before it is asked about: turned down, it
// keeps its kill bit and is not asked about again.
#include <windows.h>

#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "iehelpers.h"
#include "monitor.h"

namespace {

struct ControlItem {
    std::string title;
    std::string path;
    std::string classId;
    int kind;
};

void Apply(int answer, const void *context)
{
    const auto &control = *static_cast<const ControlItem *>(context);
    if (answer == IDNO)
        SetKillBit(control.classId.c_str());
}

} // namespace

void CheckActiveX()
{
    std::vector<ControlItem> controls;
    for (int i = 0, count = EnumActiveX(0); i < count; ++i) {
        char classId[kDetailWidth + 1];
        EntryDetail(i, classId, sizeof classId);
        controls.push_back({EntryWholeTitle(i), EntryWholePath(i), classId, EntryKind(i)});
    }
    ClearEntryList();
    ApprovalTable approvals(AREA_ActiveX);
    for (const ControlItem &control : controls) {
        if (Monitor().exiting)
            return;
        if (control.classId.empty() || approvals.Number(control.classId.c_str()) != 0)
            continue;
        Approve(AREA_ActiveX, control.classId.c_str(), control.kind);
        RecordFirstSeen(control.classId.c_str(), Area(AREA_ActiveX).detectedKey);
        NoteAlertInTray(AREA_ActiveX);
        const AlertContext alert =
            ItemAlertOf(control.path.c_str(), control.title.c_str(), control.kind);
        Ask({AREA_ActiveX, &alert, ShowActiveXAlert, true, Apply, &control});
    }
}

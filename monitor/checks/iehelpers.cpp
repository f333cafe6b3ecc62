// The IE helper check: every browser helper object, toolbar and extension against the approved
// helpers, which are named by their titles.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "iehelpers.h"
#include "monitor.h"
#include "processes.h"

namespace {

// A helper as the check read it out of the list: ending a program walks the running programs
// through the same list.
struct HelperItem {
    std::string title;
    std::string path;
    std::string detail;
    int kind;
};

// The helpers whose removal was refused during this run (the user was told why): not asked
// about again until the Monitor starts anew, or every pass would ask.
std::set<std::string> &Unremoved()
{
    static std::set<std::string> unremoved;
    return unremoved;
}

std::string KeyOf(const HelperItem &helper)
{
    return std::to_string(helper.kind) + '\t' + helper.detail + '\t' + helper.path;
}

const char *ApprovalName(const HelperItem &helper)
{
    return HelperApprovalName(helper.title.c_str(), helper.detail.c_str());
}

std::vector<HelperItem> ListedHelpers()
{
    std::vector<HelperItem> helpers;
    for (int i = 0, count = EnumIEHelpers(); i < count; ++i) {
        char detail[kDetailWidth + 1];
        EntryDetail(i, detail, sizeof detail);
        helpers.push_back({EntryWholeTitle(i), EntryWholePath(i), detail, EntryKind(i)});
    }
    ClearEntryList();
    return helpers;
}

void Apply(int answer, const void *context)
{
    const auto &helper = *static_cast<const HelperItem *>(context);
    if (answer == IDYES) {
        Approve(AREA_IEHelpers, ApprovalName(helper), helper.kind);
    } else if (answer == IDNO) {
        OfferToStopProgram(helper.path.c_str(), helper.title.c_str(), 0);
        if (!RemoveListedHelper(helper.kind, helper.detail.c_str(), helper.path.c_str()))
            Unremoved().insert(KeyOf(helper));
        // Not approved: it is asked about again if it comes back.
        Withdraw(AREA_IEHelpers, ApprovalName(helper));
    }
}

} // namespace

void CheckIEHelpers()
{
    const std::vector<HelperItem> helpers = ListedHelpers();
    ApprovalTable approvals(AREA_IEHelpers);
    for (const HelperItem &helper : helpers) {
        if (Monitor().exiting)
            return;
        if (approvals.Number(ApprovalName(helper)) != 0 || Unremoved().count(KeyOf(helper)) != 0)
            continue;
        RecordFirstSeen(helper.path.c_str(), Area(AREA_IEHelpers).detectedKey);
        NoteAlertInTray(AREA_IEHelpers);
        const AlertContext alert =
            ItemAlertOf(helper.path.c_str(), ApprovalName(helper), helper.kind);
        Ask({AREA_IEHelpers, &alert, ShowIEHelperAlert, true, Apply, &helper});
    }
}

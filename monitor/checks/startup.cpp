// The startup check: every entry of every startup location against the approved baseline.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "bounded.h"
#include "checks.h"
#include "delay.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "monitor.h"
#include "processes.h"
#include "startup.h"
#include "startup_actions.h"
#include "strings.h"
#include "messages.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr int kDelayStart = 1103;  // the approval of a program moved to delayed start
// New entries of one location beyond the one asked about that make a flood.
constexpr size_t kSameAnswerAfter = 3;

// One entry as the check reads it out of the list before asking anything: the answers walk
// other lists (the running programs, the disabled register) and must not change this one's.
struct StartupItem {
    std::string title;     // whole, as the location names it: every action names it so
    std::string path;
    char shownTitle[kTitleWidth + 1];  // as the alert shows them
    char shownPath[kPathWidth + 1];
    char baseline[kBaselineWidth + 1];
    char detail[kDetailWidth + 1];
    int kind;
};

// The entries whose removal failed during this run.
std::set<std::string> &Unremoved()
{
    static std::set<std::string> unremoved;
    return unremoved;
}

std::string UnremovedKey(const StartupItem &item)
{
    return std::to_string(item.kind) + '\t' + item.title + '\t' + item.baseline;
}

StartupItem ReadItem(int index)
{
    StartupItem item;
    item.title = EntryWholeTitle(index);
    item.path = EntryWholePath(index);
    EntryTitle(index, item.shownTitle, sizeof item.shownTitle);
    EntryPath(index, item.shownPath, sizeof item.shownPath);
    EntryDetail(index, item.detail, sizeof item.detail);
    BaselineName(item.path.c_str(), item.baseline, sizeof item.baseline);
    item.kind = EntryKind(index);
    return item;
}

// What one check reads once for all its locations.
struct Pass {
    ApprovalTable approvals{AREA_Start};
    bool stopped = false;
};

// The approval of a startup entry: under its baseline name, else under its title.
int StartupApproval(Pass &pass, const StartupItem &item)
{
    int number = pass.approvals.Number(item.baseline);
    return number != 0 ? number : pass.approvals.Number(item.title.c_str());
}

bool Approved(int number) { return number != 0 && number != kDelayStart; }

void ApproveItem(const StartupItem &item) { Approve(AREA_Start, item.baseline, item.kind); }

AlertContext AlertOf(const StartupItem &item)
{
    AlertContext context{};
    CopyBounded(context.itemPath, item.shownPath);
    CopyBounded(context.itemTitle, item.shownTitle);
    context.kindCode = item.kind;
    return context;
}

// Ends the program without asking (the answer was the asking); the ending is recorded.
void EndRunningProgram(const StartupItem &item)
{
    OfferToStopProgram(item.path.c_str(), item.title.c_str(), 0);
}

// Disables an entry the user turned down, unless it already is.
void DisableEntry(const StartupItem &item)
{
    if (IsEntryDisabled(item.title.c_str()) == 0)
        ToggleStartupEntry(item.title.c_str(), item.path.c_str(), item.detail, item.kind);
}

// A program the user moved to delayed start is back in a startup location.
void ApplyComeBack(int answer, const void *context)
{
    const auto &item = *static_cast<const StartupItem *>(context);
    if (answer == IDYES) {
        // Back to an ordinary startup program: the delay registration goes.
        ApproveItem(item);
        char program[MAX_PATH], parameters[MAX_PATH];
        SplitCommand(item.path.c_str(), program, sizeof program, parameters, sizeof parameters);
        RemoveDelayRegistration(DelayHiveFor(item.kind), program);
    } else if (answer == IDNO) {
        // Kept delayed: out of the startup location again.
        ApproveItem(item);
        DisableEntry(item);
    }
}

void ApplyNewEntry(int answer, const void *context)
{
    const auto &item = *static_cast<const StartupItem *>(context);
    if (answer == IDYES) {
        ApproveItem(item);
    } else if (answer == IDNO) {
        EndRunningProgram(item);
        // A removal that could not be made (the user was told why) is not asked about again
        // until the Monitor starts anew, or every pass would ask.
        if (!RemoveStartupEntry(item.title.c_str(), item.path.c_str(), item.detail, item.kind))
            Unremoved().insert(UnremovedKey(item));
        Withdraw(AREA_Start, item.baseline);
        Withdraw(AREA_Start, item.title.c_str());
    } else if (answer == ANSWER_Disable) {
        EndRunningProgram(item);
        DisableEntry(item);
    }
}

void AskComeBack(const StartupItem &item)
{
    const AlertContext alert = AlertOf(item);
    Ask({AREA_Start, &alert, ShowDelayedProgramAlert, false, ApplyComeBack, &item});
}

int AskNewEntry(const StartupItem &item)
{
    RecordFirstSeen(item.path.c_str(), Area(AREA_Start).detectedKey);
    NoteAlertInTray(AREA_Start);
    const AlertContext alert = AlertOf(item);
    return Ask({AREA_Start, &alert, ShowNewProgramAlert, true, ApplyNewEntry, &item});
}

// Asks whether the answer just given goes to the rest of the location's new entries too.
bool SameAnswerForTheRest(const StartupItem &item, size_t rest)
{
    char form[512];
    LoadText(IDS_SAME_ANSWER_FOR_REST, form);
    char location[512] = "";
    AppendBounded(location, LocationLabel(item.kind));
    char text[1024];
    FormatBounded(text, sizeof text, form, static_cast<unsigned long>(rest), location);
    char caption[64];
    ProgramCaption(caption, sizeof caption);
    return ShowMessage(nullptr, text, caption, MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES;
}

// Asks about each entry of one location that is not approved. A flood of new entries in one
// location is answered once: after the first answer the user may give it to all the rest.
void CheckPart(void *context)
{
    Pass &pass = *static_cast<Pass *>(context);
    if (pass.stopped)
        return;
    int count = EntryCount();
    int first = 0;
    for (; first < count; ++first)
        if (!Approved(StartupApproval(pass, ReadItem(first))))
            break;
    // Everything approved: the usual case, and all it costs is the walk.
    if (first == count)
        return;
    std::vector<StartupItem> items;
    for (int i = first; i < count; ++i)
        items.push_back(ReadItem(i));
    std::vector<const StartupItem *> fresh;
    for (const StartupItem &item : items) {
        int number = StartupApproval(pass, item);
        if (Approved(number) || Unremoved().count(UnremovedKey(item)) != 0)
            continue;
        if (number == kDelayStart) {
            AskComeBack(item);
            continue;
        }
        // This installer's clean-up entry comes and goes by itself: stop looking this time.
        if (ContainsNoCase(item.title.c_str(), "McAfee Application Installer Cleanup")) {
            pass.stopped = true;
            break;
        }
        fresh.push_back(&item);
    }
    for (size_t i = 0; i < fresh.size() && !Monitor().exiting; ++i) {
        int answer = AskNewEntry(*fresh[i]);
        size_t rest = fresh.size() - i - 1;
        // A standing answer asks nobody: it needs no question either.
        if (answer == 0 || rest < kSameAnswerAfter || StandingAnswer(AREA_Start) != 0 ||
            !SameAnswerForTheRest(*fresh[i], rest))
            continue;
        for (size_t j = i + 1; j < fresh.size() && !Monitor().exiting; ++j) {
            RecordFirstSeen(fresh[j]->path.c_str(), Area(AREA_Start).detectedKey);
            ApplyNewEntry(answer, fresh[j]);
        }
        break;
    }
}

} // namespace

void CheckStartup()
{
    Pass pass;
    EnumStartupParts(0, CheckPart, &pass);
}

// The startup check: every entry of every startup location against the approved baseline.
#include <windows.h>

#include <set>
#include <string>

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
#include "text.h"

namespace {

constexpr int kDelayStart = 1103;  // the approval of a program moved to delayed start

struct StartupItem {
    char title[128];
    char path[260];
    char baseline[260];
    char detail[260];
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

void ReadItem(int index, StartupItem *item)
{
    EntryTitle(index, item->title, sizeof item->title);
    EntryPath(index, item->path, sizeof item->path);
    EntryDetail(index, item->detail, sizeof item->detail);
    BaselineName(item->path, item->baseline, sizeof item->baseline);
    item->kind = EntryKind(index);
}

// The approval of a startup entry: under its baseline name, else under its title.
int StartupApproval(const StartupItem &item)
{
    int number = ApprovalNumber(AREA_Start, item.baseline);
    return number != 0 ? number : ApprovalNumber(AREA_Start, item.title);
}

bool Approved(int number) { return number != 0 && number != kDelayStart; }

void ApproveItem(const StartupItem &item) { Approve(AREA_Start, item.baseline, item.kind); }

AlertContext AlertOf(const StartupItem &item)
{
    AlertContext context{};
    CopyBounded(context.itemPath, item.path);
    CopyBounded(context.itemTitle, item.title);
    context.kindCode = item.kind;
    return context;
}

// Ends the program without asking (the answer was the asking); the ending is recorded.
void EndRunningProgram(const StartupItem &item) { OfferToStopProgram(item.path, item.title, 0); }

// Disables an entry the user turned down, unless it already is.
void DisableEntry(const StartupItem &item)
{
    if (IsEntryDisabled(item.title) == 0)
        ToggleStartupEntry(item.title, item.path, item.detail, item.kind);
}

// A program the user moved to delayed start is back in a startup location.
void ApplyComeBack(int answer, const void *context)
{
    const auto &item = *static_cast<const StartupItem *>(context);
    if (answer == IDYES) {
        // Back to an ordinary startup program: the delay registration goes.
        ApproveItem(item);
        char program[MAX_PATH], parameters[MAX_PATH];
        SplitCommand(item.path, program, sizeof program, parameters, sizeof parameters);
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
        if (!RemoveStartupEntry(item.title, item.path, item.detail, item.kind))
            Unremoved().insert(UnremovedKey(item));
        Withdraw(AREA_Start, item.baseline);
        Withdraw(AREA_Start, item.title);
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

void AskNewEntry(const StartupItem &item)
{
    RecordFirstSeen(item.path, Area(AREA_Start).detectedKey);
    SetTrayIcon(TRAY_Modify, IDI_VERIFY_SYSTEM, Area(AREA_Start).alertTip);
    const AlertContext alert = AlertOf(item);
    Ask({AREA_Start, &alert, ShowNewProgramAlert, true, ApplyNewEntry, &item});
}

} // namespace

void CheckStartup()
{
    int count = EnumStartupEntries(0);
    int first = 0;
    for (; first < count; ++first) {
        StartupItem item;
        ReadItem(first, &item);
        if (!Approved(StartupApproval(item)))
            break;
    }
    // Everything approved: the usual case, and all it costs is one walk.
    for (int i = first; i < count; ++i) {
        StartupItem item;
        ReadItem(i, &item);
        int number = StartupApproval(item);
        if (Approved(number) || Unremoved().count(UnremovedKey(item)) != 0)
            continue;
        if (number == kDelayStart) {
            AskComeBack(item);
            continue;
        }
        // This installer's clean-up entry comes and goes by itself: stop looking this time.
        if (ContainsNoCase(item.title, "McAfee Application Installer Cleanup"))
            break;
        AskNewEntry(item);
    }
}

// The service check: a cheap look at the services' key names first, the full listing only when
// a name has come that the last full check did not see.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "approved.h"
#include "ask.h"
#include "checks.h"
#include "detected.h"
#include "entries.h"
#include "history.h"
#include "historyline.h"
#include "monitor.h"
#include "services.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kDisabledStart = 4;
constexpr DWORD kStopControl = SERVICE_CONTROL_STOP;

struct ServiceItem {
    std::string title;
    std::string path;
    int kind;
};

// The key names the last full check found every service of approved or answered. The approved
// services are named by their display names, which a key-name listing does not give: a new key
// name is what sends the check to the full listing.
std::set<std::string> &KnownNames()
{
    static std::set<std::string> names;
    return names;
}

std::set<std::string> KeyNamesNow()
{
    std::set<std::string> names;
    EnumerateServices(true);
    for (int i = 0, count = EntryCount(); i < count; ++i)
        names.insert(EntryWholeTitle(i));
    ClearEntryList();
    return names;
}

// The name a service is approved under: its title; one without a title, by its program.
const char *ApprovalName(const ServiceItem &service)
{
    return !service.title.empty() ? service.title.c_str() : service.path.c_str();
}

// Each change is recorded before it is made; one whose record cannot be written is not made.
bool Recorded(const ServiceItem &service, int action)
{
    if (WriteHistoryRecord(service.title.c_str(), service.path.c_str(), "", service.kind,
                           action) != kHistoryFailed)
        return true;
    TellNotRecorded(IDS_NOT_CHANGED_NO_RECORD, service.title.c_str(), GetLastError());
    return false;
}

void TurnDown(const ServiceItem &service)
{
    const char *title = service.title.c_str();
    // How it started before, so it can be put back.
    const int former = FormerStartAction(GetServiceStartType(title));
    if (former != 0 && !Recorded(service, former))
        return;
    // Only a service that runs is stopped, so no record tells of a stop that was not made.
    if (GetServiceStatusWord(title) != 0 && Recorded(service, kActionServiceStop))
        ControlServiceByTitle(title, kStopControl);
    if (Recorded(service, kActionServiceDisabled))
        SetServiceStartType(title, kDisabledStart);
}

void Apply(int answer, const void *context)
{
    const auto &service = *static_cast<const ServiceItem *>(context);
    if (answer == IDNO)
        TurnDown(service);
    // Answered either way: not asked about again.
    if (answer == IDYES || answer == IDNO)
        Approve(AREA_Services, ApprovalName(service), service.kind);
}

} // namespace

void CheckServices()
{
    std::set<std::string> names = KeyNamesNow();
    bool known = !KnownNames().empty();
    for (const std::string &name : names)
        known = known && KnownNames().count(name) != 0;
    if (known)
        return;

    std::vector<ServiceItem> services;
    EnumerateServices(false);
    for (int i = 0, count = EntryCount(); i < count; ++i)
        services.push_back({EntryWholeTitle(i), EntryWholePath(i), EntryKind(i)});
    ClearEntryList();
    ApprovalTable approvals(AREA_Services);
    bool answeredAll = true;
    for (const ServiceItem &service : services) {
        if (Monitor().exiting)
            return;
        if (approvals.Number(ApprovalName(service)) != 0)
            continue;
        RecordFirstSeen(service.path.c_str(), Area(AREA_Services).detectedKey);
        NoteAlertInTray(AREA_Services);
        const AlertContext alert =
            ItemAlertOf(service.path.c_str(), service.title.c_str(), service.kind);
        const int answer = Ask({AREA_Services, &alert, ShowNewServiceAlert, true, Apply, &service});
        answeredAll = answeredAll && answer != 0;
    }
    // Until every service is answered for, each check looks at the full listing.
    if (answeredAll)
        KnownNames() = names;
}

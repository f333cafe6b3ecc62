// Windows services: what HKLM\SYSTEM\CurrentControlSet\Services lists, and what the local service
// control manager says and does about each of them.
#include "services.h"

#include <windows.h>

#include <cstring>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "history.h"
#include "historyline.h"
#include "options.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

// Buffer widths, terminators included.
constexpr DWORD kKeyNameWidth = 256;        // subkey names: 255 characters
constexpr DWORD kDisplayNameWidth = 4096;   // what the manager answers
constexpr size_t kImageWidth = 513;         // ImagePath: 512
constexpr size_t kDescriptionRead = 4096;   // Description in the listing
constexpr size_t kLibraryWidth = 261;       // ServiceDll when finding a description
constexpr size_t kFoundDescription = 1025;  // Description when finding one
constexpr size_t kCleanWidth = 1025;

bool IsHostCommand(const char *image) { return ContainsNoCase(image, "svchost") != 0; }

// The manager when it can be reached; lookups simply fail without it.
ServiceHandle OpenManager(DWORD access)
{
    return ServiceHandle(OpenSCManagerA(nullptr, nullptr, access));
}

bool KeyNameOf(SC_HANDLE manager, const char *title, char (&keyName)[kKeyNameWidth])
{
    keyName[0] = '\0';
    if (!manager || title == nullptr || title[0] == '\0')
        return false;
    DWORD size = kKeyNameWidth;
    return GetServiceKeyNameA(manager, title, keyName, &size) && keyName[0] != '\0';
}

bool DisplayNameOf(SC_HANDLE manager, const char *keyName, char (&name)[kDisplayNameWidth])
{
    name[0] = '\0';
    if (!manager)
        return false;
    DWORD size = kDisplayNameWidth;
    if (!GetServiceDisplayNameA(manager, keyName, name, &size)) {
        name[0] = '\0';
        return false;
    }
    return true;
}

// The service named by a title, opened with access; null when any step fails.
ServiceHandle OpenByTitle(SC_HANDLE manager, const char *title, DWORD access)
{
    char keyName[kKeyNameWidth];
    if (!KeyNameOf(manager, title, keyName))
        return ServiceHandle();
    return ServiceHandle(OpenServiceA(manager, keyName, access));
}

// Calls visit(keyName, service, image) for every subkey with a non-empty ImagePath, in the
// registry's order; visit answering false ends the walk.
template <typename Visit> void WalkServices(Visit visit)
{
    RegKey services;
    if (!services.Open(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ))
        return;
    // Counted once: a key that grows during the walk can't keep it going.
    const DWORD count = SubkeyCount(services.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[kKeyNameWidth];
        DWORD length = kKeyNameWidth;
        LONG result = RegEnumKeyExA(services.get(), index, name, &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || length == 0)
            continue;
        // One open per service: every read below goes through it.
        RegKey service;
        if (!service.Open(services.get(), name, KEY_READ))
            continue;
        char image[kImageWidth];
        if (ReadRegString(service.get(), nullptr, "ImagePath", image, sizeof image) == 0)
            continue;
        if (!visit(static_cast<const char *>(name), service.get(), static_cast<const char *>(image)))
            break;
    }
}

void StartTypeText(int start, char (&text)[64])
{
    switch (start) {
    case SERVICE_AUTO_START:
        LoadText(IDS_START_AUTOMATIC, text);
        break;
    case SERVICE_DEMAND_START:
        LoadText(IDS_START_MANUAL, text);
        break;
    case SERVICE_DISABLED:
        LoadText(IDS_START_DISABLED, text);
        break;
    default:
        CopyBounded(text, "0");
        break;
    }
}

bool IsMicrosoftFile(const char *path)
{
    char clean[kCleanWidth];
    CleanPath(path, clean, sizeof clean);
    VersionRecord version;
    ReadVersionInfo(clean, &version);
    // Company names run longer than ContainsNoCase looks.
    return FindNoCase(version.slot[VS_CompanyName], "Microsoft") != nullptr;
}

// False only when the list refused the entry (it is full), which ends the walk.
bool ListService(SC_HANDLE manager, const char *keyName, HKEY service, const char *image)
{
    // Drivers and the like are passed over before anything else is read.
    if (!ContainsNoCase(image, ".exe") && !IsHostCommand(image))
        return true;
    char title[kDisplayNameWidth];
    if (!DisplayNameOf(manager, keyName, title))
        ReadRegString(service, nullptr, "DisplayName", title, sizeof title);
    char description[kDescriptionRead];
    ReadRegString(service, nullptr, "Description", description, sizeof description);
    char detail[64];
    StartTypeText(ReadRegNumber(service, nullptr, "Start") & 0xFF, detail);
    const char *path = image;
    int kind = kServiceExeKind;
    char library[kImageWidth];
    if (IsHostCommand(image)) {
        kind = kServiceHostKind;
        if (ReadRegString(service, "Parameters", "ServiceDll", library, sizeof library) > 0)
            path = library;
    }
    if (Option(OPT_HideMicrosoftServices) > 0 && IsMicrosoftFile(path))
        return true;
    return AddEntry(title, path, detail, description, kind, 0) != 0;
}

// The key name of the service with this title: the first whose DisplayName value matches, or
// else the one the manager names (a service may have no DisplayName value of its own).
bool FindKeyByTitle(const char *title, char (&keyName)[kKeyNameWidth])
{
    keyName[0] = '\0';
    if (title == nullptr || title[0] == '\0')
        return false;
    bool found = false;
    WalkServices([&](const char *name, HKEY service, const char *) {
        char display[kDisplayNameWidth];
        if (ReadRegString(service, nullptr, "DisplayName", display, sizeof display) > 0 &&
            EqualsNoCase(display, title)) {
            found = CopyBounded(keyName, name) != 0;
            return false;
        }
        return true;
    });
    if (found)
        return true;
    ServiceHandle manager = OpenManager(GENERIC_READ);
    char managed[kKeyNameWidth];
    if (!KeyNameOf(manager.get(), title, managed))
        return false;
    // Only a service the Services key lists as one.
    char path[sizeof kServicesKey + kKeyNameWidth];
    char image[kImageWidth];
    if (!FormatBounded(path, sizeof path, "%s\\%s", kServicesKey, managed) ||
        ReadRegString(HKEY_LOCAL_MACHINE, path, "ImagePath", image, sizeof image) == 0)
        return false;
    return CopyBounded(keyName, managed) != 0;
}

bool ServiceKeyPath(const char *keyName, char (&path)[sizeof kServicesKey + kKeyNameWidth])
{
    return FormatBounded(path, sizeof path, "%s\\%s", kServicesKey, keyName) != 0;
}

} // namespace

int EnumerateServices(bool namesOnly)
{
    ClearEntryList();
    ServiceHandle manager = namesOnly ? ServiceHandle() : OpenManager(SC_MANAGER_CONNECT);
    WalkServices([&](const char *name, HKEY service, const char *image) {
        if (namesOnly)
            return AddEntry(name, "", "", "", kServiceExeKind, 0) != 0;
        return ListService(manager.get(), name, service, image);
    });
    return 0;
}

int GetServiceStatusWord(const char *title)
{
    ServiceHandle manager = OpenManager(GENERIC_READ);
    ServiceHandle service = OpenByTitle(manager.get(), title, GENERIC_READ);
    if (!service)
        return 0;
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status)) {
        // Some managers refuse to interrogate a running service; its recorded state is as good.
        // A stopped one still answers nothing.
        if (!QueryServiceStatus(service.get(), &status) || status.dwCurrentState == SERVICE_STOPPED)
            return 0;
    }
    return static_cast<int>((status.dwCurrentState << 16) | (status.dwServiceType & 0xFFFF));
}

int GetServiceStatusText(const char *title, char *text, size_t capacity)
{
    LoadText(IDS_SERVICE_STOPPED, text, capacity);
    const int word = GetServiceStatusWord(title);
    if (word < 0x10000)
        return 0;
    UINT id = IDS_SERVICE_STOPPED;
    switch (word >> 16) {
    case SERVICE_START_PENDING: id = IDS_SERVICE_PENDING_START; break;
    case SERVICE_STOP_PENDING: id = IDS_SERVICE_PENDING_STOP; break;
    case SERVICE_RUNNING: id = IDS_RUNNING; break;
    case SERVICE_CONTINUE_PENDING: id = IDS_SERVICE_PENDING_CONTINUE; break;
    case SERVICE_PAUSE_PENDING: id = IDS_SERVICE_PENDING_PAUSE; break;
    case SERVICE_PAUSED: id = IDS_SERVICE_PAUSED; break;
    default: break;
    }
    LoadText(id, text, capacity);
    return word;
}

int GetServiceControlsAccepted(const char *title)
{
    ServiceHandle manager = OpenManager(GENERIC_READ);
    ServiceHandle service = OpenByTitle(manager.get(), title, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.get(), &status))
        return 0;
    return static_cast<int>(status.dwControlsAccepted);
}

int ControlServiceByTitle(const char *title, DWORD control)
{
    ServiceHandle manager = OpenManager(GENERIC_READ);
    ServiceHandle service = OpenByTitle(manager.get(), title, SERVICE_ALL_ACCESS);
    SERVICE_STATUS status{};
    return service && ControlService(service.get(), control, &status) ? 1 : 0;
}

int LookupServiceDisplayName(const char *keyName, char *name, size_t capacity)
{
    CopyBounded(name, capacity, "");
    if (keyName == nullptr || keyName[0] == '\0')
        return 0;
    ServiceHandle manager = OpenManager(GENERIC_READ);
    char display[kDisplayNameWidth];
    if (!DisplayNameOf(manager.get(), keyName, display))
        return 0;
    CopyBounded(name, capacity, display);
    return 1;
}

int SetServiceStartType(const char *title, int start)
{
    char keyName[kKeyNameWidth];
    char path[sizeof kServicesKey + kKeyNameWidth];
    if (!FindKeyByTitle(title, keyName) || !ServiceKeyPath(keyName, path))
        return 0;
    return WriteRegNumber(HKEY_LOCAL_MACHINE, path, "Start", static_cast<DWORD>(start) & 0xFF);
}

int GetServiceStartType(const char *title)
{
    char keyName[kKeyNameWidth];
    char path[sizeof kServicesKey + kKeyNameWidth];
    if (!FindKeyByTitle(title, keyName) || !ServiceKeyPath(keyName, path))
        return -1;
    return ReadRegNumber(HKEY_LOCAL_MACHINE, path, "Start") & 0xFF;
}

int FindServiceDescription(const char *file, char *description, size_t capacity)
{
    CopyBounded(description, capacity, "");
    if (file == nullptr)
        return 0;
    int length = 0;
    WalkServices([&](const char *, HKEY service, const char *image) {
        const char *program = image;
        char library[kLibraryWidth];
        if (ContainsNoCase(image, "svchost.exe") &&
            ReadRegString(service, "Parameters", "ServiceDll", library, sizeof library) > 0)
            program = library;
        char clean[kCleanWidth];
        CleanPath(program, clean, sizeof clean);
        if (!EqualsNoCase(clean, file))
            return true;
        char found[kFoundDescription];
        ReadRegString(service, nullptr, "Description", found, sizeof found);
        CopyBounded(description, capacity, found);
        length = static_cast<int>(strlen(description));
        return false;
    });
    return length;
}

void TakeServicesSnapshot()
{
    if (HasBaselineMarker(AREA_Services))
        return;
    EmptySnapshot(AREA_Services);
    SetBaselineMarker(AREA_Services);
    EnumerateServices(false);
    for (int i = 0, count = EntryCount(); i < count; ++i) {
        // A snapshot can't name an item ""; the path stands in for a missing title.
        const char *title = EntryWholeTitle(i);
        Approve(AREA_Services, title[0] != '\0' ? title : EntryWholePath(i), EntryKind(i));
    }
    ClearEntryList();
}

namespace {

bool RecordedChange(const char *title, const char *path, int kind, int action)
{
    if (WriteHistoryRecord(title, path, "", kind, action) != kHistoryFailed)
        return true;
    TellNotRecorded(IDS_NOT_CHANGED_NO_RECORD, title, GetLastError());
    return false;
}

} // namespace

int FormerStartAction(int start)
{
    switch (start) {
    case 2:
        return kActionServiceFromAutomatic;
    case 3:
        return kActionServiceFromManual;
    case 4:
        return kActionServiceFromDisabled;
    default:
        return 0;
    }
}

int StopServiceRecorded(const char *title, const char *path, int kind)
{
    if (title == nullptr || !RecordedChange(title, path != nullptr ? path : "", kind,
                                            kActionServiceStop))
        return 0;
    return ControlServiceByTitle(title, SERVICE_CONTROL_STOP);
}

int SetServiceStartRecorded(const char *title, const char *path, int kind, int start)
{
    static const int kNewStartAction[] = {kActionServiceAutomatic, kActionServiceManual,
                                          kActionServiceDisabled};
    if (title == nullptr || start < 2 || start > 4)
        return 0;
    path = path != nullptr ? path : "";
    const int former = FormerStartAction(GetServiceStartType(title));
    if ((former != 0 && !RecordedChange(title, path, kind, former)) ||
        !RecordedChange(title, path, kind, kNewStartAction[start - 2]))
        return 0;
    return SetServiceStartType(title, start);
}

void ServicePlaces(PlaceList &out)
{
    // A new service is a new subkey; the services' own keys change all the time as they run.
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kServicesKey);
}

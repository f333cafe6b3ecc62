// The verify cycle. Areas whose checks are not built yet keep their place and countdown.
#include "verify.h"

#include <windows.h>

#include "alerts.h"
#include "bounded.h"
#include "delay.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "init.h"
#include "keys.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "processes.h"
#include "registry.h"
#include "startup.h"
#include "startup_actions.h"
#include "strings.h"
#include "language.h"
#include "text.h"
#include "trace.h"

namespace {

constexpr int kVerifyIcon = 157;
constexpr int kReviewIcon = 158;
constexpr int kAlertIcon = 161;
constexpr int kDelayStart = 1103;
constexpr int kDisableAnswer = 11;
constexpr DWORD kOneSecond = 1000;
constexpr int kReAddPasses = 60;  // the icon is added again on every 62nd call

struct VerifyState {
    int halfFlag = 0;
    int passCounter = 0;
    DWORD lastVerifyTime = 0;
    bool timeKnown = false;
    int lastProcessCount = 0;
};
VerifyState g_verify;

struct RealtimeArea {
    OptionId realtime;
    AreaId area;
};
const RealtimeArea kRealtimeAreas[] = {
    {OPT_RealtimeStartup, AREA_Start},     {OPT_RealtimeIEHelper, AREA_IEHelpers},
    {OPT_RealtimeSysFiles, AREA_HostFile}, {OPT_RealtimeStartPage, AREA_StartPage},
    {OPT_RealtimeFileType, AREA_FileType}, {OPT_RealtimeHidden, AREA_Hidden},
    {OPT_RealtimeActiveX, AREA_ActiveX},   {OPT_RealtimeServices, AREA_Services},
};

// A countdown above 0 runs its area when it reaches 0, and starts again from the period.
bool Due(AreaId area, const char *text)
{
    int32_t &countdown = TheSettings().countdown[area];
    if (countdown <= 0 || --countdown > 0)
        return false;
    countdown = Period(area);
    Trace("verify", text);
    return true;
}

void TrayNote(int icon, UINT tip) { SetTrayIcon(TRAY_Modify, icon, tip); }

// An area's Hide option: 0 asks, 1 approves, anything else rejects.
int StandingAnswer(OptionId hide)
{
    int standing = Option(hide);
    return standing == 0 ? 0 : standing == 1 ? IDYES : IDNO;
}

int StoredNumber(const char *name)
{
    char text[32];
    if (name[0] == '\0' || ReadRegString(HKEY_CURRENT_USER, kRunBaselineKey, name, text,
                                         sizeof text) == 0)
        return 0;
    return LeadingNumber(text);
}

// The approval of a startup entry: under its baseline name, else under its title.
int ApprovalNumber(const char *baseline, const char *title)
{
    int number = StoredNumber(baseline);
    return number != 0 ? number : StoredNumber(title);
}

struct StartupItem {
    char title[128];
    char path[260];
    char baseline[260];
    char detail[260];
    int kind;
};

void ReadItem(int index, StartupItem *item)
{
    EntryTitle(index, item->title, sizeof item->title);
    EntryPath(index, item->path, sizeof item->path);
    EntryDetail(index, item->detail, sizeof item->detail);
    BaselineName(item->path, item->baseline, sizeof item->baseline);
    item->kind = EntryKind(index);
}

bool Approved(int number) { return number != 0 && number != kDelayStart; }

void Approve(const StartupItem &item)
{
    char kind[16];
    FormatBounded(kind, sizeof kind, "%d", item.kind);
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, item.baseline, kind);
}

void FillAlertContext(const StartupItem &item)
{
    AlertContext &context = TheAlertContext();
    CopyBounded(context.itemPath, item.path);
    CopyBounded(context.itemTitle, item.title);
    context.kindCode = item.kind;
}

void EndRunningProgram(const StartupItem &item)
{
    if (DWORD process = FindProcessForFile(item.path))
        EndProcess(process);
}

// Disables an entry the user turned down, unless it already is.
void DisableEntry(const StartupItem &item)
{
    if (IsEntryDisabled(item.title) == 0)
        ToggleStartupEntry(item.title, item.baseline, item.detail, item.kind);
}

// A program the user moved to delayed start is back in a startup location.
void AnswerComeBack(const StartupItem &item)
{
    MonitorState &state = Monitor();
    state.alertOpen = 1;
    int answer = StandingAnswer(OPT_HideStartup);
    if (answer == 0) {
        FillAlertContext(item);
        answer = ShowDelayedProgramAlert();
    }
    if (answer == IDYES) {
        // Back to an ordinary startup program: the delay registration goes.
        Approve(item);
        char program[MAX_PATH], parameters[MAX_PATH];
        SplitCommand(item.path, program, sizeof program, parameters, sizeof parameters);
        RemoveDelayRegistration(DelayHiveFor(item.kind), program);
    } else if (answer == IDNO) {
        // Kept delayed: out of the startup location again.
        Approve(item);
        DisableEntry(item);
    }
    state.alertOpen = 0;
}

void AnswerNewEntry(const StartupItem &item)
{
    MonitorState &state = Monitor();
    RecordFirstSeen(item.path, "Startup");
    TrayNote(kAlertIcon, IDS_TIP_STARTUP);
    state.alertOpen = 1;
    int answer = StandingAnswer(OPT_HideStartup);
    if (answer == 0) {
        PlayEventSound(SOUND_StartupAlert);
        FillAlertContext(item);
        answer = ShowNewProgramAlert();
    }
    if (answer == IDYES) {
        Approve(item);
    } else if (answer == IDNO) {
        EndRunningProgram(item);
        RemoveStartupEntry(item.title, item.baseline, item.detail, item.kind);
        DeleteRegValue(HKEY_CURRENT_USER, kRunBaselineKey, item.baseline);
        DeleteRegValue(HKEY_CURRENT_USER, kRunBaselineKey, item.title);
    } else if (answer == kDisableAnswer) {
        EndRunningProgram(item);
        DisableEntry(item);
    }
    state.alertOpen = 0;
}

void CheckStartup()
{
    int count = EnumStartupEntries(0);
    int first = 0;
    for (; first < count; ++first) {
        StartupItem item;
        ReadItem(first, &item);
        if (!Approved(ApprovalNumber(item.baseline, item.title)))
            break;
    }
    // Everything approved: the usual case, and all it costs is one walk.
    for (int i = first; i < count; ++i) {
        StartupItem item;
        ReadItem(i, &item);
        int number = ApprovalNumber(item.baseline, item.title);
        if (Approved(number))
            continue;
        if (number == kDelayStart) {
            AnswerComeBack(item);
            continue;
        }
        // This installer's clean-up entry comes and goes by itself: stop looking this time.
        if (ContainsNoCase(item.title, "McAfee Application Installer Cleanup"))
            break;
        AnswerNewEntry(item);
    }
}

void FirstHalf()
{
    TrayNote(kVerifyIcon, IDS_TIP_STARTUP);
    if (Due(AREA_Start, "Startup Programs"))
        CheckStartup();
    Due(AREA_IEHelpers, "IE Helpers");
    Due(AREA_Hidden, "Hidden Files");
    Due(AREA_ActiveX, "ActiveX Files");
    // Windows Vista keeps its system files to itself.
    if (MajorVersion() != 6)
        Due(AREA_HostFile, "Verify System Files");
    Due(AREA_StartPage, "IE Start/Search Page");
    if (Due(AREA_FileType, "File Types") && GetOption("Update", 0) != 0) {
        ReloadOptions();
        WriteRegString(HKEY_CURRENT_USER, kOptionsKey, "Update", "0");
    }
}

void SecondHalf()
{
    TrayNote(kReviewIcon, IDS_TIP_CHANGES);
    Due(AREA_Tasks, "Scheduled Tasks");
    if (PlatformId() != VER_PLATFORM_WIN32_NT)
        Due(AREA_WinInit, "Win INIT file");
    Due(AREA_Services, "Check for change to Services");
    Due(AREA_Nuts, "Filter Cookies");
    Due(AREA_Cookies, "Check for New Cookies");
}

void DateRunningPrograms()
{
    int count = EnumerateRunningPrograms();
    for (int i = 0; i < count; ++i) {
        char path[260];
        if (EntryPath(i, path, sizeof path) > 0)
            RecordFirstSeen(path, "ActiveTasks");
    }
    ClearEntryList();
}

} // namespace

void ReloadOptions()
{
    LoadOptions();
    g_verify.halfFlag = 0;
}

void ResetVerifyState() { g_verify = VerifyState{}; }

int Verify()
{
    MonitorState &state = Monitor();
    Trace("VERIFY", "Enter Verify function");
    if (state.alertOpen || state.verifyRunning)
        return 1;
    ClearEntryList();
    state.verifyRunning = 1;
    if (g_verify.passCounter++ > kReAddPasses) {
        // The shell may have lost the icon without telling (no TaskbarCreated).
        SetTrayIcon(TRAY_Delete, 0, IDS_TIP_ON_PATROL);
        SetTrayIcon(TRAY_Add, kIdleIcon, IDS_TIP_ON_PATROL);
        g_verify.passCounter = 0;
    }
    DWORD start = TickCount();
    DWORD last = g_verify.timeKnown ? g_verify.lastVerifyTime : StartTick();
    g_verify.lastVerifyTime = start;
    g_verify.timeKnown = true;
    if (start - last < kOneSecond) {
        state.verifyRunning = 0;
        Trace("VERIFY", "Exit Early because we recently did a verify");
        return 0;
    }
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    Trace("VERIFY", "Verify Automatica Updates");
    if (g_verify.halfFlag == 0)
        FirstHalf();
    else
        SecondHalf();
    ClearEntryList();
    if (state.realtimeFlag)
        DateRunningPrograms();
    g_verify.halfFlag ^= 1;
    SetTrayIcon(TRAY_Modify, Option(OPT_TrayIcon), IDS_TIP_ON_PATROL);
    if (TickCount() - start > kOneSecond) {
        Trace("CATCH", "MonitorTimer > 1000");
        g_verify.lastVerifyTime = TickCount();
    }
    state.verifyRunning = 0;
    SetErrorMode(errorMode);
    Trace("VERIFY", "Exit Normal Verify");
    return 1;
}

int CheckProcessChange()
{
    Trace("* * * VERIFY TASKS", "Check for Task Change");
    int count = CountProcesses();
    if (count != g_verify.lastProcessCount) {
        if (GetOption("Update", 0) != 0) {
            ReloadOptions();
            WriteRegString(HKEY_CURRENT_USER, kOptionsKey, "Update", "0");
        }
        // Only areas that are switched on: a period of 0 keeps an area off.
        for (const RealtimeArea &entry : kRealtimeAreas)
            if (Option(entry.realtime) != 0 && Period(entry.area) > 0)
                TheSettings().countdown[entry.area] = 1;
        Monitor().tickCounter = 16;
        g_verify.halfFlag = 0;
        Trace("* * * * VERIFY TASKS", "NEW TASK DETECTED");
    }
    g_verify.lastProcessCount = count;
    ClearEntryList();
    return count;
}

void LaunchDelayedPrograms(int) {}

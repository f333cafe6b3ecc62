// The new-program alert: a program that put itself into a startup location.
#include <cstring>

#include "alerts.h"
#include "bounded.h"
#include "help.h"
#include "historyline.h"
#include "ids.h"
#include "item_alert.h"
#include "startup.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr size_t kTextLength = 1024;

AlertRepeat g_repeat{};

void ShowMessage(HWND dialog, const AlertContext &item)
{
    char message[kTextLength];
    // The sentence is what the bold face is for; an override stands in the dialog's own font.
    if (NewProgramMessage(item.kindCode, message, sizeof message))
        SetAlertItemFont(dialog, IDC_ALERT_MESSAGE, FONT_BoldSansSerif);
    SetDlgItemTextA(dialog, IDC_ALERT_MESSAGE, message);
}

void Opened(const AlertContext &item) { NoteAlertedPath(item.itemPath); }

void Name(const AlertContext &item, const char *productName, char *out, size_t capacity)
{
    NewProgramName(item.kindCode, productName, out, capacity);
}

int Answer(int command, const AlertContext &item)
{
    const int answer = NewProgramAnswer(command, item.kindCode, g_repeat.counter);
    if (answer != 0 && g_repeat.counter >= kRepeatLimit) {
        // The program keeps putting itself back: explain, and disable it rather than ask again.
        OpenHelpPage(IDM_HELP_ME);
        ResetAlertCounters();
    }
    return answer;
}

constexpr ItemAlertForm kForm = {IDD_ALERT_NEW_PROGRAM, IDS_ALERT_CAPTION, IDS_NO, Opened, Name,
                                 ShowMessage, Answer, kActionStartAlert};

} // namespace

AlertRepeat &TheAlertRepeat() { return g_repeat; }

void ResetAlertCounters()
{
    g_repeat.counter = 0;
    g_repeat.lastPath[0] = '\0';
}

void NoteAlertedPath(const char *itemPath)
{
    if (EqualsNoCase(itemPath, g_repeat.lastPath))
        ++g_repeat.counter;
    CopyBounded(g_repeat.lastPath, itemPath);
}

int ShowNewProgramAlert(const AlertContext &item) { return ShowItemAlert(kForm, item); }

UINT LocationSentenceId(int kindCode)
{
    switch (kindCode) {
    // RunOnce, RunOnceEx, RunServicesOnce and RunOnceSetup of each Run family.
    case kMachineRunKind + 1: case kMachineRunKind + 2:
    case kMachineRunKind + 4: case kMachineRunKind + 5:
    case kUserRunKind + 1: case kUserRunKind + 2: case kUserRunKind + 4: case kUserRunKind + 5:
    case kWow64RunKind + 1: case kWow64RunKind + 2:
    case kWow64RunKind + 4: case kWow64RunKind + 5:
        return IDS_LOCATION_RUNONCE;
    case kWinLoadKind: case kWinRunKind:
        return IDS_LOCATION_WIN_INI;
    case kStartupFolderKind:
        return IDS_LOCATION_STARTUP_FOLDER;
    default:
        return IDS_LOCATION_RUN;
    }
}

int NewProgramMessage(int kindCode, char *out, size_t capacity)
{
    char text[kTextLength];
    LoadText(IDS_NEW_STARTUP_PROGRAM, text);
    char sentence[kTextLength];
    LoadText(LocationSentenceId(kindCode), sentence);
    return InsertAtMark(text, sentence, out, capacity);
}

int NewProgramName(int kindCode, const char *productName, char *out, size_t capacity)
{
    // Entries of these hooks carry the hook's name: the product name alone would hide where
    // the program attached itself.
    static const struct {
        int kindCode;
        const char *name;
    } kHookNames[] = {{kUserinitKind, "WinLogon:UserInit"}, {kShellKind, "WinLogon:Shell"},
                      {kDelayLoadKind, "ObjectDelayLoad"},
                      {kTaskSchedulerKind, "SharedTaskScheduler"},
                      {kAppInitKind, "AppInit_DLLs"}};
    if (productName == nullptr)
        productName = "";
    if (productName[0] != '\0') {
        for (const auto &hook : kHookNames)
            if (hook.kindCode == kindCode)
                return CopyBounded(out, capacity, hook.name);
    }
    return CopyBounded(out, capacity, productName);
}

int NewProgramAnswer(int command, int kindCode, int repeatCounter)
{
    if (command != IDYES && command != IDNO && command != IDCANCEL)
        return 0;
    if (repeatCounter >= kRepeatLimit)
        return ANSWER_Disable;
    if (command == IDNO)  // a Winlogon Notify entry is disabled, never removed
        return kindCode == kNotifyKind ? ANSWER_Disable : ANSWER_Reject;
    return ANSWER_Approve;
}

// The Options page: each control maps one option (or the Monitor's autostart value) and back.
#include "options_page.h"

#include <commctrl.h>

#include "area.h"
#include "bounded.h"
#include "delayed.h"
#include "dialogs.h"
#include "explorer_dialogs.h"
#include "history_viewer.h"
#include "ids.h"
#include "listing_report.h"
#include "scan_report.h"
#include "settings_export.h"
#include "spreadsheet_report.h"
#include "init.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "page_host.h"
#include "strings.h"
#include "sysfiles.h"
#include "texts.h"


namespace {

constexpr size_t kTextLength = 1024;

// A check box that holds one option as 0 or 1.
struct OptionBox {
    int control;
    UINT text;
    OptionId option;
};

constexpr OptionBox kOptionBoxes[] = {
    {IDC_OPTIONS_SOUNDS, IDS_OPTION_SOUNDS, OPT_Sound},
    {IDC_OPTIONS_HISTORY, IDS_OPTION_HISTORY, OPT_History},
    {IDC_OPTIONS_LOCK_TYPES, IDS_OPTION_LOCK_FILE_TYPES, OPT_LockFileTypes},
    {IDC_OPTIONS_CONFIRM_EXIT, IDS_OPTION_CONFIRM_EXIT, OPT_ConfirmExit},
    {IDC_OPTIONS_HIDE_TRAY, IDS_OPTION_HIDE_TRAY_ICON, OPT_HideBrisko},
    {IDC_OPTIONS_DETAILED, IDS_OPTION_DETAILED_LOOKUP, OPT_LumenFormat},
};

// A patrol-time button of an area this page watches.
struct PatrolButton {
    int control;
    int label;
    UINT labelText;
    AreaId area;
};

// The areas without a page of their own; the dialog's title is the area's.
constexpr PatrolButton kPatrolButtons[] = {
    // The restart-commands file has no title of its own: its label names it.
    {IDC_OPTIONS_PATROL_RESTART, IDC_OPTIONS_LABEL_RESTART, IDS_PATROL_RESTART_COMMANDS,
     AREA_WinInit},
    {IDC_OPTIONS_PATROL_HOME, IDC_OPTIONS_LABEL_HOME, IDS_PATROL_HOME_PAGES, AREA_StartPage},
    {IDC_OPTIONS_PATROL_HOSTS, IDC_OPTIONS_LABEL_HOSTS, IDS_PATROL_SYSTEM_FILES, AREA_HostFile},
};

OptionId PeriodOf(const PatrolButton &button)
{
    return static_cast<OptionId>(Area(button.area).period);
}

// The tool buttons along the bottom.
constexpr struct {
    int control;
    UINT text;
} kToolButtons[] = {
    {IDC_OPTIONS_VIEW_HISTORY, IDS_VIEW_HISTORY},   {IDC_OPTIONS_VIEW_HOSTS, IDS_VIEW_HOSTS_FILE},
    {IDC_OPTIONS_STANDING, IDS_HIDE_ALERTS_CAPTION}, {IDC_OPTIONS_LISTING, IDS_LISTING_REPORT},
    {IDC_OPTIONS_HIJACK_LOG, IDS_HIJACK_LOG},       {IDC_OPTIONS_SPREADSHEET, IDS_SPREADSHEET_REPORT},
    {IDC_OPTIONS_EXPORT, IDS_EXPORT_SETTINGS},      {IDC_OPTIONS_RESTORE_DELAYED, IDS_RESTORE_ALL_DELAYED},
};

void WriteSpreadsheetReportInProgramFolder()
{
    char folder[MAX_PATH];
    char path[MAX_PATH + 32];
    if (ProgramFolder(folder, sizeof folder) &&
        FormatBounded(path, sizeof path, "%s\\SentroviaLog.csv", folder))
        WriteSpreadsheetReport(path);
}

bool Checked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }

void Check(HWND page, int control, bool on)
{
    CheckDlgButton(page, control, on ? BST_CHECKED : BST_UNCHECKED);
}

int Notice(HWND page, UINT text, UINT type)
{
    char message[kTextLength];
    char caption[64];
    LoadText(text, message);
    ProgramCaption(caption, sizeof caption);
    return ShowMessage(page, message, caption, type | MB_TOPMOST);
}

// The look of a patrol-time button follows its area's period and real-time option.
void ShowPatrolLook(HWND page, const PatrolButton &button)
{
    const OptionId realtime = RealtimeOptionOf(PeriodOf(button));
    ShowPatrolButtonLook(GetDlgItem(page, button.control), Option(PeriodOf(button)),
                         realtime != kNoRealtime && Option(realtime) != 0);
}

void ShowSettings(HWND page)
{
    Check(page, IDC_OPTIONS_AUTOSTART, IsAutoStartOn() != 0);
    for (const OptionBox &box : kOptionBoxes)
        Check(page, box.control, Option(box.option) == 1);
    Check(page, IDC_OPTIONS_OLD_TRAY, Option(OPT_TrayIcon) == IDI_MONITOR_CLASSIC);
    for (const PatrolButton &button : kPatrolButtons)
        ShowPatrolLook(page, button);
}

BOOL OnInit(HWND page)
{
    SetItemText(page, IDC_OPTIONS_CAPTION, IDS_OPTIONS_PAGE_CAPTION);
    SetItemText(page, IDC_OPTIONS_INTRO, IDS_OPTIONS_PAGE_INTRO);
    SetItemText(page, IDC_OPTIONS_AUTOSTART, IDS_OPTION_AUTOSTART);
    SetItemText(page, IDC_OPTIONS_OLD_TRAY, IDS_OPTION_OLD_TRAY_ICON);
    SetItemText(page, IDC_OPTIONS_PATROL_FRAME, IDS_MONITOR);
    for (const OptionBox &box : kOptionBoxes)
        SetItemText(page, box.control, box.text);
    for (const PatrolButton &button : kPatrolButtons) {
        SetItemText(page, button.label, button.labelText);
        // The button shows a picture; its text is what a screen reader says.
        SetItemText(page, button.control, Area(button.area).patrolTitle);
    }
    for (const auto &tool : kToolButtons)
        SetItemText(page, tool.control, tool.text);
    ShowSettings(page);
    PlaceSheet(page);
    return TRUE;
}

// The Monitor hides or shows its icon at once when told; it would otherwise wait for a reload.
void TellMonitorTrayIcon(int hidden)
{
    char className[32];
    if (LoadText(IDS_CLASS_NAME, className) == 0)
        return;
    if (HWND monitor = FindWindowA(className, nullptr))
        PostMessageA(monitor, WM_COMMAND, IDM_MONITOR_TRAY_ICON, hidden);
}

void OnOptionBox(HWND page, const OptionBox &box)
{
    int value = Checked(page, box.control) ? 1 : 0;
    StoreOption(box.option, value);
    if (box.option == OPT_HideBrisko) {
        if (value)
            Notice(page, IDS_TRAY_ICON_HIDDEN, MB_OK | MB_ICONINFORMATION);
        TellMonitorTrayIcon(value);
    } else if (box.option == OPT_LumenFormat && value) {
        Notice(page, IDS_DETAILED_LOOKUP_NOTICE, MB_OK | MB_ICONEXCLAMATION);
    }
}

void OnPatrolButton(HWND page, const PatrolButton &button)
{
    int answer = ShowPatrolTimeDialog(page, Area(button.area).patrolTitle, Option(PeriodOf(button)),
                                      RealtimeOptionOf(PeriodOf(button)));
    StorePatrolTime(PeriodOf(button), answer);
    ShowPatrolLook(page, button);
}

// 1 when the command was the page's.
int OnCommand(HWND page, int control)
{
    for (const OptionBox &box : kOptionBoxes)
        if (control == box.control) {
            OnOptionBox(page, box);
            return 1;
        }
    for (const PatrolButton &button : kPatrolButtons)
        if (control == button.control) {
            OnPatrolButton(page, button);
            return 1;
        }
    switch (control) {
    case IDC_OPTIONS_AUTOSTART:
        SetAutoStart(Checked(page, IDC_OPTIONS_AUTOSTART));
        // The box shows what the registry holds now, also when the write failed.
        Check(page, IDC_OPTIONS_AUTOSTART, IsAutoStartOn() != 0);
        return 1;
    case IDC_OPTIONS_OLD_TRAY:
        StoreOption(OPT_TrayIcon, TrayIconFor(Checked(page, IDC_OPTIONS_OLD_TRAY)));
        return 1;
    case IDC_OPTIONS_LISTING:
        WriteListingReport();
        return 1;
    case IDC_OPTIONS_HIJACK_LOG:
        WriteScanReportInProgramFolder();
        return 1;
    case IDC_OPTIONS_SPREADSHEET:
        WriteSpreadsheetReportInProgramFolder();
        return 1;
    case IDC_OPTIONS_EXPORT:
        ExportSettings(page);
        return 1;
    case IDC_OPTIONS_RESTORE_DELAYED:
        RestoreAllDelayed();
        return 1;
    case IDC_OPTIONS_VIEW_HISTORY:
        ShowHistoryViewer(page);
        return 1;
    case IDC_OPTIONS_VIEW_HOSTS:
        ViewHostsFile();
        return 1;
    case IDC_OPTIONS_STANDING:
        // Saving writes Update as well, so the running Monitor takes the new answers.
        if (ShowStandingAnswerDialog(page) == IDOK)
            SaveOptions();
        return 1;
    default:
        return 0;
    }
}

BOOL OnNotify(HWND page, const NMHDR &header)
{
    switch (header.code) {
    case PSN_SETACTIVE:
        ShowSettings(page);
        ActivatePage(page, IDM_PAGE_OPTIONS);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_KILLACTIVE:
        DeactivatePage(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(page);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        return OnCommand(page, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY:
        return OnNotify(page, *reinterpret_cast<const NMHDR *>(lParam));
    case WM_DRAWITEM:
        return DrawImageButton(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)) ? TRUE : FALSE;
    case WM_CLOSE:
    case WM_DESTROY:
        ClosePage();
        return FALSE;
    default:
        return FALSE;
    }
}

int TrayIconFor(bool olderStyle) { return olderStyle ? IDI_MONITOR_CLASSIC : IDI_MONITOR; }

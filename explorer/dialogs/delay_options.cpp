#include "delay_options.h"

#include <commctrl.h>

#include <string>

#include "bounded.h"
#include "delayed.h"
#include "dialog_state.h"
#include "dialogs.h"
#include "ids.h"
#include "messages.h"
#include "page_host.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kMostMinutes = 60;

struct OptionsState {
    HKEY hive;
    std::string program;
};

BOOL OnInit(HWND dialog, const OptionsState &state)
{
    SetCaptionText(dialog, IDS_DELAY_OPTIONS_CAPTION);
    SetItemText(dialog, IDC_DELAY_TITLE_LABEL, IDS_DELAY_TITLE_LABEL);
    SetItemText(dialog, IDC_DELAY_PARAMETERS_LABEL, IDS_DELAY_PARAMETERS_LABEL);
    SetItemText(dialog, IDC_DELAY_TIME_LABEL, IDS_DELAY_TIME);
    SetItemText(dialog, IDC_DELAY_MINUTES_LABEL, IDS_MINUTES_SHORT);
    SetItemText(dialog, IDC_DELAY_SECONDS_LABEL, IDS_SECONDS_SHORT);
    SetItemText(dialog, IDC_DELAY_WINDOW_LABEL, IDS_DELAY_WINDOW_LABEL);
    DelayRegistration registration;
    ReadDelayRegistration(state.hive, state.program.c_str(), registration);
    SendDlgItemMessageA(dialog, IDC_DELAY_TITLE, EM_LIMITTEXT, kDelayTextWidth, 0);
    SendDlgItemMessageA(dialog, IDC_DELAY_PARAMETERS, EM_LIMITTEXT, kDelayTextWidth, 0);
    SetDlgItemTextA(dialog, IDC_DELAY_TITLE, registration.title.substr(0, kDelayTextWidth).c_str());
    SetDlgItemTextA(dialog, IDC_DELAY_PARAMETERS,
                    registration.parameters.substr(0, kDelayTextWidth).c_str());
    const DelayChoice choice = ChoiceOfDelay(registration.seconds);
    SendDlgItemMessageA(dialog, IDC_DELAY_MINUTES_SPIN, UDM_SETRANGE32, 0, kMostMinutes);
    SendDlgItemMessageA(dialog, IDC_DELAY_MINUTES_SPIN, UDM_SETPOS32, 0, choice.minutes);
    SetDlgItemInt(dialog, IDC_DELAY_MINUTES, static_cast<UINT>(choice.minutes), FALSE);
    for (int tens = 0; tens <= 5; ++tens)
        SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::to_string(tens * 10).c_str()));
    SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_SETCURSEL, choice.tens, 0);
    for (UINT state : {IDS_WINDOW_NORMAL, IDS_WINDOW_MINIMIZED, IDS_WINDOW_MAXIMIZED}) {
        char text[64];
        LoadText(state, text);
        SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_SETCURSEL, registration.windowState, 0);
    CentreOnScreen(dialog);
    return TRUE;
}

void OnOk(HWND dialog, const OptionsState &state)
{
    BOOL number = FALSE;
    int minutes = static_cast<int>(GetDlgItemInt(dialog, IDC_DELAY_MINUTES, &number, FALSE));
    if (!number || minutes > kMostMinutes)
        minutes = minutes > kMostMinutes ? kMostMinutes : 0;
    const int tens = static_cast<int>(SendDlgItemMessageA(dialog, IDC_DELAY_SECONDS, CB_GETCURSEL, 0, 0));
    const int window = static_cast<int>(SendDlgItemMessageA(dialog, IDC_DELAY_WINDOW, CB_GETCURSEL, 0, 0));
    char title[kDelayTextWidth + 1] = "";
    char parameters[kDelayTextWidth + 1] = "";
    GetDlgItemTextA(dialog, IDC_DELAY_TITLE, title, sizeof title);
    GetDlgItemTextA(dialog, IDC_DELAY_PARAMETERS, parameters, sizeof parameters);
    const int seconds = DelayOfChoice({minutes, tens < 0 ? 0 : tens});
    const int written = WriteDelayOptions(state.hive, state.program.c_str(), seconds,
                                          window < 0 ? 0 : window, parameters, title);
    EndDialog(dialog, written ? IDOK : IDCANCEL);
}

INT_PTR CALLBACK DelayOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *state = DialogState<OptionsState>(dialog, message, lParam);
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog, *state);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

DelayChoice ChoiceOfDelay(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    DelayChoice choice{seconds / 60, seconds % 60 / 10};
    if (choice.minutes > kMostMinutes)
        choice = {kMostMinutes, 0};
    return choice;
}

int DelayOfChoice(const DelayChoice &choice)
{
    const int minutes = choice.minutes < 0 ? 0 : choice.minutes > kMostMinutes ? kMostMinutes
                                                                                 : choice.minutes;
    const int tens = choice.tens < 0 ? 0 : choice.tens > 5 ? 5 : choice.tens;
    return minutes * 60 + tens * 10;
}

int ShowDelayOptionsDialog(HWND owner, HKEY hive, const char *program)
{
    OptionsState state{hive, program != nullptr ? program : ""};
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(IDD_DELAY_OPTIONS), owner,
                                            DelayOptionsProc, reinterpret_cast<LPARAM>(&state)));
}

// The delayed-program alert: a program held back from the start put itself back.
#include "alerts.h"
#include "bounded.h"
#include "ids.h"
#include "item_alert.h"
#include "strings.h"
#include "texts.h"

namespace {

void ShowMessage(HWND dialog, const AlertContext &)
{
    SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_DELAY_COMEBACK);
}

void Name(const AlertContext &, const char *productName, char *out, size_t capacity)
{
    CopyBounded(out, capacity, productName);
}

int Answer(int command, const AlertContext &) { return YesNoAnswer(command); }

constexpr ItemAlertForm kForm = {IDD_ALERT_DELAYED_PROGRAM, IDS_DELAY_COMEBACK_CAPTION,
                                 IDS_DISABLE, nullptr, Name, ShowMessage, Answer};

} // namespace

int ShowDelayedProgramAlert(const AlertContext &item) { return ShowItemAlert(kForm, item); }

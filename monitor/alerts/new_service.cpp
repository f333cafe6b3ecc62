// The new-service alert: a service installed since the Monitor last looked, with how it starts
// and whether it runs now.
#include "alerts.h"
#include "bounded.h"
#include "ids.h"
#include "item_alert.h"
#include "services.h"
#include "strings.h"
#include "texts.h"

namespace {

void Name(const AlertContext &item, const char *, char *out, size_t capacity)
{
    CopyBounded(out, capacity, item.itemTitle);
}

void ShowMessage(HWND dialog, const AlertContext &item)
{
    SetItemText(dialog, IDC_SERVICE_HEADING, IDS_NEW_SERVICE);
    SetAlertItemFont(dialog, IDC_SERVICE_HEADING, FONT_BoldSansSerif);
    char form[512], start[64], status[260], text[1024];
    LoadText(IDS_NEW_SERVICE_STATUS, form);
    LoadText(StartTypeTextId(GetServiceStartType(item.itemTitle)), start);
    GetServiceStatusText(item.itemTitle, status, sizeof status);
    FormatBounded(text, sizeof text, form, start, status);
    SetDlgItemTextA(dialog, IDC_SERVICE_STATUS, text);
}

int Answer(int command, const AlertContext &) { return NewServiceAnswer(command); }

constexpr ItemAlertForm kForm = {IDD_ALERT_SERVICE, IDS_ALERT_CAPTION, IDS_NO, nullptr, Name,
                                 ShowMessage, Answer};

} // namespace

int ShowNewServiceAlert(const AlertContext &item) { return ShowItemAlert(kForm, item); }

UINT StartTypeTextId(int start)
{
    switch (start) {
    case 2:
        return IDS_START_AUTOMATIC;
    case 3:
        return IDS_START_MANUAL;
    case 4:
        return IDS_START_DISABLED;
    default:
        return IDS_UNKNOWN;
    }
}

int NewServiceAnswer(int command)
{
    switch (command) {
    case IDYES:
        return ANSWER_Approve;
    // A service nobody allowed is not left running: Escape and the close box turn it down.
    case IDNO:
    case IDCANCEL:
        return ANSWER_Reject;
    default:
        return 0;
    }
}

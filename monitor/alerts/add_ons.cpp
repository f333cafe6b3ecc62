// The browser add-on alerts: a new helper (object, toolbar or extension) and a new ActiveX
// control. Both name the item by its title and record the asking under the helpers' kind.
#include "alerts.h"
#include "bounded.h"
#include "historyline.h"
#include "ids.h"
#include "item_alert.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr int kHelperRecordKind = 900;

void Name(const AlertContext &item, const char *, char *out, size_t capacity)
{
    CopyBounded(out, capacity, item.itemTitle);
}

void HelperMessage(HWND dialog, const AlertContext &)
{
    SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_NEW_IE_HELPER);
}

void ActiveXMessage(HWND dialog, const AlertContext &)
{
    SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_NEW_ACTIVEX);
}

int Answer(int command, const AlertContext &) { return YesNoAnswer(command); }

constexpr ItemAlertForm kHelperForm = {
    IDD_ALERT_IE_HELPER, IDS_ALERT_CAPTION, IDS_NO, nullptr, Name, HelperMessage, Answer,
    kActionHelperAlert, true, kHelperRecordKind, IDS_VERSION_COLON};
constexpr ItemAlertForm kActiveXForm = {
    IDD_ALERT_ACTIVEX, IDS_ALERT_CAPTION, IDS_NO, nullptr, Name, ActiveXMessage, Answer,
    kActionHelperAlert, true, kHelperRecordKind, IDS_VERSION_COLON};

} // namespace

int ShowIEHelperAlert(const AlertContext &item) { return ShowItemAlert(kHelperForm, item); }
int ShowActiveXAlert(const AlertContext &item) { return ShowItemAlert(kActiveXForm, item); }

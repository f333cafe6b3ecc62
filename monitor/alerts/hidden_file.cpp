// The hidden-file alert: a file with the hidden attribute that the user has not seen yet in one
// of the watched folders. Only its Delete button deletes; Escape and the close box keep the
// file, as OK does, since a file deleted by a slip of the key would be the user's loss.
#include "alerts.h"
#include "bounded.h"
#include "hidden.h"
#include "historyline.h"
#include "ids.h"
#include "item_alert.h"
#include "strings.h"
#include "texts.h"

namespace {

void Name(const AlertContext &item, const char *, char *out, size_t capacity)
{
    CopyBounded(out, capacity, item.itemTitle);
}

void Message(HWND dialog, const AlertContext &)
{
    SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_NEW_HIDDEN_FILE);
}

int Answer(int command, const AlertContext &) { return HiddenFileAnswer(command); }

constexpr ItemAlertForm kForm = {
    IDD_ALERT_HIDDEN_FILE, IDS_HIDDEN_ALERT_TITLE, IDS_DELETE, nullptr, Name, Message, Answer,
    kActionHiddenAlert, false, kHiddenKind, IDS_VERSION_COLON};

} // namespace

int HiddenFileAnswer(int command)
{
    switch (command) {
    case IDOK:
    case IDCANCEL:
        return ANSWER_Approve;
    case IDNO:
        return ANSWER_Reject;
    default:
        return 0;
    }
}

int ShowHiddenFileAlert(const AlertContext &item) { return ShowItemAlert(kForm, item); }

// The new-task alert: a task added to the Windows Task Scheduler since the Monitor last looked.
#include "alerts.h"
#include "bounded.h"
#include "historyline.h"
#include "ids.h"
#include "item_alert.h"
#include "strings.h"
#include "tasks.h"
#include "text.h"
#include "texts.h"

namespace {

// The task by its name, without the job file's extension; the program's name when that leaves
// nothing to show.
void Name(const AlertContext &item, const char *productName, char *out, size_t capacity)
{
    if (TaskShownName(item.itemTitle, out, capacity) == 0 || EqualsNoCase(out, ".job"))
        CopyBounded(out, capacity, productName != nullptr ? productName : "");
}

void Message(HWND dialog, const AlertContext &)
{
    SetItemText(dialog, IDC_ALERT_MESSAGE, IDS_NEW_SCHEDULED_TASK);
}

int Answer(int command, const AlertContext &) { return YesNoAnswer(command); }

constexpr ItemAlertForm kForm = {
    IDD_ALERT_TASK, IDS_ALERT_CAPTION, IDS_NO, nullptr, Name, Message, Answer,
    kActionTaskAlert, true, kTaskKind, IDS_VERSION_COLON};

} // namespace

int ShowNewTaskAlert(const AlertContext &item) { return ShowItemAlert(kForm, item); }

#include "ask.h"

#include "bounded.h"
#include "monitor.h"
#include "options.h"

int StandingAnswer(AreaId area)
{
    const int option = Area(area).standingAnswer;
    const int standing = option == OPT_None ? 0 : Option(static_cast<OptionId>(option));
    return standing == 0 ? 0 : standing == 1 ? IDYES : IDNO;
}

int Ask(const Question &question)
{
    MonitorState &state = Monitor();
    // Leaving during a run of alerts: the rest are neither shown nor answered.
    if (state.exiting)
        return 0;
    state.alertOpen = 1;
    int answer = StandingAnswer(question.area);
    if (answer == 0) {
        if (question.sound)
            PlayEventSound(Area(question.area).sound);
        answer = question.show(*question.item);
    }
    if (question.apply != nullptr)
        question.apply(answer, question.context);
    state.alertOpen = 0;
    return answer;
}

void NoteAlertInTray(AreaId area)
{
    const AreaRow &row = Area(area);
    if (row.alertTip != 0)
        SetTrayIcon(TRAY_Modify, row.alertIcon, row.alertTip);
}

AlertContext ItemAlertOf(const char *path, const char *title, int kindCode)
{
    AlertContext alert{};
    CopyBounded(alert.itemPath, path);
    CopyBounded(alert.itemTitle, title);
    alert.kindCode = kindCode;
    return alert;
}

// The system-file check: each watched file's date and size against the approved ones. The alert
// itself takes the file or puts its saved copy back.
#include "ask.h"
#include "bounded.h"
#include "checks.h"
#include "monitor.h"
#include "sysfiles.h"

namespace {

// The alert has done what the user chose; a standing answer leaves the file as it is, to be
// found again on the next look.
void Apply(int, const void *) {}

void CheckOne(const char *name, const char *location, void *)
{
    if (Monitor().exiting || !SystemFileChanged(name, location))
        return;
    NoteAlertInTray(AREA_HostFile);
    AlertContext alert = ItemAlertOf(location, name, 0);
    CopyBounded(alert.location, location);
    Ask({AREA_HostFile, &alert, ShowSystemFileAlert, false, Apply, nullptr});
}

} // namespace

void CheckSystemFiles() { ForEachSystemFile(CheckOne, nullptr); }

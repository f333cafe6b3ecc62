// The verify cycle: each call checks one half of the watched areas, each area on its own period.
#pragma once
#include "area.h"

// 1 after a full pass or when skipped (an alert is open or a pass runs); 0 when it left early
// because the last pass began less than a second ago.
int Verify();
// Run on the realtime signal: when the number of processes changed, brings the realtime areas
// forward to the next tick. Answers the number of processes.
int CheckProcessChange();
// Run on a place signal: when the area's realtime option (where it has one) is set and its period
// is above 0, its half is checked on the next tick with the area due; false when it is not.
bool BringPlaceForward(AreaId area);
// Starts the delayed-start programs that are due after the given seconds.
void LaunchDelayedPrograms(int seconds);
// Reloads the options; the next pass checks the first half.
void ReloadOptions();
// The same, only when another program changed options (Update set), which it then clears.
void ReloadChangedMonitorOptions();
// Back to the state of a fresh start (the first half next, counters at zero).
void ResetVerifyState();

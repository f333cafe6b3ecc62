// The verify cycle and the check the realtime signal runs.
#pragma once

void Verify();
void CheckProcessChange();
// Starts the delayed-start programs that are due after the given seconds.
void LaunchDelayedPrograms(int seconds);

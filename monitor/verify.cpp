// The verify cycle. The watched areas' checks join it as each area is built; until then a
// cycle compares nothing and the realtime check finds nothing to bring forward.
#include "verify.h"

void Verify() {}

void CheckProcessChange() {}

void LaunchDelayedPrograms(int) {}

// The file-type area. Options another program changed are taken in at its turn on every call
// of the first half, so a changed standing answer reaches the Monitor within a minute or two.
#include "checks.h"
#include "verify.h"

void TakeChangedOptions() { ReloadChangedMonitorOptions(); }

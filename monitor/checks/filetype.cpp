// The file-type check. Options another program changed are taken in before it.
#include "checks.h"
#include "verify.h"

void CheckFileTypes() { ReloadChangedMonitorOptions(); }

#include "delay.h"

#include "bounded.h"
#include "keys.h"
#include "registry.h"

namespace {

const char *const kDelayKeys[] = {"Delay",          "Delay\\Time",   "Delay\\Parameters",
                                  "Delay\\Shortcuts", "Delay\\Applet", "Delay\\Title",
                                  "Delay\\OpenAs",    "Delay\\Command"};

} // namespace

HKEY DelayHiveFor(int code) { return code < 11 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

void RemoveDelayRegistration(HKEY hive, const char *programPath)
{
    if (programPath == nullptr || programPath[0] == '\0')
        return;
    for (const char *name : kDelayKeys) {
        char key[96];
        FormatBounded(key, sizeof key, "%s\\%s", kProductKey, name);
        DeleteRegValue(hive, key, programPath);
    }
}

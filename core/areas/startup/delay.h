// The delay registrations: programs moved out of the startup locations to be started by the
// Monitor a while after logon. Each is a set of values under the product key, all named by the
// program's path, in HKEY_LOCAL_MACHINE for every user's programs and HKEY_CURRENT_USER otherwise.
#pragma once
#include <windows.h>

// The hive that keeps a registration for an entry of the given location code.
HKEY DelayHiveFor(int code);

// Deletes the program's values from every key of the family; the others stay.
void RemoveDelayRegistration(HKEY hive, const char *programPath);

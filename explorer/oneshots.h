// Command-line jobs that write machine-wide settings and end without a window.
#pragma once
#include "sheet.h"

// Runs the job a switch asks for; true when one ran (the Explorer then ends).
bool RunOneShots(const Switches &switches);

// -Restore: texts and window places back to the shipped ones (only where overrides apply: a
// table in any language but English), and the program's own verb gone from program files.
void RestoreShippedSettings();

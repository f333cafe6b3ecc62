// Command-line jobs that write machine-wide settings and end without a window.
#pragma once
#include "sheet.h"

// Runs the job a switch asks for; true when one ran (the Explorer then ends).
bool RunOneShots(const Switches &switches);

// The trace log: an ini file in the program folder, written only when the Debug option is set.
#pragma once

// Starts the line count: on with Debug set, else every line is suppressed. Tests may start the
// count further on.
void StartTrace(bool enabled, int firstLine = 0);
// One line "<time> <area>: <text>" under a key of tick count and line number.
void Trace(const char *area, const char *text);
// The milliseconds since the last traced line, halved, against that line's text.
void TraceTiming();
// The Monitor marks the start of a verify cycle: the next timing line reads 1.
void MarkVerifyStart();

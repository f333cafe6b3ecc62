// The scan log: one plain-text file that lists, a line each, everything on the machine that can
// start a program or change the browser's behaviour.
#pragma once
#include <string>

// The whole report's text.
std::string ScanReportText();
// Writes the report to path (whole or not at all) and opens it; 1, also when it could not be
// written (see OpenWrittenReport).
int WriteScanReport(const char *path);
// The report under its own name in the program folder, as the Options page and a program file
// named for it write it.
int WriteScanReportInProgramFolder();
// Whether the running program's file name asks for the report at start ("hijack" in any case).
bool AskedForScanReport();

// The spreadsheet report: every auto-start entry, delayed program, running task, IE helper,
// ActiveX control, toolbar, service and scheduled task as one comma-separated file.
#pragma once
#include <string>

// Writes the file (whole or not at all) and has the shell open the path, also when the file
// could not be written. Answers 1.
int WriteSpreadsheetReport(const char *path);

// A field as it stands in the file: in double quotes, inner quotes doubled, when it holds a
// comma, a double quote or a line break; otherwise unchanged.
std::string CsvField(const std::string &text);

// The SubType column of a Run-key location code ("Run", "RunOnce", ...) and its Type column
// ("HKLM", "HKCU", "HKU"); "UnknownKey" and "Run" for codes of no such key.
const char *RunKeyType(int code);
const char *RunKeySubType(int code);

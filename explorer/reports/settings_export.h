// The programs' whole configuration saved as a registry file, which the registry editor imports
// again with a double click.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "report_file.h"

// The file is written as the registry editor writes files with the "Version 5.00" header:
// UTF-16LE after a byte-order mark. Only in that form do the editors of Windows and Wine read
// the texts inside hex(2) and hex(7) values alike.

// The byte-order mark, the header line and the empty line after it.
void BeginRegistryFile(ReportFile &file);
// Program text (in the ANSI code page) written into the file in the file's encoding.
void WriteRegistryText(ReportFile &file, const std::string &text);

// The key's header line "[<root name>\<path>]" and one line per value, then for each direct
// subkey (in enumeration order) an empty line, its header line and its values; deeper keys are
// left out. Values are written so that importing the file puts back the same types and bytes.
// The number of subkeys written; -1 when the key can't be opened (its header line is written
// all the same).
int ExportKey(ReportFile &file, HKEY root, const char *path);

// The value line for a value as it stands in the registry (name "" for the default value),
// ended by CR LF, in program text: long hex data continued over lines as the editor writes it.
std::string RegistryValueLine(const char *name, DWORD type, const BYTE *data, size_t size);

// <program folder>\<user name>-Sentrovia.reg; 0 with an empty buffer when it doesn't fit.
int SettingsExportPath(char *buffer, size_t capacity);

// Saves the product's keys of the user and of the machine in that file (replacing an older one)
// and tells the user where. 0, telling nothing, when the file could not be written.
int ExportSettings(HWND owner);

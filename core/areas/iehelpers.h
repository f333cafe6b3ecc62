// Browser helper objects, toolbars and extensions, and the ActiveX controls the browser has used.
#pragma once
#include <cstddef>

constexpr int kBhoKind = 900, kToolbarKind = 901, kExtensionKind = 902, kActiveXKind = 1200;

// Empties the list and lists the helper objects, the toolbars and the extensions, in that order:
// title, file, class identifier (an extension's subkey name), ProductVersion (an extension's
// icon). The number added.
int EnumIEHelpers();
// Removes the registration of the listed helper at index when its path is path: recorded in the
// history first (with a copy kept in the vault for the restore), and refused, telling the user
// why, when the record cannot be written. Then "regsvr32 /u /s" for the file. The number of
// registrations removed (0 or 1).
int RemoveIEHelper(const char *path, int index);
// The same for a helper named by its kind, class identifier (or extension subkey) and path, found
// in a fresh listing; the list is left empty. 0 when it is not listed or was not removed.
int RemoveListedHelper(int kind, const char *detail, const char *path);

// The controls under the user's Ext\Stats that the browser loaded (Type 0 or 1): description,
// clean path, class identifier, ProductVersion, compatibility flags as the extra number. keep 0
// empties the list first. The list's length.
int EnumActiveX(int keep);
// The same without the Type rule, then every control with an ActiveX Compatibility key (through
// its AlternateCLSID when it has one). The list's length.
int EnumActiveXAll();
// The low 16 bits of the control's "Compatibility Flags"; 0 when missing or not a REG_DWORD.
int GetActiveXFlags(const char *classId);
// 1 when the kill bit (0x400) is clear.
int IsKillBitClear(const char *classId);
// Set or clear the kill bit, keeping every other flag; the key is made when missing. 1 when
// written.
int SetKillBit(const char *classId);
int ClearKillBit(const char *classId);

// The name a helper is approved under: its title, or its class identifier when it has no title
// (a toolbar whose class names no file), which the snapshot could not hold.
const char *HelperApprovalName(const char *title, const char *detail);

// Row hooks. Approves every helper found now, by title.
void TakeIEHelpersBaseline();
// Approves every control of the restricted listing by class identifier, unless the snapshot's
// "P" marker says it was taken already.
void TakeActiveXBaseline();
// Fill the list with what the detected register dates when it is made; the count.
int ListIEHelpersForDating();
int ListActiveXForDating();

// "regsvr32 /s <file>" or, to unregister, "regsvr32 /u /s <file>"; a file with blanks is quoted.
// 0 when it does not fit or the file is empty.
int HelperCommand(const char *path, bool unregister, char *command, size_t capacity);
// "regsvr32 /s" with the helper's file, in a window of its own; 1 when it was started.
int RegisterHelperAgain(const char *path);

// HKEY_CLASSES_ROOT\CLSID\{classId}: its description and in-process server, each empty when
// missing (the identifier may be written without braces). 1 when the server is named.
int LookUpClassFacts(const char *classId, char *description, size_t descriptionCapacity,
                     char *server, size_t serverCapacity);

// The HKEY_LOCAL_MACHINE key that registers helpers of a kind code (900-902); "" for others.
const char *HelperKeyOfKind(int kindCode);

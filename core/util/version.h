// Version information of program files.
#pragma once
#include <cstddef>

enum VersionSlot : int {
    VS_ProductName, VS_ProductVersion, VS_CompanyName, VS_FileDescription, VS_LegalCopyright,
    VS_SlotCount
};

// The five texts of a file's version resource, in slot order.
struct VersionRecord {
    char slot[VS_SlotCount][1024];
};

// Fills the record (every slot emptied first); 1 when ProductName is not empty.
int ReadVersionInfo(const char *file, VersionRecord *record);

// ProductVersion of Sentrovia.exe in the program folder, ":" and that of SentroviaEx.exe (left
// out when that file is missing). A running program whose file name contains "hijack" puts its
// own ProductVersion second instead, without the ":" when the first part is empty. Answers 1,
// or 0 when the text was cut to fit.
int ProgramVersionText(char *out, size_t capacity);
// The same with the running program's file given (tests name a renamed copy).
int ProgramVersionTextFor(const char *ownFile, char *out, size_t capacity);

// Version of comctl32.dll as major * 65536 + minor; 0 when it has no DllGetVersion.
unsigned int CommonControlsVersion();
// The same for any library, loaded only for the question.
unsigned int DllPackedVersion(const char *library);

// Looks up HKLM ...\App Paths\<fileName>: when its default value names an existing file, answers
// 1 with that file's ProductVersion and the key's Path value; otherwise 0 and both texts empty.
int AppPathsLookup(const char *fileName, char *productVersion, size_t versionCapacity,
                   char *path, size_t pathCapacity);

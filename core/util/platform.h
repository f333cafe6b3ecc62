// The facts about the machine that the programs read: folders, platform and clock. Each is read
// through one function here so tests can point it elsewhere.
#pragma once
#include <windows.h>

enum class ProgramKind { Monitor, Explorer };
void SetProgramKind(ProgramKind kind);
ProgramKind CurrentProgram();

// Each answers 1 with the folder (no trailing backslash) or 0 with an empty buffer.
int WindowsFolder(char *buffer, size_t capacity);
int SystemFolder(char *buffer, size_t capacity);
int TempFolder(char *buffer, size_t capacity);
// The root of the drive the hidden-file watch starts from, "C:" (no backslash, as above).
int RootFolder(char *buffer, size_t capacity);
// Folder of the running program's file; empty when longer than 260 characters.
int ProgramFolder(char *buffer, size_t capacity);

int PlatformId();   // VER_PLATFORM_WIN32_WINDOWS (1) or VER_PLATFORM_WIN32_NT (2)
inline bool IsNtFamily() { return PlatformId() == VER_PLATFORM_WIN32_NT; }
int MajorVersion();
int MinorVersion();
void CurrentLocalTime(SYSTEMTIME *now);
// Milliseconds since the system started (wraps after 49.7 days: compare differences).
DWORD TickCount();

// What the system tells of its version (the extended answer when it gives one).
struct PlatformFacts {
    int platformId = 0;  // VER_PLATFORM_WIN32s (0), _WINDOWS (1) or _NT (2)
    int major = 0, minor = 0, build = 0;
    char servicePack[128] = "";  // the service-pack text
    bool extended = false;       // the fields below come from the extended answer
    int servicePackMajor = 0;
    int productType = 0;  // VER_NT_WORKSTATION, _DOMAIN_CONTROLLER or _SERVER
    int suiteMask = 0;
    bool tabletPc = false;
    char productOptions[32] = "";  // ProductType of the ProductOptions key
    bool hotfixQ246009 = false;    // the Service Pack 6a hot fix is installed
};
// 1 with the facts; 0 when the system version can't be read.
int ReadPlatformFacts(PlatformFacts *facts);

// Test seam: any field left null (or -1) keeps the real answer.
struct PlatformOverride {
    const char *windowsFolder = nullptr;
    const char *systemFolder = nullptr;
    const char *tempFolder = nullptr;
    const char *rootFolder = nullptr;
    const char *programFolder = nullptr;
    int platformId = -1;
    int majorVersion = -1;
    int minorVersion = -1;
    const SYSTEMTIME *localTime = nullptr;
    const DWORD *tickCount = nullptr;
    const PlatformFacts *facts = nullptr;
};
// The record must outlive its use; pass nullptr to go back to the real machine.
void SetPlatformOverride(const PlatformOverride *override);

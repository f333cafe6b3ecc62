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
};
// The record must outlive its use; pass nullptr to go back to the real machine.
void SetPlatformOverride(const PlatformOverride *override);

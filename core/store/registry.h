// Registry primitives. Each opens and closes its own handle and never reports to the user:
// failures answer 0 and hand their texts to the debug hook.
#pragma once
#include <windows.h>

#include "owned.h"

int CreateRegKey(HKEY root, const char *path);
// Length of the text read (at most 1024 bytes, REG_EXPAND_SZ expanded); 0 and an empty buffer when
// the key or value is missing, is not a string, or does not fit the buffer.
int ReadRegString(HKEY root, const char *path, const char *name, char *buffer, size_t capacity);
// Low 16 bits of a REG_DWORD as a signed number; 0 when missing.
int ReadRegNumber(HKEY root, const char *path, const char *name);
int WriteRegString(HKEY root, const char *path, const char *name, const char *text);
int WriteRegNumber(HKEY root, const char *path, const char *name, DWORD number);
// 1 when the value exists, whatever its type.
int RegValueExists(HKEY root, const char *path, const char *name);
int DeleteRegValue(HKEY root, const char *path, const char *name);
// Deletes the key with everything below it; 1 also when it is already gone.
int DeleteRegTree(HKEY root, const char *path);

// Receives failure texts (a label and a detail). The product's hook records nothing; tests may
// install their own to watch which failure was met.
using DebugHookFn = void (*)(const char *label, const char *detail);
void DebugHook(const char *label, const char *detail);
DebugHookFn SetDebugHook(DebugHookFn hook);

// Owns an open registry key.
class RegKey : public Owned<HKEY, &RegCloseKey> {
public:
    using Owned::Owned;
    // Opens root\path; false (and no key held) on failure.
    bool Open(HKEY root, const char *path, REGSAM access);
    void Close() { Reset(); }
};

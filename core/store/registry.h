// Registry primitives. Each opens and closes its own handle and never reports to the user:
// failures answer 0 and hand their texts to the debug hook.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "owned.h"

int CreateRegKey(HKEY root, const char *path);
// Length of the text read (at most 1024 bytes, REG_EXPAND_SZ expanded); 0 and an empty buffer when
// the key or value is missing, is not a string, or does not fit the buffer.
int ReadRegString(HKEY root, const char *path, const char *name, char *buffer, size_t capacity);
// Low 16 bits of a REG_DWORD as a signed number; 0 when missing.
int ReadRegNumber(HKEY root, const char *path, const char *name);
// A string value whole, however long (up to 1 MB), REG_EXPAND_SZ expanded; "" when the key or
// value is missing or not a string. For values a hijacker may make longer than any buffer.
std::string ReadRegWholeString(HKEY root, const char *path, const char *name);
// A value's type and bytes as stored, whatever its type and size; false when it can't be read.
bool ReadRegRaw(HKEY key, const char *name, DWORD *type, std::string &data);
// The same, also taking the first string of a REG_MULTI_SZ value.
std::string ReadRegFirstString(HKEY root, const char *path, const char *name);
int WriteRegString(HKEY root, const char *path, const char *name, const char *text);
int WriteRegNumber(HKEY root, const char *path, const char *name, DWORD number);
// A text value of the given type (REG_SZ or REG_EXPAND_SZ), creating the key when missing.
int WriteRegText(HKEY root, const char *path, const char *name, const char *text, DWORD type);
// A value of any type exactly as the bytes give it, creating the key when missing.
int WriteRegData(HKEY root, const char *path, const char *name, DWORD type, const void *data,
                 DWORD size);
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

// How many writes this process has made through the functions above: a table read before a
// write reads its key again.
unsigned RegistryWrites();

// Every value of one key, read in one enumeration when first asked, answering exactly as the
// single reads above would (names matched as the registry matches them): a walk or a pass asks
// it about thousands of items for the cost of one read. It reads the key again when this process
// has written to the registry since, or when told to.
class RegValueTable {
public:
    RegValueTable(HKEY root, const char *path);
    // As ReadRegString of the value.
    int ReadString(const char *name, char *buffer, size_t capacity);
    // As RegValueExists of the value.
    int Exists(const char *name);
    void Reload();
    bool HasPath() const { return !path_.empty(); }

private:
    struct Row {
        std::string key;  // the name as matched
        DWORD type = REG_NONE;
        std::string data;  // at most the 1024 bytes a single read takes
        bool readable = true;
    };
    // The row of the name; *known is false when only the registry can tell.
    const Row *Find(const char *name, bool *known);

    HKEY root_;
    std::string path_;
    std::vector<Row> rows_;
    bool plainOnly_ = true;
    bool loaded_ = false;
    unsigned writes_ = 0;
};

// Counts read once, so a key that grows during a walk can't keep it going; 0 when unreadable.
DWORD SubkeyCount(HKEY key);
DWORD ValueCount(HKEY key);

enum class RegNames { Subkeys, Values };
// Calls visit(name) for every subkey or value name of root\path; a name longer than 255
// characters is passed over, and visit answering false ends the walk. False when the key can't
// be opened.
template <typename Visit> bool ForEachRegName(HKEY root, const char *path, RegNames names, Visit visit)
{
    RegKey key;
    if (!key.Open(root, path, KEY_READ))
        return false;
    const bool subkeys = names == RegNames::Subkeys;
    const DWORD count = subkeys ? SubkeyCount(key.get()) : ValueCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[256];
        DWORD length = sizeof name;
        LONG result = subkeys ? RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr,
                                              nullptr, nullptr)
                              : RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr,
                                              nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && !visit(static_cast<const char *>(name)))
            break;
    }
    return true;
}

#include "registry.h"

#include <cstdint>
#include <cstring>

#include "bounded.h"

namespace {

// Widest value any caller reads; one spare byte so an unterminated REG_SZ still ends.
constexpr DWORD kReadLimit = 1024;
// Private copy of a path while a tree is deleted.
constexpr size_t kTreePath = 520;

void SilentHook(const char *, const char *) {}
DebugHookFn g_hook = SilentHook;

void ClearBuffer(char *buffer, size_t capacity)
{
    if (buffer != nullptr && capacity > 0)
        buffer[0] = '\0';
}

// Opens for writing, creating the key when it cannot be opened.
bool OpenForWrite(RegKey &key, HKEY root, const char *path, REGSAM access)
{
    if (key.Open(root, path, access))
        return true;
    return CreateRegKey(root, path) && key.Open(root, path, access);
}

} // namespace

bool RegKey::Open(HKEY root, const char *path, REGSAM access)
{
    // Opened into a local: a failed open may leave anything in the place it was given.
    HKEY opened = nullptr;
    bool ok = RegOpenKeyExA(root, path ? path : "", 0, access, &opened) == ERROR_SUCCESS;
    Reset(ok ? opened : nullptr);
    return ok;
}

void DebugHook(const char *label, const char *detail)
{
    g_hook(label ? label : "", detail ? detail : "");
}

DebugHookFn SetDebugHook(DebugHookFn hook)
{
    DebugHookFn previous = g_hook;
    g_hook = hook ? hook : SilentHook;
    return previous;
}

int CreateRegKey(HKEY root, const char *path)
{
    RegKey key;
    if (RegCreateKeyExA(root, path ? path : "", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        DebugHook("ERROR RegCreateKey", path);
        return 0;
    }
    return 1;
}

int ReadRegString(HKEY root, const char *path, const char *name, char *buffer, size_t capacity)
{
    ClearBuffer(buffer, capacity);
    char text[kReadLimit + 1];
    DWORD type = 0;
    DWORD size = kReadLimit;
    {
        RegKey key;
        if (!key.Open(root, path, KEY_READ))
            return 0;
        if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(text),
                             &size) != ERROR_SUCCESS)
            return 0;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    text[size < kReadLimit ? size : kReadLimit] = '\0';

    if (type == REG_EXPAND_SZ) {
        char raw[kReadLimit + 1];
        CopyBounded(raw, text);
        // The count includes the terminator: more than 1024 means 1024 or more characters.
        DWORD needed = ExpandEnvironmentStringsA(raw, text, kReadLimit);
        if (needed == 0 || needed > kReadLimit) {
            DebugHook("Registry Error #1023: String can not be expanded", raw);
            CopyBounded(text, raw);
        }
    }

    size_t length = strlen(text);
    if (buffer == nullptr || length >= capacity) {
        DebugHook("Registry Error #1024: Buffer overflow contained", text);
        return 0;
    }
    memcpy(buffer, text, length + 1);
    return static_cast<int>(length);
}

int ReadRegNumber(HKEY root, const char *path, const char *name)
{
    RegKey key;
    if (!key.Open(root, path, KEY_READ))
        return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return static_cast<int16_t>(value & 0xFFFF);
}

int WriteRegString(HKEY root, const char *path, const char *name, const char *text)
{
    if (text == nullptr)
        text = "";
    RegKey key;
    if (!OpenForWrite(key, root, path, KEY_ALL_ACCESS))
        return 0;
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

int WriteRegNumber(HKEY root, const char *path, const char *name, DWORD number)
{
    RegKey key;
    if (!OpenForWrite(key, root, path, KEY_WRITE))
        return 0;
    return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number),
                          sizeof number) == ERROR_SUCCESS;
}

int RegValueExists(HKEY root, const char *path, const char *name)
{
    RegKey key;
    return key.Open(root, path, KEY_QUERY_VALUE) &&
           RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

int DeleteRegValue(HKEY root, const char *path, const char *name)
{
    RegKey key;
    if (!key.Open(root, path, KEY_SET_VALUE))
        return 0;
    if (RegDeleteValueA(key.get(), name) != ERROR_SUCCESS) {
        DebugHook("ERROR RegDeleteValue", name);
        return 0;
    }
    return 1;
}

int DeleteRegTree(HKEY root, const char *path)
{
    // An empty path would name the hive itself.
    if (path == nullptr || path[0] == '\0')
        return 0;
    if (RegDeleteKeyA(root, path) == ERROR_SUCCESS)
        return 1;

    RegKey key;
    LONG opened = RegOpenKeyExA(root, path, 0, KEY_READ, key.put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return 1;
    if (opened != ERROR_SUCCESS)
        return 0;

    char prefix[kTreePath];
    if (!CopyBounded(prefix, path))
        return 0;
    size_t length = strlen(prefix);
    if (prefix[length - 1] != '\\' && !AppendBounded(prefix, "\\"))
        return 0;

    // Always take subkey 0: each deletion moves the next one into its place.
    for (;;) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key.get(), 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        char child[kTreePath];
        CopyBounded(child, prefix);
        if (!AppendBounded(child, name) || !DeleteRegTree(root, child))
            return 0;
    }
    key.Close();
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

#include "registry.h"

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <utility>

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

namespace {

unsigned g_writes = 0;

// The text of a value's data as ReadRegString answers it: size bytes of type at data, of which
// data holds at least min(size, kReadLimit) and one byte more for a terminator.
int TextOfData(DWORD type, char *data, DWORD size, char *buffer, size_t capacity)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    char *text = data;
    text[size < kReadLimit ? size : kReadLimit] = '\0';

    char expanded[kReadLimit + 1];
    if (type == REG_EXPAND_SZ) {
        // The count includes the terminator: more than 1024 means 1024 or more characters.
        DWORD needed = ExpandEnvironmentStringsA(text, expanded, kReadLimit);
        if (needed == 0 || needed > kReadLimit)
            DebugHook("Registry Error #1023: String can not be expanded", text);
        else
            text = expanded;
    }

    size_t length = strlen(text);
    if (buffer == nullptr || length >= capacity) {
        DebugHook("Registry Error #1024: Buffer overflow contained", text);
        return 0;
    }
    memcpy(buffer, text, length + 1);
    return static_cast<int>(length);
}

} // namespace

int ReadRegString(HKEY root, const char *path, const char *name, char *buffer, size_t capacity)
{
    ClearBuffer(buffer, capacity);
    char text[kReadLimit + 1];
    DWORD type = 0;
    DWORD size = kReadLimit;
    RegKey key;
    if (!key.Open(root, path, KEY_READ) ||
        RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(text), &size) !=
            ERROR_SUCCESS)
        return 0;
    key.Close();
    return TextOfData(type, text, size, buffer, capacity);
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
    ++g_writes;
    if (text == nullptr)
        text = "";
    RegKey key;
    if (!OpenForWrite(key, root, path, KEY_ALL_ACCESS))
        return 0;
    return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

int WriteRegData(HKEY root, const char *path, const char *name, DWORD type, const void *data,
                 DWORD size)
{
    ++g_writes;
    RegKey key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return 0;
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE *>(data), size) ==
           ERROR_SUCCESS;
}

int WriteRegText(HKEY root, const char *path, const char *name, const char *text, DWORD type)
{
    return WriteRegData(root, path, name, type, text, static_cast<DWORD>(strlen(text) + 1));
}

int WriteRegNumber(HKEY root, const char *path, const char *name, DWORD number)
{
    ++g_writes;
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
    ++g_writes;
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
    ++g_writes;
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

unsigned RegistryWrites() { return g_writes; }

namespace {

// Value names as the registry matches them: ASCII letters without case. A name that holds any
// other letter (or a "?", which an ANSI name shows for a letter it has no code for) is matched by
// the registry itself.
bool PlainName(const char *name)
{
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(name); *c != 0; ++c)
        if (*c >= 0x80 || *c == '?')
            return false;
    return true;
}

std::string NameKey(const char *name)
{
    std::string key = name;
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

} // namespace

RegValueTable::RegValueTable(HKEY root, const char *path) : root_(root), path_(path ? path : "") {}

void RegValueTable::Reload()
{
    rows_.clear();
    plainOnly_ = true;
    RegKey key;
    if (key.Open(root_, path_.c_str(), KEY_READ)) {
        DWORD nameWidth = 0;
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameWidth, nullptr, nullptr, nullptr);
        // The width counts characters; an ANSI name may take two bytes for one.
        std::vector<char> name(2 * nameWidth + 2 > 256 ? 2 * nameWidth + 2 : 256);
        char data[kReadLimit + 1];
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD type = 0;
            DWORD size = kReadLimit;
            LONG result = RegEnumValueA(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                        reinterpret_cast<BYTE *>(data), &size);
            Row row;
            if (result == ERROR_MORE_DATA) {
                // Data too long to read as text (or a name written since the width was asked):
                // the value is there, and answers no text.
                nameLength = static_cast<DWORD>(name.size());
                if (RegEnumValueA(key.get(), index, name.data(), &nameLength, nullptr, nullptr,
                                  nullptr, nullptr) != ERROR_SUCCESS) {
                    plainOnly_ = false;
                    continue;
                }
                row.readable = false;
            } else if (result == ERROR_NO_MORE_ITEMS) {
                break;
            } else if (result != ERROR_SUCCESS) {
                // What this value is stays unknown: every name not found asks the registry.
                plainOnly_ = false;
                break;
            } else {
                row.type = type;
                row.data.assign(data, size < kReadLimit ? size : kReadLimit);
            }
            if (!PlainName(name.data())) {
                plainOnly_ = false;
                continue;
            }
            row.key = NameKey(name.data());
            rows_.push_back(std::move(row));
        }
    }
    std::sort(rows_.begin(), rows_.end(),
              [](const Row &a, const Row &b) { return a.key < b.key; });
    writes_ = g_writes;
    loaded_ = true;
}

const RegValueTable::Row *RegValueTable::Find(const char *name, bool *known)
{
    if (!loaded_ || writes_ != g_writes)
        Reload();
    *known = false;
    if (name == nullptr || !PlainName(name))
        return nullptr;
    const std::string key = NameKey(name);
    auto at = std::lower_bound(rows_.begin(), rows_.end(), key,
                               [](const Row &row, const std::string &k) { return row.key < k; });
    if (at != rows_.end() && at->key == key) {
        *known = true;
        return &*at;
    }
    *known = plainOnly_;
    return nullptr;
}

int RegValueTable::ReadString(const char *name, char *buffer, size_t capacity)
{
    bool known = false;
    const Row *row = Find(name, &known);
    if (!known)
        return ReadRegString(root_, path_.c_str(), name, buffer, capacity);
    ClearBuffer(buffer, capacity);
    if (row == nullptr || !row->readable)
        return 0;
    char data[kReadLimit + 1];
    memcpy(data, row->data.data(), row->data.size());
    return TextOfData(row->type, data, static_cast<DWORD>(row->data.size()), buffer, capacity);
}

int RegValueTable::Exists(const char *name)
{
    bool known = false;
    const Row *row = Find(name, &known);
    if (!known)
        return RegValueExists(root_, path_.c_str(), name);
    return row != nullptr;
}

DWORD SubkeyCount(HKEY key)
{
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

DWORD ValueCount(HKEY key)
{
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

namespace {
constexpr DWORD kWholeReadLimit = 1 << 20;  // a value larger than this is no setting
} // namespace

namespace {

std::string WholeString(HKEY root, const char *path, const char *name, bool multiToo)
{
    RegKey key;
    if (!key.Open(root, path, KEY_QUERY_VALUE))
        return std::string();
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ && !(multiToo && type == REG_MULTI_SZ)) ||
            size > kWholeReadLimit)
            return std::string();
        std::string text(size + 1, '\0');
        LONG result = RegQueryValueExA(key.get(), name, nullptr, &type,
                                       reinterpret_cast<BYTE *>(&text[0]), &size);
        if (result == ERROR_MORE_DATA)
            continue;  // it grew in between
        if (result != ERROR_SUCCESS)
            return std::string();
        text.resize(strnlen(text.c_str(), size));
        if (type != REG_EXPAND_SZ || text.empty())
            return text;
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
        if (needed == 0 || needed > kWholeReadLimit)
            return text;
        std::string expanded(needed, '\0');
        ExpandEnvironmentStringsA(text.c_str(), &expanded[0], needed);
        expanded.resize(strnlen(expanded.c_str(), needed));
        return expanded;
    }
    return std::string();
}

} // namespace

std::string ReadRegWholeString(HKEY root, const char *path, const char *name)
{
    return WholeString(root, path, name, false);
}

bool ReadRegRaw(HKEY key, const char *name, DWORD *type, std::string &data)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.assign(size, '\0');
        LONG result =
            RegQueryValueExA(key, name, nullptr, type,
                             size > 0 ? reinterpret_cast<BYTE *>(&data[0]) : nullptr, &size);
        if (result == ERROR_MORE_DATA)
            continue;  // it grew in between
        if (result != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return true;
    }
    return false;
}

std::string ReadRegFirstString(HKEY root, const char *path, const char *name)
{
    return WholeString(root, path, name, true);
}


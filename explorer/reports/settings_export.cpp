#include "settings_export.h"

#include <windows.h>

#include <lmcons.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "bounded.h"
#include "ids.h"
#include "keys.h"
#include "messages.h"
#include "platform.h"
#include "registry.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr char kMachineVendorKey[] = "SOFTWARE\\Orvanto";
constexpr char kFileSuffix[] = "-Sentrovia.reg";
// The editor breaks a hex line once it reaches this width, so that with its backslash it stays
// within 80 columns; continuation lines start with two blanks.
constexpr size_t kHexLineWidth = 77;
constexpr size_t kUserNameWidth = 228;
constexpr DWORD kKeyNameWidth = 256;  // subkey names: 255 characters
constexpr int kReadAttempts = 8;
constexpr size_t kValueNameLimit = 16384;  // the registry's longest value name and terminator

const char *RootName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    if (root == HKEY_CURRENT_CONFIG)
        return "HKEY_CURRENT_CONFIG";
    return "HKEY_LOCAL_MACHINE";
}

// Program text as UTF-16LE bytes; the length given, so embedded NULs are kept.
std::string Utf16Bytes(const char *text, size_t length)
{
    if (length == 0 || length > INT_MAX)
        return std::string();
    const int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (count <= 0)
        return std::string();
    std::vector<WCHAR> wide(static_cast<size_t>(count));
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(), count);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (WCHAR c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// A name or text between the editor's double quotes: backslash and quote escaped, and a line
// break as \r or \n, which would otherwise end the line in the middle of the value.
std::string Quoted(const char *text, size_t length)
{
    std::string quoted = "\"";
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\r': quoted += "\\r"; break;
        case '\n': quoted += "\\n"; break;
        default: quoted += text[i];
        }
    }
    quoted += '"';
    return quoted;
}

// A REG_SZ the quoted form gives back exactly: one terminator at its end, no NUL and no line
// break before it (the editor of Windows reads no \r or \n escapes).
bool IsPlainString(const BYTE *data, size_t size)
{
    if (size == 0 || data[size - 1] != 0)
        return false;
    for (size_t i = 0; i + 1 < size; ++i)
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return false;
    return true;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

void AppendHexData(std::string &line, DWORD type, const std::string &bytes)
{
    char prefix[24];
    if (type == REG_BINARY)
        CopyBounded(prefix, "hex:");
    else
        FormatBounded(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(type));
    line += prefix;
    size_t width = line.size();
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
        if (i + 1 == bytes.size())
            break;
        line += ',';
        width += 3;
        if (width >= kHexLineWidth) {
            line += "\\\r\n  ";
            width = 2;
        }
    }
}

// Buffers as wide as the key's widest value name and data.
struct ValueBuffers {
    std::vector<char> name;
    std::vector<BYTE> data;
    void FitTo(HKEY key)
    {
        DWORD nameWidth = 0;
        DWORD dataBytes = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &nameWidth, &dataBytes, nullptr, nullptr);
        if (name.size() < nameWidth + 1u)
            name.resize(nameWidth + 1u);
        if (data.size() < dataBytes + 1u)
            data.resize(dataBytes + 1u);
    }
};

void ExportValues(ReportFile &file, HKEY key)
{
    ValueBuffers buffers;
    buffers.FitTo(key);
    // Counted once: a key that grows during the export can't keep it going.
    const DWORD count = ValueCount(key);
    for (DWORD index = 0; index < count; ++index) {
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD nameLength = static_cast<DWORD>(buffers.name.size());
            DWORD size = static_cast<DWORD>(buffers.data.size());
            DWORD type = REG_NONE;
            const LONG result = RegEnumValueA(key, index, buffers.name.data(), &nameLength,
                                              nullptr, &type, buffers.data.data(), &size);
            if (result == ERROR_MORE_DATA) {
                // Written since the buffers were sized, or the key's sizes could not be read.
                const size_t nameWidth = buffers.name.size();
                buffers.FitTo(key);
                if (buffers.data.size() < size + 1u)
                    buffers.data.resize(size + 1u);
                else if (buffers.name.size() == nameWidth && nameWidth < kValueNameLimit)
                    buffers.name.resize(nameWidth * 2 < kValueNameLimit ? nameWidth * 2
                                                                        : kValueNameLimit);
                continue;
            }
            if (result == ERROR_SUCCESS)
                WriteRegistryText(file, RegistryValueLine(buffers.name.data(), type,
                                                          buffers.data.data(), size));
            break;
        }
    }
}

} // namespace

void BeginRegistryFile(ReportFile &file)
{
    file.Write(std::string("\xFF\xFE", 2));
    WriteRegistryText(file, kHeader);
}

void WriteRegistryText(ReportFile &file, const std::string &text)
{
    file.Write(Utf16Bytes(text.data(), text.size()));
}

std::string RegistryValueLine(const char *name, DWORD type, const BYTE *data, size_t size)
{
    std::string line;
    if (name == nullptr || name[0] == '\0')
        line += '@';
    else
        line += Quoted(name, strlen(name));
    line += '=';
    if (data == nullptr)
        size = 0;
    if (type == REG_SZ && IsPlainString(data, size)) {
        line += Quoted(reinterpret_cast<const char *>(data), size - 1);
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, data, sizeof number);
        char text[16];
        FormatBounded(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(number));
        line += text;
    } else {
        // The editor stores the texts of these types as the system keeps them: UTF-16.
        const char *bytes = reinterpret_cast<const char *>(data);
        AppendHexData(line, type, IsTextType(type) ? Utf16Bytes(bytes, size)
                                                   : std::string(bytes, size));
    }
    line += "\r\n";
    return line;
}

int ExportKey(ReportFile &file, HKEY root, const char *path)
{
    if (path == nullptr)
        path = "";
    const char *rootName = RootName(root);
    std::string header = "[";
    header += rootName;
    header += '\\';
    header += path;
    header += "]\r\n";
    WriteRegistryText(file, header);
    RegKey key;
    if (!key.Open(root, path, KEY_READ))
        return -1;
    ExportValues(file, key.get());
    int written = 0;
    const DWORD count = SubkeyCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[kKeyNameWidth];
        DWORD length = kKeyNameWidth;
        const LONG result =
            RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        std::string subkeyHeader = "\r\n[";
        subkeyHeader += rootName;
        subkeyHeader += '\\';
        subkeyHeader += path;
        subkeyHeader += '\\';
        subkeyHeader += name;
        subkeyHeader += "]\r\n";
        WriteRegistryText(file, subkeyHeader);
        ++written;
        RegKey subkey;
        if (subkey.Open(key.get(), name, KEY_READ))
            ExportValues(file, subkey.get());
    }
    return written;
}

int SettingsExportPath(char *buffer, size_t capacity)
{
    CopyBounded(buffer, capacity, "");
    char folder[MAX_PATH];
    if (!ProgramFolder(folder, sizeof folder))
        return 0;
    // Asked for whole (a name may be longer than the file name takes), then cut.
    char whole[UNLEN + 1] = "";
    DWORD size = sizeof whole;
    if (!GetUserNameA(whole, &size))
        whole[0] = '\0';
    char user[kUserNameWidth + 1];
    CopyBounded(user, whole);
    if (!FormatBounded(buffer, capacity, "%s\\%s%s", folder, user, kFileSuffix)) {
        CopyBounded(buffer, capacity, "");
        return 0;
    }
    return 1;
}

int ExportSettings(HWND owner)
{
    char path[MAX_PATH];
    if (!SettingsExportPath(path, sizeof path))
        return 0;
    ReportFile file(path);
    BeginRegistryFile(file);
    ExportKey(file, HKEY_CURRENT_USER, kProductKey);
    WriteRegistryText(file, "\r\n");
    ExportKey(file, HKEY_LOCAL_MACHINE, kMachineVendorKey);
    if (!file.Commit())
        return 0;
    char shown[MAX_PATH];
    const DWORD length = GetLongPathNameA(path, shown, sizeof shown);
    if (length == 0 || length >= sizeof shown)
        CopyBounded(shown, path);
    char message[512];
    LoadText(IDS_SETTINGS_SAVED, message);
    char text[1024];
    InsertAtMark(message, shown, text, sizeof text);
    char caption[128];
    ProgramCaption(caption, sizeof caption);
    ShowMessage(owner, text, caption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    return 1;
}

// The vault's files and the text they are written in.
#include "vault.h"

#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstring>

#include "bounded.h"
#include "folders.h"
#include "owned.h"

namespace {

constexpr size_t kTokenDigits = 16;
constexpr size_t kPrefixLimit = 8;

bool VaultFolder(char *folder, size_t capacity)
{
    char data[MAX_PATH];
    if (!DataFolder(data, sizeof data) || !FormatBounded(folder, capacity, "%s\\vault", data))
        return false;
    // The data folder comes with its vault; the program folder it may fall back to has none.
    CreateDirectoryA(folder, nullptr);
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool VaultFileOf(const char *token, char *file, size_t capacity, const char *extension = "txt")
{
    char folder[MAX_PATH];
    return IsVaultToken(token) && VaultFolder(folder, sizeof folder) &&
           FormatBounded(file, capacity, "%s\\%s.%s", folder, token, extension);
}

uint64_t Fnv1a(uint64_t hash, const void *data, size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string Hex(const void *data, size_t size)
{
    if (size == 0)
        return "-";
    static const char kDigits[] = "0123456789abcdef";
    const auto *bytes = static_cast<const unsigned char *>(data);
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string Hex(const std::string &text) { return Hex(text.data(), text.size()); }

// False for anything but "-" or an even run of hexadecimal digits.
bool Unhex(const std::string &text, std::string &bytes)
{
    bytes.clear();
    if (text == "-")
        return true;
    if (text.empty() || text.size() % 2 != 0)
        return false;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]);
        int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

void VaultText::Line(const std::string &line)
{
    if (text.size() + line.size() + 2 > kVaultLimit) {
        fits = false;
        return;
    }
    text += line;
    text += "\r\n";
}

bool IsVaultToken(const char *token)
{
    if (token == nullptr)
        return false;
    const char *dash = strchr(token, '-');
    const size_t prefix = dash != nullptr ? static_cast<size_t>(dash - token) : 0;
    if (prefix == 0 || prefix > kPrefixLimit || strlen(dash + 1) != kTokenDigits)
        return false;
    for (size_t i = 0; i < prefix; ++i)
        if (token[i] < 'a' || token[i] > 'z')
            return false;
    for (const char *digit = dash + 1; *digit != '\0'; ++digit)
        if (!isdigit(static_cast<unsigned char>(*digit)) && (*digit < 'a' || *digit > 'f'))
            return false;
    return true;
}

bool VaultDataFile(const char *token, char *file, size_t capacity)
{
    return VaultFileOf(token, file, capacity, "dat");
}

void DropVaultFile(const char *token)
{
    char file[MAX_PATH + 32];
    if (token == nullptr || token[0] == '\0')
        return;
    if (VaultFileOf(token, file, sizeof file))
        DeleteFileA(file);
    // A kept file keeps its attributes; a read-only one would refuse the delete.
    if (VaultDataFile(token, file, sizeof file)) {
        SetFileAttributesA(file, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file);
    }
}

bool WriteVaultFile(const char *prefix, const std::string &place, const std::string &text,
                    VaultToken &token)
{
    token[0] = '\0';
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const DWORD process = GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        uint64_t hash = 14695981039346656037ull;
        hash = Fnv1a(hash, place.data(), place.size());
        hash = Fnv1a(hash, &now, sizeof now);
        hash = Fnv1a(hash, &process, sizeof process);
        hash = Fnv1a(hash, &attempt, sizeof attempt);
        char candidate[kHistoryKeptWidth + 1];
        char file[MAX_PATH + 32];
        if (!FormatBounded(candidate, sizeof candidate, "%s-%016llx", prefix,
                           static_cast<unsigned long long>(hash)) ||
            !VaultFileOf(candidate, file, sizeof file))
            return false;
        Handle out(CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!out) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        DWORD written = 0;
        const bool whole =
            WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
        out.Reset();
        if (!whole) {
            DeleteFileA(file);
            return false;
        }
        return CopyBounded(token, candidate) != 0;
    }
    return false;
}

bool ReadVaultFile(const char *token, std::string &text)
{
    char file[MAX_PATH + 32];
    if (!VaultFileOf(token, file, sizeof file))
        return false;
    Handle in(CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!in || !GetFileSizeEx(in.get(), &size) || size.QuadPart < 0 ||
        size.QuadPart > static_cast<LONGLONG>(kVaultLimit))
        return false;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD total = 0;
    while (total < text.size()) {
        DWORD got = 0;
        if (!ReadFile(in.get(), &text[total], static_cast<DWORD>(text.size() - total), &got,
                      nullptr) ||
            got == 0)
            return false;
        total += got;
    }
    return true;
}

std::vector<std::string> LinesOf(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> FieldsOf(const std::string &line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos)
            end = line.size();
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

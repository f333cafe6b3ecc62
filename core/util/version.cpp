#include "version.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "bounded.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "text.h"

namespace {

// Larger blocks are not ours to trust: such files are skipped as if they had none.
constexpr DWORD kVersionBlockLimit = 8191;
// Reported lengths above this read as empty (the version API counts the terminator).
constexpr UINT kValueLengthLimit = 127;

const char *const kSlotNames[VS_SlotCount] = {
    "ProductName", "ProductVersion", "CompanyName", "FileDescription", "LegalCopyright",
};

constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// Reads one string of one translation into out. false (out untouched) when the name is missing;
// true with out emptied when the value is too long.
bool QueryString(std::vector<char> &block, unsigned language, unsigned codePage, const char *name,
                 char *out, size_t capacity)
{
    char query[96];
    if (!FormatBounded(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", language, codePage,
                       name))
        return false;
    void *value = nullptr;
    UINT length = 0;
    // The ANSI query converts into the block itself, so it gets the writable buffer.
    if (!VerQueryValueA(block.data(), query, &value, &length) || value == nullptr)
        return false;
    char text[kValueLengthLimit + 1] = "";
    if (length <= kValueLengthLimit) {
        const char *source = static_cast<const char *>(value);
        size_t count = strnlen(source, length);
        memcpy(text, source, count);
        text[count] = '\0';
    }
    CopyBounded(out, capacity, text);
    return true;
}

bool FileExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ProductVersion of a file, empty when it has none.
void ProductVersionOf(const char *file, char *out, size_t capacity)
{
    auto record = std::make_unique<VersionRecord>();
    ReadVersionInfo(file, record.get());
    CopyBounded(out, capacity, record->slot[VS_ProductVersion]);
}

// folder\name into out; false when the folder is unknown or the path doesn't fit.
bool PathInFolder(const char *folder, const char *name, char *out, size_t capacity)
{
    return folder[0] != '\0' && FormatBounded(out, capacity, "%s\\%s", folder, name);
}

} // namespace

int ReadVersionInfo(const char *file, VersionRecord *record)
{
    if (record == nullptr)
        return 0;
    for (auto &slot : record->slot)
        slot[0] = '\0';
    if (file == nullptr)
        return 0;

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0 || size > kVersionBlockLimit)
        return 0;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file, 0, size, block.data()))
        return 0;
    void *table = nullptr;
    UINT tableLength = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &table, &tableLength) ||
        table == nullptr)
        return 0;
    // Copied out: the ANSI string queries below write their converted texts into the block.
    std::vector<unsigned char> pairs(static_cast<const unsigned char *>(table),
                                     static_cast<const unsigned char *>(table) + tableLength);

    // A trailing half pair is ignored.
    for (size_t at = 0; at + 4 <= pairs.size(); at += 4) {
        WORD language = 0, codePage = 0;
        memcpy(&language, &pairs[at], sizeof language);
        memcpy(&codePage, &pairs[at + 2], sizeof codePage);
        char name[kValueLengthLimit + 1];
        // Without a ProductName this translation changes nothing; the last one that has it wins.
        if (!QueryString(block, language, codePage, kSlotNames[VS_ProductName], name, sizeof name))
            continue;
        CopyBounded(record->slot[VS_ProductName], name);
        for (int slot = VS_ProductVersion; slot < VS_SlotCount; ++slot) {
            if (!QueryString(block, language, codePage, kSlotNames[slot], record->slot[slot],
                             sizeof record->slot[slot]))
                record->slot[slot][0] = '\0';
        }
    }

    // The system's own files all carry the same product name; their description says more.
    if (ContainsNoCase(record->slot[VS_ProductName], "Operating System"))
        CopyBounded(record->slot[VS_ProductName], record->slot[VS_FileDescription]);
    return record->slot[VS_ProductName][0] != '\0' ? 1 : 0;
}

int ProgramVersionTextFor(const char *ownFile, char *out, size_t capacity)
{
    CopyBounded(out, capacity, "");
    char folder[MAX_PATH + 1];
    ProgramFolder(folder, sizeof folder);

    char file[MAX_PATH + 32];
    char first[kValueLengthLimit + 1] = "";
    if (PathInFolder(folder, "Sentrovia.exe", file, sizeof file))
        ProductVersionOf(file, first, sizeof first);

    char text[2 * (kValueLengthLimit + 1)];
    CopyBounded(text, first);
    char ownName[MAX_PATH + 1] = "";
    CopyBounded(ownName, ownFile != nullptr ? ownFile : "");
    FileNamePart(ownFile, ownName, sizeof ownName);

    char second[kValueLengthLimit + 1] = "";
    if (ContainsNoCase(ownName, "hijack")) {
        // A renamed copy run on its own reports itself.
        ProductVersionOf(ownFile, second, sizeof second);
        if (first[0] != '\0')
            AppendBounded(text, ":");
        AppendBounded(text, second);
    } else if (PathInFolder(folder, "SentroviaEx.exe", file, sizeof file) && FileExists(file)) {
        ProductVersionOf(file, second, sizeof second);
        AppendBounded(text, ":");
        AppendBounded(text, second);
    }
    return CopyBounded(out, capacity, text);
}

int ProgramVersionText(char *out, size_t capacity)
{
    char own[481];
    DWORD length = GetModuleFileNameA(nullptr, own, sizeof own - 1);
    own[length < sizeof own ? length : sizeof own - 1] = '\0';
    return ProgramVersionTextFor(own, out, capacity);
}

unsigned int DllPackedVersion(const char *library)
{
    if (library == nullptr)
        return 0;
    Library module(library);
    auto getVersion = module.Get<DLLGETVERSIONPROC>("DllGetVersion");
    if (getVersion == nullptr)
        return 0;
    DLLVERSIONINFO info{};
    // The original structure: old libraries reject any other size.
    info.cbSize = 20;
    if (FAILED(getVersion(&info)))
        return 0;
    return info.dwMajorVersion * 65536u + info.dwMinorVersion;
}

unsigned int CommonControlsVersion() { return DllPackedVersion("comctl32.dll"); }

int AppPathsLookup(const char *fileName, char *productVersion, size_t versionCapacity, char *path,
                   size_t pathCapacity)
{
    CopyBounded(productVersion, versionCapacity, "");
    CopyBounded(path, pathCapacity, "");
    if (fileName == nullptr || fileName[0] == '\0')
        return 0;
    char key[512];
    if (!FormatBounded(key, sizeof key, "%s\\%s", kAppPathsKey, fileName))
        return 0;
    char target[1025];
    if (ReadRegString(HKEY_LOCAL_MACHINE, key, "", target, sizeof target) == 0 ||
        !FileExists(target))
        return 0;
    ProductVersionOf(target, productVersion, versionCapacity);
    ReadRegString(HKEY_LOCAL_MACHINE, key, "Path", path, pathCapacity);
    return 1;
}

#include "lookup.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "datetexts.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "options.h"
#include "platform.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "version.h"
#include "web.h"

namespace {

// A web search for the file and its company: a real place to learn what a program is. The keys
// before the search words tell the file's facts to any reader of the address.
constexpr char kLookupBase[] = "https://duckduckgo.com/?program=";
constexpr size_t kAddress = 4096;

// Appends key and the value written for a query string.
void AddValue(char *address, size_t capacity, const char *key, const char *value)
{
    char encoded[2048];
    UrlQueryText(value ? value : "", encoded, sizeof encoded);
    AppendBounded(address, capacity, key);
    AppendBounded(address, capacity, encoded);
}

void AddNumber(char *address, size_t capacity, const char *key, int value)
{
    char text[16];
    FormatBounded(text, sizeof text, "%d", value);
    AppendBounded(address, capacity, key);
    AppendBounded(address, capacity, text);
}

// The search words: the file's name and its company.
void AddSearch(char *address, size_t capacity, const char *name, const char *company)
{
    char words[1024];
    FormatBounded(words, sizeof words, company[0] != '\0' ? "%s %s" : "%s", name, company);
    AddValue(address, capacity, "&q=", words);
}

void OwnProductVersion(char *out, size_t capacity)
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    module[length < sizeof module ? length : sizeof module - 1] = '\0';
    VersionRecord version;
    ReadVersionInfo(module, &version);
    CopyBounded(out, capacity, version.slot[VS_ProductVersion]);
}

const char *InterfaceLanguage()
{
    switch (LanguageId()) {
    case 7:
        return "de";
    case 12:
        return "fr";
    default:
        return "en";
    }
}

// The shortcut is opened by the shell, which reads it before ShellExecute returns.
int OpenThroughShortcut(const char *address)
{
    char folder[MAX_PATH];
    char shortcut[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    FormatBounded(shortcut, sizeof shortcut, "%s\\temp.url", folder);
    HANDLE file = CreateFileA(shortcut, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    char content[kAddress + 64];
    FormatBounded(content, sizeof content, "[InternetShortcut]\r\nURL=%s\r\n", address);
    DWORD written = 0;
    BOOL wrote = WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    CloseHandle(file);
    int opened = wrote && ShellOpen(shortcut);
    DeleteFileA(shortcut);
    return wrote ? opened : -1;
}

} // namespace

int LookupAddress(int kindCode, const char *path, const char *title, bool detailed, char *out,
                  size_t capacity)
{
    if (path == nullptr)
        path = "";
    VersionRecord version;
    ReadVersionInfo(path, &version);
    char name[MAX_PATH];
    if (path[0] == '\0' || !FileNamePart(path, name, sizeof name))
        CopyBounded(name, sizeof name, path[0] ? path : (title ? title : ""));
    const char *extension = ExtensionOf(name);
    char build[64];
    OwnProductVersion(build, sizeof build);

    CopyBounded(out, capacity, kLookupBase);
    AddValue(out, capacity, "", name);
    AddValue(out, capacity, "&vendor=", version.slot[VS_CompanyName]);
    if (!detailed) {
        AddValue(out, capacity, "&version=", version.slot[VS_ProductVersion]);
        AddValue(out, capacity, "&build=", build);
        AddNumber(out, capacity, "&Type=", kindCode);
        AddValue(out, capacity, "&Loc=", InterfaceLanguage());
        AddValue(out, capacity, "&ext=", extension);
        AddSearch(out, capacity, name, version.slot[VS_CompanyName]);
        return static_cast<int>(strlen(out));
    }
    char code[8];
    if (LoadText(IDS_LANGUAGE_CODE, code) == 0)
        CopyBounded(code, "en");
    FileFactsRecord facts;
    FileFacts(path, kindCode, &facts);
    AddValue(out, capacity, "&build=", build);
    AddNumber(out, capacity, "&Type=", kindCode);
    AddValue(out, capacity, "&Loc=", code);
    AddValue(out, capacity, "&ext=", extension);
    AddValue(out, capacity, "&version=", version.slot[VS_ProductVersion]);
    AddValue(out, capacity, "&name=", version.slot[VS_ProductName]);
    AddValue(out, capacity, "&copy=", version.slot[VS_LegalCopyright]);
    AddValue(out, capacity, "&detail=", version.slot[VS_FileDescription]);
    AddValue(out, capacity, "&created=", facts.created);
    AddValue(out, capacity, "&detected=", facts.firstDetected);
    AddValue(out, capacity, "&fsize=", facts.size);
    AddValue(out, capacity, "&path=", path);
    AddSearch(out, capacity, name, version.slot[VS_CompanyName]);
    return static_cast<int>(strlen(out));
}

int OnlineLookup(int kindCode, const char *path, const char *title)
{
    char address[kAddress];
    if (Option(OPT_LumenFormat) != 0) {
        LookupAddress(kindCode, path, title, true, address, sizeof address);
        int opened = OpenThroughShortcut(address);
        if (opened < 0)
            opened = ShellOpen(address);
        if (!opened && Option(OPT_BrowserFailure) != 0)
            opened = RunDefaultBrowser(address);
        return opened;
    }
    LookupAddress(kindCode, path, title, false, address, sizeof address);
    if (OpenWithAol(address))
        return 1;
    return ShellOpen(address) || RunDefaultBrowser(address);
}

void OnlineLookupOfEntry(int entry)
{
    char title[kTitleWidth + 1];
    char path[kPathWidth + 1];
    EntryTitle(entry, title, sizeof title);
    EntryPath(entry, path, sizeof path);
    OnlineLookup(EntryKind(entry), path, title);
}

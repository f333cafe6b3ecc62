#include "cookies.h"

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "browser.h"
#include "datetexts.h"
#include "entries.h"
#include "keys.h"
#include "language.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr char kNutsKey[] = "Software\\Orvanto\\Sentrovia\\Nuts";
constexpr char kKeptKey[] = "Software\\Orvanto\\Sentrovia\\Cookies";
constexpr char kCookiesFile[] = "cookies.txt";
constexpr char kFilteredFile[] = "cookiesnew.txt";
constexpr char kFilteredPart[] = "cookiesnew.tmp";  // the filtered copy while it is written
constexpr char kMozillaWindowClass[] = "MozillaWindowClass";
constexpr size_t kMatchLimit = 512;
constexpr DWORD kStreamChunk = 65536;

int g_mode = COOKIES_InternetExplorer;

struct Nut {
    std::string text;
    int state;
};
std::vector<Nut> g_nuts;
std::set<std::string> g_nutNames;  // every loaded value's name, upper-cased

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// Every text value of the Nuts key with the state it holds, whatever the length of its name.
std::vector<Nut> NutValues()
{
    std::vector<Nut> values;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kNutsKey, KEY_READ))
        return values;
    const DWORD count = ValueCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char name[16384];
        BYTE data[64];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        const LONG result = RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, data,
                                          &dataSize);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ || nameSize == 0)
            continue;
        data[dataSize] = '\0';
        values.push_back({name, LeadingNumber(reinterpret_cast<char *>(data))});
    }
    return values;
}

// A candidate folder qualifies when it holds index.dat; it ends with a backslash.
bool QualifyIEFolder(const char *candidate, char *out, size_t capacity)
{
    const size_t length = strlen(candidate);
    if (length <= 2 || length > 250)
        return false;
    std::string folder = candidate;
    if (folder.back() != '\\')
        folder += '\\';
    if (GetFileAttributesA((folder + "index.dat").c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    return CopyBounded(out, capacity, folder.c_str()) != 0;
}

bool AppDataFolder(char *out, size_t capacity)
{
    return ReadRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", out, capacity) > 0;
}

// The first entry of a folder matching the pattern (folders only when wanted, never one whose
// name begins with a dot); empty when none.
std::string FirstMatch(const std::string &folder, const char *pattern, bool foldersOnly)
{
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((folder + pattern).c_str(), &found));
    if (!find)
        return "";
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (found.cFileName[0] != '.' && (!foldersOnly || isFolder))
            return found.cFileName;
    } while (FindNextFileA(find.get(), &found));
    return "";
}

bool IsFolder(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Tab-separated fields; missing ones are empty. A line's "\r" has been dropped already.
std::vector<std::string> CookieFields(const std::string &line)
{
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', from)) {
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
    fields.push_back(line.substr(from));
    fields.resize(fields.size() < 7 ? 7 : fields.size());
    return fields;
}

bool HasDomain(const std::vector<std::string> &fields)
{
    return !fields[0].empty() && fields[0][0] != '#';
}

std::string Chomp(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Whether a text holds an active filter, at any length.
bool HoldsNut(const char *text)
{
    for (const Nut &nut : g_nuts)
        if (nut.state == 1 && FindNoCase(text, nut.text.c_str()) != nullptr)
            return true;
    return false;
}

// A line is filtered when it holds a filter anywhere (a long value does not shelter its
// cookie), or when the cookie is a Nuts value.
bool Filtered(const std::string &line)
{
    const std::string text = Chomp(line);
    const std::vector<std::string> fields = CookieFields(text);
    if (HasDomain(fields) && g_nutNames.count(Upper(MozillaCookieText(fields[0], fields[5]))) != 0)
        return true;
    return HoldsNut(text.c_str());
}

void AddMozillaEntry(const std::string &line)
{
    const std::vector<std::string> fields = CookieFields(Chomp(line));
    if (!HasDomain(fields))
        return;
    char expiry[64] = "";
    SYSTEMTIME local;
    char *end = nullptr;
    const unsigned long long seconds = strtoull(fields[4].c_str(), &end, 10);
    if (end != fields[4].c_str() && seconds <= 0xFFFFFFFFull &&
        UnixSecondsToLocalTime(static_cast<unsigned>(seconds), &local))
        LocaleDateTimeText(local, expiry, sizeof expiry);
    AddEntry(MozillaCookieText(fields[0], fields[5]).c_str(), fields[2].c_str(), fields[6].c_str(),
             expiry, kMozillaCookieKind, FindNoCase(fields[3].c_str(), "TRUE") != nullptr ? 1 : 0);
}

// The profile folder without its trailing backslash.
bool ProfileFolder(std::string &folder)
{
    char found[MAX_PATH];
    if (!GetMozillaProfileFolder(found, sizeof found))
        return false;
    folder = found;
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return true;
}

// Lists the first kCookieReadLimit bytes of cookies.txt; a line the bound cuts is left out.
int ListMozillaCookies(const std::string &profile)
{
    Handle in(CreateFileA((profile + "\\" + kCookiesFile).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in)
        return 0;
    std::string text(kCookieReadLimit, '\0');
    DWORD total = 0;
    for (DWORD got = 0; total < text.size(); total += got)
        if (!ReadFile(in.get(), &text[total], static_cast<DWORD>(text.size() - total), &got,
                      nullptr) ||
            got == 0)
            break;
    text.resize(total);
    char more;
    DWORD extra = 0;
    const bool cut = total == kCookieReadLimit && ReadFile(in.get(), &more, 1, &extra, nullptr) &&
                     extra == 1;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos && cut)
            break;
        const size_t stop = end == std::string::npos ? text.size() : end;
        AddMozillaEntry(text.substr(start, stop - start));
        if (EntryListFull())
            break;
        start = stop + 1;
    }
    return EntryCount();
}

bool WriteAll(HANDLE file, const std::string &text)
{
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size());
}

// Writes the filtered copy of the whole cookies.txt, a line at a time, under a name of its own
// and then in cookiesnew.txt's place; false when it could not be made whole.
bool WriteFilteredCopy(const std::string &profile)
{
    const std::string part = profile + "\\" + kFilteredPart;
    Handle out(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    Handle in(CreateFileA((profile + "\\" + kCookiesFile).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    bool whole = static_cast<bool>(in);
    bool any = false;
    std::string pending;
    std::vector<char> chunk(kStreamChunk);
    for (DWORD got = 0; whole;) {
        if (!ReadFile(in.get(), chunk.data(), kStreamChunk, &got, nullptr)) {
            whole = false;
            break;
        }
        if (got == 0)
            break;
        any = true;
        pending.append(chunk.data(), got);
        size_t start = 0;
        for (size_t end = pending.find('\n'); end != std::string::npos;
             end = pending.find('\n', start)) {
            const std::string line = pending.substr(start, end + 1 - start);
            if (!Filtered(line.substr(0, line.size() - 1)) && !WriteAll(out.get(), line))
                whole = false;
            start = end + 1;
        }
        pending.erase(0, start);
    }
    if (whole && !pending.empty() && !Filtered(pending))
        whole = WriteAll(out.get(), pending);
    out.Reset();
    if (!whole || !any || !MoveFileExA(part.c_str(), (profile + "\\" + kFilteredFile).c_str(),
                                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(part.c_str());
        return false;
    }
    return true;
}

int EnumMozilla(int apply)
{
    std::string profile;
    if (!ProfileFolder(profile))
        return 0;
    if (apply > 0) {
        if (!WriteFilteredCopy(profile))
            return 0;
        SetUpdateCookieFile(true);
    }
    return ListMozillaCookies(profile);
}

bool EndsWithTxt(const char *name)
{
    const size_t length = strlen(name);
    return length >= 4 && EqualsNoCase(name + length - 4, ".txt");
}

int EnumIE(int apply)
{
    char folder[MAX_PATH];
    if (!GetIECookieFolder(folder, sizeof folder))
        return 0;
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((std::string(folder) + "*").c_str(), &found));
    if (!find)
        return 0;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM)) ||
            !EndsWithTxt(found.cFileName))
            continue;
        const std::string path = std::string(folder) + found.cFileName;
        if (apply == 1 && MatchesNut(path.c_str())) {
            DeleteFileA(path.c_str());
            continue;
        }
        char written[32];
        FileDateText(path.c_str(), written, sizeof written);
        if (!AddEntry(found.cFileName, path.c_str(), "", written, kIECookieKind, 0))
            break;
    } while (FindNextFileA(find.get(), &found));
    return EntryCount();
}

} // namespace

int CurrentCookieMode() { return g_mode; }

void SetCookieMode(int mode)
{
    g_mode = mode == COOKIES_Mozilla ? COOKIES_Mozilla : COOKIES_InternetExplorer;
}

int CookieModeOf(int browserKind)
{
    return browserKind == BROWSER_Netscape || browserKind == BROWSER_Firefox ||
                   browserKind == BROWSER_Mozilla
               ? COOKIES_Mozilla
               : COOKIES_InternetExplorer;
}

int GetIECookieFolder(char *out, size_t capacity)
{
    char candidate[1025];
    const struct {
        const char *key;
        const char *value;
    } kPlaces[] = {
        {kProductKey, "IECookieFolder"},
        {kShellFolders, "Cookies"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies"},
    };
    for (const auto &place : kPlaces)
        if (ReadRegString(HKEY_CURRENT_USER, place.key, place.value, candidate, sizeof candidate) >
                0 &&
            QualifyIEFolder(candidate, out, capacity))
            return 1;
    char windows[MAX_PATH];
    if (WindowsFolder(windows, sizeof windows) &&
        FormatBounded(candidate, sizeof candidate, "%s\\Cookies", windows) &&
        QualifyIEFolder(candidate, out, capacity))
        return 1;
    LoadText(IDS_COOKIE_FOLDER_NOT_FOUND, out, capacity);
    return 0;
}

int GetMozillaProfileFolder(char *out, size_t capacity)
{
    CopyBounded(out, capacity, "");
    char chosen[1025];
    if (ReadRegString(HKEY_CURRENT_USER, kProductKey, "CookieFolder", chosen, sizeof chosen) > 0 &&
        IsFolder(chosen)) {
        std::string folder = chosen;
        if (folder.back() != '\\')
            folder += '\\';
        return CopyBounded(out, capacity, folder.c_str());
    }
    char appData[MAX_PATH];
    if (!AppDataFolder(appData, sizeof appData))
        return 0;
    if (DefaultBrowserKind() == BROWSER_Netscape) {
        const std::string profiles = std::string(appData) + "\\Mozilla\\Profiles\\default\\";
        const std::string folder = FirstMatch(profiles, "*", true);
        if (!folder.empty())
            return CopyBounded(out, capacity, (profiles + folder + "\\").c_str());
    }
    const std::string profiles = std::string(appData) + "\\Mozilla\\FireFox\\Profiles\\";
    std::string folder = FirstMatch(profiles, "*.default", true);
    if (folder.empty())
        folder = FirstMatch(profiles, "default.*", true);
    return !folder.empty() && CopyBounded(out, capacity, (profiles + folder + "\\").c_str()) ? 1 : 0;
}

void StoreCookieFolder(const char *chosenFile)
{
    std::string folder = chosenFile != nullptr ? chosenFile : "";
    const size_t slash = folder.rfind('\\');
    if (slash == std::string::npos)
        return;
    folder.resize(slash + 1);
    WriteRegString(HKEY_CURRENT_USER, kProductKey,
                   g_mode == COOKIES_Mozilla ? "CookieFolder" : "IECookieFolder", folder.c_str());
}

int EnumCookies(int apply)
{
    ClearEntryList();
    if (apply > 0)
        LoadNuts();
    const int count = g_mode == COOKIES_Mozilla ? EnumMozilla(apply) : EnumIE(apply);
    if (apply > 0)
        ReleaseNuts();
    return count;
}

int LoadNuts()
{
    ReleaseNuts();
    for (const Nut &value : NutValues()) {
        g_nutNames.insert(Upper(value.text));
        // A filter too long to keep whole would match more than the user asked for.
        if (value.text.size() <= kNutWidth)
            g_nuts.push_back(value);
    }
    return static_cast<int>(g_nuts.size());
}

void ReleaseNuts()
{
    g_nuts.clear();
    g_nutNames.clear();
}
int NutCount() { return static_cast<int>(g_nuts.size()); }

const char *NutText(int index)
{
    return index >= 0 && index < NutCount() ? g_nuts[index].text.c_str() : "";
}

int NutState(int index) { return index >= 0 && index < NutCount() ? g_nuts[index].state : 0; }

NutAdded AddNut(const char *text)
{
    const size_t length = text != nullptr ? strlen(text) : 0;
    if (length == 0 || length > kNewNutWidth)
        return NutAdded::Unfit;
    if (LoadNuts() > kMostNuts)
        return NutAdded::TooMany;
    WriteRegString(HKEY_CURRENT_USER, kNutsKey, text, "1");
    EnumCookies(1);
    LoadNuts();
    return NutAdded::Added;
}

int RemoveNut(const char *text)
{
    const int removed = DeleteRegValue(HKEY_CURRENT_USER, kNutsKey, text);
    LoadNuts();
    return removed;
}

void SaveNuts()
{
    for (const Nut &nut : g_nuts)
        if (nut.state == 1)
            WriteRegString(HKEY_CURRENT_USER, kNutsKey, nut.text.c_str(), "1");
}

int MatchesNut(const char *text)
{
    return text != nullptr && strnlen(text, kMatchLimit + 1) <= kMatchLimit && HoldsNut(text) ? 1
                                                                                               : 0;
}

void PurgeRemovedNuts()
{
    for (const Nut &value : NutValues())
        if (value.state == 2)
            DeleteRegValue(HKEY_CURRENT_USER, kNutsKey, value.text.c_str());
}

bool IsNutValue(const char *text)
{
    return text != nullptr && text[0] != '\0' &&
           RegValueExists(HKEY_CURRENT_USER, kNutsKey, text) != 0;
}

bool IsKeptCookie(const char *text)
{
    char value[16];
    return text != nullptr && text[0] != '\0' &&
           ReadRegString(HKEY_CURRENT_USER, kKeptKey, text, value, sizeof value) > 0;
}

void KeepCookie(const char *text)
{
    if (text != nullptr && text[0] != '\0')
        WriteRegString(HKEY_CURRENT_USER, kKeptKey, text, "1");
}

void RemoveCookie(const char *text)
{
    if (text == nullptr || text[0] == '\0')
        return;
    DeleteRegValue(HKEY_CURRENT_USER, kKeptKey, text);
    char folder[MAX_PATH];
    // A file name only: the viewer's text never names a file outside the cookie folder.
    if (g_mode == COOKIES_InternetExplorer && strpbrk(text, "\\/:") == nullptr &&
        GetIECookieFolder(folder, sizeof folder)) {
        DeleteFileA((std::string(folder) + text).c_str());
        return;
    }
    WriteRegString(HKEY_CURRENT_USER, kNutsKey, text, "2");
}

void SetUpdateCookieFile(bool on)
{
    if (on)
        StoreOption(OPT_UpdateCookieFile, 1);
    else
        DeleteRegValue(HKEY_CURRENT_USER, kOptionsKey, OptionName(OPT_UpdateCookieFile));
}

int UpdateCookieFilePending() { return GetOption(OptionName(OPT_UpdateCookieFile), 0) > 0; }

int SwapMozillaCookieFile()
{
    std::string profile;
    if (!UpdateCookieFilePending() || FindWindowA(kMozillaWindowClass, nullptr) != nullptr ||
        !ProfileFolder(profile))
        return 0;
    const std::string cookies = profile + "\\" + kCookiesFile;
    const std::string filtered = profile + "\\" + kFilteredFile;
    // The browser may have saved cookies since the copy was made: it is made again from them.
    WIN32_FILE_ATTRIBUTE_DATA now{}, copy{};
    if (!GetFileAttributesExA(filtered.c_str(), GetFileExInfoStandard, &copy))
        return 0;
    if (GetFileAttributesExA(cookies.c_str(), GetFileExInfoStandard, &now) &&
        CompareFileTime(&now.ftLastWriteTime, &copy.ftLastWriteTime) > 0) {
        LoadNuts();
        const bool made = WriteFilteredCopy(profile);
        ReleaseNuts();
        if (!made)
            return 0;
    }
    return MoveFileExA(filtered.c_str(), cookies.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 1
               : 0;
}

std::string MozillaCookieText(const std::string &domain, const std::string &name)
{
    return (!domain.empty() && domain[0] == '.' ? domain.substr(1) : domain) + " - " + name;
}

void CookiePlaces(PlaceList &out)
{
    char folder[MAX_PATH];
    if (GetIECookieFolder(folder, sizeof folder))
        AddFolderPlace(out, folder);
    if (GetMozillaProfileFolder(folder, sizeof folder) && folder[0] != '\0')
        AddFolderPlace(out, folder);
}

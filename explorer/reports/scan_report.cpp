#include "scan_report.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "bounded.h"
#include "browser.h"
#include "browser_pages.h"
#include "cookies.h"
#include "delayed.h"
#include "entries.h"
#include "files.h"
#include "filetypes.h"
#include "hidden.h"
#include "iehelpers.h"
#include "keys.h"
#include "paths.h"
#include "platform.h"
#include "processes.h"
#include "registry.h"
#include "report_file.h"
#include "services.h"
#include "startup.h"
#include "strings.h"
#include "sysfiles.h"
#include "tasks.h"
#include "text.h"
#include "texts.h"
#include "version.h"
#include "web.h"

namespace {

constexpr char kEnd[] = "\r\n";
constexpr char kReportName[] = "HijackSentrovia.log";
constexpr size_t kHostsReadLimit = 652780;
constexpr size_t kIeResetReadLimit = 16384;
constexpr size_t kMostHiddenFiles = 41;
constexpr size_t kLongestPageValue = 256;
constexpr size_t kLongestClassId = 127;
constexpr int kLastDesktopComponent = 8;

constexpr char kIeMain[] = "\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kIeMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kIeKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";

constexpr struct {
    const char *key;
    const char *name;
} kControlSets[] = {{"SYSTEM\\ControlSet001", "CS1"},
                    {"SYSTEM\\CurrentControlSet", "CCS"},
                    {"SYSTEM\\ControlSet002", "CS2"},
                    {"SYSTEM\\ControlSet003", "CS3"}};

// The shell objects Windows itself loads late; never findings.
constexpr const char *kOwnDelayLoadClasses[] = {
    "{7849596a-48ea-486e-8937-a2a3009f31a9}", "{fbeb8a05-beee-4442-804e-409d6c4515e9}",
    "{E6FB5E20-DE35-11CF-9C87-00AA005127ED}", "{35CEC8A3-2BE6-11D2-8773-92E220524153}"};

class Lines {
public:
    void Add(const std::string &line)
    {
        text_ += line;
        text_ += kEnd;
        ++count_;
    }
    void Blank() { text_ += kEnd; }
    int count() const { return count_; }
    std::string &text() { return text_; }

private:
    std::string text_;
    int count_ = 0;
};

std::string Text(HKEY root, const std::string &path, const char *name)
{
    return ReadRegFirstString(root, path.c_str(), name);
}

// The value's bytes as stored, whatever its type; false when it can't be read.
bool RawValue(HKEY root, const char *path, const char *name, std::string &data)
{
    RegKey key;
    DWORD type = 0;
    return key.Open(root, path, KEY_QUERY_VALUE) && ReadRegRaw(key.get(), name, &type, data);
}

// A profile value whole, however long; "" when missing. A null file is win.ini.
std::string ProfileText(const char *file, const char *section, const char *key)
{
    for (DWORD size = 1024; size <= (1u << 24); size *= 4) {
        std::vector<char> buffer(size);
        const DWORD length =
            file != nullptr
                ? GetPrivateProfileStringA(section, key, "", buffer.data(), size, file)
                : GetProfileStringA(section, key, "", buffer.data(), size);
        if (length + 1 < size)
            return std::string(buffer.data(), length);
    }
    return std::string();
}

std::string ReadFileStart(const std::string &path, size_t limit)
{
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::string();
    std::string text(limit, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &text[0], static_cast<DWORD>(limit), &read, nullptr))
        return std::string();
    text.resize(read);
    return text;
}

// The text split at line feeds, every other character below a blank dropped; a tab stands as a
// blank, so an address and its name stay apart.
std::vector<std::string> PrintableLines(const std::string &text)
{
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else if (c == '\t')
            lines.back() += ' ';
        else if (static_cast<unsigned char>(c) >= 32)
            lines.back() += c;
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string FolderPath(int (*folder)(char *, size_t), const char *file)
{
    char base[MAX_PATH];
    if (!folder(base, sizeof base))
        return std::string();
    return Joined({base, "\\", file});
}

struct ClassFacts {
    std::string description;
    std::string server;
};

ClassFacts ClassOf(const char *classId)
{
    char description[1025];
    char server[1025];
    LookUpClassFacts(classId, description, sizeof description, server, sizeof server);
    return {description, server};
}

template <typename Visit> void ForEachSubkey(HKEY root, const std::string &path, Visit visit)
{
    ForEachRegName(root, path.c_str(), RegNames::Subkeys, [&](const char *name) {
        visit(std::string(name));
        return true;
    });
}

template <typename Visit> void ForEachValueName(HKEY root, const std::string &path, Visit visit)
{
    ForEachRegName(root, path.c_str(), RegNames::Values, [&](const char *name) {
        visit(std::string(name));
        return true;
    });
}

// ---- Rows before the findings ----

void RunningProcesses(Lines &out)
{
    out.Blank();
    char caption[64];
    LoadText(IDS_RUNNING_PROCESSES, caption);
    out.Add(caption);
    EnumerateRunningPrograms();
    for (int i = 0; i < EntryCount(); ++i)
        out.Add(EntryWholePath(i));
    out.Blank();
}

void BrowserPageLines(Lines &out)
{
    struct PageLine {
        const char *code;
        HKEY hive;
        const char *hiveName;
        const char *name;
    };
    const PageLine kPageLines[] = {
        {"R1 - ", HKEY_CURRENT_USER, "HKCU", "Default_Page_URL"},
        {"R0 - ", HKEY_CURRENT_USER, "HKCU", "Start Page"},
        {"R1 - ", HKEY_LOCAL_MACHINE, "HKLM", "Default_Page_URL"},
        {"R0 - ", HKEY_LOCAL_MACHINE, "HKLM", "Start Page"},
        {"R1 - ", HKEY_CURRENT_USER, "HKCU", "Window Title"},
        {"R0 - ", HKEY_LOCAL_MACHINE, "HKLM", "Window Title"},
    };
    for (const PageLine &line : kPageLines) {
        const std::string value = Text(line.hive, kIeMainKey, line.name);
        if (!value.empty() && value.size() <= kLongestPageValue)
            out.Add(Joined({line.code, line.hiveName, kIeMain, ",", line.name, " = ", value}));
    }
}

void IniLines(Lines &out)
{
    const std::string systemIni = FolderPath(&WindowsFolder, "system.ini");
    const char *systemFile = systemIni.empty() ? "system.ini" : systemIni.c_str();
    const std::string shell = ProfileText(systemFile, "Boot", "Shell");
    if (!shell.empty() && !EqualsNoCase(shell.c_str(), "Explorer.exe"))
        out.Add("F0 - system.ini: Shell=" + shell);
    for (const char *key : {"run", "load"}) {
        const std::string value = ProfileText(nullptr, "Windows", key);
        if (!value.empty())
            out.Add(Joined({"F1 - win.ini: ", key, "=", value}));
    }
    const std::string userinit = ProfileText(systemFile, "Boot", "UserInit");
    if (!userinit.empty())
        out.Add("F2 - REG: system.ini: UserInit=" + userinit);
    for (const char *name : {"Load", "Run"}) {
        const std::string value = Text(HKEY_CURRENT_USER, kWindowsNtKey, name);
        if (!value.empty())
            out.Add(Joined({"F3 - HKCU ", name, "=", value}));
    }
}

// ---- O1 to O24 ----

// Loopback and null-address lines only keep names away; any other mapping is a finding. The null
// address is looked for where the address stands, so 10.0.0.1 still counts.
bool IsHostsFinding(const std::string &line)
{
    const size_t length = line.size() + 2;  // with its CR LF
    const size_t address = line.find_first_not_of(' ');
    return !line.empty() && line[0] != '#' && length > 4 && length < 500 &&
           line.find("127.0.0.1") == std::string::npos && line.find("::1") == std::string::npos &&
           (address == std::string::npos || line.compare(address, 5, "0.0.0") != 0);
}

void HostsLines(Lines &out)
{
    char hosts[MAX_PATH];
    if (!GetHostsPath(hosts, sizeof hosts))
        return;
    for (const std::string &line : PrintableLines(ReadFileStart(hosts, kHostsReadLimit)))
        if (IsHostsFinding(line))
            out.Add("O1 - Hosts: " + line);
}

void HelperObjectLines(Lines &out)
{
    ForEachSubkey(HKEY_LOCAL_MACHINE, HelperKeyOfKind(kBhoKind), [&](const std::string &id) {
        const ClassFacts facts = ClassOf(id.c_str());
        out.Add(Joined({"O2 - BHO: ", facts.description, " - ", id, " - ", facts.server}));
    });
    ForEachValueName(HKEY_LOCAL_MACHINE, HelperKeyOfKind(kToolbarKind),
                     [&](const std::string &id) {
                         const ClassFacts facts = ClassOf(id.c_str());
                         out.Add(Joined({"O3 - Toolbar: ", facts.description, " - ", id, " - ",
                                      facts.server}));
                     });
}

const char *RunFormatPrefix(int code)
{
    switch (code) {
    case 1: return "O4 - HKLM\\..\\Run: [";
    case 2: return "O4 - HKLM\\..\\RunOnce: [";
    case 3: return "O4 - HKLM\\..\\RunOnceEx: [";
    case 4: return "O4 - HKLM\\..\\RunServices: [";
    case 5: return "O4 - HKLM\\..\\RunServicesOnce: [";
    case 6: return "O4 - HKLM\\..\\RunOnceSetup: [";
    case 7: return "O4 - HKLM\\..\\Policies\\Explorer\\Run: [";
    case 11: return "O4 - HKCU\\..\\Run: [";
    case 12: return "O4 - HKCU\\..\\RunOnce: [";
    case 13: return "O4 - HKCU\\..\\RunOnceEx: [";
    case 14: return "O4 - HKCU\\..\\RunServices: [";
    case 15: return "O4 - HKCU\\..\\RunServicesOnce: [";
    case 16: return "O4 - HKCU\\..\\RunOnceSetup: [";
    case 21: return "O4 - HKU\\..\\Run: [";
    case 22: return "O4 - HKU\\..\\RunOnce: [";
    case 23: return "O4 - HKU\\..\\RunOnceEx: [";
    case 24: return "O4 - HKU\\..\\RunService: [";
    case 25: return "O4 - HKU\\..\\RunServicesOnce: [";
    case 26: return "O4 - HKU\\..\\RunOnceSetup: [";
    default: return "O4 - Other Run: [";
    }
}

void AddRunKeyPart(void *context)
{
    Lines &out = *static_cast<Lines *>(context);
    for (int i = 0; i < EntryCount(); ++i)
        out.Add(Joined({RunFormatPrefix(EntryKind(i)), EntryWholeTitle(i), "]",
                     EntryWholePath(i)}));
}

void StartupLines(Lines &out)
{
    EnumRunKeys(&AddRunKeyPart, &out);
    for (bool perUser : {true, false}) {
        EnumStartupFolders(perUser);
        for (int i = 0; i < EntryCount(); ++i) {
            char detail[kDetailWidth + 1];
            EntryDetail(i, detail, sizeof detail);
            out.Add(Joined({perUser ? "O4 - Startup: " : "O4 - Global Startup: ",
                         FileNameOf(detail), "=", EntryWholePath(i)}));
        }
    }
}

void PolicyLines(Lines &out)
{
    const std::string dontLoad = Text(HKEY_CURRENT_USER, "Control Panel\\don't load", "inetcpl.cpl");
    if (ContainsNoCase(dontLoad.c_str(), "no"))
        out.Add("O5 - control.ini: inetcpl.cpl=" + dontLoad);
    for (const char *key : {"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions",
                            "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel"})
        if (!Text(HKEY_CURRENT_USER, key, nullptr).empty())
            out.Add(Joined({"O6 - HKCU\\", key, " present"}));
    constexpr char kSystemPolicies[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    // The labels keep their blanks as the lines have always shown them.
    for (const auto &flag : {std::make_pair("DisableRegistryTools", "DisableRegistryTools "),
                             std::make_pair("DisableRegEdit", "DisableRegEdit"),
                             std::make_pair("DisableTaskMgr", "DisableTaskMgr ")}) {
        std::string data;
        if (!RawValue(HKEY_CURRENT_USER, kSystemPolicies, flag.first, data) || data.empty())
            continue;
        const int first = static_cast<unsigned char>(data[0]);
        if (first >= 1 && first <= 127)
            out.Add(Joined({"O7 - HKCU\\", kSystemPolicies, ", ", flag.second, "=",
                         std::to_string(first)}));
    }
}

void MenuLines(Lines &out)
{
    const std::string menus = "Software\\Microsoft\\Internet Explorer\\MenuExt";
    ForEachSubkey(HKEY_CURRENT_USER, menus, [&](const std::string &menu) {
        const std::string program = Text(HKEY_CURRENT_USER, menus + "\\" + menu, nullptr);
        if (!program.empty())
            out.Add(Joined({"O8 - Extra context menu item: ", menu, " - ", program}));
    });
    const std::string extensions = std::string(kIeKey) + "\\Extensions";
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        ForEachSubkey(hive, extensions, [&](const std::string &name) {
            const std::string key = extensions + "\\" + name;
            std::string path = Text(hive, key, "script");
            if (path.empty())
                path = Text(hive, key, "exec");
            if (path.empty())
                path = ClassOf(name.c_str()).server;
            if (path.empty())
                return;
            if (hive == HKEY_CURRENT_USER)
                path += " (HKCU)";
            std::string button = Text(hive, key, "ButtonText");
            if (button.empty())
                button = "(no name)";
            out.Add(Joined({"O9 - Extra button: ", button, " - ", name, " - ", path}));
            const std::string menu = Text(hive, key, "MenuText");
            if (!menu.empty())
                out.Add(Joined({"O9 - Extra 'Tools' menuitem: ", menu, " - ", name, " - ", path}));
        });
    }
}

void BrowserOptionLines(Lines &out)
{
    const std::string options = std::string(kIeKey) + "\\AdvancedOptions";
    ForEachSubkey(HKEY_LOCAL_MACHINE, options, [&](const std::string &name) {
        const std::string key = options + "\\" + name;
        const std::string help = Text(HKEY_LOCAL_MACHINE, key, "HelpID");
        if (ContainsNoCase(help.c_str(), "iexplore.hlp"))
            return;
        const std::string title = Text(HKEY_LOCAL_MACHINE, key, "Text");
        std::string bitmap = Text(HKEY_LOCAL_MACHINE, key, "Bitmap");
        const size_t slash = bitmap.rfind('\\');
        if (slash != std::string::npos)
            bitmap.resize(slash);
        out.Add(Joined({"O11 - Options group: [", title, "] ", title, " - ", bitmap}));
    });
    const std::string plugins = std::string(kIeKey) + "\\Plugins\\Extension";
    ForEachSubkey(HKEY_LOCAL_MACHINE, plugins, [&](const std::string &name) {
        const std::string location = Text(HKEY_LOCAL_MACHINE, plugins + "\\" + name, "Location");
        if (!location.empty())
            out.Add(Joined({"O12 - Plugin for ", name, ": ", location}));
    });
}

void PrefixLines(Lines &out)
{
    const std::string defaultPrefix = Text(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, nullptr);
    if (defaultPrefix.size() > 7)
        out.Add("O13 - DefaultPrefix: " + defaultPrefix);
    const std::string www = Text(HKEY_LOCAL_MACHINE, kPrefixesKey, "www");
    if (www.size() > 7)
        out.Add("O13 - WWW Prefix: " + www);
    const std::string wwwDot = Text(HKEY_LOCAL_MACHINE, kPrefixesKey, "www.");
    if (wwwDot.size() > 7)
        out.Add("O13 -  WWW. Prefix: " + wwwDot);
}

void IeResetLines(Lines &out)
{
    const std::string inf = FolderPath(&WindowsFolder, "inf\\iereset.inf");
    if (!inf.empty())
        for (const char *key : {"START_PAGE_URL", "SEARCH_PAGE_URL"}) {
            const std::string value = ProfileText(inf.c_str(), "Strings", key);
            if (!value.empty())
                out.Add(Joined({"O14 - IERESET.INF: ", key, " = ", value}));
        }
    // This one is read where Windows is normally installed, whatever the Windows folder is.
    const std::string fixed = FolderPath(&RootFolder, "WINDOWS\\inf\\iereset.inf");
    if (fixed.empty())
        return;
    for (const std::string &line : PrintableLines(ReadFileStart(fixed, kIeResetReadLimit))) {
        for (const char *name : {"Start Page", "Default_Page_URL", "Default_Search_URL",
                                 "Search Page"}) {
            if (!ContainsNoCase(line.c_str(), name))
                continue;
            const size_t comma = line.rfind(',');
            if (comma == std::string::npos)
                continue;
            const char *hive = ContainsNoCase(line.c_str(), "HKCU")   ? "HKCU,"
                               : ContainsNoCase(line.c_str(), "HKLM") ? "HKLM,"
                                                                      : "";
            out.Add(Joined({"O14 - IERESET.INF:", hive, " ", name, " = ", line.substr(comma + 1)}));
        }
    }
}

// The zone a domain (or one of its hosts) is mapped to: its "*" number, the domain's own first.
int ZoneOf(HKEY hive, const std::string &domainKey)
{
    std::string data;
    if (RawValue(hive, domainKey.c_str(), "*", data) && data.size() >= 1)
        return static_cast<unsigned char>(data[0]);
    int zone = -1;
    ForEachRegName(hive, domainKey.c_str(), RegNames::Subkeys, [&](const char *host) {
        if (RawValue(hive, (domainKey + "\\" + host).c_str(), "*", data) && data.size() >= 1)
            zone = static_cast<unsigned char>(data[0]);
        return zone < 0;
    });
    return zone;
}

void TrustedZoneLines(Lines &out)
{
    constexpr int kTrustedSitesZone = 2;
    const std::string domains =
        std::string(kCurrentVersion) + "\\Internet Settings\\ZoneMap\\Domains";
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        ForEachSubkey(hive, domains, [&](const std::string &domain) {
            if (ZoneOf(hive, domains + "\\" + domain) == kTrustedSitesZone)
                out.Add("O15 - Trusted Zone: " + domain);
        });
}

void DownloadedProgramLines(Lines &out)
{
    const std::string units = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
    ForEachSubkey(HKEY_LOCAL_MACHINE, units, [&](const std::string &id) {
        const std::string codebase =
            Text(HKEY_LOCAL_MACHINE, units + "\\" + id + "\\DownloadInformation", "CODEBASE");
        if (!codebase.empty())
            out.Add(Joined({"O16 - DPF: ", id, " (", ClassOf(id.c_str()).description, ") - ",
                         codebase}));
    });
}

void NetworkLines(Lines &out)
{
    for (const char *name : {"SearchList", "NameServer"})
        for (const auto &set : kControlSets) {
            const std::string value =
                Text(HKEY_LOCAL_MACHINE, Joined({set.key, "\\Services\\Tcpip\\Parameters"}), name);
            if (!value.empty())
                out.Add(Joined({"O17 - HKLM\\", set.name, ": ", name, " = ", value}));
        }
    for (const char *place : {"\\Services\\VxD\\MSTCP", "\\Services\\Tcpip\\Parameters"})
        for (const auto &set : kControlSets) {
            const std::string key = Joined({set.key, place});
            if (RegValueExists(HKEY_LOCAL_MACHINE, key.c_str(), "Domain"))
                out.Add(Joined({"O17 - HKLM\\System\\", set.name, place, ": Domain = ",
                             Text(HKEY_LOCAL_MACHINE, key, "Domain")}));
        }
}

void ShellObjectLines(Lines &out)
{
    const std::string styleSheet =
        Text(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Styles", "User Stylesheet");
    if (!styleSheet.empty())
        out.Add("O19 -  User style sheet: " + styleSheet);
    const std::string appInit = Text(HKEY_LOCAL_MACHINE, kWindowsNtKey, "AppInit_DLLs");
    if (!appInit.empty()) {
        out.Add("O20 - AppInit_DLLs: " + appInit);
        out.Blank();
    }
    const std::string delayLoad = kDelayLoadKey;
    ForEachValueName(HKEY_LOCAL_MACHINE, delayLoad, [&](const std::string &name) {
        const std::string id = Text(HKEY_LOCAL_MACHINE, delayLoad, name.c_str());
        if (id.empty() || id.size() > kLongestClassId)
            return;
        for (const char *own : kOwnDelayLoadClasses)
            if (EqualsNoCase(id.c_str(), own))
                return;
        const ClassFacts facts = ClassOf(id.c_str());
        if (!facts.server.empty())
            out.Add(Joined({"O21 - ", name, " - ", facts.description, " - ", id, " - ",
                         facts.server}));
    });
    const std::string schedulers = kTaskSchedulerKey;
    ForEachValueName(HKEY_LOCAL_MACHINE, schedulers, [&](const std::string &id) {
        std::string data;
        if (!RawValue(HKEY_LOCAL_MACHINE, schedulers.c_str(), id.c_str(), data))
            return;
        const ClassFacts facts = ClassOf(id.c_str());
        if (!facts.server.empty() && !ContainsNoCase(facts.server.c_str(), "browseui.dll"))
            out.Add(Joined({"O22 - SharedTaskScheduler: (", facts.description, ") - ", id, " - ",
                         facts.server}));
    });
}

void ServiceLines(Lines &out)
{
    EnumerateServices(false);
    for (int i = 0; i < EntryCount(); ++i) {
        char clean[MAX_PATH * 2];
        CleanPath(EntryWholePath(i), clean, sizeof clean);
        VersionRecord version;
        ReadVersionInfo(clean, &version);
        out.Add(Joined({"O23 - Service: ", EntryWholeTitle(i), " - ", version.slot[VS_CompanyName],
                     " - ", EntryWholePath(i)}));
    }
}

void DesktopComponentLines(Lines &out)
{
    for (int n = 0; n <= kLastDesktopComponent; ++n) {
        const std::string key =
            "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\" + std::to_string(n);
        const std::string name = Text(HKEY_CURRENT_USER, key, "FriendlyName");
        if (name.empty())
            break;
        if (ContainsNoCase(name.c_str(), "Current Home Page"))
            continue;
        out.Add(Joined({"O24 -  Desktop Component ", std::to_string(n), ": ", name, " - ",
                     Text(HKEY_CURRENT_USER, key, "Source")}));
    }
}

// ---- Additional information ----

void BrowserLines(Lines &out)
{
    out.Add("---  Additional Sentrovia Info  ---");
    char program[1024];
    char clean[MAX_PATH * 2];
    VersionRecord version;
    if (DefaultBrowserProgram(program, sizeof program) &&
        CleanPath(program, clean, sizeof clean) && FileExists(clean)) {
        ReadVersionInfo(clean, &version);
        out.Add(Joined({"Default Browser: ", version.slot[VS_ProductName], " - ",
                     version.slot[VS_FileDescription], " version ",
                     version.slot[VS_ProductVersion]}));
    } else {
        out.Add("Browser: Unable to find default browser.");
    }
    out.Add(MsieText());
    char productVersion[256];
    char path[1024];
    if (AolClientRunning() &&
        AppPathsLookup("AOL.EXE", productVersion, sizeof productVersion, path, sizeof path))
        out.Add(Joined({"America Online version ", productVersion, " running ", path}));
    for (const auto &browser : {std::make_pair("Firefox", "firefox.exe"),
                                std::make_pair("Mozilla", "Mozilla.exe"),
                                std::make_pair("Netscape", "Netscp.exe")})
        if (AppPathsLookup(browser.second, productVersion, sizeof productVersion, path,
                           sizeof path))
            out.Add(Joined({browser.first, " ", productVersion, " installed in ", path, "."}));
}

void CookieLines(Lines &out)
{
    const int mode = CurrentCookieMode();
    struct CookieSource {
        int mode;
        int (*folder)(char *, size_t);
        const char *label;
    };
    for (const CookieSource &source :
         {CookieSource{COOKIES_InternetExplorer, &GetIECookieFolder, " IE Cookies in Folder: "},
          CookieSource{COOKIES_Mozilla, &GetMozillaProfileFolder, " Mozilla Cookies in Folder: "}}) {
        char folder[MAX_PATH * 2];
        if (!source.folder(folder, sizeof folder))
            continue;
        SetCookieMode(source.mode);
        const int count = EnumCookies(0);
        out.Add(Joined({std::to_string(count), source.label, folder}));
    }
    SetCookieMode(mode);
    out.Blank();
}

void SessionLines(Lines &out)
{
    const int before = out.count();
    for (const char *name : {"BootExecute", "PendingFileRenameOperations"}) {
        const char *code = name[0] == 'B' ? "SV00 - HKLM\\" : "SV01 - HKLM\\";
        for (const auto &set : kControlSets) {
            const std::string value =
                Text(HKEY_LOCAL_MACHINE, Joined({set.key, "\\Control\\Session Manager\\"}), name);
            if (!value.empty())
                out.Add(Joined({code, set.name, ": ", name, " = ", value}));
        }
    }
    const std::string command = Text(
        HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
        "ComSpec");
    if (!command.empty())
        out.Add("SV02 - HKLM\\CCS: Command = " + command);
    if (out.count() > before)
        out.Blank();
    if (const int setting = AutoUpdateSetting()) {
        out.Add(Joined({"SV03 - Windows Automatic Update = ", std::to_string(setting), ":",
                     AutoUpdateText(setting)}));
        out.Blank();
    }
    EnumDelayedEntries();
    for (int i = 0; i < EntryCount(); ++i)
        out.Add(Joined({"SV06 - Delayed Start: [", EntryWholeTitle(i), "]", EntryWholePath(i)}));
    out.Blank();
    const int prefixes = out.count();
    const std::string defaultPrefix = Text(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, nullptr);
    if (!defaultPrefix.empty())
        out.Add(Joined({"SV08 - HKLM\\", kDefaultPrefixKey, ": Default = ", defaultPrefix}));
    const std::string www = Text(HKEY_LOCAL_MACHINE, kPrefixesKey, "www");
    if (!www.empty())
        out.Add(Joined({"SV08 - HKLM\\", kPrefixesKey, ": www = ", www}));
    if (out.count() > prefixes)
        out.Blank();
}

// One line per listed entry, and a blank line after them when there were any.
template <typename Line> void EntryBlock(Lines &out, size_t most, Line line)
{
    const int before = out.count();
    for (int i = 0; i < EntryCount() && static_cast<size_t>(i) < most; ++i) {
        char detail[kDetailWidth + 1];
        char description[kDescriptionWidth + 1];
        EntryDetail(i, detail, sizeof detail);
        EntryDescription(i, description, sizeof description);
        const std::string text = line(i, std::string(detail), std::string(description));
        if (!text.empty())
            out.Add(text);
    }
    if (out.count() > before)
        out.Blank();
}

void ListedAreaLines(Lines &out)
{
    constexpr size_t kAll = static_cast<size_t>(-1);
    GetScheduledTasks();
    EntryBlock(out, kAll, [](int i, const std::string &, const std::string &description) {
        return Joined({"SV31 - Scheduled Tasks: [", EntryWholeTitle(i), "]", EntryWholePath(i), " ",
                    description});
    });
    EnumActiveXAll();
    EntryBlock(out, kAll, [](int i, const std::string &detail, const std::string &description) {
        if (!IsKillBitClear(detail.c_str()))
            return std::string();
        return Joined({"SV16 - ActiveX: ", detail, " [", EntryWholeTitle(i), "] ",
                    EntryWholePath(i), " ", description});
    });
    EnumHiddenFiles();
    EntryBlock(out, kMostHiddenFiles, [](int i, const std::string &, const std::string &) {
        return Joined({"SV32 - Hidden File: ", EntryWholePath(i)});
    });
    EnumFileTypes();
    EntryBlock(out, kAll, [](int i, const std::string &, const std::string &description) {
        return Joined({"SV33 - File Type ", description, ": [", EntryWholeTitle(i), "]",
                    EntryWholePath(i)});
    });
    ClearEntryList();
}

std::string Kilobytes(DWORDLONG bytes)
{
    char text[64];
    ThousandsText(static_cast<long long>(bytes / 1024), text, sizeof text);
    return text;
}

void MemoryLines(Lines &out)
{
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (GlobalMemoryStatusEx(&memory)) {
        char load[32];
        ThousandsText(memory.dwMemoryLoad, load, sizeof load);
        out.Add(Joined({"Memory currently in use: ", load, "%"}));
        out.Add("Physical Memory Free: " + Kilobytes(memory.ullAvailPhys) + " KB");
        out.Add("Paging File Free: " + Kilobytes(memory.ullAvailPageFile) + " KB");
        out.Add("Virtual Memory Free: " + Kilobytes(memory.ullAvailVirtual) + " KB");
    }
    out.Blank();
    out.Blank();
    out.Add("--");
    out.Add("End of file");
}

} // namespace

std::string ScanReportText()
{
    Lines out;
    out.text() = HeaderText(ReportHeader(true), false);
    RunningProcesses(out);
    BrowserPageLines(out);
    IniLines(out);
    HostsLines(out);
    HelperObjectLines(out);
    StartupLines(out);
    PolicyLines(out);
    MenuLines(out);
    BrowserOptionLines(out);
    PrefixLines(out);
    IeResetLines(out);
    TrustedZoneLines(out);
    DownloadedProgramLines(out);
    NetworkLines(out);
    ShellObjectLines(out);
    ServiceLines(out);
    DesktopComponentLines(out);
    out.Blank();
    BrowserLines(out);
    CookieLines(out);
    SessionLines(out);
    ListedAreaLines(out);
    MemoryLines(out);
    return out.text();
}

int WriteScanReport(const char *path)
{
    ReportFile file(path);
    file.Write(ScanReportText());
    OpenWrittenReport(path, file.Commit() != 0);
    return 1;
}

int WriteScanReportInProgramFolder()
{
    char folder[MAX_PATH];
    if (!ProgramFolder(folder, sizeof folder))
        return 0;
    return WriteScanReport(Joined({folder, "\\", kReportName}).c_str());
}

bool AskedForScanReport()
{
    char own[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own - 1);
    own[length < sizeof own ? length : sizeof own - 1] = '\0';
    return ContainsNoCase(FileNameOf(static_cast<const char *>(own)), "hijack") != 0;
}

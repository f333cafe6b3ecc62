// The scan log written from a sandboxed registry and scratch folders standing in for the Windows,
// system, root and temporary folders, compared with its expected file; the line rules one by one;
// the platform description for every family and edition; writing it whole or not at all.
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "golden.h"
#include "iehelpers.h"
#include "options.h"
#include "platform.h"
#include "platform_text.h"
#include "registry.h"
#include "regsandbox.h"
#include "report_file.h"
#include "scan_report.h"
#include "scratch.h"

namespace {

constexpr char kIeMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kComponents[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components";

std::vector<std::string> LinesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    return lines;
}

int CountStarting(const std::string &text, const std::string &start)
{
    int count = 0;
    for (const std::string &line : LinesOf(text))
        count += line.compare(0, start.size(), start) == 0;
    return count;
}

// The facts of the machine the tests run on (its processes, services, tasks, memory and cookie
// folders) stand as one placeholder line each.
std::string WithoutLiveFacts(const std::string &text)
{
    static const char *const kLive[] = {"O23 - Service: ", "SV31 - ", "Memory currently",
                                        "Physical Memory", "Paging File", "Virtual Memory"};
    std::string out;
    bool inProcesses = false;
    std::string last;
    for (const std::string &line : LinesOf(text)) {
        std::string shown = line;
        if (inProcesses && line.empty())
            inProcesses = false;
        else if (inProcesses)
            shown = "<running process>";
        for (const char *live : kLive)
            if (line.rfind(live, 0) == 0)
                shown = std::string(live) + "<live>";
        if (line.find(" Cookies in Folder: ") != std::string::npos)
            shown = "<cookie folder>";
        if (line == "Running processes:")
            inProcesses = true;
        if (shown != line && shown == last)
            continue;
        out += shown + "\r\n";
        last = shown;
    }
    return out;
}

class ScanReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadOptions();
        machine_.PointAt(platform_);
        platform_.programFolder = program_.path().c_str();
        now_.wYear = 2026;
        now_.wMonth = 12;
        now_.wDay = 8;
        now_.wHour = 12;
        now_.wMinute = 30;
        now_.wSecond = 5;
        platform_.localTime = &now_;
        facts_.platformId = VER_PLATFORM_WIN32_NT;
        facts_.major = 5;
        facts_.minor = 1;
        facts_.build = 2600;
        strcpy(facts_.servicePack, "Service Pack 2");
        facts_.extended = true;
        facts_.servicePackMajor = 2;
        facts_.productType = VER_NT_WORKSTATION;
        facts_.suiteMask = VER_SUITE_PERSONAL;
        platform_.facts = &facts_;
        SetPlatformOverride(&platform_);
        previousOpener_ = SetReportOpener(&Opened);
        opened_.clear();
    }
    void TearDown() override
    {
        SetReportOpener(previousOpener_);
        SetPlatformOverride(nullptr);
    }
    void Hosts(const std::string &content) const
    {
        windows_.Write("system32\\drivers\\etc\\HOSTS", content);
    }
    std::string Hidden(const ScratchFolder &folder, const std::string &name) const
    {
        const std::string file = folder.Write(name, "x");
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
        return file;
    }
    static void Opened(const char *path) { opened_.push_back(path); }

    RegistrySandbox sandbox_;
    ScratchMachine machine_{""};
    const ScratchFolder &root_ = machine_.root;
    const ScratchFolder &windows_ = machine_.windows;
    const ScratchFolder &temp_ = machine_.temp;
    ScratchFolder program_;
    const std::string &system_ = machine_.system;
    SYSTEMTIME now_{};
    PlatformFacts facts_;
    PlatformOverride platform_;
    ReportOpener previousOpener_ = nullptr;
    static inline std::vector<std::string> opened_;
};

// A machine with one finding of most kinds.
TEST_F(ScanReport, MatchesItsExpectedFile)
{
    WriteRegString(HKEY_CURRENT_USER, kIeMain, "Start Page", "http://start.example/");
    WriteRegString(HKEY_LOCAL_MACHINE, kIeMain, "Default_Page_URL", "http://default.example/");
    WriteRegString(HKEY_CURRENT_USER, kIeMain, "Window Title", std::string(257, 'w').c_str());
    windows_.Write("system.ini", "[Boot]\r\nShell=Explorer.exe other.exe\r\nUserInit=init.exe\r\n");
    Hosts("127.0.0.1 localhost\r\n10.0.0.1\tads.example\r\n");
    WriteRegString(HKEY_CLASSES_ROOT, "CLSID\\{11111111-0000-0000-0000-000000000001}", nullptr,
                   "Helper Object");
    WriteRegString(HKEY_CLASSES_ROOT,
                   "CLSID\\{11111111-0000-0000-0000-000000000001}\\InprocServer32", nullptr,
                   "C:\\helpers\\bho.dll");
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"
                 "{11111111-0000-0000-0000-000000000001}");
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "Updater", "C:\\tools\\updater.exe /quiet");
    WriteRegString(HKEY_CURRENT_USER, kRun, "Notes, quoted \"x\"", "C:\\notes\\notes.exe");
    WriteRegNumber(HKEY_CURRENT_USER,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                   "DisableTaskMgr", 1);
    WriteRegString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\MenuExt\\&Search",
                   nullptr, "res://search.dll/menu.htm");
    WriteRegString(HKEY_LOCAL_MACHINE,
                   "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{22222222-0000}",
                   "ButtonText", "Tools Button");
    WriteRegString(HKEY_LOCAL_MACHINE,
                   "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{22222222-0000}", "Exec",
                   "C:\\tools\\button.exe");
    WriteRegString(HKEY_LOCAL_MACHINE,
                   "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{22222222-0000}",
                   "MenuText", "Tools Item");
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes",
                   "www", "http://evil.example/?");
    windows_.Write("inf\\iereset.inf", "[Strings]\r\nSTART_PAGE_URL=http://reset.example/\r\n");
    root_.Write("WINDOWS\\inf\\iereset.inf",
                "HKCU,\"Software\\Microsoft\\Internet Explorer\\Main\",\"Start Page\",,"
                "http://fixed.example/\n");
    WriteRegNumber(HKEY_CURRENT_USER,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\"
                   "Domains\\trusted.example",
                   "*", 2);
    WriteRegNumber(HKEY_CURRENT_USER,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\"
                   "Domains\\restricted.example",
                   "*", 4);
    WriteRegString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                   "NameServer", "10.9.9.9");
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                   "AppInit_DLLs", "hook.dll");
    WriteRegString(HKEY_CURRENT_USER, std::string(kComponents).append("\\0").c_str(),
                   "FriendlyName", "Weather");
    WriteRegString(HKEY_CURRENT_USER, std::string(kComponents).append("\\0").c_str(), "Source",
                   "http://weather.example/");
    const std::string multi("autocheck autochk *\0second\0", 28);
    WriteRawValue(HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet001\\Control\\Session Manager",
                  "BootExecute", REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size()));
    WriteRegNumber(HKEY_LOCAL_MACHINE,
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update",
                   "AUOptions", 2);
    Hidden(root_, "secret.sys");

    std::string report = WithoutLiveFacts(ScanReportText());
    for (const ScratchFolder *folder : {&root_, &windows_, &temp_}) {
        char longForm[MAX_PATH];
        GetLongPathNameA(folder->path().c_str(), longForm, sizeof longForm);
        for (size_t at; (at = report.find(longForm)) != std::string::npos;)
            report.replace(at, strlen(longForm), folder == &temp_ ? "<temp>" : "<scratch>");
    }
    EXPECT_TRUE(MatchesGolden(report, "scan-report.log"));
}

TEST_F(ScanReport, LoopbackCommentedAndNullHostsLinesAreNoFindings)
{
    Hosts("# a comment 10.1.1.1 x\r\n127.0.0.1\tlocalhost\r\n::1 localhost\r\n"
          "0.0.0.0 blocked.example\r\n  0.0.0.0\tspaced.example\r\n\t\r\nab\r\n"
          "10.0.0.1\tbank.example\r\n10.0.0.7 last.example");
    const std::string report = ScanReportText();
    EXPECT_EQ(2, CountStarting(report, "O1 - "));
    // An address that merely holds "0.0.0" is a mapping all the same.
    EXPECT_NE(std::string::npos, report.find("O1 - Hosts: 10.0.0.1 bank.example\r\n"));
    EXPECT_NE(std::string::npos, report.find("O1 - Hosts: 10.0.0.7 last.example\r\n"));
    Hosts("127.0.0.1 localhost\r\n");
    EXPECT_EQ(0, CountStarting(ScanReportText(), "O1 - "));
}

TEST_F(ScanReport, ExplorerAloneIsNoShellFinding)
{
    for (const char *shell : {"explorer.exe", "EXPLORER.EXE", "Explorer.exe"}) {
        windows_.Write("system.ini", std::string("[Boot]\r\nShell=") + shell + "\r\n");
        EXPECT_EQ(0, CountStarting(ScanReportText(), "F0 - ")) << shell;
    }
    windows_.Write("system.ini", "[Boot]\r\nShell=explorer.exe evil.exe\r\n");
    EXPECT_NE(std::string::npos,
              ScanReportText().find("F0 - system.ini: Shell=explorer.exe evil.exe\r\n"));
}

TEST_F(ScanReport, DesktopComponentsStopAtTheFirstWithoutAName)
{
    const std::string first = std::string(kComponents) + "\\0";
    const std::string second = std::string(kComponents) + "\\1";
    const std::string third = std::string(kComponents) + "\\2";
    WriteRegString(HKEY_CURRENT_USER, second.c_str(), "FriendlyName", "Clock");
    EXPECT_EQ(0, CountStarting(ScanReportText(), "O24 - "));
    WriteRegString(HKEY_CURRENT_USER, first.c_str(), "FriendlyName", "My Current Home Page");
    WriteRegString(HKEY_CURRENT_USER, second.c_str(), "Source", "http://clock.example/");
    WriteRegString(HKEY_CURRENT_USER, third.c_str(), "FriendlyName", "");
    const std::string report = ScanReportText();
    EXPECT_EQ(1, CountStarting(report, "O24 - "));
    EXPECT_NE(std::string::npos,
              report.find("O24 -  Desktop Component 1: Clock - http://clock.example/\r\n"));
}

TEST_F(ScanReport, ControlsWithTheKillBitAreLeftOut)
{
    for (const char *id : {"{33333333-0000-0000-0000-000000000001}",
                           "{33333333-0000-0000-0000-000000000002}"}) {
        const std::string clsid = std::string("CLSID\\") + id;
        WriteRegString(HKEY_CLASSES_ROOT, clsid.c_str(), nullptr, "Player");
        WriteRegString(HKEY_CLASSES_ROOT, (clsid + "\\InprocServer32").c_str(), nullptr,
                       "C:\\controls\\player.ocx");
        CreateRegKey(HKEY_LOCAL_MACHINE,
                     (std::string("SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\") +
                      id).c_str());
    }
    ASSERT_EQ(1, SetKillBit("{33333333-0000-0000-0000-000000000002}"));
    const std::string report = ScanReportText();
    EXPECT_EQ(1, CountStarting(report, "SV16 - "));
    EXPECT_NE(std::string::npos, report.find("SV16 - ActiveX: {33333333-0000-0000-0000-000000000001}"));
}

void RegisterClass(const char *id, const char *description, const char *server)
{
    const std::string key = std::string("CLSID\\") + id;
    WriteRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, description);
    WriteRegString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), nullptr, server);
}

TEST_F(ScanReport, WindowsOwnShellObjectsAreNoFindings)
{
    constexpr char kDelayLoad[] =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
    constexpr char kSchedulers[] =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
    RegisterClass("{35CEC8A3-2BE6-11D2-8773-92E220524153}", "SysTray", "C:\\w\\stobject.dll");
    RegisterClass("{44444444-0000-0000-0000-000000000001}", "Loader", "C:\\x\\loader.dll");
    RegisterClass("{44444444-0000-0000-0000-000000000002}", "Cache", "C:\\w\\browseui.dll");
    RegisterClass("{44444444-0000-0000-0000-000000000003}", "Pre", "C:\\x\\pre.dll");
    // The identifier in another letter case is Windows' own all the same.
    WriteRegString(HKEY_LOCAL_MACHINE, kDelayLoad, "SysTray", "{35cec8a3-2be6-11d2-8773-92e220524153}");
    WriteRegString(HKEY_LOCAL_MACHINE, kDelayLoad, "Loader", "{44444444-0000-0000-0000-000000000001}");
    WriteRegString(HKEY_LOCAL_MACHINE, kSchedulers, "{44444444-0000-0000-0000-000000000002}", "c");
    WriteRegString(HKEY_LOCAL_MACHINE, kSchedulers, "{44444444-0000-0000-0000-000000000003}", "p");
    const std::string report = ScanReportText();
    EXPECT_EQ(1, CountStarting(report, "O21 - "));
    EXPECT_NE(std::string::npos,
              report.find("O21 - Loader - Loader - {44444444-0000-0000-0000-000000000001} - "
                          "C:\\x\\loader.dll\r\n"));
    EXPECT_EQ(1, CountStarting(report, "O22 - "));
    EXPECT_NE(std::string::npos,
              report.find("O22 - SharedTaskScheduler: (Pre) - {44444444-0000-0000-0000-000000000003}"));
}

TEST_F(ScanReport, AtMostFortyOneHiddenFiles)
{
    for (int i = 0; i < 45; ++i)
        Hidden(temp_, "file" + std::to_string(100 + i) + ".tmp");
    EXPECT_EQ(41, CountStarting(ScanReportText(), "SV32 - Hidden File: "));
}

TEST_F(ScanReport, TimesAreOnTheTwelveHourDial)
{
    EXPECT_EQ("12:30:00 PM", ReportTimeText(12, 30, 0));
    EXPECT_EQ("12:30:00 AM", ReportTimeText(0, 30, 0));
    EXPECT_EQ(" 9:05:07 AM", ReportTimeText(9, 5, 7));
    EXPECT_EQ("11:59:59 PM", ReportTimeText(23, 59, 59));
    EXPECT_EQ("12/08/2026", ReportDateText(12, 8, 2026));
    EXPECT_EQ(" 1/02/2027", ReportDateText(1, 2, 2027));
    now_.wHour = 0;
    EXPECT_NE(std::string::npos, ScanReportText().find("Scan saved at 12:30:05 AM, on 12/08/2026"));
}

TEST_F(ScanReport, IsWrittenWholeOrNotAtAll)
{
    const std::string path = program_.File("HijackSentrovia.log");
    ASSERT_EQ(1, WriteScanReportInProgramFolder());
    const std::string written = ReadWholeFile(path);
    EXPECT_EQ(0u, written.find("Log created by "));
    EXPECT_NE(std::string::npos, written.find("\r\n--\r\nEnd of file\r\n"));
    ASSERT_EQ(1u, opened_.size());
    EXPECT_EQ(path, opened_[0]);

    // A report that can't take the older one's place leaves it as it was, and is not opened.
    program_.Write("HijackSentrovia.log", "older report");
    {
        // Another program holds the older report open and lets nobody replace it.
        HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        WriteScanReport(path.c_str());
        CloseHandle(held);
    }
    EXPECT_EQ("older report", ReadWholeFile(path));
    EXPECT_EQ(1u, opened_.size());
    EXPECT_EQ(1u, FilesIn(program_.path()).size()) << "no temporary file is left behind";
}

struct PlatformCase {
    PlatformFacts facts;
    const char *text;
};

PlatformFacts Nt(int major, int minor, const char *pack, int packMajor, int type, int suite)
{
    PlatformFacts facts;
    facts.platformId = VER_PLATFORM_WIN32_NT;
    facts.major = major;
    facts.minor = minor;
    facts.build = 1234;
    strcpy(facts.servicePack, pack);
    facts.extended = true;
    facts.servicePackMajor = packMajor;
    facts.productType = type;
    facts.suiteMask = suite;
    return facts;
}

PlatformFacts Windows9x(int minor, const char *pack)
{
    PlatformFacts facts;
    facts.platformId = VER_PLATFORM_WIN32_WINDOWS;
    facts.major = 4;
    facts.minor = minor;
    strcpy(facts.servicePack, pack);
    return facts;
}

TEST(PlatformText, DescribesEveryFamilyAndEdition)
{
    PlatformFacts tablet = Nt(5, 1, "Service Pack 1", 1, VER_NT_WORKSTATION, 0);
    tablet.tabletPc = true;
    PlatformFacts plain = Nt(5, 0, "", 0, 0, 0);
    plain.extended = false;
    strcpy(plain.productOptions, "LANMANNT");
    PlatformFacts sp6a = Nt(4, 0, "Service Pack 6", 0, VER_NT_WORKSTATION, 0);
    sp6a.hotfixQ246009 = true;
    PlatformFacts win32s;
    win32s.platformId = VER_PLATFORM_WIN32s;
    const PlatformCase cases[] = {
        {Nt(5, 1, "Service Pack 2", 2, VER_NT_WORKSTATION, VER_SUITE_PERSONAL),
         "Windows XP SP2 Home Edition Service Pack 2 (Build 1234)"},
        {Nt(5, 1, "", 0, VER_NT_WORKSTATION, 0), "Windows XP  (Build 1234)"},
        {tablet, "Windows XP SP1 Tablet PC Edition Service Pack 1 (Build 1234)"},
        {Nt(5, 2, "", 0, VER_NT_SERVER, VER_SUITE_DATACENTER),
         "Windows Server 2003 family, Datacenter Edition  (Build 1234)"},
        {Nt(5, 2, "", 0, VER_NT_SERVER, VER_SUITE_ENTERPRISE),
         "Windows Server 2003 family, Enterprise Edition  (Build 1234)"},
        {Nt(5, 2, "", 0, VER_NT_SERVER, VER_SUITE_BLADE),
         "Windows Server 2003 family, Web Edition  (Build 1234)"},
        {Nt(5, 2, "", 0, VER_NT_SERVER, VER_SUITE_BLADE | VER_SUITE_TERMINAL),
         "Windows Server 2003 family, Standard Edition  (Build 1234)"},
        {Nt(5, 0, "Service Pack 3", 3, VER_NT_DOMAIN_CONTROLLER, VER_SUITE_ENTERPRISE),
         "Windows 2000 SP3 Advanced Server Service Pack 3 (Build 1234)"},
        {Nt(5, 0, "", 0, VER_NT_SERVER, VER_SUITE_DATACENTER),
         "Windows 2000 Datacenter Server  (Build 1234)"},
        {Nt(5, 0, "", 0, VER_NT_SERVER, 0), "Windows 2000 Server  (Build 1234)"},
        {Nt(4, 0, "Service Pack 5", 0, VER_NT_WORKSTATION, 0),
         "Windows NT Workstation 4.0 Service Pack 5 (Build 1234)"},
        {Nt(4, 0, "", 0, VER_NT_SERVER, VER_SUITE_ENTERPRISE),
         "Windows NT Server 4.0, Enterprise Edition  (Build 1234)"},
        {Nt(4, 0, "", 0, VER_NT_SERVER, 0), "Windows NT Server 4.0  (Build 1234)"},
        {sp6a, "Windows NT Workstation 4.0 Service Pack 6a (Build 1234)"},
        {Nt(4, 0, "Service Pack 6", 0, VER_NT_WORKSTATION, 0),
         "Windows NT Workstation 4.0 Service Pack 6 (Build 1234)"},
        {plain, "Windows 2000 Server 5.0  (Build 1234)"},
        {Nt(6, 0, "", 0, VER_NT_WORKSTATION, VER_SUITE_PERSONAL),
         "Windows Vista Home Edition  (Build 1234)"},
        {Windows9x(0, " B"), "Microsoft Windows 95 OSR2 "},
        {Windows9x(0, " C"), "Microsoft Windows 95 OSR2 "},
        {Windows9x(0, ""), "Microsoft Windows 95 "},
        {Windows9x(10, " A"), "Microsoft Windows 98 SE "},
        {Windows9x(10, ""), "Microsoft Windows 98 "},
        {Windows9x(90, ""), "Microsoft Windows Millennium Edition"},
        {win32s, "Microsoft Win32s"},
    };
    for (const PlatformCase &c : cases) {
        char text[512];
        EXPECT_EQ(static_cast<int>(strlen(c.text)), PlatformTextOf(c.facts, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
    char small[8];
    PlatformTextOf(cases[0].facts, small, sizeof small);
    EXPECT_STREQ("Windows", small) << "a short buffer is filled and terminated";
}

TEST(PlatformText, OfThisMachineIsNotEmpty)
{
    char text[512];
    EXPECT_GT(PlatformText(text, sizeof text), 0);
    EXPECT_EQ(strlen(text), static_cast<size_t>(PlatformText(text, sizeof text)));
}

} // namespace

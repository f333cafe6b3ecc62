// The listing report over a sandboxed registry and scratch folders with known content: both
// forms against their expected files, the index, empty titles, services that answer and those
// that don't, escaping, and a report that can't be put in place.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "area.h"
#include "bounded.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "golden.h"
#include "keys.h"
#include "listing_report.h"
#include "options.h"
#include "owned.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "report_file.h"
#include "scratch.h"
#include "services.h"
#include "startup.h"
#include "startup_helpers.h"

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kWindowsNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr char kDelay[] = "Software\\Orvanto\\Sentrovia\\Delay";
constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kClassKey[] = "Software\\Orvanto\\Sentrovia\\Class";
constexpr char kExtKey[] = "Software\\Orvanto\\Sentrovia\\Ext";
constexpr char kHelperClass[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kBrokenHelperClass[] = "{11111111-2222-3333-4444-666666666666}";
constexpr char kControlClass[] = "{AAAAAAAA-0000-0000-0000-000000000001}";
constexpr char kBrokenHelperServer[] = "C:\\Program Files\\Gone Helper\\";

const char *const kCaptions[] = {"Startup Programs", " Delayed Start ", " Active Tasks ",
                                 " Scheduled Tasks ", " IE Helpers ", " File Types ",
                                 " Services ", " Hidden Files ", " ActiveX "};

std::vector<std::string> g_opened;
void RecordOpen(const char *path) { g_opened.push_back(path); }

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// Every occurrence of what, in any case, as with.
void ReplaceEvery(std::string &text, const std::string &what, const std::string &with)
{
    if (what.empty())
        return;
    const std::string upperText = Upper(text), upperWhat = Upper(what);
    std::string out;
    size_t from = 0;
    for (size_t at = upperText.find(upperWhat); at != std::string::npos;
         at = upperText.find(upperWhat, from)) {
        out += text.substr(from, at - from);
        out += with;
        from = at + what.size();
    }
    out += text.substr(from);
    text = out;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    if (from < text.size())
        lines.push_back(text.substr(from));
    return lines;
}

size_t Count(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The HTML lines of the entry titled title, up to its closing "</ol><br>"; empty when none.
std::string EntryBlock(const std::string &html, const std::string &title)
{
    const size_t start = html.find("<li><b>" + title + "</b>");
    if (start == std::string::npos)
        return "";
    const size_t end = html.find("\t</ol><br>", start);
    return html.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The facts of the Wine machine (running programs, tasks) are left out of the comparison: only
// the sections' captions stay.
std::string WithoutHtmlSection(std::string html, int section)
{
    const std::string anchor = "<A NAME=\"A" + std::to_string(section) + "\">\r\n";
    const size_t start = html.find(anchor);
    if (start == std::string::npos)
        return html;
    const size_t body = html.find("</center>\r\n", start) + 11;
    const size_t next = html.find("<A NAME=\"A" + std::to_string(section + 1) + "\">", body);
    html.replace(body, next - body, "[this machine's entries]\r\n");
    return html;
}

std::string WithoutTextSection(std::string text, int section)
{
    const std::string caption = std::string("\r\n") + kCaptions[section] + "\r\n";
    const size_t start = text.find(caption);
    if (start == std::string::npos)
        return text;
    const size_t body = start + caption.size();
    // An empty section's caption line ends where the next caption's line begins.
    const size_t next =
        text.find(std::string("\r\n") + kCaptions[section + 1] + "\r\n", body - 2);
    text.replace(body, next + 2 - body, "[this machine's entries]\r\n");
    return text;
}

// Sets a file's times so that they read as the local time given, in any time zone.
void SetLocalTimes(const std::string &file, const SYSTEMTIME &local)
{
    FILETIME localTime, time;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &time));
    HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    EXPECT_TRUE(SetFileTime(handle, &time, &time, &time));
    CloseHandle(handle);
}

class ListingReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadOptions();
        machine_.PointAt(platform_);
        platform_.programFolder = programFolder_.path().c_str();
        platform_.localTime = &now_;
        facts_.platformId = VER_PLATFORM_WIN32_NT;
        facts_.major = 5;
        facts_.minor = 1;
        facts_.build = 2600;
        CopyBounded(facts_.servicePack, "Service Pack 3");
        facts_.extended = true;
        facts_.servicePackMajor = 3;
        facts_.productType = VER_NT_WORKSTATION;
        platform_.facts = &facts_;
        SetPlatformOverride(&platform_);
        char folder[MAX_PATH];
        GetCurrentDirectoryA(sizeof folder, folder);
        previousFolder_ = folder;
        ASSERT_TRUE(SetCurrentDirectoryA(work_.path().c_str()));
        g_opened.clear();
        previousOpener_ = SetReportOpener(RecordOpen);
    }
    void TearDown() override
    {
        SetReportOpener(previousOpener_);
        SetCurrentDirectoryA(previousFolder_.c_str());
        SetPlatformOverride(nullptr);
        ClearEntryList();
        LoadOptions();
    }

    static void SetFormat(int format) { TheSettings().option[OPT_Format] = format; }

    std::string Program(const char *fixture, const char *name) const
    {
        const std::string file = CopyFixture(programs_, fixture, name);
        return LongForm(file);
    }

    // One entry or more in every section but those of the machine itself.
    void PutKnownMachine()
    {
        const std::string kernel = Program("vfx_operating_system.exe", "kernsvc.exe");
        WriteRegString(HKEY_CURRENT_USER, kRun, "Vfx Kernel", kernel.c_str());
        WriteRegString(HKEY_LOCAL_MACHINE, kRun, "Bold <b>Tool</b>",
                       "C:\\Apps\\it's <b>#1.exe /now");
        WriteRegString(HKEY_CURRENT_USER, kRun, "Tabbed\tLine\r\nTool", "C:\\Apps\\tabbed.exe");
        // An advanced location: listed only in the report's walk of every location.
        const std::string hook = Program("vfx_system_copyright.exe", "vfxhook.dll");
        WriteRegString(HKEY_LOCAL_MACHINE, kWindowsNt, "AppInit_DLLs", hook.c_str());
        char clean[MAX_PATH];
        CleanPath(kernel.c_str(), clean, sizeof clean);
        WriteRegString(HKEY_CURRENT_USER,
                       (std::string(kDetectedKey) + "\\" + DetectedArea(kUserRunKind)).c_str(),
                       clean, "1/15/2024");

        const std::string translator = Program("vfx_two_translations.exe", "translate.exe");
        WriteRegString(HKEY_CURRENT_USER, kDelay, translator.c_str(), "11");
        WriteRegString(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Title").c_str(),
                       translator.c_str(), "Vfx Translator");
        WriteRegString(HKEY_CURRENT_USER, (std::string(kDelay) + "\\Time").c_str(),
                       translator.c_str(), "30");

        const std::string bar = Program("vfx_company_upper.exe", "vfxbar.dll");
        RegisterClass(kHelperClass, "Vfx Bar", bar);
        CreateRegKey(HKEY_LOCAL_MACHINE, (std::string(kBhoKey) + "\\" + kHelperClass).c_str());
        // A helper whose server names a folder: it has no name of its own.
        RegisterClass(kBrokenHelperClass, "", kBrokenHelperServer);
        CreateRegKey(HKEY_LOCAL_MACHINE,
                     (std::string(kBhoKey) + "\\" + kBrokenHelperClass).c_str());

        const std::string player = Program("vfx_missing_names.exe", "vfxplay.exe");
        WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.vfx", nullptr, "VfxPlay");
        WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\VfxPlay", nullptr, "Vfx Play File");
        WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\VfxPlay\\shell\\open\\command",
                       nullptr, ("\"" + player + "\" \"%1\"").c_str());
        WriteRegString(HKEY_CURRENT_USER, kClassKey, nullptr, "vfx;");
        WriteRegString(HKEY_CURRENT_USER, kExtKey, nullptr, "Do not edit.");

        // A service the service control manager does not know: it answers no status.
        const std::string service = Program("vfx_no_version.exe", "vfxsvc.exe");
        AddService("VfxDemo", "Vfx Demo Service", service, SERVICE_DEMAND_START);
        WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kServicesKey) + "\\VfxDemo").c_str(),
                       "Description", "Keeps the demo going.");

        const std::string hidden = root_.Write("secret.dat", "seven b");
        SetLocalTimes(hidden, SYSTEMTIME{2024, 2, 0, 12, 9, 30, 0, 0});
        ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));

        const std::string viewer = Program("vfx_translation_order.exe", "vfxview.ocx");
        RegisterClass(kControlClass, "Vfx Viewer Control", viewer);
        const std::string stats = std::string(kStatsKey) + "\\" + kControlClass + "\\iexplore";
        WriteRegNumber(HKEY_CURRENT_USER, stats.c_str(), "Type", 1);
        WriteRegString(HKEY_CURRENT_USER, (std::string(kDetectedKey) + "\\ActiveX").c_str(),
                       kControlClass, "2/20/2024");
    }

    static void RegisterClass(const char *classId, const char *name, const std::string &server)
    {
        const std::string key = std::string("CLSID\\") + classId;
        WriteRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, name);
        WriteRegString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), nullptr,
                       server.c_str());
    }
    static void AddService(const char *key, const char *title, const std::string &image,
                           DWORD start)
    {
        const std::string path = std::string(kServicesKey) + "\\" + key;
        WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "DisplayName", title);
        WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "ImagePath", image.c_str());
        WriteRegNumber(HKEY_LOCAL_MACHINE, path.c_str(), "Start", start);
    }

    // The report as the test process wrote it, with the scratch folders (whose names hold the
    // process id), the build's own version and the machine's sections made the same every run.
    std::string Stable(std::string text, bool html) const
    {
        const std::pair<const ScratchFolder *, const char *> folders[] = {
            {&programs_, "%PROGRAMS%"}, {&root_, "%ROOT%"}, {&windows_, "%WINDOWS%"},
            {&temp_, "%TEMP%"}, {&work_, "%WORK%"}, {&programFolder_, "%PROGRAMFOLDER%"}};
        for (const auto &folder : folders) {
            ReplaceEvery(text, LongForm(folder.first->path()), folder.second);
            ReplaceEvery(text, ShortForm(folder.first->path()), folder.second);
            ReplaceEvery(text, folder.first->path(), folder.second);
        }
        for (size_t at = text.find("build="); at != std::string::npos;
             at = text.find("build=", at + 1)) {
            const size_t end = text.find('&', at);
            text.replace(at + 6, end - at - 6, "%BUILD%");
        }
        // Reading the file's facts is an access of its own.
        for (size_t at = text.find("Accessed: "); at != std::string::npos;
             at = text.find("Accessed: ", at + 1)) {
            const size_t end = text.find_first_of("<\r", at);
            text.replace(at + 10, end - at - 10, "%ACCESSED%");
        }
        for (int section : {2, 3})
            text = html ? WithoutHtmlSection(text, section) : WithoutTextSection(text, section);
        return text;
    }

    std::string Written(const char *name) const { return ReadWholeFile(work_.File(name)); }

    RegistrySandbox sandbox_;
    ScratchMachine machine_{"l"};
    const ScratchFolder &root_ = machine_.root;
    const ScratchFolder &windows_ = machine_.windows;
    const ScratchFolder &temp_ = machine_.temp;
    ScratchFolder programs_{"lprograms"};
    ScratchFolder work_{"lwork"};
    ScratchFolder programFolder_{"lbin"};
    const std::string &system_ = machine_.system;
    SYSTEMTIME now_{2024, 3, 2, 5, 14, 16, 7, 0};
    PlatformFacts facts_;
    PlatformOverride platform_;
    std::string previousFolder_;
    ReportOpener previousOpener_ = nullptr;
};

// ---- The two forms against their expected files ----

TEST_F(ListingReport, HtmlFormListsEverySectionAsExpectedAndIsOpened)
{
    PutKnownMachine();
    work_.Write("SentroviaLog.html", "an older report");
    SetFormat(0);
    ASSERT_EQ(1, WriteListingReport());
    const std::string html = Written("SentroviaLog.html");
    EXPECT_TRUE(MatchesGolden(Stable(html, true), "listing.html"));
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(Upper(work_.File("SentroviaLog.html")), Upper(g_opened[0]));
    // The older report is replaced, and nothing else is left in the folder.
    EXPECT_EQ(std::vector<std::string>{"SentroviaLog.html"}, FilesIn(work_.path()));
}

TEST_F(ListingReport, TextFormListsEverySectionAsExpectedAndIsOpened)
{
    PutKnownMachine();
    SetFormat(1);
    ASSERT_EQ(1, WriteListingReport());
    EXPECT_TRUE(MatchesGolden(Stable(Written("SentroviaLog.txt"), false), "listing.txt"));
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(Upper(work_.File("SentroviaLog.txt")), Upper(g_opened[0]));
    EXPECT_EQ(std::vector<std::string>{"SentroviaLog.txt"}, FilesIn(work_.path()));
}

// Values the settings never offered keep what older versions wrote: the text file, with each
// entry's HTML lines.
TEST_F(ListingReport, AnUnknownFormatWritesTheTextFileWithHtmlEntries)
{
    PutKnownMachine();
    SetFormat(7);
    ASSERT_EQ(1, WriteListingReport());
    EXPECT_EQ(std::vector<std::string>{"SentroviaLog.txt"}, FilesIn(work_.path()));
    const std::string text = Written("SentroviaLog.txt");
    EXPECT_EQ(0u, text.find("Log created by"));
    EXPECT_NE(std::string::npos,
              text.find("\r\nTitle\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\n Hidden Files \r\n"));
    EXPECT_NE(std::string::npos, text.find("<li><b>Vfx Kernel</b>\r\n\t<ol>kernsvc.exe&nbsp;"));
    EXPECT_NE(std::string::npos, text.find("\tFirst Detected by Sentrovia: 1/15/2024<br>\r\n"));
    EXPECT_EQ(std::string::npos, text.find("<html>"));
    EXPECT_EQ(std::string::npos, text.find("<A NAME="));
}

// ---- The form's rules ----

TEST_F(ListingReport, EveryTextLineHasSevenFieldsWhateverTheFieldsHold)
{
    PutKnownMachine();
    const std::vector<std::string> lines = Lines(ListingReportText(1));
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ("Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath", lines[5]);
    std::vector<std::string> captions;
    int entries = 0;
    for (size_t i = 6; i < lines.size(); ++i) {
        const bool caption =
            std::find(std::begin(kCaptions), std::end(kCaptions), lines[i]) != std::end(kCaptions);
        if (caption) {
            captions.push_back(lines[i]);
            continue;
        }
        ++entries;
        EXPECT_EQ(6, std::count(lines[i].begin(), lines[i].end(), '\t')) << lines[i];
    }
    EXPECT_EQ(std::vector<std::string>(std::begin(kCaptions), std::end(kCaptions)), captions);
    EXPECT_GE(entries, 11);
    // The title's tab and line break became blanks: one line, its own seven fields.
    const auto tabbed = std::find_if(lines.begin(), lines.end(), [](const std::string &line) {
        return line.rfind("Tabbed Line  Tool\t", 0) == 0;
    });
    ASSERT_NE(lines.end(), tabbed);
    EXPECT_EQ("Tabbed Line  Tool\ttabbed.exe\t\t\t\t"
              "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\tC:\\Apps\\tabbed.exe",
              *tabbed);
}

TEST_F(ListingReport, TheIndexLinksTheFirstSevenSectionsAndEverySectionHasItsAnchor)
{
    const std::string html = ListingReportText(0);
    EXPECT_EQ(7u, Count(html, "<A href='SentroviaLog.html#A"));
    const size_t index = html.find("<A href='SentroviaLog.html#A0'>Startup Programs</A><br>\r\n"
                                   "<A href='SentroviaLog.html#A1'> Delayed Start </A><br>\r\n"
                                   "<A href='SentroviaLog.html#A2'> Active Tasks </A><br>\r\n"
                                   "<A href='SentroviaLog.html#A3'> Scheduled Tasks </A><br>\r\n"
                                   "<A href='SentroviaLog.html#A4'> IE Helpers </A><br>\r\n"
                                   "<A href='SentroviaLog.html#A5'> File Types </A><br>\r\n"
                                   "<A href='SentroviaLog.html#A6'>Services </A><br>\r\n"
                                   "<A NAME=\"A0\">\r\n");
    EXPECT_NE(std::string::npos, index);
    // Every section is there, in order, under its caption, even with nothing to list.
    size_t at = 0;
    for (int section = 0; section < 9; ++section) {
        const std::string heading = "<A NAME=\"A" + std::to_string(section) +
                                    "\">\r\n<center><b><BIG><BIG> \x95 " + kCaptions[section] +
                                    " \x95 </BIG></BIG></b></center>\r\n";
        const size_t found = html.find(heading, at);
        ASSERT_NE(std::string::npos, found) << section;
        at = found + heading.size();
    }
    EXPECT_EQ(0u, html.find("<html><head><title>\r\nSentrovia Report Log</title></head>\r\n"
                            "<body bgcolor=FloralWhite>\r\n"
                            "<H2 align='center'> Sentrovia Report Log </H2>\r\n"
                            "<b>Log created by</b>"));
    EXPECT_EQ(html.size() - 16, html.rfind("</body></html>\r\n"));
}

TEST_F(ListingReport, AnEntryWithoutATitleIsListedAsHavingNoDescription)
{
    PutKnownMachine();
    const std::string html = ListingReportText(0);
    const std::string block = EntryBlock(html, "No Description available");
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(0u, block.find("<li><b>No Description available</b>\r\n\t<ol>&nbsp;"));
    EXPECT_NE(std::string::npos,
              block.find(std::string("\tPath:     ") + kBrokenHelperServer + "<br>\r\n"));
    // In the text form the title stays empty; the line still has its seven fields.
    const std::string text = ListingReportText(1);
    EXPECT_NE(std::string::npos, text.find(std::string("\r\n\t\t\t\t\t") +
                                           "Internet Explorer - Browser Helper Object\t" +
                                           kBrokenHelperServer + "\r\n"));
}

TEST_F(ListingReport, MachineTextsAreEscapedAndTheLookUpStaysInItsAttribute)
{
    PutKnownMachine();
    const std::string html = ListingReportText(0);
    EXPECT_EQ(std::string::npos, html.find("<b>Tool</b>"));
    EXPECT_EQ(std::string::npos, html.find("it's <b>"));
    const std::string block = EntryBlock(html, "Bold &lt;b&gt;Tool&lt;/b&gt;");
    ASSERT_FALSE(block.empty());
    EXPECT_NE(std::string::npos, block.find("\t<ol>it's &lt;b&gt;#1.exe /now&nbsp;"));
    EXPECT_NE(std::string::npos, block.find("\tPath:     C:\\Apps\\it's &lt;b&gt;#1.exe /now<br>"));
    const size_t href = block.find("\t<A href=\"");
    ASSERT_NE(std::string::npos, href);
    const size_t start = href + 10, end = block.find('"', start);
    ASSERT_NE(std::string::npos, end);
    const std::string address = block.substr(start, end - start);
    EXPECT_EQ(0u, address.find("https://"));
    for (char c : std::string("'<>#\" "))
        EXPECT_EQ(std::string::npos, address.find(c)) << c << " in " << address;
    EXPECT_NE(std::string::npos, address.find("it%27s%20%3Cb%3E%231.exe")) << address;
    EXPECT_EQ(std::string::npos, address.find("&v")) << "a bare & in " << address;
    EXPECT_EQ(end + 1, block.find(">Look up online</A></ol>\r\n\r\n", end));
    // The text form is not HTML: the title is written as it is.
    EXPECT_NE(std::string::npos, ListingReportText(1).find("\r\nBold <b>Tool</b>\t"));
}

// ---- Services ----

struct LiveService {
    std::string keyName, title;
};

// Services of the machine's control manager, running ones or stopped ones.
std::vector<LiveService> LiveServices(DWORD state)
{
    std::vector<LiveService> found;
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager)
        return found;
    std::vector<BYTE> buffer(256 * 1024);
    DWORD needed = 0, count = 0, resume = 0;
    if (!EnumServicesStatusA(manager.get(), SERVICE_WIN32, state,
                             reinterpret_cast<ENUM_SERVICE_STATUSA *>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed, &count, &resume))
        return found;
    const auto *services = reinterpret_cast<const ENUM_SERVICE_STATUSA *>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        found.push_back({services[i].lpServiceName, services[i].lpDisplayName});
    return found;
}

TEST_F(ListingReport, AServiceThatAnswersNoStatusHasItsStartTypeAndNoStatusLine)
{
    TheSettings().option[OPT_HideMicrosoftServices] = 0;
    AddService("VfxDemo", "Vfx Demo Service", "C:\\Apps\\vfxsvc.exe", SERVICE_AUTO_START);
    // The machine's own services, listed under their key names in the sandbox.
    const std::vector<LiveService> running = LiveServices(SERVICE_ACTIVE);
    const std::vector<LiveService> stopped = LiveServices(SERVICE_INACTIVE);
    ASSERT_FALSE(running.empty());
    AddService(running[0].keyName.c_str(), running[0].title.c_str(), "C:\\Apps\\running.exe",
               SERVICE_AUTO_START);
    if (!stopped.empty())
        AddService(stopped[0].keyName.c_str(), stopped[0].title.c_str(), "C:\\Apps\\stopped.exe",
                   SERVICE_DISABLED);

    const std::string html = ListingReportText(0);
    const std::string demo = EntryBlock(html, "Vfx Demo Service");
    ASSERT_FALSE(demo.empty());
    EXPECT_NE(std::string::npos, demo.find("\tStartup Type: Automatic<br>\r\n"));
    EXPECT_EQ(std::string::npos, demo.find("Service Status")) << demo;
    const std::string live = EntryBlock(html, HtmlText(running[0].title));
    ASSERT_FALSE(live.empty()) << running[0].title;
    EXPECT_NE(std::string::npos, live.find("\tStartup Type: Automatic<br>\r\n"));
    EXPECT_NE(std::string::npos, live.find("\tService Status: Running<br>\r\n")) << live;
    if (stopped.empty()) {
        GTEST_SKIP() << "the machine has no stopped service";
    }
    // A stopped service is told "Stopped" with no answer: the report writes no status for it.
    char status[64];
    EXPECT_EQ(0, GetServiceStatusText(stopped[0].title.c_str(), status, sizeof status));
    EXPECT_STREQ("Stopped", status);
    const std::string idle = EntryBlock(html, HtmlText(stopped[0].title));
    ASSERT_FALSE(idle.empty()) << stopped[0].title;
    EXPECT_NE(std::string::npos, idle.find("\tStartup Type: Disabled<br>\r\n"));
    EXPECT_EQ(std::string::npos, idle.find("Service Status")) << idle;
}

// ---- Nothing changed, nothing half-written ----

TEST_F(ListingReport, AReportDatesNothing)
{
    PutKnownMachine();
    std::vector<std::pair<std::string, int>> before, after;
    const auto countValues = [](std::vector<std::pair<std::string, int>> &counts) {
        for (int id = 0; id < AREA_COUNT; ++id) {
            const char *area = Area(AreaId(id)).detectedKey;
            if (area == nullptr)
                continue;
            RegKey key;
            DWORD values = 0;
            if (key.Open(HKEY_CURRENT_USER, (std::string(kDetectedKey) + "\\" + area).c_str(),
                         KEY_READ))
                values = ValueCount(key.get());
            counts.push_back({area, static_cast<int>(values)});
        }
    };
    countValues(before);
    ListingReportText(0);
    countValues(after);
    EXPECT_EQ(before, after);
}

TEST_F(ListingReport, AReportThatCannotBePutInPlaceOpensNothing)
{
    SetFormat(0);
    // The name is taken by a folder.
    ASSERT_TRUE(CreateDirectoryA(work_.File("SentroviaLog.html").c_str(), nullptr));
    EXPECT_EQ(0, WriteListingReport());
    EXPECT_TRUE(g_opened.empty());
    EXPECT_NE(0u, GetFileAttributesA(work_.File("SentroviaLog.html").c_str()) &
                      FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FilesIn(work_.path()).empty()) << "a temporary file was left behind";
}

TEST_F(ListingReport, AnOlderReportHeldOpenStaysAsItWas)
{
    SetFormat(1);
    const std::string older = work_.Write("SentroviaLog.txt", "an older report");
    {
        // Another program reads it and lets nobody replace it meanwhile.
        Handle reader(CreateFileA(older.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(0, WriteListingReport());
    }
    EXPECT_TRUE(g_opened.empty());
    EXPECT_EQ("an older report", ReadWholeFile(older));
    EXPECT_EQ(std::vector<std::string>{"SentroviaLog.txt"}, FilesIn(work_.path()));
}

} // namespace

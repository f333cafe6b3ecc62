// The spreadsheet report on a sandboxed registry: its lines for known entries of every area, the
// header lines at any hour, an empty machine, the opening of the file and the live areas.
#include "spreadsheet_report.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "files.h"
#include "golden.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "report_file.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"
#include "task_doubles.h"
#include "text.h"

namespace {

constexpr char kColumns[] =
    "Type,SubType,Title,Filename,Company,First Detected,Path,Description, Version";
constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibilityKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr char kHelperClass[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kToolbarClass[] = "{22222222-0000-0000-0000-000000000000}";
constexpr char kLoadedControl[] = "{AAAAAAAA-0000-0000-0000-000000000001}";
constexpr char kKilledControl[] = "{AAAAAAAA-0000-0000-0000-000000000002}";

// The records of a comma-separated text, quotes and doubled quotes undone.
std::vector<std::vector<std::string>> Records(const std::string &text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                fields.back() += text[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.push_back(fields);
            fields.assign(1, "");
            ++i;
        } else {
            fields.back() += c;
        }
    }
    if (fields.size() > 1 || !fields[0].empty())
        records.push_back(fields);
    return records;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Every occurrence of from (in any case) replaced by to.
std::string Replaced(std::string text, const std::string &from, const std::string &to)
{
    if (from.empty())
        return text;
    for (size_t at = 0;;) {
        const char *found = FindNoCase(text.c_str() + at, from.c_str());
        if (found == nullptr)
            return text;
        const size_t where = static_cast<size_t>(found - text.c_str());
        text.replace(where, from.size(), to);
        at = where + to.size();
    }
}

// The running programs and the scheduled tasks are the machine's: their lines are left out.
std::string WithoutLiveLines(const std::string &text)
{
    std::string kept;
    for (const std::string &line : Lines(text))
        if (line.rfind("Active Tasks,", 0) != 0 && line.rfind("Scheduled Tasks,", 0) != 0)
            kept += line + "\r\n";
    return kept;
}

std::string CleanOf(const std::string &path)
{
    char clean[1025];
    CleanPath(path.c_str(), clean, sizeof clean);
    return clean;
}

void RegisterClass(const char *classId, const char *name, const std::string &server)
{
    const std::string key = std::string("CLSID\\") + classId;
    WriteRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, name);
    WriteRegString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), nullptr, server.c_str());
}

const std::vector<std::string> *Find(const std::vector<std::vector<std::string>> &records,
                                     const std::string &type, const std::string &title)
{
    for (const auto &record : records)
        if (record.size() > 2 && record[0] == type && record[2] == title)
            return &record;
    return nullptr;
}

std::string g_opened;
std::string g_openedFile;
HCURSOR g_cursorAtOpen = nullptr;
void RecordOpen(const char *path)
{
    g_opened = path;
    g_openedFile = ReadWholeFile(path);
    g_cursorAtOpen = GetCursor();
}

class SpreadsheetReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadOptions();
        now_.wYear = 2024;
        now_.wMonth = 3;
        now_.wDay = 7;
        now_.wHour = 12;
        now_.wMinute = 30;
        platform_.programFolder = programFolder_.path().c_str();
        platform_.localTime = &now_;
        SetPlatformOverride(&platform_);
        previousOpener_ = SetReportOpener(&RecordOpen);
        g_opened = "<not opened>";
        g_openedFile.clear();
        g_cursorAtOpen = nullptr;
    }
    void TearDown() override
    {
        SetReportOpener(previousOpener_);
        SetPlatformOverride(nullptr);
        SetWow64Pass(wow64_);
    }
    std::string Report()
    {
        const std::string path = reports_.File("SentroviaLog.csv");
        EXPECT_EQ(1, WriteSpreadsheetReport(path.c_str()));
        EXPECT_EQ(path, g_opened);
        return ReadWholeFile(path);
    }
    // The scratch folders named the same on every machine.
    std::string Masked(std::string text) const
    {
        const std::pair<const ScratchFolder *, const char *> folders[] = {
            {&programs_, "%PROGRAMS%"}, {&startup_, "%STARTUP%"}, {&commonStartup_, "%COMMON%"}};
        for (const auto &[folder, name] : folders) {
            text = Replaced(text, LongForm(folder->path()), name);
            text = Replaced(text, ShortForm(folder->path()), name);
        }
        return text;
    }
    std::string Program(const char *fixture, const std::string &as) const
    {
        return LongForm(CopyFixture(programs_, fixture, as));
    }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    ScratchFolder reports_{"reports"};
    ScratchFolder programs_{"programs"};
    ScratchFolder startup_{"startup"};
    ScratchFolder commonStartup_{"common"};
    PlatformOverride platform_;
    SYSTEMTIME now_{};
    ReportOpener previousOpener_ = nullptr;
    const bool wow64_ = Wow64Pass();
};

TEST_F(SpreadsheetReport, ListsEveryAreasEntriesInTheirSectionsWithColumnsThatNeverShift)
{
    const std::string agent = Program("vfx_two_translations.exe", "agent.exe");
    const std::string plain = Program("vfx_no_version.exe", "plain.exe");
    const std::string tool = Program("vfx_company_upper.exe", "Comma, Tools\\tool.exe");
    const std::string wide = Program("vfx_long_values.exe", "wide.exe");
    const std::string service = Program("vfx_missing_names.exe", "service.exe");
    const std::string helper = Program("vfx_dllversion.dll", "helper.dll");
    const std::string control = Program("vfx_plain.dll", "control.dll");
    const std::string killed = Program("vfx_plain.dll", "killed.dll");

    const std::string run = std::string(kCurrentVersion) + "\\Run";
    WriteRegString(HKEY_LOCAL_MACHINE, run.c_str(), "Agent", (agent + " -tray").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, run.c_str(), "Say \"Hi\"", plain.c_str());
    WriteRegString(HKEY_CURRENT_USER, run.c_str(), "Tools, Inc", tool.c_str());
    WriteRegString(HKEY_CURRENT_USER, (std::string(kCurrentVersion) + "\\RunOnce").c_str(), "Once",
                   wide.c_str());
    WriteRegString(HKEY_CURRENT_USER,
                   (std::string(kCurrentVersion) + "\\RunServicesOnce").c_str(), "Service once",
                   (plain + " /s").c_str());
    const std::string longCommand = plain + " " + std::string(300, 'a');
    WriteRegString(HKEY_CURRENT_USER, run.c_str(), "Long arguments", longCommand.c_str());
    // The policy key has a code of no named key.
    WriteRegString(HKEY_LOCAL_MACHINE,
                   (std::string(kCurrentVersion) + "\\policies\\Explorer\\Run").c_str(), "Policy",
                   (plain + " /p").c_str());
    SetWow64Pass(true);
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kWow64CurrentVersion) + "\\Run").c_str(),
                   "Wow", (plain + " /w").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE,
                   (std::string(kWow64CurrentVersion) + "\\RunServicesOnce").c_str(), "Wow once",
                   (plain + " /o").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE,
                   (std::string(kWow64CurrentVersion) + "\\policies\\Explorer\\Run").c_str(),
                   "Wow policy", (plain + " /x").c_str());

    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "Startup", startup_.path().c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup",
                   commonStartup_.path().c_str());
    MakeShortcut(startup_.File("Agent.lnk"), agent, "Agent, from the shortcut");
    commonStartup_.Write("shared.bat", "@echo off\r\n");

    const std::string delay = std::string(kProductKey) + "\\Delay";
    WriteRegString(HKEY_CURRENT_USER, delay.c_str(), wide.c_str(), "11");
    WriteRegString(HKEY_CURRENT_USER, (delay + "\\Title").c_str(), wide.c_str(), "Wide, later");

    RegisterClass(kHelperClass, "Helper", helper);
    CreateRegKey(HKEY_LOCAL_MACHINE, (std::string(kBhoKey) + "\\" + kHelperClass).c_str());
    // A toolbar whose class names no file.
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbarKey, kToolbarClass, "");
    RegisterClass(kLoadedControl, "Loaded, \"Control\"", control);
    RegisterClass(kKilledControl, "Killed Control", killed);
    const DWORD used = 1, killBit = 0x400;
    for (const char *classId : {kLoadedControl, kKilledControl})
        WriteRawValue(HKEY_CURRENT_USER,
                      (std::string(kStatsKey) + "\\" + classId + "\\iexplore").c_str(), "Type",
                      REG_DWORD, &used, sizeof used);
    WriteRawValue(HKEY_LOCAL_MACHINE,
                  (std::string(kCompatibilityKey) + "\\" + kKilledControl).c_str(),
                  "Compatibility Flags", REG_DWORD, &killBit, sizeof killBit);

    const std::string serviceKey = std::string(kServicesKey) + "\\SentroviaSheetTest";
    WriteRegString(HKEY_LOCAL_MACHINE, serviceKey.c_str(), "ImagePath", service.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, serviceKey.c_str(), "DisplayName", "Sheet \"Test\" Service");
    WriteRegNumber(HKEY_LOCAL_MACHINE, serviceKey.c_str(), "Start", 3);

    const std::string detected = kDetectedKey;
    WriteRegString(HKEY_CURRENT_USER, (detected + "\\Startup").c_str(), CleanOf(agent).c_str(),
                   " 1/02/2024");
    WriteRegString(HKEY_CURRENT_USER, (detected + "\\ActiveX").c_str(), kLoadedControl,
                   " 2/03/2024");
    WriteRegString(HKEY_CURRENT_USER, (detected + "\\Services").c_str(), CleanOf(service).c_str(),
                   " 4/05/2024");

    const std::string text = Report();
    EXPECT_TRUE(MatchesGolden(Masked(WithoutLiveLines(text)), "spreadsheet.csv"));

    const auto records = Records(text);
    ASSERT_GE(records.size(), 3u);
    for (size_t i = 2; i < records.size(); ++i)
        EXPECT_EQ(9u, records[i].size()) << Lines(text)[i];
    // Title and path whole, quoted where they hold a comma or a quote.
    const auto *tools = Find(records, "HKCU", "Tools, Inc");
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ(tool, (*tools)[6]);
    EXPECT_EQ(" tool.exe", (*tools)[3]);
    ASSERT_NE(nullptr, Find(records, "HKLM", "Say \"Hi\""));
    // The file name is the path's last part; the version facts are the program's, commas gone.
    const auto *agentLine = Find(records, "HKLM", "Agent");
    ASSERT_NE(nullptr, agentLine);
    EXPECT_EQ(" agent.exe -tray", (*agentLine)[3]);
    EXPECT_EQ(std::string::npos, (*agentLine)[7].find(',')) << (*agentLine)[7];
    EXPECT_FALSE((*agentLine)[7].empty());
    EXPECT_EQ(" 1/02/2024", (*agentLine)[5]);
    // The file name is cut to its column's width, the path never.
    const auto *arguments = Find(records, "HKCU", "Long arguments");
    ASSERT_NE(nullptr, arguments);
    EXPECT_EQ(" plain.exe " + std::string(259 - 10, 'a'), (*arguments)[3]);
    EXPECT_EQ(longCommand, (*arguments)[6]);
    const auto *unknown = Find(records, "UnknownKey", "Policy");
    ASSERT_NE(nullptr, unknown);
    EXPECT_EQ("Run", (*unknown)[1]);
    const auto *wowOnce = Find(records, "HKU", "Wow once");
    ASSERT_NE(nullptr, wowOnce);
    EXPECT_EQ("RunServiceOnce", (*wowOnce)[1]);
    EXPECT_EQ(nullptr, Find(records, "UnknownKey", "Wow policy"));
    // The control that can't load is left out.
    EXPECT_EQ(std::string::npos, text.find("KILLED.DLL"));
    const auto *loaded = Find(records, "ActiveX", "Loaded, \"Control\"");
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(" 2/03/2024", (*loaded)[5]);
    const auto *serviceLine = Find(records, "Services", "Sheet \"Test\" Service");
    ASSERT_NE(nullptr, serviceLine);
    EXPECT_EQ("Stopped", (*serviceLine)[1]);
    EXPECT_EQ(" 4/05/2024", (*serviceLine)[5]);

    // The running programs have their place between the delayed programs and the helpers.
    size_t lastDelayed = 0, firstActive = 0, lastActive = 0, firstHelper = 0;
    bool ownProgram = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string &type = records[i][0];
        if (type == "Delayed Start")
            lastDelayed = i;
        if (type == "Active Tasks") {
            firstActive = firstActive != 0 ? firstActive : i;
            lastActive = i;
            ownProgram = ownProgram || EqualsNoCase(records[i][3].c_str(), " explorer_tests.exe");
        }
        if (type == "IE Helpers" && firstHelper == 0)
            firstHelper = i;
    }
    EXPECT_TRUE(ownProgram) << "this test's own program is running";
    EXPECT_LT(lastDelayed, firstActive);
    EXPECT_LT(lastActive, firstHelper);
}

TEST_F(SpreadsheetReport, WithNothingInAnyAreaOnlyTheHeaderLinesAreLeft)
{
    const std::vector<std::string> lines = Lines(WithoutLiveLines(Report()));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[0].find("Log created by ")) << lines[0];
    EXPECT_EQ("Scan saved at 12:30:00 PM, on  3/07/2024", lines[1]);
    EXPECT_EQ(kColumns, lines[2]);
}

TEST_F(SpreadsheetReport, TheHourAfterMidnightIsTwelveAM)
{
    now_.wHour = 0;
    now_.wMinute = 5;
    const std::vector<std::string> lines = Lines(Report());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ("Scan saved at 12:05:00 AM, on  3/07/2024", lines[1]);
}

TEST_F(SpreadsheetReport, ThePathIsOpenedEvenWhenTheFileCantBeWritten)
{
    const std::string path = reports_.File("no such folder\\SentroviaLog.csv");
    EXPECT_EQ(1, WriteSpreadsheetReport(path.c_str()));
    EXPECT_EQ(path, g_opened);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_TRUE(FilesIn(reports_.path()).empty());
}

TEST_F(SpreadsheetReport, AnOlderFileThatCantBeReplacedIsNotOpenedAsTheNewOne)
{
    const std::string path = reports_.Write("SentroviaLog.csv", "older report");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(1, WriteSpreadsheetReport(path.c_str()));
    CloseHandle(held);
    EXPECT_EQ("<not opened>", g_opened);
    EXPECT_EQ("older report", ReadWholeFile(path));
    EXPECT_EQ(1u, FilesIn(reports_.path()).size());
}

TEST_F(SpreadsheetReport, AnOlderFileIsReplacedWholeBeforeItIsOpenedUnderTheArrow)
{
    const std::string path = reports_.Write("SentroviaLog.csv", "an older report\r\n");
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    EXPECT_EQ(1, WriteSpreadsheetReport(path.c_str()));
    EXPECT_EQ(0u, g_openedFile.find("Log created by ")) << g_openedFile;
    EXPECT_EQ(std::string::npos, g_openedFile.find("older"));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), g_cursorAtOpen);
    EXPECT_EQ(std::vector<std::string>{"SentroviaLog.csv"}, FilesIn(reports_.path()));
}

TEST_F(SpreadsheetReport, ScheduledTasksComeLastWithTheirPrograms)
{
    task_doubles::FakeScheduler scheduler;
    task_doubles::FakeFolder vendor = task_doubles::Folder(L"Vendor");
    vendor.tasks = {task_doubles::Task(L"Updater", L"C:\\Vendor\\up.exe", L"-check")};
    scheduler.root.folders = {vendor};
    task_doubles::Install(&scheduler);
    const std::string text = Report();
    task_doubles::Install(nullptr);

    const auto records = Records(text);
    const auto *task = Find(records, "Scheduled Tasks", "\\Vendor\\Updater");
    ASSERT_NE(nullptr, task) << text;
    EXPECT_EQ("", (*task)[1]);
    EXPECT_EQ(0u, (*task)[6].find("C:\\Vendor\\up.exe")) << (*task)[6];
    EXPECT_EQ(" up.exe -check", (*task)[3]);
    EXPECT_EQ("Scheduled Tasks", records.back()[0]);
}

TEST(CsvField, QuotesOnlyWhatWouldShiftAColumn)
{
    EXPECT_EQ("plain text", CsvField("plain text"));
    EXPECT_EQ("", CsvField(""));
    EXPECT_EQ("\"a,b\"", CsvField("a,b"));
    EXPECT_EQ("\"say \"\"hi\"\"\"", CsvField("say \"hi\""));
    EXPECT_EQ("\"two\r\nlines\"", CsvField("two\r\nlines"));
}

TEST(RunKeyNames, EachCodeHasItsKeyAndOthersAreUnknown)
{
    const std::pair<int, const char *> subtypes[] = {
        {1, "Run"},          {2, "RunOnce"},         {3, "RunOnceEx"},   {4, "RunServices"},
        {5, "RunServicesOnce"}, {6, "RunOnceSetup"}, {15, "RunServicesOnce"}, {25, "RunServiceOnce"},
        {26, "RunOnceSetup"}};
    for (const auto &[code, subtype] : subtypes)
        EXPECT_STREQ(subtype, RunKeySubType(code)) << code;
    EXPECT_STREQ("HKLM", RunKeyType(6));
    EXPECT_STREQ("HKCU", RunKeyType(11));
    EXPECT_STREQ("HKCU", RunKeyType(16));
    EXPECT_STREQ("HKU", RunKeyType(21));
    for (int code : {0, 7, 17, 27, 200}) {
        EXPECT_STREQ("UnknownKey", RunKeyType(code)) << code;
        EXPECT_STREQ("Run", RunKeySubType(code)) << code;
    }
}

} // namespace

#include "historyline.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "guarded.h"

namespace {

// The file's vocabulary as the history viewer and older files know it, in stored order.
struct NameRow { int code; const char *name; };
const NameRow kTypeRows[] = {
    {1, "MACHINE_RUN"}, {2, "MACHINE_RUNONCE"}, {3, "MACHINE_RUNONCEEX"},
    {4, "MACHINE_RUNSERVICES"}, {5, "MACHINE_RUNSERVICESONCE"}, {11, "CURRENT_RUN"},
    {12, "CURRENT_RUNONCE"}, {13, "CURRENT_RUNONCEEX"}, {14, "CURRENT_RUNSERVICES"},
    {15, "CURRENT_RUNSERVICESONCE"}, {21, "WOW64_RUN"}, {22, "WOW64_RUNONCE"},
    {23, "WOW64_RUNONCEEX"}, {24, "WOW64_RUNSERVICES"}, {25, "WOW64_RUNSERVICESONCE"},
    {31, "SENTROVIA_RUN"}, {32, "SENTROVIA_RUNONCE"}, {33, "SENTROVIA_RUNONCEEX"},
    {34, "SENTROVIA_RUNSERVICES"}, {35, "SENTROVIA_RUNSERVICESONCE"}, {100, "WIN_LOAD"},
    {101, "WIN_RUN"}, {200, "GROUP_STARTUP"}, {250, "WINLOGON_Userinit"},
    {251, "WINLOGON_Shell"}, {252, "REG_Delayload"}, {253, "REG_TaskScheduler"},
    {254, "REG_ShellExecuteHook"}, {255, "REG_AppInitDLLs"}, {500, "INFO_COOKIE"},
    {501, "INFO_NETCOOKIE"}, {502, "INFO_SAVECOOKIE"}, {503, "INFO_NUTS"}, {600, "INFO_TASK"},
    {700, "SERVICE_EXE"}, {701, "SERVICE_SVCHOST"}, {800, "TASK_SCHEDULED"}, {900, "TYPE_BHO"},
    {300, "RESTART_DELETE"}, {301, "RESTART_RENAME"}, {901, "TYPE_TOOLBAR"},
    {902, "TYPE_EXTENSION"}, {350, "TYPE_MONITOR"}, {360, "TYPE_BLACKLIST"},
    {450, "TYPE_PROSEARCH"}, {400, "TYPE_FILETYPE"}, {370, "TYPE_HIDDEN"},
    {256, "RUN_WINLOGONNOTIFY"}, {6, "MACHINE_RUNONCESETUP"}, {7, "MACHINE_RUNPOLICY"},
    {3000, "TYPE_UNKNOWN"},
};
const NameRow kActionRows[] = {
    {0, "*START_Remove"}, {1, "START_Disable"}, {2, "START_Enable"}, {3, "IEHELPER_Remove"},
    {4, "TASK_Remove"}, {5, "TASK_Kill"}, {6, "START_Alert"}, {7, "TASK_Alert"},
    {8, "IEHELPER_Alert"}, {9, "SERVICE_Stop"}, {10, "SERVICE_Automatic"},
    {11, "SERVICE_Manual"}, {12, "SERVICE_Disabled"}, {12, "START_Restore"},
    {13, "TASK_Restore"}, {14, "IEHELPER_Restore"}, {15, "ScheduledTask_Remove"},
    {17, "SERVICE_from_Automatic"}, {18, "SERVICE_from_Manual"}, {19, "SERVICE_from_Disabled"},
    {20, "SERVICE__from_Disabled"}, {21, "RESET_USERINIT"}, {22, "RESET_SHELL"},
    {23, "REMOVE_TaskScheduler"}, {24, "REMOVE_DELAYLOAD"}, {23, "REMOVE_TASKSCHEDULER"},
    {25, "REMOVE_SHELLEXECUTEHOOK"}, {26, "REMOVE_APPINIT"}, {28, "HIDDEN_Alert"},
    {29, "*HIDDEN_DeleteFile"}, {30, "REMOVE_WinLogonNotify"}, {31, "LOG_UNKNOWN"},
};

std::string Lower(const char *text)
{
    std::string lower(text);
    for (char &c : lower)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lower;
}

TEST(HistoryVocabulary, EveryTypeNameMapsBothWays)
{
    ASSERT_EQ(static_cast<size_t>(kHistoryTypeRows), sizeof kTypeRows / sizeof kTypeRows[0]);
    for (const NameRow &row : kTypeRows) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(row.name, TypeNameOfKind(row.code));
        EXPECT_EQ(row.code, KindOfTypeName(row.name));
        EXPECT_EQ(row.code, KindOfTypeName(Lower(row.name).c_str()));
    }
}

TEST(HistoryVocabulary, CodesWithoutATypeRowWriteUnknownAndUnknownNamesRead3000)
{
    for (int code : {0, 8, 16, 17, 26, 27, 36, 102, 257, 371, 504, 602, 702, 903, 1200, -1}) {
        SCOPED_TRACE(code);
        EXPECT_STREQ("TYPE_UNKNOWN", TypeNameOfKind(code));
    }
    for (const char *name : {"", "TYPE_ACTIVEX", "MACHINE_RUN ", " MACHINE_RUN", "MACHINE",
                             "MACHINE_RUNX", "1", "CURRENT_RUN\x01"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(3000, KindOfTypeName(name));
    }
    EXPECT_EQ(3000, KindOfTypeName(nullptr));
}

TEST(HistoryVocabulary, EveryActionNameReadsAndTheFirstRowOfACodeWrites)
{
    ASSERT_EQ(static_cast<size_t>(kHistoryActionRows), sizeof kActionRows / sizeof kActionRows[0]);
    for (const NameRow &row : kActionRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.code, ActionCodeOf(row.name));
        EXPECT_EQ(row.code, ActionCodeOf(Lower(row.name).c_str()));
    }
    // Shared codes write their first row.
    EXPECT_STREQ("SERVICE_Disabled", ActionNameOf(12));
    EXPECT_STREQ("REMOVE_TaskScheduler", ActionNameOf(23));
    EXPECT_EQ(12, ActionCodeOf("START_Restore"));
    EXPECT_EQ(23, ActionCodeOf("REMOVE_TASKSCHEDULER"));
    EXPECT_STREQ("*START_Remove", ActionNameOf(0));
    EXPECT_STREQ("*HIDDEN_DeleteFile", ActionNameOf(29));
    EXPECT_STREQ("LOG_UNKNOWN", ActionNameOf(31));
    for (int code : {16, 27, 32, -1, 1000}) {
        SCOPED_TRACE(code);
        EXPECT_STREQ("", ActionNameOf(code));
    }
}

TEST(HistoryVocabulary, UnknownActionNamesRead31)
{
    // The reversible mark is part of the name.
    for (const char *name : {"", "START_Remove", "**START_Remove", "START_Removed", "SERVICE",
                             "TASK_Kill ", "Kill", "*"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(31, ActionCodeOf(name));
    }
    EXPECT_EQ(31, ActionCodeOf(nullptr));
}

TEST(HistoryVocabulary, OnlyRemovalAndHiddenDeletionAreReversible)
{
    for (int code = -2; code <= 40; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(code == 0 || code == 29 ? 1 : 0, IsReversibleAction(code));
    }
}

TEST(HistoryDate, TwelveHourDialWithTwoSpacesBeforeTheTime)
{
    struct Case { unsigned year, month, day, hour, minute; const char *expected; };
    const Case cases[] = {
        {2026, 12, 6, 0, 5, "12/06/2026  12:05 AM"},
        {2026, 12, 6, 12, 5, "12/06/2026  12:05 PM"},
        {2026, 12, 6, 0, 0, "12/06/2026  12:00 AM"},
        {2026, 12, 6, 1, 0, "12/06/2026  1:00 AM"},
        {2026, 12, 6, 11, 59, "12/06/2026  11:59 AM"},
        {2026, 12, 6, 13, 7, "12/06/2026  1:07 PM"},
        {2026, 12, 6, 23, 59, "12/06/2026  11:59 PM"},
        {2026, 1, 2, 9, 30, "01/02/2026  9:30 AM"},
        {999, 3, 4, 14, 0, "03/04/0999  2:00 PM"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        Guarded<128> out;
        EXPECT_EQ(1, HistoryDateOf(c.year, c.month, c.day, c.hour, c.minute, out.text, 32));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(32));
    }
}

TEST(HistoryDate, ShortBufferIsCutAndTerminated)
{
    Guarded<128> out;
    EXPECT_EQ(0, HistoryDateOf(2026, 12, 6, 0, 5, out.text, 6));
    EXPECT_STREQ("12/06", out.text);
    EXPECT_TRUE(out.UntouchedFrom(6));
}

std::string Line(const char *date, int action, int kind, const char *title, const char *path,
                 const char *detail, size_t capacity = kHistoryRecordBuffer)
{
    std::vector<char> out(capacity + 16, kCanary);
    size_t length = BuildHistoryLine(date, action, kind, title, path, detail, out.data(), capacity);
    for (size_t i = capacity; i < out.size(); ++i)
        EXPECT_EQ(kCanary, out[i]) << "written past capacity at " << i;
    EXPECT_EQ(strlen(out.data()), length);
    return std::string(out.data());
}

TEST(HistoryLine, FieldsInOrderSeparatedByTabsEndedByCrLf)
{
    struct Case { int action, kind; const char *title, *path, *detail; const char *expected; };
    const Case cases[] = {
        {0, 11, "Updater", "C:\\Program Files\\Up\\up.exe", "C:\\Program Files\\Up\\up.exe /q",
         "D\t*START_Remove\tCURRENT_RUN\tUpdater\tC:\\Program Files\\Up\\up.exe\t"
         "C:\\Program Files\\Up\\up.exe /q\r\n"},
        {5, 600, "notepad", "C:\\windows\\notepad.exe", "",
         "D\tTASK_Kill\tINFO_TASK\tnotepad\tC:\\windows\\notepad.exe\t\r\n"},
        {12, 700, "Spooler", "spoolsv.exe", "", "D\tSERVICE_Disabled\tSERVICE_EXE\tSpooler\tspoolsv.exe\t\r\n"},
        {8, 1200, "Ctl", "{0}", "x", "D\tIEHELPER_Alert\tTYPE_UNKNOWN\tCtl\t{0}\tx\r\n"},
        // An action without a row writes an empty name.
        {16, 1, "", "", "", "D\t\tMACHINE_RUN\t\t\t\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.expected, Line("D", c.action, c.kind, c.title, c.path, c.detail));
    }
    EXPECT_EQ("D\tTASK_Kill\tINFO_TASK\t\t\t\r\n", Line("D", 5, 600, nullptr, nullptr, nullptr));
}

TEST(HistoryLine, TabsAndLineEndsInsideFieldsCannotSplitTheRecord)
{
    EXPECT_EQ("D\tSTART_Alert\tMACHINE_RUN\tA B\tC:\\x.exe  -y\tz \r\n",
              Line("D", 6, 1, "A\tB", "C:\\x.exe\r\n-y", "z\n"));
}

TEST(HistoryLine, ACutLineKeepsItsLineEnd)
{
    std::string longTitle(2000, 'T');
    std::string line = Line("D", 6, 1, longTitle.c_str(), "p", "d");
    ASSERT_EQ(kHistoryRecordBuffer - 1, line.size());
    EXPECT_EQ("\r\n", line.substr(line.size() - 2));
    EXPECT_EQ("D\tSTART_Alert\tMACHINE_RUN\tTTT", line.substr(0, 29));
    EXPECT_EQ(std::string::npos, line.find('\t', 29));

    EXPECT_EQ("D\tS\r\n", Line("D", 6, 1, "t", "p", "d", 6));
    EXPECT_EQ("\r\n", Line("D", 6, 1, "t", "p", "d", 3));
    EXPECT_EQ("", Line("D", 6, 1, "t", "p", "d", 2));
}

struct Walked {
    std::vector<HistoryRecord> records;
    size_t stopAfter = static_cast<size_t>(-1);
};

int Collect(const HistoryRecord &record, void *context)
{
    Walked &walked = *static_cast<Walked *>(context);
    if (walked.records.size() >= walked.stopAfter)
        return 0;
    walked.records.push_back(record);
    return 1;
}

std::vector<HistoryRecord> Walk(const std::string &text)
{
    Walked walked;
    // An exact-size copy: the walk must not read past its length.
    std::vector<char> bytes(text.begin(), text.end());
    int count = WalkHistoryText(bytes.data(), bytes.size(), Collect, &walked);
    EXPECT_EQ(walked.records.size(), static_cast<size_t>(count));
    return walked.records;
}

struct Expected {
    const char *date;
    int action, kind;
    const char *title, *path, *detail;
};

void ExpectRecord(const Expected &expected, const HistoryRecord &record)
{
    EXPECT_STREQ(expected.date, record.date);
    EXPECT_EQ(expected.action, record.action);
    EXPECT_EQ(expected.kind, record.kind);
    EXPECT_STREQ(expected.title, record.title);
    EXPECT_STREQ(expected.path, record.path);
    EXPECT_STREQ(expected.detail, record.detail);
}

// The seventh field keeps what an undo needs (up to its width); a record without one keeps none.
TEST(HistoryWalk, KeptFactsRideInTheSeventhField)
{
    const std::vector<HistoryRecord> records = Walk(
        "d\t*START_Remove\tCURRENT_RUN\tt\t\"C:\\a b\\up.exe\" /q\t\t2 11\tignored\n"
        "d\t*START_Remove\tCURRENT_RUN\tt\tp\t\n"
        "d\t*START_Remove\tCURRENT_RUN\tt\tp\t\t" + std::string(32, '9') + "\n");
    ASSERT_EQ(3u, records.size());
    EXPECT_STREQ("2 11", records[0].kept);
    EXPECT_STREQ("\"C:\\a b\\up.exe\" /q", records[0].path);
    EXPECT_STREQ("", records[1].kept);
    EXPECT_STREQ("", records[2].kept);

    char line[kHistoryRecordBuffer];
    BuildHistoryLine("d", 0, 11, "t", "p", "", line, sizeof line, "2 11");
    EXPECT_STREQ("d\t*START_Remove\tCURRENT_RUN\tt\tp\t\t2 11\r\n", line);
    BuildHistoryLine("d", 0, 11, "t", "p", "", line, sizeof line, "");
    EXPECT_STREQ("d\t*START_Remove\tCURRENT_RUN\tt\tp\t\r\n", line);
}

// Only a record that reads back whole may stand for an undo.
TEST(HistoryWalk, ARecordKeepsAllOnlyWhenEveryFieldReadsBackWhole)
{
    const std::string command(900, 'c');
    EXPECT_TRUE(HistoryRecordKeepsAll("12/06/2026  12:05 AM", 0, 11, "Agent", command.c_str(), "",
                                      "1 11"));
    const std::string tooLong(1010, 'c');
    EXPECT_FALSE(HistoryRecordKeepsAll("12/06/2026  12:05 AM", 0, 11, "Agent", tooLong.c_str(),
                                       "", "1 11"));
    EXPECT_FALSE(HistoryRecordKeepsAll("d", 0, 11, "Agent", "C:\\a.exe\t/q", "", ""));
    EXPECT_FALSE(HistoryRecordKeepsAll("d", 0, 11, "Agent\r\n", "C:\\a.exe", "", ""));
    EXPECT_FALSE(HistoryRecordKeepsAll(std::string(32, 'd').c_str(), 0, 11, "A", "p", "", ""));
}

TEST(HistoryWalk, GoldenTexts)
{
    const std::string d = "12/06/2026  12:05 AM";
    const std::string f1023(1023, 'p');
    const std::string f1024(1024, 'p');
    const std::string t1023(1023, 't');
    const std::string t1024(1024, 't');
    const std::string d31(31, '1');
    const std::string d32(32, '2');
    struct Case {
        std::string text;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        {d + "\t*START_Remove\tCURRENT_RUN\tUp\tC:\\up.exe\tC:\\up.exe /q\r\n",
         {{d.c_str(), 0, 11, "Up", "C:\\up.exe", "C:\\up.exe /q"}}},
        // Names match ignoring case; the second row of a code reads as that code.
        {"d\tstart_restore\tcurrent_run\tt\tp\tx\r\nd\tREMOVE_TASKSCHEDULER\tTYPE_UNKNOWN\tt\tp\t\r\n",
         {{"d", 12, 11, "t", "p", "x"}, {"d", 23, 3000, "t", "p", ""}}},
        // Unknown names read as the tables' last rows.
        {"d\tSTART_Remove\tTYPE_ACTIVEX\tt\tp\tx\n", {{"d", 31, 3000, "t", "p", "x"}}},
        // Line feeds alone end records; carriage returns anywhere belong to no field.
        {"a\tTASK_Kill\tINFO_TASK\tt\tp\td\nb\tTASK_Ki\rll\tINFO_TASK\tt\r\t\rp\td\r\r\n",
         {{"a", 5, 600, "t", "p", "d"}, {"b", 5, 600, "t", "p", "d"}}},
        // The last line without its line feed is not loaded.
        {"a\tTASK_Kill\tINFO_TASK\tt\tp\td\r\nb\tTASK_Kill\tINFO_TASK\tt\tp\td",
         {{"a", 5, 600, "t", "p", "d"}}},
        {"no line end at all", {}},
        {"", {}},
        // Missing fields are empty and unknown; fields after the seventh are ignored.
        {"only a date\n", {{"only a date", 31, 3000, "", "", ""}}},
        {"d\tTASK_Kill\n", {{"d", 5, 3000, "", "", ""}}},
        {"d\tTASK_Kill\tINFO_TASK\tt\tp\tx\tseventh\t*START_Remove\n",
         {{"d", 5, 600, "t", "p", "x"}}},
        {"\r\n", {{"", 31, 3000, "", "", ""}}},
        // Each field keeps up to its width and is dropped beyond it.
        {d31 + "\tTASK_Kill\tINFO_TASK\t" + t1023 + "\t" + f1023 + "\t" + f1023 + "\n",
         {{d31.c_str(), 5, 600, t1023.c_str(), f1023.c_str(), f1023.c_str()}}},
        {d32 + "\tTASK_Kill\tINFO_TASK\t" + t1024 + "\t" + f1024 + "\t" + f1024 + "\n",
         {{"", 5, 600, "", "", ""}}},
        {std::string(5000, 'x') + "\tTASK_Kill\tINFO_TASK\t" + std::string(5000, 'y') + "\tp\t" +
             std::string(5000, 'z') + "\n",
         {{"", 5, 600, "", "p", ""}}},
        // A name with anything after it matches nothing.
        {"d\tTASK_Kill" + std::string(300, ' ') + "\tINFO_TASK\tt\tp\td\n",
         {{"d", 31, 600, "t", "p", "d"}}},
        // NUL bytes are skipped; other bytes are kept as they are.
        {std::string("d\tTASK_\0Kill\tINFO_TASK\t\xff\xfe\x01t\tp\0q\td\n", 34),
         {{"d", 5, 600, "\xff\xfe\x01t", "pq", "d"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        std::vector<HistoryRecord> records = Walk(c.text);
        ASSERT_EQ(c.expected.size(), records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectRecord(c.expected[i], records[i]);
        }
    }
}

TEST(HistoryWalk, WrittenLinesReadBack)
{
    std::string text;
    char line[kHistoryRecordBuffer];
    for (const NameRow &type : kTypeRows) {
        BuildHistoryLine("12/06/2026  12:05 PM", 0, type.code, type.name, "C:\\a b\\c.exe", "d",
                         line, sizeof line);
        text += line;
    }
    std::vector<HistoryRecord> records = Walk(text);
    ASSERT_EQ(sizeof kTypeRows / sizeof kTypeRows[0], records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(kTypeRows[i].name);
        ExpectRecord({"12/06/2026  12:05 PM", 0, kTypeRows[i].code, kTypeRows[i].name,
                      "C:\\a b\\c.exe", "d"},
                     records[i]);
    }
}

TEST(HistoryWalk, StopsWhenTheReceiverIsFull)
{
    Walked walked;
    walked.stopAfter = 2;
    std::string text = "a\n\nb\nc\n";
    EXPECT_EQ(2, WalkHistoryText(text.data(), text.size(), Collect, &walked));
    ASSERT_EQ(2u, walked.records.size());
    EXPECT_STREQ("a", walked.records[0].date);
    EXPECT_STREQ("", walked.records[1].date);
}

TEST(HistoryQuery, ValuesAreEncodedSoTheyCannotChangeTheQuery)
{
    struct Case { const char *text; const char *expected; };
    const Case cases[] = {
        {"AZaz09-._~", "AZaz09-._~"},
        {"a b", "a%20b"},
        {"x&path=C:\\evil", "x%26path%3DC%3A%5Cevil"},
        {"q?r#s/t+u%v", "q%3Fr%23s%2Ft%2Bu%25v"},
        {"line\r\nHost: x", "line%0D%0AHost%3A%20x"},
        {"\x01\x7f\x80\xe9\xff", "%01%7F%80%E9%FF"},
        {"*START_Remove", "%2ASTART_Remove"},
        {"12/06/2026  12:05 AM", "12%2F06%2F2026%20%2012%3A05%20AM"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Guarded<128> out;
        EXPECT_EQ(1, QueryValueText(c.text, out.text, 64));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(64));
    }
}

TEST(HistoryQuery, AnEscapeIsNeverCutInHalf)
{
    // "a" fits; "%20" goes in whole or not at all.
    struct Case { size_t capacity; int fitted; const char *expected; };
    const Case cases[] = {
        {2, 0, "a"}, {3, 0, "a"}, {4, 0, "a"}, {5, 0, "a%20"}, {6, 1, "a%20b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.capacity);
        Guarded<128> out;
        EXPECT_EQ(c.fitted, QueryValueText("a b", out.text, c.capacity));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(c.capacity));
    }
    Guarded<128> out;
    EXPECT_EQ(0, QueryValueText("a", out.text, 0));
    EXPECT_EQ(0, QueryValueText("a", nullptr, 8));
}

TEST(HistoryQuery, EveryKeyInOrderWithEncodedValues)
{
    const HistoryUpload values{"", "ID-42", "12/06/2026  12:05 AM", "*START_Remove",
                               "CURRENT_RUN", "Bad&name=x", "C:\\a b\\c.exe?d=1#e"};
    char out[512];
    EXPECT_EQ(1, BuildHistoryQuery(values, out, sizeof out));
    EXPECT_STREQ("&name=&code=ID-42&time=12%2F06%2F2026%20%2012%3A05%20AM"
                 "&action=%2ASTART_Remove&type=CURRENT_RUN&title=Bad%26name%3Dx"
                 "&path=C%3A%5Ca%20b%5Cc.exe%3Fd%3D1%23e",
                 out);

    const HistoryUpload empty{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(1, BuildHistoryQuery(empty, out, sizeof out));
    EXPECT_STREQ("&name=&code=&time=&action=&type=&title=&path=", out);
}

TEST(HistoryQuery, BoundedTo1023CharactersWithoutSplittingAKeyOrEscape)
{
    std::string title(600, ' ');  // 1800 characters once encoded
    const HistoryUpload values{"", "c", "t", "a", "y", title.c_str(), "p"};
    std::vector<char> out(4096, kCanary);
    EXPECT_EQ(0, BuildHistoryQuery(values, out.data(), out.size()));
    std::string query(out.data());
    EXPECT_LE(query.size(), kHistoryQueryLimit);
    EXPECT_GT(query.size(), kHistoryQueryLimit - 3);
    EXPECT_EQ(0u, query.find("&name=&code=c&time=t&action=a&type=y&title=%20"));
    EXPECT_EQ((query.size() - 43) % 3, 0u) << "an escape was cut";
    EXPECT_EQ(std::string::npos, query.find("&path"));
    EXPECT_EQ(kCanary, out[1024]);

    // A key that does not fit whole is left out.
    const HistoryUpload shortValues{"", "", "", "", "", "", ""};
    Guarded<128> small;
    EXPECT_EQ(0, BuildHistoryQuery(shortValues, small.text, 16));
    EXPECT_STREQ("&name=&code=", small.text);
    EXPECT_TRUE(small.UntouchedFrom(16));
}

} // namespace

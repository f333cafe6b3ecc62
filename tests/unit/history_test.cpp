#include "history.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "programs.h"
#include "regsandbox.h"
#include "registry.h"
#include "scratch.h"

namespace {

// A one-request HTTP server on 127.0.0.1 that ends by itself after its lifetime. It records the
// request head it received; when told to stay silent it accepts and never answers.
class LoopbackServer {
public:
    LoopbackServer(std::string body, DWORD lifetime, bool answer = true)
        : body_(std::move(body)), lifetime_(lifetime), answer_(answer)
    {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        int length = sizeof address;
        if (listener_ == INVALID_SOCKET ||
            bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            listen(listener_, 4) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
            ADD_FAILURE() << "no loopback listener: " << WSAGetLastError();
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        stop_ = true;
        Finish();
        if (listener_ != INVALID_SOCKET)
            closesocket(listener_);
        if (started_)
            WSACleanup();
    }
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    std::string Address(const char *rest) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + rest;
    }
    // Waits for the server's end (its lifetime at most once a client came or it gave up).
    void Finish()
    {
        if (thread_.joinable())
            thread_.join();
    }
    bool connected() const { return connected_; }
    // The client closed the connection while the silent server still held it.
    bool clientLeft() const { return clientLeft_; }
    // The request line and the headers.
    const std::string &request() const { return request_; }
    std::string RequestLine() const { return request_.substr(0, request_.find("\r\n")); }

private:
    bool Expired(DWORD start) const { return stop_ || GetTickCount() - start >= lifetime_; }

    void Serve()
    {
        const DWORD start = GetTickCount();
        SOCKET client = INVALID_SOCKET;
        while (client == INVALID_SOCKET && !Expired(start)) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait{0, 20000};
            if (select(0, &ready, nullptr, nullptr, &wait) > 0)
                client = accept(listener_, nullptr, nullptr);
        }
        if (client == INVALID_SOCKET)
            return;
        connected_ = true;
        DWORD slice = 200;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&slice),
                   sizeof slice);
        char buffer[1024];
        while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 16384 &&
               !Expired(start)) {
            int got = recv(client, buffer, sizeof buffer, 0);
            if (got > 0)
                request_.append(buffer, got);
            else if (got == 0 || WSAGetLastError() != WSAETIMEDOUT)
                break;
        }
        if (answer_) {
            std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                                std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" +
                                body_;
            send(client, reply.data(), static_cast<int>(reply.size()), 0);
        } else {
            // Silent until the caller hangs up (recv sees the end) or the lifetime is over.
            while (!Expired(start)) {
                int got = recv(client, buffer, sizeof buffer, 0);
                if (got == 0 || (got < 0 && WSAGetLastError() != WSAETIMEDOUT)) {
                    clientLeft_ = true;
                    break;
                }
            }
        }
        closesocket(client);
    }

    std::string body_;
    DWORD lifetime_;
    bool answer_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> clientLeft_{false};
    std::string request_;
    std::thread thread_;
};

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

class History : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock(0, 5);
        override_.programFolder = scratch_.path().c_str();
        override_.localTime = &clock_;
        SetPlatformOverride(&override_);
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        TheSettings().option[OPT_MaxCookie] = 315;
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }
    // 6 December 2026 at the given local time.
    void Clock(WORD hour, WORD minute) { clock_ = {2026, 12, 0, 6, hour, minute, 0, 0}; }
    std::string FileText() const { return ReadWholeFile(scratch_.File("history.txt")); }
    bool FileExists() const
    {
        return GetFileAttributesA(scratch_.File("history.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void SetServer(HKEY root, const std::string &address, const char *code)
    {
        WriteRegString(root, kProductKey, "svserver", address.c_str());
        if (code != nullptr)
            WriteRegString(root, kProductKey, "svid", code);
    }

    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    SYSTEMTIME clock_;
    PlatformOverride override_;
};

struct Loaded {
    std::string title, path, detail, date;
    int kind, action;
};

Loaded EntryAt(int index)
{
    char title[kTitleWidth + 1], path[kPathWidth + 1], detail[kDetailWidth + 1];
    char date[kDescriptionWidth + 1];
    EntryTitle(index, title, sizeof title);
    EntryPath(index, path, sizeof path);
    EntryDetail(index, detail, sizeof detail);
    EntryDescription(index, date, sizeof date);
    return {title, path, detail, date, EntryKind(index), EntryExtra(index)};
}

void ExpectEntry(const Loaded &expected, int index)
{
    SCOPED_TRACE(index);
    Loaded actual = EntryAt(index);
    EXPECT_EQ(expected.title, actual.title);
    EXPECT_EQ(expected.path, actual.path);
    EXPECT_EQ(expected.detail, actual.detail);
    EXPECT_EQ(expected.date, actual.date);
    EXPECT_EQ(expected.kind, actual.kind);
    EXPECT_EQ(expected.action, actual.action);
}

TEST_F(History, RecordsAtMidnightAndNoonCarryTheTwelveHourDial)
{
    EXPECT_EQ(1, WriteHistoryRecord("Updater", "C:\\nowhere\\up.exe",
                                    "\"C:\\nowhere\\up.exe\" /q", 11, kActionStartRemove));
    Clock(12, 5);
    EXPECT_EQ(1, WriteHistoryRecord("Spooler", "spoolsv.exe", "", 700, kActionServiceDisabled));
    Clock(23, 59);
    EXPECT_EQ(1, WriteHistoryRecord("notepad", "C:\\windows\\notepad.exe", "", 600,
                                    kActionTaskKill));
    EXPECT_EQ("12/06/2026  12:05 AM\t*START_Remove\tCURRENT_RUN\tUpdater\tC:\\nowhere\\up.exe\t"
              "\"C:\\nowhere\\up.exe\" /q\r\n"
              "12/06/2026  12:05 PM\tSERVICE_Disabled\tSERVICE_EXE\tSpooler\tspoolsv.exe\t\r\n"
              "12/06/2026  11:59 PM\tTASK_Kill\tINFO_TASK\tnotepad\tC:\\windows\\notepad.exe\t\r\n",
              FileText());
}

TEST_F(History, DateTextOfAZeroDateIsNever)
{
    char text[32];
    memset(text, 'x', sizeof text);
    const SYSTEMTIME never{};
    EXPECT_EQ(1, HistoryDateText(never, text, sizeof text));
    EXPECT_STREQ("Never", text);
    const SYSTEMTIME midnight = {2026, 12, 0, 6, 0, 5, 0, 0};
    EXPECT_EQ(1, HistoryDateText(midnight, text, sizeof text));
    EXPECT_STREQ("12/06/2026  12:05 AM", text);
}

TEST_F(History, SwitchedOffWritesAndSendsNothing)
{
    LoopbackServer server("1", 1500);
    SetServer(HKEY_LOCAL_MACHINE, server.Address("/collect?"), "ID42");
    for (int off : {0, -1}) {
        SCOPED_TRACE(off);
        TheSettings().option[OPT_History] = off;
        EXPECT_EQ(0, WriteHistoryRecord("Updater", "C:\\nowhere\\up.exe", "", 11, 0));
        EXPECT_FALSE(FileExists());
    }
    server.Finish();
    EXPECT_FALSE(server.connected());
}

TEST_F(History, UnopenableFileFailsTheWriteAndSaysWhy)
{
    // The program folder's history.txt is a folder: nothing can append to it.
    CreateDirectoryA(scratch_.File("history.txt").c_str(), nullptr);
    SetLastError(0);
    EXPECT_EQ(kHistoryFailed, WriteHistoryRecord("Updater", "C:\\nowhere\\up.exe", "", 11, 0));
    EXPECT_NE(0u, GetLastError());
    EXPECT_TRUE(GetFileAttributesA(scratch_.File("history.txt").c_str()) &
                FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(History, EveryTypeAndActionReadsBackAsWritten)
{
    struct Kind { int written, read; const char *name; };
    const Kind kinds[] = {
        {1, 1, "MACHINE_RUN"}, {2, 2, "MACHINE_RUNONCE"}, {3, 3, "MACHINE_RUNONCEEX"},
        {4, 4, "MACHINE_RUNSERVICES"}, {5, 5, "MACHINE_RUNSERVICESONCE"},
        {6, 6, "MACHINE_RUNONCESETUP"}, {7, 7, "MACHINE_RUNPOLICY"}, {11, 11, "CURRENT_RUN"},
        {12, 12, "CURRENT_RUNONCE"}, {13, 13, "CURRENT_RUNONCEEX"},
        {14, 14, "CURRENT_RUNSERVICES"}, {15, 15, "CURRENT_RUNSERVICESONCE"},
        {16, 3000, "TYPE_UNKNOWN"}, {17, 3000, "TYPE_UNKNOWN"}, {21, 21, "WOW64_RUN"},
        {22, 22, "WOW64_RUNONCE"}, {23, 23, "WOW64_RUNONCEEX"}, {24, 24, "WOW64_RUNSERVICES"},
        {25, 25, "WOW64_RUNSERVICESONCE"}, {26, 3000, "TYPE_UNKNOWN"},
        {27, 3000, "TYPE_UNKNOWN"}, {31, 31, "SENTROVIA_RUN"}, {35, 35, "SENTROVIA_RUNSERVICESONCE"},
        {100, 100, "WIN_LOAD"}, {101, 101, "WIN_RUN"}, {200, 200, "GROUP_STARTUP"},
        {250, 250, "WINLOGON_Userinit"}, {251, 251, "WINLOGON_Shell"},
        {252, 252, "REG_Delayload"}, {253, 253, "REG_TaskScheduler"},
        {254, 254, "REG_ShellExecuteHook"}, {255, 255, "REG_AppInitDLLs"},
        {256, 256, "RUN_WINLOGONNOTIFY"}, {300, 300, "RESTART_DELETE"},
        {301, 301, "RESTART_RENAME"}, {350, 350, "TYPE_MONITOR"}, {360, 360, "TYPE_BLACKLIST"},
        {370, 370, "TYPE_HIDDEN"}, {400, 400, "TYPE_FILETYPE"}, {450, 450, "TYPE_PROSEARCH"},
        {500, 500, "INFO_COOKIE"}, {501, 501, "INFO_NETCOOKIE"}, {502, 502, "INFO_SAVECOOKIE"},
        {503, 503, "INFO_NUTS"}, {600, 600, "INFO_TASK"}, {700, 700, "SERVICE_EXE"},
        {701, 701, "SERVICE_SVCHOST"}, {800, 800, "TASK_SCHEDULED"}, {900, 900, "TYPE_BHO"},
        {901, 901, "TYPE_TOOLBAR"}, {902, 902, "TYPE_EXTENSION"}, {1200, 3000, "TYPE_UNKNOWN"},
        {3000, 3000, "TYPE_UNKNOWN"},
    };
    struct Action { int written, read; const char *name; };
    const Action actions[] = {
        {0, 0, "*START_Remove"}, {1, 1, "START_Disable"}, {2, 2, "START_Enable"},
        {3, 3, "IEHELPER_Remove"}, {4, 4, "TASK_Remove"}, {5, 5, "TASK_Kill"},
        {6, 6, "START_Alert"}, {7, 7, "TASK_Alert"}, {8, 8, "IEHELPER_Alert"},
        {9, 9, "SERVICE_Stop"}, {10, 10, "SERVICE_Automatic"}, {11, 11, "SERVICE_Manual"},
        {12, 12, "SERVICE_Disabled"}, {13, 13, "TASK_Restore"}, {14, 14, "IEHELPER_Restore"},
        {15, 15, "ScheduledTask_Remove"}, {16, 31, ""}, {17, 17, "SERVICE_from_Automatic"},
        {18, 18, "SERVICE_from_Manual"}, {19, 19, "SERVICE_from_Disabled"},
        {20, 20, "SERVICE__from_Disabled"}, {21, 21, "RESET_USERINIT"},
        {22, 22, "RESET_SHELL"}, {23, 23, "REMOVE_TaskScheduler"},
        {24, 24, "REMOVE_DELAYLOAD"}, {25, 25, "REMOVE_SHELLEXECUTEHOOK"},
        {26, 26, "REMOVE_APPINIT"}, {27, 31, ""}, {28, 28, "HIDDEN_Alert"},
        {29, 29, "*HIDDEN_DeleteFile"}, {30, 30, "REMOVE_WinLogonNotify"},
        {31, 31, "LOG_UNKNOWN"},
    };
    std::string expectedFile;
    for (const Kind &k : kinds) {
        ASSERT_EQ(1, WriteHistoryRecord("kind", "C:\\nowhere\\kind.exe", "k", k.written, 6));
        expectedFile += std::string("12/06/2026  12:05 AM\tSTART_Alert\t") + k.name +
                        "\tkind\tC:\\nowhere\\kind.exe\tk\r\n";
    }
    for (const Action &a : actions) {
        ASSERT_EQ(1, WriteHistoryRecord("action", "C:\\nowhere\\action.exe", "a", 11, a.written));
        expectedFile += std::string("12/06/2026  12:05 AM\t") + a.name +
                        "\tCURRENT_RUN\taction\tC:\\nowhere\\action.exe\ta\r\n";
    }
    EXPECT_EQ(expectedFile, FileText());

    const int total = static_cast<int>(std::size(kinds) + std::size(actions));
    ASSERT_EQ(total, LoadHistory());
    ASSERT_EQ(total, EntryCount());
    int index = 0;
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.written);
        ExpectEntry({"kind", "C:\\nowhere\\kind.exe", "k", "12/06/2026  12:05 AM", k.read, 6},
                    index++);
    }
    for (const Action &a : actions) {
        SCOPED_TRACE(a.written);
        ExpectEntry({"action", "C:\\nowhere\\action.exe", "a", "12/06/2026  12:05 AM", 11, a.read},
                    index++);
        EXPECT_EQ(a.read == 0 || a.read == 29, IsReversibleAction(EntryExtra(index - 1)) == 1);
    }
}

TEST_F(History, DamagedFilesLoadWhatTheirLinesAllow)
{
    const std::string d = "12/06/2026  12:05 AM";
    struct Case {
        const char *label;
        std::string text;
        std::vector<Loaded> expected;
    };
    const Case cases[] = {
        {"second rows and case", d + "\tstart_restore\tcurrent_run\tUp\tC:\\nowhere\\up.exe\tx\r\n" +
             d + "\tREMOVE_TASKSCHEDULER\tTYPE_BHO\tBho\t{1}\t\r\n",
         {{"Up", "C:\\nowhere\\up.exe", "x", d, 11, 12}, {"Bho", "{1}", "", d, 900, 23}}},
        {"unknown names", d + "\tSTART_Removed\tTYPE_ACTIVEX\tCtl\tC:\\nowhere\\c.ocx\t\r\n",
         {{"Ctl", "C:\\nowhere\\c.ocx", "", d, 3000, 31}}},
        {"no final line feed", d + "\tTASK_Kill\tINFO_TASK\ta\tC:\\nowhere\\a.exe\t\r\n" + d +
             "\tTASK_Kill\tINFO_TASK\tb\tC:\\nowhere\\b.exe\t",
         {{"a", "C:\\nowhere\\a.exe", "", d, 600, 5}}},
        // An over-long title is dropped and the entry list derives one from the path.
        {"overlong fields", std::string(40, '9') + "\tTASK_Kill\tINFO_TASK\t" +
             std::string(1100, 't') + "\tC:\\nowhere\\named.exe\t" + std::string(4000, 'x') + "\n",
         {{"named", "C:\\nowhere\\named.exe", "", "", 600, 5}}},
        {"binary bytes", std::string("\x01\x02\xff\tTASK_Kill\0\0\tINFO_TASK\t\x80\x7f\tp\0\0q\t\x1b\n", 36),
         {{"\x80\x7f", "pq", "\x1b", "\x01\x02\xff", 600, 5}}},
        {"empty file", "", {}},
        {"line feeds only", "\n\r\n", {{"", "", "", "", 3000, 31}, {"", "", "", "", 3000, 31}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        scratch_.Write("history.txt", c.text);
        AddEntry("stale", "C:\\nowhere\\stale.exe", "", "", 11, 0);
        ASSERT_EQ(static_cast<int>(c.expected.size()), LoadHistory());
        ASSERT_EQ(static_cast<int>(c.expected.size()), EntryCount());
        for (size_t i = 0; i < c.expected.size(); ++i)
            ExpectEntry(c.expected[i], static_cast<int>(i));
    }
}

TEST_F(History, MissingFileLoadsNothingAndEmptiesTheList)
{
    AddEntry("stale", "C:\\nowhere\\stale.exe", "", "", 11, 0);
    EXPECT_EQ(0, LoadHistory());
    EXPECT_EQ(0, EntryCount());
}

TEST_F(History, ALongHistoryLoadsItsNewestRecordsFromAWholeLine)
{
    // Lines of 100 bytes: the last 131072 bytes start inside a line, which is left out. Lines of
    // 64 bytes divide the bound: the part starts with a whole line, which is kept.
    for (size_t width : {100u, 64u}) {
        SCOPED_TRACE(width);
        const std::string head = "d\tTASK_Kill\tINFO_TASK\tt\tC:\\nowhere\\";
        std::string text;
        for (int i = 0; text.size() < 200000; ++i) {
            std::string line = head + std::to_string(i) + ".exe\t";
            line.append(width - 2 - line.size(), 'x');
            text += line + "\r\n";
        }
        scratch_.Write("history.txt", text);
        const size_t lines = text.size() / width;
        const size_t from = text.size() - kHistoryReadLimit;
        const size_t firstWhole = (from + width - 1) / width;  // the first line starting in it
        const int expected = static_cast<int>(lines - firstWhole);
        ASSERT_EQ(expected, LoadHistory());
        EXPECT_EQ(1, HistoryOlderLeftOut());
        EXPECT_EQ("C:\\nowhere\\" + std::to_string(firstWhole) + ".exe", EntryAt(0).path);
        EXPECT_EQ("C:\\nowhere\\" + std::to_string(lines - 1) + ".exe",
                  EntryAt(expected - 1).path);
    }
    scratch_.Write("history.txt", "d\tTASK_Kill\tINFO_TASK\tt\tC:\\nowhere\\a.exe\t\r\n");
    EXPECT_EQ(1, LoadHistory());
    EXPECT_EQ(0, HistoryOlderLeftOut());
}

// A last line left without its line end (a writer that died mid-record) gets one first, so the
// new record is never glued to old bytes.
TEST_F(History, ARecordIsNeverGluedToALastLineWithoutItsLineEnd)
{
    const std::string d = "12/06/2026  12:05 AM";
    scratch_.Write("history.txt", d + "\tTASK_Kill\tINFO_TASK\ta\tC:\\nowhere\\a.exe\t\r\n" + d +
                                      "\tTASK_Kill\tINFO_TASK\tcut");
    ASSERT_EQ(kHistoryWritten, WriteHistoryRecord("Agent", "C:\\Tools\\agent.exe", "", 11, 6));
    ASSERT_EQ(3, LoadHistory());
    EXPECT_EQ("cut", EntryAt(1).title);
    EXPECT_EQ("Agent", EntryAt(2).title);
    EXPECT_EQ(kActionStartAlert, EntryExtra(2));
    const std::string text = FileText();
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
}

TEST_F(History, AtMost4096RecordsLoad)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "d\tTASK_Kill\t\tt" + std::to_string(i) + "\t\t\r\n";
    ASSERT_LT(text.size(), kHistoryReadLimit);
    scratch_.Write("history.txt", text);
    EXPECT_EQ(kMaxEntries, LoadHistory());
    EXPECT_EQ("t4095", EntryAt(kMaxEntries - 1).title);
}

TEST_F(History, TwoWritersAtOnceLoseNoRecord)
{
    constexpr int kEach = 500;
    std::string eventName = "SentroviaHistoryStart" + std::to_string(GetCurrentProcessId());
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, start);
    std::string arguments = "\"" + scratch_.path() + "\" " + std::to_string(kEach);
    {
        RunningProgram first(BuildFile("fixture_history_writer.exe"),
                             arguments + " A " + eventName);
        RunningProgram second(BuildFile("fixture_history_writer.exe"),
                              arguments + " B " + eventName);
        ASSERT_TRUE(first.started() && second.started());
        SetEvent(start);
        DWORD lostFirst = 0xdeadbeef, lostSecond = 0xdeadbeef;
        EXPECT_TRUE(first.WaitForEnd(60000, &lostFirst));
        EXPECT_TRUE(second.WaitForEnd(60000, &lostSecond));
        EXPECT_EQ(0u, lostFirst);
        EXPECT_EQ(0u, lostSecond);
    }
    CloseHandle(start);

    std::string text = FileText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
    std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(2u * kEach, lines.size());
    std::set<std::string> expected;
    for (const char *tag : {"A", "B"}) {
        for (int i = 0; i < kEach; ++i) {
            std::string program = std::string("C:\\nowhere\\") + tag + "\\program" +
                                  std::to_string(i) + ".exe";
            expected.insert("12/06/2026  12:05 AM\t*START_Remove\tCURRENT_RUN\twriter " +
                            std::string(tag) + " record " + std::to_string(i) + "\t" + program +
                            "\t\"" + program + "\" /run " + std::to_string(i));
        }
    }
    std::set<std::string> seen;
    for (const std::string &line : lines) {
        EXPECT_EQ(1u, expected.count(line)) << "damaged record: " << line;
        EXPECT_TRUE(seen.insert(line).second) << "repeated record: " << line;
    }
    EXPECT_EQ(expected.size(), seen.size());
}

TEST_F(History, UploadSendsEveryKeyEncoded)
{
    LoopbackServer server("1", 10000);
    SetServer(HKEY_LOCAL_MACHINE, server.Address("/collect?v=1"), "ID 42&x=y");
    EXPECT_EQ(1, WriteHistoryRecord("Bad & title=x#y", "C:\\Program Files\\a?b=c.exe", "detail",
                                    11, kActionStartRemove));
    server.Finish();
    ASSERT_TRUE(server.connected());
    EXPECT_EQ("GET /collect?v=1&name=&code=ID%2042%26x%3Dy&time=12%2F06%2F2026%20%2012%3A05%20AM"
              "&action=%2ASTART_Remove&type=CURRENT_RUN&title=Bad%20%26%20title%3Dx%23y"
              "&path=C%3A%5CProgram%20Files%5Ca%3Fb%3Dc.exe HTTP/1.1",
              server.RequestLine());
    EXPECT_NE(std::string::npos, server.request().find("\r\nUser-Agent: History\r\n"))
        << server.request();
    // The record is in the file whatever the server did.
    EXPECT_EQ(1u, SplitLines(FileText()).size());
}

TEST_F(History, UploadAnswerIsTheServersFirstByte)
{
    struct Case { const char *body; int expected; };
    const Case cases[] = {{"1", 1}, {"1 stored", 1}, {"0", 0}, {"", 0}, {" 1", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body);
        LoopbackServer server(c.body, 10000);
        SetServer(HKEY_LOCAL_MACHINE, server.Address("/h?"), "ID");
        EXPECT_EQ(c.expected, UploadHistoryRecord("TASK_Kill", "INFO_TASK", "t", "p"));
        server.Finish();
        EXPECT_TRUE(server.connected());
        EXPECT_EQ(0u, server.RequestLine().find("GET /h?&name=&code=ID&time="));
    }
}

TEST_F(History, NoServerNoConnection)
{
    for (const char *address : {static_cast<const char *>(nullptr), ""}) {
        SCOPED_TRACE(address ? "empty svserver" : "no svserver");
        LoopbackServer server("1", 700);
        if (address != nullptr)
            SetServer(HKEY_LOCAL_MACHINE, address, "ID");
        else
            WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, "svid", "ID");
        EXPECT_EQ(1, WriteHistoryRecord("t", "C:\\nowhere\\t.exe", "", 11, 6));
        EXPECT_EQ(0, UploadHistoryRecord("START_Alert", "CURRENT_RUN", "t", "p"));
        server.Finish();
        EXPECT_FALSE(server.connected());
    }
}

TEST_F(History, UserServerServesWhenTheMachineHasNone)
{
    LoopbackServer server("1", 10000);
    SetServer(HKEY_CURRENT_USER, server.Address("/user?"), "U1");
    EXPECT_EQ(1, UploadHistoryRecord("START_Alert", "CURRENT_RUN", "t", "p"));
    server.Finish();
    EXPECT_EQ(0u, server.RequestLine().find("GET /user?&name=&code=U1&time="));
}

TEST_F(History, LongValuesStayWithinTheAddressAndKeepEscapesWhole)
{
    LoopbackServer server("1", 10000);
    SetServer(HKEY_LOCAL_MACHINE, server.Address("/h?"), "ID");
    const std::string path = "C:\\" + std::string(250, ' ');
    EXPECT_EQ(1, UploadHistoryRecord("TASK_Kill", "INFO_TASK", "t", path.c_str()));
    server.Finish();
    std::string line = server.RequestLine();
    ASSERT_EQ(0u, line.find("GET /h?"));
    std::string target = line.substr(4, line.rfind(" HTTP/") - 4);
    const std::string origin = server.Address("");
    EXPECT_LE(origin.size() + target.size(), 511u);
    EXPECT_GT(origin.size() + target.size(), 508u);
    size_t lastPercent = target.rfind('%');
    ASSERT_NE(std::string::npos, lastPercent);
    EXPECT_EQ(target.size() - 3, lastPercent) << "the last escape was cut: " << target;
}

TEST_F(History, SilentServerDoesNotHoldTheCaller)
{
    // The server would hold the connection far longer than any reasonable wait: the upload must
    // be the side that gives up.
    LoopbackServer server("", 120000, false);
    SetServer(HKEY_LOCAL_MACHINE, server.Address("/slow?"), "ID");
    EXPECT_EQ(0, UploadHistoryRecord("TASK_Kill", "INFO_TASK", "t", "p"));
    server.Finish();
    EXPECT_TRUE(server.connected());
    EXPECT_TRUE(server.clientLeft()) << "the upload waited until the server hung up";
}

// The values of a key; 0 when the key is missing.
DWORD ValueCount(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
}

constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kBaseline[] = "Software\\Orvanto\\Sentrovia\\Run";

TEST_F(History, RestoringARemovalPutsTheRunValueBackAndWritesNoRecord)
{
    const std::string command = "rundll32.exe C:\\Tools\\agent.dll,Start";
    const std::string d = "12/06/2026  12:05 AM";
    // A removal with a name in no row, an alert, and the removal as the removing code wrote it.
    scratch_.Write("history.txt",
                   d + "\tSTART_Removed\tCURRENT_RUN\tOther\trundll32.exe C:\\Tools\\other.dll\t\r\n" +
                       d + "\tSTART_Alert\tCURRENT_RUN\tThird\tC:\\Tools\\third.exe\t\r\n");
    ASSERT_EQ(1, WriteHistoryRecord("Agent", command.c_str(), "", 11, kActionStartRemove));
    const std::string before = FileText();
    ASSERT_EQ(3, LoadHistory());
    ASSERT_EQ(kUnknownActionCode, EntryExtra(0));
    ASSERT_EQ(kActionStartAlert, EntryExtra(1));
    ASSERT_EQ(kActionStartRemove, EntryExtra(2));

    for (int index : {0, 1, 3, -1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(0, RestoreHistoryEvent(index));
        EXPECT_EQ(0u, ValueCount(HKEY_CURRENT_USER, kUserRun));
        EXPECT_EQ(0u, ValueCount(HKEY_CURRENT_USER, kBaseline));
    }

    EXPECT_EQ(1, RestoreHistoryEvent(2));
    EXPECT_EQ(command, ReadStringValue(HKEY_CURRENT_USER, kUserRun, "Agent"));
    EXPECT_EQ(1u, ValueCount(HKEY_CURRENT_USER, kUserRun));
    // The record kept no approval: the Monitor asks about the program again.
    EXPECT_EQ(0u, ValueCount(HKEY_CURRENT_USER, kBaseline));
    EXPECT_EQ(before, FileText());
    EXPECT_EQ(3, EntryCount());
}

} // namespace

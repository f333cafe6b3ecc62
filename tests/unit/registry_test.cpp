#include "registry.h"

#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "regsandbox.h"

namespace {

constexpr char kKey[] = "Software\\Scratch\\Values";

std::vector<std::pair<std::string, std::string>> g_hookCalls;
void RecordingHook(const char *label, const char *detail) { g_hookCalls.emplace_back(label, detail); }

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hookCalls.clear();
        previous_ = SetDebugHook(RecordingHook);
    }
    void TearDown() override { SetDebugHook(previous_); }

    bool HookSaw(const char *label) const
    {
        for (const auto &call : g_hookCalls)
            if (call.first == label)
                return true;
        return false;
    }

    RegistrySandbox sandbox_;
    DebugHookFn previous_ = nullptr;
};

TEST_F(Registry, NumbersReadBackAsSigned16Bit)
{
    struct Case { DWORD stored; int expected; };
    const Case cases[] = {
        {200, 200},
        {static_cast<DWORD>(-1200), -1200},
        {70000, 4464},     // 0x11170: low two bytes 0x1170
        {40000, -25536},   // 0x9C40 taken as signed
        {0x7FFF, 32767},
        {0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_EQ(1, WriteRegNumber(HKEY_CURRENT_USER, kKey, "n", c.stored));
        EXPECT_EQ(c.expected, ReadRegNumber(HKEY_CURRENT_USER, kKey, "n"));
    }
}

TEST_F(Registry, NumberReadOfMissingOrWrongTypeIsZero)
{
    EXPECT_EQ(0, ReadRegNumber(HKEY_CURRENT_USER, "Software\\Nowhere", "n"));
    EXPECT_EQ(0, ReadRegNumber(HKEY_CURRENT_USER, kKey, "n"));
    WriteRegString(HKEY_CURRENT_USER, kKey, "text", "5");
    EXPECT_EQ(0, ReadRegNumber(HKEY_CURRENT_USER, kKey, "text"));
    const unsigned char two[2] = {7, 0};
    WriteRawValue(HKEY_CURRENT_USER, kKey, "short", REG_BINARY, two, sizeof two);
    EXPECT_EQ(0, ReadRegNumber(HKEY_CURRENT_USER, kKey, "short"));
}

TEST_F(Registry, StringWriteCreatesKeyAndStoresTerminator)
{
    ASSERT_EQ(1, WriteRegString(HKEY_CURRENT_USER, "Software\\A\\B\\C", "v", "hello"));
    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\A\\B\\C", "v",
                                          RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(6u, size);

    char text[32];
    memset(text, 0x5a, sizeof text);
    EXPECT_EQ(5, ReadRegString(HKEY_CURRENT_USER, "Software\\A\\B\\C", "v", text, sizeof text));
    EXPECT_STREQ("hello", text);
    EXPECT_EQ(0x5a, text[6]);  // nothing written past the text and its terminator
}

TEST_F(Registry, StringReadFitsOnlyWhenShorterThanCapacity)
{
    const std::string option(128, '7');
    WriteRegString(HKEY_CURRENT_USER, kKey, "long", option.c_str());

    char small[128];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(0, ReadRegString(HKEY_CURRENT_USER, kKey, "long", small, sizeof small));
    EXPECT_STREQ("", small);
    EXPECT_TRUE(HookSaw("Registry Error #1024: Buffer overflow contained"));

    char enough[129];
    EXPECT_EQ(128, ReadRegString(HKEY_CURRENT_USER, kKey, "long", enough, sizeof enough));
    EXPECT_EQ(option, enough);
}

TEST_F(Registry, StringReadAnswersMissingForOddValues)
{
    const DWORD number = 42;
    WriteRawValue(HKEY_CURRENT_USER, kKey, "dword", REG_DWORD, &number, sizeof number);
    const char multi[] = "one\0two\0";
    WriteRawValue(HKEY_CURRENT_USER, kKey, "multi", REG_MULTI_SZ, multi, sizeof multi);
    const unsigned char binary[] = {'a', 'b', 'c', 0};
    WriteRawValue(HKEY_CURRENT_USER, kKey, "binary", REG_BINARY, binary, sizeof binary);
    // 1024 characters and the terminator do not fit the 1024-byte read.
    const std::string huge(1024, 'h');
    WriteRawValue(HKEY_CURRENT_USER, kKey, "huge", REG_SZ, huge.c_str(),
                  static_cast<DWORD>(huge.size() + 1));
    WriteRegString(HKEY_CURRENT_USER, kKey, "empty", "");

    for (const char *name : {"dword", "multi", "binary", "huge", "empty", "absent"}) {
        SCOPED_TRACE(name);
        char text[2048];
        memset(text, 'x', sizeof text);
        EXPECT_EQ(0, ReadRegString(HKEY_CURRENT_USER, kKey, name, text, sizeof text));
        EXPECT_STREQ("", text);
    }
    char text[8] = "x";
    EXPECT_EQ(0, ReadRegString(HKEY_CURRENT_USER, "Software\\Nowhere", "v", text, sizeof text));
    EXPECT_STREQ("", text);
}

TEST_F(Registry, StringReadTerminatesUnterminatedAndFullWidthValues)
{
    const char raw[5] = {'a', 'b', 'c', 'd', 'e'};  // stored without its terminator
    WriteRawValue(HKEY_CURRENT_USER, kKey, "raw", REG_SZ, raw, sizeof raw);
    char text[16];
    EXPECT_EQ(5, ReadRegString(HKEY_CURRENT_USER, kKey, "raw", text, sizeof text));
    EXPECT_STREQ("abcde", text);

    const std::string widest(1023, 'w');
    WriteRegString(HKEY_CURRENT_USER, kKey, "widest", widest.c_str());
    char wide[1100];
    EXPECT_EQ(1023, ReadRegString(HKEY_CURRENT_USER, kKey, "widest", wide, sizeof wide));
    EXPECT_EQ(widest, wide);
}

TEST_F(Registry, ExpandableStringsAreExpandedWithinTheirLimit)
{
    SetEnvironmentVariableA("SENTROVIA_SCRATCH", "C:\\Scratch Folder");
    const char expand[] = "%SENTROVIA_SCRATCH%\\tool.exe";
    WriteRawValue(HKEY_CURRENT_USER, kKey, "expand", REG_EXPAND_SZ, expand, sizeof expand);
    char text[260];
    EXPECT_EQ(26, ReadRegString(HKEY_CURRENT_USER, kKey, "expand", text, sizeof text));
    EXPECT_STREQ("C:\\Scratch Folder\\tool.exe", text);

    // An expansion of 1024 or more characters keeps the text as stored.
    SetEnvironmentVariableA("SENTROVIA_LONG", std::string(1000, 'L').c_str());
    const std::string tooLong = "%SENTROVIA_LONG%" + std::string(30, 't');
    WriteRawValue(HKEY_CURRENT_USER, kKey, "toolong", REG_EXPAND_SZ, tooLong.c_str(),
                  static_cast<DWORD>(tooLong.size() + 1));
    char big[2048];
    EXPECT_EQ(static_cast<int>(tooLong.size()),
              ReadRegString(HKEY_CURRENT_USER, kKey, "toolong", big, sizeof big));
    EXPECT_EQ(tooLong, big);
    EXPECT_TRUE(HookSaw("Registry Error #1023: String can not be expanded"));

    SetEnvironmentVariableA("SENTROVIA_SCRATCH", nullptr);
    SetEnvironmentVariableA("SENTROVIA_LONG", nullptr);
}

TEST_F(Registry, DeleteValueReportsOnlyFailedDeletions)
{
    WriteRegString(HKEY_CURRENT_USER, kKey, "v", "1");
    EXPECT_EQ(1, DeleteRegValue(HKEY_CURRENT_USER, kKey, "v"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kKey, "v"));
    EXPECT_FALSE(HookSaw("ERROR RegDeleteValue"));

    EXPECT_EQ(0, DeleteRegValue(HKEY_CURRENT_USER, kKey, "v"));
    ASSERT_EQ(1u, g_hookCalls.size());
    EXPECT_EQ("ERROR RegDeleteValue", g_hookCalls[0].first);
    EXPECT_EQ("v", g_hookCalls[0].second);

    g_hookCalls.clear();
    EXPECT_EQ(0, DeleteRegValue(HKEY_CURRENT_USER, "Software\\Nowhere", "v"));
    EXPECT_TRUE(g_hookCalls.empty());
}

TEST_F(Registry, TreeDeleteRemovesEveryLevel)
{
    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree\\a\\b\\c", "v", "1");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree\\a\\d", "v", "1");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree\\e", "v", "1");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree", "v", "1");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Treehouse", "v", "1");

    EXPECT_EQ(1, DeleteRegTree(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tree"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Treehouse"));  // a sibling stays
    EXPECT_EQ(1, DeleteRegTree(HKEY_CURRENT_USER, "Software\\Tree"));  // already gone

    WriteRegString(HKEY_CURRENT_USER, "Software\\Slash\\x", "v", "1");
    EXPECT_EQ(1, DeleteRegTree(HKEY_CURRENT_USER, "Software\\Slash\\"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Slash\\x"));

    EXPECT_EQ(0, DeleteRegTree(HKEY_CURRENT_USER, ""));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Treehouse"));
}

TEST_F(Registry, CreateKeyReportsFailure)
{
    EXPECT_EQ(1, CreateRegKey(HKEY_CURRENT_USER, "Software\\Made\\Here"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Made\\Here"));
    EXPECT_TRUE(g_hookCalls.empty());

    const std::string tooLong = "Software\\" + std::string(300, 'k');  // a name over 255 characters
    EXPECT_EQ(0, CreateRegKey(HKEY_CURRENT_USER, tooLong.c_str()));
    EXPECT_TRUE(HookSaw("ERROR RegCreateKey"));
    EXPECT_EQ(0, WriteRegString(HKEY_CURRENT_USER, tooLong.c_str(), "v", "1"));
    EXPECT_EQ(0, WriteRegNumber(HKEY_CURRENT_USER, tooLong.c_str(), "v", 1));
}

} // namespace

namespace {

constexpr char kTableKey[] = "Software\\Scratch\\Table";

// Values of every kind a key can hold, including the ones a single read refuses; with names the
// registry matches by rules of its own when asked.
void WriteAssortedValues(bool oddNames)
{
    if (oddNames) {
        WriteRegString(HKEY_CURRENT_USER, kTableKey, "Caf\xe9", "accented");
        WriteRegString(HKEY_CURRENT_USER, kTableKey, "what?", "question");
        // A name with a letter the ANSI code page lacks: enumerated as "?", found by no "?".
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Scratch\\Table", 0,
                                               KEY_SET_VALUE, &key));
        const wchar_t text[] = L"unicode";
        RegSetValueExW(key, L"\x65e5", 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                       sizeof text);
        RegCloseKey(key);
    }
    WriteRegString(HKEY_CURRENT_USER, kTableKey, "Plain", "12");
    WriteRegString(HKEY_CURRENT_USER, kTableKey, "MiXeD Case", "mixed");
    WriteRegString(HKEY_CURRENT_USER, kTableKey, nullptr, "P");
    WriteRegString(HKEY_CURRENT_USER, kTableKey, "empty", "");
    WriteRegString(HKEY_CURRENT_USER, kTableKey, std::string(300, 'n').c_str(), "long name");
    const char expand[] = "%SENTROVIA_TABLE%\\x";
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "expand", REG_EXPAND_SZ, expand, sizeof expand);
    const DWORD number = 7;
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "dword", REG_DWORD, &number, sizeof number);
    const char multi[] = "one\0two\0";
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "multi", REG_MULTI_SZ, multi, sizeof multi);
    const char raw[3] = {'r', 'a', 'w'};
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "unterminated", REG_SZ, raw, sizeof raw);
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "no data", REG_SZ, nullptr, 0);
    for (size_t length : {1023u, 1024u, 5000u}) {
        const std::string text(length, 'w');
        WriteRawValue(HKEY_CURRENT_USER, kTableKey, ("wide " + std::to_string(length)).c_str(),
                      REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
}

const char *const kAskedNames[] = {
    "Plain", "PLAIN", "plain", "mixed case", "MiXeD Case", "", "empty", "Caf\xe9", "CAF\xc9",
    "what?", "WHAT?", "expand", "dword", "multi", "unterminated", "no data", "wide 1023",
    "wide 1024", "wide 5000", "absent", "Plai", "Plain ", "caf", "who?", "?",
};

// Every answer of the table against the single read of the same value, at every width.
void ExpectTableAnswersAsSingleReads(RegValueTable &table, HKEY root, const char *path)
{
    std::vector<std::string> names(std::begin(kAskedNames), std::end(kAskedNames));
    names.push_back(std::string(300, 'n'));
    names.push_back(std::string(300, 'N'));
    for (const std::string &name : names) {
        SCOPED_TRACE(name.substr(0, 20));
        EXPECT_EQ(RegValueExists(root, path, name.c_str()), table.Exists(name.c_str()));
        for (size_t capacity : {1u, 4u, 32u, 1024u, 1025u}) {
            std::vector<char> single(capacity, 'x'), fromTable(capacity, 'y');
            EXPECT_EQ(ReadRegString(root, path, name.c_str(), single.data(), capacity),
                      table.ReadString(name.c_str(), fromTable.data(), capacity));
            EXPECT_STREQ(single.data(), fromTable.data());
        }
    }
}

} // namespace

TEST_F(Registry, ValueTableAnswersAsSingleReadsOfTheSameKey)
{
    SetEnvironmentVariableA("SENTROVIA_TABLE", "C:\\Table");
    for (bool oddNames : {false, true}) {
        SCOPED_TRACE(oddNames ? "with odd names" : "plain names");
        WriteAssortedValues(oddNames);
        RegValueTable table(HKEY_CURRENT_USER, kTableKey);
        ExpectTableAnswersAsSingleReads(table, HKEY_CURRENT_USER, kTableKey);
    }
    // A key that is not there answers like its single reads, and so does one made later.
    RegValueTable later(HKEY_CURRENT_USER, "Software\\Scratch\\Later");
    ExpectTableAnswersAsSingleReads(later, HKEY_CURRENT_USER, "Software\\Scratch\\Later");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Scratch\\Later", "plain", "now");
    ExpectTableAnswersAsSingleReads(later, HKEY_CURRENT_USER, "Software\\Scratch\\Later");
    SetEnvironmentVariableA("SENTROVIA_TABLE", nullptr);
}

TEST_F(Registry, ValueTableSeesThisProcessWritesAndOthersAfterAReload)
{
    WriteRegString(HKEY_CURRENT_USER, kTableKey, "first", "1");
    RegValueTable table(HKEY_CURRENT_USER, kTableKey);
    char text[16];
    EXPECT_EQ(1, table.ReadString("first", text, sizeof text));

    // Written and deleted here, through the registry unit: the next question reads again.
    WriteRegString(HKEY_CURRENT_USER, kTableKey, "second", "22");
    EXPECT_EQ(2, table.ReadString("SECOND", text, sizeof text));
    EXPECT_STREQ("22", text);
    DeleteRegValue(HKEY_CURRENT_USER, kTableKey, "first");
    EXPECT_EQ(0, table.Exists("first"));
    WriteRegText(HKEY_CURRENT_USER, kTableKey, "third", "3", REG_EXPAND_SZ);
    EXPECT_EQ(1, table.Exists("Third"));

    // Written by someone else: seen once the table is told to read again.
    const char outside[] = "44";
    WriteRawValue(HKEY_CURRENT_USER, kTableKey, "outside", REG_SZ, outside, sizeof outside);
    table.Reload();
    EXPECT_EQ(2, table.ReadString("outside", text, sizeof text));
    DeleteRegTree(HKEY_CURRENT_USER, kTableKey);
    EXPECT_EQ(0, table.Exists("second"));
}

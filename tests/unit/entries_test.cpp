#include "entries.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "options.h"
#include "scratch.h"

namespace {

class Entries : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearEntryList();
        TheSettings().option[OPT_MaxCookie] = 315;
    }
    void TearDown() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
    }
    static std::string Title(int index)
    {
        char text[256];
        EntryTitle(index, text, sizeof text);
        return text;
    }
    static std::string Path(int index)
    {
        char text[512];
        EntryPath(index, text, sizeof text);
        return text;
    }
};

TEST_F(Entries, ListHoldsAtMost4096)
{
    for (int i = 0; i < kMaxEntries; ++i)
        ASSERT_EQ(1, AddEntry("t", "C:\\x.exe", "", "", 11, 0)) << i;
    EXPECT_EQ(0, AddEntry("one more", "C:\\x.exe", "", "", 11, 0));
    EXPECT_EQ(kMaxEntries, EntryCount());
    ClearEntryList();
    EXPECT_EQ(0, EntryCount());
    EXPECT_EQ(1, AddEntry("again", "", "", "", 11, 0));
}

TEST_F(Entries, CookiesStopAtMaxCookieEntries)
{
    TheSettings().option[OPT_MaxCookie] = 3;
    EXPECT_EQ(1, AddEntry("startup", "", "", "", 11, 0));
    EXPECT_EQ(1, AddEntry("c1", "", "", "", kCookieKind, 0));
    EXPECT_EQ(1, AddEntry("c2", "", "", "", kCookieKind, 0));
    // The limit counts every entry in the list, not only cookies.
    EXPECT_EQ(0, AddEntry("c3", "", "", "", kCookieKind, 0));
    EXPECT_EQ(1, AddEntry("not a cookie", "", "", "", 501, 0));
    EXPECT_EQ(4, EntryCount());
}

TEST_F(Entries, TitleIsDerivedOrReplacedByTheProductName)
{
    struct Case { const char *title; const char *path; const char *expected; };
    const Case cases[] = {
        {"", "C:\\Tools\\agent.exe", "agent"},
        {"", "\"C:\\Tools\\agent.exe\"", "agent"},
        {"", "agent.exe", "agent"},
        {"", "abc", ""},  // too short to carry an extension
        {"My SENTROVIA helper", "C:\\x.exe", "Sentrovia"},
        {"sentrovia", "", "Sentrovia"},
        {"Sentinel", "", "Sentinel"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        ClearEntryList();
        ASSERT_EQ(1, AddEntry(c.title, c.path, "", "", 11, 0));
        EXPECT_EQ(c.expected, Title(0));
    }
}

TEST_F(Entries, TextsAreCutToTheirWidths)
{
    const std::string title(300, 't'), path(600, 'p'), detail(600, 'd'), description(2000, 'e');
    ASSERT_EQ(1, AddEntry(title.c_str(), path.c_str(), detail.c_str(), description.c_str(), 11,
                          7));
    char big[4096];
    EXPECT_EQ(127, EntryTitle(0, big, sizeof big));
    EXPECT_EQ(259, EntryPath(0, big, sizeof big));
    EXPECT_EQ(259, EntryDetail(0, big, sizeof big));
    EXPECT_EQ(1023, EntryDescription(0, big, sizeof big));
    EXPECT_EQ(11, EntryKind(0));
    EXPECT_EQ(7, EntryExtra(0));

    // A reader never writes past the caller's buffer.
    char small[8];
    memset(small, 0x5a, sizeof small);
    EXPECT_EQ(4, EntryTitle(0, small, 5));
    EXPECT_STREQ("tttt", small);
    EXPECT_EQ(0x5a, small[5]);
}

TEST_F(Entries, PathsLoseQuotesAndTakeTheirLongForm)
{
    ScratchFolder scratch;
    std::string file = scratch.Write("Long Folder Name\\long program name.exe", "x");
    char shortForm[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(file.c_str(), shortForm, sizeof shortForm), 0u);
    ASSERT_NE(file, shortForm);

    std::string quoted = "\"";
    quoted.append(shortForm).append("\"");
    ASSERT_EQ(1, AddEntry("", quoted.c_str(), shortForm, "", 200, 0));
    EXPECT_EQ(file, Path(0));
    char detail[MAX_PATH];
    EntryDetail(0, detail, sizeof detail);
    EXPECT_EQ(file, detail);
    EXPECT_EQ("long program name", Title(0));

    // Commands with arguments name no file and stay as given; very short paths too.
    ASSERT_EQ(1, AddEntry("x", "C:\\Tools\\agent.exe /q", "", "", 11, 0));
    EXPECT_EQ("C:\\Tools\\agent.exe /q", Path(1));
    ASSERT_EQ(1, AddEntry("x", "\"a\"", "", "", 11, 0));
    EXPECT_EQ("a", Path(2));
}

TEST_F(Entries, ReadersAnswerEmptyOutsideTheListAndKindCanBeRewritten)
{
    ASSERT_EQ(1, AddEntry("t", "", "", "", 11, 0));
    char text[16] = "untouched";
    for (int index : {-1, 1, 5000}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(0, EntryTitle(index, text, sizeof text));
        EXPECT_STREQ("", text);
        EXPECT_EQ(0, EntryKind(index));
        EXPECT_EQ(0, EntryExtra(index));
        SetEntryKind(index, 99);
    }
    SetEntryKind(0, 1103);
    EXPECT_EQ(1103, EntryKind(0));
}

} // namespace

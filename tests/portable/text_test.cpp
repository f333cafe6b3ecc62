#include "text.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "guarded.h"

namespace {

TEST(ContainsNoCase, FindsPartIgnoringCase)
{
    struct Case { const char *text; const char *part; int expected; };
    const Case cases[] = {
        {"C:\\Windows\\System32\\svchost.exe", "SVCHOST", 1},
        {"C:\\Windows\\System32\\svchost.exe", "system32\\SVC", 1},
        {"abc", "abc", 1},
        {"abc", "ABC", 1},
        {"abc", "c", 1},
        {"abc", "abd", 0},
        {"abc", "bcd", 0},       // would run off the end of text
        {"ab", "abc", 0},        // part longer than text
        {"", "a", 0},
        {"abc", "", 1},          // an empty part occurs everywhere
        {"", "", 1},
        {"Mozilla Firefox", "firefox", 1},
        {"a-b", "A_B", 0},       // only letters fold
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.part);
        EXPECT_EQ(c.expected, ContainsNoCase(c.text, c.part));
    }
}

TEST(ContainsNoCase, MissingTextOrPartAnswersZero)
{
    EXPECT_EQ(0, ContainsNoCase(nullptr, "a"));
    EXPECT_EQ(0, ContainsNoCase("a", nullptr));
    EXPECT_EQ(0, ContainsNoCase(nullptr, nullptr));
}

TEST(ContainsNoCase, TextsLongerThan772AreNeverSearched)
{
    std::string text(772, 'x');
    text.replace(700, 6, "NEEDLE");
    EXPECT_EQ(1, ContainsNoCase(text.c_str(), "needle"));
    EXPECT_EQ(1, ContainsNoCase(text.c_str(), ""));
    text += 'x';  // 773 characters
    EXPECT_EQ(0, ContainsNoCase(text.c_str(), "needle"));
    EXPECT_EQ(0, ContainsNoCase(text.c_str(), "x"));
    EXPECT_EQ(0, ContainsNoCase(text.c_str(), ""));
}

TEST(StripQuotes, RemovesEveryDoubleQuote)
{
    struct Case { const char *text; const char *expected; };
    const Case cases[] = {
        {"\"C:\\Program Files\\App\\a.exe\" -x", "C:\\Program Files\\App\\a.exe -x"},
        {"\"\"", ""},
        {"no quotes", "no quotes"},
        {"a\"b\"c\"", "abc"},
        {"'single' stays", "'single' stays"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Guarded<> out;
        EXPECT_EQ(1, StripQuotes(c.text, out.text, 260));
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(StripQuotes, KeepsAtMost259CharactersAndTheGivenCapacity)
{
    std::string text = "\"" + std::string(300, 'a') + "\"";
    Guarded<> out;
    EXPECT_EQ(0, StripQuotes(text.c_str(), out.text, sizeof out.text));
    EXPECT_EQ(259u, strlen(out.text));
    EXPECT_TRUE(out.UntouchedFrom(260));

    std::string exact = "\"" + std::string(259, 'b') + "\"";
    Guarded<> fits;
    EXPECT_EQ(1, StripQuotes(exact.c_str(), fits.text, sizeof fits.text));
    EXPECT_EQ(std::string(259, 'b'), fits.text);

    Guarded<> small;
    EXPECT_EQ(0, StripQuotes("\"abcdef\"", small.text, 4));
    EXPECT_STREQ("abc", small.text);
    EXPECT_TRUE(small.UntouchedFrom(4));
}

TEST(FileNamePart, TakesTextAfterLastBackslash)
{
    struct Case { const char *path; const char *expected; };
    const Case cases[] = {
        {"C:\\Windows\\notepad.exe", "notepad.exe"},
        {"C:\\", ""},
        {"\\name", "name"},
        {"a\\b\\c\\d", "d"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        Guarded<> out;
        EXPECT_EQ(1, FileNamePart(c.path, out.text, 64));
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(FileNamePart, WithoutBackslashLeavesOutputUntouched)
{
    Guarded<> out;
    EXPECT_EQ(0, FileNamePart("notepad.exe", out.text, 64));
    EXPECT_TRUE(out.UntouchedFrom(0));
    EXPECT_EQ(0, FileNamePart(nullptr, out.text, 64));
    EXPECT_TRUE(out.UntouchedFrom(0));
}

TEST(FileNamePart, CutsToCapacity)
{
    Guarded<> out;
    EXPECT_EQ(1, FileNamePart("C:\\folder\\averylongname.exe", out.text, 6));
    EXPECT_STREQ("avery", out.text);
    EXPECT_TRUE(out.UntouchedFrom(6));
}

TEST(AfterLastBackslash, GivesCutPosition)
{
    EXPECT_EQ(11u, AfterLastBackslash("C:\\Windows\\notepad.exe"));
    EXPECT_EQ(3u, AfterLastBackslash("C:\\"));
    EXPECT_EQ(1u, AfterLastBackslash("\\"));
    EXPECT_EQ(0u, AfterLastBackslash("notepad.exe"));
    EXPECT_EQ(0u, AfterLastBackslash(""));
    EXPECT_EQ(0u, AfterLastBackslash(nullptr));
}

TEST(SkipSpaces, SkipsOnlyLeadingSpaces)
{
    EXPECT_STREQ("-k netsvcs", SkipSpaces("   -k netsvcs"));
    EXPECT_STREQ("a b ", SkipSpaces("a b "));
    EXPECT_STREQ("\tx", SkipSpaces(" \tx"));
    EXPECT_STREQ("", SkipSpaces("    "));
    EXPECT_STREQ("", SkipSpaces(nullptr));
}

TEST(ExtensionOf, TakesTextAfterFirstDot)
{
    EXPECT_STREQ("exe", ExtensionOf("notepad.exe"));
    EXPECT_STREQ("tar.gz", ExtensionOf("archive.tar.gz"));
    EXPECT_STREQ("App\\a.exe", ExtensionOf("C:\\My.App\\a.exe"));
    EXPECT_STREQ("", ExtensionOf("trailing."));
    EXPECT_STREQ("", ExtensionOf("README"));
    EXPECT_STREQ("", ExtensionOf(nullptr));
}

TEST(AddTrailingBackslash, AddsOnlyWhenMissingAndRoomRemains)
{
    char folder[8] = "C:\\Win";
    EXPECT_EQ(1, AddTrailingBackslash(folder, sizeof folder));
    EXPECT_STREQ("C:\\Win\\", folder);
    EXPECT_EQ(1, AddTrailingBackslash(folder, sizeof folder));  // already there: no second one
    EXPECT_STREQ("C:\\Win\\", folder);

    Guarded<> full;
    strcpy(full.text, "C:\\Wind");  // 7 characters fill a capacity of 8
    EXPECT_EQ(0, AddTrailingBackslash(full.text, 8));
    EXPECT_STREQ("C:\\Wind", full.text);
    EXPECT_TRUE(full.UntouchedFrom(8));

    char empty[4] = "";
    EXPECT_EQ(0, AddTrailingBackslash(empty, sizeof empty));
    EXPECT_STREQ("", empty);

    Guarded<> unterminated;
    EXPECT_EQ(0, AddTrailingBackslash(unterminated.text, 4));
    EXPECT_TRUE(unterminated.UntouchedFrom(0));
}

TEST(RemoveTrailingBackslash, RemovesOneAndCanKeepDriveRoot)
{
    struct Case { const char *text; int keepRoot; int removed; const char *expected; };
    const Case cases[] = {
        {"C:\\Windows\\", 0, 1, "C:\\Windows"},
        {"C:\\Windows\\", 1, 1, "C:\\Windows"},
        {"C:\\", 1, 0, "C:\\"},
        {"C:\\", 0, 1, "C:"},
        {"C:\\Windows", 1, 0, "C:\\Windows"},
        {"a\\\\", 0, 1, "a\\"},  // only one
        {"\\", 1, 1, ""},
        {"", 1, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        char buffer[32];
        strcpy(buffer, c.text);
        EXPECT_EQ(c.removed, RemoveTrailingBackslash(buffer, c.keepRoot));
        EXPECT_STREQ(c.expected, buffer);
    }
}

TEST(ReplaceChar, ReplacesEveryOccurrenceOrRemovesIt)
{
    struct Case { const char *text; char from; char to; int found; const char *expected; };
    const Case cases[] = {
        {"a,b,,c", ',', ';', 1, "a;b;;c"},
        {"a,b,,c", ',', '\0', 1, "abc"},
        {",,,", ',', '\0', 1, ""},
        {"abc", 'x', 'y', 0, "abc"},
        {"abc", '\0', 'y', 0, "abc"},
        {"", ',', ';', 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        char buffer[16];
        strcpy(buffer, c.text);
        EXPECT_EQ(c.found, ReplaceChar(buffer, c.from, c.to));
        EXPECT_STREQ(c.expected, buffer);
    }
}

TEST(EqualsToColon, TurnsBaselineNamesBackIntoPaths)
{
    char name[] = "C=\\WINDOWS\\A=B.EXE";
    EXPECT_EQ(1, EqualsToColon(name));
    EXPECT_STREQ("C:\\WINDOWS\\A:B.EXE", name);
    char plain[] = "NOTHING";
    EXPECT_EQ(0, EqualsToColon(plain));
    EXPECT_STREQ("NOTHING", plain);
}

TEST(ThousandsText, GroupsDigitsByThree)
{
    struct Case { long long number; const char *expected; };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {12345, "12,345"},
        {123456, "123,456"},
        {1234567, "1,234,567"},
        {-1, "-1"},
        {-1000, "-1,000"},
        {-123456, "-123,456"},
        {INT_MAX, "2,147,483,647"},
        {INT_MIN, "-2,147,483,648"},
        {4294967296LL, "4,294,967,296"},
        {LLONG_MAX, "9,223,372,036,854,775,807"},
        {LLONG_MIN, "-9,223,372,036,854,775,808"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        Guarded<> out;
        EXPECT_EQ(1, ThousandsText(c.number, out.text, 32));
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(ThousandsText, CutsToCapacity)
{
    Guarded<> out;
    EXPECT_EQ(0, ThousandsText(1234567, out.text, 6));
    EXPECT_STREQ("1,234", out.text);
    EXPECT_TRUE(out.UntouchedFrom(6));
    EXPECT_EQ(1, ThousandsText(1234567, out.text, 10));
    EXPECT_STREQ("1,234,567", out.text);
}

TEST(UrlQueryText, EscapesSpacesAndAmpersands)
{
    struct Case { const char *text; const char *expected; };
    const Case cases[] = {
        {"My Program.exe", "My%20Program.exe"},
        {"Tom & Jerry", "Tom%20+%20Jerry"},
        {"a&&b", "a++b"},
        {"  ", "%20%20"},
        {"plain", "plain"},
        {"", ""},
        {"C#tool \"x\".exe", "C%23tool%20%22x%22.exe"},
        {"<it's>", "%3Cit%27s%3E"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Guarded<> out;
        EXPECT_EQ(1, UrlQueryText(c.text, out.text, 64));
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(UrlQueryText, NeverCutsAnEscapeInHalf)
{
    struct Case { size_t capacity; int fitted; const char *expected; };
    // "a b" needs 5 characters and a terminator.
    const Case cases[] = {{7, 1, "a%20b"}, {6, 1, "a%20b"}, {5, 0, "a%20"}, {4, 0, "a"},
                          {3, 0, "a"},     {2, 0, "a"},     {1, 0, ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.capacity);
        Guarded<> out;
        EXPECT_EQ(c.fitted, UrlQueryText("a b", out.text, c.capacity));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(c.capacity));
    }
    Guarded<> none;
    EXPECT_EQ(0, UrlQueryText("a", none.text, 0));
    EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST(DoubleBackslashes, DoublesEachBackslashAndKeepsPairsWhole)
{
    Guarded<> out;
    EXPECT_EQ(1, DoubleBackslashes("C:\\Program Files\\a.exe", out.text, 64));
    EXPECT_STREQ("C:\\\\Program Files\\\\a.exe", out.text);
    EXPECT_EQ(1, DoubleBackslashes("\\\\", out.text, 64));
    EXPECT_STREQ("\\\\\\\\", out.text);
    EXPECT_EQ(1, DoubleBackslashes("", out.text, 64));
    EXPECT_STREQ("", out.text);

    Guarded<> cut;
    EXPECT_EQ(0, DoubleBackslashes("C:\\x", cut.text, 4));  // "C:" fits, "\\\\" does not
    EXPECT_STREQ("C:", cut.text);
    EXPECT_TRUE(cut.UntouchedFrom(4));
}

TEST(CommasToSpaces, ReplacesEveryComma)
{
    Guarded<> out;
    EXPECT_EQ(1, CommasToSpaces("Acme, Inc.,,x", out.text, 64));
    EXPECT_STREQ("Acme  Inc.  x", out.text);

    Guarded<> cut;
    EXPECT_EQ(0, CommasToSpaces("a,b,c,d", cut.text, 5));
    EXPECT_STREQ("a b ", cut.text);
    EXPECT_TRUE(cut.UntouchedFrom(5));
}

TEST(TextCopies, NullSourceGivesEmptyText)
{
    Guarded<> a, b, c, d;
    EXPECT_EQ(1, StripQuotes(nullptr, a.text, 8));
    EXPECT_EQ(1, UrlQueryText(nullptr, b.text, 8));
    EXPECT_EQ(1, DoubleBackslashes(nullptr, c.text, 8));
    EXPECT_EQ(1, CommasToSpaces(nullptr, d.text, 8));
    EXPECT_STREQ("", a.text);
    EXPECT_STREQ("", b.text);
    EXPECT_STREQ("", c.text);
    EXPECT_STREQ("", d.text);
}

TEST(InsertAtMark, PutsTheTextInPlaceOfTheFirstMarkOnly)
{
    struct Case { const char *text; const char *insert; int marked; const char *expected; };
    const Case cases[] = {
        {"\n%s is running.", "Agent", 1, "\nAgent is running."},
        {"%s and %s", "one", 1, "one and %s"},
        // A translated text's other "%" stays text, and so does one in the insert.
        {"100%d of %s", "50%n", 1, "100%d of 50%n"},
        {"no mark here", "Agent", 0, "no mark here"},
        {"%s", nullptr, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Guarded<> out;
        EXPECT_EQ(c.marked, InsertAtMark(c.text, c.insert, out.text, 64));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(64));
    }
}

TEST(InsertAtMark, CutsEachPieceAtTheCapacity)
{
    Guarded<> out;
    EXPECT_EQ(1, InsertAtMark("Stop %s now?", "A-very-long-program-name", out.text, 12));
    EXPECT_STREQ("Stop A-very", out.text);
    EXPECT_TRUE(out.UntouchedFrom(12));
    Guarded<> head;
    EXPECT_EQ(1, InsertAtMark("A long opening sentence %s", "x", head.text, 8));
    EXPECT_STREQ("A long ", head.text);
    EXPECT_TRUE(head.UntouchedFrom(8));
}

} // namespace

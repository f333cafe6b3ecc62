#include "bounded.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr char kCanary = '\x5a';

struct Buffer {
    char text[16];
    Buffer() { memset(text, kCanary, sizeof text); }
};

TEST(Bounded, CopyKeepsWithinCapacityAndTerminates)
{
    struct Case { const char *source; size_t capacity; int fitted; const char *expected; };
    const Case cases[] = {
        {"abc", 8, 1, "abc"},
        {"abcdefg", 8, 1, "abcdefg"},   // 7 characters and the terminator fill 8 exactly
        {"abcdefgh", 8, 0, "abcdefg"},  // one more is cut
        {"", 8, 1, ""},
        {"abc", 1, 0, ""},
        {nullptr, 8, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source ? c.source : "(null)");
        Buffer b;
        EXPECT_EQ(c.fitted, CopyBounded(b.text, c.capacity, c.source));
        EXPECT_STREQ(c.expected, b.text);
        for (size_t i = c.capacity; i < sizeof b.text; ++i)
            EXPECT_EQ(kCanary, b.text[i]) << "write past capacity at " << i;
    }
}

TEST(Bounded, CapacityZeroWritesNothing)
{
    Buffer b;
    EXPECT_EQ(0, CopyBounded(b.text, 0, "abc"));
    EXPECT_EQ(0, AppendBounded(b.text, 0, "abc"));
    EXPECT_EQ(0, FormatBounded(b.text, 0, "%d", 12));
    for (char c : b.text)
        EXPECT_EQ(kCanary, c);
}

TEST(Bounded, AppendCutsAtCapacityAndRepairsUnterminatedDestination)
{
    Buffer b;
    CopyBounded(b.text, 8, "abc");
    EXPECT_EQ(1, AppendBounded(b.text, 8, "def"));
    EXPECT_STREQ("abcdef", b.text);
    EXPECT_EQ(0, AppendBounded(b.text, 8, "ghij"));
    EXPECT_STREQ("abcdefg", b.text);
    EXPECT_EQ(kCanary, b.text[8]);

    Buffer raw;  // no terminator within capacity
    EXPECT_EQ(0, AppendBounded(raw.text, 4, "x"));
    EXPECT_EQ('\0', raw.text[3]);
    EXPECT_EQ(kCanary, raw.text[4]);
}

TEST(Bounded, FormatReportsTruncation)
{
    Buffer b;
    EXPECT_EQ(1, FormatBounded(b.text, 8, "%d-%s", 42, "ab"));
    EXPECT_STREQ("42-ab", b.text);
    EXPECT_EQ(0, FormatBounded(b.text, 8, "%s", "0123456789"));
    EXPECT_STREQ("0123456", b.text);
    EXPECT_EQ(kCanary, b.text[8]);

    char arrayForm[4];
    EXPECT_EQ(0, CopyBounded(arrayForm, "abcdef"));
    EXPECT_STREQ("abc", arrayForm);
}

} // namespace

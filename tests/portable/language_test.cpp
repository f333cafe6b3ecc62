#include "language.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(Language, CodesMapToPrimaryLanguageIds)
{
    struct Case { const char *code; int id; };
    const Case cases[] = {
        {"us", 9}, {"de", 7}, {"fr", 12}, {"es", 10}, {"it", 16}, {"se", 29}, {"ru", 25},
        {"pt", 22}, {"pl", 21}, {"no", 20}, {"gr", 8}, {"nl", 19}, {"br", 22}, {"sq", 28},
        {"tr", 31}, {"ar", 1}, {"fi", 11}, {"cn", 4}, {"\xEA\xE0\xEA", 25},
        // Unknown, differently cased or partial codes are no language.
        {"US", 0}, {"u", 0}, {"usa", 0}, {"", 0}, {"\xEA\xE0", 0}, {nullptr, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code ? c.code : "(null)");
        EXPECT_EQ(c.id, LanguageIdFromCode(c.code));
    }
}

TEST(Language, PercentNBecomesLineBreak)
{
    struct Case { const char *in; const char *out; };
    const Case cases[] = {
        {"Hallo%nWelt", "Hallo\nWelt"},
        {"%n%n", "\n\n"},
        {"100%", "100%"},          // a lone percent at the end stays
        {"%d items", "%d items"},  // other format sequences are left for their callers
        {"%%n", "%\n"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in);
        char text[32];
        strcpy(text, c.in);
        ExpandLineBreaks(text);
        EXPECT_STREQ(c.out, text);
    }
}

TEST(Language, LeadingNumberReadsDigitsAndClamps)
{
    struct Case { const char *text; int value; };
    const Case cases[] = {
        {"200", 200}, {"-1200", -1200}, {"12abc", 12}, {"abc", 0}, {"", 0}, {" 7", 7},
        {"+5", 5}, {"-", 0}, {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {nullptr, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(c.value, LeadingNumber(c.text));
    }
}

} // namespace

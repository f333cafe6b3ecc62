#include "dates.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "guarded.h"

namespace {

std::string LocaleText(const char *datePicture, const char *timePicture, int year, int month,
                       int day, int hour, int minute)
{
    Guarded<64> out;
    EXPECT_EQ(1, FormatLocaleDateTime(datePicture, timePicture, year, month, day, hour, minute,
                                      out.text, 24));
    EXPECT_TRUE(out.UntouchedFrom(24));
    return out.text;
}

TEST(LocaleDateTime, EveryDatePicture)
{
    struct Case { const char *picture; int year, month, day; const char *expected; };
    const Case cases[] = {
        {"M/d/yyyy", 2026, 12, 6, "12/06/2026 14:05"},
        {"M/d/yyyy", 2026, 3, 4, "03/04/2026 14:05"},
        // Two-digit year pictures still print the whole year.
        {"M/d/yy", 2026, 12, 6, "12/06/2026 14:05"},
        {"M/d/yy", 2026, 3, 4, "03/04/2026 14:05"},
        {"MM/dd/yy", 2026, 12, 6, "12/06/2026 14:05"},
        {"MM/dd/yy", 2026, 3, 4, "03/04/2026 14:05"},
        {"MM/dd/yyyy", 2026, 12, 6, "12/06/2026 14:05"},
        {"MM/dd/yyyy", 2026, 3, 4, "03/04/2026 14:05"},
        {"yy/MM/dd", 2026, 12, 6, "2026/12/06 14:05"},
        {"yy/MM/dd", 2026, 3, 4, "2026/03/04 14:05"},
        {"yyyy-MM-dd", 2026, 12, 6, "2026-12-06 14:05"},
        {"yyyy-MM-dd", 2026, 3, 4, "2026-03-04 14:05"},
        {"dd-MMM-yy", 2026, 12, 6, "06-Dec-2026 14:05"},
        {"dd-MMM-yy", 2026, 3, 4, "04-Mar-2026 14:05"},
        {"dd-MMM-yy", 1999, 1, 31, "31-Jan-1999 14:05"},
        // Pictures match ignoring case.
        {"DD-mmm-YY", 2026, 12, 6, "06-Dec-2026 14:05"},
        {"YYYY-mm-DD", 2026, 3, 4, "2026-03-04 14:05"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " " + std::to_string(c.month));
        EXPECT_EQ(c.expected, LocaleText(c.picture, "HH:mm:ss", c.year, c.month, c.day, 14, 5));
    }
}

TEST(LocaleDateTime, EveryTimePictureAroundMidnightAndNoon)
{
    struct Case { const char *picture; int hour, minute; const char *expected; };
    const Case cases[] = {
        {"h:mm:ss tt", 0, 30, "2026-12-06 12:30 AM"},
        {"h:mm:ss tt", 12, 10, "2026-12-06 12:10 PM"},
        {"h:mm:ss tt", 14, 5, "2026-12-06 2:05 PM"},
        {"h:mm:ss tt", 9, 7, "2026-12-06 9:07 AM"},
        {"h:mm:ss tt", 11, 59, "2026-12-06 11:59 AM"},
        {"h:mm:ss tt", 23, 0, "2026-12-06 11:00 PM"},
        {"hh:mm:ss tt", 0, 30, "2026-12-06 12:30 AM"},
        {"hh:mm:ss tt", 12, 10, "2026-12-06 12:10 PM"},
        {"hh:mm:ss tt", 14, 5, "2026-12-06 02:05 PM"},
        {"hh:mm:ss tt", 9, 7, "2026-12-06 09:07 AM"},
        {"H:mm:ss", 0, 30, "2026-12-06 0:30"},
        {"H:mm:ss", 12, 10, "2026-12-06 12:10"},
        {"H:mm:ss", 14, 5, "2026-12-06 14:05"},
        {"HH:mm:ss", 0, 30, "2026-12-06 00:30"},
        {"HH:mm:ss", 12, 10, "2026-12-06 12:10"},
        {"HH:mm:ss", 14, 5, "2026-12-06 14:05"},
        // Case is ignored, so these pick the other row of the pair.
        {"hh:mm:ss", 14, 5, "2026-12-06 14:05"},
        {"H:MM:SS TT", 14, 5, "2026-12-06 2:05 PM"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " " + std::to_string(c.hour));
        EXPECT_EQ(c.expected, LocaleText("yyyy-MM-dd", c.picture, 2026, 12, 6, c.hour, c.minute));
    }
}

TEST(LocaleDateTime, KnownLocales)
{
    EXPECT_EQ("06-Dec-2026 14:05", LocaleText("dd-MMM-yy", "HH:mm:ss", 2026, 12, 6, 14, 5));
    EXPECT_EQ("12/06/2026 2:05 PM", LocaleText("M/d/yyyy", "h:mm:ss tt", 2026, 12, 6, 14, 5));
}

TEST(LocaleDateTime, UnknownPicturesFallBackToFirstRows)
{
    struct Case { const char *date; const char *time; const char *expected; };
    const Case cases[] = {
        {"d.M.yyyy", "HH:mm:ss", "12/06/2026 14:05"},
        {"dd/MM/yyyy", "HH:mm:ss", "12/06/2026 14:05"},
        {"", "HH:mm:ss", "12/06/2026 14:05"},
        {nullptr, "HH:mm:ss", "12/06/2026 14:05"},
        {"M/d/yyyy ", "HH:mm:ss", "12/06/2026 14:05"},  // trailing blank: no match
        {"yyyy-MM-dd", "HH.mm.ss", "2026-12-06 2:05 PM"},
        {"yyyy-MM-dd", "", "2026-12-06 2:05 PM"},
        {"yyyy-MM-dd", nullptr, "2026-12-06 2:05 PM"},
        {"yyyy-MM-dd", "HH:mm", "2026-12-06 2:05 PM"},  // a prefix of a row is no match
        {"garbage", "garbage", "12/06/2026 2:05 PM"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.date ? c.date : "(null)") + " / " + (c.time ? c.time : "(null)"));
        EXPECT_EQ(c.expected, LocaleText(c.date, c.time, 2026, 12, 6, 14, 5));
    }
}

TEST(LocaleDateTime, DatePartKeepsAtMost11Characters)
{
    // A five-digit year would make the date 12 characters; it is cut, the time still follows.
    EXPECT_EQ("06-Dec-1234 14:05", LocaleText("dd-MMM-yy", "HH:mm:ss", 12345, 12, 6, 14, 5));
    EXPECT_EQ("12/06/12345 14:05", LocaleText("M/d/yyyy", "HH:mm:ss", 12345, 12, 6, 14, 5));
    // Small years are padded only as far as the format asks.
    EXPECT_EQ("12/06/05 14:05", LocaleText("M/d/yy", "HH:mm:ss", 5, 12, 6, 14, 5));
    EXPECT_EQ("12/06/0005 14:05", LocaleText("M/d/yyyy", "HH:mm:ss", 5, 12, 6, 14, 5));
}

TEST(LocaleDateTime, WholeTextKeepsAtMost23Characters)
{
    Guarded<64> out;
    FormatLocaleDateTime("dd-MMM-yy", "hh:mm:ss tt", -1000000000, 12, -1000000000, -1000000000,
                         -1000000000, out.text, sizeof out.text);
    EXPECT_LE(strlen(out.text), kDateTimeTextLimit);
    EXPECT_EQ(0, strncmp(out.text, "-1000000000", 11));
}

TEST(LocaleDateTime, OutOfRangeMonthsAreWrittenWithoutLookingOutsideTheTable)
{
    struct Case { int month; const char *expected; };
    const Case cases[] = {{0, "06-?\?\?-2026 14:05"}, {13, "06-?\?\?-2026 14:05"},
                          {-5, "06-?\?\?-2026 14:05"}, {1, "06-Jan-2026 14:05"},
                          {12, "06-Dec-2026 14:05"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.month);
        EXPECT_EQ(c.expected, LocaleText("dd-MMM-yy", "HH:mm:ss", 2026, c.month, 6, 14, 5));
    }
    // Numeric pictures simply print the number.
    EXPECT_EQ("13/06/2026 14:05", LocaleText("M/d/yyyy", "HH:mm:ss", 2026, 13, 6, 14, 5));
    EXPECT_EQ("00/06/2026 14:05", LocaleText("M/d/yyyy", "HH:mm:ss", 2026, 0, 6, 14, 5));
}

TEST(LocaleDateTime, SmallBuffersAreCutAndNeverOverrun)
{
    // "12/06/2026 2:05 PM" is 18 characters.
    struct Case { size_t capacity; int fitted; const char *expected; };
    const Case cases[] = {{19, 1, "12/06/2026 2:05 PM"}, {18, 0, "12/06/2026 2:05 P"},
                          {11, 0, "12/06/2026"},         {2, 0, "1"},
                          {1, 0, ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.capacity);
        Guarded<64> out;
        EXPECT_EQ(c.fitted, FormatLocaleDateTime("M/d/yyyy", "h:mm:ss tt", 2026, 12, 6, 14, 5,
                                                 out.text, c.capacity));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(c.capacity));
    }
    Guarded<64> none;
    EXPECT_EQ(0, FormatLocaleDateTime("M/d/yyyy", "h:mm:ss tt", 2026, 12, 6, 14, 5, none.text, 0));
    EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST(FileDateText, PadsEveryField)
{
    struct Case { int year, month, day, hour, minute; const char *expected; };
    const Case cases[] = {
        {2026, 12, 6, 14, 5, "2026/12/06 14:05"},
        {1999, 1, 2, 0, 0, "1999/01/02 00:00"},
        {5, 3, 4, 9, 7, "0005/03/04 09:07"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        Guarded<64> out;
        EXPECT_EQ(1, FileDateTextOf(c.year, c.month, c.day, c.hour, c.minute, out.text, 17));
        EXPECT_STREQ(c.expected, out.text);
        EXPECT_TRUE(out.UntouchedFrom(17));
    }
}

TEST(FileDateText, CutsToCapacity)
{
    Guarded<64> out;
    EXPECT_EQ(0, FileDateTextOf(2026, 12, 6, 14, 5, out.text, 11));
    EXPECT_STREQ("2026/12/06", out.text);
    EXPECT_TRUE(out.UntouchedFrom(11));
}

TEST(UnixSecondsToFileTime, ShiftsTo1601AndScalesTo100Nanoseconds)
{
    EXPECT_EQ(116444736000000000ULL, UnixSecondsToFileTime(0));
    EXPECT_EQ(116444736010000000ULL, UnixSecondsToFileTime(1));
    // 2026-12-06 14:05:00 UTC.
    EXPECT_EQ(134410395000000000ULL, UnixSecondsToFileTime(1796565900u));
    // The largest count must not wrap in 32 bits.
    EXPECT_EQ((4294967295ULL + 11644473600ULL) * 10000000ULL, UnixSecondsToFileTime(0xFFFFFFFFu));
}

} // namespace

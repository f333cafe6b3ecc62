#include "dates.h"

#include "bounded.h"

namespace {

// Seconds from 1 January 1601 to 1 January 1970, and file-time units per second.
constexpr uint64_t kEpochDifferenceSeconds = 11644473600ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

enum class DateOrder { MonthDayYear, YearMonthDay, DayMonthNameYear };

struct DatePicture {
    const char *picture;
    const char *format;
    DateOrder order;
};

// The first row is also the fallback for pictures not listed.
const DatePicture kDatePictures[] = {
    {"M/d/yyyy", "%02d/%02d/%04d", DateOrder::MonthDayYear},
    {"M/d/yy", "%02d/%02d/%02d", DateOrder::MonthDayYear},
    {"MM/dd/yy", "%02d/%02d/%02d", DateOrder::MonthDayYear},
    {"MM/dd/yyyy", "%02d/%02d/%04d", DateOrder::MonthDayYear},
    {"yy/MM/dd", "%02d/%02d/%02d", DateOrder::YearMonthDay},
    {"yyyy-MM-dd", "%04d-%02d-%02d", DateOrder::YearMonthDay},
    {"dd-MMM-yy", "%02d-%s-%02d", DateOrder::DayMonthNameYear},
};

struct TimePicture {
    const char *picture;
    const char *format;  // takes hour, minute and, for the 12-hour forms, "AM" or "PM"
    bool twelveHour;
};

// The first row is also the fallback for pictures not listed.
const TimePicture kTimePictures[] = {
    {"h:mm:ss tt", "%d:%02d %s", true},
    {"hh:mm:ss tt", "%02d:%02d %s", true},
    {"H:mm:ss", "%d:%02d", false},
    {"HH:mm:ss", "%02d:%02d", false},
};

const char *const kMonthAbbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    }
    return *a == *b;
}

template <typename Row, size_t N> const Row &FindPicture(const Row (&rows)[N], const char *picture)
{
    if (picture != nullptr) {
        for (const Row &row : rows) {
            if (EqualsNoCase(row.picture, picture))
                return row;
        }
    }
    return rows[0];
}

const char *MonthAbbreviation(int month)
{
    return (month >= 1 && month <= 12) ? kMonthAbbreviations[month - 1] : "???";
}

} // namespace

int FormatLocaleDateTime(const char *shortDatePicture, const char *timePicture, int year,
                         int month, int day, int hour, int minute, char *out, size_t capacity)
{
    const DatePicture &date = FindPicture(kDatePictures, shortDatePicture);
    char datePart[kDatePartLimit + 1];
    switch (date.order) {
    case DateOrder::MonthDayYear:
        FormatBounded(datePart, sizeof datePart, date.format, month, day, year);
        break;
    case DateOrder::YearMonthDay:
        FormatBounded(datePart, sizeof datePart, date.format, year, month, day);
        break;
    case DateOrder::DayMonthNameYear:
        FormatBounded(datePart, sizeof datePart, date.format, day, MonthAbbreviation(month), year);
        break;
    }

    const TimePicture &time = FindPicture(kTimePictures, timePicture);
    char timePart[kDateTimeTextLimit + 1];
    if (time.twelveHour) {
        // 0-11 are AM and 12-23 PM; midnight and noon both show 12.
        int shown = hour % 12 == 0 ? 12 : hour % 12;
        FormatBounded(timePart, sizeof timePart, time.format, shown, minute,
                      hour >= 12 ? "PM" : "AM");
    } else {
        FormatBounded(timePart, sizeof timePart, time.format, hour, minute);
    }

    char whole[kDateTimeTextLimit + 1];
    FormatBounded(whole, sizeof whole, "%s %s", datePart, timePart);
    return CopyBounded(out, capacity, whole);
}

int FileDateTextOf(int year, int month, int day, int hour, int minute, char *out, size_t capacity)
{
    return FormatBounded(out, capacity, "%04d/%02d/%02d %02d:%02d", year, month, day, hour,
                         minute);
}

uint64_t UnixSecondsToFileTime(uint32_t seconds)
{
    return (static_cast<uint64_t>(seconds) + kEpochDifferenceSeconds) * kFileTimeUnitsPerSecond;
}

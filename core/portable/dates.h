// Date and time texts from plain fields. The callers read the locale pictures and the clock;
// these only format.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kDatePartLimit = 11;      // characters of the date part
constexpr size_t kDateTimeTextLimit = 23;  // characters of the whole date and time text

// The date (picture shortDatePicture), one space and the time (picture timePicture) as the
// user's locale writes them; seconds are never shown. Pictures match ignoring case; an unknown
// (or null) date picture gives "MM/DD/YYYY", an unknown time picture "h:mm AM". The year always
// prints all its digits, also where the picture has "yy". A month outside 1-12 is written "???"
// where its abbreviation is asked for. The date part keeps at most 11 characters and the whole
// text at most 23 by design; the answer is 0 only when that text did not fit out.
int FormatLocaleDateTime(const char *shortDatePicture, const char *timePicture, int year,
                         int month, int day, int hour, int minute, char *out, size_t capacity);

// "YYYY/MM/DD HH:MM", the file-listing form. Answers 1 when it fitted.
int FileDateTextOf(int year, int month, int day, int hour, int minute, char *out, size_t capacity);

// Seconds since 1 January 1970 as a Windows file time (100-nanosecond units since 1601), UTC.
uint64_t UnixSecondsToFileTime(uint32_t seconds);

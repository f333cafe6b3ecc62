// Date and time texts as the user's locale writes them, and the facts of a file.
#pragma once
#include <windows.h>

// Date, a space, time (no seconds); at most 23 characters.
int LocaleDateTimeText(const SYSTEMTIME &time, char *out, size_t capacity);
// The date part alone: the form in which first-seen dates are stored.
int ShortDateText(const SYSTEMTIME &time, char *out, size_t capacity);
int TodayText(char *out, size_t capacity);
// Last write time as "YYYY/MM/DD HH:MM" in local time; empty (0) when the file can't be opened.
int FileDateText(const char *file, char *out, size_t capacity);
// A Unix time (seconds since 1970, UTC) as local time.
int UnixSecondsToLocalTime(unsigned seconds, SYSTEMTIME *local);

struct FileFactsRecord {
    char size[32];           // with thousands separators, or the "File in Use" text
    char created[24];
    char accessed[24];
    char written[24];
    char firstDetected[24];  // from the detected register; empty when never dated
};
// Fills the record but for its first-seen date; 1 when the file's facts could be read.
int ReadFileFacts(const char *file, FileFactsRecord *facts);
// The short form: size as plain decimal and the last write time.
int FileFactsShort(const char *file, char *size, size_t sizeCapacity, char *written,
                   size_t writtenCapacity);

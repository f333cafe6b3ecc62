#include "datetexts.h"

#include <cstring>

#include "bounded.h"
#include "dates.h"
#include "platform.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"

namespace {

constexpr char kInternational[] = "Control Panel\\International";

bool ToLocal(const FILETIME &utc, SYSTEMTIME *local)
{
    FILETIME localFile;
    return FileTimeToLocalFileTime(&utc, &localFile) && FileTimeToSystemTime(&localFile, local);
}

int LocalFileTimeText(const FILETIME &utc, char *out, size_t capacity)
{
    SYSTEMTIME local;
    if (!ToLocal(utc, &local)) {
        CopyBounded(out, capacity, "");
        return 0;
    }
    return LocaleDateTimeText(local, out, capacity);
}

bool ReadFacts(const char *file, WIN32_FILE_ATTRIBUTE_DATA *data)
{
    return file != nullptr && GetFileAttributesExA(file, GetFileExInfoStandard, data) &&
           !(data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int LocaleDateTimeText(const SYSTEMTIME &time, char *out, size_t capacity)
{
    char datePicture[24];
    char timePicture[24];
    ReadRegString(HKEY_CURRENT_USER, kInternational, "sShortDate", datePicture,
                  sizeof datePicture);
    ReadRegString(HKEY_CURRENT_USER, kInternational, "sTimeFormat", timePicture,
                  sizeof timePicture);
    return FormatLocaleDateTime(datePicture, timePicture, time.wYear, time.wMonth, time.wDay,
                                time.wHour, time.wMinute, out, capacity);
}

int ShortDateText(const SYSTEMTIME &time, char *out, size_t capacity)
{
    char text[32];
    LocaleDateTimeText(time, text, sizeof text);
    // No date picture holds a space: the date ends at the first one.
    char *space = strchr(text, ' ');
    if (space != nullptr)
        *space = '\0';
    return CopyBounded(out, capacity, text);
}

int TodayText(char *out, size_t capacity)
{
    SYSTEMTIME now;
    CurrentLocalTime(&now);
    return ShortDateText(now, out, capacity);
}

int FileDateText(const char *file, char *out, size_t capacity)
{
    CopyBounded(out, capacity, "");
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME local;
    if (!ReadFacts(file, &data) || !ToLocal(data.ftLastWriteTime, &local))
        return 0;
    return FileDateTextOf(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, out,
                          capacity);
}

int UnixSecondsToLocalTime(unsigned seconds, SYSTEMTIME *local)
{
    uint64_t ticks = UnixSecondsToFileTime(seconds);
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(ticks);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ToLocal(utc, local);
}

int ReadFileFacts(const char *file, FileFactsRecord *facts)
{
    memset(facts, 0, sizeof *facts);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!ReadFacts(file, &data)) {
        LoadText(IDS_FILE_IN_USE, facts->size);
        return 0;
    }
    long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    ThousandsText(size, facts->size, sizeof facts->size);
    LocalFileTimeText(data.ftCreationTime, facts->created, sizeof facts->created);
    LocalFileTimeText(data.ftLastAccessTime, facts->accessed, sizeof facts->accessed);
    LocalFileTimeText(data.ftLastWriteTime, facts->written, sizeof facts->written);
    return 1;
}

int FileFactsShort(const char *file, char *size, size_t sizeCapacity, char *written,
                   size_t writtenCapacity)
{
    CopyBounded(size, sizeCapacity, "");
    CopyBounded(written, writtenCapacity, "");
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!ReadFacts(file, &data))
        return 0;
    long long bytes = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FormatBounded(size, sizeCapacity, "%lld", bytes);
    return LocalFileTimeText(data.ftLastWriteTime, written, writtenCapacity);
}

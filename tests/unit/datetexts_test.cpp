#include "datetexts.h"
#include "detected.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "files.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

constexpr char kInternational[] = "Control Panel\\International";

class DateTexts : public ::testing::Test {
protected:
    static void Pictures(const char *date, const char *time)
    {
        WriteRegString(HKEY_CURRENT_USER, kInternational, "sShortDate", date);
        WriteRegString(HKEY_CURRENT_USER, kInternational, "sTimeFormat", time);
    }
    // Sets a file's times from a local time.
    static void SetLocalTimes(const std::string &file, const SYSTEMTIME &local)
    {
        FILETIME localFile, utc;
        ASSERT_TRUE(SystemTimeToFileTime(&local, &localFile));
        ASSERT_TRUE(LocalFileTimeToFileTime(&localFile, &utc));
        HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        EXPECT_TRUE(SetFileTime(handle, &utc, &utc, &utc));
        CloseHandle(handle);
    }
    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    const SYSTEMTIME afternoon_ = {2026, 12, 0, 6, 14, 5, 30, 0};
};

TEST_F(DateTexts, LocalePicturesComeFromTheRegistry)
{
    struct Case { const char *date, *time, *expected; };
    const Case cases[] = {
        {"dd-MMM-yy", "HH:mm:ss", "06-Dec-2026 14:05"},
        {"M/d/yyyy", "h:mm:ss tt", "12/06/2026 2:05 PM"},
        {"yyyy-MM-dd", "hh:mm:ss tt", "2026-12-06 02:05 PM"},
        {"d.M.yyyy", "H.mm.ss", "12/06/2026 2:05 PM"},  // unknown pictures: the first rows
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        Pictures(c.date, c.time);
        char text[32];
        LocaleDateTimeText(afternoon_, text, sizeof text);
        EXPECT_STREQ(c.expected, text);
    }
    DeleteRegTree(HKEY_CURRENT_USER, kInternational);
    char text[32];
    LocaleDateTimeText(afternoon_, text, sizeof text);
    EXPECT_STREQ("12/06/2026 2:05 PM", text);
    ShortDateText(afternoon_, text, sizeof text);
    EXPECT_STREQ("12/06/2026", text);
}

TEST_F(DateTexts, FileTimesAndSize)
{
    Pictures("M/d/yyyy", "h:mm:ss tt");
    std::string file = scratch_.Write("data.bin", std::string(1234567, 'x'));
    SetLocalTimes(file, afternoon_);

    char text[32];
    EXPECT_EQ(1, FileDateText(file.c_str(), text, sizeof text));
    EXPECT_STREQ("2026/12/06 14:05", text);

    FileFactsRecord facts;
    EXPECT_EQ(1, FileFacts(file.c_str(), 11, &facts));
    EXPECT_STREQ("1,234,567", facts.size);
    EXPECT_STREQ("12/06/2026 2:05 PM", facts.created);
    EXPECT_STREQ("12/06/2026 2:05 PM", facts.written);
    EXPECT_STREQ("", facts.firstDetected);

    char key[MAX_PATH];
    CleanPath(file.c_str(), key, sizeof key);
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Detected\\Startup", key, "11/30/2026");
    FileFacts(file.c_str(), 200, &facts);
    EXPECT_STREQ("11/30/2026", facts.firstDetected);

    char size[16], written[24];
    EXPECT_EQ(1, FileFactsShort(file.c_str(), size, sizeof size, written, sizeof written));
    EXPECT_STREQ("1234567", size);
    EXPECT_STREQ("12/06/2026 2:05 PM", written);
}

TEST_F(DateTexts, MissingFilesGiveEmptyTexts)
{
    std::string gone = scratch_.File("gone.txt");
    char text[32] = "untouched";
    EXPECT_EQ(0, FileDateText(gone.c_str(), text, sizeof text));
    EXPECT_STREQ("", text);
    FileFactsRecord facts;
    memset(&facts, 0x5a, sizeof facts);
    EXPECT_EQ(0, FileFacts(gone.c_str(), 11, &facts));
    EXPECT_STREQ("File in Use", facts.size);
    EXPECT_STREQ("", facts.written);
    char size[16] = "x", written[24] = "x";
    EXPECT_EQ(0, FileFactsShort(gone.c_str(), size, sizeof size, written, sizeof written));
    EXPECT_STREQ("", size);
    EXPECT_STREQ("", written);
}

TEST_F(DateTexts, UnixSecondsBecomeLocalTime)
{
    // 2025-12-06 14:05:00 UTC
    SYSTEMTIME utc = {2025, 12, 0, 6, 14, 5, 0, 0};
    SYSTEMTIME expected;
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &expected));
    SYSTEMTIME local;
    ASSERT_TRUE(UnixSecondsToLocalTime(1765029900u, &local));
    EXPECT_EQ(expected.wYear, local.wYear);
    EXPECT_EQ(expected.wMonth, local.wMonth);
    EXPECT_EQ(expected.wDay, local.wDay);
    EXPECT_EQ(expected.wHour, local.wHour);
    EXPECT_EQ(expected.wMinute, local.wMinute);
}

} // namespace

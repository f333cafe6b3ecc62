#include "detected.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "files.h"
#include "keys.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

TEST(Detected, KindCodesSelectTheirArea)
{
    struct Case { int kind; const char *area; };
    const Case cases[] = {
        {1, "Startup"}, {27, "Startup"}, {200, "Startup"}, {250, "Startup"}, {299, "Startup"},
        {300, "ActiveTasks"}, {350, "ActiveTasks"}, {370, "Hidden"}, {400, "FileTypes"},
        {500, "ActiveTasks"}, {600, "ActiveTasks"}, {700, "Services"}, {701, "Services"},
        {800, "Tasks"}, {900, "IEHelper"}, {902, "IEHelper"}, {1200, "ActiveX"},
        {3000, "ActiveTasks"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_STREQ(c.area, DetectedArea(c.kind));
    }
}

class FirstSeen : public ::testing::Test {
protected:
    void SetUp() override
    {
        day_ = {2026, 12, 0, 1, 9, 0, 0, 0};
        override_.localTime = &day_;
        SetPlatformOverride(&override_);
        WriteRegString(HKEY_CURRENT_USER, "Control Panel\\International", "sShortDate",
                       "M/d/yyyy");
    }
    void TearDown() override { SetPlatformOverride(nullptr); }
    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    SYSTEMTIME day_;
    PlatformOverride override_;
};

TEST_F(FirstSeen, OneDatePerProgramWhateverTheCommandsCase)
{
    std::string program = scratch_.Write("Prog\\a.exe", "x");
    char key[MAX_PATH];
    CleanPath(program.c_str(), key, sizeof key);

    EXPECT_EQ(0, RecordFirstSeen((program + " -x").c_str(), "Startup"));
    day_.wDay = 5;
    std::string lower = program;
    for (char &c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(1, RecordFirstSeen(lower.c_str(), "Startup"));

    char date[24];
    EXPECT_EQ(10, GetFirstSeen(key, 250, date, sizeof date));
    EXPECT_STREQ("12/01/2026", date);
    EXPECT_EQ("12/01/2026", ReadStringValue(HKEY_CURRENT_USER, "Software\\Orvanto\\Detected\\Startup", key));
    EXPECT_EQ(0, GetFirstSeen(key, 350, date, sizeof date));  // another area
    EXPECT_STREQ("", date);
}

TEST_F(FirstSeen, MissingFilesAreNotDatedButClassIdsAre)
{
    EXPECT_EQ(0, RecordFirstSeen(scratch_.File("gone.exe").c_str(), "Startup"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvanto\\Detected\\Startup"));

    const char clsid[] = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    EXPECT_EQ(0, RecordFirstSeen(clsid, "ActiveX"));
    EXPECT_EQ(1, RecordFirstSeen(clsid, "ActiveX"));
    char date[24];
    EXPECT_EQ(10, GetFirstSeen(clsid, 1200, date, sizeof date));

    // The area's marker is no control's date.
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Detected\\ActiveX", nullptr, "P");
    EXPECT_EQ(0, GetFirstSeen("", 1200, date, sizeof date));
    EXPECT_EQ(0, GetFirstSeen(nullptr, 1200, date, sizeof date));
}

TEST_F(FirstSeen, ListingAnItemDatesItOnceAndReadsThatDateAfter)
{
    std::string program = scratch_.Write("Listed\\tool.exe", "x");
    char date[24] = "canary";
    EXPECT_EQ(10, ListedFirstSeen((program + " -x").c_str(), 600, date, sizeof date));
    EXPECT_STREQ("12/01/2026", date);
    day_.wDay = 9;
    EXPECT_EQ(10, ListedFirstSeen(program.c_str(), 600, date, sizeof date));
    EXPECT_STREQ("12/01/2026", date) << "a listed item keeps its first date";

    // A file that is gone gets no date; a class identifier is dated as it stands.
    EXPECT_EQ(0, ListedFirstSeen(scratch_.File("gone.exe").c_str(), 11, date, sizeof date));
    EXPECT_STREQ("", date);
    const char clsid[] = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    EXPECT_EQ(10, ListedFirstSeen(clsid, 1200, date, sizeof date));
    EXPECT_STREQ("12/09/2026", date);
    EXPECT_EQ(0, ListedFirstSeen(nullptr, 11, date, sizeof date));
}

} // namespace

#include "area.h"
#include "options.h"

#include <string>

#include <gtest/gtest.h>

#include "keys.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"

namespace {

class Options : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        SetProgramKind(ProgramKind::Monitor);
        TheSettings() = Settings{};
    }
    static void Store(const char *name, const char *text)
    {
        WriteRegString(HKEY_CURRENT_USER, kOptionsKey, name, text);
    }
    RegistrySandbox sandbox_;
};

TEST_F(Options, StoredTextsReadAsNumbersOrDefaults)
{
    struct Case { const char *stored; int expected; };
    const Case cases[] = {
        {"200", 200}, {"-1200", -1200}, {"", 33}, {"letters", 0}, {"12abc", 12},
        {nullptr, 33},                                // missing
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789012345"
         "6789012345678901234567890123456789012345678", 33},  // 128 characters do not fit
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        DeleteRegValue(HKEY_CURRENT_USER, kOptionsKey, "Probe");
        if (c.stored)
            Store("Probe", c.stored);
        EXPECT_EQ(c.expected, GetOption("Probe", 33));
    }
}

TEST_F(Options, SetOptionWritesDecimalAndRaisesUpdate)
{
    EXPECT_EQ(1, SetOption("Start", -7));
    EXPECT_EQ("-7", ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, "Start"));
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, "Update"));
    EXPECT_EQ(-7, GetOption("Start", 2));
}

TEST_F(Options, DefaultsDependOnProgramAndPlatform)
{
    LoadOptions();
    EXPECT_EQ(315, Option(OPT_MaxCookie));
    EXPECT_EQ(101, Option(OPT_TrayIcon));  // the test prefix is an NT system
    EXPECT_EQ(1, Option(OPT_Sound));
    EXPECT_EQ(1, Option(OPT_HideMicrosoftServices));
    EXPECT_EQ(6026, Option(OPT_StartTab));
    EXPECT_EQ(14, Option(OPT_NoteSize));
    EXPECT_EQ(11, Option(OPT_Tasks));
    EXPECT_EQ(0, Option(OPT_Debug));

    SetProgramKind(ProgramKind::Explorer);
    PlatformOverride windows98;
    windows98.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&windows98);
    LoadOptions();
    EXPECT_EQ(4096, Option(OPT_MaxCookie));
    EXPECT_EQ(159, Option(OPT_TrayIcon));

    Store("MaxCookie", "20");
    LoadOptions();
    EXPECT_EQ(20, Option(OPT_MaxCookie));
}

TEST_F(Options, RestartAfterALoadRunsCountdownsFromThePeriodsButOnlyRaisesWinInit)
{
    Store("Start", "5");
    Store("WinInit", "4");
    Countdown(AREA_Start) = 1;
    Countdown(AREA_WinInit) = 9;
    LoadOptions();
    EXPECT_EQ(1, Countdown(AREA_Start));  // a load alone leaves the countdowns be
    RestartCountdowns();
    EXPECT_EQ(5, Period(AREA_Start));
    EXPECT_EQ(5, Countdown(AREA_Start));
    EXPECT_EQ(7, Countdown(AREA_Services));
    EXPECT_EQ(9, Countdown(AREA_WinInit));  // never lowered by a restart

    Countdown(AREA_WinInit) = 2;
    LoadOptions();
    RestartCountdowns();
    EXPECT_EQ(4, Countdown(AREA_WinInit));
}

TEST_F(Options, SaveWritesEveryOptionBackButNotTheSignals)
{
    LoadOptions();
    TheSettings().option[OPT_Hidden] = 6;
    TheSettings().option[OPT_SortHistory] = 3;
    TheSettings().option[OPT_Update] = 0;
    SaveOptions();

    for (int id = 0; id < OPT_COUNT; ++id) {
        const char *name = OptionName(OptionId(id));
        SCOPED_TRACE(name);
        if (id == OPT_UpdateCookieFile) {
            EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kOptionsKey, name));
        } else if (id != OPT_Update) {
            EXPECT_EQ(std::to_string(TheSettings().option[id]),
                      ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, name));
        }
    }
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, "Update"));

    TheSettings() = Settings{};
    LoadOptions();
    EXPECT_EQ(6, Option(OPT_Hidden));
    EXPECT_EQ(3, Option(OPT_SortHistory));
    EXPECT_EQ(1, Option(OPT_Update));
}

} // namespace

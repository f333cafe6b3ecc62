// The one-shot switches on a sandboxed registry: -Restore puts texts, window places and the
// program-file verb back as shipped; -AUOption and -SetPrefix write the approved settings.
#include "oneshots.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "init.h"
#include "keys.h"
#include "registry.h"
#include "regsandbox.h"
#include "sheet.h"
#include "texts.h"

namespace {

constexpr char kVerbCommand[] = "exefile\\shell\\SentroviaInfo\\command";
constexpr char kOtherVerb[] = "exefile\\shell\\open\\command";
constexpr int kEnglish = 9;
constexpr int kGerman = 7;
constexpr int kStartTab = 6026;

class OneshotRestore : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, "LString833", "Wird geladen...");
        WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, "LString1165", "Ende");
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "xPos", "40");
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "dyInfo", "300");
        WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", kSettingsVersion);
        WriteRegString(HKEY_CLASSES_ROOT, kInfoVerbKey, nullptr, "Sentrovia Info");
        WriteRegString(HKEY_CLASSES_ROOT, kVerbCommand, nullptr, "\"C:\\S\\Sentrovia.exe\" %1");
        WriteRegString(HKEY_CLASSES_ROOT, kOtherVerb, nullptr, "\"%1\" %*");
    }
    void TearDown() override { SetLanguageId(language_); }

    static bool Run(const char *commandLine)
    {
        return RunOneShots(ReadSwitches(commandLine, kStartTab));
    }

    RegistrySandbox sandbox_;
    const int language_ = LanguageId();
};

TEST_F(OneshotRestore, TranslatedTableLosesOverridesPlacesAndTheVerb)
{
    SetLanguageId(kGerman);
    EXPECT_TRUE(Run("\"C:\\S\\SentroviaEx.exe\" -restore"));

    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, "LString833"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, "LString1165"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kProductKey, "xPos"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kProductKey, "dyInfo"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInfoVerbKey));
    // Everything else stays.
    EXPECT_EQ(kSettingsVersion, ReadStringValue(HKEY_CURRENT_USER, kProductKey, "Version"));
    EXPECT_EQ("\"%1\" %*", ReadStringValue(HKEY_CLASSES_ROOT, kOtherVerb, nullptr));
}

// -Restore also puts every delayed program back where it started from.
TEST_F(OneshotRestore, EveryDelayedProgramGoesBackToItsStartupLocation)
{
    const char *program = "C:\\Tools\\agent.exe";
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Delay", program, "11");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Delay\\Title", program,
                   "Agent");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Delay\\Parameters",
                   program, " -tray");
    EXPECT_TRUE(Run("\"C:\\S\\SentroviaEx.exe\" -Restore"));
    EXPECT_EQ("C:\\Tools\\agent.exe -tray",
              ReadStringValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                              "Agent"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Delay", program));
}

TEST_F(OneshotRestore, EnglishTableKeepsPlacesButStillLosesTheVerb)
{
    SetLanguageId(kEnglish);
    EXPECT_TRUE(Run("SentroviaEx.exe -Restore"));

    EXPECT_EQ("Wird geladen...", ReadStringValue(HKEY_LOCAL_MACHINE, kProductKey, "LString833"));
    EXPECT_EQ("40", ReadStringValue(HKEY_CURRENT_USER, kProductKey, "xPos"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInfoVerbKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kOtherVerb));
}

TEST_F(OneshotRestore, VerbKeyWithoutItsMenuTextIsNotOurs)
{
    SetLanguageId(kGerman);
    RegKey verb;
    ASSERT_TRUE(verb.Open(HKEY_CLASSES_ROOT, kInfoVerbKey, KEY_SET_VALUE));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(verb.get(), nullptr));
    verb.Close();

    EXPECT_TRUE(Run("SentroviaEx.exe -Restore"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kVerbCommand));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, "LString833"));
}

TEST_F(OneshotRestore, OtherSwitchesRestoreNothing)
{
    SetLanguageId(kGerman);
    // -RESTART opens the Options page; it is no one-shot.
    EXPECT_FALSE(Run("SentroviaEx.exe -RESTART"));
    EXPECT_FALSE(Run("SentroviaEx.exe -BHO"));
    EXPECT_FALSE(Run(""));

    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, "LString833"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kProductKey, "xPos"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kVerbCommand));
}

TEST_F(OneshotRestore, NothingToRestoreStillEndsTheProgram)
{
    SetLanguageId(kGerman);
    ASSERT_EQ(1, DeleteRegTree(HKEY_CLASSES_ROOT, kInfoVerbKey));
    EXPECT_TRUE(Run("SentroviaEx.exe -Restore"));
    EXPECT_TRUE(Run("SentroviaEx.exe -Restore"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInfoVerbKey));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, "LString833"));
}

// What the Monitor hands to the Explorer where only it may write the machine's settings.
TEST_F(OneshotRestore, ApprovedSettingsAreWrittenBackAndTheProgramEnds)
{
    const char update[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
    const char prefixes[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
    const char defaultPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
    WriteRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions", 4);
    WriteRegNumber(HKEY_LOCAL_MACHINE, update, "AUOptions", 1);
    EXPECT_TRUE(Run("SentroviaEx.exe -AUOption"));
    EXPECT_EQ(4, ReadRegNumber(HKEY_LOCAL_MACHINE, update, "AUOptions"));

    // No prefix approved: the one Windows ships.
    WriteRegString(HKEY_LOCAL_MACHINE, prefixes, "www", "http://search.hijack.example/?q=");
    EXPECT_TRUE(Run("SentroviaEx.exe -SetPrefix"));
    EXPECT_EQ("http://", ReadStringValue(HKEY_LOCAL_MACHINE, prefixes, "www"));
    EXPECT_EQ("http://", ReadStringValue(HKEY_LOCAL_MACHINE, defaultPrefix, nullptr));
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "wwwPrefix", "https://");
    EXPECT_TRUE(Run("SentroviaEx.exe -SetPrefix"));
    EXPECT_EQ("https://", ReadStringValue(HKEY_LOCAL_MACHINE, prefixes, "www"));
}

} // namespace

#include "init.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "entries.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"
#include "trace.h"

namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.programFolder = programFolder_.path().c_str();
        SetPlatformOverride(&platform_);
        SetWow64Pass(false);
        TheSettings() = ::Settings{};
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        TheSettings() = ::Settings{};
        ClearEntryList();
    }
    static std::string Product(const char *name)
    {
        return ReadStringValue(HKEY_CURRENT_USER, kProductKey, name);
    }
    static std::string Approval(const std::string &name)
    {
        return ReadStringValue(HKEY_CURRENT_USER, kRunBaselineKey, name.c_str());
    }
    std::string Autostart() const { return programFolder_.File("Sentrovia.exe -expressboot"); }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    PlatformOverride platform_;
};

TEST_F(Settings, FirstRunMakesTheKeyAndApprovesWhatRunsNow)
{
    WriteRegString(HKEY_CURRENT_USER, kRun, "Agent", "C:\\Tools\\agent.exe /tray");
    // An autostart value of an older release, under its other name.
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "Sentrovia System Monitor", "C:\\Old\\Sentrovia.exe");
    InitializeSettings();

    EXPECT_NE("<missing>", Product(nullptr));  // the first-run date
    EXPECT_EQ(kSettingsVersion, Product("Version"));
    for (const char *name : {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"})
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, (std::string(kProductKey) + "\\" + name).c_str()))
            << name;
    EXPECT_EQ("11", Approval("C:\\Tools\\agent.exe /tray"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "Sentrovia System Monitor"));
    EXPECT_EQ(Autostart(), ReadStringValue(HKEY_LOCAL_MACHINE, kRun, "Sentrovia"));
    EXPECT_EQ("1", Approval(Autostart()));
    EXPECT_EQ(1, IsAutoStartOn());
}

// A first start on an empty registry takes its steps in their order, as the trace shows, and
// ends with the settings' version written.
TEST_F(Settings, TheFirstStartTakesItsStepsInOrder)
{
    SetOption("Debug", 1);
    InitializeSettings();
    StartTrace(false);
    EXPECT_EQ(kSettingsVersion, Product("Version"));
    const std::string trace = ReadWholeFile(programFolder_.File("send2ov.txt"));
    size_t at = 0;
    for (const char *step : {"FIRSTTIME", "Create Initial Values", "-----Begin", "Initialize Sysfiles",
                             "Cleanup Run Registry", "CreateClassInfo"}) {
        SCOPED_TRACE(step);
        const size_t found = trace.find(step, at);
        ASSERT_NE(std::string::npos, found) << trace;
        at = found;
    }
    // The next start takes only what its guards leave it.
    InitializeSettings();
    StartTrace(false);
    const std::string again = ReadWholeFile(programFolder_.File("send2ov.txt")).substr(trace.size());
    EXPECT_EQ(std::string::npos, again.find("FIRSTTIME")) << again;
    EXPECT_EQ(std::string::npos, again.find("Initialize Sysfiles")) << again;
    EXPECT_EQ(std::string::npos, again.find("Cleanup Run Registry")) << again;
}

TEST_F(Settings, LaterStartsKeepTheAnswersUnlessTheVersionChangesOrCleanupIsAsked)
{
    InitializeSettings();
    const std::string date = Product(nullptr);
    // Something turned down since, and something new: a later start keeps both as they are.
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "C:\\Gone\\old.exe", "11");
    WriteRegString(HKEY_CURRENT_USER, kRun, "New", "C:\\Tools\\new.exe");
    InitializeSettings();
    EXPECT_EQ(date, Product(nullptr));
    EXPECT_EQ("11", Approval("C:\\Gone\\old.exe"));
    EXPECT_EQ("<missing>", Approval("C:\\Tools\\new.exe"));

    // Another release's settings: the baseline is taken again from what runs now, and the
    // Monitor's autostart is registered again.
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", "14.0.0.0");
    DeleteRegValue(HKEY_LOCAL_MACHINE, kRun, "Sentrovia");
    InitializeSettings();
    EXPECT_EQ(kSettingsVersion, Product("Version"));
    EXPECT_EQ(Autostart(), ReadStringValue(HKEY_LOCAL_MACHINE, kRun, "Sentrovia"));
    EXPECT_EQ("<missing>", Approval("C:\\Gone\\old.exe"));
    EXPECT_EQ("11", Approval("C:\\Tools\\new.exe"));

    // Cleanup asks for the same once, and is switched off by it.
    WriteRegString(HKEY_CURRENT_USER, kRunBaselineKey, "C:\\Gone\\old.exe", "11");
    SetOption("Cleanup", 1);
    InitializeSettings();
    EXPECT_EQ("<missing>", Approval("C:\\Gone\\old.exe"));
    EXPECT_EQ(0, GetOption("Cleanup", 0));
}

// The services, hidden-file and ActiveX baselines are taken whenever their "P" marker is missing,
// at any start, and left alone while it is there.
TEST_F(Settings, MarkedBaselinesAreTakenAgainOnlyWhenTheirMarkerIsGone)
{
    ScratchFolder temp("temp");
    platform_.tempFolder = temp.path().c_str();
    const std::string hidden = temp.Write("seen.tmp", "x");
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    InitializeSettings();
    for (const char *area : {"Services", "Hidden", "ActiveX"}) {
        SCOPED_TRACE(area);
        const std::string key = std::string(kProductKey) + "\\" + area;
        EXPECT_EQ("P", ReadStringValue(HKEY_CURRENT_USER, key.c_str(), nullptr));
        // A value the baseline would not write stays while the marker does ...
        WriteRegString(HKEY_CURRENT_USER, key.c_str(), "Answered Earlier", "7");
        InitializeSettings();
        EXPECT_EQ("7", ReadStringValue(HKEY_CURRENT_USER, key.c_str(), "Answered Earlier"));
        // ... and goes with the rest once the marker is gone: the baseline is made anew.
        WriteRegString(HKEY_CURRENT_USER, key.c_str(), nullptr, "");
        InitializeSettings();
        EXPECT_EQ("P", ReadStringValue(HKEY_CURRENT_USER, key.c_str(), nullptr));
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key.c_str(), "Answered Earlier"));
    }
    char listed[MAX_PATH];
    GetLongPathNameA(hidden.c_str(), listed, sizeof listed);
    EXPECT_NE("<missing>", ReadStringValue(HKEY_CURRENT_USER,
                                           (std::string(kProductKey) + "\\Hidden").c_str(), listed))
        << "the hidden files there are approved";
}

TEST_F(Settings, AutostartOffRemovesEveryEntryOfTheMonitor)
{
    InitializeSettings();
    const std::string explorer = programFolder_.File("SentroviaEx.exe -start");
    WriteRegString(HKEY_CURRENT_USER, kRun, "Sentrovia System Monitor", Autostart().c_str());
    WriteRegString(HKEY_CURRENT_USER, kRun, "Sentrovia Explorer", explorer.c_str());
    WriteRegString(HKEY_CURRENT_USER, kRun, "Agent", "C:\\Tools\\agent.exe");

    // Counting changes nothing.
    EXPECT_EQ(1, RemoveOwnStartups(false));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "Sentrovia"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kRun, "Sentrovia Explorer"));

    EXPECT_EQ(1, SetAutoStart(false));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRun, "Sentrovia"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRun, "Sentrovia System Monitor"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRun, "Sentrovia Explorer"));
    EXPECT_EQ("C:\\Tools\\agent.exe", ReadStringValue(HKEY_CURRENT_USER, kRun, "Agent"));
    EXPECT_EQ(0, IsAutoStartOn());
    // Nothing left to find: off again reports that, so the state is not recorded twice.
    EXPECT_EQ(0, SetAutoStart(false));

    EXPECT_EQ(1, SetAutoStart(true));
    EXPECT_EQ(1, IsAutoStartOn());
    EXPECT_EQ("1", Approval(Autostart()));
}

TEST_F(Settings, ResetSupportSettingsClearsOverridesAndWindowPlacesOnly)
{
    for (const char *name : {"LString0", "LString833", "LString1165", "LString1166"})
        WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, name, "override");
    const char *const places[] = {"xPos",  "dyPos",          "xPosAlert",        "dySysFiles",
                                  "xInfo", "yDefaultWarning", "dxPosAddFileType", "dyCookie"};
    for (const char *name : places)
        WriteRegString(HKEY_CURRENT_USER, kProductKey, name, "120");
    // Neighbours that are not places or overrides.
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "LString5", "user's own");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", kSettingsVersion);
    WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, "xPos", "machine");
    WriteRegString(HKEY_CURRENT_USER, kOptionsKey, "StartTab", "6039");

    ResetSupportSettings();

    for (const char *name : {"LString0", "LString833", "LString1165"})
        EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kProductKey, name)) << name;
    EXPECT_EQ("override", ReadStringValue(HKEY_LOCAL_MACHINE, kProductKey, "LString1166"));
    for (const char *name : places)
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kProductKey, name)) << name;
    EXPECT_EQ("user's own", Product("LString5"));
    EXPECT_EQ(kSettingsVersion, Product("Version"));
    EXPECT_EQ("machine", ReadStringValue(HKEY_LOCAL_MACHINE, kProductKey, "xPos"));
    EXPECT_EQ("6039", ReadStringValue(HKEY_CURRENT_USER, kOptionsKey, "StartTab"));
}

TEST_F(Settings, ResetSupportSettingsWithoutAProductKeyCreatesNothing)
{
    ResetSupportSettings();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

} // namespace

// The area table names every place the areas read, so the Monitor hears of their changes.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "area.h"
#include "filetypes.h"
#include "keys.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

class Places : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine_.PointAt(platform_);
        SetPlatformOverride(&platform_);
    }
    void TearDown() override { SetPlatformOverride(nullptr); }

    // The area that watches the place, or AREA_COUNT when none does.
    static AreaId Watcher(HKEY root, const std::string &path, bool subtree = false)
    {
        for (const AreaPlace &place : WatchedPlaces())
            if (place.place.root == root && _stricmp(place.place.path.c_str(), path.c_str()) == 0 &&
                place.place.subtree == subtree)
                return place.area;
        return AREA_COUNT;
    }
    static AreaId FolderWatcher(const std::string &folder, bool subtree = false)
    {
        return Watcher(nullptr, folder, subtree);
    }

    RegistrySandbox sandbox_;
    ScratchMachine machine_{"places"};
    PlatformOverride platform_;
};

TEST_F(Places, EveryAreaOfTheCycleNamesItsPlaces)
{
    for (int id = 0; id < AREA_COUNT; ++id) {
        const AreaRow &row = Area(AreaId(id));
        if (row.half != HALF_None) {
            EXPECT_NE(nullptr, row.places) << row.traceText;
        }
    }
}

TEST_F(Places, KeysOfBothHivesAndBothViewsWhereTheAreasReadThem)
{
    const std::string run = std::string(kCurrentVersion) + "\\Run";
    EXPECT_EQ(AREA_Start, Watcher(HKEY_LOCAL_MACHINE, run));
    EXPECT_EQ(AREA_Start, Watcher(HKEY_CURRENT_USER, run));
    EXPECT_EQ(AREA_Start, Watcher(HKEY_LOCAL_MACHINE, std::string(kWow64CurrentVersion) + "\\Run"));
    // Named whether or not it exists: the companion watches a missing key from its parent.
    EXPECT_EQ(AREA_Start, Watcher(HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\RunOnce"));
    EXPECT_EQ(AREA_Start,
              Watcher(HKEY_CURRENT_USER, std::string(kCurrentVersion) + "\\RunOnceEx", true));
    EXPECT_EQ(AREA_Start, Watcher(HKEY_LOCAL_MACHINE, kWinlogonKey));
    EXPECT_EQ(AREA_IEHelpers,
              Watcher(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"
                                          "\\Browser Helper Objects"));
    EXPECT_EQ(AREA_Services, Watcher(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services"));
    EXPECT_EQ(AREA_StartPage,
              Watcher(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main"));
}

TEST_F(Places, FoldersComeFromWhereTheAreasFindThem)
{
    const std::string startup = machine_.root.File("Startup");
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "Startup", startup.c_str());
    EXPECT_EQ(AREA_Start, FolderWatcher(startup));
    EXPECT_EQ(AREA_Tasks, FolderWatcher(machine_.windows.File("Tasks")));
    EXPECT_EQ(AREA_Tasks, FolderWatcher(machine_.system + "\\Tasks", true));
    // Hidden files one level deep in the system folder: its whole tree.
    EXPECT_EQ(AREA_Hidden, FolderWatcher(machine_.system, true));
    EXPECT_EQ(AREA_Hidden, FolderWatcher(machine_.root.path()));
    // A drive's root, never a drive's current folder.
    platform_.rootFolder = "C:";
    EXPECT_EQ(AREA_Hidden, FolderWatcher("C:\\"));
    // Restart commands only where that file exists, before NT.
    const auto restartPlaces = [] {
        int count = 0;
        for (const AreaPlace &place : WatchedPlaces())
            count += place.area == AREA_WinInit;
        return count;
    };
    EXPECT_EQ(0, restartPlaces());
    platform_.platformId = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(1, restartPlaces());
}

TEST_F(Places, FileTypesFollowTheClassEachExtensionNamesNow)
{
    WriteRegString(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Class", nullptr, "txt;");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", nullptr, "txtfile");
    EXPECT_EQ(AREA_FileType, Watcher(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt"));
    EXPECT_EQ(AREA_FileType,
              Watcher(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell\\open\\command"));
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", nullptr, "otherfile");
    EXPECT_EQ(AREA_FileType,
              Watcher(HKEY_LOCAL_MACHINE, "Software\\Classes\\otherfile\\shell\\open\\command"));
    EXPECT_EQ(AREA_COUNT,
              Watcher(HKEY_LOCAL_MACHINE, "Software\\Classes\\txtfile\\shell\\open\\command"));
}

} // namespace

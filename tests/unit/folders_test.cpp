#include "folders.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool IsFolder(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_ = scratch_.path() + "\\program";
        CreateDirectoryA(program_.c_str(), nullptr);
        override_.programFolder = program_.c_str();
        override_.windowsFolder = "C:\\WINDOWS";
        SetPlatformOverride(&override_);
    }
    void TearDown() override { SetPlatformOverride(nullptr); }
    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    std::string program_;
    PlatformOverride override_;
};

TEST_F(Folders, DataFolderIsMadeInAppDataOrFallsBackToTheProgramFolder)
{
    char folder[MAX_PATH];
    DataFolder(folder, sizeof folder);
    EXPECT_EQ(program_, folder);  // no AppData value

    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", scratch_.path().c_str());
    DataFolder(folder, sizeof folder);
    EXPECT_EQ(scratch_.path() + "\\Sentrovia", folder);
    EXPECT_TRUE(IsFolder(scratch_.path() + "\\Sentrovia\\vault"));

    char settings[MAX_PATH];
    SettingsFilePath(settings, sizeof settings);
    EXPECT_EQ(scratch_.path() + "\\Sentrovia\\Sentrovia.ini", settings);

    // An application-data folder that can't be made.
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData",
                   (scratch_.path() + "\\missing\\deeper").c_str());
    DataFolder(folder, sizeof folder);
    EXPECT_EQ(program_, folder);
}

TEST_F(Folders, StartMenuFolderEndsWithABackslash)
{
    char folder[MAX_PATH];
    StartMenuFolder(folder, sizeof folder);
    EXPECT_STREQ("C:\\WINDOWS\\Start Menu\\", folder);
    WriteRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Start Menu", "D:\\Menu");
    StartMenuFolder(folder, sizeof folder);
    EXPECT_STREQ("D:\\Menu\\", folder);
}

TEST_F(Folders, NoteFilesPreferTheProgramFolder)
{
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", scratch_.path().c_str());
    char note[MAX_PATH];
    NoteFilePath("\"C:\\Tools\\agent.exe\" -q", note, sizeof note);
    EXPECT_EQ(scratch_.path() + "\\Sentrovia\\note_AGENT.txt", note);

    scratch_.Write("program\\note_AGENT.txt", "mine");
    NoteFilePath("C:\\Tools\\agent.exe", note, sizeof note);
    EXPECT_EQ(program_ + "\\note_AGENT.txt", note);

    // A name that would hold a colon keeps a plain file name.
    NoteFilePath("C:\\Tools\\a=b.exe", note, sizeof note);
    EXPECT_EQ(scratch_.path() + "\\Sentrovia\\note_A_B.txt", note);
}

} // namespace

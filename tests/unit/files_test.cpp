#include "files.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        windows_ = scratch_.path() + "\\win";
        system_ = windows_ + "\\system32";
        scratch_.Write("win\\inwin.exe", "w");
        scratch_.Write("win\\system32\\insys.exe", "s");
        override_.windowsFolder = windows_.c_str();
        override_.systemFolder = system_.c_str();
        SetPlatformOverride(&override_);
    }
    void TearDown() override { SetPlatformOverride(nullptr); }
    RegistrySandbox sandbox_;
    ScratchFolder scratch_;
    std::string windows_, system_;
    PlatformOverride override_;
};

TEST_F(Files, CleanPathExpandsFoldersFromTheMachine)
{
    char clean[MAX_PATH];
    CleanPath("\\SystemRoot\\System32\\svchost.exe -k netsvcs", clean, sizeof clean);
    EXPECT_EQ(Upper(windows_) + "\\SYSTEM32\\SVCHOST.EXE", clean);

    CleanPath("%ProgramFiles%\\Tool\\t.exe -x", clean, sizeof clean);
    EXPECT_STREQ("C:\\PROGRAM FILES\\TOOL\\T.EXE", clean);
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                   "ProgramFilesDir", "D:\\Apps");
    CleanPath("%ProgramFiles%\\Tool\\t.exe -x", clean, sizeof clean);
    EXPECT_STREQ("D:\\APPS\\TOOL\\T.EXE", clean);
}

TEST_F(Files, SplitCommandGivesTheLongProgramPathAndItsParameters)
{
    std::string program = scratch_.Write("Long Folder Name\\long program name.exe", "x");
    char shortForm[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(program.c_str(), shortForm, sizeof shortForm), 0u);
    char path[MAX_PATH], parameters[MAX_PATH];
    SplitCommand((std::string(shortForm) + " /min /q").c_str(), path, sizeof path, parameters,
                 sizeof parameters);
    EXPECT_EQ(Upper(program), Upper(path));
    EXPECT_STREQ(" /min /q", parameters);

    char windows95Path[MAX_PATH];
    PlatformOverride windows95 = override_;
    windows95.platformId = VER_PLATFORM_WIN32_WINDOWS;
    windows95.minorVersion = 0;
    SetPlatformOverride(&windows95);
    EXPECT_EQ(0, LongPathForm(shortForm, windows95Path, sizeof windows95Path));
    EXPECT_STREQ(shortForm, windows95Path);
}

TEST_F(Files, LongPathFormLeavesWhatIsNoFile)
{
    char out[MAX_PATH];
    for (const char *path : {"C:\\nowhere\\x.exe", "C:\\x.exe /arg", ""}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(0, LongPathForm(path, out, sizeof out));
        EXPECT_STREQ(path, out);
    }
}

TEST_F(Files, FindFileLooksInTheWindowsAndSystemFolders)
{
    std::string existing = scratch_.Write("here.exe", "h");
    char name[MAX_PATH];
    strcpy(name, existing.c_str());
    EXPECT_EQ(1, FindFile(name, sizeof name));
    EXPECT_EQ(existing, name);

    strcpy(name, "inwin.exe");
    EXPECT_EQ(1, FindFile(name, sizeof name));
    EXPECT_STREQ("inwin.exe", name);  // found in the Windows folder: left as it is

    strcpy(name, "insys.exe");
    EXPECT_EQ(1, FindFile(name, sizeof name));
    char expected[MAX_PATH];
    GetShortPathNameA((system_ + "\\insys.exe").c_str(), expected, sizeof expected);
    EXPECT_STREQ(expected, name);  // found in the System folder: its short path

    strcpy(name, "nothere.exe");
    EXPECT_EQ(0, FindFile(name, sizeof name));
    const std::string longName(32, 'n');
    scratch_.Write("win\\" + longName, "n");
    strcpy(name, longName.c_str());
    EXPECT_EQ(0, FindFile(name, sizeof name));  // only short bare names are looked for
}

TEST_F(Files, FolderOfCutsAtTheLastBackslash)
{
    struct Case { const char *path; int found; std::string folder; };
    const Case cases[] = {
        {"C:\\Tools\\a.exe", 1, "C:\\Tools"},
        {"C:\\a.exe", 1, "C:\\"},
        {"C:\\Tools\\", 1, "C:\\Tools"},
        {"inwin.exe", 1, windows_},
        {"insys.exe", 1, system_},
        {"nothere.exe", 0, ""},
        {"", 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        char folder[MAX_PATH] = "";
        EXPECT_EQ(c.found, FolderOf(c.path, folder, sizeof folder));
        EXPECT_EQ(c.folder, folder);
    }
}

TEST_F(Files, DeleteOnRestartOnWindows98WritesAShortNameLineToWininit)
{
    override_.platformId = VER_PLATFORM_WIN32_WINDOWS;
    const std::string file = scratch_.Write("Long Folder Name\\old program.exe", "x");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    scratch_.Write("win\\wininit.ini", "[rename]\r\n");
    EXPECT_EQ(1, DeleteOnRestart(file.c_str()));
    // Read-only and hidden are gone (Wine reports a normal file as archived).
    EXPECT_EQ(0u, GetFileAttributesA(file.c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    char shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(file.c_str(), shortPath, sizeof shortPath), 0u);
    // Appended to what the file held, the file itself left for the restart.
    EXPECT_EQ("[rename]\r\nNUL=" + std::string(shortPath) + "\r\n",
              ReadWholeFile(windows_ + "\\wininit.ini"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_EQ(0, DeleteOnRestart(""));
}

} // namespace

// Monitored system files over a sandboxed registry and scratch folders: the default list, what
// counts as a change, and the two answers with their saved copies.
#include "sysfiles.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

constexpr char kSysfiles[] = "Software\\Orvanto\\Sentrovia\\Sysfiles";

std::string Value(const std::string &name, const char *value)
{
    return ReadStringValue(HKEY_LOCAL_MACHINE, (std::string(kSysfiles) + "\\" + name).c_str(),
                           value);
}

// Sets a file's last-write time to a day of its own, so the date text changes for sure.
void Touch(const std::string &file, WORD day)
{
    SYSTEMTIME time{};
    time.wYear = 2025;
    time.wMonth = 6;
    time.wDay = day;
    time.wHour = 12;
    FILETIME local, utc;
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    SetFileTime(handle, nullptr, nullptr, &utc);
    CloseHandle(handle);
}

struct Visited {
    std::vector<std::string> names;
};

void Visit(const char *name, const char *, void *context)
{
    static_cast<Visited *>(context)->names.push_back(name);
}

class SystemFiles : public ::testing::Test {
protected:
    SystemFiles()
    {
        platform_.programFolder = program_.path().c_str();
        platform_.systemFolder = system_.path().c_str();
        platform_.windowsFolder = windows_.path().c_str();
    }
    void SetUp() override { SetPlatformOverride(&platform_); }
    void TearDown() override { SetPlatformOverride(nullptr); }
    std::string Saved(const std::string &name) const { return program_.File(name); }

    RegistrySandbox sandbox_;
    ScratchFolder program_;
    ScratchFolder system_{"system"};
    ScratchFolder windows_{"windows"};
    ScratchFolder files_{"watched"};
    PlatformOverride platform_;
};

TEST_F(SystemFiles, TheDefaultListIsMadeOnceWithWhatExists)
{
    const std::string hosts = system_.Write("drivers\\etc\\HOSTS", "127.0.0.1 localhost\r\n");
    char path[MAX_PATH];
    ASSERT_GT(GetHostsPath(path, sizeof path), 0);
    EXPECT_EQ(hosts, path);
    PrepareSystemFiles();
    EXPECT_EQ(hosts, Value("HOSTS", "Location"));
    EXPECT_EQ("0", Value("HOSTS", "Type"));
    EXPECT_EQ("HOST file can be used to protect or redirect domain access.",
              Value("HOSTS", "Comment"));
    EXPECT_EQ("21", Value("HOSTS", "Size"));
    EXPECT_EQ("127.0.0.1 localhost\r\n", ReadWholeFile(Saved("HOSTS")));
    EXPECT_NE("<missing>", ReadStringValue(HKEY_LOCAL_MACHINE, kSysfiles, nullptr));
    // Files that are not there get their subkey and nothing else.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, (std::string(kSysfiles) + "\\Config.sys").c_str()));

    // Made once: a later start leaves the list as the user made it.
    DeleteRegTree(HKEY_LOCAL_MACHINE, (std::string(kSysfiles) + "\\HOSTS").c_str());
    PrepareSystemFiles();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, (std::string(kSysfiles) + "\\HOSTS").c_str()));

    // Windows 95/98/Me keeps HOSTS in the Windows folder.
    PlatformOverride older = platform_;
    older.platformId = VER_PLATFORM_WIN32_WINDOWS;
    SetPlatformOverride(&older);
    GetHostsPath(path, sizeof path);
    EXPECT_EQ(windows_.File("HOSTS"), path);
}

TEST_F(SystemFiles, AChangeNeedsANewDateAndForTypeZeroANewSize)
{
    const std::string strict = files_.Write("strict.txt", "one");
    const std::string loose = files_.Write("loose.txt", "one");
    Touch(strict, 1);
    Touch(loose, 1);
    ASSERT_EQ(1, AddSystemFile("strict.txt", strict.c_str(), "", 0));
    ASSERT_EQ(1, AddSystemFile("loose.txt", loose.c_str(), "Watched closely", 1));
    EXPECT_EQ(0, SystemFileChanged("strict.txt", strict.c_str()));
    // Same size, new date: only the loose type sees a change.
    files_.Write("strict.txt", "two");
    files_.Write("loose.txt", "two");
    Touch(strict, 2);
    Touch(loose, 2);
    EXPECT_EQ(0, SystemFileChanged("strict.txt", strict.c_str()));
    EXPECT_EQ(1, SystemFileChanged("loose.txt", loose.c_str()));
    // New date and size: a change for both.
    files_.Write("strict.txt", "three");
    Touch(strict, 3);
    EXPECT_EQ(1, SystemFileChanged("strict.txt", strict.c_str()));
    // A file that is gone is no change; one without a stored date gets today's first.
    DeleteFileA(loose.c_str());
    EXPECT_EQ(0, SystemFileChanged("loose.txt", loose.c_str()));
    DeleteRegValue(HKEY_LOCAL_MACHINE, (std::string(kSysfiles) + "\\strict.txt").c_str(), "Date");
    EXPECT_EQ(0, SystemFileChanged("strict.txt", strict.c_str()));
    EXPECT_NE("<missing>", Value("strict.txt", "Date"));
    EXPECT_EQ(0, SystemFileChanged("strict.txt", strict.c_str()));
    char comment[64];
    SystemFileComment("loose.txt", comment, sizeof comment);
    EXPECT_STREQ("Watched closely", comment);
}

TEST_F(SystemFiles, AcceptTakesTheNewFileAndRejectPutsTheSavedCopyBack)
{
    const std::string file = files_.Write("hosts", "127.0.0.1 localhost\r\n");
    Touch(file, 1);
    ASSERT_EQ(1, AddSystemFile("HOSTS", file.c_str(), "", 0));
    files_.Write("hosts", "127.0.0.1 localhost\r\n10.0.0.66 bank.example\r\n");
    Touch(file, 2);
    ASSERT_EQ(1, SystemFileChanged("HOSTS", file.c_str()));
    // Put back, even over a file made read-only, which stays read-only.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(1, RejectFileChange("HOSTS", file.c_str(), false));
    EXPECT_EQ("127.0.0.1 localhost\r\n", ReadWholeFile(file));
    EXPECT_NE(0u, GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(0, SystemFileChanged("HOSTS", file.c_str()));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    files_.Write("hosts", "127.0.0.1 localhost\r\n10.0.0.1 intranet\r\n");
    Touch(file, 3);
    ASSERT_EQ(1, AcceptFileChange("HOSTS", file.c_str(), false));
    EXPECT_EQ(0, SystemFileChanged("HOSTS", file.c_str()));
    EXPECT_EQ(ReadWholeFile(file), ReadWholeFile(Saved("HOSTS")));

    // Taken and no longer watched: the file is not looked at again.
    files_.Write("hosts", "changed again");
    Touch(file, 4);
    ASSERT_EQ(1, AcceptFileChange("HOSTS", file.c_str(), true));
    Visited visited;
    ForEachSystemFile(Visit, &visited);
    EXPECT_TRUE(visited.names.empty());
}

TEST_F(SystemFiles, NamesThatLeadOutsideTheirPlaceAndMissingCopiesChangeNothing)
{
    const std::string file = files_.Write("boot.ini", "[boot]");
    for (const char *name : {"..\\boot.ini", "a\\b", "C:evil", "", ".."}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(0, AddSystemFile(name, file.c_str(), "", 0));
        EXPECT_EQ(0, RejectFileChange(name, file.c_str(), false));
        EXPECT_EQ(0, SystemFileChanged(name, file.c_str()));
    }
    EXPECT_EQ("[boot]", ReadWholeFile(file));
    // No saved copy: rejecting leaves the file alone and says why.
    ASSERT_EQ(1, AddSystemFile("boot.ini", file.c_str(), "", 0));
    DeleteFileA(Saved("boot.ini").c_str());
    EXPECT_EQ(0, RejectFileChange("boot.ini", file.c_str(), false));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ("[boot]", ReadWholeFile(file));
    // A file held by another program is left whole, and no part of the copy stays beside it.
    ASSERT_EQ(1, AddSystemFile("boot.ini", file.c_str(), "", 0));
    files_.Write("boot.ini", "[boot] changed");
    {
        HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(0, RejectFileChange("boot.ini", file.c_str(), false));
        CloseHandle(held);
    }
    EXPECT_EQ("[boot] changed", ReadWholeFile(file));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((file + ".sntnew").c_str()));
    // A watched file that is gone can't be taken.
    DeleteFileA(file.c_str());
    EXPECT_EQ(0, AcceptFileChange("boot.ini", file.c_str(), false));
}

// wininit.ini is looked at only where wininit.exe runs it; its commands are read to 16384 bytes.
TEST_F(SystemFiles, RestartCommandsAreReadOnlyWhereTheyRunAndDeletedWhole)
{
    std::string text;
    windows_.Write("wininit.ini", "[rename]\r\nNUL=C:\\TEMP\\OLD.EXE\r\n");
    EXPECT_EQ(0, RestartCommandsText(text));
    windows_.Write("wininit.exe", "");
    ASSERT_EQ(1, RestartCommandsText(text));
    EXPECT_EQ("[rename]\r\nNUL=C:\\TEMP\\OLD.EXE\r\n", text);
    windows_.Write("wininit.ini", std::string(20000, 'x'));
    ASSERT_EQ(1, RestartCommandsText(text));
    EXPECT_EQ(16384u, text.size());
    SetFileAttributesA(windows_.File("wininit.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(1, DeleteRestartCommands());
    EXPECT_EQ(0, RestartCommandsText(text));
    windows_.Write("wininit.ini", "");
    EXPECT_EQ(0, RestartCommandsText(text));
}

} // namespace

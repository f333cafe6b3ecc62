// Hidden files over scratch folders standing in for the watched ones: what is listed and how,
// the seen set, and deleting into the vault and back.
#include "hidden.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "approved.h"
#include "entries.h"
#include "history.h"
#include "keys.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_helpers.h"

namespace {

constexpr char kSeen[] = "Software\\Orvanto\\Sentrovia\\Hidden";
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

std::vector<std::string> g_shown;

int Respond(const char *text, const char *, UINT)
{
    g_shown.push_back(text);
    return IDOK;
}

std::string Upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

struct Listed {
    std::string title;
    std::string path;
    int extra;
    bool operator<(const Listed &other) const { return Upper(path) < Upper(other.path); }
    bool operator==(const Listed &other) const
    {
        return title == other.title && Upper(path) == Upper(other.path) && extra == other.extra;
    }
};

void PrintTo(const Listed &listed, std::ostream *out)
{
    *out << "{" << listed.title << ", " << listed.path << ", " << listed.extra << "}";
}

std::vector<Listed> ListedNow()
{
    std::vector<Listed> listed;
    for (int i = 0, count = EnumHiddenFiles(); i < count; ++i) {
        char detail[kDetailWidth + 1];
        EntryDetail(i, detail, sizeof detail);
        EXPECT_EQ(Upper(EntryWholePath(i)), Upper(detail));
        EXPECT_EQ(kHiddenKind, EntryKind(i));
        listed.push_back({EntryWholeTitle(i), EntryWholePath(i), EntryExtra(i)});
    }
    ClearEntryList();
    return listed;
}

class HiddenFiles : public ::testing::Test {
protected:
    HiddenFiles()
    {
        system_ = windows_.File("system32");
        platform_.rootFolder = root_.path().c_str();
        platform_.windowsFolder = windows_.path().c_str();
        platform_.systemFolder = system_.c_str();
        platform_.tempFolder = temp_.path().c_str();
        platform_.programFolder = program_.path().c_str();
    }
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        CreateDirectoryA(system_.c_str(), nullptr);
        // The registry's form ends with a backslash.
        WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir",
                       (common_.path() + "\\").c_str());
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
        SetPlatformOverride(&platform_);
        g_shown.clear();
        previous_ = SetMessageResponder(Respond);
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }

    // A file with the given attributes (and the folders before it).
    static std::string Put(const ScratchFolder &folder, const std::string &name, DWORD attributes,
                           const std::string &content = "x")
    {
        const std::string file = folder.Write(name, content);
        EXPECT_TRUE(SetFileAttributesA(file.c_str(), attributes)) << file;
        return LongForm(file);
    }
    std::string Vault() const { return appData_.File("Sentrovia\\vault"); }
    // The fields of the history file's last record: date, action, type, title, path, detail,
    // kept.
    std::vector<std::string> LastRecord() const
    {
        std::string text = ReadWholeFile(program_.File("history.txt"));
        std::vector<std::string> fields;
        if (text.size() < 2)
            return fields;
        text.resize(text.size() - 2);
        const std::string line = text.substr(text.rfind("\r\n") == std::string::npos
                                                 ? 0
                                                 : text.rfind("\r\n") + 2);
        size_t from = 0;
        for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', from)) {
            fields.push_back(line.substr(from, tab - from));
            from = tab + 1;
        }
        fields.push_back(line.substr(from));
        return fields;
    }
    static bool Seen(const std::string &path)
    {
        const std::string value = ReadStringValue(HKEY_CURRENT_USER, kSeen, path.c_str());
        return value != "<missing>" && !value.empty();
    }

    RegistrySandbox sandbox_;
    ScratchFolder root_{"root"};
    ScratchFolder windows_{"windows"};
    ScratchFolder common_{"common"};
    ScratchFolder temp_{"temp"};
    ScratchFolder program_{"program"};
    ScratchFolder appData_{"appdata"};
    std::string system_;
    PlatformOverride platform_;
    MessageResponder previous_ = nullptr;
};

TEST_F(HiddenFiles, EachFolderIsSearchedToItsOwnDepthAndOnlyHiddenFilesAreListed)
{
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN;
    const std::vector<Listed> expected = {
        {"boot.dat", Put(root_, "boot.dat", hidden), 0},
        {"page.sys", Put(root_, "page.sys", hidden | FILE_ATTRIBUTE_SYSTEM), 1},
        {"win.bin", Put(windows_, "win.bin", hidden), 0},
        {"core.dll", Put(windows_, "system32\\core.dll", hidden), 0},
        {"drv.sys", Put(windows_, "system32\\drivers\\drv.sys", hidden | FILE_ATTRIBUTE_SYSTEM), 1},
        {"shared.dll", Put(common_, "vendor\\shared.dll", hidden), 0},
        {"top.tmp", Put(temp_, "top.tmp", hidden), 0},
        // A hidden folder is entered (never listed itself) ...
        {"inside.tmp", Put(temp_, "cache\\inside.tmp", hidden), 0},
    };
    EXPECT_TRUE(SetFileAttributesA(temp_.File("cache").c_str(), hidden));
    // ... but not one whose name begins with a dot.
    Put(temp_, ".store\\dotted.tmp", hidden);
    // Not hidden, or too deep: the root and the Windows folder are searched without their
    // subfolders, the others one level down.
    Put(root_, "visible.txt", FILE_ATTRIBUTE_NORMAL);
    Put(root_, "sub\\below-root.dat", hidden);
    Put(windows_, "fonts\\other.fon", hidden);
    Put(windows_, "system32\\drivers\\deep\\two-down.sys", hidden);
    Put(common_, "vendor\\deep\\two-down.dll", hidden);
    Put(temp_, "cache\\deep\\two-down.tmp", hidden);

    const std::vector<Listed> listed = ListedNow();
    std::vector<Listed> sorted = listed, wanted = expected;
    std::sort(sorted.begin(), sorted.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(wanted, sorted);
    // The folders in their order: root, Windows, system, common files, temporary.
    auto rank = [&](const Listed &file) {
        for (const std::string &folder : {system_, windows_.path(), root_.path(), common_.path(),
                                          temp_.path()})
            if (Upper(file.path).rfind(Upper(LongForm(folder)) + "\\", 0) == 0)
                return folder == root_.path()      ? 0
                       : folder == windows_.path() ? 1
                       : folder == system_         ? 2
                       : folder == common_.path()  ? 3
                                                   : 4;
        return -1;
    };
    for (size_t i = 1; i < listed.size(); ++i)
        EXPECT_LE(rank(listed[i - 1]), rank(listed[i])) << listed[i].path;
}

TEST_F(HiddenFiles, AFileIsNamedByItsProductAndFoldersThatCannotBeNamedOrReadAreLeftOut)
{
    const std::string named = CopyFixture(temp_, "vfx_company_upper.exe", "named.exe");
    ASSERT_TRUE(SetFileAttributesA(named.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // No common files value, and a Windows folder that is not there.
    DeleteRegValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir");
    Put(common_, "vendor\\shared.dll", FILE_ATTRIBUTE_HIDDEN);
    const std::string gone = windows_.File("missing");
    platform_.windowsFolder = gone.c_str();
    const std::string root = Put(root_, "boot.dat", FILE_ATTRIBUTE_HIDDEN);

    const std::vector<Listed> listed = ListedNow();
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ((Listed{"boot.dat", root, 0}), listed[0]);
    EXPECT_EQ((Listed{"Vfx Upper Control", LongForm(named), 0}), listed[1]);
}

// A name too long for a whole path is listed by its short form, and can be deleted and put back
// through it like any other.
TEST_F(HiddenFiles, ANameTooLongForAPathIsListedAndDeletedByItsShortForm)
{
    // Made through the wide calls, as a program that wants to hide would.
    const std::string folder = temp_.File("sub folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string name = std::string(230, 'n') + ".dat";
    const std::wstring wide =
        L"\\\\?\\" + std::wstring(folder.begin(), folder.end()) + L"\\" +
        std::wstring(name.begin(), name.end());
    ASSERT_GT(folder.size() + 1 + name.size(), kPathWidth);
    // The scratch folder's clean-up takes only ANSI paths: this file goes by its wide name.
    struct Remove {
        const std::wstring &file;
        ~Remove()
        {
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
        }
    } remove{wide};
    HANDLE made = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, made);
    DWORD written = 0;
    WriteFile(made, "long", 4, &written, nullptr);
    CloseHandle(made);

    ASSERT_EQ(1, EnumHiddenFiles());
    const std::string listed = EntryWholePath(0);
    EXPECT_LE(listed.size(), kPathWidth);
    EXPECT_EQ(0u, std::string(EntryWholeTitle(0)).find("nnnn")) << EntryWholeTitle(0);
    EXPECT_EQ("long", ReadWholeFile(listed));
    ClearEntryList();

    ASSERT_EQ(HiddenDeletion::Deleted, DeleteHiddenFile(name.c_str(), listed.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wide.c_str()));
    EXPECT_EQ(1, RestoreHiddenFile(LastRecord().at(6).c_str()));
    const DWORD back = GetFileAttributesW(wide.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, back);
    EXPECT_TRUE(back & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(HiddenFiles, TheBaselineApprovesWhatIsThereOnceAndOnlyItsOwnSet)
{
    const std::string first = Put(temp_, "first.tmp", FILE_ATTRIBUTE_HIDDEN);
    // Another area's approvals are not this baseline's to make.
    WriteRegString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "late",
                   "late.exe");
    TakeHiddenBaseline();
    EXPECT_EQ("P", ReadStringValue(HKEY_CURRENT_USER, kSeen, nullptr));
    EXPECT_TRUE(Seen(first));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kDetectedKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Orvanto\\Sentrovia\\Run"));

    // With its marker, the set is left alone; without it, it is made again from what is there.
    const std::string second = Put(temp_, "second.tmp", FILE_ATTRIBUTE_HIDDEN);
    TakeHiddenBaseline();
    EXPECT_FALSE(Seen(second));
    WriteRegString(HKEY_CURRENT_USER, kSeen, nullptr, "");
    WriteRegString(HKEY_CURRENT_USER, kSeen, "C:\\gone\\old.tmp", "1/1/2020 1:00 PM");
    TakeHiddenBaseline();
    EXPECT_TRUE(Seen(first));
    EXPECT_TRUE(Seen(second));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kSeen, "C:\\gone\\old.tmp"));
}

TEST_F(HiddenFiles, TheSameFileInAnotherFolderIsNewAgain)
{
    const std::string approved = Put(temp_, "twin.dll", FILE_ATTRIBUTE_HIDDEN);
    const std::string twin = Put(common_, "vendor\\twin.dll", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(1, ApproveHiddenFile(approved.c_str()));
    // Stored with the time of the approval.
    EXPECT_NE(std::string::npos, ReadStringValue(HKEY_CURRENT_USER, kSeen, approved.c_str()).find(':'));
    ApprovalTable seen(AREA_Hidden);
    EXPECT_TRUE(seen.Holds(approved.c_str()));
    EXPECT_FALSE(seen.Holds(twin.c_str()));
}

TEST_F(HiddenFiles, ADeletedFileComesBackFromTheHistoryWithItsContentAndAttributes)
{
    const std::string content("MZ\0\x01\xff binary\r\n tail", 18);
    const std::string file = Put(temp_, "agent.dll", kKeptAttributes, content);
    ASSERT_EQ(1, ApproveHiddenFile(file.c_str()));

    ASSERT_EQ(HiddenDeletion::Deleted, DeleteHiddenFile("Agent Product", file.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kSeen, file.c_str()));
    EXPECT_TRUE(g_shown.empty());
    const std::vector<std::string> record = LastRecord();
    ASSERT_EQ(7u, record.size());
    EXPECT_EQ("*HIDDEN_DeleteFile", record[1]);
    EXPECT_EQ("TYPE_HIDDEN", record[2]);
    EXPECT_EQ("Agent Product", record[3]);
    EXPECT_EQ(Upper(file), Upper(record[4]));
    EXPECT_EQ("", record[5]);
    // The vault holds the file whole beside its record.
    std::vector<std::string> kept = FilesIn(Vault());
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ((std::vector<std::string>{record[6] + ".dat", record[6] + ".txt"}), kept);
    EXPECT_EQ(content, ReadWholeFile(Vault() + "\\" + record[6] + ".dat"));

    const int count = LoadHistory();
    ASSERT_GE(count, 1);
    EXPECT_EQ(1, CanRestoreHistoryEvent(count - 1));
    ASSERT_EQ(1, RestoreHistoryEvent(count - 1));
    EXPECT_EQ(content, ReadWholeFile(file));
    EXPECT_EQ(kKeptAttributes, GetFileAttributesA(file.c_str()) & kKeptAttributes);
    EXPECT_TRUE(Seen(file));
    EXPECT_TRUE(FilesIn(Vault()).empty());

    // A second restore finds no copy: nothing changes and nothing is approved.
    DeleteRegValue(HKEY_CURRENT_USER, kSeen, file.c_str());
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_EQ(0, RestoreHistoryEvent(count - 1));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kSeen, file.c_str()));
    ClearEntryList();
}

TEST_F(HiddenFiles, ARestoreNeverOverwritesWhatStandsInTheFilesPlaceNow)
{
    const std::string file = Put(temp_, "agent.dll", FILE_ATTRIBUTE_HIDDEN, "old");
    ASSERT_EQ(HiddenDeletion::Deleted, DeleteHiddenFile("agent.dll", file.c_str()));
    const std::string token = LastRecord().at(6);
    temp_.Write("agent.dll", "new");
    EXPECT_EQ(0, RestoreHiddenFile(token.c_str()));
    EXPECT_EQ("new", ReadWholeFile(file));
    // The copy waits for a later restore.
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_EQ(1, RestoreHiddenFile(token.c_str()));
    EXPECT_EQ("old", ReadWholeFile(file));
    // Tokens that name no vault file, or a place outside it, restore nothing.
    for (const char *bad : {"", "hidden-0000000000000000", "..\\..\\x", "hidden-..\\..\\boot"})
        EXPECT_EQ(0, RestoreHiddenFile(bad)) << bad;
}

TEST_F(HiddenFiles, NoFileGoesWithoutItsCopyAndItsRecord)
{
    const std::string file = Put(temp_, "agent.dll", kKeptAttributes, "keep me");
    ASSERT_EQ(1, ApproveHiddenFile(file.c_str()));

    // The vault cannot be made: a file stands where its folder would go.
    appData_.Write("Sentrovia\\vault", "in the way");
    program_.Write("vault", "in the way");
    EXPECT_EQ(HiddenDeletion::Refused, DeleteHiddenFile("agent.dll", file.c_str()));
    EXPECT_EQ("keep me", ReadWholeFile(file));
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_NE(std::string::npos, g_shown[0].find("\"agent.dll\" was not removed")) << g_shown[0];
    // No longer seen, whether or not it went: the next check asks again.
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kSeen, file.c_str()));
    DeleteFileA(appData_.File("Sentrovia\\vault").c_str());
    DeleteFileA(program_.File("vault").c_str());

    // The history cannot be written: the file is put back as it was.
    {
        HANDLE locked = CreateFileA(program_.File("history.txt").c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        EXPECT_EQ(HiddenDeletion::Refused, DeleteHiddenFile("agent.dll", file.c_str()));
        CloseHandle(locked);
    }
    EXPECT_EQ("keep me", ReadWholeFile(file));
    EXPECT_EQ(kKeptAttributes, GetFileAttributesA(file.c_str()) & kKeptAttributes);
    EXPECT_TRUE(FilesIn(Vault()).empty());
    EXPECT_EQ(2u, g_shown.size());
    EXPECT_TRUE(ReadWholeFile(program_.File("history.txt")).empty());

    // In use by another: it stays, with nothing recorded or kept.
    {
        HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        EXPECT_EQ(HiddenDeletion::Failed, DeleteHiddenFile("agent.dll", file.c_str()));
        CloseHandle(held);
    }
    EXPECT_EQ("keep me", ReadWholeFile(file));
    EXPECT_TRUE(FilesIn(Vault()).empty());
    EXPECT_TRUE(ReadWholeFile(program_.File("history.txt")).empty());
    EXPECT_EQ(2u, g_shown.size());

    // Gone already, or a folder: nothing to delete.
    EXPECT_EQ(HiddenDeletion::Failed, DeleteHiddenFile("x", temp_.File("none.dll").c_str()));
    EXPECT_EQ(HiddenDeletion::Failed, DeleteHiddenFile("x", temp_.path().c_str()));
    EXPECT_EQ(HiddenDeletion::Failed, DeleteHiddenFile("x", ""));
}

TEST_F(HiddenFiles, ADeletionAtRestartKeepsACopyAndRecordsBeforeItIsScheduled)
{
    // The Windows 98 form of the schedule, so the test leaves no real pending deletion.
    platform_.platformId = VER_PLATFORM_WIN32_WINDOWS;
    windows_.Write("wininit.ini", "");
    const std::string file = Put(temp_, "busy.dll", FILE_ATTRIBUTE_HIDDEN, "until restart");
    ASSERT_EQ(HiddenDeletion::Deleted, DeleteHiddenFileOnRestart("busy.dll", file.c_str()));
    EXPECT_NE(std::string::npos, ReadWholeFile(windows_.File("wininit.ini")).find("NUL="));
    EXPECT_EQ("until restart", ReadWholeFile(file));
    const std::vector<std::string> record = LastRecord();
    ASSERT_EQ(7u, record.size());
    EXPECT_EQ("*HIDDEN_DeleteFile", record[1]);
    EXPECT_EQ("until restart", ReadWholeFile(Vault() + "\\" + record[6] + ".dat"));

    // After the restart the history puts it back, hidden again.
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_EQ(1, RestoreHiddenFile(record[6].c_str()));
    EXPECT_EQ("until restart", ReadWholeFile(file));
    EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(HiddenFiles, UnhideMakesTheFileVisibleAndItLeavesTheList)
{
    const std::string file = Put(temp_, "shy.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(1u, ListedNow().size());
    EXPECT_EQ(1, UnhideFile(file.c_str()));
    EXPECT_EQ(0u, GetFileAttributesA(file.c_str()) &
                      (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ListedNow().empty());
    EXPECT_EQ(0, UnhideFile(temp_.File("none.txt").c_str()));
}

} // namespace

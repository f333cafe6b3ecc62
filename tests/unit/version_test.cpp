#include "version.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"

namespace {

using Slots = const char *[VS_SlotCount];

// A slot that is never written still shows this text.
void FillCanary(VersionRecord &record)
{
    for (auto &slot : record.slot) {
        memset(slot, 'Z', sizeof slot - 1);
        slot[sizeof slot - 1] = '\0';
    }
}

void ExpectSlots(const VersionRecord &record, const Slots &expected)
{
    for (int i = 0; i < VS_SlotCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(expected[i], record.slot[i]);
    }
}

// Reads a fixture with every slot preset to the canary; answers ReadVersionInfo's result.
int ReadFixture(const char *name, VersionRecord &record)
{
    FillCanary(record);
    return ReadVersionInfo(BuildFile(name).c_str(), &record);
}

// What the version API itself reports for one entry (-1 when it is missing): the tests' limits
// are stated in these terms.
long ReportedLength(const char *name, const char *query)
{
    std::string file = BuildFile(name);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    std::vector<char> block(size);
    void *value = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), query, &value, &length))
        return -1;
    return static_cast<long>(length);
}

DWORD VersionBlockSize(const char *name)
{
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(BuildFile(name).c_str(), &handle);
}

TEST(VersionInfo, LastTranslationWithProductNameDecides)
{
    VersionRecord record;
    // German is listed last (its table is stored first) and has no LegalCopyright: that slot is
    // emptied, not left with the English text.
    EXPECT_EQ(1, ReadFixture("vfx_two_translations.exe", record));
    ExpectSlots(record, {"Vfx Deutsche Ausgabe", "2.0.0.2", "Vfx Firma",
                         "Zwei Uebersetzungen, Deutsch", ""});

    // The same tables listed the other way round: English decides.
    EXPECT_EQ(1, ReadFixture("vfx_translation_order.exe", record));
    ExpectSlots(record, {"Vfx English Edition", "1.0.0.1", "Vfx Company",
                         "Two translations, English", "Copyright Vfx EN"});
}

TEST(VersionInfo, TranslationWithoutProductNameChangesNothing)
{
    // German lacks ProductName but has the other names; French has no table at all.
    VersionRecord record;
    EXPECT_EQ(1, ReadFixture("vfx_last_lacks_name.exe", record));
    ExpectSlots(record, {"Vfx English Edition", "1.0.0.1", "Vfx Company",
                         "Two translations, English", "Copyright Vfx EN"});
}

TEST(VersionInfo, MissingNamesLeaveEmptySlots)
{
    VersionRecord record;
    EXPECT_EQ(1, ReadFixture("vfx_missing_names.exe", record));
    ExpectSlots(record, {"Vfx Missing Names", "9.0.0.0", "", "Lacks two names", ""});

    EXPECT_EQ(1, ReadFixture("vfx_odd_translation.exe", record));
    ExpectSlots(record, {"Vfx Whole Pair", "8.1.0.0", "", "", ""});
}

TEST(VersionInfo, ValuesReportedLongerThan127ReadEmpty)
{
    // The reported length counts the terminator: 126 characters report 127.
    const char *file = "vfx_long_values.exe";
    ASSERT_EQ(127, ReportedLength(file, "\\StringFileInfo\\040904e4\\ProductVersion"));
    ASSERT_EQ(128, ReportedLength(file, "\\StringFileInfo\\040904e4\\CompanyName"));
    ASSERT_EQ(129, ReportedLength(file, "\\StringFileInfo\\040904e4\\FileDescription"));

    VersionRecord record;
    EXPECT_EQ(1, ReadFixture(file, record));
    EXPECT_STREQ("Vfx Long Values", record.slot[VS_ProductName]);
    EXPECT_EQ(126u, strlen(record.slot[VS_ProductVersion]));
    EXPECT_EQ(0, strncmp(record.slot[VS_ProductVersion], "V126:abcdef", 11));
    EXPECT_EQ('m', record.slot[VS_ProductVersion][125]);
    EXPECT_STREQ("", record.slot[VS_CompanyName]);
    EXPECT_STREQ("", record.slot[VS_FileDescription]);
    EXPECT_STREQ("Copyright Vfx", record.slot[VS_LegalCopyright]);
}

TEST(VersionInfo, TooLongProductNameStillDecidesButReadsEmpty)
{
    // The German ProductName is present but reported as 128 long: German decides, and the
    // English name does not survive.
    ASSERT_EQ(128, ReportedLength("vfx_long_product_name.exe",
                                  "\\StringFileInfo\\040704e4\\ProductName"));
    VersionRecord record;
    EXPECT_EQ(0, ReadFixture("vfx_long_product_name.exe", record));
    ExpectSlots(record, {"", "4.0.0.2", "Vfx Firma", "Langer Name", "Copyright Vfx DE"});
}

TEST(VersionInfo, OperatingSystemNameTakesDescription)
{
    VersionRecord record;
    EXPECT_EQ(1, ReadFixture("vfx_operating_system.exe", record));
    ExpectSlots(record, {"Vfx Kernel Services", "6.1.7601.1", "Vfx Company",
                         "Vfx Kernel Services", "Copyright Vfx"});

    // Without a description the name becomes empty, and so does the answer.
    EXPECT_EQ(0, ReadFixture("vfx_os_no_description.exe", record));
    ExpectSlots(record, {"", "6.1.0.0", "Vfx Company", "", ""});
}

TEST(VersionInfo, FilesWithoutUsableInformationGiveEmptySlots)
{
    const Slots empty = {"", "", "", "", ""};
    VersionRecord record;
    EXPECT_EQ(0, ReadFixture("vfx_no_version.exe", record));
    ExpectSlots(record, empty);
    EXPECT_EQ(0, ReadFixture("vfx_not_built_anywhere.exe", record));
    ExpectSlots(record, empty);

    FillCanary(record);
    EXPECT_EQ(0, ReadVersionInfo(nullptr, &record));
    ExpectSlots(record, empty);
    EXPECT_EQ(0, ReadVersionInfo(BuildFile("vfx_two_translations.exe").c_str(), nullptr));
}

TEST(VersionInfo, OversizedBlockIsIgnored)
{
    // A complete table that would read well, were the block not above 8191 bytes.
    ASSERT_GT(VersionBlockSize("vfx_huge_version.exe"), 8191u);
    ASSERT_LE(VersionBlockSize("vfx_two_translations.exe"), 8191u);
    VersionRecord record;
    EXPECT_EQ(0, ReadFixture("vfx_huge_version.exe", record));
    ExpectSlots(record, {"", "", "", "", ""});
}

TEST(VersionInfo, HalfTranslationPairIsNotRead)
{
    // Just past each table lies the code page 0, and a table for it exists: reading a half
    // pair would find it.
    const char *shortTable = "vfx_short_translation.exe";
    const char *oddTable = "vfx_odd_translation.exe";
    ASSERT_EQ(2, ReportedLength(shortTable, "\\VarFileInfo\\Translation"));
    ASSERT_EQ(6, ReportedLength(oddTable, "\\VarFileInfo\\Translation"));
    ASSERT_GT(ReportedLength(shortTable, "\\StringFileInfo\\04090000\\ProductName"), 0);
    ASSERT_GT(ReportedLength(oddTable, "\\StringFileInfo\\04070000\\ProductName"), 0);

    VersionRecord record;
    EXPECT_EQ(0, ReadFixture(shortTable, record));
    ExpectSlots(record, {"", "", "", "", ""});
    EXPECT_EQ(1, ReadFixture(oddTable, record));
    EXPECT_STREQ("Vfx Whole Pair", record.slot[VS_ProductName]);
    EXPECT_STREQ("8.1.0.0", record.slot[VS_ProductVersion]);
}

TEST(VersionInfo, ReadsTheRealPrograms)
{
    VersionRecord record;
    EXPECT_EQ(1, ReadFixture("Sentrovia.exe", record));
    ExpectSlots(record, {"Sentrovia", "15.9.2008.0", "Orvanto", "Sentrovia Monitor",
                         "Copyright (C) 2026 Orvanto"});
    EXPECT_EQ(1, ReadFixture("SentroviaEx.exe", record));
    EXPECT_STREQ("Sentrovia", record.slot[VS_ProductName]);
    EXPECT_STREQ("15.9.2008.0", record.slot[VS_ProductVersion]);
}

// A scratch program folder of this process, holding copies under the programs' names.
class VersionText : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(sizeof temp, temp);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, sizeof temp);
        folder_ = std::string(temp) + "vfx_text_" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        override_.programFolder = folder_.c_str();
        SetPlatformOverride(&override_);
    }
    void TearDown() override
    {
        SetPlatformOverride(nullptr);
        for (const std::string &file : copies_)
            DeleteFileA(file.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
            RemoveDirectoryA(it->c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    // Copies a built file into the scratch folder (or a subfolder of it) under a new name.
    std::string Place(const char *built, const std::string &asName)
    {
        std::string target = folder_ + "\\" + asName;
        size_t slash = asName.rfind('\\');
        if (slash != std::string::npos) {
            std::string sub = folder_ + "\\" + asName.substr(0, slash);
            if (CreateDirectoryA(sub.c_str(), nullptr))
                folders_.push_back(sub);
        }
        EXPECT_TRUE(CopyFileA(BuildFile(built).c_str(), target.c_str(), FALSE)) << target;
        copies_.push_back(target);
        return target;
    }
    static std::string TextFor(const std::string &ownFile)
    {
        char text[300];
        memset(text, 'Z', sizeof text);
        EXPECT_EQ(1, ProgramVersionTextFor(ownFile.c_str(), text, sizeof text));
        return text;
    }

    std::string folder_;
    std::vector<std::string> copies_;
    std::vector<std::string> folders_;
    PlatformOverride override_;
};

TEST_F(VersionText, BothProgramsGiveFirstColonSecond)
{
    Place("vfx_missing_names.exe", "Sentrovia.exe");        // 9.0.0.0
    Place("vfx_two_translations.exe", "SentroviaEx.exe");   // 2.0.0.2
    char text[300];
    memset(text, 'Z', sizeof text);
    EXPECT_EQ(1, ProgramVersionText(text, sizeof text));
    EXPECT_STREQ("9.0.0.0:2.0.0.2", text);
}

TEST_F(VersionText, RealProgramsGiveTheirVersions)
{
    Place("Sentrovia.exe", "Sentrovia.exe");
    Place("SentroviaEx.exe", "SentroviaEx.exe");
    char text[300];
    EXPECT_EQ(1, ProgramVersionText(text, sizeof text));
    EXPECT_STREQ("15.9.2008.0:15.9.2008.0", text);
}

TEST_F(VersionText, MissingSecondProgramGivesFirstAlone)
{
    Place("vfx_missing_names.exe", "Sentrovia.exe");
    char text[300];
    memset(text, 'Z', sizeof text);
    EXPECT_EQ(1, ProgramVersionText(text, sizeof text));
    EXPECT_STREQ("9.0.0.0", text);
}

TEST_F(VersionText, HijackCopyPutsItsOwnVersionSecond)
{
    Place("vfx_two_translations.exe", "SentroviaEx.exe");
    std::string own = Place("vfx_operating_system.exe", "Vfx-HiJack-Copy.exe");  // 6.1.7601.1

    // Sentrovia.exe missing: no colon before the copy's own version.
    EXPECT_EQ("6.1.7601.1", TextFor(own));

    Place("vfx_missing_names.exe", "Sentrovia.exe");
    EXPECT_EQ("9.0.0.0:6.1.7601.1", TextFor(own));
}

TEST_F(VersionText, HijackCountsOnlyInTheFileName)
{
    Place("vfx_missing_names.exe", "Sentrovia.exe");
    Place("vfx_two_translations.exe", "SentroviaEx.exe");
    std::string own = Place("vfx_operating_system.exe", "hijack\\plain.exe");
    EXPECT_EQ("9.0.0.0:2.0.0.2", TextFor(own));
}

TEST_F(VersionText, ShortBufferKeepsTheCutText)
{
    Place("vfx_missing_names.exe", "Sentrovia.exe");
    Place("vfx_two_translations.exe", "SentroviaEx.exe");
    char text[6];
    EXPECT_EQ(0, ProgramVersionText(text, sizeof text));
    EXPECT_STREQ("9.0.0", text);
}

TEST(VersionDll, CommonControlsReportWines581)
{
    unsigned int version = CommonControlsVersion();
    EXPECT_GT(version, 262214u);   // newer than 4.70
    EXPECT_EQ(5u, version >> 16);
    EXPECT_EQ(81u, version & 0xFFFF);
}

TEST(VersionDll, PacksMajorAndMinorFromTheOriginalStructure)
{
    // The fixture answers only a 20-byte structure.
    EXPECT_EQ(7u * 65536u + 42u, DllPackedVersion(BuildFile("vfx_dllversion.dll").c_str()));
    // Loaded for the question only.
    EXPECT_EQ(nullptr, GetModuleHandleA("vfx_dllversion.dll"));
}

TEST(VersionDll, MissingFunctionOrLibraryGivesZero)
{
    EXPECT_EQ(0u, DllPackedVersion(BuildFile("vfx_plain.dll").c_str()));
    EXPECT_EQ(nullptr, GetModuleHandleA("vfx_plain.dll"));
    EXPECT_EQ(0u, DllPackedVersion(BuildFile("vfx_not_built_anywhere.dll").c_str()));
    EXPECT_EQ(0u, DllPackedVersion(nullptr));
}

class VersionAppPaths : public ::testing::Test {
protected:
    static constexpr char kKey[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vfx_tool.exe";

    void SetUp() override
    {
        memset(version_, 'Z', sizeof version_ - 1);
        version_[sizeof version_ - 1] = '\0';
        memset(path_, 'Z', sizeof path_ - 1);
        path_[sizeof path_ - 1] = '\0';
    }
    int Lookup(const char *name = "vfx_tool.exe")
    {
        return AppPathsLookup(name, version_, sizeof version_, path_, sizeof path_);
    }

    RegistrySandbox sandbox_;
    char version_[128];
    char path_[300];
};

TEST_F(VersionAppPaths, ExistingFileGivesItsVersionAndPath)
{
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "",
                                BuildFile("vfx_two_translations.exe").c_str()));
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "Path", "C:\\Vfx\\Tools;"));
    EXPECT_EQ(1, Lookup());
    EXPECT_STREQ("2.0.0.2", version_);
    EXPECT_STREQ("C:\\Vfx\\Tools;", path_);
}

TEST_F(VersionAppPaths, ExistingFileWithoutVersionOrPathStillCounts)
{
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "",
                                BuildFile("vfx_no_version.exe").c_str()));
    EXPECT_EQ(1, Lookup());
    EXPECT_STREQ("", version_);
    EXPECT_STREQ("", path_);
}

TEST_F(VersionAppPaths, MissingFileGivesEmptyTexts)
{
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "",
                                BuildFile("vfx_not_built_anywhere.exe").c_str()));
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "Path", "C:\\Vfx\\Tools"));
    EXPECT_EQ(0, Lookup());
    EXPECT_STREQ("", version_);
    EXPECT_STREQ("", path_);
}

TEST_F(VersionAppPaths, FolderOrMissingKeyGivesEmptyTexts)
{
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "", BuildFolder().c_str()));
    ASSERT_EQ(1, WriteRegString(HKEY_LOCAL_MACHINE, kKey, "Path", "C:\\Vfx\\Tools"));
    EXPECT_EQ(0, Lookup());
    EXPECT_STREQ("", version_);
    EXPECT_STREQ("", path_);

    SetUp();
    EXPECT_EQ(0, Lookup("vfx_unregistered.exe"));
    EXPECT_STREQ("", version_);
    EXPECT_STREQ("", path_);
}

} // namespace

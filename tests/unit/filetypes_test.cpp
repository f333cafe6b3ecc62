// File-type associations over a sandboxed registry: the three sources, the monitored list, the
// approved copy and writing it back.
#include "filetypes.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entries.h"
#include "registry.h"
#include "regsandbox.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr char kClassKey[] = "Software\\Orvanto\\Sentrovia\\Class";
constexpr char kExtKey[] = "Software\\Orvanto\\Sentrovia\\Ext";
constexpr char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

struct Listed {
    std::string title, path, detail, ext;
    int source;
    bool operator==(const Listed &) const = default;
};

void PrintTo(const Listed &l, std::ostream *out)
{
    *out << "{" << l.title << " | " << l.path << " | " << l.detail << " | " << l.ext << " | "
         << l.source << "}";
}

std::string Read(HKEY root, const std::string &path, const char *name)
{
    return ReadStringValue(root, path.c_str(), name);
}

class FileTypes : public ::testing::Test {
protected:
    void SetUp() override { ClearEntryList(); }
    void TearDown() override { ClearEntryList(); }

    // Source 1: HKLM's class of the extension and its open command.
    static void SystemClass(const std::string &ext, const std::string &progId,
                            const std::string &command, const char *description = nullptr)
    {
        WriteRegString(HKEY_LOCAL_MACHINE, ("Software\\Classes\\." + ext).c_str(), nullptr,
                       progId.c_str());
        SystemCommand(progId, command);
        if (description != nullptr)
            WriteRegString(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + progId).c_str(), nullptr,
                           description);
    }
    static void SystemCommand(const std::string &progId, const std::string &command)
    {
        WriteRegString(HKEY_LOCAL_MACHINE,
                       ("Software\\Classes\\" + progId + "\\shell\\open\\command").c_str(), nullptr,
                       command.c_str());
    }
    static std::string SystemCommandNow(const std::string &progId)
    {
        return Read(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + progId + "\\shell\\open\\command",
                    nullptr);
    }
    // Sources 2 and 3: what Explorer chose for the extension.
    static void ExplorerChoice(const std::string &ext, const char *application, const char *progId)
    {
        const std::string key = kFileExts + ("." + ext);
        if (application != nullptr) {
            WriteRegString(HKEY_CURRENT_USER, key.c_str(), "Application", application);
            WriteRegString(HKEY_CLASSES_ROOT,
                           ("Applications\\" + std::string(application) + "\\shell\\open\\command")
                               .c_str(),
                           nullptr, "C:\\Apps\\viewer.exe \"%1\"");
        }
        if (progId != nullptr) {
            WriteRegString(HKEY_CURRENT_USER, key.c_str(), "ProgID", progId);
            WriteRegString(HKEY_CLASSES_ROOT,
                           (std::string(progId) + "\\shell\\open\\command").c_str(), nullptr,
                           "C:\\Apps\\editor.exe %1");
        }
    }
    static void Monitor(const char *list)
    {
        WriteRegString(HKEY_CURRENT_USER, kClassKey, nullptr, list);
        WriteRegString(HKEY_CURRENT_USER, kExtKey, nullptr, "Do not edit.");
    }
    static std::vector<Listed> Listing()
    {
        std::vector<Listed> listed;
        for (int i = 0, count = EnumFileTypes(); i < count; ++i) {
            char detail[kDetailWidth + 1], ext[kDescriptionWidth + 1];
            EntryDetail(i, detail, sizeof detail);
            EntryDescription(i, ext, sizeof ext);
            EXPECT_EQ(kFileTypeKind, EntryKind(i));
            listed.push_back({EntryWholeTitle(i), EntryWholePath(i), detail, ext, EntryExtra(i)});
        }
        ClearEntryList();
        return listed;
    }
    static std::string List() { return Read(HKEY_CURRENT_USER, kClassKey, nullptr); }

    RegistrySandbox sandbox_;
};

TEST_F(FileTypes, EachSourceThatAnswersGivesOneEntryInListOrder)
{
    SystemClass("vfx", "VfxFile", "C:\\Vfx\\open.exe \"%1\"", "Vfx Document");
    ExplorerChoice("vfx", "viewer.exe", "Vfx.Edit");
    ExplorerChoice("dat", nullptr, "Dat.Edit");
    Monitor("vfx;none;DAT;");
    const std::vector<Listed> expected = {
        {"Vfx Document", "C:\\Vfx\\open.exe %1", "VfxFile", ".vfx", SOURCE_System},
        {"viewer", "C:\\Apps\\viewer.exe %1", "viewer.exe", ".vfx", SOURCE_Application},
        {"editor", "C:\\Apps\\editor.exe %1", "Vfx.Edit", ".vfx", SOURCE_ProgId},
        {"editor", "C:\\Apps\\editor.exe %1", "Dat.Edit", ".DAT", SOURCE_ProgId},
    };
    EXPECT_EQ(expected, Listing());

    char className[64], command[64];
    EXPECT_EQ(0, LookUpAssociation("none", SOURCE_System, className, sizeof className, command,
                                   sizeof command));
    EXPECT_STREQ("", className);
    EXPECT_EQ(1, LookUpAssociation(".vfx", SOURCE_System, className, sizeof className, command,
                                   sizeof command));
    EXPECT_STREQ("VfxFile", className);
    EXPECT_STREQ("C:\\Vfx\\open.exe \"%1\"", command);
}

TEST_F(FileTypes, BrokenAssociationsAndListsAreSkippedNotFollowed)
{
    // A class that points to nothing, an open command of the wrong type, an empty class.
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.gone", nullptr, "NoSuchClass");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.num", nullptr, "NumFile");
    WriteRegNumber(HKEY_LOCAL_MACHINE, "Software\\Classes\\NumFile\\shell\\open\\command", nullptr,
                   7);
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.empty", nullptr, "");
    SystemClass("ok", "OkFile", "C:\\ok.exe %1");
    Monitor("gone;num;empty;;ok;");
    ASSERT_EQ(1u, Listing().size());

    // A list without separators is one extension; a list over 1024 characters is read to there.
    Monitor("okgoneempty");
    EXPECT_TRUE(Listing().empty());
    std::string longList;
    while (longList.size() < 1100)
        longList += "zz;";
    Monitor((longList + "ok;").c_str());
    EXPECT_TRUE(Listing().empty());
    EXPECT_EQ(IDS_FILE_TYPES_LIMIT, AddMonitoredType("ok"));
}

TEST_F(FileTypes, AddingTakesTheExtensionAsTypedOnceAndWithinTheListsRoom)
{
    SystemClass("log", "LogFile", "C:\\Logs\\view.exe %1");
    Monitor("AVI;BAT;");
    EXPECT_EQ(IDS_FILE_TYPE_ALREADY_WATCHED, AddMonitoredType(".avi"));
    EXPECT_EQ(IDS_FILE_TYPE_ALREADY_WATCHED, AddMonitoredType(" bat "));
    EXPECT_EQ(0, AddMonitoredType("  .log "));
    EXPECT_EQ("AVI;BAT;log;", List());
    // Its association is approved as it is now.
    EXPECT_EQ("LogFile", Read(HKEY_CURRENT_USER, kExtKey, ".log"));
    EXPECT_EQ("C:\\Logs\\view.exe %1", Read(HKEY_CURRENT_USER, kClassKey, "LogFile"));
    EXPECT_EQ(kNothingToAdd, AddMonitoredType("   "));
    EXPECT_EQ(kNothingToAdd, AddMonitoredType(" . "));
    EXPECT_EQ("AVI;BAT;log;", List());

    // 1000 characters leave no room for 20 more.
    std::string full;
    while (full.size() < 1000)
        full += "abcd;";
    Monitor(full.c_str());
    EXPECT_EQ(IDS_FILE_TYPES_LIMIT, AddMonitoredType("twentycharacterslong"));
    EXPECT_EQ(full, List());
    // A list that lost its last separator keeps its last extension.
    Monitor("AVI;BAT");
    EXPECT_EQ(0, AddMonitoredType("log"));
    EXPECT_EQ("AVI;BAT;log;", List());
}

TEST_F(FileTypes, RestoreWritesBackExactlyWhatWasApproved)
{
    SystemClass("vfx", "VfxFile", "\"C:\\Program Files\\Vfx\\open.exe\" \"%1\"");
    ExplorerChoice("vfx", "viewer.exe", nullptr);
    Monitor("vfx;");
    ASSERT_EQ(1, RecordAssociation("vfx", SOURCE_System));
    ASSERT_EQ(1, RecordAssociation(".vfx", SOURCE_Application));
    // Another program takes the extension over.
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.vfx", nullptr, "Hijack");
    SystemCommand("Hijack", "C:\\bad.exe %1");
    SystemCommand("VfxFile", "C:\\bad.exe %1");
    WriteRegString(HKEY_CURRENT_USER, (std::string(kFileExts) + ".vfx").c_str(), "Application",
                   "bad.exe");
    RestoreAssociation("vfx", SOURCE_System);
    RestoreAssociation("vfx", SOURCE_Application);
    EXPECT_EQ("VfxFile", Read(HKEY_LOCAL_MACHINE, "Software\\Classes\\.vfx", nullptr));
    EXPECT_EQ("\"C:\\Program Files\\Vfx\\open.exe\" \"%1\"", SystemCommandNow("VfxFile"));
    EXPECT_EQ("viewer.exe",
              Read(HKEY_CURRENT_USER, std::string(kFileExts) + ".vfx", "Application"));
    // Nothing approved for a source: nothing written.
    RestoreAssociation("vfx", SOURCE_ProgId);
    EXPECT_EQ("<missing>", Read(HKEY_CURRENT_USER, std::string(kFileExts) + ".vfx", "ProgID"));

    // A command longer than any fixed buffer is listed, approved and written back whole.
    const std::string longCommand = "C:\\" + std::string(1500, 'l') + "\\open.exe %1";
    SystemCommand("VfxFile", longCommand);
    const std::vector<Listed> listed = Listing();
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(longCommand, listed[0].path);
    ASSERT_EQ(1, RecordAssociation("vfx", SOURCE_System));
    SystemCommand("VfxFile", "C:\\bad.exe %1");
    RestoreAssociation("vfx", SOURCE_System);
    EXPECT_EQ(longCommand, SystemCommandNow("VfxFile"));
}

TEST_F(FileTypes, RemovingAnExtensionKeepsTheCommandOfAClassStillInUse)
{
    SystemClass("htm", "HtmlFile", "C:\\Web\\browser.exe %1");
    SystemClass("html", "HtmlFile", "C:\\Web\\browser.exe %1");
    SystemClass("ini", "IniFile", "C:\\Text\\notes.exe %1");
    Monitor("htm;html;ini;");
    for (const char *ext : {"htm", "html", "ini"})
        RecordAssociation(ext, SOURCE_System);
    EXPECT_EQ(1, IsClassInUse("HtmlFile"));
    RemoveMonitoredType("HTM");
    EXPECT_EQ("html;ini;", List());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kExtKey, ".HTM"));
    EXPECT_EQ("C:\\Web\\browser.exe %1", Read(HKEY_CURRENT_USER, kClassKey, "HtmlFile"));
    RemoveMonitoredType("ini");
    EXPECT_EQ("html;", List());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kClassKey, "IniFile"));
    EXPECT_EQ(0, IsClassInUse("IniFile"));
}

TEST_F(FileTypes, ClassInfoIsMadeOnceAndRemadeWhenTheMarkerAsks)
{
    SystemClass("txt", "txtfile", "C:\\Text\\notes.exe %1");
    const int made = CreateClassInfo();
    EXPECT_GT(made, 0);
    char defaults[1025];
    LoadText(IDS_DEFAULT_FILE_TYPES, defaults);
    EXPECT_EQ(defaults, List());
    EXPECT_EQ("Do not edit.", Read(HKEY_CURRENT_USER, kExtKey, nullptr));
    EXPECT_EQ("C:\\Text\\notes.exe %1", Read(HKEY_CURRENT_USER, kClassKey, "txtfile"));

    // A 12-character marker and a well-formed list: left alone.
    SystemCommand("txtfile", "C:\\Other\\edit.exe %1");
    EXPECT_EQ(0, CreateClassInfo());
    EXPECT_EQ("C:\\Text\\notes.exe %1", Read(HKEY_CURRENT_USER, kClassKey, "txtfile"));
    // An 11-character marker: every association is recorded again and the marker rewritten.
    WriteRegString(HKEY_CURRENT_USER, kExtKey, nullptr, "Do not edit");
    EXPECT_EQ(0, CreateClassInfo());
    EXPECT_EQ("C:\\Other\\edit.exe %1", Read(HKEY_CURRENT_USER, kClassKey, "txtfile"));
    EXPECT_EQ("Do not edit.", Read(HKEY_CURRENT_USER, kExtKey, nullptr));
    // A list that lost its separators is made again.
    WriteRegString(HKEY_CURRENT_USER, kClassKey, nullptr, "TXTLOGDOCXLS");
    EXPECT_GT(CreateClassInfo(), 0);
    EXPECT_EQ(defaults, List());
}

TEST_F(FileTypes, CommandsAreShownByTheirProgramAndTailsCompareAfterTheLastBackslash)
{
    char text[128];
    const struct {
        const char *command, *shown;
    } cases[] = {{"%1 %*", "Executable"},
                 {"%1 /s", "Executable"},
                 {"", "No Associated File"},
                 {"C:\\Windows\\System32\\notepad.exe %1", "NOTEPAD.EXE"},
                 {"rundll32.exe C:\\Windows\\System32\\shimgvw.dll,ImageView %1", "SHIMGVW.DLL"}};
    for (const auto &c : cases) {
        CommandDisplay(c.command, text, sizeof text);
        EXPECT_STREQ(c.shown, text) << c.command;
    }
    EXPECT_STREQ("open.exe %1", CommandTail("C:\\A\\B\\open.exe %1"));
    EXPECT_STREQ("open.exe", CommandTail("open.exe"));
    EXPECT_STREQ("x.txt", CommandTail("C:\\open.exe C:\\x.txt"));

    SystemClass("ico", "IcoFile", "C:\\Pics\\view.exe %1");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\IcoFile\\DefaultIcon", nullptr,
                   "C:\\Pics\\icons,with,commas.dll,-3");
    int index = 9;
    FileTypeIcon("ico", SOURCE_System, text, sizeof text, &index);
    EXPECT_STREQ("C:\\Pics\\icons,with,commas.dll", text);
    EXPECT_EQ(-3, index);
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\IcoFile\\DefaultIcon", nullptr,
                   "C:\\Pics\\plain.ico");
    FileTypeIcon(".ico", SOURCE_System, text, sizeof text, &index);
    EXPECT_STREQ("C:\\Pics\\view.exe %1", text);
    EXPECT_EQ(0, index);
}

} // namespace

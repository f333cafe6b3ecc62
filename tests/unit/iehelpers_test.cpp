#include "iehelpers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "area.h"
#include "buildfiles.h"
#include "entries.h"
#include "files.h"
#include "history.h"
#include "init.h"
#include "messages.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup.h"
#include "startup_helpers.h"
#include "text.h"

namespace {

constexpr char kHelperObjects[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kToolbar[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kExtensions[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr char kStats[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibility[] = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kHelpersSnapshot[] = "Software\\Orvanto\\Sentrovia\\IEHelpers";
constexpr char kActiveXSnapshot[] = "Software\\Orvanto\\Sentrovia\\ActiveX";
constexpr char kActiveXDetected[] = "Software\\Orvanto\\Detected\\ActiveX";
constexpr char kHelpersDetected[] = "Software\\Orvanto\\Detected\\IEHelper";

std::string Under(const char *parent, const std::string &name)
{
    return std::string(parent) + "\\" + name;
}

// A class under HKEY_CLASSES_ROOT\CLSID: its description and, unless null, its server.
void SetClass(const std::string &classId, const char *description, const char *server)
{
    const std::string key = "CLSID\\" + classId;
    CreateRegKey(HKEY_CLASSES_ROOT, key.c_str());
    if (description != nullptr)
        WriteRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, description);
    if (server != nullptr)
        WriteRegString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), nullptr, server);
}

void SetNumber(HKEY root, const std::string &path, const char *name, DWORD number)
{
    WriteRawValue(root, path.c_str(), name, REG_DWORD, &number, sizeof number);
}

// The stored "Compatibility Flags" as the registry holds them; 0xDEAD when not a REG_DWORD.
DWORD StoredFlags(const std::string &classId)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, Under(kCompatibility, classId).c_str(),
                     "Compatibility Flags", RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0xDEAD;
    return value;
}

// Every key and value below a key, byte for byte, one line each, in a stable order.
void CollectTree(HKEY root, const std::string &path, const std::string &relative,
                 std::vector<std::string> &lines)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines.push_back("key [" + relative + "]");
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD nameLength = sizeof name;
        BYTE data[4096];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        std::string bytes;
        for (DWORD i = 0; i < size; ++i) {
            char hex[4];
            snprintf(hex, sizeof hex, "%02x", data[i]);
            bytes += hex;
        }
        lines.push_back("value [" + relative + "] [" + std::string(name, nameLength) + "] " +
                        std::to_string(type) + " " + bytes);
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name, length);
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys)
        CollectTree(root, path + "\\" + subkey,
                    relative.empty() ? subkey : relative + "\\" + subkey, lines);
}

std::vector<std::string> Tree(HKEY root, const std::string &path)
{
    std::vector<std::string> lines;
    CollectTree(root, path, "", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Text in the vault files' hexadecimal.
std::string Hex(const std::string &text)
{
    std::string out;
    char pair[4];
    for (unsigned char c : text) {
        snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out;
}

// The path as the entry list keeps it.
std::string AsListed(const std::string &path) { return ListedCommandOf(path.c_str()); }

// The path an ActiveX listing gives a server: its clean form, as the list keeps it.
std::string ListedClean(const std::string &server)
{
    char clean[1024];
    CleanPath(server.c_str(), clean, sizeof clean);
    return ListedCommandOf(clean);
}

std::vector<std::string> Details(const std::vector<::Listed> &list)
{
    std::vector<std::string> details;
    for (const ::Listed &entry : list)
        details.push_back(entry.detail);
    return details;
}

bool WriteWhole(const std::string &path, const std::string &text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = text.empty() || WriteFile(file, text.data(), static_cast<DWORD>(text.size()),
                                              &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

struct Shown {
    std::string text;
    std::string caption;
};
std::vector<Shown> g_shown;

int Respond(const char *text, const char *caption, UINT)
{
    g_shown.push_back({text, caption});
    return IDOK;
}

struct Record {
    std::string action, type, title, path, detail, kept;
    bool operator==(const Record &) const = default;
};

void PrintTo(const Record &r, std::ostream *out)
{
    *out << "{" << r.action << ", " << r.type << ", \"" << r.title << "\", \"" << r.path << "\", \""
         << r.detail << "\", \"" << r.kept << "\"}";
}

class IEHelpers : public ::testing::Test {
protected:
    IEHelpers() { platform_.programFolder = programFolder_.path().c_str(); }
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_History] = 1;
        SetPlatformOverride(&platform_);
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
        g_shown.clear();
        previousResponder_ = SetMessageResponder(Respond);
    }
    void TearDown() override
    {
        SetMessageResponder(previousResponder_);
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
        ClearEntryList();
    }

    // A copy of a built fixture among the helpers' files.
    std::string Fixture(const char *fixture, const std::string &as) const
    {
        return CopyFixture(files_, fixture, as);
    }
    std::string HistoryFile() const { return programFolder_.File("history.txt"); }
    std::string Vault() const { return appData_.File("Sentrovia\\vault"); }

    // Every record of history.txt without its date.
    std::vector<Record> History() const
    {
        std::vector<Record> records;
        const std::string text = ReadWholeFile(HistoryFile());
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            const std::string line = text.substr(start, end - start);
            start = end == std::string::npos ? text.size() : end + 2;
            std::vector<std::string> fields;
            size_t from = 0;
            for (size_t tab = line.find('\t'); tab != std::string::npos;
                 tab = line.find('\t', from)) {
                fields.push_back(line.substr(from, tab - from));
                from = tab + 1;
            }
            fields.push_back(line.substr(from));
            fields.resize(7);
            records.push_back({fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]});
        }
        return records;
    }

    // Restores the history's last record as the history viewer does.
    int RestoreLastRecord()
    {
        const int count = LoadHistory();
        EXPECT_GT(count, 0);
        return count > 0 ? RestoreHistoryEvent(count - 1) : -1;
    }

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    ScratchFolder appData_{"appdata"};
    // Not named after the product: a title holding its name would be listed as the product.
    ScratchFolder files_{"helpers"};
    PlatformOverride platform_;
    MessageResponder previousResponder_ = nullptr;
};

// ---- Listing the helpers ----

TEST_F(IEHelpers, ObjectsToolbarsAndExtensionsAreListedInThatOrderWithTheirFields)
{
    // Written in the reverse order, so the listing's order is its own.
    const std::string exec = files_.File("ext\\notes.exe");
    WriteRegString(HKEY_LOCAL_MACHINE,
                   Under(kExtensions, "{33333333-0000-0000-0000-000000000001}").c_str(),
                   "ButtonText", "Notes");
    WriteRegString(HKEY_LOCAL_MACHINE,
                   Under(kExtensions, "{33333333-0000-0000-0000-000000000001}").c_str(), "Exec",
                   exec.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE,
                   Under(kExtensions, "{33333333-0000-0000-0000-000000000001}").c_str(), "HotIcon",
                   "C:\\icons\\notes.ico");

    const std::string bar = Fixture("vfx_system_copyright.exe", "bar\\bar.dll");
    // Named without its braces; the class is registered with them.
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, "22222222-0000-0000-0000-000000000001", "");
    SetClass("{22222222-0000-0000-0000-000000000001}", "Bar class", bar.c_str());
    // A toolbar whose class has no server is listed all the same, without a path.
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, "{22222222-0000-0000-0000-000000000002}", "");
    SetClass("{22222222-0000-0000-0000-000000000002}", "Serverless bar", nullptr);

    const std::string agent = Fixture("vfx_missing_names.exe", "bho\\agent.dll");
    const std::string plain = Fixture("vfx_no_version.exe", "bho\\plain.dll");
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000001}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000001}", "Agent class", agent.c_str());
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000002}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000002}", nullptr, plain.c_str());
    // A helper object whose class has no server is no helper.
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000003}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000003}", "Serverless", nullptr);
    // Nor is one without a class at all.
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000004}").c_str());

    AddEntry("left over", "C:\\x.exe", "", "", 11, 0);
    EXPECT_EQ(5, EnumIEHelpers());
    const std::vector<::Listed> expected = {
        {"Vfx Missing Names", AsListed(agent), "{11111111-0000-0000-0000-000000000001}", "9.0.0.0",
         kBhoKind, 0},
        {"plain.dll", AsListed(plain), "{11111111-0000-0000-0000-000000000002}", "", kBhoKind, 0},
        {"Vfx Shell Hook", AsListed(bar), "22222222-0000-0000-0000-000000000001", "5.1.2600.0",
         kToolbarKind, 0},
        {"", "", "{22222222-0000-0000-0000-000000000002}", "", kToolbarKind, 0},
        {"Notes", AsListed(exec), "{33333333-0000-0000-0000-000000000001}", "C:\\icons\\notes.ico",
         kExtensionKind, 0},
    };
    EXPECT_EQ(expected, ListedEntries());
}

TEST_F(IEHelpers, ExtensionsAreNamedByTheirButtonOrTheirProgram)
{
    const std::string tool = Fixture("vfx_missing_names.exe", "ext\\tool.exe");
    const auto extension = [](const char *name, const char *button, const char *exec,
                              const char *script, const char *hotIcon) {
        const std::string key = Under(kExtensions, name);
        CreateRegKey(HKEY_LOCAL_MACHINE, key.c_str());
        const std::pair<const char *, const char *> values[] = {
            {"ButtonText", button}, {"Exec", exec}, {"script", script}, {"HotIcon", hotIcon}};
        for (const auto &[value, text] : values)
            if (text != nullptr)
                WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), value, text);
    };
    extension("A-related", "@C:\\WINDOWS\\System32\\SHDOCLC.DLL,-864", "C:\\nowhere\\rel.exe",
              nullptr, "C:\\icons\\rel.ico");
    // The program's product name wins over "Related" and over a button's own text.
    extension("B-related-program", "@shdoclc.dll,-864", tool.c_str(), nullptr, "");
    extension("C-named-program", "Tool button", tool.c_str(), nullptr, nullptr);
    // Without Exec the script is the path; without a hot icon the path is the description.
    extension("D-script", "Script button", nullptr, "C:\\scripts\\note.htm", nullptr);
    extension("E-empty-icon", "Empty icon", "C:\\nowhere\\e.exe", "C:\\scripts\\unused.htm", "");
    // No button text, or an empty one: no button.
    extension("F-no-button", nullptr, "C:\\nowhere\\f.exe", nullptr, nullptr);
    extension("G-empty-button", "", "C:\\nowhere\\g.exe", nullptr, nullptr);

    EXPECT_EQ(5, EnumIEHelpers());
    const std::vector<::Listed> expected = {
        {"Related", "C:\\nowhere\\rel.exe", "A-related", "C:\\icons\\rel.ico", kExtensionKind, 0},
        {"Vfx Missing Names", AsListed(tool), "B-related-program", tool, kExtensionKind, 0},
        {"Vfx Missing Names", AsListed(tool), "C-named-program", tool, kExtensionKind, 0},
        {"Script button", "C:\\scripts\\note.htm", "D-script", "C:\\scripts\\note.htm",
         kExtensionKind, 0},
        {"Empty icon", "C:\\nowhere\\e.exe", "E-empty-icon", "C:\\nowhere\\e.exe", kExtensionKind,
         0},
    };
    EXPECT_EQ(expected, ListedEntries());
}

TEST_F(IEHelpers, AMissingKeyLeavesTheOtherKindsListed)
{
    const std::string bar = Fixture("vfx_missing_names.exe", "bar\\bar.dll");
    SetClass("{22222222-0000-0000-0000-000000000001}", "Bar class", bar.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, "{22222222-0000-0000-0000-000000000001}", "");
    EXPECT_EQ(1, EnumIEHelpers());
    EXPECT_EQ(kToolbarKind, EntryKind(0));

    DeleteRegTree(HKEY_LOCAL_MACHINE, kToolbar);
    AddEntry("left over", "C:\\x.exe", "", "", 11, 0);
    EXPECT_EQ(0, EnumIEHelpers());
    EXPECT_EQ(0, EntryCount());
}

TEST_F(IEHelpers, AFullListTakesNoMoreAndKeepsWhatCameFirst)
{
    const std::string agent = Fixture("vfx_missing_names.exe", "bho\\agent.dll");
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000001}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000001}", "Agent class", agent.c_str());
    HKEY toolbar = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kToolbar, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &toolbar, nullptr));
    for (int i = 0; i < kMaxEntries + 4; ++i) {
        char name[64];
        snprintf(name, sizeof name, "{%08d-0000-0000-0000-000000000000}", i);
        RegSetValueExA(toolbar, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
    }
    RegCloseKey(toolbar);
    WriteRegString(HKEY_LOCAL_MACHINE, Under(kExtensions, "late").c_str(), "ButtonText", "Late");

    EXPECT_EQ(kMaxEntries, EnumIEHelpers());
    EXPECT_EQ(kMaxEntries, EntryCount());
    EXPECT_EQ(kBhoKind, EntryKind(0));
    EXPECT_EQ(kToolbarKind, EntryKind(kMaxEntries - 1));

    // The ActiveX listings find a full list too, and add nothing to it.
    CreateRegKey(HKEY_CURRENT_USER,
                 Under(kStats, "{55555555-0000-0000-0000-000000000001}").c_str());
    SetClass("{55555555-0000-0000-0000-000000000001}", "Control", agent.c_str());
    EXPECT_EQ(kMaxEntries, EnumActiveX(1));
    EXPECT_EQ(kToolbarKind, EntryKind(kMaxEntries - 1));
    EXPECT_EQ(1, EnumActiveX(0));
}

// ---- regsvr32 ----

TEST_F(IEHelpers, TheRegistrationCommandQuotesAFileWithBlanks)
{
    char command[128];
    EXPECT_EQ(1,
              HelperCommand("C:\\Program Files\\Bar\\bar tool.dll", true, command, sizeof command));
    EXPECT_STREQ("regsvr32 /u /s \"C:\\Program Files\\Bar\\bar tool.dll\"", command);
    EXPECT_EQ(
        1, HelperCommand("C:\\Program Files\\Bar\\bar tool.dll", false, command, sizeof command));
    EXPECT_STREQ("regsvr32 /s \"C:\\Program Files\\Bar\\bar tool.dll\"", command);
    EXPECT_EQ(1, HelperCommand("C:\\Bar\\bar.dll", true, command, sizeof command));
    EXPECT_STREQ("regsvr32 /u /s C:\\Bar\\bar.dll", command);
    // Quoted already: left as it is.
    EXPECT_EQ(1, HelperCommand("\"C:\\My Bar\\bar.dll\"", false, command, sizeof command));
    EXPECT_STREQ("regsvr32 /s \"C:\\My Bar\\bar.dll\"", command);

    EXPECT_EQ(0, HelperCommand("", true, command, sizeof command));
    EXPECT_STREQ("", command);
    char small[16];
    EXPECT_EQ(0, HelperCommand("C:\\Program Files\\Bar\\bar.dll", true, small, sizeof small));
    EXPECT_EQ(sizeof small - 1, strlen(small));
}

// ---- Removal and restore ----

class IEHelpersRemoval : public IEHelpers {
protected:
    static constexpr char kObject[] = "{44444444-0000-0000-0000-000000000001}";
    static constexpr char kBar[] = "{44444444-0000-0000-0000-000000000002}";

    std::string ObjectKey() const { return Under(kHelperObjects, kObject); }

    // A helper object whose key holds values of every kind, a subkey and an empty subkey.
    void RegisterObject(const std::string &server) const
    {
        const std::string key = ObjectKey();
        WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, "My Helper");
        WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "NoExplorer", "1");
        SetNumber(HKEY_LOCAL_MACHINE, key, "Flags", 7);
        const BYTE blob[] = {0, 1, 2, 0, 0xFF};
        WriteRawValue(HKEY_LOCAL_MACHINE, key.c_str(), "Blob", REG_BINARY, blob, sizeof blob);
        SetText(HKEY_LOCAL_MACHINE, key, "Where", "%SystemRoot%\\helper", REG_EXPAND_SZ);
        WriteRawValue(HKEY_LOCAL_MACHINE, key.c_str(), "Multi", REG_MULTI_SZ, "a\0bc\0", 6);
        const unsigned long long quad = 0x0102030405060708ull;
        WriteRawValue(HKEY_LOCAL_MACHINE, key.c_str(), "Quad", REG_QWORD, &quad, sizeof quad);
        WriteRawValue(HKEY_LOCAL_MACHINE, key.c_str(), "Empty", REG_BINARY, "", 0);
        SetNumber(HKEY_LOCAL_MACHINE, key + "\\Settings", "Level", 3);
        CreateRegKey(HKEY_LOCAL_MACHINE, (key + "\\Settings\\Nothing").c_str());
        SetClass(kObject, "My Helper", server.c_str());
    }

    // The entry of the kind and class identifier in the list; -1 when none.
    static int IndexOf(int kind, const std::string &detail)
    {
        for (int i = 0; i < EntryCount(); ++i) {
            char text[512];
            EntryDetail(i, text, sizeof text);
            if (EntryKind(i) == kind && detail == text)
                return i;
        }
        return -1;
    }

    // The vault file a record's token names.
    std::string VaultFile(const std::string &token) const
    {
        return Vault() + "\\" + token + ".txt";
    }
};

TEST_F(IEHelpersRemoval, AHelperObjectGoesWithARecordAndComesBackExactly)
{
    const std::string server = files_.File("with blanks\\My Helper.dll");
    RegisterObject(server);
    const std::vector<std::string> before = Tree(HKEY_LOCAL_MACHINE, ObjectKey());
    ASSERT_EQ(1, EnumIEHelpers());
    const std::string listed = EntryWholePath(0);

    EXPECT_EQ(1, RemoveIEHelper(listed.c_str(), 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kHelperObjects));
    const std::vector<Record> records = History();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ((Record{"IEHELPER_Remove", "TYPE_BHO", "My Helper.dll", listed, ObjectKey(),
                      records[0].kept}),
              records[0]);
    ASSERT_LE(records[0].kept.size(), kHistoryKeptWidth);
    EXPECT_EQ(0u, records[0].kept.find("ieh-")) << records[0].kept;
    EXPECT_EQ(std::vector<std::string>{records[0].kept + ".txt"}, FilesIn(Vault()));
    EXPECT_TRUE(g_shown.empty());

    EXPECT_EQ(1, RestoreLastRecord());
    EXPECT_EQ(before, Tree(HKEY_LOCAL_MACHINE, ObjectKey()));
    // It is listed again as it was.
    EXPECT_EQ(1, EnumIEHelpers());
    EXPECT_EQ(listed, EntryWholePath(0));
}

TEST_F(IEHelpersRemoval, AToolbarValueGoesAloneAndComesBackWithItsType)
{
    const std::string server = files_.File("bar\\bar.dll");
    const BYTE data[] = {0x10, 0, 0x20, 0};
    WriteRawValue(HKEY_LOCAL_MACHINE, kToolbar, kBar, REG_BINARY, data, sizeof data);
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, "{44444444-0000-0000-0000-000000000009}", "kept");
    SetClass(kBar, "Bar", server.c_str());
    const std::vector<std::string> before = Tree(HKEY_LOCAL_MACHINE, kToolbar);
    ASSERT_EQ(2, EnumIEHelpers());
    const int index = IndexOf(kToolbarKind, kBar);
    ASSERT_GE(index, 0);

    EXPECT_EQ(1, RemoveIEHelper(EntryWholePath(index), index));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, kBar));
    EXPECT_EQ("kept", ReadStringValue(HKEY_LOCAL_MACHINE, kToolbar,
                                      "{44444444-0000-0000-0000-000000000009}"));
    const std::vector<Record> records = History();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ((Record{"IEHELPER_Remove", "TYPE_BHO", "bar.dll", AsListed(server), kToolbar,
                      records[0].kept}),
              records[0]);

    EXPECT_EQ(1, RestoreLastRecord());
    EXPECT_EQ(before, Tree(HKEY_LOCAL_MACHINE, kToolbar));
}

TEST_F(IEHelpersRemoval, AnExtensionKeyGoesAndComesBackExactly)
{
    const std::string tool = files_.File("ext\\tool.exe");
    const std::string key = Under(kExtensions, "{44444444-0000-0000-0000-000000000003}");
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "ButtonText", "Tool");
    WriteRegString(HKEY_LOCAL_MACHINE, key.c_str(), "Exec", tool.c_str());
    SetText(HKEY_LOCAL_MACHINE, key, "Icon", "%ProgramFiles%\\tool.ico", REG_EXPAND_SZ);
    const std::vector<std::string> before = Tree(HKEY_LOCAL_MACHINE, key);
    ASSERT_EQ(1, EnumIEHelpers());

    EXPECT_EQ(1, RemoveIEHelper(EntryWholePath(0), 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key.c_str()));
    ASSERT_EQ(1u, History().size());
    EXPECT_EQ(key, History()[0].detail);
    EXPECT_EQ("tool.exe", History()[0].title);

    EXPECT_EQ(1, RestoreLastRecord());
    EXPECT_EQ(before, Tree(HKEY_LOCAL_MACHINE, key));
}

// One file registered as a helper object and as a toolbar: each registration goes by itself, and
// an index that no longer holds the path removes nothing.
TEST_F(IEHelpersRemoval, OnlyTheChosenRegistrationGoes)
{
    const std::string server = files_.File("both\\both.dll");
    const std::string other = files_.File("other\\other.dll");
    const std::string otherKey = Under(kHelperObjects, "{44444444-0000-0000-0000-000000000005}");
    RegisterObject(server);
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, kBar, "");
    SetClass(kBar, "Bar", server.c_str());
    CreateRegKey(HKEY_LOCAL_MACHINE, otherKey.c_str());
    SetClass("{44444444-0000-0000-0000-000000000005}", "Other", other.c_str());
    ASSERT_EQ(3, EnumIEHelpers());
    const int bar = IndexOf(kToolbarKind, kBar);
    const int stale = IndexOf(kBhoKind, "{44444444-0000-0000-0000-000000000005}");
    ASSERT_GE(bar, 0);
    ASSERT_GE(stale, 0);

    EXPECT_EQ(0, RemoveIEHelper(AsListed(server).c_str(), stale));
    EXPECT_EQ(0, RemoveIEHelper(AsListed(server).c_str(), -1));
    EXPECT_EQ(0, RemoveIEHelper(AsListed(server).c_str(), EntryCount()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherKey.c_str()));
    EXPECT_TRUE(History().empty());

    EXPECT_EQ(1, RemoveIEHelper(EntryWholePath(bar), bar));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbar, kBar));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherKey.c_str()));
    // Gone already: nothing to remove, nothing recorded.
    EXPECT_EQ(0, RemoveIEHelper(EntryWholePath(bar), bar));
    ASSERT_EQ(1u, History().size());
    EXPECT_EQ(kToolbar, History()[0].detail);

    // Named by kind, identifier and path, from a fresh listing.
    EXPECT_EQ(0, RemoveListedHelper(kBhoKind, kObject, other.c_str()));
    EXPECT_EQ(0, RemoveListedHelper(kToolbarKind, kObject, AsListed(server).c_str()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_EQ(1, RemoveListedHelper(kBhoKind, kObject, AsListed(server).c_str()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_EQ(0, EntryCount());
    EXPECT_EQ(0, RemoveListedHelper(kBhoKind, kObject, AsListed(server).c_str()));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherKey.c_str()));

    const std::vector<Record> records = History();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(ObjectKey(), records[1].detail);
    EXPECT_NE(records[0].kept, records[1].kept);
    EXPECT_EQ(2u, FilesIn(Vault()).size());
}

TEST_F(IEHelpersRemoval, ARemovalThatCannotBeRecordedIsRefusedAndSaysWhy)
{
    const std::string server = files_.File("bho\\agent.dll");
    RegisterObject(server);
    const std::vector<std::string> before = Tree(HKEY_LOCAL_MACHINE, ObjectKey());
    ASSERT_EQ(1, EnumIEHelpers());
    {
        HANDLE locked = CreateFileA(HistoryFile().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        EXPECT_EQ(0, RemoveIEHelper(EntryWholePath(0), 0));
        CloseHandle(locked);
    }
    EXPECT_EQ(before, Tree(HKEY_LOCAL_MACHINE, ObjectKey()));
    EXPECT_TRUE(FilesIn(Vault()).empty()) << "no copy is left of a removal that was not made";
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_NE(std::string::npos, g_shown[0].text.find("\"agent.dll\" was not removed"))
        << g_shown[0].text;
    EXPECT_NE(std::string::npos, g_shown[0].text.find("history.txt")) << g_shown[0].text;
    EXPECT_TRUE(History().empty());

    // Unlocked, it goes.
    EXPECT_EQ(1, RemoveIEHelper(EntryWholePath(0), 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_EQ(1u, History().size());
}

TEST_F(IEHelpersRemoval, WithTheHistoryOffARemovalGoesUnrecorded)
{
    TheSettings().option[OPT_History] = 0;
    RegisterObject(files_.File("bho\\agent.dll"));
    ASSERT_EQ(1, EnumIEHelpers());
    EXPECT_EQ(1, RemoveIEHelper(EntryWholePath(0), 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(HistoryFile().c_str()));
    EXPECT_TRUE(FilesIn(Vault()).empty());
    EXPECT_TRUE(g_shown.empty());
}

TEST_F(IEHelpersRemoval, OnlyListedHelpersOfThatPathAreActedOn)
{
    RegisterObject(files_.File("bho\\agent.dll"));
    ASSERT_EQ(1, EnumIEHelpers());
    EXPECT_EQ(0, RemoveIEHelper("C:\\elsewhere\\agent.dll", 0));
    EXPECT_EQ(0, RemoveIEHelper(nullptr, 0));
    // A running program listed with the same path is no helper.
    const std::string path = EntryWholePath(0);
    ClearEntryList();
    AddEntry("agent", path.c_str(), kObject, "", 600, 0);
    EXPECT_EQ(0, RemoveIEHelper(path.c_str(), 0));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
    EXPECT_TRUE(History().empty());
}

TEST_F(IEHelpersRemoval, ARestoreWithoutKeptFactsChangesNoKey)
{
    const std::string server = files_.File("bho\\agent.dll");
    SetNumber(HKEY_LOCAL_MACHINE, Under(kHelperObjects, "{44444444-0000-0000-0000-000000000007}"),
              "Stays", 1);
    const std::vector<std::string> objects = Tree(HKEY_LOCAL_MACHINE, kHelperObjects);

    // A record of an older release, and one whose kept copy is gone.
    ASSERT_EQ(kHistoryWritten, WriteHistoryRecord("agent.dll", server.c_str(), ObjectKey().c_str(),
                                                  kBhoKind, kActionHelperRemove));
    RestoreLastRecord();
    EXPECT_EQ(objects, Tree(HKEY_LOCAL_MACHINE, kHelperObjects));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kToolbar));

    ASSERT_EQ(kHistoryWritten,
              WriteHistoryRecord("agent.dll", server.c_str(), ObjectKey().c_str(), kBhoKind,
                                 kActionHelperRemove, "ieh-0123456789abcdef"));
    RestoreLastRecord();
    EXPECT_EQ(objects, Tree(HKEY_LOCAL_MACHINE, kHelperObjects));

    // A kept text that tries to name a file outside the vault names nothing, not even a vault
    // file that would give the key back.
    appData_.Write("Sentrovia\\outside.txt",
                   "SentroviaVault 1\r\nplace " + Hex(ObjectKey()) + "\r\nkey -\r\n");
    ASSERT_EQ(kHistoryWritten, WriteHistoryRecord("agent.dll", server.c_str(), ObjectKey().c_str(),
                                                  kBhoKind, kActionHelperRemove, "..\\outside"));
    RestoreLastRecord();
    EXPECT_EQ(objects, Tree(HKEY_LOCAL_MACHINE, kHelperObjects));
}

// A vault file that was damaged gives back what it still can and nothing else: a file that is
// not a vault file, or names a place no removal takes from, writes nothing.
TEST_F(IEHelpersRemoval, ADamagedVaultFileIsPassedOver)
{
    RegisterObject(files_.File("bho\\agent.dll"));
    ASSERT_EQ(1, EnumIEHelpers());
    ASSERT_EQ(1, RemoveIEHelper(EntryWholePath(0), 0));
    const std::string file = VaultFile(History()[0].kept);
    const std::string original = ReadWholeFile(file);
    ASSERT_FALSE(original.empty());
    const std::string place = "place " + Hex(ObjectKey()) + "\r\n";

    const std::string damaged[] = {
        "",
        "\x01\x02garbage\xff\r\n",
        "SentroviaVault 2\r\n" + place + "key -\r\n",
        "SentroviaVault 1\r\nplace zz\r\nkey -\r\n",
        // Another place than the record's, and one no removal takes from.
        "SentroviaVault 1\r\nplace " +
            Hex(Under(kHelperObjects, "{44444444-0000-0000-0000-00000000000F}")) + "\r\nkey -\r\n",
        "SentroviaVault 1\r\nplace " + Hex("SOFTWARE\\Elsewhere") + "\r\nkey -\r\n",
    };
    for (const std::string &text : damaged) {
        SCOPED_TRACE(Hex(text));
        ASSERT_TRUE(WriteWhole(file, text));
        RestoreLastRecord();
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
        EXPECT_FALSE(
            KeyExists(HKEY_LOCAL_MACHINE,
                      Under(kHelperObjects, "{44444444-0000-0000-0000-00000000000F}").c_str()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Elsewhere"));
    }

    // Lines that can't be read are passed over; the rest come back, the last one without its
    // line end too.
    const std::string mixed =
        "SentroviaVault 1\r\n" + place + "value - " + Hex("Odd") + " 1 abc\r\n" + "value - " +
        Hex("BadType") + " x1 " + Hex(std::string("1\0", 2)) + "\r\n" + "value - " +
        Hex(std::string("Nul\0name", 8)) + " 1 " + Hex(std::string("1\0", 2)) + "\r\n" + "value " +
        Hex("\\Out") + " " + Hex("Escape") + " 1 " + Hex(std::string("1\0", 2)) + "\r\n" + "key " +
        Hex("a\\\\b") + "\r\n" + "value - " + Hex("Extra") + " 1 " + Hex(std::string("1\0", 2)) +
        " more\r\n" + "nonsense\r\n" + "value - " + Hex("Good") + " 4 07000000\r\n" + "value " +
        Hex("Sub") + " " + Hex("Text") + " 1 " + Hex(std::string("yes\0", 4));
    ASSERT_TRUE(WriteWhole(file, mixed));
    RestoreLastRecord();
    std::vector<std::string> expected = {"key []", "key [Sub]", "value [Sub] [Text] 1 79657300",
                                         "value [] [Good] 4 07000000"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Tree(HKEY_LOCAL_MACHINE, ObjectKey()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Under(kHelperObjects, "Out").c_str()));

    // A file larger than any removal writes is not read at all.
    DeleteRegTree(HKEY_LOCAL_MACHINE, ObjectKey().c_str());
    ASSERT_TRUE(WriteWhole(file, original + std::string(5 * 1024 * 1024, ' ')));
    RestoreLastRecord();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));

    ASSERT_TRUE(WriteWhole(file, original));
    RestoreLastRecord();
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ObjectKey().c_str()));
}

// ---- Baselines ----

TEST_F(IEHelpers, TheBaselineApprovesEveryHelperByTitle)
{
    const std::string agent = Fixture("vfx_missing_names.exe", "bho\\agent.dll");
    const std::string bar = Fixture("vfx_no_version.exe", "bar\\bar.dll");
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000001}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000001}", "Agent", agent.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbar, "{22222222-0000-0000-0000-000000000001}", "");
    SetClass("{22222222-0000-0000-0000-000000000001}", "Bar", bar.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, Under(kExtensions, "x").c_str(), "ButtonText", "Notes");

    TakeIEHelpersBaseline();
    EXPECT_EQ("900", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "Vfx Missing Names"));
    EXPECT_EQ("901", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "bar.dll"));
    EXPECT_EQ("902", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "Notes"));
    EXPECT_EQ(0, EntryCount());
}

// ---- ActiveX controls ----

class ActiveX : public IEHelpers {
protected:
    // A control the browser has used: its Stats key with a Type (none when negative) and its class.
    static void Control(const std::string &classId, int type, const char *description,
                        const char *server)
    {
        CreateRegKey(HKEY_CURRENT_USER, Under(kStats, classId).c_str());
        if (type >= 0)
            SetNumber(HKEY_CURRENT_USER, Under(kStats, classId) + "\\iexplore", "Type",
                      static_cast<DWORD>(type));
        SetClass(classId, description, server);
    }
};

TEST_F(ActiveX, ControlsOfTypeZeroOrOneAreListedWithTheirFields)
{
    const std::string alpha = Fixture("vfx_missing_names.exe", "ax\\Alpha.ocx");
    const std::string beta = Fixture("vfx_company_upper.exe", "ax\\beta.ocx");
    const std::string delta = Fixture("vfx_missing_names.exe", "ax\\delta.ocx");
    const std::string plain = Fixture("vfx_no_version.exe", "ax\\plain.ocx");
    Control("{A0000000-0000-0000-0000-000000000001}", 0, "Alpha control", alpha.c_str());
    SetNumber(HKEY_LOCAL_MACHINE, Under(kCompatibility, "{A0000000-0000-0000-0000-000000000001}"),
              "Compatibility Flags", 0x21);
    // Without a description the file's description, its product name, its file name.
    Control("{A0000000-0000-0000-0000-000000000002}", 1, "", beta.c_str());
    Control("{A0000000-0000-0000-0000-000000000003}", 2, "Gamma", alpha.c_str());
    Control("{A0000000-0000-0000-0000-000000000004}", -1, nullptr, delta.c_str());
    Control("{A0000000-0000-0000-0000-000000000005}", 0, nullptr, plain.c_str());
    Control("{A0000000-0000-0000-0000-000000000006}", 0, "No server", nullptr);
    Control("{A0000000-0000-0000-0000-000000000007}", 0xFFFF, "Odd type", alpha.c_str());

    const std::string plainListed = ListedClean(plain);
    AddEntry("left over", "C:\\x.exe", "", "", 11, 0);
    EXPECT_EQ(4, EnumActiveX(0));
    const std::vector<::Listed> expected = {
        {"Alpha control", ListedClean(alpha), "{A0000000-0000-0000-0000-000000000001}", "9.0.0.0",
         kActiveXKind, 0x21},
        {"Vfx Upper Control", ListedClean(beta), "{A0000000-0000-0000-0000-000000000002}",
         "3.0.0.1", kActiveXKind, 0},
        {"Lacks two names", ListedClean(delta), "{A0000000-0000-0000-0000-000000000004}", "9.0.0.0",
         kActiveXKind, 0},
        {FileNameOf(plainListed.c_str()), plainListed, "{A0000000-0000-0000-0000-000000000005}", "",
         kActiveXKind, 0},
    };
    EXPECT_EQ(expected, ListedEntries());
    EXPECT_NE(AsListed(alpha), expected[0].path) << "the clean form, not the server as written";

    // Kept, the list grows by the same controls.
    EXPECT_EQ(8, EnumActiveX(1));

    // Type 2 is listed by the full listing once it has a Compatibility key; Alpha, which has both,
    // is listed twice.
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kCompatibility, "{A0000000-0000-0000-0000-000000000003}").c_str());
    EXPECT_EQ(6, EnumActiveXAll());
    EXPECT_EQ(
        (std::vector<std::string>{
            "{A0000000-0000-0000-0000-000000000001}", "{A0000000-0000-0000-0000-000000000002}",
            "{A0000000-0000-0000-0000-000000000004}", "{A0000000-0000-0000-0000-000000000005}",
            "{A0000000-0000-0000-0000-000000000001}", "{A0000000-0000-0000-0000-000000000003}"}),
        Details(ListedEntries()));
    EXPECT_EQ(0x21, EntryExtra(4));
}

TEST_F(ActiveX, WithoutTheStatsKeyTheListStaysAsItWas)
{
    AddEntry("left over", "C:\\x.exe", "", "", 11, 0);
    EXPECT_EQ(1, EnumActiveX(1));
    EXPECT_EQ(0, EnumActiveX(0));
    EXPECT_EQ(0, EnumActiveXAll());
}

TEST_F(ActiveX, AnAlternateClassIsFollowedAndOnePointingNowhereIsLeftOut)
{
    const std::string target = Fixture("vfx_missing_names.exe", "ax\\target.ocx");
    const std::string own = Fixture("vfx_os_no_description.exe", "ax\\own.ocx");
    const std::string redirected = Under(kCompatibility, "{B0000000-0000-0000-0000-000000000001}");
    SetClass("{B0000000-0000-0000-0000-000000000001}", "Redirected", own.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, redirected.c_str(), "AlternateCLSID",
                   "{B0000000-0000-0000-0000-0000000000AA}");
    SetClass("{B0000000-0000-0000-0000-0000000000AA}", "Target", target.c_str());
    SetNumber(HKEY_LOCAL_MACHINE, Under(kCompatibility, "{B0000000-0000-0000-0000-0000000000AA}"),
              "Compatibility Flags", 0x400);
    // Its own class has a server, but the alternate one has none.
    const std::string nowhere = Under(kCompatibility, "{B0000000-0000-0000-0000-000000000002}");
    SetClass("{B0000000-0000-0000-0000-000000000002}", "Own", own.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, nowhere.c_str(), "AlternateCLSID",
                   "{B0000000-0000-0000-0000-0000000000BB}");
    // An alternate too long to be one is not followed.
    const std::string tooLong = Under(kCompatibility, "{B0000000-0000-0000-0000-000000000003}");
    SetClass("{B0000000-0000-0000-0000-000000000003}", "Long", own.c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, tooLong.c_str(), "AlternateCLSID",
                   std::string(128, 'x').c_str());

    // The target's own key (which holds its flags) lists it a second time.
    EXPECT_EQ(3, EnumActiveXAll());
    const ::Listed targetEntry = {
        "Target",  ListedClean(target), "{B0000000-0000-0000-0000-0000000000AA}",
        "9.0.0.0", kActiveXKind,        0x400};
    const std::vector<::Listed> expected = {
        targetEntry,
        {"Long", ListedClean(own), "{B0000000-0000-0000-0000-000000000003}", "6.1.0.0",
         kActiveXKind, 0},
        targetEntry,
    };
    EXPECT_EQ(expected, ListedEntries());
}

TEST_F(ActiveX, MicrosoftControlsAreHiddenWhenAskedWhateverTheCase)
{
    const std::string lower = Fixture("vfx_company_lower.exe", "ax\\lower.ocx");
    const std::string upper = Fixture("vfx_company_upper.exe", "ax\\upper.ocx");
    // Only its copyright names the maker.
    const std::string copyright = Fixture("vfx_system_copyright.exe", "ax\\copyright.ocx");
    Control("{C0000000-0000-0000-0000-000000000001}", 0, "Lower", lower.c_str());
    Control("{C0000000-0000-0000-0000-000000000002}", 1, "Upper", upper.c_str());
    Control("{C0000000-0000-0000-0000-000000000003}", 0, "Copyright", copyright.c_str());
    // Listed by the compatibility pass only.
    SetClass("{C0000000-0000-0000-0000-000000000004}", "Lower again", lower.c_str());
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kCompatibility, "{C0000000-0000-0000-0000-000000000004}").c_str());

    EXPECT_EQ(3, EnumActiveX(0));
    EXPECT_EQ(4, EnumActiveXAll());
    TheSettings().option[OPT_HideMicrosoftActiveX] = 1;
    EXPECT_EQ(1, EnumActiveX(0));
    EXPECT_EQ("{C0000000-0000-0000-0000-000000000003}", ListedEntries()[0].detail);
    EXPECT_EQ(1, EnumActiveXAll());
}

TEST_F(ActiveX, FlagsOfTheWrongTypeOrSizeReadZero)
{
    const auto key = [](const char *classId) { return Under(kCompatibility, classId); };
    WriteRegString(HKEY_LOCAL_MACHINE, key("{D1}").c_str(), "Compatibility Flags", "1024");
    const BYTE binary[] = {0x00, 0x04, 0x00, 0x00};
    WriteRawValue(HKEY_LOCAL_MACHINE, key("{D2}").c_str(), "Compatibility Flags", REG_BINARY,
                  binary, sizeof binary);
    const BYTE shortNumber[] = {0x00, 0x04};
    WriteRawValue(HKEY_LOCAL_MACHINE, key("{D3}").c_str(), "Compatibility Flags", REG_DWORD,
                  shortNumber, sizeof shortNumber);
    const unsigned long long quad = 0x400;
    WriteRawValue(HKEY_LOCAL_MACHINE, key("{D4}").c_str(), "Compatibility Flags", REG_QWORD, &quad,
                  sizeof quad);
    for (const char *classId : {"{D1}", "{D2}", "{D3}", "{D4}", "{D-missing}", ""}) {
        SCOPED_TRACE(classId);
        EXPECT_EQ(0, GetActiveXFlags(classId));
        EXPECT_EQ(1, IsKillBitClear(classId));
    }
    EXPECT_EQ(0, GetActiveXFlags(nullptr));

    // Sixteen bits, never negative.
    SetNumber(HKEY_LOCAL_MACHINE, key("{D5}"), "Compatibility Flags", 0x12345);
    EXPECT_EQ(0x2345, GetActiveXFlags("{D5}"));
    SetNumber(HKEY_LOCAL_MACHINE, key("{D6}"), "Compatibility Flags", 0x8400);
    EXPECT_EQ(0x8400, GetActiveXFlags("{D6}"));
    EXPECT_EQ(0, IsKillBitClear("{D6}"));
}

TEST_F(ActiveX, TheKillBitIsSetAndClearedKeepingEveryOtherFlag)
{
    EXPECT_EQ(1, IsKillBitClear("{E1}"));
    EXPECT_EQ(1, SetKillBit("{E1}"));
    EXPECT_EQ(0x400u, StoredFlags("{E1}"));
    EXPECT_EQ(0, IsKillBitClear("{E1}"));
    EXPECT_EQ(1, ClearKillBit("{E1}"));
    EXPECT_EQ(0u, StoredFlags("{E1}"));
    EXPECT_EQ(1, IsKillBitClear("{E1}"));

    // Cleared where there was no key: made, at 0.
    EXPECT_EQ(1, ClearKillBit("{E2}"));
    EXPECT_EQ(0u, StoredFlags("{E2}"));

    // The other bits stay, those above the sixteen the flags read included.
    SetNumber(HKEY_LOCAL_MACHINE, Under(kCompatibility, "{E3}"), "Compatibility Flags", 0x00800021);
    EXPECT_EQ(1, SetKillBit("{E3}"));
    EXPECT_EQ(0x00800421u, StoredFlags("{E3}"));
    EXPECT_EQ(1, SetKillBit("{E3}"));
    EXPECT_EQ(0x00800421u, StoredFlags("{E3}"));
    EXPECT_EQ(1, ClearKillBit("{E3}"));
    EXPECT_EQ(0x00800021u, StoredFlags("{E3}"));

    // A value of another type becomes a number.
    WriteRegString(HKEY_LOCAL_MACHINE, Under(kCompatibility, "{E4}").c_str(), "Compatibility Flags",
                   "33");
    EXPECT_EQ(1, SetKillBit("{E4}"));
    EXPECT_EQ(0x400u, StoredFlags("{E4}"));

    // No identifier, no key: the Compatibility key's own values are never touched.
    EXPECT_EQ(0, SetKillBit(""));
    EXPECT_EQ(0, ClearKillBit(nullptr));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kCompatibility, "Compatibility Flags"));
}

// ---- The marked baseline and the register of first sightings ----

class ActiveXBaseline : public ActiveX {
protected:
    static std::string Approval(const char *classId)
    {
        return ReadStringValue(HKEY_CURRENT_USER, kActiveXSnapshot, classId);
    }
};

TEST_F(ActiveXBaseline, TheRestrictedListingIsApprovedUnderTheMarker)
{
    const std::string alpha = Fixture("vfx_missing_names.exe", "ax\\alpha.ocx");
    Control("{F0000000-0000-0000-0000-000000000001}", 0, "Alpha", alpha.c_str());
    Control("{F0000000-0000-0000-0000-000000000002}", 2, "Only in the full listing", alpha.c_str());
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kCompatibility, "{F0000000-0000-0000-0000-000000000002}").c_str());
    TheSettings().option[OPT_ActiveXListAll] = 1;
    WriteRegString(HKEY_CURRENT_USER, kActiveXSnapshot, "{Stale}", "1200");

    TakeActiveXBaseline();
    EXPECT_EQ("P", Approval(nullptr));
    EXPECT_EQ("1200", Approval("{F0000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ("<missing>", Approval("{F0000000-0000-0000-0000-000000000002}"));
    EXPECT_EQ("<missing>", Approval("{Stale}"));
    EXPECT_EQ(0, EntryCount());

    // With its marker it is not taken again.
    Control("{F0000000-0000-0000-0000-000000000003}", 0, "New", alpha.c_str());
    WriteRegString(HKEY_CURRENT_USER, kActiveXSnapshot, "{Turned down}", "0");
    TakeActiveXBaseline();
    EXPECT_EQ("<missing>", Approval("{F0000000-0000-0000-0000-000000000003}"));
    EXPECT_EQ("0", Approval("{Turned down}"));

    // Any other default value is no marker.
    WriteRegString(HKEY_CURRENT_USER, kActiveXSnapshot, nullptr, "X");
    TakeActiveXBaseline();
    EXPECT_EQ("P", Approval(nullptr));
    EXPECT_EQ("1200", Approval("{F0000000-0000-0000-0000-000000000003}"));
    EXPECT_EQ("<missing>", Approval("{Turned down}"));
}

TEST_F(ActiveXBaseline, EachStartTakesWhatsMissingAndDatesOnce)
{
    SetWow64Pass(false);
    const std::string alpha = Fixture("vfx_missing_names.exe", "ax\\alpha.ocx");
    const std::string agent = Fixture("vfx_missing_names.exe", "bho\\agent.dll");
    Control("{F1000000-0000-0000-0000-000000000001}", 0, "Alpha", alpha.c_str());
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 Under(kHelperObjects, "{11111111-0000-0000-0000-000000000001}").c_str());
    SetClass("{11111111-0000-0000-0000-000000000001}", "Agent", agent.c_str());

    InitializeSettings();
    EXPECT_EQ("900", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "Vfx Missing Names"));
    EXPECT_EQ("P", Approval(nullptr));
    EXPECT_EQ("1200", Approval("{F1000000-0000-0000-0000-000000000001}"));
    EXPECT_EQ("P", ReadStringValue(HKEY_CURRENT_USER, kActiveXDetected, nullptr));
    EXPECT_TRUE(
        ValueExists(HKEY_CURRENT_USER, kActiveXDetected, "{F1000000-0000-0000-0000-000000000001}"));
    char clean[MAX_PATH];
    CleanPath(agent.c_str(), clean, sizeof clean);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kHelpersDetected, clean));
    EXPECT_EQ(0, EntryCount());

    // Markers present: a later start neither approves nor dates a new control.
    Control("{F1000000-0000-0000-0000-000000000002}", 0, "Later", alpha.c_str());
    InitializeSettings();
    EXPECT_EQ("<missing>", Approval("{F1000000-0000-0000-0000-000000000002}"));
    EXPECT_FALSE(
        ValueExists(HKEY_CURRENT_USER, kActiveXDetected, "{F1000000-0000-0000-0000-000000000002}"));

    // A clean-up takes the helpers' baseline again but keeps the marked one.
    WriteRegString(HKEY_CURRENT_USER, kHelpersSnapshot, "Gone helper", "900");
    WriteRegString(HKEY_CURRENT_USER, kActiveXSnapshot, "{Turned down}", "0");
    SetOption("Cleanup", 1);
    InitializeSettings();
    EXPECT_EQ("<missing>", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "Gone helper"));
    EXPECT_EQ("900", ReadStringValue(HKEY_CURRENT_USER, kHelpersSnapshot, "Vfx Missing Names"));
    EXPECT_EQ("0", Approval("{Turned down}"));
    EXPECT_EQ("<missing>", Approval("{F1000000-0000-0000-0000-000000000002}"));

    // Markers gone: the next start takes the baseline and dates the controls again.
    DeleteRegValue(HKEY_CURRENT_USER, kActiveXSnapshot, nullptr);
    DeleteRegValue(HKEY_CURRENT_USER, kActiveXDetected, nullptr);
    InitializeSettings();
    EXPECT_EQ("P", Approval(nullptr));
    EXPECT_EQ("1200", Approval("{F1000000-0000-0000-0000-000000000002}"));
    EXPECT_EQ("<missing>", Approval("{Turned down}"));
    EXPECT_EQ("P", ReadStringValue(HKEY_CURRENT_USER, kActiveXDetected, nullptr));
    EXPECT_TRUE(
        ValueExists(HKEY_CURRENT_USER, kActiveXDetected, "{F1000000-0000-0000-0000-000000000002}"));
}

} // namespace

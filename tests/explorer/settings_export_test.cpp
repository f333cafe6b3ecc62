// The registry backup: the file a sandboxed settings tree gives, what ExportKey answers, one file
// per user, the message, and the registry editor putting an exported tree back exactly.
#include "settings_export.h"

#include <windows.h>
#include <lmcons.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "golden.h"
#include "keys.h"
#include "messages.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"
#include "startup_helpers.h"

namespace {

// The file's bytes as program text, without the byte-order mark; "<not UTF-16>" otherwise.
std::string TextOf(const std::string &bytes)
{
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0 || bytes.size() % 2 != 0)
        return "<not UTF-16>";
    std::wstring wide;
    for (size_t i = 2; i < bytes.size(); i += 2)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (wide.empty())
        return "";
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
    return text;
}

std::string ExportedText(HKEY root, const char *path, int *subkeys)
{
    ReportFile file("unused");
    *subkeys = ExportKey(file, root, path);
    return TextOf(std::string("\xFF\xFE", 2) + file.text());
}

void SetValue(HKEY root, const std::string &path, const char *name, DWORD type,
              const std::string &bytes)
{
    WriteRawValue(root, path.c_str(), name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Text with its terminator, as a REG_SZ holds it.
std::string Sz(const std::string &text) { return text + std::string(1, '\0'); }

std::string Dword(DWORD number) { return std::string(reinterpret_cast<char *>(&number), 4); }

std::string Bytes(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>(i * 7);
    return bytes;
}

// A value of every form the export writes differently.
void WriteEveryForm(HKEY root, const std::string &path)
{
    SetValue(root, path, nullptr, REG_SZ, Sz("Default text"));
    SetValue(root, path, "Folder", REG_SZ, Sz("C:\\Program Files\\X"));
    SetValue(root, path, "Quote \"and\" \\slash", REG_SZ, Sz("say \"hi\" to C:\\"));
    SetValue(root, path, "Empty", REG_SZ, Sz(""));
    SetValue(root, path, "No terminator either", REG_SZ, "");
    SetValue(root, path, "Count", REG_DWORD, Dword(0x1234ABCD));
    SetValue(root, path, "Blob", REG_BINARY, Bytes(60));
    SetValue(root, path, "No bytes", REG_BINARY, "");
    SetValue(root, path, "Expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\system32"));
    SetValue(root, path, "Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    SetValue(root, path, "Long", REG_SZ, Sz(std::string(300, 'L') + "end"));
    SetValue(root, path, "Line break", REG_SZ, Sz("first\r\nsecond"));
    SetValue(root, path, "Inner NUL", REG_SZ, std::string("a\0b\0", 4));
    SetValue(root, path, "Quad", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    SetValue(root, path, "None", REG_NONE, std::string("\xFF\x00", 2));
    SetValue(root, path, "Short number", REG_DWORD, std::string("\x05\x00", 2));
    SetValue(root, path, "Own type", 0x20001, std::string("\xAB", 1));
}

class SettingsExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform_.programFolder = programFolder_.path().c_str();
        SetPlatformOverride(&platform_);
        previous_ = SetMessageResponder(&Record);
        shown_.clear();
    }
    void TearDown() override
    {
        SetMessageResponder(previous_);
        SetPlatformOverride(nullptr);
    }
    static std::string UserName()
    {
        char name[UNLEN + 1] = "";
        DWORD size = sizeof name;
        GetUserNameA(name, &size);
        return name;
    }
    std::string ExportFile() const { return programFolder_.File(UserName() + "-Sentrovia.reg"); }

    struct Shown {
        std::string text, caption;
        UINT type;
    };
    static int Record(const char *text, const char *caption, UINT type)
    {
        shown_.push_back({text, caption, type});
        return IDOK;
    }
    static inline std::vector<Shown> shown_;

    RegistrySandbox sandbox_;
    ScratchFolder programFolder_;
    PlatformOverride platform_;
    MessageResponder previous_ = nullptr;
};

TEST_F(SettingsExport, SavesTheUserAndMachineKeysWithTheirDirectSubkeysAsTheEditorWritesThem)
{
    const std::string product = kProductKey;
    WriteEveryForm(HKEY_CURRENT_USER, product);
    WriteRegNumber(HKEY_CURRENT_USER, (product + "\\Options").c_str(), "Sort", 3);
    WriteRegString(HKEY_CURRENT_USER, (product + "\\Options").c_str(), "Filter", "*.exe");
    WriteRegString(HKEY_CURRENT_USER, (product + "\\Options\\Deep").c_str(), "Hidden", "deep one");
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto", "Vendor", "Orvanto");
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto\\Sentrovia", "InstallDir",
                   "C:\\Program Files\\Sentrovia");
    WriteRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvanto\\Sentrovia\\Disabled", "Agent", "11");

    ASSERT_EQ(1, ExportSettings(nullptr));
    const std::string bytes = ReadWholeFile(ExportFile());
    EXPECT_TRUE(MatchesGolden(bytes, "settings.reg"));

    const std::string text = TextOf(bytes);
    EXPECT_EQ(0u, text.find("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Orvanto\\Sentrovia]\r\n"
                            "@=\"Default text\"\r\n"))
        << text;
    for (const char *line : {"\r\n\"Folder\"=\"C:\\\\Program Files\\\\X\"\r\n",
                             "\r\n\"Quote \\\"and\\\" \\\\slash\"=\"say \\\"hi\\\" to C:\\\\\"\r\n",
                             "\r\n\"Empty\"=\"\"\r\n", "\r\n\"Count\"=dword:1234abcd\r\n"})
        EXPECT_NE(std::string::npos, text.find(line)) << line;
    EXPECT_NE(std::string::npos, text.find("\"Long\"=\"" + std::string(300, 'L') + "end\"\r\n"));
    EXPECT_NE(std::string::npos,
              text.find("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvanto\\Sentrovia\\Options]\r\n"));
    EXPECT_NE(std::string::npos,
              text.find("\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvanto]\r\n\"Vendor\"=\"Orvanto\"\r\n"
                        "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvanto\\Sentrovia]\r\n"));
    // One level only.
    EXPECT_EQ(std::string::npos, text.find("Deep")) << text;
    EXPECT_EQ(std::string::npos, text.find("Disabled")) << text;
}

TEST_F(SettingsExport, ExportKeyAnswersTheSubkeysWrittenOrMinusOneWithItsHeaderLine)
{
    int subkeys = 0;
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software\\Orvanto\\Missing]\r\n",
              ExportedText(HKEY_CURRENT_USER, "Software\\Orvanto\\Missing", &subkeys));
    EXPECT_EQ(-1, subkeys);

    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree", "Top", "1");
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software\\Tree]\r\n\"Top\"=\"1\"\r\n",
              ExportedText(HKEY_CURRENT_USER, "Software\\Tree", &subkeys));
    EXPECT_EQ(0, subkeys);

    CreateRegKey(HKEY_CURRENT_USER, "Software\\Tree\\A\\Below");
    WriteRegString(HKEY_CURRENT_USER, "Software\\Tree\\B", "In B", "2");
    EXPECT_EQ("[HKEY_CURRENT_USER\\Software\\Tree]\r\n\"Top\"=\"1\"\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\Tree\\A]\r\n"
              "\r\n[HKEY_CURRENT_USER\\Software\\Tree\\B]\r\n\"In B\"=\"2\"\r\n",
              ExportedText(HKEY_CURRENT_USER, "Software\\Tree", &subkeys));
    EXPECT_EQ(2, subkeys);
}

TEST_F(SettingsExport, EachRootKeepsItsNameAndAnyOtherKeyIsNamedAsTheMachine)
{
    int subkeys = 0;
    EXPECT_EQ("[HKEY_CLASSES_ROOT\\SentroviaMissing]\r\n",
              ExportedText(HKEY_CLASSES_ROOT, "SentroviaMissing", &subkeys));
    EXPECT_EQ("[HKEY_LOCAL_MACHINE\\SentroviaMissing]\r\n",
              ExportedText(HKEY_LOCAL_MACHINE, "SentroviaMissing", &subkeys));
    EXPECT_EQ("[HKEY_USERS\\SentroviaMissing]\r\n",
              ExportedText(HKEY_USERS, "SentroviaMissing", &subkeys));
    EXPECT_EQ("[HKEY_CURRENT_CONFIG\\SentroviaMissing]\r\n",
              ExportedText(HKEY_CURRENT_CONFIG, "SentroviaMissing", &subkeys));

    WriteRegString(HKEY_CURRENT_USER, "Software\\Opened\\Inner", "V", "x");
    RegKey opened;
    ASSERT_TRUE(opened.Open(HKEY_CURRENT_USER, "Software\\Opened", KEY_READ));
    EXPECT_EQ("[HKEY_LOCAL_MACHINE\\Inner]\r\n\"V\"=\"x\"\r\n",
              ExportedText(opened.get(), "Inner", &subkeys));
    EXPECT_EQ(0, subkeys);
}

TEST(RegistryValueLine, LongHexRunsOnOverLinesOfAtMostEightyColumns)
{
    const std::string bytes = Bytes(100);
    const std::string line = RegistryValueLine(
        "Blob", REG_BINARY, reinterpret_cast<const BYTE *>(bytes.data()), bytes.size());
    std::vector<std::string> rows;
    for (size_t at = 0; at < line.size();) {
        const size_t end = line.find("\r\n", at);
        ASSERT_NE(std::string::npos, end) << line;
        rows.push_back(line.substr(at, end - at));
        at = end + 2;
    }
    // 22 bytes after the name, then 25 a row, the last row without its backslash.
    ASSERT_EQ(5u, rows.size()) << line;
    EXPECT_EQ(0u, rows[0].find("\"Blob\"=hex:00,07,0e,"));
    EXPECT_EQ(std::string("\"Blob\"=hex:").size() + 22 * 3 + 1, rows[0].size());
    std::string digits = rows[0].substr(11);
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(0u, rows[i].find("  ")) << rows[i];
        digits += rows[i].substr(2);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_LE(rows[i].size(), 80u) << rows[i];
        EXPECT_EQ(i + 1 < rows.size(), rows[i].back() == '\\') << rows[i];
    }
    EXPECT_EQ(2u + 25 * 3 + 1, rows[1].size());
    // Every byte in order, none lost at a break.
    std::string back;
    for (size_t at = 0; at < digits.size(); at += 3) {
        if (digits[at] == '\\')
            at += 1;
        back += static_cast<char>(strtol(digits.substr(at, 2).c_str(), nullptr, 16));
    }
    EXPECT_EQ(bytes, back);
}

TEST(RegistryValueLine, EachTypeHasTheEditorsNotation)
{
    auto line = [](const char *name, DWORD type, const std::string &bytes) {
        return RegistryValueLine(name, type, reinterpret_cast<const BYTE *>(bytes.data()),
                                 bytes.size());
    };
    EXPECT_EQ("\"N\"=dword:0000002a\r\n", line("N", REG_DWORD, Dword(42)));
    EXPECT_EQ("@=\"\"\r\n", line("", REG_SZ, Sz("")));
    EXPECT_EQ("@=\"\"\r\n", RegistryValueLine(nullptr, REG_SZ, reinterpret_cast<const BYTE *>(""), 1));
    // The texts of the string types as the system keeps them, UTF-16.
    EXPECT_EQ("\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n", line("E", REG_EXPAND_SZ, Sz("%A%")));
    EXPECT_EQ("\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n",
              line("M", REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
    // A REG_SZ the quoted form would change keeps its exact bytes.
    EXPECT_EQ("\"S\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n", line("S", REG_SZ, Sz("a\r\nb")));
    EXPECT_EQ("\"S\"=hex(1):61,00,62,00\r\n", line("S", REG_SZ, "ab"));
    EXPECT_EQ("\"S\"=hex(1):\r\n", line("S", REG_SZ, ""));
    EXPECT_EQ("\"B\"=hex:\r\n", line("B", REG_BINARY, ""));
    EXPECT_EQ("\"D\"=hex(4):01,02\r\n", line("D", REG_DWORD, "\x01\x02"));
    EXPECT_EQ("\"Q\"=hex(b):ff,00,00,00,00,00,00,80\r\n",
              line("Q", REG_QWORD, std::string("\xFF\0\0\0\0\0\0\x80", 8)));
    EXPECT_EQ("\"Z\"=hex(0):\r\n", line("Z", REG_NONE, ""));
    EXPECT_EQ("\"O\"=hex(20001):ab\r\n", line("O", 0x20001, "\xAB"));
    // A line break in a name can't end the line.
    EXPECT_EQ("\"two\\r\\nlines\"=dword:00000001\r\n", line("two\r\nlines", REG_DWORD, Dword(1)));
}

TEST_F(SettingsExport, ASecondExportReplacesTheFirstInTheOneFileOfTheUser)
{
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "Old", "first");
    ASSERT_EQ(1, ExportSettings(nullptr));
    DeleteRegValue(HKEY_CURRENT_USER, kProductKey, "Old");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "New", "second");
    ASSERT_EQ(1, ExportSettings(nullptr));

    EXPECT_EQ(std::vector<std::string>{UserName() + "-Sentrovia.reg"},
              FilesIn(programFolder_.path()));
    const std::string text = TextOf(ReadWholeFile(ExportFile()));
    EXPECT_NE(std::string::npos, text.find("\"New\"=\"second\"")) << text;
    EXPECT_EQ(std::string::npos, text.find("Old")) << text;
}

TEST_F(SettingsExport, TheUserIsToldTheLongPathUnderTheProgramsCaption)
{
    const std::string shortFolder = ShortForm(programFolder_.path());
    ASSERT_NE(programFolder_.path(), shortFolder) << "the scratch folder has no short form";
    platform_.programFolder = shortFolder.c_str();
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", "15");
    ASSERT_EQ(1, ExportSettings(nullptr));

    ASSERT_EQ(1u, shown_.size());
    EXPECT_EQ("\nYour Sentrovia data and settings have been saved as the following file:\n" +
                  LongForm(ExportFile()) +
                  "\n\nTo restore these settings just click on the file in Windows Explorer\n",
              shown_[0].text);
    char caption[128];
    ProgramCaption(caption, sizeof caption);
    EXPECT_EQ(caption, shown_[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION | MB_TOPMOST), shown_[0].type);
}

TEST_F(SettingsExport, AFileThatCantBeWrittenTellsNothingAndAnswersZero)
{
    const std::string missing = programFolder_.File("no such folder");
    platform_.programFolder = missing.c_str();
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "Version", "15");
    EXPECT_EQ(0, ExportSettings(nullptr));
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(FilesIn(programFolder_.path()).empty());
}

// ---- The registry editor reads the file back ----

struct Value {
    DWORD type;
    std::string bytes;
    bool operator==(const Value &) const = default;
};
void PrintTo(const Value &value, std::ostream *out)
{
    *out << "type " << value.type << ", " << value.bytes.size() << " bytes:";
    for (unsigned char c : value.bytes)
        *out << ' ' << std::hex << static_cast<int>(c) << std::dec;
}
// Every key below root\path (its own path relative to it, "" for itself) with its values, named
// and read as the system keeps them.
using Tree = std::map<std::wstring, std::map<std::wstring, Value>>;

void ReadTree(HKEY key, const std::wstring &relative, Tree &tree)
{
    auto &values = tree[relative];
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0, size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::string bytes(size, '\0');
        nameLength = 16384;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                reinterpret_cast<BYTE *>(&bytes[0]), &size));
        bytes.resize(size);
        values[name] = {type, bytes};
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY subkey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(key, name, 0, KEY_READ, &subkey));
        ReadTree(subkey, relative.empty() ? name : relative + L"\\" + name, tree);
        RegCloseKey(subkey);
    }
}

Tree TreeOf(HKEY root, const std::string &path)
{
    Tree tree;
    RegKey key;
    if (key.Open(root, path.c_str(), KEY_READ))
        ReadTree(key.get(), L"", tree);
    return tree;
}

DWORD RunRegedit(const std::string &file)
{
    std::string command = "regedit.exe /s \"" + file + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0xdeadbeef;
    DWORD code = 0xdeadbeef;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// A real key of the user (the editor is another process: no sandbox reaches it), removed after.
class RegistryEditorImport : public ::testing::Test {
protected:
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, path_.c_str()); }

    const std::string path_ =
        "Software\\SentroviaTests\\Export" + std::to_string(GetCurrentProcessId());
    ScratchFolder folder_;
};

TEST_F(RegistryEditorImport, PutsBackEveryValueAndKeyTheExportSaved)
{
    WriteEveryForm(HKEY_CURRENT_USER, path_);
    SetValue(HKEY_CURRENT_USER, path_, "Large", REG_BINARY, Bytes(300000));
    SetValue(HKEY_CURRENT_USER, path_, "Long text", REG_SZ, Sz(std::string(2000, 'T')));
    SetValue(HKEY_CURRENT_USER, path_ + "\\Child", "In child", REG_EXPAND_SZ, Sz("%TEMP%\\x"));
    SetValue(HKEY_CURRENT_USER, path_ + "\\Child", nullptr, REG_DWORD, Dword(7));
    CreateRegKey(HKEY_CURRENT_USER, (path_ + "\\Empty child").c_str());
    // Wine's editor ends a hex(1), hex(2) or hex(7) text that lacks its terminator with one; the
    // ANSI calls used here always write it, so the tree has no such value.
    const Tree before = TreeOf(HKEY_CURRENT_USER, path_);
    ASSERT_EQ(3u, before.size());

    const std::string file = folder_.File("tree.reg");
    ReportFile report(file);
    BeginRegistryFile(report);
    ASSERT_EQ(2, ExportKey(report, HKEY_CURRENT_USER, path_.c_str()));
    ASSERT_EQ(1, report.Commit());
    ASSERT_EQ(1, DeleteRegTree(HKEY_CURRENT_USER, path_.c_str()));
    ASSERT_TRUE(TreeOf(HKEY_CURRENT_USER, path_).empty());

    EXPECT_EQ(0u, RunRegedit(file));
    const Tree after = TreeOf(HKEY_CURRENT_USER, path_);
    ASSERT_EQ(before.size(), after.size());
    for (const auto &[key, values] : before) {
        ASSERT_EQ(1u, after.count(key));
        const auto &imported = after.at(key);
        for (const auto &[name, value] : values) {
            const std::string shown(name.begin(), name.end());
            ASSERT_EQ(1u, imported.count(name)) << shown;
            EXPECT_EQ(value, imported.at(name)) << shown;
        }
        EXPECT_EQ(values.size(), imported.size());
    }
}

} // namespace

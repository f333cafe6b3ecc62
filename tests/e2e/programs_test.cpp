// The built programs start, end when told to, and carry their version resources.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "programs.h"

namespace {

std::string VersionText(const std::string &file, const char *name)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return "<no version>";
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data()))
        return "<unreadable>";
    WORD *translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void **>(&translation), &length) ||
        length < 4)
        return "<no translation>";
    char query[96];
    snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0],
             translation[1], name);
    char *text = nullptr;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void **>(&text), &length))
        return "<missing>";
    return text;
}

// Runs a program until its window is up, then has a second copy with -Q end it: both programs
// keep one window (the Monitor's class "Sentrovia", the Explorer's "SentroviaEx").
DWORD RunAndEnd(const char *program)
{
    const char *windowClass = strcmp(program, "SentroviaEx.exe") == 0 ? "SentroviaEx" : "Sentrovia";
    RunningProgram running(ProgramFile(program), "");
    if (WaitForWindow(windowClass, nullptr, 10000) == nullptr)
        return 0xdeadbeef;
    RunToEnd(ProgramFile(program), "-Q");
    DWORD exitCode = 0xdeadbeef;
    running.WaitForEnd(10000, &exitCode);
    return exitCode;
}

TEST(Programs, StartAndEndCleanly)
{
    EXPECT_EQ(0u, RunAndEnd("Sentrovia.exe"));
    EXPECT_EQ(0u, RunAndEnd("SentroviaEx.exe"));
}

TEST(Programs, TraceTheirStartWhenDebugIsSet)
{
    const char options[] = "Software\\Orvanto\\Sentrovia\\Options";
    struct Case { const char *program, *file, *line; };
    for (const Case &c : {Case{"Sentrovia.exe", "send2ov.txt", "svmain: -------------------------------------Begin Sentrovia"},
                          Case{"SentroviaEx.exe", "sendex2ov.txt", "main: -------------------------------------Begin SentroviaEx"}}) {
        SCOPED_TRACE(c.program);
        std::string log = ProgramOutput(c.file);
        DeleteFileA(log.c_str());

        RegSetKeyValueA(HKEY_CURRENT_USER, options, "Debug", REG_SZ, "0", 2);
        EXPECT_EQ(0u, RunAndEnd(c.program));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log.c_str()));

        RegSetKeyValueA(HKEY_CURRENT_USER, options, "Debug", REG_SZ, "1", 2);
        EXPECT_EQ(0u, RunAndEnd(c.program));
        RegDeleteKeyValueA(HKEY_CURRENT_USER, options, "Debug");
        char section[1024] = "";
        GetPrivateProfileSectionA("Trace", section, sizeof section, log.c_str());
        std::string first = section;
        EXPECT_NE(std::string::npos, first.find(c.line)) << first;
        EXPECT_NE(std::string::npos, first.find(".1=")) << first;
        DeleteFileA(log.c_str());
    }
}

TEST(Programs, CarryVersionResources)
{
    struct Case { const char *file; const char *description; };
    for (const Case &c : {Case{"Sentrovia.exe", "Sentrovia Monitor"},
                          Case{"SentroviaEx.exe", "Sentrovia Explorer"}}) {
        SCOPED_TRACE(c.file);
        std::string path = BuildFile(c.file);
        EXPECT_EQ("Sentrovia", VersionText(path, "ProductName"));
        EXPECT_EQ("15.9.2008.0", VersionText(path, "ProductVersion"));
        EXPECT_EQ("Orvanto", VersionText(path, "CompanyName"));
        EXPECT_EQ(c.description, VersionText(path, "FileDescription"));
        EXPECT_NE(std::string::npos, VersionText(path, "LegalCopyright").find("Orvanto"));
    }
}

TEST(Programs, CompanionExportsByOrdinalOnly)
{
    HMODULE companion = LoadLibraryA(BuildFile("quellmark.dll").c_str());
    ASSERT_NE(nullptr, companion);
    EXPECT_NE(nullptr, GetProcAddress(companion, MAKEINTRESOURCEA(2)));
    EXPECT_NE(nullptr, GetProcAddress(companion, MAKEINTRESOURCEA(3)));
    EXPECT_EQ(nullptr, GetProcAddress(companion, "QuellmarkAttach"));
    EXPECT_EQ(nullptr, GetProcAddress(companion, "QuellmarkDetach"));
    FreeLibrary(companion);
}

} // namespace

#include "paths.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "guarded.h"

namespace {

constexpr const char *kWindows = "C:\\Windows";

// A heap copy with no slack after the terminator, so AddressSanitizer sees any read past it.
std::unique_ptr<char[]> Exact(const char *text)
{
    size_t size = strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    memcpy(copy.get(), text, size);
    return copy;
}

std::string Clean(const char *command, const char *programFiles = kDefaultProgramFilesDir)
{
    Guarded<300> out;
    EXPECT_EQ(1, CleanPathOf(command, kWindows, programFiles, out.text, 260));
    EXPECT_TRUE(out.UntouchedFrom(260));
    return out.text;
}

TEST(CleanPath, GoldenTable)
{
    struct Case { const char *command; const char *expected; };
    const Case cases[] = {
        // Service paths: the Windows folder replaces "\SystemRoot"; ".SYS" is no stop, so the
        // copy runs to the end.
        {"\\SystemRoot\\System32\\drivers\\foo.sys", "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\FOO.SYS"},
        {"\\SystemRoot\\System32\\svchost.exe -k netsvcs", "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE"},
        {"\\systemroot\\system32\\ntoskrnl.exe", "C:\\WINDOWS\\SYSTEM32\\NTOSKRNL.EXE"},
        {"system32\\DRIVERS\\x.sys", "SYSTEM32\\DRIVERS\\X.SYS"},
        // The first 11 characters go whatever they are.
        {"%SystemRoot%\\System32\\x.exe", "C:\\WINDOWS%\\SYSTEM32\\X.EXE"},
        {"SystemRoot\\System32\\x.exe", "C:\\WINDOWSSYSTEM32\\X.EXE"},
        // Program Files folder, any case; the first 14 characters go.
        {"%PROGRAMFILES%\\App\\a.exe -x", "C:\\PROGRAM FILES\\APP\\A.EXE"},
        {"%ProgramFiles%\\App\\a.exe", "C:\\PROGRAM FILES\\APP\\A.EXE"},
        {"\"%ProgramFiles%\\App\\a.exe\"", "C:\\PROGRAM FILES%\\APP\\A.EXE"},
        // Quotes and arguments drop off.
        {"\"C:\\Program Files\\App\\a.exe\" -x", "C:\\PROGRAM FILES\\APP\\A.EXE"},
        {"\"C:\\Program Files\\App\\a.exe\"", "C:\\PROGRAM FILES\\APP\\A.EXE"},
        {"C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL",
         "C:\\WINDOWS\\SYSTEM32\\RUNDLL32.EXE"},
        {"C:\\Tools\\x.exe C:\\data.txt", "C:\\TOOLS\\X.EXE"},
        {"C:\\Tools\\lib.DLL,Entry", "C:\\TOOLS\\LIB.DLL"},
        {"C:\\a.exeXYZ", "C:\\A.EXE"},
        // Device prefixes drop off at the drive letter.
        {"\\??\\C:\\Windows\\system32\\winlogon.exe", "C:\\WINDOWS\\SYSTEM32\\WINLOGON.EXE"},
        {"\\\\?\\D:\\Tools\\x.exe", "D:\\TOOLS\\X.EXE"},
        // No colon: from the beginning.
        {"rundll32.exe shell32.dll,Control_RunDLL", "RUNDLL32.EXE"},
        {"notepad", "NOTEPAD"},
        {"", ""},
        {":x.exe", ":X.EXE"},
        // Only X or L as the second character after a dot stops the copy.
        {"C:\\Program Files\\My.App\\run.exe", "C:\\PROGRAM FILES\\MY.APP\\RUN.EXE"},
        {"C:\\Program Files\\Web.Explorer\\web.exe", "C:\\PROGRAM FILES\\WEB.EXP"},
        {"C:\\Tools\\ctl.ocx", "C:\\TOOLS\\CTL.OCX"},
        {"C:\\WINDOWS\\DOS.PIF /x", "C:\\WINDOWS\\DOS.PIF /X"},
        {"C:\\Tools\\book.xls extra", "C:\\TOOLS\\BOOK.XLS"},
        // A colon in text that is still copied moves the start.
        {"C:\\Tools\\run D:\\data\\a.exe", "D:\\DATA\\A.EXE"},
        // Short tails after a dot.
        {"app.ex", "APP.EX"},
        {"a.e", "A.E"},
        {"x.", "X."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(c.expected, Clean(c.command));
    }
}

TEST(CleanPath, ProgramFilesFolderIsTheGivenOne)
{
    EXPECT_EQ("D:\\APPS\\TOOL\\T.DLL", Clean("%PROGRAMFILES%\\Tool\\t.dll,Entry", "D:\\Apps"));
    EXPECT_EQ("C:\\PROGRAM FILES\\TOOL\\T.DLL", Clean("%PROGRAMFILES%\\Tool\\t.dll", nullptr));
    // SystemRoot wins over the Program Files folder.
    EXPECT_EQ("C:\\WINDOWS\\%PROGRAMFILES%\\X.EXE",
              Clean("\\SystemRoot\\%ProgramFiles%\\x.exe", "D:\\Apps"));
}

TEST(CleanPath, ShortCommandsNamingTheFoldersReadNothingBeyondThem)
{
    // Shorter than the part that is skipped: only the folder is left.
    struct Case { const char *command; const char *expected; };
    const Case cases[] = {{"SYSTEMROOT", "C:\\WINDOWS"},
                          {"xSystemRoot", "C:\\WINDOWS"},
                          {"%PROGRAMFILES%", "D:\\APPS"},
                          {"%programfiles%", "D:\\APPS"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        auto exact = Exact(c.command);
        Guarded<300> out;
        EXPECT_EQ(1, CleanPathOf(exact.get(), kWindows, "D:\\Apps", out.text, 260));
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(CleanPath, NeverReadsPastTheTerminator)
{
    struct Case { const char *command; const char *expected; };
    const Case cases[] = {{"x.", "X."}, {"x.e", "X.E"}, {"x.ex", "X.EX"},
                          {"x.exe", "X.EXE"}, {"C:", "C:"}, {".", "."}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        auto exact = Exact(c.command);
        Guarded<300> out;
        CleanPathOf(exact.get(), kWindows, nullptr, out.text, 260);
        EXPECT_STREQ(c.expected, out.text);
    }
}

TEST(CleanPath, CutsToCapacity)
{
    Guarded<300> out;
    EXPECT_EQ(0, CleanPathOf("C:\\Tools\\x.exe", kWindows, nullptr, out.text, 6));
    EXPECT_STREQ("C:\\TO", out.text);
    EXPECT_TRUE(out.UntouchedFrom(6));

    std::string longCommand = "C:\\" + std::string(5000, 'a') + ".exe -x";
    Guarded<300> big;
    EXPECT_EQ(0, CleanPathOf(longCommand.c_str(), kWindows, nullptr, big.text, 260));
    EXPECT_EQ(259u, strlen(big.text));
    EXPECT_TRUE(big.UntouchedFrom(260));

    Guarded<300> none;
    EXPECT_EQ(0, CleanPathOf("C:\\x.exe", kWindows, nullptr, none.text, 0));
    EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST(CleanPath, NullCommandGivesEmptyText)
{
    Guarded<300> out;
    EXPECT_EQ(0, CleanPathOf(nullptr, kWindows, nullptr, out.text, 260));
    EXPECT_STREQ("", out.text);
}

TEST(CleanPath, LongCommandsAreNotExpanded)
{
    // Past 772 characters the folder names are no longer looked for.
    std::string command = "\\SystemRoot\\" + std::string(780, 'a') + ".exe";
    std::string expected = "\\SYSTEMROOT\\" + std::string(780, 'A') + ".EXE";
    char out[1024];
    EXPECT_EQ(1, CleanPathOf(command.c_str(), kWindows, nullptr, out, sizeof out));
    EXPECT_EQ(expected, out);

    std::string shorter = "\\SystemRoot\\" + std::string(750, 'a') + ".exe";
    EXPECT_EQ(1, CleanPathOf(shorter.c_str(), kWindows, nullptr, out, sizeof out));
    EXPECT_EQ("C:\\WINDOWS\\" + std::string(750, 'A') + ".EXE", out);
}

struct Split {
    std::string program;
    std::string parameters;
};

Split SplitOf(const char *command, const char *windows = kWindows)
{
    Guarded<300> program, parameters;
    EXPECT_EQ(1, SplitCommandOf(command, windows, program.text, 260, parameters.text, 260));
    EXPECT_TRUE(program.UntouchedFrom(260));
    EXPECT_TRUE(parameters.UntouchedFrom(260));
    return {program.text, parameters.text};
}

TEST(SplitCommand, GoldenTable)
{
    struct Case { const char *command; const char *program; const char *parameters; };
    const Case cases[] = {
        // Parameters keep their case and leading space.
        {"C:\\Tools\\x.exe -a -B", "C:\\TOOLS\\X.EXE", " -a -B"},
        {"C:\\Tools\\x.exe", "C:\\TOOLS\\X.EXE", ""},
        {"C:\\Tools\\x.exe ", "C:\\TOOLS\\X.EXE", " "},
        {"C:\\Tools\\x.exe   /min", "C:\\TOOLS\\X.EXE", "   /min"},
        // The closing quote follows the extension, so it starts the parameters.
        {"\"C:\\Program Files\\App\\a.exe\" /S", "C:\\PROGRAM FILES\\APP\\A.EXE", "\" /S"},
        // A DLL entry: the parameters start with the comma.
        {"C:\\WINDOWS\\system32\\shell32.dll,Control_RunDLL desk.cpl",
         "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL", ",Control_RunDLL desk.cpl"},
        {"rundll32.exe shell32.dll,Control_RunDLL", "RUNDLL32.EXE", " shell32.dll,Control_RunDLL"},
        // P ends the program after the dot too.
        {"C:\\WINDOWS\\DOS.PIF /x", "C:\\WINDOWS\\DOS.PIF", " /x"},
        {"C:\\WINDOWS\\system32\\main.cpl,@1", "C:\\WINDOWS\\SYSTEM32\\MAIN.CPL", ",@1"},
        // A dot in a folder's name does not end the program: only an extension that ends a file
        // name does.
        {"C:\\Program Files\\My.App\\run.exe /q", "C:\\PROGRAM FILES\\MY.APP\\RUN.EXE", " /q"},
        {"C:\\Docs\\me.PC\\tool.exe -x", "C:\\DOCS\\ME.PC\\TOOL.EXE", " -x"},
        {"C:\\a.Pdir\\b.exe", "C:\\A.PDIR\\B.EXE", ""},
        {"\"C:\\a.Pdir\\b.exe\" -s", "C:\\A.PDIR\\B.EXE", "\" -s"},
        {"\"C:\\Docs\\me.PC\\tool.exe\"", "C:\\DOCS\\ME.PC\\TOOL.EXE", "\""},
        {"C:\\x.Xlsdata\\y.exe /z", "C:\\X.XLSDATA\\Y.EXE", " /z"},
        {"C:\\tools.exe\\real.exe a", "C:\\TOOLS.EXE\\REAL.EXE", " a"},
        {"C:\\v1.2.3\\app.exe", "C:\\V1.2.3\\APP.EXE", ""},
        {"C:\\Lib.dll.d\\host.dll,Entry", "C:\\LIB.DLL.D\\HOST.DLL", ",Entry"},
        {"D:\\Games\\Top.Play\\go.exe/fast", "D:\\GAMES\\TOP.PLAY\\GO.EXE", "/fast"},
        {"C:\\a.p\\b.exe", "C:\\A.P\\B.EXE", ""},
        {"C:\\me.PC\\tool.exe\tx", "C:\\ME.PC\\TOOL.EXE", "\tx"},
        // A short extension ends where the file name does.
        {"C:\\a.ex foo", "C:\\A.EX", " foo"},
        {"C:\\app.exe.bak", "C:\\APP.EXE.BAK", ""},
        {"\\SystemRoot\\a.Pdir\\svc.exe -k x", "C:\\WINDOWS\\A.PDIR\\SVC.EXE", " -k x"},
        {"\"C:\\Program Files (x86)\\Co.Ltd\\App\\run.exe\" --flag",
         "C:\\PROGRAM FILES (X86)\\CO.LTD\\APP\\RUN.EXE", "\" --flag"},
        {"a.p", "A.P", ""},
        // .SYS and .OCX are no stop: everything is the program.
        {"C:\\Tools\\ctl.ocx /r", "C:\\TOOLS\\CTL.OCX /R", ""},
        // The Windows folder replaces SystemRoot; the parameters come from the command itself.
        {"\\SystemRoot\\System32\\svchost.exe -k netsvcs", "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE",
         " -k netsvcs"},
        // No Program Files case here.
        {"%ProgramFiles%\\App\\a.exe -x", "%PROGRAMFILES%\\APP\\A.EXE", " -x"},
        // Device prefixes go; the parameters are untouched.
        {"\\??\\C:\\Windows\\x.exe arg", "C:\\WINDOWS\\X.EXE", " arg"},
        {"notepad readme.txt", "NOTEPAD README.TXT", ""},
        {"notepad", "NOTEPAD", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        Split split = SplitOf(c.command);
        EXPECT_EQ(c.program, split.program);
        EXPECT_EQ(c.parameters, split.parameters);
    }
}

TEST(SplitCommand, SystemRootParametersDoNotDependOnFolderLength)
{
    struct Case { const char *windows; const char *program; };
    const Case cases[] = {
        {"C:\\W", "C:\\W\\SYSTEM32\\SERVICES.EXE"},
        {"C:\\Windows", "C:\\WINDOWS\\SYSTEM32\\SERVICES.EXE"},
        {"D:\\Operating\\Systems\\WINNT40",
         "D:\\OPERATING\\SYSTEMS\\WINNT40\\SYSTEM32\\SERVICES.EXE"},
        {"", "\\SYSTEM32\\SERVICES.EXE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.windows);
        Split split = SplitOf("\\SystemRoot\\system32\\services.exe -x Y", c.windows);
        EXPECT_EQ(c.program, split.program);
        EXPECT_EQ(" -x Y", split.parameters);
    }
}

TEST(SplitCommand, NeverReadsPastTheTerminator)
{
    struct Case { const char *command; const char *program; };
    const Case cases[] = {{"x.", "X."}, {"x.p", "X.P"}, {"x.pi", "X.PI"}, {"x.ep", "X.EP"},
                          {"x.e", "X.E"}, {"SystemRoot", "C:\\WINDOWS"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        auto exact = Exact(c.command);
        Guarded<300> program, parameters;
        SplitCommandOf(exact.get(), kWindows, program.text, 260, parameters.text, 260);
        EXPECT_STREQ(c.program, program.text);
        EXPECT_STREQ("", parameters.text);
    }
}

TEST(SplitCommand, BothOutputsAreBounded)
{
    std::string command = "C:\\" + std::string(1000, 'p') + ".exe " + std::string(999, 'q');
    Guarded<300> program, parameters;
    EXPECT_EQ(0, SplitCommandOf(command.c_str(), kWindows, program.text, 260, parameters.text, 8));
    EXPECT_EQ(259u, strlen(program.text));
    EXPECT_TRUE(program.UntouchedFrom(260));
    EXPECT_STREQ(" qqqqqq", parameters.text);
    EXPECT_TRUE(parameters.UntouchedFrom(8));

    Guarded<300> shortProgram, fullParameters;
    EXPECT_EQ(0, SplitCommandOf("C:\\x.exe -a", kWindows, shortProgram.text, 4,
                                fullParameters.text, 260));
    EXPECT_STREQ("C:\\", shortProgram.text);
    EXPECT_STREQ(" -a", fullParameters.text);
}

TEST(SplitCommand, NullCommandGivesEmptyTexts)
{
    Guarded<300> program, parameters;
    EXPECT_EQ(0, SplitCommandOf(nullptr, kWindows, program.text, 260, parameters.text, 260));
    EXPECT_STREQ("", program.text);
    EXPECT_STREQ("", parameters.text);
}

} // namespace

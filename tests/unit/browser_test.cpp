#include "browser.h"

#include <gtest/gtest.h>

#include "registry.h"
#include "regsandbox.h"

namespace {

constexpr char kHttpCommand[] = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
constexpr char kIeAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

TEST(Browser, CommandNamesTheBrowserKind)
{
    RegistrySandbox sandbox;
    WriteRegString(HKEY_LOCAL_MACHINE, kIeAppPath, "Path", "C:\\Program Files\\Internet Explorer;");
    struct Case { const char *command; int kind; };
    const Case cases[] = {
        {"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1", BROWSER_InternetExplorer},
        {"C:\\PROGRA~1\\Netscape\\netscp.exe -h \"%1\"", BROWSER_Netscape},
        {"\"C:\\Program Files\\Firefox\\firefox.exe\" -osint -url \"%1\"", BROWSER_Firefox},
        {"\"C:\\Maxthon\\Maxthon.exe\" %1", BROWSER_Maxthon},
        {"C:\\avant\\browser.exe \"%1\"", BROWSER_Avant},
        // Mozilla is tried before Firefox, so Firefox in a Mozilla folder counts as Mozilla.
        {"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -url \"%1\"", BROWSER_Mozilla},
        {"C:\\Other\\opera.exe", BROWSER_InternetExplorer},
        // The text is cut before the character that precedes the first dash.
        {"C:\\maxthon-tools\\x.exe", BROWSER_InternetExplorer},
        // Nothing left: Internet Explorer's own path is classified.
        {"", BROWSER_InternetExplorer},
        {"-", BROWSER_InternetExplorer},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        WriteRegString(HKEY_LOCAL_MACHINE, kHttpCommand, nullptr, c.command);
        EXPECT_EQ(c.kind, DefaultBrowserKind());
    }
    DeleteRegTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes");
    EXPECT_EQ(BROWSER_InternetExplorer, DefaultBrowserKind());
}

TEST(Browser, InternetExplorerPathComesFromAppPaths)
{
    RegistrySandbox sandbox;
    char path[260] = "untouched";
    EXPECT_EQ(0, InternetExplorerPath(path, sizeof path));
    EXPECT_STREQ("", path);

    WriteRegString(HKEY_LOCAL_MACHINE, kIeAppPath, "Path", "C:\\Program Files\\Internet Explorer;");
    EXPECT_EQ(1, InternetExplorerPath(path, sizeof path));
    EXPECT_STREQ("C:\\Program Files\\Internet Explorer\\iexplore.exe", path);
    WriteRegString(HKEY_LOCAL_MACHINE, kIeAppPath, "Path", "D:\\IE");
    InternetExplorerPath(path, sizeof path);
    EXPECT_STREQ("D:\\IE\\iexplore.exe", path);
}

} // namespace

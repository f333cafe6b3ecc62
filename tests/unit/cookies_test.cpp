// Cookies over scratch IE cookie folders and Mozilla profiles: where they are found, how they are
// listed, and what the filters and removals do to them.
#include "cookies.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "entries.h"
#include "keys.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "regsandbox.h"
#include "scratch.h"

namespace {

constexpr char kNuts[] = "Software\\Orvanto\\Sentrovia\\Nuts";
constexpr char kKept[] = "Software\\Orvanto\\Sentrovia\\Cookies";
constexpr char kHttpCommand[] = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";

std::vector<std::string> Titles()
{
    std::vector<std::string> titles;
    for (int i = 0; i < EntryCount(); ++i)
        titles.push_back(EntryWholeTitle(i));
    return titles;
}

std::vector<std::string> Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

// One cookies.txt line.
std::string Line(const std::string &domain, const std::string &name, const std::string &value,
                 const char *secure = "FALSE", const char *expiry = "1767225600")
{
    return domain + "\tTRUE\t/\t" + secure + "\t" + expiry + "\t" + name + "\t" + value + "\n";
}

class Cookies : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearEntryList();
        TheSettings() = Settings{};
        TheSettings().option[OPT_MaxCookie] = 4096;
        platform_.windowsFolder = windows_.path().c_str();
        SetPlatformOverride(&platform_);
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_.path().c_str());
        ieFolder_ = appData_.File("Cookies");
        appData_.Write("Cookies\\index.dat", "");
        WriteRegString(HKEY_CURRENT_USER, kShellFolders, "Cookies", ieFolder_.c_str());
        profile_ = appData_.File("Mozilla\\FireFox\\Profiles\\k2j4.default");
        SetCookieMode(COOKIES_InternetExplorer);
    }
    void TearDown() override
    {
        SetCookieMode(COOKIES_InternetExplorer);
        ReleaseNuts();
        ClearEntryList();
        SetPlatformOverride(nullptr);
        TheSettings() = Settings{};
    }
    std::string IECookie(const std::string &name, const std::string &content = "cookie")
    {
        return appData_.Write("Cookies\\" + name, content);
    }
    std::string CookiesTxt(const std::string &text)
    {
        return appData_.Write("Mozilla\\FireFox\\Profiles\\k2j4.default\\cookies.txt", text);
    }
    std::string ProfileFile(const char *name) const { return profile_ + "\\" + name; }
    static void Nut(const char *text, const char *state = "1")
    {
        WriteRegString(HKEY_CURRENT_USER, kNuts, text, state);
    }

    RegistrySandbox sandbox_;
    ScratchFolder appData_{"appdata"};
    ScratchFolder windows_{"windows"};
    PlatformOverride platform_;
    std::string ieFolder_;
    std::string profile_;
};

TEST_F(Cookies, TheIEFolderIsTheFirstCandidateThatHoldsItsIndex)
{
    char folder[MAX_PATH];
    ASSERT_EQ(1, GetIECookieFolder(folder, sizeof folder));
    EXPECT_EQ(ieFolder_ + "\\", folder);

    // The product's own choice comes first, but only where the index is.
    const std::string chosen = appData_.File("Chosen\\");
    appData_.Write("Chosen\\readme.txt", "");
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "IECookieFolder", chosen.c_str());
    ASSERT_EQ(1, GetIECookieFolder(folder, sizeof folder));
    EXPECT_EQ(ieFolder_ + "\\", folder);
    appData_.Write("Chosen\\index.dat", "");
    ASSERT_EQ(1, GetIECookieFolder(folder, sizeof folder));
    EXPECT_EQ(chosen, folder);

    // Too long or too short a text is no folder; the Windows folder's Cookies comes last.
    WriteRegString(HKEY_CURRENT_USER, kProductKey, "IECookieFolder",
                   (chosen + std::string(250, 'x')).c_str());
    WriteRegString(HKEY_CURRENT_USER, kShellFolders, "Cookies", "C:");
    windows_.Write("Cookies\\index.dat", "");
    ASSERT_EQ(1, GetIECookieFolder(folder, sizeof folder));
    EXPECT_EQ(windows_.File("Cookies\\"), folder);

    DeleteFileA(windows_.File("Cookies\\index.dat").c_str());
    EXPECT_EQ(0, GetIECookieFolder(folder, sizeof folder));
    EXPECT_STREQ("Cookie Folder Not Found", folder);
    EXPECT_EQ(0, EnumCookies(0));
}

TEST_F(Cookies, IECookieFilesAreListedAndAFilterDeletesEveryFileWhosePathHoldsIt)
{
    IECookie("user@example[1].txt");
    const std::string tracked = IECookie("user@AdTracker[2].txt");
    const std::string system = IECookie("user@system[1].txt");
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    IECookie("notes.dat");
    ASSERT_EQ(2, EnumCookies(0));
    EXPECT_EQ(Sorted({"user@AdTracker[2].txt", "user@example[1].txt"}), Sorted(Titles()));
    EXPECT_EQ(kIECookieKind, EntryKind(0));
    char written[64];
    EntryDescription(0, written, sizeof written);
    EXPECT_EQ(16u, strlen(written)) << written;  // YYYY/MM/DD HH:MM

    Nut("adtracker");
    ASSERT_EQ(1, EnumCookies(1));
    EXPECT_EQ(std::vector<std::string>{"user@example[1].txt"}, Titles());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tracked.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(system.c_str()));
    EXPECT_EQ(0, NutCount()) << "the filters are released after the pass";
}

TEST_F(Cookies, IEListingStopsAtTheCookieCap)
{
    for (int i = 0; i < 5; ++i)
        IECookie("user@site" + std::to_string(i) + "[1].txt");
    TheSettings().option[OPT_MaxCookie] = 3;
    EXPECT_EQ(3, EnumCookies(0));
}

TEST_F(Cookies, TheMozillaProfileIsTheChosenOneOrTheDefaultProfile)
{
    char folder[MAX_PATH];
    EXPECT_EQ(0, GetMozillaProfileFolder(folder, sizeof folder));
    appData_.Write("Mozilla\\FireFox\\Profiles\\x1.other\\prefs.js", "");
    appData_.Write("Mozilla\\FireFox\\Profiles\\default.q9\\prefs.js", "");
    ASSERT_EQ(1, GetMozillaProfileFolder(folder, sizeof folder));
    EXPECT_EQ(appData_.File("Mozilla\\FireFox\\Profiles\\default.q9\\"), folder);
    CookiesTxt("");
    ASSERT_EQ(1, GetMozillaProfileFolder(folder, sizeof folder));
    EXPECT_EQ(profile_ + "\\", folder);

    // Netscape keeps its own profile.
    WriteRegString(HKEY_LOCAL_MACHINE, kHttpCommand, nullptr,
                   "\"C:\\Program Files\\Netscape\\netscp.exe\" -url \"%1\"");
    appData_.Write("Mozilla\\Profiles\\default\\.hidden\\x", "");
    appData_.Write("Mozilla\\Profiles\\default\\ab12.slt\\cookies.txt", "");
    ASSERT_EQ(1, GetMozillaProfileFolder(folder, sizeof folder));
    EXPECT_EQ(appData_.File("Mozilla\\Profiles\\default\\ab12.slt\\"), folder);

    const std::string chosen = appData_.File("Portable");
    CreateDirectoryA(chosen.c_str(), nullptr);
    SetCookieMode(COOKIES_Mozilla);
    StoreCookieFolder((chosen + "\\Path").c_str());
    ASSERT_EQ(1, GetMozillaProfileFolder(folder, sizeof folder));
    EXPECT_EQ(chosen + "\\", folder);
}

TEST_F(Cookies, MozillaLinesAreListedWithTheirFieldsWhateverTheirShape)
{
    CookiesTxt("# Netscape HTTP Cookie File\n\n" + Line(".example.com", "id", "42", "TRUE") +
               "short.example\tTRUE\n" +
               "crlf.example\tFALSE\t/app\tFALSE\t0\tsession\tabc\r\n" +
               std::string("bin\x01\xff.example\tTRUE\t/\tFALSE\tnotanumber\tb\tv\n"));
    SetCookieMode(COOKIES_Mozilla);
    ASSERT_EQ(4, EnumCookies(0));
    EXPECT_EQ((std::vector<std::string>{"example.com - id", "short.example - ",
                                        "crlf.example - session", "bin\x01\xff.example - b"}),
              Titles());
    char text[256];
    EXPECT_EQ(kMozillaCookieKind, EntryKind(0));
    EXPECT_EQ(1, EntryExtra(0));
    EntryDetail(0, text, sizeof text);
    EXPECT_STREQ("42", text);
    EntryDescription(0, text, sizeof text);
    EXPECT_NE(0u, strlen(text));
    EntryPath(2, text, sizeof text);
    EXPECT_STREQ("/app", text);
    EntryDetail(2, text, sizeof text);
    EXPECT_STREQ("abc", text) << "the line's CR is no part of the value";
    EXPECT_EQ(0, EntryExtra(2));
    EntryDescription(3, text, sizeof text);
    EXPECT_STREQ("", text);
}

TEST_F(Cookies, AFilterRemovesEveryMozillaLineHoldingItInAnyFieldIntoAWholeCopy)
{
    const std::string kept = Line(".news.example", "pref", "dark") +
                             "# comment AdServe\n" +  // a line without a domain is copied too
                             "crlf.example\tFALSE\t/\tFALSE\t0\ts\tv\r\n";
    const std::string original = Line(".adserve.net", "uid", "1") + kept +
                                 Line(".shop.example", "cart", "via-ADSERVE-tag") +
                                 Line(".long.example", "big", std::string(600, 'v') + "adserve");
    CookiesTxt(original);
    Nut("AdServe");
    SetCookieMode(COOKIES_Mozilla);
    EnumCookies(1);
    // The comment holds the filter as well: every line that holds it goes.
    EXPECT_EQ(Line(".news.example", "pref", "dark") + "crlf.example\tFALSE\t/\tFALSE\t0\ts\tv\r\n",
              ReadWholeFile(ProfileFile("cookiesnew.txt")));
    EXPECT_EQ(original, ReadWholeFile(ProfileFile("cookies.txt"))) << "never edited in place";
    EXPECT_EQ(1, UpdateCookieFilePending());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ProfileFile("cookiesnew.tmp").c_str()));

    ASSERT_EQ(1, SwapMozillaCookieFile());
    EXPECT_EQ(Line(".news.example", "pref", "dark") + "crlf.example\tFALSE\t/\tFALSE\t0\ts\tv\r\n",
              ReadWholeFile(ProfileFile("cookies.txt")));
}

TEST_F(Cookies, AListingReadsOnlyItsBoundButAFilteredCopyKeepsTheWholeFile)
{
    std::string text;
    int lines = 0;
    while (text.size() < 5u * 1024 * 1024) {
        text += Line(".site" + std::to_string(lines) + ".example", "n", std::string(100, 'v'));
        ++lines;
    }
    CookiesTxt(text);
    SetCookieMode(COOKIES_Mozilla);
    TheSettings().option[OPT_MaxCookie] = 4096;
    const size_t lineSize = Line(".site0.example", "n", std::string(100, 'v')).size();
    // Lines differ in length: count those that end within the bound.
    int within = 0;
    for (size_t end = text.find('\n'); end != std::string::npos && end < 268288u;
         end = text.find('\n', end + 1))
        ++within;
    ASSERT_LT(static_cast<size_t>(within), 268288u / lineSize + 1);
    EXPECT_EQ(std::min(within, kMaxEntries), EnumCookies(0));

    Nut("site7.example");
    EnumCookies(1);
    const std::string copy = ReadWholeFile(ProfileFile("cookiesnew.txt"));
    EXPECT_EQ(text.size() - Line(".site7.example", "n", std::string(100, 'v')).size(),
              copy.size());
    EXPECT_EQ(text.substr(text.size() - 200), copy.substr(copy.size() - 200));
}

TEST_F(Cookies, AMarkedCookieIsHiddenFromTheCopyAndItsMarkGoesAfterTheSwap)
{
    CookiesTxt(Line(".keep.example", "a", "1") + Line(".drop.example", "b", "2"));
    SetCookieMode(COOKIES_Mozilla);
    KeepCookie("drop.example - b");
    RemoveCookie("drop.example - b");
    EXPECT_FALSE(IsKeptCookie("drop.example - b"));
    EXPECT_EQ("2", ReadStringValue(HKEY_CURRENT_USER, kNuts, "drop.example - b"));
    EXPECT_TRUE(IsNutValue("drop.example - b"));
    EnumCookies(1);
    EXPECT_EQ(Line(".keep.example", "a", "1"), ReadWholeFile(ProfileFile("cookiesnew.txt")));
    // A mark is no filter: the other cookie's text does not match it.
    LoadNuts();
    EXPECT_EQ(0, MatchesNut("drop.example - b"));
    ReleaseNuts();

    ASSERT_EQ(1, SwapMozillaCookieFile());
    PurgeRemovedNuts();
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kNuts, "drop.example - b"));
    SetUpdateCookieFile(false);
    EXPECT_EQ(0, UpdateCookieFilePending());
    EXPECT_EQ(1, EnumCookies(0));
    EXPECT_EQ(std::vector<std::string>{"keep.example - a"}, Titles());
}

TEST_F(Cookies, TheSwapWaitsForTheBrowserAndTakesItsLatestCookies)
{
    CookiesTxt(Line(".a.example", "x", "1") + Line(".ads.example", "y", "2"));
    Nut("ads.example");
    SetCookieMode(COOKIES_Mozilla);
    EXPECT_EQ(0, SwapMozillaCookieFile()) << "nothing is pending yet";
    EnumCookies(1);

    WNDCLASSA type{};
    type.lpfnWndProc = DefWindowProcA;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "MozillaWindowClass";
    RegisterClassA(&type);
    HWND browser = CreateWindowA("MozillaWindowClass", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                 type.hInstance, nullptr);
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ(0, SwapMozillaCookieFile());
    // The browser saves a cookie as it closes: the copy is made again from that file.
    CookiesTxt(Line(".a.example", "x", "1") + Line(".ads.example", "y", "2") +
               Line(".b.example", "z", "3"));
    FILETIME later;
    GetSystemTimeAsFileTime(&later);
    ULARGE_INTEGER ticks{{later.dwLowDateTime, later.dwHighDateTime}};
    ticks.QuadPart += 600000000ull;  // a minute on
    later = {ticks.LowPart, ticks.HighPart};
    HANDLE file = CreateFileA(ProfileFile("cookies.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    DestroyWindow(browser);
    UnregisterClassA("MozillaWindowClass", type.hInstance);
    ASSERT_EQ(1, SwapMozillaCookieFile());
    EXPECT_EQ(Line(".a.example", "x", "1") + Line(".b.example", "z", "3"),
              ReadWholeFile(ProfileFile("cookies.txt")));
}

TEST_F(Cookies, FiltersAreAddedUpToTheLimitAndMatchInAnyCase)
{
    EXPECT_EQ(NutAdded::Unfit, AddNut(""));
    EXPECT_EQ(NutAdded::Unfit, AddNut(std::string(128, 'x').c_str()));
    EXPECT_EQ(NutAdded::Added, AddNut(std::string(127, 'x').c_str()));
    for (int i = 1; i < 256; ++i)
        Nut(("filter" + std::to_string(i)).c_str());
    ASSERT_EQ(256, LoadNuts());
    EXPECT_EQ(NutAdded::TooMany, AddNut("one more"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kNuts, "one more"));
    EXPECT_EQ(1, RemoveNut("filter1"));
    EXPECT_EQ(NutAdded::Added, AddNut("one more"));
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kNuts, "one more"));

    // Matching: any case, texts up to 512 characters; a filter too long to keep is not loaded.
    DeleteRegTree(HKEY_CURRENT_USER, kNuts);
    Nut("Tracker");
    Nut(std::string(600, 'q').c_str());
    Nut("marked - x", "2");
    ASSERT_EQ(2, LoadNuts());
    EXPECT_EQ(1, MatchesNut("c:\\cookies\\user@TRACKER[1].txt"));
    EXPECT_EQ(0, MatchesNut("marked - x"));
    EXPECT_EQ(1, MatchesNut((std::string(512 - 7, 'a') + "tracker").c_str()));
    EXPECT_EQ(0, MatchesNut((std::string(513 - 7, 'a') + "tracker").c_str()));
    EXPECT_EQ(0, MatchesNut(nullptr));
    // Saving writes the active ones back as they are.
    DeleteRegValue(HKEY_CURRENT_USER, kNuts, "Tracker");
    SaveNuts();
    EXPECT_EQ("1", ReadStringValue(HKEY_CURRENT_USER, kNuts, "Tracker"));
    EXPECT_EQ("2", ReadStringValue(HKEY_CURRENT_USER, kNuts, "marked - x"));
}

TEST_F(Cookies, KeptCookiesAndRemovalsOfIECookies)
{
    const std::string file = IECookie("user@news[1].txt");
    KeepCookie("user@news[1].txt");
    EXPECT_TRUE(IsKeptCookie("user@news[1].txt"));
    EXPECT_FALSE(IsKeptCookie("user@other[1].txt"));
    RemoveCookie("user@news[1].txt");
    EXPECT_FALSE(IsKeptCookie("user@news[1].txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));

    // A text that would name a file elsewhere deletes nothing; it is only marked.
    const std::string outside = appData_.Write("precious.txt", "mine");
    RemoveCookie("..\\precious.txt");
    EXPECT_EQ("mine", ReadWholeFile(outside));
    // Without an IE folder the cookie is marked for the next pass instead.
    DeleteFileA((ieFolder_ + "\\index.dat").c_str());
    RemoveCookie("user@gone[1].txt");
    EXPECT_EQ("2", ReadStringValue(HKEY_CURRENT_USER, kNuts, "user@gone[1].txt"));
}

TEST(CookieModes, MozillaFamilyBrowsersReadCookiesTxt)
{
    EXPECT_EQ(COOKIES_InternetExplorer, CookieModeOf(1));
    EXPECT_EQ(COOKIES_Mozilla, CookieModeOf(2));
    EXPECT_EQ(COOKIES_Mozilla, CookieModeOf(3));
    EXPECT_EQ(COOKIES_InternetExplorer, CookieModeOf(4));
    EXPECT_EQ(COOKIES_InternetExplorer, CookieModeOf(5));
    EXPECT_EQ(COOKIES_Mozilla, CookieModeOf(6));
    EXPECT_EQ(COOKIES_InternetExplorer, CookieModeOf(0));
    EXPECT_EQ("example.com - id", MozillaCookieText(".example.com", "id"));
    EXPECT_EQ("host - ", MozillaCookieText("host", ""));
}

} // namespace

// The watched browser pages over a sandboxed registry: what counts as a change and what each
// answer writes.
#include "browser_pages.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry.h"
#include "regsandbox.h"
#include "strings.h"

namespace {

constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kDesktop[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
constexpr char kProduct[] = "Software\\Orvanto\\Sentrovia";

struct Decisions {
    int answer = IDNO;
    std::vector<PageChange> asked;
};

int Decide(const PageChange &change, void *context)
{
    auto &decisions = *static_cast<Decisions *>(context);
    decisions.asked.push_back(change);
    return decisions.answer;
}

std::string Read(const char *key, const char *name)
{
    return ReadStringValue(HKEY_CURRENT_USER, key, name);
}

class BrowserPages : public ::testing::Test {
protected:
    RegistrySandbox sandbox_;
    Decisions decisions_;
};

TEST_F(BrowserPages, PagesNotApprovedYetAreApprovedAsTheyAre)
{
    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", "http://home.example/");
    CheckBrowserPages(Decide, &decisions_);
    EXPECT_TRUE(decisions_.asked.empty());
    EXPECT_EQ("http://home.example/", Read(kProduct, "StartPage"));
    // A trailing slash and letter case make no change.
    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", "HTTP://Home.Example");
    CheckBrowserPages(Decide, &decisions_);
    EXPECT_TRUE(decisions_.asked.empty());
}

TEST_F(BrowserPages, NoWritesTheApprovedPageBackAndYesApprovesTheNewOne)
{
    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", "http://home.example/");
    WriteRegString(HKEY_CURRENT_USER, kMain, "Search Page", "http://search.example/");
    WriteRegString(HKEY_CURRENT_USER, kDesktop, "Source", "file:///C:/desk.htm");
    CheckBrowserPages(Decide, &decisions_);
    WriteRegString(HKEY_CURRENT_USER, kMain, "Search Page", "http://hijack.example/find");
    WriteRegString(HKEY_CURRENT_USER, kDesktop, "Source", "http://hijack.example/ads.htm");
    decisions_.answer = IDNO;
    CheckBrowserPages(Decide, &decisions_);
    ASSERT_EQ(2u, decisions_.asked.size());
    EXPECT_EQ(static_cast<UINT>(IDS_SEARCH_PAGE_CHANGED), decisions_.asked[0].question);
    EXPECT_EQ("http://hijack.example/find", decisions_.asked[0].now);
    EXPECT_EQ("http://search.example/", decisions_.asked[0].approved);
    EXPECT_EQ(static_cast<UINT>(IDS_DESKTOP_PAGE_CHANGED), decisions_.asked[1].question);
    EXPECT_EQ("http://search.example/", Read(kMain, "Search Page"));
    EXPECT_EQ("file:///C:/desk.htm", Read(kDesktop, "Source"));

    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", "http://portal.example/");
    decisions_ = Decisions{IDYES, {}};
    CheckBrowserPages(Decide, &decisions_);
    ASSERT_EQ(1u, decisions_.asked.size());
    EXPECT_EQ("http://portal.example/", Read(kProduct, "StartPage"));
    EXPECT_EQ("http://portal.example/", Read(kMain, "Start Page"));
}

TEST_F(BrowserPages, APageLongerThanAnyBufferIsComparedAndPutBackWhole)
{
    const std::string approved = "http://home.example/?" + std::string(3000, 'a');
    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", approved.c_str());
    CheckBrowserPages(Decide, &decisions_);
    // Only the end differs: a read cut at a buffer's width would see no change.
    const std::string hijacked = approved.substr(0, approved.size() - 1) + "b";
    WriteRegString(HKEY_CURRENT_USER, kMain, "Start Page", hijacked.c_str());
    CheckBrowserPages(Decide, &decisions_);
    ASSERT_EQ(1u, decisions_.asked.size());
    EXPECT_EQ(hijacked, decisions_.asked[0].now);
    char back[4096] = "";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kMain, 0, KEY_READ, &key));
    DWORD size = sizeof back;
    RegQueryValueExA(key, "Start Page", nullptr, nullptr, reinterpret_cast<BYTE *>(back), &size);
    RegCloseKey(key);
    EXPECT_EQ(approved, back);
}

constexpr char kAutoUpdate[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr char kPrefixes[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr char kDefaultPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";

TEST_F(BrowserPages, AutomaticUpdatesAreApprovedOnceAndChangesKeptOrPutBack)
{
    SettingChange change;
    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 4);
    // No valid approved number (none, or 5): the current one is taken without asking.
    WriteRegNumber(HKEY_CURRENT_USER, kProduct, "AUOptions", 5);
    EXPECT_EQ(0, AutoUpdateChanged(change));
    EXPECT_EQ(4, ReadRegNumber(HKEY_CURRENT_USER, kProduct, "AUOptions"));
    EXPECT_EQ(0, AutoUpdateChanged(change));

    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 1);
    ASSERT_EQ(1, AutoUpdateChanged(change));
    EXPECT_EQ(static_cast<UINT>(IDS_AUTO_UPDATE_CHANGED), change.question);
    EXPECT_EQ("Automatically download recommended updates for my computer and install them.",
              change.approved);
    EXPECT_EQ("Turn off Automatic Updates.", change.now);
    RestoreAutoUpdate();
    EXPECT_EQ(4, ReadRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"));
    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 7);
    ASSERT_EQ(1, AutoUpdateChanged(change));
    EXPECT_EQ("Windows Auto Update Settings", change.now);
    KeepAutoUpdate();
    // An approved number out of range again: taken over silently.
    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", 2);
    EXPECT_EQ(0, AutoUpdateChanged(change));
    EXPECT_EQ(2, ReadRegNumber(HKEY_CURRENT_USER, kProduct, "AUOptions"));
}

TEST_F(BrowserPages, TheAddressPrefixIsComparedWithHttpUntilAnotherIsApproved)
{
    SettingChange change;
    WriteRegString(HKEY_LOCAL_MACHINE, kPrefixes, "www", "HTTP://");
    EXPECT_EQ(0, UrlPrefixChanged(change));
    WriteRegString(HKEY_LOCAL_MACHINE, kPrefixes, "www", "http://search.hijack.example/?q=");
    ASSERT_EQ(1, UrlPrefixChanged(change));
    EXPECT_EQ("http://", change.approved);
    EXPECT_EQ("http://search.hijack.example/?q=", change.now);
    RestoreUrlPrefix();
    EXPECT_EQ("http://", ReadStringValue(HKEY_LOCAL_MACHINE, kPrefixes, "www"));
    EXPECT_EQ("http://", ReadStringValue(HKEY_LOCAL_MACHINE, kDefaultPrefix, nullptr));
    // A prefix kept once is the approved one; a prefix removed and kept is not asked about again.
    WriteRegString(HKEY_LOCAL_MACHINE, kPrefixes, "www", "https://");
    ASSERT_EQ(1, UrlPrefixChanged(change));
    KeepUrlPrefix();
    EXPECT_EQ(0, UrlPrefixChanged(change));
    DeleteRegValue(HKEY_LOCAL_MACHINE, kPrefixes, "www");
    ASSERT_EQ(1, UrlPrefixChanged(change));
    KeepUrlPrefix();
    EXPECT_EQ(0, UrlPrefixChanged(change));
}

} // namespace

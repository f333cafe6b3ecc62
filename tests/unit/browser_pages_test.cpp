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

} // namespace

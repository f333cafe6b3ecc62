// The IE Helpers and ActiveX pages on the real sheet: what they list, and their actions.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "page_driver.h"
#include "registry.h"
#include "options.h"
#include "scratch.h"

namespace {

using namespace page_driver;

constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibilityKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kHelperClass[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kUsedControl[] = "{AAAAAAAA-0000-0000-0000-000000000001}";
constexpr char kOtherControl[] = "{AAAAAAAA-0000-0000-0000-000000000002}";

// A class whose in-process server is the file.
void RegisterClass(const char *classId, const char *name, const std::string &server)
{
    const std::string key = std::string("CLSID\\") + classId;
    WriteRegString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, name);
    WriteRegString(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), nullptr,
                   server.c_str());
}

int Flags(const char *classId)
{
    return ReadRegNumber(HKEY_LOCAL_MACHINE,
                         (std::string(kCompatibilityKey) + "\\" + classId).c_str(),
                         "Compatibility Flags");
}

class AddOnPages : public PageTest {
protected:
    const std::string server_ = BuildFile("Sentrovia.exe");
};

TEST_F(AddOnPages, HelpersAreListedWithTheirKindAndRemovedWithTheirRecord)
{
    RegisterClass(kHelperClass, "Acme Helper", server_);
    CreateRegKey(HKEY_LOCAL_MACHINE, (std::string(kBhoKey) + "\\" + kHelperClass).c_str());
    // A toolbar whose class names no server: listed, with an empty program.
    WriteRegString(HKEY_LOCAL_MACHINE, kToolbarKey, "{99999999-0000-0000-0000-000000000000}", "");
    std::vector<std::vector<std::string>> before;
    std::vector<std::string> after;
    Run(IDM_PAGE_IE_HELPERS, {[&](HWND) {
                                  for (int column = 0; column < 5; ++column)
                                      before.push_back(Column(PageList(), column));
                                  return Select("Sentrovia");
                              },
                              [](HWND) {
                                  Press(IDC_PAGE_REMOVE);
                                  return true;
                              },
                              [&](HWND) {
                                  after = Column(PageList(), 3);
                                  return true;
                              }});
    ASSERT_EQ(5u, before.size());
    ASSERT_EQ(2u, before[0].size());
    // The helper objects come before the toolbars; the title is the file's product name.
    EXPECT_EQ("Sentrovia", before[0][0]);
    EXPECT_EQ("Sentrovia.exe", before[1][0]);
    EXPECT_EQ("Orvanto", before[2][0]);
    EXPECT_EQ("BHO", before[3][0]);
    EXPECT_FALSE(before[4][0].empty());
    EXPECT_EQ("", before[1][1]);
    EXPECT_EQ("TOOLBAR", before[3][1]);

    EXPECT_NE(std::string::npos, g_asked.find("remove this Internet Explorer helper")) << g_asked;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                           (std::string(kBhoKey) + "\\" + kHelperClass).c_str()));
    EXPECT_EQ(std::vector<std::string>{"TOOLBAR"}, after);
    const std::string history = ReadWholeFile(HistoryFile());
    EXPECT_NE(std::string::npos, history.find("IEHELPER_Remove\tTYPE_BHO\tSentrovia.exe\t"))
        << history;
}

TEST_F(AddOnPages, ControlsShowTheirKillBitAndTheButtonsSwitchIt)
{
    RegisterClass(kUsedControl, "Acme Control", server_);
    RegisterClass(kOtherControl, "Other Control", server_);
    const DWORD used = 1, other = 2;
    auto usage = [](const char *classId) {
        return std::string(kStatsKey) + "\\" + classId + "\\iexplore";
    };
    WriteRawValue(HKEY_CURRENT_USER, usage(kUsedControl).c_str(), "Type", REG_DWORD, &used,
                  sizeof used);
    WriteRawValue(HKEY_CURRENT_USER, usage(kOtherControl).c_str(), "Type", REG_DWORD, &other,
                  sizeof other);
    CreateRegKey(HKEY_LOCAL_MACHINE,
                 (std::string(kCompatibilityKey) + "\\" + kOtherControl).c_str());

    std::vector<std::string> titles, types, classIds, disabledTypes, allTitles;
    bool disableShown = false, enableShownAfter = false;
    int flagsDisabled = -1;
    Run(IDM_PAGE_ACTIVEX,
        {[&](HWND) {
             titles = Column(PageList(), 0);
             types = Column(PageList(), 3);
             classIds = Column(PageList(), 5);
             return Select("Acme Control");
         },
         [&](HWND) {
             disableShown = Shown(IDC_PAGE_DISABLE) && !Shown(IDC_PAGE_ENABLE);
             Press(IDC_PAGE_DISABLE);
             return true;
         },
         [&](HWND) {
             flagsDisabled = Flags(kUsedControl);
             disabledTypes = Column(PageList(), 3);
             Select("Acme Control");
             enableShownAfter = Shown(IDC_PAGE_ENABLE) && !Shown(IDC_PAGE_DISABLE);
             Press(IDC_PAGE_ENABLE);
             return true;
         },
         [&](HWND) {
             CheckDlgButton(Explorer().activePage, IDC_PAGE_CHECK2, BST_CHECKED);
             Press(IDC_PAGE_CHECK2);
             allTitles = Column(PageList(), 0);
             return true;
         }});
    // Used by the browser as an ordinary control (Type 1); the other only in the full listing.
    EXPECT_EQ(std::vector<std::string>{"Acme Control"}, titles);
    EXPECT_EQ(std::vector<std::string>{"Enabled"}, types);
    EXPECT_EQ(std::vector<std::string>{kUsedControl}, classIds);
    EXPECT_TRUE(disableShown);
    EXPECT_NE(std::string::npos, g_asked.find("no longer be able to run this ActiveX")) << g_asked;
    EXPECT_EQ(0x400, flagsDisabled);
    EXPECT_EQ(std::vector<std::string>{"Disabled"}, disabledTypes);
    EXPECT_TRUE(enableShownAfter);
    EXPECT_EQ(0, Flags(kUsedControl));
    EXPECT_EQ(1, GetOption("ActiveXListAll", 0));
    // The full listing adds every control with a compatibility key, the one the disabling made
    // too: a control found both ways is listed twice.
    EXPECT_EQ((std::vector<std::string>{"Acme Control", "Acme Control", "Other Control"}),
              allTitles);
}

} // namespace

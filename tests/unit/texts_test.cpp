#include "texts.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "keys.h"
#include "registry.h"
#include "regsandbox.h"
#include "strings.h"

namespace {

class Texts : public ::testing::Test {
protected:
    void SetUp() override { InitLanguage(); }
    void TearDown() override { InitLanguage(); }
    static void Override(UINT id, const char *text)
    {
        std::string name = "LString" + std::to_string(id);
        WriteRegString(HKEY_LOCAL_MACHINE, kProductKey, name.c_str(), text);
    }
    RegistrySandbox sandbox_;
};

TEST_F(Texts, BuiltInTableIsEnglish)
{
    EXPECT_EQ(9, LanguageId());
    char code[8];
    EXPECT_EQ(2, LoadText(IDS_LANGUAGE_CODE, code));
    EXPECT_STREQ("us", code);
}

TEST_F(Texts, OverridesApplyOnlyWhenLanguageIsNotEnglish)
{
    Override(IDS_CAPTION, "Wachhund%naktiv");
    char text[64];
    EXPECT_EQ(9, static_cast<int>(strlen("Sentrovia")));
    EXPECT_EQ(9, LoadText(IDS_CAPTION, text));
    EXPECT_STREQ("Sentrovia", text);

    SetLanguageId(7);
    EXPECT_EQ(14, LoadText(IDS_CAPTION, text));
    EXPECT_STREQ("Wachhund\naktiv", text);

    // No override for this id: the table answers.
    EXPECT_EQ(2, LoadText(IDS_LANGUAGE_CODE, text));
    EXPECT_STREQ("us", text);
}

TEST_F(Texts, OverridesAreCutToCapacity)
{
    SetLanguageId(7);
    Override(IDS_CAPTION, "abcdefghij");
    char text[6];
    memset(text, 0x5a, sizeof text);
    EXPECT_EQ(5, LoadText(IDS_CAPTION, text, 6));
    EXPECT_STREQ("abcde", text);

    // 771 characters arrive; 772 do not fit the override read, so the table answers.
    std::string widest(771, 'w');
    Override(IDS_CAPTION, widest.c_str());
    char big[1024];
    EXPECT_EQ(771, LoadText(IDS_CAPTION, big));
    Override(IDS_CAPTION, std::string(772, 'w').c_str());
    EXPECT_EQ(9, LoadText(IDS_CAPTION, big));
    EXPECT_STREQ("Sentrovia", big);
}

TEST_F(Texts, TableTextIsCutToCapacityAndUnknownIdsAreEmpty)
{
    char text[5];
    memset(text, 0x5a, sizeof text);
    EXPECT_EQ(4, LoadText(IDS_CAPTION, text));
    EXPECT_STREQ("Sent", text);

    char none[16] = "untouched";
    EXPECT_EQ(0, LoadText(65000, none));
    EXPECT_STREQ("", none);
    EXPECT_EQ(0, LoadText(IDS_CAPTION, none, 0));
}

TEST_F(Texts, DialogItemTakesTextOnlyWhenThereIsOne)
{
    HWND parent = CreateWindowExA(0, "STATIC", "parent", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    HWND item = CreateWindowExA(0, "STATIC", "before", WS_CHILD, 0, 0, 10, 10, parent,
                                reinterpret_cast<HMENU>(77), nullptr, nullptr);
    ASSERT_NE(nullptr, item);
    char text[32];

    SetItemText(parent, 77, 65000);
    GetDlgItemTextA(parent, 77, text, sizeof text);
    EXPECT_STREQ("before", text);

    SetItemText(parent, 77, IDS_CAPTION);
    GetDlgItemTextA(parent, 77, text, sizeof text);
    EXPECT_STREQ("Sentrovia", text);
    DestroyWindow(parent);
}

} // namespace

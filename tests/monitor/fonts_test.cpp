#include "fonts.h"

#include <gtest/gtest.h>

namespace {

TEST(AlertFonts, MadeWithTheirFacesSizesAndWeights)
{
    ASSERT_EQ(1, CreateAlertFonts());
    struct Case { AlertFont font; const char *face; LONG height, weight; BYTE underline; };
    const Case cases[] = {
        {FONT_SmallArial, "Arial", 14, 400, 0},
        {FONT_LargeArial, "Arial", 18, 500, 0},
        {FONT_UnderlinedVerdana, "Verdana", 18, 600, 1},
        {FONT_BoldSansSerif, "MS Sans Serif", 14, 600, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.face);
        HFONT font = GetAlertFont(c.font);
        ASSERT_NE(nullptr, font);
        LOGFONTA description{};
        ASSERT_EQ(static_cast<int>(sizeof description), GetObjectA(font, sizeof description, &description));
        EXPECT_STREQ(c.face, description.lfFaceName);
        EXPECT_EQ(c.height, description.lfHeight);
        EXPECT_EQ(c.weight, description.lfWeight);
        EXPECT_EQ(c.underline, description.lfUnderline);
    }
    ReleaseAlertFonts();
    EXPECT_EQ(nullptr, GetAlertFont(FONT_SmallArial));
    EXPECT_EQ(nullptr, GetAlertFont(FONT_Count));
}

} // namespace

#include "fonts.h"

namespace {

struct FontSpec {
    const char *face;
    int height;
    int weight;
    bool underline;
};

const FontSpec kFonts[FONT_Count] = {
    {"Arial", 14, 400, false},
    {"Arial", 18, 500, false},
    {"Verdana", 18, 600, true},
    {"MS Sans Serif", 14, 600, false},
};

HFONT g_fonts[FONT_Count] = {};

} // namespace

int CreateAlertFonts()
{
    ReleaseAlertFonts();
    for (int i = 0; i < FONT_Count; ++i) {
        const FontSpec &font = kFonts[i];
        g_fonts[i] = CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, font.underline, FALSE,
                                 ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face);
        if (g_fonts[i] == nullptr) {
            ReleaseAlertFonts();
            return 0;
        }
    }
    return 1;
}

HFONT GetAlertFont(AlertFont font) { return font >= 0 && font < FONT_Count ? g_fonts[font] : nullptr; }

void ReleaseAlertFonts()
{
    for (HFONT &font : g_fonts) {
        if (font != nullptr)
            DeleteObject(font);
        font = nullptr;
    }
}

// The fonts the alerts draw with, made once when the Monitor starts.
#pragma once
#include <windows.h>

enum AlertFont : int { FONT_SmallArial, FONT_LargeArial, FONT_UnderlinedVerdana, FONT_BoldSansSerif,
                       FONT_Count };

// 1 when every font was made; the fonts live until ReleaseAlertFonts.
int CreateAlertFonts();
HFONT GetAlertFont(AlertFont font);
void ReleaseAlertFonts();

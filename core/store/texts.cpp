#include "texts.h"

#include <cstring>

#include "bounded.h"
#include "keys.h"
#include "language.h"
#include "registry.h"
#include "strings.h"

namespace {

constexpr int kEnglish = 9;
// Override values are read up to this many bytes, so at most 771 characters arrive.
constexpr size_t kOverrideText = 772;
// The widest text a caller may ask for.
constexpr size_t kTableText = 1024;

int g_languageId = 0;

int FromOverride(UINT id, char *buffer, size_t capacity)
{
    char name[24];
    FormatBounded(name, sizeof name, "LString%u", id);
    char text[kOverrideText];
    if (ReadRegString(HKEY_LOCAL_MACHINE, kProductKey, name, text, sizeof text) == 0)
        return 0;
    CopyBounded(buffer, capacity, text);
    ExpandLineBreaks(buffer);
    return static_cast<int>(strlen(buffer));
}

int FromTable(UINT id, char *buffer, size_t capacity)
{
    // LoadStringA with a zero size would hand back a pointer instead of a copy.
    int size = capacity > kTableText ? static_cast<int>(kTableText) : static_cast<int>(capacity);
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
    if (length <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    return length;
}

} // namespace

void InitLanguage()
{
    // Straight from the table: the code decides whether overrides apply at all.
    char code[8];
    FromTable(IDS_LANGUAGE_CODE, code, sizeof code);
    SetLanguageId(LanguageIdFromCode(code));
}

int LanguageId() { return g_languageId; }
void SetLanguageId(int id) { g_languageId = id; }

int LoadText(UINT id, char *buffer, size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    buffer[0] = '\0';
    if (g_languageId != kEnglish) {
        int length = FromOverride(id, buffer, capacity);
        if (length > 0)
            return length;
    }
    return FromTable(id, buffer, capacity);
}

void SetItemText(HWND dialog, int item, UINT id)
{
    char text[kTableText];
    if (LoadText(id, text) > 0)
        SetDlgItemTextA(dialog, item, text);
}

void SetCaptionText(HWND window, UINT id)
{
    char text[kTableText];
    if (LoadText(id, text) > 0)
        SetWindowTextA(window, text);
}

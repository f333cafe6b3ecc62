#include "options.h"

#include <windows.h>

#include "bounded.h"
#include "ids.h"
#include "keys.h"
#include "language.h"
#include "platform.h"
#include "registry.h"

namespace {

struct OptionRow {
    const char *name;
    int32_t defaultValue;
};

constexpr int32_t kVariesByProgram = INT32_MIN;

constexpr OptionRow kOptions[OPT_COUNT] = {
#define SENTROVIA_OPTION_ROW(name, value) {#name, value},
    SENTROVIA_OPTIONS(SENTROVIA_OPTION_ROW)
#undef SENTROVIA_OPTION_ROW
};

Settings g_settings{};

// Option reads share one width with the rest of the option code.
constexpr size_t kOptionText = 128;

} // namespace

Settings &TheSettings() { return g_settings; }
const char *OptionName(OptionId id) { return kOptions[id].name; }

int32_t OptionDefault(OptionId id)
{
    switch (id) {
    case OPT_MaxCookie:
        return CurrentProgram() == ProgramKind::Monitor ? 315 : 4096;
    case OPT_TrayIcon:
        return IsNtFamily() ? IDI_MONITOR : IDI_MONITOR_CLASSIC;
    default:
        return kOptions[id].defaultValue;
    }
}

int GetOption(const char *name, int defaultValue)
{
    char text[kOptionText];
    if (ReadRegString(HKEY_CURRENT_USER, kOptionsKey, name, text, sizeof text) == 0)
        return defaultValue;
    return LeadingNumber(text);
}

int SetOption(const char *name, int number)
{
    char text[16];
    FormatBounded(text, sizeof text, "%d", number);
    int written = WriteRegString(HKEY_CURRENT_USER, kOptionsKey, name, text);
    WriteRegString(HKEY_CURRENT_USER, kOptionsKey, kOptions[OPT_Update].name, "1");
    return written;
}

int StoreOption(OptionId id, int32_t number)
{
    g_settings.option[id] = number;
    return SetOption(kOptions[id].name, number);
}

void LoadOptions()
{
    for (int id = 0; id < OPT_COUNT; ++id)
        g_settings.option[id] = GetOption(kOptions[id].name, OptionDefault(OptionId(id)));
}

int ReloadChangedOptions()
{
    if (GetOption(kOptions[OPT_Update].name, 0) == 0)
        return 0;
    LoadOptions();
    WriteRegString(HKEY_CURRENT_USER, kOptionsKey, kOptions[OPT_Update].name, "0");
    return 1;
}

void SaveOptions()
{
    for (int id = 0; id < OPT_COUNT; ++id) {
        // Update is the reload signal and UpdateCookieFile exists only while a cookie file waits:
        // neither is a setting to write back.
        if (id == OPT_Update || id == OPT_UpdateCookieFile)
            continue;
        SetOption(kOptions[id].name, g_settings.option[id]);
    }
}

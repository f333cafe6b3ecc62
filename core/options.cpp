#include "options.h"

#include <windows.h>

#include "bounded.h"
#include "keys.h"
#include "language.h"
#include "platform.h"
#include "registry.h"

namespace {

constexpr int32_t kVariesByProgram = INT32_MIN;

struct OptionRow {
    const char *name;
    int32_t defaultValue;
};

// Indexed by OptionId; the order must match the enum.
constexpr OptionRow kOptions[OPT_COUNT] = {
    {"SendHistory", 0}, {"HideBrisko", 0}, {"HideStartup", 0}, {"HideIEHelper", 0},
    {"HideServices", 0}, {"HideActiveX", 0}, {"HideTasks", 0}, {"HideFileType", 0},
    {"HideHidden", 0}, {"HideSystemFiles", 0}, {"HideHomePage", 0}, {"Format", 0},
    {"ConfirmExit", 0}, {"Sound", 1}, {"History", 1}, {"HideMicrosoftServices", 1},
    {"HideMicrosoftActiveX", 0}, {"IncludeKillBit", 0}, {"ActiveXListAll", 0},
    {"LockFileTypes", 0}, {"ShowAllStartup", 0}, {"NoMicrosoftStartup", 0}, {"LumenFormat", 0},
    {"MaxCookie", kVariesByProgram},
    {"Start", 2}, {"IEHelpers", 2}, {"Hidden", 0}, {"ActiveX", 4}, {"HostFile", 3},
    {"StartPage", 2}, {"FileType", 10}, {"Tasks", 11}, {"WinInit", 5}, {"Services", 7},
    {"Nuts", 0}, {"Cookies", 0},
    {"RealtimeStartup", 1}, {"RealtimeIEHelper", 1}, {"RealtimeSysFiles", 1},
    {"RealtimeFileType", 0}, {"RealtimeStartPage", 1}, {"RealtimeHidden", 0},
    {"RealtimeActiveX", 1}, {"RealtimeServices", 1},
    {"ViewCookies", 0}, {"UpdateCookieFile", 0}, {"TrayIcon", kVariesByProgram},
    {"StartTab", 6026}, {"Browser", 1}, {"BrowserFailure", 0}, {"NoteSize", 14}, {"nCount", 0},
    {"SortStartup", 0}, {"SortPrograms", 0}, {"SortActiveTask", 0}, {"SortService", 0},
    {"SortScheduledTask", 0}, {"SortIEHelper", 0}, {"SortActiveX", 0}, {"SortFileType", 0},
    {"SortHidden", 0}, {"SortCookie", 0}, {"SortHistory", 0},
    {"Update", 0}, {"Cleanup", 0}, {"Debug", 0},
};

constexpr OptionId kAreaOptions[AREA_COUNT] = {
    OPT_Start, OPT_IEHelpers, OPT_Hidden, OPT_ActiveX, OPT_HostFile, OPT_StartPage,
    OPT_FileType, OPT_Tasks, OPT_WinInit, OPT_Services, OPT_Nuts, OPT_Cookies,
};

Settings g_settings{};

// Option reads share one width with the rest of the option code.
constexpr size_t kOptionText = 128;

} // namespace

Settings &TheSettings() { return g_settings; }
OptionId AreaOption(AreaId area) { return kAreaOptions[area]; }
const char *OptionName(OptionId id) { return kOptions[id].name; }

int32_t OptionDefault(OptionId id)
{
    switch (id) {
    case OPT_MaxCookie:
        return CurrentProgram() == ProgramKind::Monitor ? 315 : 4096;
    case OPT_TrayIcon:
        return PlatformId() == VER_PLATFORM_WIN32_NT ? 101 : 159;
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
    WriteRegString(HKEY_CURRENT_USER, kOptionsKey, "Update", "1");
    return written;
}

void LoadOptions()
{
    for (int id = 0; id < OPT_COUNT; ++id)
        g_settings.option[id] = GetOption(kOptions[id].name, OptionDefault(OptionId(id)));
    for (int area = 0; area < AREA_COUNT; ++area) {
        int32_t period = Period(AreaId(area));
        if (area != AREA_WinInit || g_settings.countdown[area] < period)
            g_settings.countdown[area] = period;
    }
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

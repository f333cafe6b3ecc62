// The options under Software\Orvanto\Sentrovia\Options and the process-wide settings record.
#pragma once
#include <cstdint>

// In table order; each has a name and a default (see options.cpp).
enum OptionId : int {
    OPT_SendHistory, OPT_HideBrisko, OPT_HideStartup, OPT_HideIEHelper, OPT_HideServices,
    OPT_HideActiveX, OPT_HideTasks, OPT_HideFileType, OPT_HideHidden, OPT_HideSystemFiles,
    OPT_HideHomePage, OPT_Format, OPT_ConfirmExit, OPT_Sound, OPT_History,
    OPT_HideMicrosoftServices, OPT_HideMicrosoftActiveX, OPT_IncludeKillBit, OPT_ActiveXListAll,
    OPT_LockFileTypes, OPT_ShowAllStartup, OPT_NoMicrosoftStartup, OPT_LumenFormat, OPT_MaxCookie,
    OPT_Start, OPT_IEHelpers, OPT_Hidden, OPT_ActiveX, OPT_HostFile, OPT_StartPage, OPT_FileType,
    OPT_Tasks, OPT_WinInit, OPT_Services, OPT_Nuts, OPT_Cookies,
    OPT_RealtimeStartup, OPT_RealtimeIEHelper, OPT_RealtimeSysFiles, OPT_RealtimeFileType,
    OPT_RealtimeStartPage, OPT_RealtimeHidden, OPT_RealtimeActiveX, OPT_RealtimeServices,
    OPT_ViewCookies, OPT_UpdateCookieFile, OPT_TrayIcon, OPT_StartTab, OPT_Browser,
    OPT_BrowserFailure, OPT_NoteSize, OPT_nCount,
    OPT_SortStartup, OPT_SortPrograms, OPT_SortActiveTask, OPT_SortService,
    OPT_SortScheduledTask, OPT_SortIEHelper, OPT_SortActiveX, OPT_SortFileType, OPT_SortHidden,
    OPT_SortCookie, OPT_SortHistory,
    OPT_Update, OPT_Cleanup, OPT_Debug,
    OPT_COUNT
};

// The areas checked on a period of verify cycles; each period is the option of the same name.
enum AreaId : int {
    AREA_Start, AREA_IEHelpers, AREA_Hidden, AREA_ActiveX, AREA_HostFile, AREA_StartPage,
    AREA_FileType, AREA_Tasks, AREA_WinInit, AREA_Services, AREA_Nuts, AREA_Cookies,
    AREA_COUNT
};

struct Settings {
    int32_t option[OPT_COUNT];
    int32_t countdown[AREA_COUNT];
};

Settings &TheSettings();
inline int32_t Option(OptionId id) { return TheSettings().option[id]; }
OptionId AreaOption(AreaId area);
inline int32_t Period(AreaId area) { return Option(AreaOption(area)); }

const char *OptionName(OptionId id);
// The default depends on the running program (MaxCookie) and the platform (TrayIcon).
int32_t OptionDefault(OptionId id);

// The option's decimal value; the default when it is missing, empty or does not fit 127 characters.
int GetOption(const char *name, int defaultValue);
// Writes "%d", then "1" to Update so a running Monitor reloads; 1 on success.
int SetOption(const char *name, int number);
// Fills the record and restarts every countdown (WinInit's is only ever raised by a load).
void LoadOptions();
// Writes every option of the record back.
void SaveOptions();

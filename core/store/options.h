// The options under Software\Orvanto\Sentrovia\Options and the process-wide settings record.
#pragma once
#include <cstdint>

// Every option once: its name and its default. MaxCookie and TrayIcon have defaults that depend
// on the program and the platform (OptionDefault). The list is expanded only where ids.h is
// in scope.
#define SENTROVIA_OPTIONS(X)                                                                    \
    X(SendHistory, 0) X(HideBrisko, 0) X(HideStartup, 0) X(HideIEHelper, 0)                    \
    X(HideServices, 0) X(HideActiveX, 0) X(HideTasks, 0) X(HideFileType, 0) X(HideHidden, 0)   \
    X(HideSystemFiles, 0) X(HideHomePage, 0) X(Format, 0) X(ConfirmExit, 0) X(Sound, 1)        \
    X(History, 1) X(HideMicrosoftServices, 1) X(HideMicrosoftActiveX, 0) X(IncludeKillBit, 0)  \
    X(ActiveXListAll, 0) X(LockFileTypes, 0) X(ShowAllStartup, 0) X(NoMicrosoftStartup, 0)     \
    X(LumenFormat, 0) X(MaxCookie, kVariesByProgram)                                           \
    X(Start, 2) X(IEHelpers, 2) X(Hidden, 0) X(ActiveX, 4) X(HostFile, 3) X(StartPage, 2)      \
    X(FileType, 10) X(Tasks, 11) X(WinInit, 5) X(Services, 7) X(Nuts, 0) X(Cookies, 0)         \
    X(RealtimeStartup, 1) X(RealtimeIEHelper, 1) X(RealtimeSysFiles, 1) X(RealtimeFileType, 0) \
    X(RealtimeStartPage, 1) X(RealtimeHidden, 0) X(RealtimeActiveX, 1) X(RealtimeServices, 1)  \
    X(ViewCookies, 0) X(UpdateCookieFile, 0) X(TrayIcon, kVariesByProgram)                     \
    X(StartTab, IDM_PAGE_STARTUP) X(Browser, 1) X(BrowserFailure, 0) X(NoteSize, 14)           \
    X(nCount, 0)                                                                               \
    X(SortStartup, 0) X(SortPrograms, 0) X(SortActiveTask, 0) X(SortService, 0)                \
    X(SortScheduledTask, 0) X(SortIEHelper, 0) X(SortActiveX, 0) X(SortFileType, 0)            \
    X(SortHidden, 0) X(SortCookie, 0) X(SortHistory, 0)                                        \
    X(Update, 0) X(Cleanup, 0) X(Debug, 0)

enum OptionId : int {
#define SENTROVIA_OPTION_ID(name, value) OPT_##name,
    SENTROVIA_OPTIONS(SENTROVIA_OPTION_ID)
#undef SENTROVIA_OPTION_ID
    OPT_COUNT
};

struct Settings {
    int32_t option[OPT_COUNT];
};

Settings &TheSettings();
inline int32_t Option(OptionId id) { return TheSettings().option[id]; }

const char *OptionName(OptionId id);
// The default depends on the running program (MaxCookie) and the platform (TrayIcon).
int32_t OptionDefault(OptionId id);

// The option's decimal value; the default when it is missing, empty or does not fit 127 characters.
int GetOption(const char *name, int defaultValue);
// Writes "%d", then "1" to Update so a running Monitor reloads; 1 on success.
int SetOption(const char *name, int number);
// Sets the option in the record and stores it (SetOption); the write's result.
int StoreOption(OptionId id, int32_t number);
// Fills the record.
void LoadOptions();
// When another program changed options (Update is set): loads them and clears Update. 1 when
// it reloaded.
int ReloadChangedOptions();
// Writes every option of the record back.
void SaveOptions();

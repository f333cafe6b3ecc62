// The programs' own registry tree (under HKEY_CURRENT_USER unless noted).
#pragma once

inline constexpr const char kVendorKey[] = "Software\\Orvanto";
inline constexpr const char kProductKey[] = "Software\\Orvanto\\Sentrovia";
inline constexpr const char kOptionsKey[] = "Software\\Orvanto\\Sentrovia\\Options";
inline constexpr const char kDetectedKey[] = "Software\\Orvanto\\Detected";

// The system's startup locations.
inline constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kWow64CurrentVersion[] =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";
// The Run keys under CurrentVersion, in the walk's order (location codes 1-7 and 11-17).
inline constexpr const char *kRunKeys[] = {"Run",         "RunOnce",         "RunOnceEx",
                                           "RunServices", "RunServicesOnce", "RunOnce\\Setup",
                                           "policies\\Explorer\\Run"};
inline constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kNotifyKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
inline constexpr char kWindowsNtKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
inline constexpr char kDelayLoadKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
inline constexpr char kTaskSchedulerKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
inline constexpr char kShellHooksKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
inline constexpr char kDisabledFolderName[] = "Disabled";

// The browser's address prefixes.
inline constexpr char kPrefixesKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
inline constexpr char kDefaultPrefixKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";

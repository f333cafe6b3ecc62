// The browser's start and search pages and the desktop's web page: each against the page the
// user approved, kept as a value of the product key.
#pragma once
#include <string>

#include <windows.h>

struct PageChange {
    UINT question;         // the text that asks about it, with the new and the approved page
    std::string now;       // the page as it is
    std::string approved;  // the page as approved
};

// A machine-wide setting that changed since it was approved, as texts for the question.
struct SettingChange {
    UINT question;
    std::string approved;
    std::string now;
};

// The Automatic Updates setting: 1 when it differs from the approved one (a missing or invalid
// approved number is replaced by the current one first, without asking).
int AutoUpdateChanged(SettingChange &change);
// The machine's AUOptions number now, and the text of a setting number.
int AutoUpdateSetting();
std::string AutoUpdateText(int number);
void KeepAutoUpdate();     // the new setting becomes the approved one
void RestoreAutoUpdate();  // the approved setting is written back (needs the machine's rights)
// The "www" address prefix, the same way.
int UrlPrefixChanged(SettingChange &change);
void KeepUrlPrefix();
void RestoreUrlPrefix();

// Compares every watched page with its approved one (one trailing "/" and letter case aside); a
// page with none approved is approved as it is. For each change decide answers IDYES to take
// the new page or IDNO to write the approved one back.
void CheckBrowserPages(int (*decide)(const PageChange &change, void *context), void *context);

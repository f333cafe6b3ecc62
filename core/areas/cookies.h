// Cookies of Internet Explorer (one file each in its cookie folder) and of the Mozilla family
// (the lines of cookies.txt in the profile folder), the user's cookie filters ("nuts") and the
// cookies the user keeps.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

constexpr int kIECookieKind = 500;
constexpr int kMozillaCookieKind = 504;
constexpr int kCookieReadLimit = 268288;  // bytes of cookies.txt a listing reads
constexpr size_t kNutWidth = 511;         // the longest filter text kept in memory
constexpr size_t kNewNutWidth = 127;      // the longest filter the Explorer accepts
constexpr int kMostNuts = 255;            // more loaded than this, no new one is accepted

enum CookieMode : int { COOKIES_InternetExplorer = 1, COOKIES_Mozilla = 3 };
// The mode the listing and the removals work in; it starts as Internet Explorer's.
int CurrentCookieMode();
void SetCookieMode(int mode);
// The mode of a browser kind (or of the Browser option, which counts the same way): Netscape,
// Firefox and Mozilla read cookies.txt, every other kind Internet Explorer's files.
int CookieModeOf(int browserKind);

// The folders, each ending with a backslash; 0 when none qualifies (the IE look-up then writes
// "Cookie Folder Not Found").
int GetIECookieFolder(char *out, size_t capacity);
int GetMozillaProfileFolder(char *out, size_t capacity);
// Stores the folder of a chosen file as the current mode's cookie folder.
void StoreCookieFolder(const char *chosenFile);

// Empties the entry list and lists the current mode's cookies; with apply above 0 the filters
// are loaded and applied first (IE cookie files that match are deleted; a Mozilla copy without
// the filtered lines is made to replace cookies.txt later) and released after. The number
// listed.
int EnumCookies(int apply);

// The filters: Software\Orvanto\Sentrovia\Nuts, one value per filter, "1" for an active one,
// "2" for one Mozilla cookie marked for removal at the next swap.
int LoadNuts();
void ReleaseNuts();
int NutCount();
const char *NutText(int index);
int NutState(int index);
enum class NutAdded { Added, TooMany, Unfit };
// Adds an active filter (1 to 127 characters) and applies it at once; refused with TooMany when
// more than 255 are loaded.
NutAdded AddNut(const char *text);
int RemoveNut(const char *text);
// Writes "1" for every loaded active filter.
void SaveNuts();
// 1 when the text contains a loaded filter, in any letter case; a text longer than 512
// characters never matches.
int MatchesNut(const char *text);
// Deletes every cookie mark ("2"): called once the filtered copy has replaced cookies.txt.
void PurgeRemovedNuts();
// Whether a cookie's list text is a Nuts value of either state.
bool IsNutValue(const char *text);

// The kept cookies: Software\Orvanto\Sentrovia\Cookies, value "1" per cookie list text.
bool IsKeptCookie(const char *text);
void KeepCookie(const char *text);
// Removes a cookie of the viewer: no longer kept; in IE mode its file goes (marked "2" when the
// folder is unknown), in Mozilla mode it is marked "2" for the next filtered copy.
void RemoveCookie(const char *text);

void SetUpdateCookieFile(bool on);
int UpdateCookieFilePending();
// Puts the filtered copy in place of cookies.txt when one is pending and no Mozilla window is
// open; 1 when done. The copy replaces the file whole, so a crash leaves one or the other.
int SwapMozillaCookieFile();

// The list text of a Mozilla cookie: its domain without a leading dot, " - ", its name.
std::string MozillaCookieText(const std::string &domain, const std::string &name);

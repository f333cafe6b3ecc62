// Small string helpers over 8-bit ANSI text in fixed buffers. Outputs go through the bounded
// writers: they never pass their capacity and are always terminated; a result that does not fit
// is cut and the function answers 0. A null input text counts as an empty one unless told
// otherwise.
#pragma once
#include <cstddef>

// Longest text ContainsNoCase looks into; longer texts never contain anything.
constexpr size_t kContainsTextLimit = 772;

// 1 when part occurs in text ignoring ASCII case (an empty part occurs in every text); 0 when
// either is null, text is longer than kContainsTextLimit, or part is longer than text.
int ContainsNoCase(const char *text, const char *part);

// Where part first occurs in text ignoring ASCII case, at any length; nullptr when it does not
// (or either is null). An empty part occurs at the start.
const char *FindNoCase(const char *text, const char *part);
// 1 when the two texts are equal ignoring ASCII case; 0 when either is null.
int EqualsNoCase(const char *left, const char *right);

// Copies text without its double quotes, at most 259 characters.
int StripQuotes(const char *text, char *out, size_t capacity);

// The text after the last backslash. With no backslash (or a null path) answers 0 and leaves out
// untouched; otherwise writes it (cut when needed) and answers 1.
int FileNamePart(const char *path, char *out, size_t capacity);

// The file name of a path: the part after its last backslash, the whole path without one.
const char *FileNameOf(const char *path);

// Index just after the last backslash, 0 when there is none: where to cut a path in place.
size_t AfterLastBackslash(const char *path);

// The text after its leading spaces (a pointer into text; "" for null).
const char *SkipSpaces(const char *text);

// The text after the first "." (a pointer into text; "" when there is no dot or text is null).
const char *ExtensionOf(const char *text);

// Appends a backslash unless the text already ends with one. Answers 1 when the text ends with a
// backslash afterwards; 0 (text unchanged) when it is empty, unterminated, or has no room.
int AddTrailingBackslash(char *text, size_t capacity);

// Removes one trailing backslash; with keepAfterDriveColon a root such as "C:\" keeps its own.
// Answers 1 when one was removed.
int RemoveTrailingBackslash(char *text, int keepAfterDriveColon);

// Replaces every from by to in place; to == '\0' removes them instead. 1 when any was found.
int ReplaceChar(char *text, char from, char to);

// Replaces every "=" by ":" in place (registry value names can't hold what a path key needs).
int EqualsToColon(char *text);

// Decimal text with a comma before every group of three digits from the right ("-1,234,567").
int ThousandsText(long long number, char *out, size_t capacity);

// Query-string value: every space as %20, every "&" as "+", and "#", quotes, "<" and ">" as their
// %XX escapes. An escape is never cut in half.
int UrlQueryText(const char *text, char *out, size_t capacity);

// Every backslash doubled (registry export text). A doubled pair is never cut in half.
int DoubleBackslashes(const char *text, char *out, size_t capacity);

// Copy with every comma replaced by a space (comma-separated report columns).
int CommasToSpaces(const char *text, char *out, size_t capacity);

// A string-table text with insert in place of its first "%s", put in by hand so that any other
// "%" of a translated text stays text. 1 when the text had the mark (0: copied as it stands).
int InsertAtMark(const char *text, const char *insert, char *out, size_t capacity);

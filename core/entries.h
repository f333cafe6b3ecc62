// The entry list: one process-wide list that every enumeration of either program empties and
// fills, in insertion order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kMaxEntries = 4096;
constexpr int kCookieKind = 500;

// Field widths in characters (a terminator follows each).
constexpr size_t kTitleWidth = 127;
constexpr size_t kPathWidth = 259;
constexpr size_t kDetailWidth = 259;
constexpr size_t kDescriptionWidth = 1023;

// Adds an entry after normalising it: texts cut to their widths, quotes removed from the path,
// long-path forms, a title derived from the path when empty, and the product name for a title
// that holds it. 0 when the list is full (or holds MaxCookie cookies and this is one).
int AddEntry(const char *title, const char *path, const char *detail, const char *description,
             int32_t kindCode, int32_t extraNumber);
void ClearEntryList();
// 1 when an entry was refused for the list's size since the list was last emptied.
int EntryListFull();
// A command as AddEntry stores it as a path, in full: quotes removed, and the long-path form when
// it is short enough to name a file.
std::string ListedCommandOf(const char *command);
int EntryCount();

// Each copies the field of the entry at index into buffer (cut to the field's width and the
// buffer) and answers its length; 0 and an empty buffer when the index holds no entry.
int EntryTitle(int index, char *buffer, size_t capacity);
int EntryPath(int index, char *buffer, size_t capacity);
int EntryDetail(int index, char *buffer, size_t capacity);
int EntryDescription(int index, char *buffer, size_t capacity);
// The title and path whole, as they were added (after the path's normalising), even where the
// fields above show them cut with "..."; "" when the index holds no entry. Valid until the list
// changes. Actions on an entry name it by these.
const char *EntryWholeTitle(int index);
const char *EntryWholePath(int index);
// 0 when the index holds no entry.
int32_t EntryKind(int index);
int32_t EntryExtra(int index);
void SetEntryKind(int index, int32_t kindCode);
// The name the entry's actions use (EntryWholeTitle), where its shown title stands for another:
// an item whose name holds the product's is shown as the product, but is still its own item.
void KeepEntryName(int index, const char *name);

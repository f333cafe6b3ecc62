#include "entries.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bounded.h"
#include "files.h"
#include "options.h"
#include "text.h"

namespace {

constexpr char kProductName[] = "Sentrovia";
// Paths shorter than this are stored as given: too short to name a file.
constexpr size_t kLongFormMinimum = 4;

struct Entry {
    char title[kTitleWidth + 1];
    char path[kPathWidth + 1];
    char detail[kDetailWidth + 1];
    char description[kDescriptionWidth + 1];
    int32_t kind;
    int32_t extra;
    // The whole title and path when the fields above show them cut; empty otherwise.
    std::string wholeTitle;
    std::string wholePath;
};

std::vector<std::unique_ptr<Entry>> g_entries;
bool g_refused = false;  // an entry was refused for the list's size since it was last emptied

const Entry *At(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= g_entries.size())
        return nullptr;
    return g_entries[index].get();
}

// Copies one text field of the entry at index; a missing entry reads as empty.
int CopyField(int index, const char *(*field)(const Entry &), char *buffer, size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;
    const Entry *entry = At(index);
    CopyBounded(buffer, capacity, entry ? field(*entry) : "");
    return static_cast<int>(strlen(buffer));
}

// The file name without its last four characters (its extension and dot).
void DerivedTitle(const char *path, char *title, size_t capacity)
{
    CopyBounded(title, capacity, path + AfterLastBackslash(path));
    size_t length = strlen(title);
    title[length > 4 ? length - 4 : 0] = '\0';
}

// The start of text, ended by "..." when it is wider than the field.
template <size_t N> void CutWithEllipsis(char (&field)[N], const std::string &text)
{
    if (text.size() < N) {
        CopyBounded(field, text.c_str());
        return;
    }
    memcpy(field, text.data(), N - 4);
    memcpy(field + N - 4, "...", 4);
}

} // namespace

std::string ListedCommandOf(const char *command)
{
    // Every quote goes, however long the command (the text helper stops at a path's width).
    std::string unquoted;
    for (const char *p = command != nullptr ? command : ""; *p != '\0'; ++p)
        if (*p != '"')
            unquoted += *p;
    if (unquoted.size() < kLongFormMinimum || unquoted.size() > kPathWidth)
        return unquoted;
    char longForm[kPathWidth + 1];
    LongPathForm(unquoted.c_str(), longForm, sizeof longForm);
    return longForm;
}

int AddEntry(const char *title, const char *path, const char *detail, const char *description,
             int32_t kindCode, int32_t extraNumber)
{
    int count = EntryCount();
    if (count >= kMaxEntries || (kindCode == kCookieKind && count >= Option(OPT_MaxCookie))) {
        g_refused = true;
        return 0;
    }

    std::unique_ptr<Entry> entry(new (std::nothrow) Entry);
    if (!entry)
        return 0;
    try {
        title = title != nullptr ? title : "";
        CopyBounded(entry->title, title);
        CopyBounded(entry->description, description);
        // A path too wide for its field is kept whole beside the field, which shows it cut:
        // Windows runs the whole command, so the actions must name it.
        std::string listed = ListedCommandOf(path);
        if (listed.size() > kPathWidth) {
            entry->wholePath = listed;
            CutWithEllipsis(entry->path, listed);
        } else {
            CopyBounded(entry->path, listed.c_str());
        }
        char cutDetail[kDetailWidth + 1];
        CopyBounded(cutDetail, detail);
        if (strlen(entry->path) >= kLongFormMinimum)
            LongPathForm(cutDetail, entry->detail, sizeof entry->detail);
        else
            CopyBounded(entry->detail, cutDetail);

        if (entry->title[0] == '\0') {
            DerivedTitle(entry->path, entry->title, sizeof entry->title);
        } else if (ContainsNoCase(entry->title, kProductName)) {
            CopyBounded(entry->title, kProductName);
        } else if (strlen(title) > kTitleWidth) {
            entry->wholeTitle = title;
            CutWithEllipsis(entry->title, entry->wholeTitle);
        }
    } catch (const std::bad_alloc &) {
        return 0;
    }

    entry->kind = kindCode;
    entry->extra = extraNumber;
    try {
        g_entries.push_back(std::move(entry));
    } catch (const std::bad_alloc &) {
        return 0;
    }
    return 1;
}

int EntryListFull() { return g_refused ? 1 : 0; }

void ClearEntryList()
{
    g_refused = false;
    g_entries.clear();
    g_entries.shrink_to_fit();
}

int EntryCount() { return static_cast<int>(g_entries.size()); }

const char *EntryWholeTitle(int index)
{
    const Entry *entry = At(index);
    if (entry == nullptr)
        return "";
    return entry->wholeTitle.empty() ? entry->title : entry->wholeTitle.c_str();
}

const char *EntryWholePath(int index)
{
    const Entry *entry = At(index);
    if (entry == nullptr)
        return "";
    return entry->wholePath.empty() ? entry->path : entry->wholePath.c_str();
}

int EntryTitle(int index, char *buffer, size_t capacity)
{
    return CopyField(index, [](const Entry &e) -> const char * { return e.title; }, buffer,
                     capacity);
}

int EntryPath(int index, char *buffer, size_t capacity)
{
    return CopyField(index, [](const Entry &e) -> const char * { return e.path; }, buffer,
                     capacity);
}

int EntryDetail(int index, char *buffer, size_t capacity)
{
    return CopyField(index, [](const Entry &e) -> const char * { return e.detail; }, buffer,
                     capacity);
}

int EntryDescription(int index, char *buffer, size_t capacity)
{
    return CopyField(index, [](const Entry &e) -> const char * { return e.description; }, buffer,
                     capacity);
}

int32_t EntryKind(int index)
{
    const Entry *entry = At(index);
    return entry ? entry->kind : 0;
}

int32_t EntryExtra(int index)
{
    const Entry *entry = At(index);
    return entry ? entry->extra : 0;
}

void KeepEntryName(int index, const char *name)
{
    if (index < 0 || static_cast<size_t>(index) >= g_entries.size() || name == nullptr ||
        strcmp(EntryWholeTitle(index), name) == 0)
        return;
    try {
        g_entries[index]->wholeTitle = name;
    } catch (const std::bad_alloc &) {
    }
}

void SetEntryKind(int index, int32_t kindCode)
{
    if (index >= 0 && static_cast<size_t>(index) < g_entries.size())
        g_entries[index]->kind = kindCode;
}

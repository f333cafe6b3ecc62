// Helpers of the startup tests: registry texts, path forms, fixture copies, shell shortcuts,
// win.ini keys and the entry list as the walk left it.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <ostream>
#include <string>
#include <vector>

#include "com.h"
#include "scratch.h"

// ---- Registry ----

// The approved startup entries: one value per entry, named by its baseline name.
inline constexpr char kRunBaselineKey[] = "Software\\Orvanto\\Sentrovia\\Run";

// Writes a string value of the given type as it is (no expansion).
void SetText(HKEY root, const std::string &path, const char *name, const std::string &text,
             DWORD type = REG_SZ);

// ---- Files ----

// What the system calls the long form of a path (the entry list stores paths in it); the path
// unchanged when it has none.
std::string LongForm(const std::string &path);
std::string ShortForm(const std::string &path);

// Copies a built fixture program to target (its folders made first); the target's name.
std::string CopyFixtureTo(const char *fixture, const std::string &target);

// Copies a built fixture program into a scratch folder under the name given.
inline std::string CopyFixture(const ScratchFolder &folder, const char *fixture,
                               const std::string &as)
{
    return CopyFixtureTo(fixture, folder.Write(as, ""));
}

// ---- Shortcuts ----

// Saves a shell shortcut to target as file; no description when it is null.
void MakeShortcut(const std::string &file, const std::string &target, const char *description,
                  const char *arguments = "");

// What a shortcut file holds; target and icon in their long forms.
struct Shortcut {
    std::string target, arguments, description, folder, icon;
    int iconIndex = -1;
    bool operator==(const Shortcut &) const = default;
};
void PrintTo(const Shortcut &s, std::ostream *out);

// Reads a shortcut file; a failure (and an empty record) when there is none.
Shortcut ReadShortcut(const std::string &file);

// ---- win.ini ----

// Puts a key of win.ini's [windows] section back as it was, wherever it was written.
class ProfileKeyRestorer {
public:
    explicit ProfileKeyRestorer(const char *key);
    ~ProfileKeyRestorer();
    ProfileKeyRestorer(const ProfileKeyRestorer &) = delete;
    ProfileKeyRestorer &operator=(const ProfileKeyRestorer &) = delete;

private:
    const char *key_;
    bool present_ = false;
    std::string saved_;
};

// ---- The entry list ----

struct Listed {
    std::string title, path, detail, description;
    int kind = 0;
    int extra = 0;
    bool operator==(const Listed &) const = default;
};
void PrintTo(const Listed &e, std::ostream *out);

// Every entry of the entry list, in its order.
std::vector<Listed> ListedEntries();

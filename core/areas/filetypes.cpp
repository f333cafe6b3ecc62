// File-type associations: the monitored extensions, their associations from three sources and
// the approved copy of each.
#include "filetypes.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "trace.h"
#include "version.h"

namespace {

constexpr char kClassKey[] = "Software\\Orvanto\\Sentrovia\\Class";
constexpr char kExtKey[] = "Software\\Orvanto\\Sentrovia\\Ext";
constexpr char kExtTypeKey[] = "Software\\Orvanto\\Sentrovia\\ExtType";
constexpr char kFileExtsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr char kMachineClasses[] = "Software\\Classes\\";
constexpr char kOpenCommand[] = "\\shell\\open\\command";
constexpr char kMarker[] = "Do not edit.";
constexpr size_t kRerecordMarkerLength = 11;
constexpr size_t kTokenLimit = 256;       // characters of one extension of the list
constexpr size_t kTypedLimit = 255;       // characters of an extension the user types
constexpr size_t kListRoom = 1020;        // the list and a new extension must stay below
constexpr size_t kFieldWidth = 259;       // a look-up's class name and command

std::string ReadText(HKEY root, const std::string &path, const char *name)
{
    return ReadRegWholeString(root, path.c_str(), name);
}

void WriteText(HKEY root, const std::string &path, const char *name, const std::string &text)
{
    WriteRegText(root, path.c_str(), name, text.c_str(), REG_SZ);
}

std::string Trimmed(const char *text)
{
    std::string trimmed = text != nullptr ? text : "";
    const size_t first = trimmed.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = trimmed.find_last_not_of(" \t");
    return trimmed.substr(first, last - first + 1);
}

// The extension with one leading dot.
std::string Dotted(const char *ext)
{
    std::string dotted = ext != nullptr ? ext : "";
    return !dotted.empty() && dotted[0] == '.' ? dotted : '.' + dotted;
}

std::string Undotted(const std::string &ext) { return !ext.empty() && ext[0] == '.' ? ext.substr(1) : ext; }

const char *SourceKey(int source)
{
    switch (source) {
    case SOURCE_System:
        return "Software\\Orvanto\\Sentrovia\\Ext";
    case SOURCE_Application:
        return "Software\\Orvanto\\Sentrovia\\ExtApp";
    case SOURCE_ProgId:
        return "Software\\Orvanto\\Sentrovia\\ExtProgID";
    default:
        return nullptr;
    }
}

// Where a source's open command lives, for a class name.
bool CommandPlace(int source, const std::string &className, HKEY &root, std::string &path)
{
    if (className.empty())
        return false;
    switch (source) {
    case SOURCE_System:
        root = HKEY_LOCAL_MACHINE;
        path = kMachineClasses + className + kOpenCommand;
        return true;
    case SOURCE_Application:
        root = HKEY_CLASSES_ROOT;
        path = "Applications\\" + className + kOpenCommand;
        return true;
    case SOURCE_ProgId:
        root = HKEY_CLASSES_ROOT;
        path = className + kOpenCommand;
        return true;
    default:
        return false;
    }
}

// Where a source names the extension's class: a key and a value name (null: the default).
bool ClassPlace(int source, const std::string &dotted, HKEY &root, std::string &path,
                const char *&name)
{
    switch (source) {
    case SOURCE_System:
        root = HKEY_LOCAL_MACHINE;
        path = kMachineClasses + dotted;
        name = nullptr;
        return true;
    case SOURCE_Application:
    case SOURCE_ProgId:
        root = HKEY_CURRENT_USER;
        path = kFileExtsKey + dotted;
        name = source == SOURCE_Application ? "Application" : "ProgID";
        return true;
    default:
        return false;
    }
}

struct Association {
    std::string className;
    std::string command;
};

bool LookUp(const std::string &dotted, int source, Association &found)
{
    found = Association{};
    HKEY root = nullptr;
    std::string path;
    const char *name = nullptr;
    if (!ClassPlace(source, dotted, root, path, name))
        return false;
    found.className = ReadText(root, path, name);
    if (!CommandPlace(source, found.className, root, path)) {
        found = Association{};
        return false;
    }
    found.command = ReadText(root, path, nullptr);
    if (found.command.empty())
        found = Association{};
    return !found.command.empty();
}

std::string MonitoredList()
{
    std::string list = ReadText(HKEY_CURRENT_USER, kClassKey, nullptr);
    if (list.size() > kMonitoredListLimit)
        list.resize(kMonitoredListLimit);
    return list;
}

std::vector<std::string> Tokens(const std::string &list)
{
    std::vector<std::string> tokens;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        std::string token = list.substr(start, end - start);
        if (token.size() > kTokenLimit)
            token.resize(kTokenLimit);
        if (!token.empty())
            tokens.push_back(token);
        start = end + 1;
    }
    return tokens;
}

// The approved command's value: the class name, which must never be empty (the default value of
// the key holds the list).
std::string ApprovedCommandOf(const std::string &className)
{
    return className.empty() ? std::string() : ReadText(HKEY_CURRENT_USER, kClassKey,
                                                         className.c_str());
}

int RerecordAll()
{
    const int count = EnumFileTypes();
    struct Listed {
        std::string ext;
        int source;
    };
    std::vector<Listed> listed;
    for (int i = 0; i < count; ++i) {
        char ext[kDescriptionWidth + 1];
        if (EntryDescription(i, ext, sizeof ext) > 0)
            listed.push_back({ext, EntryExtra(i)});
    }
    ClearEntryList();
    for (const Listed &entry : listed)
        RecordAssociation(entry.ext.c_str(), entry.source);
    return count;
}

// The program's file name without its extension, spelt as the command spells it.
std::string ProgramName(const std::string &command, const char *program)
{
    const char *name = FileNameOf(program);
    const char *spelt = FindNoCase(command.c_str(), name);
    std::string shown = spelt != nullptr ? std::string(spelt, strlen(name)) : std::string(name);
    const size_t dot = shown.rfind('.');
    return dot != std::string::npos && dot > 0 ? shown.substr(0, dot) : shown;
}

void CopyField(const std::string &text, char *out, size_t capacity)
{
    if (out == nullptr || capacity == 0)
        return;
    const size_t width = capacity - 1 < kFieldWidth ? capacity - 1 : kFieldWidth;
    const size_t length = text.size() < width ? text.size() : width;
    memcpy(out, text.data(), length);
    out[length] = '\0';
}

} // namespace

int CreateClassInfo()
{
    const std::string marker = ReadText(HKEY_CURRENT_USER, kExtKey, nullptr);
    if (marker.size() == kRerecordMarkerLength) {
        RerecordAll();
        WriteText(HKEY_CURRENT_USER, kExtKey, nullptr, kMarker);
        return 0;
    }
    const std::string list = MonitoredList();
    if (!marker.empty() && !list.empty() && list.substr(0, 10).find(';') != std::string::npos)
        return 0;
    for (int source : {SOURCE_System, SOURCE_Application, SOURCE_ProgId})
        CreateRegKey(HKEY_CURRENT_USER, SourceKey(source));
    CreateRegKey(HKEY_CURRENT_USER, kClassKey);
    char defaults[kMonitoredListLimit + 1];
    LoadText(IDS_DEFAULT_FILE_TYPES, defaults);
    WriteText(HKEY_CURRENT_USER, kClassKey, nullptr, defaults);
    const int count = RerecordAll();
    WriteText(HKEY_CURRENT_USER, kExtKey, nullptr, kMarker);
    return count;
}

void PrepareFileTypes()
{
    Trace("CreateClassInfo", "sentrovia");
    CreateClassInfo();
}

int EnumFileTypes()
{
    ClearEntryList();
    for (const std::string &token : Tokens(MonitoredList())) {
        const std::string dotted = '.' + token;
        for (int source : {SOURCE_System, SOURCE_Application, SOURCE_ProgId}) {
            Association association;
            if (!LookUp(dotted, source, association))
                continue;
            std::string title =
                ReadText(HKEY_LOCAL_MACHINE, kMachineClasses + association.className, nullptr);
            if (title.empty()) {
                // Named by the program: the class tells nothing of itself.
                char program[MAX_PATH];
                CleanPath(association.command.c_str(), program, sizeof program);
                static VersionRecord version;
                ReadVersionInfo(program, &version);
                title = version.slot[VS_ProductName][0] != '\0' ? version.slot[VS_ProductName]
                                                                : version.slot[VS_FileDescription];
                if (title.empty())
                    title = ProgramName(association.command, program);
            }
            AddEntry(title.c_str(), association.command.c_str(), association.className.c_str(),
                     dotted.c_str(), kFileTypeKind, source);
        }
    }
    return EntryCount();
}

int LookUpAssociation(const char *ext, int source, char *className, size_t classCapacity,
                      char *command, size_t commandCapacity)
{
    Association found;
    const int result = LookUp(Dotted(ext), source, found) ? 1 : 0;
    CopyField(found.className, className, classCapacity);
    CopyField(found.command, command, commandCapacity);
    return result;
}

int RecordAssociation(const char *ext, int source)
{
    const std::string dotted = Dotted(ext);
    Association found;
    if (SourceKey(source) == nullptr || !LookUp(dotted, source, found))
        return 1;
    WriteText(HKEY_CURRENT_USER, SourceKey(source), dotted.c_str(), found.className);
    // Kept as written, quotes and all, so that writing it back gives exactly this command.
    WriteText(HKEY_CURRENT_USER, kClassKey, found.className.c_str(), found.command);
    return 1;
}

std::string ApprovedCommand(const char *ext, int source)
{
    if (SourceKey(source) == nullptr)
        return std::string();
    return ApprovedCommandOf(ReadText(HKEY_CURRENT_USER, SourceKey(source), Dotted(ext).c_str()));
}

void RestoreAssociation(const char *ext, int source)
{
    const std::string dotted = Dotted(ext);
    if (SourceKey(source) == nullptr)
        return;
    const std::string className = ReadText(HKEY_CURRENT_USER, SourceKey(source), dotted.c_str());
    HKEY root = nullptr;
    std::string path;
    const char *name = nullptr;
    if (className.empty() || !ClassPlace(source, dotted, root, path, name))
        return;
    WriteText(root, path, name, className);
    const std::string command = ApprovedCommandOf(className);
    if (!command.empty() && CommandPlace(source, className, root, path))
        WriteText(root, path, nullptr, command);
}

int AddMonitoredType(const char *text)
{
    std::string typed = Trimmed(text);
    if (typed.size() > kTypedLimit)
        typed.resize(kTypedLimit);
    const std::string ext = Trimmed(Undotted(typed).c_str());
    if (ext.empty())
        return kNothingToAdd;
    std::string list = MonitoredList();
    if (list.size() + ext.size() >= kListRoom)
        return IDS_FILE_TYPES_LIMIT;
    for (const std::string &token : Tokens(list))
        if (EqualsNoCase(token.c_str(), ext.c_str()))
            return IDS_FILE_TYPE_ALREADY_WATCHED;
    for (int source : {SOURCE_System, SOURCE_Application, SOURCE_ProgId})
        RecordAssociation(ext.c_str(), source);
    // A list that lost its last separator keeps its last extension whole.
    if (!list.empty() && list.back() != ';')
        list += ';';
    list += ext + ';';
    WriteText(HKEY_CURRENT_USER, kClassKey, nullptr, list);
    return 0;
}

int RemoveMonitoredType(const char *ext)
{
    const std::string removed = Undotted(Trimmed(ext));
    std::string list;
    for (const std::string &token : Tokens(MonitoredList()))
        if (!EqualsNoCase(token.c_str(), removed.c_str()))
            list += token + ';';
    WriteText(HKEY_CURRENT_USER, kClassKey, nullptr, list);
    const std::string dotted = '.' + removed;
    const std::string className = ReadText(HKEY_CURRENT_USER, kExtKey, dotted.c_str());
    if (className.empty())
        return 1;
    for (const char *key : {kExtKey, kExtTypeKey}) {
        WriteText(HKEY_CURRENT_USER, key, dotted.c_str(), "");
        DeleteRegValue(HKEY_CURRENT_USER, key, dotted.c_str());
    }
    if (!IsClassInUse(className.c_str()))
        DeleteRegValue(HKEY_CURRENT_USER, kClassKey, className.c_str());
    return 1;
}

int IsClassInUse(const char *className)
{
    int used = 0;
    for (int i = 0, count = EnumFileTypes(); i < count && !used; ++i) {
        char detail[kDetailWidth + 1];
        EntryDetail(i, detail, sizeof detail);
        used = EqualsNoCase(detail, className != nullptr ? className : "") ? 1 : 0;
    }
    ClearEntryList();
    return used;
}

const char *CommandTail(const char *command)
{
    if (command == nullptr)
        return "";
    const char *last = strrchr(command, '\\');
    return last != nullptr ? last + 1 : command;
}

void CommandDisplay(const char *command, char *out, size_t capacity)
{
    const char *text = command != nullptr ? command : "";
    if (EqualsNoCase(text, "%1 %*") || EqualsNoCase(text, "%1 /S")) {
        LoadText(IDS_EXECUTABLE, out, capacity);
        return;
    }
    if (text[0] == '\0') {
        LoadText(IDS_NO_ASSOCIATED_FILE, out, capacity);
        return;
    }
    // A library run by rundll32 is named by the library.
    if (const char *rundll = FindNoCase(text, "RUNDLL32.EXE ")) {
        text = rundll + 13;
    }
    char program[MAX_PATH];
    CleanPath(text, program, sizeof program);
    CopyBounded(out, capacity, FileNameOf(program));
}

void FileTypeIcon(const char *ext, int source, char *file, size_t capacity, int *index)
{
    if (index != nullptr)
        *index = 0;
    if (file == nullptr || capacity == 0)
        return;
    file[0] = '\0';
    const std::string dotted = Dotted(ext);
    const std::string className = ReadText(HKEY_LOCAL_MACHINE, kMachineClasses + dotted, nullptr);
    const std::string icon = className.empty()
                                 ? std::string()
                                 : ReadText(HKEY_LOCAL_MACHINE,
                                            kMachineClasses + className + "\\DefaultIcon", nullptr);
    const size_t comma = icon.rfind(',');
    if (comma != std::string::npos) {
        CopyBounded(file, capacity, icon.substr(0, comma).c_str());
        if (index != nullptr)
            *index = atoi(icon.c_str() + comma + 1);
        return;
    }
    Association own;
    LookUp(dotted, source, own);
    CopyBounded(file, capacity, own.command.c_str());
}

void FileTypePlaces(PlaceList &out)
{
    const auto add = [&out](HKEY root, const std::string &path) {
        for (const WatchedPlace &place : out)
            if (place.root == root && EqualsNoCase(place.path.c_str(), path.c_str()))
                return;
        AddKeyPlace(out, root, path);
    };
    for (const std::string &token : Tokens(MonitoredList())) {
        const std::string dotted = '.' + token;
        for (int source : {SOURCE_System, SOURCE_Application, SOURCE_ProgId}) {
            HKEY root = nullptr;
            std::string path;
            const char *name = nullptr;
            if (!ClassPlace(source, dotted, root, path, name))
                continue;
            add(root, path);
            // The command of the class named now; a class changed later is watched again from
            // the pass that finds it.
            const std::string className = ReadText(root, path, name);
            if (CommandPlace(source, className, root, path))
                add(root, path);
        }
    }
}

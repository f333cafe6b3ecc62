// Browser helper objects, toolbars and extensions, and the ActiveX controls the browser has used.
#include "iehelpers.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "approved.h"
#include "area.h"
#include "bounded.h"
#include "entries.h"
#include "files.h"
#include "folders.h"
#include "history.h"
#include "historyline.h"
#include "options.h"
#include "owned.h"
#include "registry.h"
#include "strings.h"
#include "text.h"
#include "texts.h"
#include "vault.h"
#include "version.h"

namespace {

constexpr char kHelperObjectsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr char kStatsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibilityKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kFlagsValue[] = "Compatibility Flags";
constexpr DWORD kKillBit = 0x400;
// The browser's own "Related" button takes its text from a resource of this library.
constexpr char kRelatedLibrary[] = "shdoclc.dll";
constexpr char kRelatedTitle[] = "Related";

// Buffer widths, terminators included.
constexpr DWORD kNameWidth = 256;        // subkey and value names: 255 characters
constexpr size_t kAlternateWidth = 128;  // AlternateCLSID: 127
constexpr size_t kTextWidth = 1025;      // a registry read
constexpr size_t kKeyWidth = 2 * MAX_PATH + 64;

bool ListFull() { return EntryCount() >= kMaxEntries; }

// ---- Walking keys ----

// ---- Classes ----

struct ClassFacts {
    char description[kTextWidth];
    char server[kTextWidth];
};

// HKEY_CLASSES_ROOT\CLSID\{identifier}: its description and its in-process server, each empty
// when missing. Identifiers are often written without their braces.
void LookUpClass(const char *classId, ClassFacts &facts)
{
    facts.description[0] = '\0';
    facts.server[0] = '\0';
    char key[kKeyWidth];
    if (!FormatBounded(key, sizeof key, classId[0] == '{' ? "CLSID\\%s" : "CLSID\\{%s}", classId))
        return;
    ReadRegString(HKEY_CLASSES_ROOT, key, nullptr, facts.description, sizeof facts.description);
    if (AppendBounded(key, "\\InprocServer32"))
        ReadRegString(HKEY_CLASSES_ROOT, key, nullptr, facts.server, sizeof facts.server);
}

// The product name, or the file's own name when the file names no product.
const char *ProductOrFileName(const VersionRecord &version, const char *path)
{
    const char *product = version.slot[VS_ProductName];
    return product[0] != '\0' ? product : FileNameOf(path);
}

// ---- The helpers ----

// Each answers false only when the list is full, which ends the walk.
bool ListHelperObject(const char *classId, int &added)
{
    if (ListFull())
        return false;
    char key[kKeyWidth];
    char server[kTextWidth];
    if (!FormatBounded(key, sizeof key, "CLSID\\%s\\InprocServer32", classId) ||
        ReadRegString(HKEY_CLASSES_ROOT, key, nullptr, server, sizeof server) == 0)
        return true;
    VersionRecord version;
    ReadVersionInfo(server, &version);
    if (!AddEntry(ProductOrFileName(version, server), server, classId,
                  version.slot[VS_ProductVersion], kBhoKind, 0))
        return false;
    ++added;
    return true;
}

// A toolbar whose class has no server is still listed: its value is there all the same.
bool ListToolbar(const char *classId, int &added)
{
    if (ListFull())
        return false;
    // The key's default value names no class.
    if (classId[0] == '\0')
        return true;
    ClassFacts facts;
    LookUpClass(classId, facts);
    VersionRecord version;
    ReadVersionInfo(facts.server, &version);
    if (!AddEntry(ProductOrFileName(version, facts.server), facts.server, classId,
                  version.slot[VS_ProductVersion], kToolbarKind, 0))
        return false;
    ++added;
    return true;
}

bool ListExtension(const char *name, int &added)
{
    if (ListFull())
        return false;
    char key[kKeyWidth];
    char button[kTextWidth];
    if (!FormatBounded(key, sizeof key, "%s\\%s", kExtensionsKey, name) ||
        ReadRegString(HKEY_LOCAL_MACHINE, key, "ButtonText", button, sizeof button) == 0)
        return true;
    const char *title = FindNoCase(button, kRelatedLibrary) != nullptr ? kRelatedTitle : button;
    // A button runs a program or a script.
    char path[kTextWidth];
    if (ReadRegString(HKEY_LOCAL_MACHINE, key, "Exec", path, sizeof path) == 0)
        ReadRegString(HKEY_LOCAL_MACHINE, key, "script", path, sizeof path);
    char icon[kTextWidth];
    if (ReadRegString(HKEY_LOCAL_MACHINE, key, "HotIcon", icon, sizeof icon) == 0)
        CopyBounded(icon, path);
    char clean[kTextWidth];
    CleanPath(path, clean, sizeof clean);
    VersionRecord version;
    ReadVersionInfo(clean, &version);
    if (version.slot[VS_ProductName][0] != '\0')
        title = version.slot[VS_ProductName];
    if (!AddEntry(title, path, name, icon, kExtensionKind, 0))
        return false;
    ++added;
    return true;
}

// ---- The controls ----

// Lists a control unless it has no server or is a Microsoft one the user hides; false only when
// the list is full.
bool ListControl(const char *classId)
{
    if (ListFull())
        return false;
    ClassFacts facts;
    LookUpClass(classId, facts);
    if (facts.server[0] == '\0')
        return true;
    char clean[kTextWidth];
    CleanPath(facts.server, clean, sizeof clean);
    VersionRecord version;
    ReadVersionInfo(clean, &version);
    // Company names run longer than ContainsNoCase looks.
    if (Option(OPT_HideMicrosoftActiveX) > 0 &&
        FindNoCase(version.slot[VS_CompanyName], "Microsoft") != nullptr)
        return true;
    const char *description = facts.description;
    const char *const fallbacks[] = {version.slot[VS_FileDescription], version.slot[VS_ProductName],
                                     FileNameOf(clean)};
    for (const char *next : fallbacks)
        if (description[0] == '\0')
            description = next;
    return AddEntry(description, clean, classId, version.slot[VS_ProductVersion], kActiveXKind,
                    GetActiveXFlags(classId)) != 0;
}

// An empty identifier would name the Compatibility key itself.
bool FlagsKey(const char *classId, char *key, size_t capacity)
{
    return classId != nullptr && classId[0] != '\0' &&
           FormatBounded(key, capacity, "%s\\%s", kCompatibilityKey, classId);
}

// The upper half of the stored flags, which the number read leaves out: the browser keeps
// flags there too, and a kill bit must not cost them.
DWORD UpperFlags(const char *key)
{
    RegKey opened;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!opened.Open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE) ||
        RegQueryValueExA(opened.get(), kFlagsValue, nullptr, &type,
                         reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value & 0xFFFF0000u;
}

int WriteKillBit(const char *classId, bool set)
{
    char key[kKeyWidth];
    if (!FlagsKey(classId, key, sizeof key))
        return 0;
    DWORD flags = UpperFlags(key) | static_cast<DWORD>(GetActiveXFlags(classId));
    flags = set ? flags | kKillBit : flags & ~kKillBit;
    return WriteRegNumber(HKEY_LOCAL_MACHINE, key, kFlagsValue, flags);
}

// ---- regsvr32 ----

// Nobody waits for it.
int StartHelperCommand(const char *path, bool unregister)
{
    char command[kHistoryPathWidth + 32];
    if (!HelperCommand(path, unregister, command, sizeof command))
        return 0;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 0;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 1;
}

// ---- What a helper's removal keeps in the vault ----
//
// One vault file per removal (vault.h), named by the token its history record keeps:
//   SentroviaVault 1
//   place <key>                          the key acted on, under HKEY_LOCAL_MACHINE
//   key <subkey>                         a key of the saved tree ("-": the place itself)
//   value <subkey> <name> <type> <data>  a value with its registry type, byte for byte
// Texts and data are written in hexadecimal ("-" when empty), so no name can split a line. A
// Toolbar value is one value line at the Toolbar key, with no key line.

constexpr char kTokenPrefix[] = "ieh";
constexpr size_t kVaultRelativeLimit = 1024;  // characters of a subkey path in the tree
constexpr int kTreeDepth = 16;
constexpr DWORD kValueNameLimit = 16384;  // the registry's own longest value name


// A value's type and bytes, however long. False when it can't be read.
std::string ValueLine(const std::string &relative, const std::string &name, DWORD type,
                      const std::string &data)
{
    return "value " + Hex(relative) + " " + Hex(name) + " " + std::to_string(type) + " " +
           Hex(data);
}

// The key with its values and every key below it. False when any part can't be read whole:
// what could not be kept could not be given back.
bool SaveTree(const std::string &path, const std::string &relative, int depth, VaultText &vault)
{
    RegKey key;
    if (depth > kTreeDepth || !key.Open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ))
        return false;
    vault.Line("key " + Hex(relative));
    const DWORD values = ValueCount(key.get());
    std::vector<char> name(kNameWidth);
    for (DWORD index = 0; index < values; ++index) {
        DWORD length = 0;
        LONG result = ERROR_MORE_DATA;
        while (result == ERROR_MORE_DATA && name.size() <= kValueNameLimit + 1) {
            length = static_cast<DWORD>(name.size());
            result = RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr,
                                   nullptr, nullptr);
            if (result == ERROR_MORE_DATA)
                name.resize(name.size() * 2);
        }
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        DWORD type = 0;
        std::string data;
        if (result != ERROR_SUCCESS || !ReadRegRaw(key.get(), name.data(), &type, data))
            return false;
        vault.Line(ValueLine(relative, std::string(name.data(), length), type, data));
    }
    std::vector<std::string> subkeys;
    const DWORD count = SubkeyCount(key.get());
    for (DWORD index = 0; index < count; ++index) {
        char subkey[kNameWidth];
        DWORD length = kNameWidth;
        LONG result =
            RegEnumKeyExA(key.get(), index, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return false;
        subkeys.emplace_back(subkey, length);
    }
    key.Close();
    for (const std::string &subkey : subkeys)
        if (!SaveTree(path + "\\" + subkey, relative.empty() ? subkey : relative + "\\" + subkey,
                      depth + 1, vault))
            return false;
    return vault.fits;
}

bool SaveValue(const char *path, const char *name, VaultText &vault)
{
    RegKey key;
    DWORD type = 0;
    std::string data;
    if (!key.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE) ||
        !ReadRegRaw(key.get(), name, &type, data))
        return false;
    vault.Line(ValueLine("", name, type, data));
    return vault.fits;
}


// The places a removal takes from: the Toolbar key, or one subkey of the helper-object or
// extension keys. A vault file naming any other place writes nothing.
bool IsHelperPlace(const std::string &place)
{
    if (EqualsNoCase(place.c_str(), kToolbarKey))
        return true;
    for (const char *parent : {kHelperObjectsKey, kExtensionsKey}) {
        const size_t length = strlen(parent);
        if (place.size() > length + 1 && _strnicmp(place.c_str(), parent, length) == 0 &&
            place[length] == '\\' && place.find('\\', length + 1) == std::string::npos)
            return true;
    }
    return false;
}

// A subkey path below the place: no empty part, no way out, and no deeper than was saved.
bool IsRelativeKey(const std::string &relative)
{
    if (relative.empty())
        return true;
    if (relative.size() > kVaultRelativeLimit || relative.front() == '\\' ||
        relative.back() == '\\' || relative.find("\\\\") != std::string::npos ||
        relative.find('\0') != std::string::npos)
        return false;
    int depth = 1;
    for (char c : relative)
        depth += c == '\\' ? 1 : 0;
    return depth <= kTreeDepth;
}

// Decimal, at most 32 bits.
bool ParseType(const std::string &text, DWORD *type)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (char c : text)
        if (!isdigit(static_cast<unsigned char>(c)))
            return false;
    unsigned long long number = strtoull(text.c_str(), nullptr, 10);
    if (number > 0xFFFFFFFFull)
        return false;
    *type = static_cast<DWORD>(number);
    return true;
}

bool WriteExactValue(const std::string &path, const std::string &name, DWORD type,
                     const std::string &data)
{
    return WriteRegData(HKEY_LOCAL_MACHINE, path.c_str(), name.c_str(), type, data.data(),
                        static_cast<DWORD>(data.size())) != 0;
}

// Writes back what the vault file kept for the record's key; lines that can't be read are
// passed over. 1 when anything was written.
int PutBackFromVault(const char *token, const char *recordedKey)
{
    std::string text;
    if (!ReadVaultFile(token, text))
        return 0;
    const std::vector<std::string> lines = LinesOf(text);
    if (lines.size() < 2 || lines[0] != kVaultHeader)
        return 0;
    const std::vector<std::string> placeFields = FieldsOf(lines[1]);
    std::string place;
    if (placeFields.size() != 2 || placeFields[0] != "place" || !Unhex(placeFields[1], place) ||
        !IsHelperPlace(place) || !EqualsNoCase(place.c_str(), recordedKey))
        return 0;
    // The Toolbar key is not the helper's own: only its values came from the removal.
    const bool valuesOnly = EqualsNoCase(place.c_str(), kToolbarKey) != 0;
    int written = 0;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string> fields = FieldsOf(lines[i]);
        std::string relative;
        if (fields.size() < 2 || !Unhex(fields[1], relative) || !IsRelativeKey(relative) ||
            (valuesOnly && !relative.empty()))
            continue;
        const std::string key = relative.empty() ? place : place + "\\" + relative;
        if (fields[0] == "key" && fields.size() == 2 && !valuesOnly) {
            written += CreateRegKey(HKEY_LOCAL_MACHINE, key.c_str());
            continue;
        }
        std::string name;
        std::string data;
        DWORD type = 0;
        if (fields[0] != "value" || fields.size() != 5 || !Unhex(fields[2], name) ||
            name.find('\0') != std::string::npos || name.size() >= kValueNameLimit ||
            !ParseType(fields[3], &type) || !Unhex(fields[4], data))
            continue;
        written += WriteExactValue(key, name, type, data) ? 1 : 0;
    }
    return written > 0 ? 1 : 0;
}

// ---- Removal ----

// Where a listed helper is registered: a key of its own, or one value of the Toolbar key.
struct Registration {
    std::string title;
    std::string path;
    std::string key;    // under HKEY_LOCAL_MACHINE
    std::string value;  // the Toolbar value; empty for a key
};

// An empty detail would name the whole helper-object or extension key.
bool RegistrationOf(int kind, const char *detail, Registration &registration)
{
    if (detail[0] == '\0')
        return false;
    switch (kind) {
    case kBhoKind:
        registration.key = std::string(kHelperObjectsKey) + "\\" + detail;
        return true;
    case kToolbarKind:
        registration.key = kToolbarKey;
        registration.value = detail;
        return true;
    case kExtensionKind:
        registration.key = std::string(kExtensionsKey) + "\\" + detail;
        return true;
    default:
        return false;
    }
}

bool IsRegistered(const Registration &registration)
{
    if (!registration.value.empty())
        return RegValueExists(HKEY_LOCAL_MACHINE, registration.key.c_str(),
                              registration.value.c_str()) != 0;
    RegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, registration.key.c_str(), KEY_READ);
}

enum class Removal { Done, NotThere, Refused };

// The registration is kept in the vault and recorded first; a removal that could not be undone
// is not made, and the user is told why.
Removal RemoveRegistration(const Registration &registration)
{
    if (!IsRegistered(registration))
        return Removal::NotThere;
    char token[kHistoryKeptWidth + 1] = "";
    if (Option(OPT_History) > 0) {
        VaultText vault;
        vault.Line(kVaultHeader);
        vault.Line("place " + Hex(registration.key));
        const bool saved =
            registration.value.empty()
                ? SaveTree(registration.key, "", 0, vault)
                : SaveValue(registration.key.c_str(), registration.value.c_str(), vault);
        if (!saved || !WriteVaultFile(kTokenPrefix, registration.key, vault.text, token)) {
            const DWORD error = GetLastError();
            TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, registration.title.c_str(),
                            error != 0 ? error : ERROR_WRITE_FAULT);
            return Removal::Refused;
        }
    }
    const size_t after = AfterLastBackslash(registration.path.c_str());
    const char *name = after > 0 ? registration.path.c_str() + after : "";
    const int recorded =
        WriteHistoryRecord(name, registration.path.c_str(), registration.key.c_str(), kBhoKind,
                           kActionHelperRemove, token[0] != '\0' ? token : nullptr);
    if (recorded == kHistoryFailed) {
        const DWORD error = GetLastError();
        DropVaultFile(token);
        TellNotRecorded(IDS_NOT_REMOVED_NO_RECORD, registration.title.c_str(), error);
        return Removal::Refused;
    }
    if (recorded == kHistoryOff)
        DropVaultFile(token);
    const int gone = registration.value.empty()
                         ? DeleteRegTree(HKEY_LOCAL_MACHINE, registration.key.c_str())
                         : DeleteRegValue(HKEY_LOCAL_MACHINE, registration.key.c_str(),
                                          registration.value.c_str());
    return gone ? Removal::Done : Removal::NotThere;
}

} // namespace

int LookUpClassFacts(const char *classId, char *description, size_t descriptionCapacity,
                     char *server, size_t serverCapacity)
{
    ClassFacts facts;
    LookUpClass(classId, facts);
    CopyBounded(description, descriptionCapacity, facts.description);
    CopyBounded(server, serverCapacity, facts.server);
    return facts.server[0] != '\0';
}

int EnumIEHelpers()
{
    ClearEntryList();
    int added = 0;
    ForEachRegName(HKEY_LOCAL_MACHINE, kHelperObjectsKey, RegNames::Subkeys,
                   [&added](const char *name) { return ListHelperObject(name, added); });
    ForEachRegName(HKEY_LOCAL_MACHINE, kToolbarKey, RegNames::Values,
                   [&added](const char *name) { return ListToolbar(name, added); });
    ForEachRegName(HKEY_LOCAL_MACHINE, kExtensionsKey, RegNames::Subkeys,
                   [&added](const char *name) { return ListExtension(name, added); });
    return added;
}

// The entry at index is the one acted on, once, and only while it still carries the path: a
// stale index never removes another file's helper.
int RemoveIEHelper(const char *path, int index)
{
    path = path != nullptr ? path : "";
    if (index < 0 || index >= EntryCount())
        return 0;
    const int kind = EntryKind(index);
    char detail[kDetailWidth + 1];
    EntryDetail(index, detail, sizeof detail);
    Registration registration{EntryWholeTitle(index), EntryWholePath(index), "", ""};
    if (kind < kBhoKind || kind > kExtensionKind ||
        !EqualsNoCase(registration.path.c_str(), path) ||
        !RegistrationOf(kind, detail, registration) ||
        RemoveRegistration(registration) != Removal::Done)
        return 0;
    StartHelperCommand(path, true);
    return 1;
}

int RemoveListedHelper(int kind, const char *detail, const char *path)
{
    detail = detail != nullptr ? detail : "";
    path = path != nullptr ? path : "";
    int removed = 0;
    for (int i = 0, count = EnumIEHelpers(); i < count; ++i) {
        char listed[kDetailWidth + 1];
        EntryDetail(i, listed, sizeof listed);
        if (EntryKind(i) == kind && EqualsNoCase(listed, detail) &&
            EqualsNoCase(EntryWholePath(i), path)) {
            removed = RemoveIEHelper(path, i);
            break;
        }
    }
    ClearEntryList();
    return removed;
}

int EnumActiveX(int keep)
{
    if (keep == 0)
        ClearEntryList();
    ForEachRegName(HKEY_CURRENT_USER, kStatsKey, RegNames::Subkeys, [](const char *classId) {
        if (ListFull())
            return false;
        char key[kKeyWidth];
        // A missing Type reads 0, and is listed.
        if (!FormatBounded(key, sizeof key, "%s\\%s\\iexplore", kStatsKey, classId) ||
            static_cast<unsigned>(ReadRegNumber(HKEY_CURRENT_USER, key, "Type")) > 1)
            return true;
        return ListControl(classId);
    });
    return EntryCount();
}

int EnumActiveXAll()
{
    ClearEntryList();
    EnumActiveX(1);
    ForEachRegName(HKEY_LOCAL_MACHINE, kCompatibilityKey, RegNames::Subkeys, [](const char *name) {
        if (ListFull())
            return false;
        char key[kKeyWidth];
        char alternate[kAlternateWidth];
        if (!FormatBounded(key, sizeof key, "%s\\%s", kCompatibilityKey, name))
            return true;
        // The control stands in for another class: that one is what loads.
        const bool redirected = ReadRegString(HKEY_LOCAL_MACHINE, key, "AlternateCLSID", alternate,
                                              sizeof alternate) > 0;
        return ListControl(redirected ? alternate : name);
    });
    return EntryCount();
}

int GetActiveXFlags(const char *classId)
{
    char key[kKeyWidth];
    return FlagsKey(classId, key, sizeof key)
               ? ReadRegNumber(HKEY_LOCAL_MACHINE, key, kFlagsValue) & 0xFFFF
               : 0;
}

int IsKillBitClear(const char *classId)
{
    return (static_cast<DWORD>(GetActiveXFlags(classId)) & kKillBit) == 0 ? 1 : 0;
}

int SetKillBit(const char *classId) { return WriteKillBit(classId, true); }

int ClearKillBit(const char *classId) { return WriteKillBit(classId, false); }

const char *HelperApprovalName(const char *title, const char *detail)
{
    return title != nullptr && title[0] != '\0' ? title : detail != nullptr ? detail : "";
}

void TakeIEHelpersBaseline()
{
    for (int i = 0, count = EnumIEHelpers(); i < count; ++i) {
        char detail[kDetailWidth + 1];
        EntryDetail(i, detail, sizeof detail);
        Approve(AREA_IEHelpers, HelperApprovalName(EntryWholeTitle(i), detail), EntryKind(i));
    }
    ClearEntryList();
}

void TakeActiveXBaseline()
{
    if (HasBaselineMarker(AREA_ActiveX))
        return;
    EmptySnapshot(AREA_ActiveX);
    SetBaselineMarker(AREA_ActiveX);
    // The restricted listing, whatever the page shows: the check asks about that one.
    for (int i = 0, count = EnumActiveX(0); i < count; ++i) {
        char classId[kDetailWidth + 1];
        if (EntryDetail(i, classId, sizeof classId) > 0)
            Approve(AREA_ActiveX, classId, kActiveXKind);
    }
    ClearEntryList();
}

int ListIEHelpersForDating() { return EnumIEHelpers(); }

const char *HelperKeyOfKind(int kindCode)
{
    switch (kindCode) {
    case 900:
        return kHelperObjectsKey;
    case 901:
        return kToolbarKey;
    case 902:
        return kExtensionsKey;
    default:
        return "";
    }
}

int ListActiveXForDating() { return EnumActiveX(0); }

int HelperCommand(const char *path, bool unregister, char *command, size_t capacity)
{
    if (path == nullptr || path[0] == '\0') {
        CopyBounded(command, capacity, "");
        return 0;
    }
    const char *switches = unregister ? "/u /s" : "/s";
    // A path with blanks is quoted, or regsvr32 would take each piece for a file.
    const bool quote = path[0] != '"' && strpbrk(path, " \t") != nullptr;
    return FormatBounded(command, capacity, quote ? "regsvr32 %s \"%s\"" : "regsvr32 %s %s",
                         switches, path);
}

int RegisterHelperAgain(const char *path) { return StartHelperCommand(path, false); }

int RestoreIEHelperRecord(const RestoreRecord &record)
{
    if (record.action != kActionHelperRemove)
        return 0;
    // Records written before the vault keep nothing: those only register the file again.
    const bool putBack =
        record.kept != nullptr && record.kept[0] != '\0' &&
        PutBackFromVault(record.kept, record.detail != nullptr ? record.detail : "");
    const bool registered = RegisterHelperAgain(record.path != nullptr ? record.path : "") != 0;
    return putBack || registered ? 1 : 0;
}

void IEHelperPlaces(PlaceList &out)
{
    for (const char *key : {kHelperObjectsKey, kToolbarKey, kExtensionsKey})
        AddKeyPlace(out, HKEY_LOCAL_MACHINE, key);
}

void ActiveXPlaces(PlaceList &out)
{
    AddKeyPlace(out, HKEY_CURRENT_USER, kStatsKey);
    // The kill bits: a control that loses its own is listed again.
    AddKeyPlace(out, HKEY_LOCAL_MACHINE, kCompatibilityKey, true);
}

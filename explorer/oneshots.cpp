// The one-shot switches: settings the Monitor can't write itself without elevation.
#include "oneshots.h"

#include "init.h"
#include "keys.h"
#include "registry.h"
#include "strings.h"
#include "texts.h"

namespace {

constexpr char kAutoUpdateKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr char kPrefixesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr char kDefaultPrefixKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";

void CopyAutoUpdateOption()
{
    const int option = ReadRegNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions");
    WriteRegNumber(HKEY_LOCAL_MACHINE, kAutoUpdateKey, "AUOptions", static_cast<DWORD>(option));
}

void CopyUrlPrefix()
{
    char prefix[1024];
    if (ReadRegString(HKEY_CURRENT_USER, kProductKey, "wwwPrefix", prefix, sizeof prefix) == 0)
        LoadText(IDS_DEFAULT_URL_PREFIX, prefix);
    WriteRegString(HKEY_LOCAL_MACHINE, kPrefixesKey, "www", prefix);
    WriteRegString(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, nullptr, prefix);
}

// The English table is never overridden, so there is nothing of the support files to undo.
constexpr int kEnglish = 9;

}  // namespace

void RestoreShippedSettings()
{
    if (LanguageId() != kEnglish)
        ResetSupportSettings();
    // Restoring every delayed program waits for the delayed-start area.
    // Only a verb key that names its menu text is ours to remove.
    char text[256];
    if (ReadRegString(HKEY_CLASSES_ROOT, kInfoVerbKey, nullptr, text, sizeof text) > 0)
        DeleteRegTree(HKEY_CLASSES_ROOT, kInfoVerbKey);
}

bool RunOneShots(const Switches &switches)
{
    if (switches.restore) {
        RestoreShippedSettings();
        return true;
    }
    if (switches.auOption) {
        CopyAutoUpdateOption();
        return true;
    }
    if (switches.setPrefix) {
        CopyUrlPrefix();
        return true;
    }
    return false;
}

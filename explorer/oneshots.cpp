// The one-shot switches: settings the Monitor can't write itself without elevation.
#include "oneshots.h"

#include "browser_pages.h"
#include "delayed.h"
#include "init.h"
#include "keys.h"
#include "registry.h"
#include "strings.h"
#include "texts.h"

namespace {

// The English table is never overridden, so there is nothing of the support files to undo.
constexpr int kEnglish = 9;

}  // namespace

void RestoreShippedSettings()
{
    if (LanguageId() != kEnglish)
        ResetSupportSettings();
    RestoreAllDelayed();
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
        RestoreAutoUpdate();
        return true;
    }
    if (switches.setPrefix) {
        RestoreUrlPrefix();
        return true;
    }
    return false;
}

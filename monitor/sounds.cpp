// Event sounds: the user's choice under AppEvents, else the program's own chime.
#include <windows.h>
#include <mmsystem.h>

#include "bounded.h"
#include "monitor.h"
#include "options.h"
#include "registry.h"

namespace {

constexpr int kChimeResource = IDW_ALERT;
const char *const kEventNames[] = {"Open",      "Startup Alert",  "Cookie Alert",
                                   "Task Alert", "IE Helper",      "FileType Alert",
                                   "SystemFile Alert"};

} // namespace

int EventSoundFile(int event, char *file, size_t capacity)
{
    CopyBounded(file, capacity, "");
    if (event < 0 || event >= static_cast<int>(sizeof kEventNames / sizeof kEventNames[0]))
        return 0;
    char key[256];
    FormatBounded(key, sizeof key, "AppEvents\\Schemes\\Apps\\Sentrovia\\%s\\.current",
                  kEventNames[event]);
    return ReadRegString(HKEY_CURRENT_USER, key, nullptr, file, capacity);
}

void PlayEventSound(int event)
{
    if (Option(OPT_Sound) <= 0 || event == SOUND_None)
        return;
    char file[MAX_PATH];
    if (EventSoundFile(event, file, sizeof file) > 0)
        PlaySoundA(file, nullptr, SND_FILENAME | SND_NOWAIT);
    else
        PlaySoundA(MAKEINTRESOURCEA(kChimeResource), GetModuleHandleA(nullptr),
                   SND_RESOURCE | SND_NOWAIT);
}

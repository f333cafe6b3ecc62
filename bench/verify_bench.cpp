// Times one first-half verify pass with the startup check due, every entry approved (the
// everyday case: one walk and one approval read per entry), against the bare registry reads of
// the walk, and prints "verify first half: N items, X ms, ratio R".
#include <windows.h>

#include <cstdio>

#include "approved.h"
#include "area.h"
#include "benchkit.h"
#include "entries.h"
#include "monitor.h"
#include "options.h"
#include "platform.h"
#include "registry.h"
#include "startup.h"
#include "verify.h"

using namespace bench;

namespace {

BOOL NoTray(DWORD, PNOTIFYICONDATAA) { return TRUE; }

void ApproveCommand(const char *command)
{
    char name[MAX_PATH];
    BaselineName(command, name, sizeof name);
    Approve(AREA_Start, name, 11);
}

} // namespace

int main()
{
    ScratchRegistry registry;
    if (!registry.ok()) {
        fprintf(stderr, "verify_bench: scratch registry not mapped\n");
        return 1;
    }
    DecideWow64Pass();
    SetTrayNotifier(NoTray);
    DWORD now = 100000;
    PlatformOverride clock;
    clock.tickCount = &now;
    SetPlatformOverride(&clock);
    LoadOptions();
    int failures = 0;
    for (int count : {10, 100, 1000, 4000}) {
        if (!SeedRunValues(count, ApproveCommand)) {
            fprintf(stderr, "verify_bench: seeding %d values failed\n", count);
            return 1;
        }
        // Each pass: a second after the last, the first half, the startup check due.
        auto pass = [&] {
            ResetVerifyState();
            now += 2000;
            Countdown(AREA_Start) = 1;
            Verify();
        };
        double verify = MedianMs(pass);
        int read = 0;
        double bare = MedianMs([&] { read = BareRunLoop(); });
        if (read != count || Monitor().alertOpen != 0) {
            fprintf(stderr, "verify_bench: %d seeded, %d read\n", count, read);
            ++failures;
        }
        printf("verify first half: %d items, %.1f ms, ratio %.1f\n", count, verify,
               bare > 0 ? verify / bare : 0.0);
    }
    SetPlatformOverride(nullptr);
    ClearEntryList();
    return failures == 0 ? 0 : 1;
}

// Times the startup walk against the bare registry reads under it, for a growing number of Run
// values, and prints "startup walk: N items, X ms, ratio R" (R = walk time / bare time).
// The registry is mapped onto scratch keys for the run, so the machine's own entries stay out.
#include <windows.h>

#include <cstdio>

#include "benchkit.h"
#include "entries.h"
#include "startup.h"

using namespace bench;


int main()
{
    ScratchRegistry registry;
    if (!registry.ok()) {
        fprintf(stderr, "startup_bench: scratch registry not mapped\n");
        return 1;
    }
    DecideWow64Pass();
    int failures = 0;
    for (int count : {10, 100, 1000, 4000}) {
        if (!SeedRunValues(count)) {
            fprintf(stderr, "startup_bench: seeding %d values failed\n", count);
            return 1;
        }
        int listed = 0, read = 0;
        double walk = MedianMs([&] { listed = EnumStartupEntries(0); });
        double bare = MedianMs([&] { read = BareRunLoop(); });
        if (listed != count || read != count) {
            fprintf(stderr, "startup_bench: %d seeded, %d listed, %d read\n", count, listed, read);
            ++failures;
        }
        printf("startup walk: %d items, %.1f ms, ratio %.1f\n", count, walk,
               bare > 0 ? walk / bare : 0.0);
    }
    ClearEntryList();
    return failures == 0 ? 0 : 1;
}

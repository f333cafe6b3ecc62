// Times the full services listing against the bare registry reads under it, over 300 service
// keys, and prints "services full listing: 300 services, X ms, ratio R" (R = listing / bare).
// The registry is mapped onto scratch keys for the run, so the machine's own services stay out.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "benchkit.h"
#include "entries.h"
#include "options.h"
#include "services.h"

using namespace bench;

namespace {

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
constexpr int kCount = 300;

bool SetText(HKEY key, const char *name, const char *text, DWORD type = REG_SZ)
{
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(text),
                          static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

// Every third service is hosted by svchost with a library of its own.
bool SeedServices()
{
    for (int i = 0; i < kCount; ++i) {
        char path[128], text[128];
        snprintf(path, sizeof path, "%s\\BenchService%04d", kServicesKey, i);
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const bool hosted = i % 3 == 0;
        snprintf(text, sizeof text, "C:\\Program Files\\Vendor %04d\\agent%04d.exe -service", i, i);
        bool ok = SetText(key, "ImagePath",
                          hosted ? "%SystemRoot%\\system32\\svchost.exe -k bench" : text,
                          hosted ? REG_EXPAND_SZ : REG_SZ);
        snprintf(text, sizeof text, "Bench Service %04d", i);
        ok = ok && SetText(key, "DisplayName", text);
        snprintf(text, sizeof text, "Keeps bench part %04d running", i);
        ok = ok && SetText(key, "Description", text);
        DWORD start = 2 + i % 3;
        ok = ok && RegSetValueExA(key, "Start", 0, REG_DWORD, reinterpret_cast<BYTE *>(&start),
                                  sizeof start) == ERROR_SUCCESS;
        if (ok && hosted) {
            HKEY parameters;
            snprintf(text, sizeof text, "C:\\Program Files\\Vendor %04d\\hosted%04d.dll", i, i);
            ok = RegCreateKeyExA(key, "Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &parameters, nullptr) == ERROR_SUCCESS;
            ok = ok && SetText(parameters, "ServiceDll", text, REG_EXPAND_SZ);
            if (parameters != nullptr)
                RegCloseKey(parameters);
        }
        RegCloseKey(key);
        if (!ok)
            return false;
    }
    return true;
}

// What the listing asks of the registry for each service, and nothing more.
int BareServicesLoop()
{
    HKEY services;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_READ, &services) != ERROR_SUCCESS)
        return 0;
    int read = 0;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        LONG result = RegEnumKeyExA(services, index, name, &length, nullptr, nullptr, nullptr,
                                    nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        HKEY key;
        if (result != ERROR_SUCCESS ||
            RegOpenKeyExA(services, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        BYTE data[4096];
        for (const char *value : {"ImagePath", "DisplayName", "Start", "Description"}) {
            DWORD size = sizeof data;
            RegQueryValueExA(key, value, nullptr, nullptr, data, &size);
        }
        HKEY parameters;
        if (RegOpenKeyExA(key, "Parameters", 0, KEY_READ, &parameters) == ERROR_SUCCESS) {
            DWORD size = sizeof data;
            RegQueryValueExA(parameters, "ServiceDll", nullptr, nullptr, data, &size);
            RegCloseKey(parameters);
        }
        RegCloseKey(key);
        ++read;
    }
    RegCloseKey(services);
    return read;
}

} // namespace

int main()
{
    ScratchRegistry registry;
    if (!registry.ok()) {
        fprintf(stderr, "services_bench: scratch registry not mapped\n");
        return 1;
    }
    if (!SeedServices()) {
        fprintf(stderr, "services_bench: seeding %d services failed\n", kCount);
        return 1;
    }
    // The default: each program's version is read, and (the files being missing) hides none.
    TheSettings().option[OPT_HideMicrosoftServices] = 1;
    int listed = 0, read = 0;
    double listing = MedianMs([&] {
        EnumerateServices(false);
        listed = EntryCount();
    });
    double bare = MedianMs([&] { read = BareServicesLoop(); });
    ClearEntryList();
    if (listed != kCount || read != kCount) {
        fprintf(stderr, "services_bench: %d seeded, %d listed, %d read\n", kCount, listed, read);
        return 1;
    }
    printf("services full listing: %d services, %.1f ms, ratio %.1f\n", kCount, listing,
           bare > 0 ? listing / bare : 0.0);
    return 0;
}

#include "platform.h"

#include <cstring>

#include "bounded.h"
#include "registry.h"

namespace {

ProgramKind g_program = ProgramKind::Monitor;
const PlatformOverride *g_override = nullptr;

int Answer(char *buffer, size_t capacity, const char *text)
{
    if (!CopyBounded(buffer, capacity, text) || text[0] == '\0') {
        if (buffer != nullptr && capacity > 0)
            buffer[0] = '\0';
        return 0;
    }
    return 1;
}

// The API answers the needed size when the buffer is short; treat that as failure.
template <typename Getter> int FromApi(char *buffer, size_t capacity, Getter get)
{
    char text[MAX_PATH + 1];
    UINT length = get(text, static_cast<UINT>(sizeof text));
    if (length == 0 || length >= sizeof text)
        text[0] = '\0';
    return Answer(buffer, capacity, text);
}

const OSVERSIONINFOA &Version()
{
    static OSVERSIONINFOA info = [] {
        OSVERSIONINFOA v{};
        v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExA(&v);
#pragma GCC diagnostic pop
        return v;
    }();
    return info;
}

} // namespace

void SetProgramKind(ProgramKind kind) { g_program = kind; }
ProgramKind CurrentProgram() { return g_program; }
void SetPlatformOverride(const PlatformOverride *override) { g_override = override; }

int WindowsFolder(char *buffer, size_t capacity)
{
    if (g_override && g_override->windowsFolder)
        return Answer(buffer, capacity, g_override->windowsFolder);
    return FromApi(buffer, capacity,
                   [](char *b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

int SystemFolder(char *buffer, size_t capacity)
{
    if (g_override && g_override->systemFolder)
        return Answer(buffer, capacity, g_override->systemFolder);
    return FromApi(buffer, capacity, [](char *b, UINT n) { return GetSystemDirectoryA(b, n); });
}

int TempFolder(char *buffer, size_t capacity)
{
    if (g_override && g_override->tempFolder)
        return Answer(buffer, capacity, g_override->tempFolder);
    int found = FromApi(buffer, capacity, [](char *b, UINT n) {
        return static_cast<UINT>(GetTempPathA(n, b));
    });
    // GetTempPath ends with a backslash; the folder functions answer without one.
    size_t length = found ? strlen(buffer) : 0;
    if (length > 3 && buffer[length - 1] == '\\')
        buffer[length - 1] = '\0';
    return found;
}

int RootFolder(char *buffer, size_t capacity)
{
    if (g_override && g_override->rootFolder)
        return Answer(buffer, capacity, g_override->rootFolder);
    return Answer(buffer, capacity, "C:");
}

int ProgramFolder(char *buffer, size_t capacity)
{
    if (g_override && g_override->programFolder)
        return Answer(buffer, capacity, g_override->programFolder);
    char module[481];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module - 1);
    module[length < sizeof module ? length : sizeof module - 1] = '\0';
    char *slash = strrchr(module, '\\');
    if (slash == nullptr || slash - module > MAX_PATH)
        return Answer(buffer, capacity, "");
    *slash = '\0';
    return Answer(buffer, capacity, module);
}

int PlatformId()
{
    if (g_override && g_override->platformId >= 0)
        return g_override->platformId;
    return static_cast<int>(Version().dwPlatformId);
}

int MajorVersion()
{
    if (g_override && g_override->majorVersion >= 0)
        return g_override->majorVersion;
    return static_cast<int>(Version().dwMajorVersion);
}

int MinorVersion()
{
    if (g_override && g_override->minorVersion >= 0)
        return g_override->minorVersion;
    return static_cast<int>(Version().dwMinorVersion);
}

int ReadPlatformFacts(PlatformFacts *facts)
{
    if (g_override && g_override->facts) {
        *facts = *g_override->facts;
        return 1;
    }
    *facts = PlatformFacts{};
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    facts->extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&info)) != 0;
    if (!facts->extended) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&info)))
            return 0;
    }
#pragma GCC diagnostic pop
    facts->platformId = static_cast<int>(info.dwPlatformId);
    facts->major = static_cast<int>(info.dwMajorVersion);
    facts->minor = static_cast<int>(info.dwMinorVersion);
    facts->build = static_cast<int>(info.dwBuildNumber & 0xFFFF);
    CopyBounded(facts->servicePack, info.szCSDVersion);
    if (facts->extended) {
        facts->servicePackMajor = info.wServicePackMajor;
        facts->productType = info.wProductType;
        facts->suiteMask = info.wSuiteMask;
    }
    facts->tabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
    ReadRegString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                  "ProductType", facts->productOptions, sizeof facts->productOptions);
    RegKey hotfix;
    facts->hotfixQ246009 =
        hotfix.Open(HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", KEY_READ);
    return 1;
}

void CurrentLocalTime(SYSTEMTIME *now)
{
    if (g_override && g_override->localTime)
        *now = *g_override->localTime;
    else
        GetLocalTime(now);
}

DWORD TickCount()
{
    if (g_override && g_override->tickCount)
        return *g_override->tickCount;
    return GetTickCount();
}

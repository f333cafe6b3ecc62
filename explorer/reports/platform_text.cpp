#include "platform_text.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "bounded.h"
#include "text.h"

namespace {

std::string NtProductWords(const PlatformFacts &facts)
{
    if (facts.major == 5 && facts.minor == 2)
        return "Windows Server 2003 family, ";
    if (facts.major == 5 && facts.minor == 1)
        return "Windows XP ";
    if (facts.major == 5 && facts.minor == 0)
        return "Windows 2000 ";
    if (facts.major <= 4)
        return "Windows NT ";
    if (facts.major == 6)
        return "Windows Vista ";
    return "";
}

std::string ServerEditionWords(const PlatformFacts &facts)
{
    const int suite = facts.suiteMask;
    if (facts.major == 5 && facts.minor == 2) {
        if (suite & VER_SUITE_DATACENTER)
            return "Datacenter Edition ";
        if (suite & VER_SUITE_ENTERPRISE)
            return "Enterprise Edition ";
        if (suite == VER_SUITE_BLADE)
            return "Web Edition ";
        return "Standard Edition ";
    }
    if (facts.major == 5 && facts.minor == 0) {
        if (suite & VER_SUITE_DATACENTER)
            return "Datacenter Server ";
        if (suite & VER_SUITE_ENTERPRISE)
            return "Advanced Server ";
        return "Server ";
    }
    if (facts.major <= 4)
        return suite & VER_SUITE_ENTERPRISE ? "Server 4.0, Enterprise Edition " : "Server 4.0 ";
    return "";
}

std::string EditionWords(const PlatformFacts &facts)
{
    if (facts.extended) {
        if (facts.productType == VER_NT_WORKSTATION) {
            if (facts.major == 4)
                return "Workstation 4.0 ";
            return facts.suiteMask & VER_SUITE_PERSONAL ? "Home Edition " : "";
        }
        if (facts.productType == VER_NT_SERVER || facts.productType == VER_NT_DOMAIN_CONTROLLER)
            return ServerEditionWords(facts);
        return "";
    }
    std::string words;
    if (EqualsNoCase(facts.productOptions, "WINNT"))
        words = "Workstation ";
    else if (EqualsNoCase(facts.productOptions, "LANMANNT"))
        words = "Server ";
    else if (EqualsNoCase(facts.productOptions, "SERVERNT"))
        words = "Advanced Server ";
    char version[32];
    FormatBounded(version, sizeof version, "%d.%d ", facts.major, facts.minor);
    return words + version;
}

std::string NtText(const PlatformFacts &facts)
{
    std::string text = NtProductWords(facts);
    if (facts.servicePackMajor >= 1 && facts.servicePackMajor <= 3)
        text += "SP" + std::to_string(facts.servicePackMajor) + " ";
    if (facts.tabletPc)
        text += "Tablet PC Edition ";
    text += EditionWords(facts);
    char last[192];
    if (facts.major == 4 && EqualsNoCase(facts.servicePack, "Service Pack 6") &&
        facts.hotfixQ246009)
        FormatBounded(last, sizeof last, "Service Pack 6a (Build %d)", facts.build);
    else
        FormatBounded(last, sizeof last, "%s (Build %d)", facts.servicePack, facts.build);
    return text + last;
}

std::string WindowsText(const PlatformFacts &facts)
{
    const char mark = strlen(facts.servicePack) > 1 ? facts.servicePack[1] : '\0';
    if (facts.major == 4 && facts.minor == 0)
        return std::string("Microsoft Windows 95 ") + (mark == 'B' || mark == 'C' ? "OSR2 " : "");
    if (facts.major == 4 && facts.minor == 10)
        return std::string("Microsoft Windows 98 ") + (mark == 'A' ? "SE " : "");
    if (facts.major == 4 && facts.minor == 90)
        return "Microsoft Windows Millennium Edition";
    return "";
}

} // namespace

int PlatformTextOf(const PlatformFacts &facts, char *out, size_t capacity)
{
    std::string text;
    if (facts.platformId == VER_PLATFORM_WIN32_NT)
        text = NtText(facts);
    else if (facts.platformId == VER_PLATFORM_WIN32_WINDOWS)
        text = WindowsText(facts);
    else if (facts.platformId == VER_PLATFORM_WIN32s)
        text = "Microsoft Win32s";
    CopyBounded(out, capacity, text.c_str());
    return static_cast<int>(strlen(out));
}

int PlatformText(char *out, size_t capacity)
{
    PlatformFacts facts;
    if (!ReadPlatformFacts(&facts)) {
        CopyBounded(out, capacity, "");
        return 0;
    }
    return PlatformTextOf(facts, out, capacity);
}

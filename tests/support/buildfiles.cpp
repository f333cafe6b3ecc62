#include "buildfiles.h"

#include <windows.h>

std::string BuildFolder()
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string folder(module, length < sizeof module ? length : 0);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::string BuildFile(const char *name) { return BuildFolder() + "\\" + name; }

// Maps HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT onto scratch keys for the
// lifetime of the object, so the code under test calls the real registry API unchanged.
#pragma once
#include <windows.h>

#include <string>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox &) = delete;
    RegistrySandbox &operator=(const RegistrySandbox &) = delete;

private:
    std::string root_;
    HKEY scratch_[3] = {};
};

// Test helpers over the (sandboxed) registry.
bool KeyExists(HKEY root, const char *path);
bool ValueExists(HKEY root, const char *path, const char *name);
// Writes a value of any type and size as raw bytes.
void WriteRawValue(HKEY root, const char *path, const char *name, DWORD type, const void *data,
                   DWORD size);
std::string ReadStringValue(HKEY root, const char *path, const char *name);

#include "regsandbox.h"

#include <gtest/gtest.h>

namespace {

const HKEY kHives[3] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT};
const char *const kHiveNames[3] = {"HKLM", "HKCU", "HKCR"};
constexpr char kTestsKey[] = "Software\\SentroviaTests";
// Machine keys the system itself reads while the programs run, copied into the sandbox: the
// Task Scheduler connects to this machine by its name.
const char *const kSystemKeys[] = {
    "System\\CurrentControlSet\\Control\\ComputerName",
};

void CopySystemKeys(HKEY machine)
{
    for (const char *path : kSystemKeys) {
        HKEY real = nullptr, copy = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &real) == ERROR_SUCCESS &&
            RegCreateKeyExA(machine, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy,
                            nullptr) == ERROR_SUCCESS)
            RegCopyTreeA(real, nullptr, copy);
        if (copy != nullptr)
            RegCloseKey(copy);
        if (real != nullptr)
            RegCloseKey(real);
    }
}

} // namespace

RegistrySandbox::RegistrySandbox()
{
    // Wine finds win.ini's [windows] section through HKLM's IniFileMapping key once and keeps that
    // key open for the life of the process. Reading the section before HKLM is mapped makes the
    // kept key the real one; the HKCU it names is then the sandbox's.
    static const bool mappingFound = [] {
        char text[8];
        GetProfileStringA("windows", "load", "", text, sizeof text);
        return true;
    }();
    (void)mappingFound;
    // Process id and a counter: parallel test processes never share a scratch key.
    static int serial = 0;
    root_ = std::string(kTestsKey) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    for (int i = 0; i < 3; ++i) {
        std::string path = root_ + "\\" + kHiveNames[i];
        LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                       KEY_ALL_ACCESS, nullptr, &scratch_[i], nullptr);
        if (created != ERROR_SUCCESS)
            ADD_FAILURE() << "scratch key " << path << " not created: " << created;
    }
    if (scratch_[0] != nullptr)
        CopySystemKeys(scratch_[0]);
    for (int i = 0; i < 3; ++i)
        if (scratch_[i] != nullptr && RegOverridePredefKey(kHives[i], scratch_[i]) != ERROR_SUCCESS)
            ADD_FAILURE() << "override of " << kHiveNames[i] << " failed";
}

RegistrySandbox::~RegistrySandbox()
{
    for (int i = 0; i < 3; ++i) {
        RegOverridePredefKey(kHives[i], nullptr);
        if (scratch_[i] != nullptr)
            RegCloseKey(scratch_[i]);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey); // fails while another process still uses it
}

bool KeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ValueExists(HKEY root, const char *path, const char *name)
{
    return RegGetValueA(root, path, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void WriteRawValue(HKEY root, const char *path, const char *name, DWORD type, const void *data,
                   DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
    RegCloseKey(key);
}

std::string ReadStringValue(HKEY root, const char *path, const char *name)
{
    char text[4096];
    DWORD size = sizeof text;
    if (RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

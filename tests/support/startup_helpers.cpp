#include "startup_helpers.h"

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "buildfiles.h"
#include "entries.h"
#include "regsandbox.h"

void SetText(HKEY root, const std::string &path, const char *name, const std::string &text,
             DWORD type)
{
    WriteRawValue(root, path.c_str(), name, type, text.c_str(),
                  static_cast<DWORD>(text.size() + 1));
}

std::string LongForm(const std::string &path)
{
    char text[MAX_PATH];
    DWORD length = GetLongPathNameA(path.c_str(), text, sizeof text);
    return length > 0 && length < sizeof text ? std::string(text) : path;
}

std::string ShortForm(const std::string &path)
{
    char text[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), text, sizeof text);
    return length > 0 && length < sizeof text ? std::string(text) : path;
}

std::string CopyFixtureTo(const char *fixture, const std::string &target)
{
    EXPECT_TRUE(CopyFileA(BuildFile(fixture).c_str(), target.c_str(), FALSE)) << fixture;
    return target;
}

void MakeShortcut(const std::string &file, const std::string &target, const char *description,
                  const char *arguments)
{
    SCOPED_TRACE(file);
    ComScope com;
    ComPtr<IShellLinkA> link;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, link.put()));
    ASSERT_EQ(S_OK, link->SetPath(target.c_str()));
    ASSERT_EQ(S_OK, link->SetArguments(arguments));
    if (description != nullptr) {
        ASSERT_EQ(S_OK, link->SetDescription(description));
    }
    ComPtr<IPersistFile> persist;
    ASSERT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, persist.put()));
    WCHAR wide[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH), 0);
    ASSERT_EQ(S_OK, persist->Save(wide, TRUE));
}

void PrintTo(const Shortcut &s, std::ostream *out)
{
    *out << "{" << s.target << " | " << s.arguments << " | " << s.description << " | "
         << s.folder << " | " << s.icon << "," << s.iconIndex << "}";
}

Shortcut ReadShortcut(const std::string &file)
{
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> persist;
    WCHAR wide[MAX_PATH];
    Shortcut read;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.put())) ||
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH) == 0 ||
        FAILED(persist->Load(wide, STGM_READ))) {
        ADD_FAILURE() << "no shortcut at " << file;
        return read;
    }
    char text[INFOTIPSIZE];
    WIN32_FIND_DATAA found;
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, &found, 0)))
        read.target = LongForm(text);
    if (SUCCEEDED(link->GetArguments(text, sizeof text)))
        read.arguments = text;
    if (SUCCEEDED(link->GetDescription(text, sizeof text)))
        read.description = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
        read.folder = text;
    int index = -1;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &index))) {
        read.icon = LongForm(text);
        read.iconIndex = index;
    }
    return read;
}

ProfileKeyRestorer::ProfileKeyRestorer(const char *key) : key_(key)
{
    char text[1024];
    GetProfileStringA("windows", key, "\x01", text, sizeof text);
    present_ = strcmp(text, "\x01") != 0;
    saved_ = text;
}

ProfileKeyRestorer::~ProfileKeyRestorer()
{
    WriteProfileStringA("windows", key_, present_ ? saved_.c_str() : nullptr);
}

void PrintTo(const Listed &e, std::ostream *out)
{
    *out << "{\"" << e.title << "\", \"" << e.path << "\", \"" << e.detail << "\", \""
         << e.description << "\", " << e.kind << ", " << e.extra << "}";
}

std::vector<Listed> ListedEntries()
{
    std::vector<Listed> list;
    for (int i = 0; i < EntryCount(); ++i) {
        char title[256], path[512], detail[512], description[2048];
        EntryTitle(i, title, sizeof title);
        EntryPath(i, path, sizeof path);
        EntryDetail(i, detail, sizeof detail);
        EntryDescription(i, description, sizeof description);
        list.push_back({title, path, detail, description, EntryKind(i), EntryExtra(i)});
    }
    return list;
}

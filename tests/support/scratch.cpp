#include "scratch.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

ScratchFolder::ScratchFolder(const char *prefix)
{
    static int serial = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    std::string base(temp, length < sizeof temp ? length : 0);
    path_ = base + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    RemoveTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        ADD_FAILURE() << "scratch folder " << path_ << " not created";
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::string ScratchFolder::Write(const std::string &name, const std::string &content) const
{
    std::string full = File(name);
    for (size_t slash = name.find('\\'); slash != std::string::npos;
         slash = name.find('\\', slash + 1))
        CreateDirectoryA(File(name.substr(0, slash)).c_str(), nullptr);
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full;
}

std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

ScratchMachine::ScratchMachine(const std::string &tag)
    : root((tag + "root").c_str()), windows((tag + "windows").c_str()),
      temp((tag + "temp").c_str()), system(windows.File("system32"))
{
    EXPECT_TRUE(CreateDirectoryA(system.c_str(), nullptr));
}

void ScratchMachine::PointAt(PlatformOverride &platform) const
{
    platform.rootFolder = root.path().c_str();
    platform.windowsFolder = windows.path().c_str();
    platform.systemFolder = system.c_str();
    platform.tempFolder = temp.path().c_str();
}

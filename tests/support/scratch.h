// A scratch folder in the temporary folder, unique to the test process, removed with its files.
#pragma once
#include <string>

#include "platform.h"
#include <vector>

class ScratchFolder {
public:
    // The folder's name starts with the prefix. Programs that must not look like the product's
    // own (whose paths name it) go in a folder with another prefix.
    explicit ScratchFolder(const char *prefix = "sentrovia");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "\\" + name; }
    // Writes a file (and the folders before it) with the given content.
    std::string Write(const std::string &name, const std::string &content) const;

private:
    std::string path_;
};

// Scratch folders standing in for the machine's drive root and its Windows, system (system32 in
// the Windows one) and temporary folders; the folders' names start with tag.
struct ScratchMachine {
    explicit ScratchMachine(const std::string &tag = "");
    // Points the platform's folders at them (the record must outlive its use, as these must).
    void PointAt(PlatformOverride &platform) const;

    ScratchFolder root, windows, temp;
    std::string system;
};

std::string ReadWholeFile(const std::string &path);
// The names of the files (not folders) in a folder; none when it can't be read.
std::vector<std::string> FilesIn(const std::string &folder);

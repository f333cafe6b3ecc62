#include "paths.h"

#include "bounded.h"
#include "text.h"

#include <cstring>

namespace {

// "\SystemRoot" and "%PROGRAMFILES%": how much of the command the expanded folder stands for.
constexpr size_t kSystemRootSkip = 11;
constexpr size_t kProgramFilesSkip = 14;

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text to scan: an expanded folder followed by the rest of the command, read in place so a
// long command needs no joined copy.
struct Joined {
    const char *folder = "";
    size_t folderLength = 0;
    const char *rest = "";
    size_t restOffset = 0;  // where rest starts inside the command

    // Callers never ask beyond the terminator: they stop at the first '\0'.
    char At(size_t i) const { return i < folderLength ? folder[i] : rest[i - folderLength]; }
};

Joined JoinedText(const char *command, const char *folder, size_t skip)
{
    Joined joined;
    if (folder == nullptr) {
        joined.rest = command;
        return joined;
    }
    joined.folder = folder;
    joined.folderLength = strlen(folder);
    size_t commandLength = strlen(command);
    joined.restOffset = skip < commandLength ? skip : commandLength;
    joined.rest = command + joined.restOffset;
    return joined;
}

struct Scan {
    size_t start = 0;  // first character of the program path
    size_t stop = 0;   // just after its last character
};

// What may follow a program's extension where its file name ends: the end, a blank, the closing
// quote, or an argument joined on (a DLL's entry point, a switch).
bool EndsFileName(char c)
{
    return c == '\0' || c == ' ' || c == '\t' || c == '"' || c == ',' || c == '/';
}

// Walks the text as the upper-cased copy would be made: up to the first extension dot and its
// three characters, or the terminator, remembering the last colon passed on the way. With
// `splitting`, P ends a program too, and only an extension that ends a file name counts, so a
// dot in a folder's name ("me.PC", "a.Pdir") does not cut the path.
Scan ScanProgram(const Joined &text, bool splitting)
{
    const bool acceptP = splitting;
    Scan scan;
    size_t lastColon = 0;
    bool sawColon = false;
    size_t i = 0;
    for (char c; (c = text.At(i)) != '\0'; ++i) {
        if (c == ':') {
            lastColon = i;
            sawColon = true;
        }
        if (c != '.')
            continue;
        char first = UpperAscii(text.At(i + 1));
        if (first == '\0')
            continue;
        char second = UpperAscii(text.At(i + 2));
        bool pStops = acceptP && (second == 'P' || first == 'P');
        if (second != 'X' && second != 'L' && !pStops)
            continue;
        // Keep the dot and up to three characters; a short tail ends at the terminator (when
        // splitting, at whatever ends a file name).
        size_t length = 0;
        while (length < 3 && text.At(i + 1 + length) != '\0' &&
               !(splitting && EndsFileName(text.At(i + 1 + length))))
            ++length;
        if (splitting && !EndsFileName(text.At(i + 1 + length)))
            continue;
        size_t taken = 0;
        while (taken < length) {
            if (text.At(i + 1 + taken) == ':') {
                lastColon = i + 1 + taken;
                sawColon = true;
            }
            ++taken;
        }
        i += 1 + taken;
        break;
    }
    scan.stop = i;
    scan.start = (sawColon && lastColon > 0) ? lastColon - 1 : 0;
    return scan;
}

// Copies characters [first, last) of the text in at most two bounded pieces (folder, then
// rest), then upper-cases the copy in place.
int WriteUpper(const Joined &text, const Scan &scan, char *out, size_t capacity)
{
    if (out == nullptr || capacity == 0)
        return 0;
    out[0] = '\0';
    size_t used = 0;
    auto append = [&](const char *piece, size_t count) {
        size_t limit = used + count + 1 < capacity ? used + count + 1 : capacity;
        AppendBounded(out, limit, piece);
        used = strlen(out);
    };
    size_t first = scan.start;
    if (first < text.folderLength) {
        size_t last = scan.stop < text.folderLength ? scan.stop : text.folderLength;
        append(text.folder + first, last - first);
        first = last;
    }
    if (first < scan.stop)
        append(text.rest + (first - text.folderLength), scan.stop - first);
    for (char *p = out; *p != '\0'; ++p)
        *p = UpperAscii(*p);
    return scan.stop - scan.start < capacity;
}

} // namespace

int CleanPathOf(const char *command, const char *windowsFolder, const char *programFilesDir,
                char *out, size_t capacity)
{
    if (command == nullptr) {
        CopyBounded(out, capacity, "");
        return 0;
    }
    Joined text;
    if (ContainsNoCase(command, "SYSTEMROOT"))
        text = JoinedText(command, windowsFolder ? windowsFolder : "", kSystemRootSkip);
    else if (ContainsNoCase(command, "%PROGRAMFILES%"))
        text = JoinedText(command, programFilesDir ? programFilesDir : kDefaultProgramFilesDir,
                          kProgramFilesSkip);
    else
        text = JoinedText(command, nullptr, 0);
    return WriteUpper(text, ScanProgram(text, false), out, capacity);
}

int SplitCommandOf(const char *command, const char *windowsFolder, char *programOut,
                   size_t programCapacity, char *parametersOut, size_t parametersCapacity)
{
    if (command == nullptr) {
        CopyBounded(programOut, programCapacity, "");
        CopyBounded(parametersOut, parametersCapacity, "");
        return 0;
    }
    Joined text = ContainsNoCase(command, "SYSTEMROOT")
                      ? JoinedText(command, windowsFolder ? windowsFolder : "", kSystemRootSkip)
                      : JoinedText(command, nullptr, 0);
    Scan scan = ScanProgram(text, true);
    int fitted = WriteUpper(text, scan, programOut, programCapacity);

    // Map the end of the program back into the command: past the folder it is an offset into
    // the rest; inside the folder (a folder name with an extension dot) the rest starts there.
    size_t commandStop = scan.stop >= text.folderLength
                             ? text.restOffset + (scan.stop - text.folderLength)
                             : text.restOffset;
    size_t commandLength = strlen(command);
    const char *parameters = commandStop < commandLength ? command + commandStop : "";
    return CopyBounded(parametersOut, parametersCapacity, parameters) && fitted;
}

// Command lines and paths as the registry, the Startup folders and the service list hand them
// over: the clean path, the program/parameters split, and the text helpers they go through.
// Input: command NUL Windows folder NUL ProgramFilesDir (missing parts take the usual values).
#include <climits>
#include <cstdio>
#include <cstdint>

#include "fuzzkit.h"
#include "paths.h"
#include "text.h"

namespace {

constexpr const char *kWindowsFolder = "C:\\WINDOWS";

// What the path rules scan: the expanded folder in place of the command's first characters.
std::string ExpandedText(const std::string &command, const char *windowsFolder,
                         const char *programFilesDir, bool withProgramFiles)
{
    auto joined = [&](const char *folder, size_t skip) {
        return std::string(folder) + command.substr(skip < command.size() ? skip : command.size());
    };
    if (ContainsNoCase(command.c_str(), "SYSTEMROOT"))
        return joined(windowsFolder ? windowsFolder : "", 11);
    if (withProgramFiles && ContainsNoCase(command.c_str(), "%PROGRAMFILES%"))
        return joined(programFilesDir ? programFilesDir : kDefaultProgramFilesDir, 14);
    return command;
}

bool EndsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A program path as compared: upper case, starting at most one character before its last colon.
void CheckProgramForm(const std::string &program)
{
    for (char c : program)
        FUZZ_CHECK(!(c >= 'a' && c <= 'z'));
    size_t colon = program.rfind(':');
    FUZZ_CHECK(colon == std::string::npos || colon <= 1);
}

std::string CleanPath(const char *command, const char *windowsFolder, const char *programFiles,
                      size_t capacity, int *fitted)
{
    HeapBuffer out(capacity);
    *fitted = CleanPathOf(command, windowsFolder, programFiles, out.data(), capacity);
    if (capacity > 0)
        FUZZ_CHECK(out.Terminated());
    return out.Text();
}

void CheckCleanPath(const std::string &command, const char *windowsFolder,
                    const char *programFilesDir, unsigned char pick)
{
    const std::string expanded = ExpandedText(command, windowsFolder, programFilesDir, true);
    int fitted = 0;
    const std::string whole =
        CleanPath(command.c_str(), windowsFolder, programFilesDir, expanded.size() + 1, &fitted);
    FUZZ_CHECK(fitted == 1);
    CheckProgramForm(whole);
    FUZZ_CHECK(Upper(expanded).find(whole) != std::string::npos);
    for (size_t capacity : CapacitiesAround(whole.size(), pick)) {
        std::string cut =
            CleanPath(command.c_str(), windowsFolder, programFilesDir, capacity, &fitted);
        FUZZ_CHECK(cut == CutTo(whole, capacity));
        FUZZ_CHECK(fitted == (whole.size() < capacity));
    }
}

struct Split {
    std::string program, parameters;
    int fitted;
};

Split SplitCommand(const char *command, const char *windowsFolder, size_t programCapacity,
                   size_t parametersCapacity)
{
    HeapBuffer program(programCapacity), parameters(parametersCapacity);
    Split split;
    split.fitted = SplitCommandOf(command, windowsFolder, program.data(), programCapacity,
                                  parameters.data(), parametersCapacity);
    if (programCapacity > 0)
        FUZZ_CHECK(program.Terminated());
    if (parametersCapacity > 0)
        FUZZ_CHECK(parameters.Terminated());
    split.program = program.Text();
    split.parameters = parameters.Text();
    return split;
}

void CheckSplitCommand(const std::string &command, const char *windowsFolder, unsigned char pick)
{
    const std::string expanded = ExpandedText(command, windowsFolder, nullptr, false);
    const Split whole =
        SplitCommand(command.c_str(), windowsFolder, expanded.size() + 1, command.size() + 1);
    FUZZ_CHECK(whole.fitted == 1);
    CheckProgramForm(whole.program);
    // The parameters are the command's own tail; the program is what stood before it.
    FUZZ_CHECK(EndsWith(command, whole.parameters));
    if (expanded == command) {
        const std::string before = command.substr(0, command.size() - whole.parameters.size());
        FUZZ_CHECK(EndsWith(Upper(before), whole.program));
        // A program ends only where its file name does.
        FUZZ_CHECK(whole.parameters.empty() || strchr(" \t\",/", whole.parameters[0]) != nullptr);
    } else {
        FUZZ_CHECK(Upper(expanded).find(whole.program) != std::string::npos);
    }

    const size_t roomy = expanded.size() + command.size() + 2;
    for (size_t capacity : CapacitiesAround(whole.program.size(), pick)) {
        Split cut = SplitCommand(command.c_str(), windowsFolder, capacity, roomy);
        FUZZ_CHECK(cut.program == CutTo(whole.program, capacity));
        FUZZ_CHECK(cut.parameters == whole.parameters);
        FUZZ_CHECK(cut.fitted == (whole.program.size() < capacity));
    }
    for (size_t capacity : CapacitiesAround(whole.parameters.size(), pick)) {
        Split cut = SplitCommand(command.c_str(), windowsFolder, roomy, capacity);
        FUZZ_CHECK(cut.program == whole.program);
        FUZZ_CHECK(cut.parameters == CutTo(whole.parameters, capacity));
        FUZZ_CHECK(cut.fitted == (whole.parameters.size() < capacity));
    }
    // Both cut at once: each keeps its own start.
    const size_t programCapacity = pick % (whole.program.size() + 2);
    const size_t parametersCapacity = (pick >> 3) % (whole.parameters.size() + 2);
    Split both = SplitCommand(command.c_str(), windowsFolder, programCapacity, parametersCapacity);
    FUZZ_CHECK(both.program == CutTo(whole.program, programCapacity));
    FUZZ_CHECK(both.parameters == CutTo(whole.parameters, parametersCapacity));
    FUZZ_CHECK(both.fitted == (whole.program.size() < programCapacity &&
                               whole.parameters.size() < parametersCapacity));
}

void CheckNullCommand()
{
    int fitted = 1;
    FUZZ_CHECK(CleanPath(nullptr, kWindowsFolder, nullptr, 8, &fitted).empty() && fitted == 0);
    Split split = SplitCommand(nullptr, kWindowsFolder, 8, 8);
    FUZZ_CHECK(split.program.empty() && split.parameters.empty() && split.fitted == 0);
}

// A writer that copies piece by piece and never splits one.
template <typename Fn>
void CheckPieces(const std::vector<std::string> &pieces, unsigned char pick, Fn call)
{
    std::string whole;
    for (const std::string &piece : pieces)
        whole += piece;
    for (size_t capacity : CapacitiesAround(whole.size(), pick)) {
        HeapBuffer out(capacity);
        int fitted = call(out.data(), capacity);
        if (capacity == 0) {
            FUZZ_CHECK(fitted == 0);
            continue;
        }
        FUZZ_CHECK(out.Terminated());
        FUZZ_CHECK(out.Text() == WholePiecesIn(pieces, capacity));
        FUZZ_CHECK(fitted == (whole.size() < capacity));
    }
}

std::vector<std::string> PiecesOf(const std::string &text, char from, const char *to)
{
    std::vector<std::string> pieces;
    for (char c : text)
        pieces.push_back(c == from ? std::string(to) : std::string(1, c));
    return pieces;
}

void CheckSearches(const std::string &text, const std::string &part)
{
    HeapText t(text), p(part);
    const size_t at = Upper(text).find(Upper(part));
    const char *found = FindNoCase(t.c_str(), p.c_str());
    FUZZ_CHECK(at == std::string::npos ? found == nullptr : found == t.c_str() + at);
    const int contains = text.size() <= kContainsTextLimit && at != std::string::npos;
    FUZZ_CHECK(ContainsNoCase(t.c_str(), p.c_str()) == contains);
    FUZZ_CHECK(EqualsNoCase(t.c_str(), p.c_str()) == (Upper(text) == Upper(part)));
}

void CheckTextHelpers(const std::string &text, const std::string &other, unsigned char pick)
{
    HeapText t(text);

    CheckSearches(text, other);
    // A slice of the text itself in the other case, so the matches are found too.
    if (!text.empty()) {
        size_t from = pick % text.size();
        std::string slice = text.substr(from, (pick >> 2) % (text.size() - from + 1));
        for (char &c : slice)
            c = (c >= 'A' && c <= 'Z')   ? static_cast<char>(c + 32)
                : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32)
                                         : c;
        CheckSearches(text, slice);
    }
    FUZZ_CHECK(FindNoCase(nullptr, "") == nullptr && FindNoCase(t.c_str(), nullptr) == nullptr);
    FUZZ_CHECK(ContainsNoCase(nullptr, "") == 0 && EqualsNoCase(t.c_str(), nullptr) == 0);

    // StripQuotes keeps at most 259 characters whatever the capacity.
    std::string unquoted;
    for (char c : text)
        if (c != '"')
            unquoted += c;
    for (size_t capacity : CapacitiesAround(unquoted.size(), pick)) {
        HeapBuffer out(capacity);
        int fitted = StripQuotes(t.c_str(), out.data(), capacity);
        const size_t room = capacity < 260 ? capacity : 260;
        if (capacity == 0) {
            FUZZ_CHECK(fitted == 0);
            continue;
        }
        FUZZ_CHECK(out.Terminated() && out.Text() == CutTo(unquoted, room));
        FUZZ_CHECK(fitted == (unquoted.size() < room));
    }

    const size_t slash = text.rfind('\\');
    const size_t after = slash == std::string::npos ? 0 : slash + 1;
    FUZZ_CHECK(AfterLastBackslash(t.c_str()) == after &&
               FileNameOf(t.c_str()) == t.c_str() + after);
    for (size_t capacity : CapacitiesAround(text.size() - after, pick)) {
        HeapBuffer out(capacity);
        int answered = FileNamePart(t.c_str(), out.data(), capacity);
        if (slash == std::string::npos) {
            FUZZ_CHECK(answered == 0 && out.Untouched());
            continue;
        }
        FUZZ_CHECK(answered == 1);
        if (capacity > 0)
            FUZZ_CHECK(out.Text() == CutTo(text.substr(after), capacity));
    }

    const size_t blank = text.find_first_not_of(' ');
    FUZZ_CHECK(SkipSpaces(t.c_str()) ==
               t.c_str() + (blank == std::string::npos ? text.size() : blank));
    const size_t dot = text.find('.');
    FUZZ_CHECK(ExtensionOf(t.c_str()) ==
               t.c_str() + (dot == std::string::npos ? text.size() : dot + 1));

    // In place, in buffers of exactly the capacity; a text longer than that is left unterminated.
    for (size_t capacity : CapacitiesAround(text.size(), pick)) {
        HeapBuffer buffer(capacity);
        const size_t held = text.size() < capacity ? text.size() : capacity;
        memcpy(buffer.data(), text.data(), held);
        if (held < capacity)
            buffer.data()[held] = '\0';
        const int answered = AddTrailingBackslash(buffer.data(), capacity);
        const std::string now(buffer.data(), held < capacity ? strlen(buffer.data()) : capacity);
        if (held == 0 || held == capacity) {
            FUZZ_CHECK(answered == 0 && now == text.substr(0, held));
        } else if (text.back() == '\\') {
            FUZZ_CHECK(answered == 1 && now == text);
        } else if (held + 1 >= capacity) {
            FUZZ_CHECK(answered == 0 && now == text);
        } else {
            FUZZ_CHECK(answered == 1 && now == text + "\\");
        }
    }
    for (int keep = 0; keep < 2; ++keep) {
        HeapText copy(text);
        const int removed = RemoveTrailingBackslash(copy.data(), keep);
        const bool ends = !text.empty() && text.back() == '\\';
        const bool root = keep && text.size() >= 2 && text[text.size() - 2] == ':';
        FUZZ_CHECK(removed == (ends && !root));
        FUZZ_CHECK(std::string(copy.c_str()) == (removed ? text.substr(0, text.size() - 1) : text));
    }

    const char from = text.empty() ? '\\' : text[pick % text.size()];
    for (char to : {'\0', '/', static_cast<char>(pick)}) {
        HeapText copy(text);
        const int found = ReplaceChar(copy.data(), from, to);
        std::string expected;
        for (char c : text)
            if (c != from)
                expected += c;
            else if (to != '\0')
                expected += to;
        FUZZ_CHECK(found == (text.find(from) != std::string::npos));
        FUZZ_CHECK(std::string(copy.c_str()) == expected);
    }
    {
        HeapText copy(text);
        EqualsToColon(copy.data());
        std::string expected = text;
        for (char &c : expected)
            c = c == '=' ? ':' : c;
        FUZZ_CHECK(std::string(copy.c_str()) == expected);
    }

    std::vector<std::string> query;
    for (char c : text) {
        char escape[4];
        snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
        const bool escaped = c == '#' || c == '"' || c == '<' || c == '>' || c == '\'';
        query.push_back(c == ' '   ? "%20"
                        : c == '&' ? "+"
                        : escaped  ? std::string(escape)
                                   : std::string(1, c));
    }
    CheckPieces(query, pick, [&](char *out, size_t n) { return UrlQueryText(t.c_str(), out, n); });
    CheckPieces(PiecesOf(text, '\\', "\\\\"), pick,
                [&](char *out, size_t n) { return DoubleBackslashes(t.c_str(), out, n); });
    CheckPieces(PiecesOf(text, ',', " "), pick,
                [&](char *out, size_t n) { return CommasToSpaces(t.c_str(), out, n); });

    // Cut at capacity like any bounded copy; the mark decides the answer.
    HeapText insert(other);
    const size_t mark = text.find("%s");
    const std::string inserted =
        mark == std::string::npos ? text : text.substr(0, mark) + other + text.substr(mark + 2);
    for (size_t capacity : CapacitiesAround(inserted.size(), pick)) {
        HeapBuffer out(capacity);
        int answered = InsertAtMark(t.c_str(), insert.c_str(), out.data(), capacity);
        FUZZ_CHECK(answered == (mark != std::string::npos));
        if (capacity > 0)
            FUZZ_CHECK(out.Terminated() && out.Text() == CutTo(inserted, capacity));
    }
}

void CheckThousands(const uint8_t *data, size_t size, unsigned char pick)
{
    long long number = 0;
    memcpy(&number, data, size < sizeof number ? size : sizeof number);
    char plain[32];
    snprintf(plain, sizeof plain, "%lld", number);
    std::string digits = plain[0] == '-' ? plain + 1 : plain;
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    if (number < 0)
        grouped = "-" + grouped;
    for (size_t capacity : CapacitiesAround(grouped.size(), pick)) {
        HeapBuffer out(capacity);
        int fitted = ThousandsText(number, out.data(), capacity);
        if (capacity == 0)
            continue;
        FUZZ_CHECK(out.Text() == CutTo(grouped, capacity) && fitted == (grouped.size() < capacity));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<std::string> parts = PartsOf(data, size);
    const unsigned char pick = PickOf(data, size);
    const std::string &command = parts[0];
    const char *windowsFolder = parts.size() > 1 ? parts[1].c_str() : kWindowsFolder;
    const char *programFilesDir = parts.size() > 2 ? parts[2].c_str() : nullptr;

    CheckCleanPath(command, windowsFolder, programFilesDir, pick);
    CheckCleanPath(command, nullptr, nullptr, pick);
    CheckSplitCommand(command, windowsFolder, pick);
    CheckSplitCommand(command, nullptr, pick);
    CheckNullCommand();
    CheckTextHelpers(command, parts.size() > 1 ? parts[1] : std::string(), pick);
    CheckThousands(data, size, pick);
    return 0;
}

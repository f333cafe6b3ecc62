#include "text.h"

#include "bounded.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kStripQuotesLimit = 259;

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Shared by the copy-with-substitution helpers: writes each piece whole or stops, so a cut result
// never ends inside an escape.
struct PieceWriter {
    char *out;
    size_t capacity;
    size_t used = 0;
    int fitted = 1;

    PieceWriter(char *destination, size_t size) : out(destination), capacity(size)
    {
        if (out != nullptr && capacity > 0)
            out[0] = '\0';
        else
            fitted = 0;
    }

    // Answers 0 once a piece did not fit; nothing more is written after that.
    int Put(const char *piece, size_t length)
    {
        if (!fitted)
            return 0;
        if (used + length >= capacity) {
            fitted = 0;
            return 0;
        }
        // Room for the piece and the terminator was checked, so this copies exactly length.
        CopyBounded(out + used, length + 1, piece);
        used += length;
        return 1;
    }
};

} // namespace

int ContainsNoCase(const char *text, const char *part)
{
    if (text == nullptr || part == nullptr)
        return 0;
    size_t textLength = strnlen(text, kContainsTextLimit + 1);
    if (textLength > kContainsTextLimit)
        return 0;
    size_t partLength = strnlen(part, textLength + 1);
    if (partLength > textLength)
        return 0;
    return FindNoCase(text, part) != nullptr ? 1 : 0;
}

const char *FindNoCase(const char *text, const char *part)
{
    if (text == nullptr || part == nullptr)
        return nullptr;
    for (const char *start = text;; ++start) {
        size_t i = 0;
        while (part[i] != '\0' && UpperAscii(start[i]) == UpperAscii(part[i]))
            ++i;
        if (part[i] == '\0')
            return start;
        if (*start == '\0')
            return nullptr;
    }
}

int EqualsNoCase(const char *left, const char *right)
{
    if (left == nullptr || right == nullptr)
        return 0;
    for (;; ++left, ++right) {
        if (UpperAscii(*left) != UpperAscii(*right))
            return 0;
        if (*left == '\0')
            return 1;
    }
}

int StripQuotes(const char *text, char *out, size_t capacity)
{
    size_t limit = capacity < kStripQuotesLimit + 1 ? capacity : kStripQuotesLimit + 1;
    PieceWriter writer(out, limit);
    if (text == nullptr)
        return writer.fitted;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p != '"' && !writer.Put(p, 1))
            break;
    }
    return writer.fitted;
}

int FileNamePart(const char *path, char *out, size_t capacity)
{
    if (path == nullptr || strchr(path, '\\') == nullptr)
        return 0;
    CopyBounded(out, capacity, path + AfterLastBackslash(path));
    return 1;
}

const char *FileNameOf(const char *path) { return path + AfterLastBackslash(path); }

size_t AfterLastBackslash(const char *path)
{
    if (path == nullptr)
        return 0;
    const char *last = strrchr(path, '\\');
    return last == nullptr ? 0 : static_cast<size_t>(last - path) + 1;
}

const char *SkipSpaces(const char *text)
{
    if (text == nullptr)
        return "";
    while (*text == ' ')
        ++text;
    return text;
}

const char *ExtensionOf(const char *text)
{
    if (text == nullptr)
        return "";
    const char *dot = strchr(text, '.');
    return dot == nullptr ? text + strlen(text) : dot + 1;
}

int AddTrailingBackslash(char *text, size_t capacity)
{
    if (text == nullptr || capacity == 0)
        return 0;
    size_t length = strnlen(text, capacity);
    if (length == 0 || length == capacity)
        return 0;
    if (text[length - 1] == '\\')
        return 1;
    if (length + 1 >= capacity)
        return 0;
    text[length] = '\\';
    text[length + 1] = '\0';
    return 1;
}

int RemoveTrailingBackslash(char *text, int keepAfterDriveColon)
{
    if (text == nullptr)
        return 0;
    size_t length = strlen(text);
    if (length == 0 || text[length - 1] != '\\')
        return 0;
    if (keepAfterDriveColon && length >= 2 && text[length - 2] == ':')
        return 0;
    text[length - 1] = '\0';
    return 1;
}

int ReplaceChar(char *text, char from, char to)
{
    if (text == nullptr || from == '\0')
        return 0;
    int found = 0;
    char *write = text;
    for (const char *read = text; *read != '\0'; ++read) {
        if (*read == from) {
            found = 1;
            if (to == '\0')
                continue;
            *write++ = to;
        } else {
            *write++ = *read;
        }
    }
    *write = '\0';
    return found;
}

int EqualsToColon(char *text)
{
    return ReplaceChar(text, '=', ':');
}

int ThousandsText(long long number, char *out, size_t capacity)
{
    // Work on the magnitude as unsigned so the most negative value needs no special case.
    unsigned long long magnitude = number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                                              : static_cast<unsigned long long>(number);
    char reversed[32];
    size_t count = 0;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            reversed[count++] = ',';
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (number < 0)
        reversed[count++] = '-';

    char text[32];
    for (size_t i = 0; i < count; ++i)
        text[i] = reversed[count - 1 - i];
    text[count] = '\0';
    return CopyBounded(out, capacity, text);
}

int UrlQueryText(const char *text, char *out, size_t capacity)
{
    PieceWriter writer(out, capacity);
    if (text == nullptr)
        return writer.fitted;
    for (const char *p = text; *p != '\0'; ++p) {
        int kept;
        if (*p == ' ')
            kept = writer.Put("%20", 3);
        else if (*p == '#' || *p == '"' || *p == '<' || *p == '>' || *p == '\'') {
            // These end the address or the attribute that holds it.
            char escape[4];
            snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(*p));
            kept = writer.Put(escape, 3);
        } else if (*p == '&')
            kept = writer.Put("+", 1);
        else
            kept = writer.Put(p, 1);
        if (!kept)
            break;
    }
    return writer.fitted;
}

namespace {

// Copies the text with every `from` written as `to`; whether it all fitted.
int ReplaceEach(const char *text, char from, const char *to, char *out, size_t capacity)
{
    PieceWriter writer(out, capacity);
    if (text == nullptr)
        return writer.fitted;
    const size_t toLength = strlen(to);
    for (const char *p = text; *p != '\0'; ++p) {
        if (!(*p == from ? writer.Put(to, toLength) : writer.Put(p, 1)))
            break;
    }
    return writer.fitted;
}

} // namespace

int DoubleBackslashes(const char *text, char *out, size_t capacity)
{
    return ReplaceEach(text, '\\', "\\\\", out, capacity);
}

int CommasToSpaces(const char *text, char *out, size_t capacity)
{
    return ReplaceEach(text, ',', " ", out, capacity);
}

int InsertAtMark(const char *text, const char *insert, char *out, size_t capacity)
{
    if (text == nullptr)
        text = "";
    const char *mark = strstr(text, "%s");
    if (mark == nullptr) {
        CopyBounded(out, capacity, text);
        return 0;
    }
    // Each piece is cut at capacity rather than dropped: a long name still shows its start.
    const size_t head = static_cast<size_t>(mark - text);
    CopyBounded(out, head + 1 < capacity ? head + 1 : capacity, text);
    AppendBounded(out, capacity, insert != nullptr ? insert : "");
    AppendBounded(out, capacity, mark + 2);
    return 1;
}

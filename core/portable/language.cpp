#include "language.h"

#include <climits>
#include <cstring>

namespace {

struct LanguageCode {
    const char *code;
    int id;
};

const LanguageCode kLanguages[] = {
    {"us", 9},  {"de", 7},  {"fr", 12}, {"es", 10}, {"it", 16}, {"se", 29},
    {"ru", 25}, {"pt", 22}, {"pl", 21}, {"no", 20}, {"gr", 8},  {"nl", 19},
    {"br", 22}, {"sq", 28}, {"tr", 31}, {"ar", 1},  {"fi", 11}, {"cn", 4},
    {"\xEA\xE0\xEA", 25}, // Russian tables written in the Windows-1251 code page
};

} // namespace

int LanguageIdFromCode(const char *code)
{
    if (code == nullptr)
        return 0;
    for (const LanguageCode &language : kLanguages)
        if (strcmp(code, language.code) == 0)
            return language.id;
    return 0;
}

void ExpandLineBreaks(char *text)
{
    if (text == nullptr)
        return;
    char *out = text;
    for (const char *in = text; *in != '\0'; ++in) {
        if (in[0] == '%' && in[1] == 'n') {
            *out++ = '\n';
            ++in;
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
}

int LeadingNumber(const char *text)
{
    if (text == nullptr)
        return 0;
    while (*text == ' ' || *text == '\t')
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

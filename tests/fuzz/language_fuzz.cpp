// String-table texts and their per-language overrides, which a translator (or anyone with the
// file) writes: the language code, the "%n" line breaks and the numbers read from the texts.
#include <climits>
#include <cstdint>

#include "fuzzkit.h"
#include "language.h"

namespace {

long long ReferenceNumber(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value > INT_MAX ? value : value * 10 + (text[i] - '0');
    value = negative ? -value : value;
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value;
}

std::string ReferenceBreaks(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (const std::string &part : PartsOf(data, size)) {
        HeapText text(part);
        const int id = LanguageIdFromCode(text.c_str());
        FUZZ_CHECK(id >= 0 && id < 1024);
        if (id != 0)
            FUZZ_CHECK(part.size() >= 2 && part.size() <= 3);

        FUZZ_CHECK(LeadingNumber(text.c_str()) == ReferenceNumber(part));

        HeapText expanded(part);
        ExpandLineBreaks(expanded.data());
        FUZZ_CHECK(std::string(expanded.c_str()) == ReferenceBreaks(part));
    }
    FUZZ_CHECK(LanguageIdFromCode(nullptr) == 0 && LeadingNumber(nullptr) == 0);
    ExpandLineBreaks(nullptr);
    return 0;
}

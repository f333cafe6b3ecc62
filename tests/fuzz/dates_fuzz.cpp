// Date and time texts from the locale's pictures (read from the system, so any text) and the
// clock's fields. Input: short-date picture NUL time picture NUL, then the fields as raw bytes
// (year, month, day, hour, minute; 32 bits each, missing bytes zero).
#include <cstdint>

#include "dates.h"
#include "fuzzkit.h"
#include "historyline.h"

namespace {

struct Fields {
    int year, month, day, hour, minute;
};

bool InRange(const Fields &f)
{
    return f.year >= 0 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
           f.day <= 31 && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59;
}

std::string Padded(unsigned long long value, size_t width)
{
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return text;
}

std::string LocaleText(const char *datePicture, const char *timePicture, const Fields &f,
                       size_t capacity, int *fitted)
{
    HeapBuffer out(capacity);
    *fitted = FormatLocaleDateTime(datePicture, timePicture, f.year, f.month, f.day, f.hour,
                                   f.minute, out.data(), capacity);
    if (capacity > 0)
        FUZZ_CHECK(out.Terminated());
    return out.Text();
}

void CheckLocale(const std::string *datePicture, const std::string *timePicture, const Fields &f,
                 unsigned char pick)
{
    HeapText date(datePicture ? *datePicture : ""), time(timePicture ? *timePicture : "");
    const char *dateArg = datePicture ? date.c_str() : nullptr;
    const char *timeArg = timePicture ? time.c_str() : nullptr;
    int fitted = 0;
    const std::string whole = LocaleText(dateArg, timeArg, f, 64, &fitted);
    FUZZ_CHECK(fitted == 1 && whole.size() <= kDateTimeTextLimit);
    const size_t space = whole.find(' ');
    FUZZ_CHECK(space != std::string::npos && space <= kDatePartLimit);
    const std::string datePart = whole.substr(0, space), timePart = whole.substr(space + 1);

    // Pictures match ignoring case.
    for (auto change : {Upper, Lower}) {
        HeapText d(change(datePicture ? *datePicture : "")),
            t(change(timePicture ? *timePicture : ""));
        FUZZ_CHECK(LocaleText(datePicture ? d.c_str() : nullptr, timePicture ? t.c_str() : nullptr,
                              f, 64, &fitted) == whole);
    }
    // Every picture the code knows names its year and its minutes; without them it is unknown.
    const bool dateNamesYear = datePicture && datePicture->find_first_of("yY") != std::string::npos;
    const bool timeNamesMinutes =
        timePicture && timePicture->find_first_of("mM") != std::string::npos;
    if (!dateNamesYear || !timeNamesMinutes) {
        const std::string fallback =
            LocaleText(dateNamesYear ? dateArg : nullptr, timeNamesMinutes ? timeArg : nullptr, f,
                       64, &fitted);
        FUZZ_CHECK(fallback == whole);
    }
    if (!(f.month >= 1 && f.month <= 12))
        FUZZ_CHECK(datePart.find_first_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") ==
                       std::string::npos ||
                   datePart.find("???") != std::string::npos);
    if (InRange(f)) {
        FUZZ_CHECK(datePart.find("???") == std::string::npos);
        FUZZ_CHECK(datePart.find(std::to_string(f.year)) != std::string::npos);
        FUZZ_CHECK(timePart.find(":" + Padded(f.minute, 2)) != std::string::npos);
        if (timePart.find("AM") != std::string::npos)
            FUZZ_CHECK(f.hour < 12);
        if (timePart.find("PM") != std::string::npos)
            FUZZ_CHECK(f.hour >= 12);
    }
    for (size_t capacity : CapacitiesAround(whole.size(), pick)) {
        std::string cut = LocaleText(dateArg, timeArg, f, capacity, &fitted);
        FUZZ_CHECK(cut == CutTo(whole, capacity));
        FUZZ_CHECK(fitted == (whole.size() < capacity));
    }
}

template <typename Fn> void CheckCuts(const std::string &whole, unsigned char pick, Fn call)
{
    for (size_t capacity : CapacitiesAround(whole.size(), pick)) {
        HeapBuffer out(capacity);
        int fitted = call(out.data(), capacity);
        if (capacity == 0) {
            FUZZ_CHECK(fitted == 0);
            continue;
        }
        FUZZ_CHECK(out.Terminated() && out.Text() == CutTo(whole, capacity));
        FUZZ_CHECK(fitted == (whole.size() < capacity));
    }
}

void CheckFileDate(const Fields &f, unsigned char pick)
{
    HeapBuffer out(80);
    FUZZ_CHECK(FileDateTextOf(f.year, f.month, f.day, f.hour, f.minute, out.data(), 80) == 1);
    const std::string whole = out.Text();
    if (InRange(f))
        FUZZ_CHECK(whole == Padded(f.year, 4) + "/" + Padded(f.month, 2) + "/" + Padded(f.day, 2) +
                                " " + Padded(f.hour, 2) + ":" + Padded(f.minute, 2));
    CheckCuts(whole, pick, [&](char *o, size_t n) {
        return FileDateTextOf(f.year, f.month, f.day, f.hour, f.minute, o, n);
    });
}

void CheckHistoryDate(const Fields &f, unsigned char pick)
{
    const unsigned year = f.year, month = f.month, day = f.day, hour = f.hour, minute = f.minute;
    const bool afternoon = hour >= 12;
    unsigned shown = afternoon ? hour - 12 : hour;
    shown = shown == 0 ? 12 : shown;
    const std::string whole = Padded(month, 2) + "/" + Padded(day, 2) + "/" + Padded(year, 4) +
                              "  " + std::to_string(shown) + ":" + Padded(minute, 2) +
                              (afternoon ? " PM" : " AM");
    CheckCuts(whole, pick, [&](char *o, size_t n) {
        return HistoryDateOf(year, month, day, hour, minute, o, n);
    });
}

void CheckFileTime(uint32_t seconds)
{
    const uint64_t fileTime = UnixSecondsToFileTime(seconds);
    FUZZ_CHECK(fileTime % 10000000ULL == 0);
    FUZZ_CHECK(fileTime / 10000000ULL - 11644473600ULL == seconds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t *end = data + size;
    const uint8_t *firstNul = static_cast<const uint8_t *>(memchr(data, 0, size));
    const uint8_t *secondNul =
        firstNul ? static_cast<const uint8_t *>(memchr(firstNul + 1, 0, end - firstNul - 1))
                 : nullptr;
    const std::string datePicture(reinterpret_cast<const char *>(data),
                                  (firstNul ? firstNul : end) - data);
    const bool hasTime = firstNul != nullptr;
    const std::string timePicture = hasTime
                                        ? std::string(reinterpret_cast<const char *>(firstNul + 1),
                                                      (secondNul ? secondNul : end) - firstNul - 1)
                                        : std::string();

    int32_t raw[5] = {};
    if (secondNul) {
        size_t tail = end - secondNul - 1;
        memcpy(raw, secondNul + 1, tail < sizeof raw ? tail : sizeof raw);
    }
    const Fields fuzzed{raw[0], raw[1], raw[2], raw[3], raw[4]};
    const Fields samples[] = {
        fuzzed, {2024, 3, 5, 13, 7}, {1999, 12, 31, 0, 0}, {2000, 1, 1, 12, 0}};
    const unsigned char pick = PickOf(data, size);

    for (const Fields &f : samples) {
        CheckLocale(&datePicture, hasTime ? &timePicture : nullptr, f, pick);
        CheckLocale(nullptr, &timePicture, f, pick);
        CheckFileDate(f, pick);
        CheckHistoryDate(f, pick);
    }
    CheckFileTime(static_cast<uint32_t>(raw[0]));
    return 0;
}

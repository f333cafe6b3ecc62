// A buffer larger than the capacity handed out, filled with a canary, so a write past the
// capacity shows up as a lost canary.
#pragma once
#include <cstddef>
#include <cstring>

constexpr char kCanary = '\x5a';

template <size_t Size = 600> struct Guarded {
    char text[Size];
    Guarded() { memset(text, kCanary, sizeof text); }
    bool UntouchedFrom(size_t index) const
    {
        for (size_t i = index; i < sizeof text; ++i) {
            if (text[i] != kCanary)
                return false;
        }
        return true;
    }
};

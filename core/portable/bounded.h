// Bounded writes into fixed character buffers. Every fixed buffer in the programs is written
// through these: they never write past capacity and always terminate (capacity 0 writes nothing).
#pragma once
#include <cstdarg>
#include <cstddef>

// Each answers 1 when the whole text fitted, 0 when it was cut (the cut text is kept).
int CopyBounded(char *destination, size_t capacity, const char *source);
int AppendBounded(char *destination, size_t capacity, const char *source);
int FormatBounded(char *destination, size_t capacity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
int FormatBoundedV(char *destination, size_t capacity, const char *format, va_list arguments);

// Fixed-size array forms: the capacity comes from the array itself.
template <size_t N> int CopyBounded(char (&destination)[N], const char *source)
{
    return CopyBounded(destination, N, source);
}
template <size_t N> int AppendBounded(char (&destination)[N], const char *source)
{
    return AppendBounded(destination, N, source);
}

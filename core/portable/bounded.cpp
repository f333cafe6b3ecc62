#include "bounded.h"

#include <cstdio>
#include <cstring>

int CopyBounded(char *destination, size_t capacity, const char *source)
{
    if (destination == nullptr || capacity == 0)
        return 0;
    if (source == nullptr)
        source = "";
    size_t length = strnlen(source, capacity);
    int fitted = length < capacity;
    if (!fitted)
        length = capacity - 1;
    memmove(destination, source, length);
    destination[length] = '\0';
    return fitted;
}

int AppendBounded(char *destination, size_t capacity, const char *source)
{
    if (destination == nullptr || capacity == 0)
        return 0;
    size_t used = strnlen(destination, capacity);
    if (used == capacity) {
        // An unterminated destination: terminate it in place rather than read past it.
        destination[capacity - 1] = '\0';
        return 0;
    }
    return CopyBounded(destination + used, capacity - used, source);
}

int FormatBoundedV(char *destination, size_t capacity, const char *format, va_list arguments)
{
    if (destination == nullptr || capacity == 0)
        return 0;
    int needed = vsnprintf(destination, capacity, format ? format : "", arguments);
    if (needed < 0) {
        destination[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(needed) < capacity;
}

int FormatBounded(char *destination, size_t capacity, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int fitted = FormatBoundedV(destination, capacity, format, arguments);
    va_end(arguments);
    return fitted;
}

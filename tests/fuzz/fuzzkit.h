// Shared by the fuzz targets: a check that really stops the run, exactly-sized heap buffers (so
// AddressSanitizer sees a write one past the capacity) and the capacities every output is tried
// with.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// Not assert: it must hold in every build type.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);   \
            abort();                                                                              \
        }                                                                                         \
    } while (0)

// Filled with a byte the code under test never writes on its own, so an untouched buffer and a
// missing terminator can be told apart.
constexpr char kUnwritten = '\xA5';

class HeapBuffer {
public:
    explicit HeapBuffer(size_t capacity) : capacity_(capacity), bytes_(new char[capacity])
    {
        memset(bytes_.get(), kUnwritten, capacity);
    }
    char *data() { return bytes_.get(); }
    size_t capacity() const { return capacity_; }
    // A terminator somewhere inside the capacity.
    bool Terminated() const { return capacity_ > 0 && memchr(bytes_.get(), '\0', capacity_); }
    std::string Text() const { return Terminated() ? std::string(bytes_.get()) : std::string(); }
    bool Untouched() const
    {
        for (size_t i = 0; i < capacity_; ++i) {
            if (bytes_[i] != kUnwritten)
                return false;
        }
        return true;
    }

private:
    size_t capacity_;
    std::unique_ptr<char[]> bytes_;
};

// A terminated copy of the text in a heap block of exactly its size.
class HeapText {
public:
    explicit HeapText(const std::string &text) : bytes_(new char[text.size() + 1])
    {
        memcpy(bytes_.get(), text.c_str(), text.size() + 1);
    }
    const char *c_str() const { return bytes_.get(); }
    char *data() { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_;
};

// The input's NUL-separated parts; a part that is not there is absent rather than empty, so a
// target can fall back to what the callers usually pass.
inline std::vector<std::string> PartsOf(const unsigned char *data, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0')
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    return parts;
}

// Capacities worth trying for an output whose whole text is `length` characters: none at all,
// the tiny ones, both sides of the exact fit, and one picked by the input itself.
inline std::vector<size_t> CapacitiesAround(size_t length, unsigned char pick)
{
    std::vector<size_t> capacities = {0, 1, 2, 3, 4, length, length + 1, length + 2};
    if (length > 0)
        capacities.push_back(length - 1);
    capacities.push_back(pick % (length + 3));
    return capacities;
}

inline unsigned char PickOf(const unsigned char *data, size_t size)
{
    return size > 0 ? data[size / 2] : 0;
}

inline std::string Upper(std::string text)
{
    for (char &c : text)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

// The whole text cut to what a capacity holds with its terminator (the bounded writers' cut).
inline std::string CutTo(const std::string &text, size_t capacity)
{
    return capacity == 0 ? std::string() : text.substr(0, capacity - 1);
}

// The longest run of whole pieces that fits a capacity with its terminator: how a writer that
// never splits an escape cuts.
inline std::string WholePiecesIn(const std::vector<std::string> &pieces, size_t capacity)
{
    std::string kept;
    for (const std::string &piece : pieces) {
        if (capacity == 0 || kept.size() + piece.size() > capacity - 1)
            break;
        kept += piece;
    }
    return kept;
}

// A window-system object released with its owner: Owned<HICON, DestroyIcon> and the like.
#pragma once

template <typename T, auto Release> class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    ~Owned() { Reset(); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    // Releases what it held and takes value.
    void Reset(T value = T{})
    {
        if (value_ != T{})
            Release(value_);
        value_ = value;
    }
    T get() const { return value_; }
    explicit operator bool() const { return value_ != T{}; }

private:
    T value_{};
};

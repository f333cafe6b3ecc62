// One owner for every kind of handle: the object is released with its owner on every path.
// Owned<HICON, DestroyIcon>, Owned<HKEY, RegCloseKey> and the like; kernel handles name
// INVALID_HANDLE_VALUE as their sentinel.
#pragma once
#include <windows.h>

#include <utility>

template <typename T> constexpr T NullOf() { return T{}; }
// CreateFile and FindFirstFile answer INVALID_HANDLE_VALUE, OpenProcess answers null: for kernel
// handles both mean none.
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }

// Sentinel answers the kind's "no handle" value; null counts as none as well.
template <typename T, auto Release, auto Sentinel = &NullOf<T>> class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    ~Owned() { Reset(); }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Owned(Owned &&other) noexcept : value_(std::exchange(other.value_, Sentinel())) {}
    Owned &operator=(Owned &&other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.value_, Sentinel()));
        return *this;
    }
    // Releases what it held and takes value.
    void Reset(T value = Sentinel())
    {
        if (valid())
            Release(value_);
        value_ = value;
    }
    // Releases what it held and hands out the place for a new value.
    T *put()
    {
        Reset();
        return &value_;
    }
    T get() const { return value_; }
    bool valid() const { return value_ != T{} && value_ != Sentinel(); }
    explicit operator bool() const { return valid(); }

private:
    T value_ = Sentinel();
};

using Handle = Owned<HANDLE, &CloseHandle, &InvalidHandle>;
using FindHandle = Owned<HANDLE, &FindClose, &InvalidHandle>;
using IconOwner = Owned<HICON, &DestroyIcon>;
using MenuOwner = Owned<HMENU, &DestroyMenu>;
using BitmapOwner = Owned<HBITMAP, &DeleteObject>;
using DCOwner = Owned<HDC, &DeleteDC>;

// A library loaded by name for functions looked up at run time; freed when it goes.
class Library {
public:
    explicit Library(const char *name) : module_(LoadLibraryA(name)) {}
    template <typename Fn> Fn Get(const char *name) const
    {
        return module_ ? reinterpret_cast<Fn>(
                             reinterpret_cast<void *>(GetProcAddress(module_.get(), name)))
                       : nullptr;
    }
    explicit operator bool() const { return module_.valid(); }

private:
    Owned<HMODULE, &FreeLibrary> module_;
};

// An object selected into a device context for a scope, the previous one put back after.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr)
    {
    }
    ~Selection()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
    }
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

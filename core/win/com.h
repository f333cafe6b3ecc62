// COM ownership: an interface pointer released with its owner, and COM initialised for the
// thread while a scope lives (only a count when the program has initialised it already).
#pragma once
#include <objbase.h>

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    T *operator->() const { return pointer_; }
    T *get() const { return pointer_; }
    void **put()
    {
        Reset();
        return reinterpret_cast<void **>(&pointer_);
    }

private:
    void Reset()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
        pointer_ = nullptr;
    }
    T *pointer_ = nullptr;
};

class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope()
    {
        if (initialised_)
            CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    bool initialised_;
};

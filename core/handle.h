// A kernel handle closed with its owner; both "no handle" values (null and INVALID_HANDLE_VALUE)
// count as none, since CreateFile answers one and OpenProcess the other.
#pragma once
#include <windows.h>

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }

private:
    HANDLE handle_;
};

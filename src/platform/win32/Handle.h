#pragma once

#include <windows.h>

#include <utility>

namespace tolvar::platform::win32 {

// Closes the handle it holds. Calls report failure as null or as INVALID_HANDLE_VALUE, depending
// on the call, so both count as no handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

} // namespace tolvar::platform::win32

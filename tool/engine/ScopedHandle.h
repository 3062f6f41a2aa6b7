// Owns one Windows kernel handle (event, thread, file) and closes it once.
#pragma once

#include <windows.h>

#include <utility>

class CScopedHandle {
public:
    CScopedHandle() = default;
    explicit CScopedHandle(HANDLE handle) : handle_(handle) {}
    ~CScopedHandle() { Reset(); }
    CScopedHandle(CScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    CScopedHandle& operator=(CScopedHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    // Null and INVALID_HANDLE_VALUE both mean none: APIs differ in which they give.
    bool IsSet() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = nullptr) {
        if (IsSet()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

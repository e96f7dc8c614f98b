#pragma once
#include <windows.h>

#include <utility>

namespace qb::win {

// Owns a kernel handle and closes it once, in the destructor; move-only.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void Reset() {
        if (*this) CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

// Owns a loaded library and frees it in the destructor.
class UniqueLibrary {
public:
    explicit UniqueLibrary(const char* name) : h_(LoadLibraryA(name)) {}
    ~UniqueLibrary() {
        if (h_) FreeLibrary(h_);
    }
    UniqueLibrary(const UniqueLibrary&) = delete;
    UniqueLibrary& operator=(const UniqueLibrary&) = delete;

    explicit operator bool() const { return h_ != nullptr; }
    FARPROC Proc(const char* name) const { return h_ ? GetProcAddress(h_, name) : nullptr; }

private:
    HMODULE h_;
};

}  // namespace qb::win

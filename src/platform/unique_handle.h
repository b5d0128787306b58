// One move-only holder for every handle the program opens. The type names
// the close call (a member of the boundary, so the fake sees every close)
// and the value that means "nothing held".
#pragma once

#include <utility>

#include "platform/constants.h"
#include "platform/platform.h"

namespace gx {

template <class T>
constexpr T NullHandle() {
    return nullptr;
}
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }

template <class T, auto Close, T (*Empty)() = NullHandle<T>>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Empty(); }
    // For the call that opens: what was held is closed first.
    T* put() {
        reset();
        return &value_;
    }
    void reset(T value = Empty()) {
        if (value_ != Empty()) (os().*Close)(value_);
        value_ = value;
    }
    T release() { return std::exchange(value_, Empty()); }
    // Closes what is held (it must hold one) and returns the close call's result.
    auto close() { return (os().*Close)(release()); }

private:
    T value_ = Empty();
};

using UniqueRegKey = UniqueHandle<HKEY, &Platform::RegCloseKey>;
using UniqueToken = UniqueHandle<HANDLE, &Platform::CloseHandle>;
using UniqueFile = UniqueHandle<HANDLE, &Platform::CloseHandle, InvalidHandle>;
using UniqueFind = UniqueHandle<HANDLE, &Platform::FindClose, InvalidHandle>;
using UniqueEventLog = UniqueHandle<HANDLE, &Platform::CloseEventLog>;
using UniqueMutex = UniqueHandle<HANDLE, &Platform::CloseHandle>;
using UniqueLibrary = UniqueHandle<HMODULE, &Platform::FreeLibrary>;
using UniqueLocalMemory = UniqueHandle<void*, &Platform::LocalFree>;

}  // namespace gx

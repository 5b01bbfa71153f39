#pragma once

#include <utility>

namespace quillcrest {

// Owns one handle of a C API: move-only, closes exactly once. Each handle kind is one alias naming the
// handle type, its close function and its invalid value.
template <typename T, typename Close, Close CloseFn, T Invalid = T{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid; }

    // Frees the old handle before handing out the slot to an out-parameter.
    T* put() {
        reset();
        return &handle_;
    }

    T release() { return std::exchange(handle_, Invalid); }

    void reset(T handle = Invalid) {
        T old = std::exchange(handle_, handle);
        if (old != Invalid)
            CloseFn(old);
    }

private:
    T handle_ = Invalid;
};

}  // namespace quillcrest

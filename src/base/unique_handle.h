#pragma once

#include <utility>

namespace quillcrest {

// Owns one handle of a C API: move-only, closes exactly once. Traits name the handle type, its invalid value and
// how to close it; most kinds get their traits from UniqueHandle below, in one line each.
template <typename Traits>
class UniqueResource {
  public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type handle) : handle_(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }

    // Frees the old handle before handing out the slot to an out-parameter.
    Type* put() {
        reset();
        return &handle_;
    }

    Type release() { return std::exchange(handle_, Traits::Invalid()); }

    void reset(Type handle = Traits::Invalid()) {
        Type old = std::exchange(handle_, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

  private:
    Type handle_ = Traits::Invalid();
};

// Traits for a handle whose invalid value is a constant expression.
template <typename T, typename CloseType, CloseType CloseFn, T InvalidValue>
struct ClosedByFunction {
    using Type = T;
    static constexpr T Invalid() { return InvalidValue; }
    static void Close(T handle) { CloseFn(handle); }
};

template <typename T, typename CloseType, CloseType CloseFn, T Invalid = T{}>
using UniqueHandle = UniqueResource<ClosedByFunction<T, CloseType, CloseFn, Invalid>>;

}  // namespace quillcrest

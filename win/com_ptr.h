#pragma once
// Owner of one COM interface pointer: AddRef on copy, Release when dropped.

#include "win/error.h"

#include <unknwn.h>
#include <utility>

namespace cutshape::win {

template <class I>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to `pointer`.
    explicit ComPtr(I* pointer) noexcept : pointer_(pointer) {
        if (pointer_)
            pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already holds (such as a result of a creation call).
    static ComPtr attach(I* pointer) noexcept {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }

    I* get() const noexcept { return pointer_; }
    I* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    [[nodiscard]] I* release() noexcept { return std::exchange(pointer_, nullptr); }
    void reset() noexcept {
        if (I* old = std::exchange(pointer_, nullptr))
            old->Release();
    }
    // Releases the current pointer and lends its address to an out-parameter.
    I** put() noexcept {
        reset();
        return &pointer_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

    // The interface J of the same object; throws Error(E_NOINTERFACE) when it has none.
    template <class J>
    ComPtr<J> query() const {
        ComPtr<J> result = tryQuery<J>();
        if (!result)
            throw Error(E_NOINTERFACE, L"The object does not support the requested interface.");
        return result;
    }

    // The interface J of the same object, or null.
    template <class J>
    ComPtr<J> tryQuery() const noexcept {
        ComPtr<J> result;
        if (pointer_)
            pointer_->QueryInterface(__uuidof(J), result.putVoid());
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept {
        return a.pointer_ == b.pointer_;
    }

private:
    I* pointer_ = nullptr;
};

} // namespace cutshape::win

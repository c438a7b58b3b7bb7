#pragma once
// Owner of one VARIANT: cleared when dropped; and the check a VARIANT from a caller passes.

#include "win/error.h"

#include <oleauto.h>
#include <utility>

namespace cutshape::win {

// Whether `value` can be followed safely: it is no reference, or a reference to storage
// that is not itself a reference. Callers may hand references that point nowhere, to further
// references or to themselves; the system's conversions follow those into a crash or an
// endless loop, so such a value is refused before anything reads it.
inline bool isSafeToFollow(const VARIANT& value) noexcept {
    if (!(value.vt & VT_BYREF))
        return true;
    if (!value.byref)
        return false;
    return value.vt != (VT_BYREF | VT_VARIANT) || !(value.pvarVal->vt & VT_BYREF);
}

class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARIANT* put() noexcept {
        ::VariantClear(&value_);
        return &value_;
    }
    // Hands the value over, leaving this variant empty.
    VARIANT release() noexcept {
        VARIANT result = value_;
        ::VariantInit(&value_);
        return result;
    }

    // A copy of the value converted to `type`; throws Error(type mismatch or overflow).
    Variant as(VARTYPE type) const {
        Variant result;
        check(::VariantChangeType(result.get(), const_cast<VARIANT*>(&value_), 0, type),
              L"Converting a value");
        return result;
    }

private:
    VARIANT value_;
};

} // namespace cutshape::win

#pragma once
// Owner of one VARIANT: cleared when dropped.

#include "win/error.h"

#include <oleauto.h>
#include <utility>

namespace cutshape::win {

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

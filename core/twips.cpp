// Every conversion either yields the exactly rounded 32-bit result or throws the one
// ArithmeticFault that describes why it cannot; no result depends on the floating-point
// environment (rounding mode, exception masks) of the calling thread.

#include "core/twips.h"

#include "core/arithmetic_error.h"

#include <cmath>
#include <limits>

namespace cutshape::core {

std::int32_t roundToInt32(double value) {
    if (std::isnan(value))
        throw ArithmeticError(ArithmeticFault::InvalidOperation);
    // floor is exact in every rounding mode, and so is value - floor(value): the fraction of a
    // double is always representable. Ties are resolved explicitly rather than by the mode.
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (!(whole >= kMin && whole <= kMax))
        throw ArithmeticError(ArithmeticFault::IntegerOverflow);
    return static_cast<std::int32_t>(whole);
}

std::int32_t twipsToPixels(float twips, float twipsPerPixel) {
    if (std::isnan(twips) || std::isnan(twipsPerPixel))
        throw ArithmeticError(ArithmeticFault::InvalidOperation);
    if (std::isinf(twips) && std::isinf(twipsPerPixel))
        throw ArithmeticError(ArithmeticFault::InvalidOperation);
    if (twipsPerPixel == 0.0f) {
        if (twips == 0.0f)
            throw ArithmeticError(ArithmeticFault::InvalidOperation);
        if (std::isfinite(twips))
            throw ArithmeticError(ArithmeticFault::DivisionByZero);
        // An infinite dividend over zero is an exact infinity, not a division fault.
        throw ArithmeticError(ArithmeticFault::FloatOverflow);
    }
    const double quotient = static_cast<double>(twips) / static_cast<double>(twipsPerPixel);
    // Both operands are single precision and so is the quotient's type: a quotient past the
    // single range overflows even though the double computing it still holds it.
    if (!(std::fabs(quotient) <= static_cast<double>(std::numeric_limits<float>::max())))
        throw ArithmeticError(ArithmeticFault::FloatOverflow);
    return roundToInt32(quotient);
}

std::int32_t scaledFromPictureDpi(std::int32_t pixels, int dpi) {
    return twipsToPixels(static_cast<float>(pixels) * twipsPerPixelAt(kPictureDpi),
                         twipsPerPixelAt(dpi));
}

std::int32_t himetricFromTwips(float twips) noexcept {
    return static_cast<std::int32_t>(twips * kHimetricPerInch / kTwipsPerInch + 0.5f);
}

float twipsFromHimetric(std::int32_t himetric) noexcept {
    return static_cast<float>(himetric) * kTwipsPerInch / kHimetricPerInch;
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    std::int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        throw ArithmeticError(ArithmeticFault::IntegerOverflow);
    return sum;
}

} // namespace cutshape::core

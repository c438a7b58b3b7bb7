#pragma once
// Twips (1/1440 inch) to pixels, the one conversion every length goes through.

#include <cstdint>

namespace cutshape::core {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kHimetricPerInch = 2540; // HIMETRIC: 0.01 mm
// A bitmap's pixel is 1/96 inch (the CSS pixel): 15 twips at every screen resolution.
inline constexpr int kPictureDpi = 96;

// A length in bitmap pixels as whole pixels of a screen of `dpi`: its twips (15 a pixel)
// converted as every twips length is, so a picture and a form of the same twips agree.
std::int32_t scaledFromPictureDpi(std::int32_t pixels, int dpi);

// A rectangle in twips as designs give it: its corner and its size.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// Rounds to the nearest integer, ties to even (7.5 -> 8, 6.5 -> 6). Throws ArithmeticError:
// IntegerOverflow when the result does not fit, InvalidOperation for a NaN.
std::int32_t roundToInt32(double value);

// The screen's twips per pixel at `dpi` (15 at 96, 10 at 144, 7.5 at 192).
inline float twipsPerPixelAt(int dpi) noexcept {
    return static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi);
}

// twips / twipsPerPixel computed in double precision from the single-precision operands,
// then rounded as roundToInt32 does. Throws ArithmeticError for a division by zero, an
// invalid division, a non-finite quotient or a result outside the 32-bit range. The quotient
// has the operands' single-precision type, so one beyond the largest single is non-finite
// (FloatOverflow) even though the double computing it still holds it.
std::int32_t twipsToPixels(float twips, float twipsPerPixel);

// An extent in HIMETRIC (0.01 mm, as OLE gives sizes) from twips, rounded half up, and back.
std::int32_t himetricFromTwips(float twips) noexcept;
float twipsFromHimetric(std::int32_t himetric) noexcept;

// Adds with 32-bit overflow detection (ArithmeticFault::IntegerOverflow).
std::int32_t checkedAdd(std::int32_t a, std::int32_t b);

} // namespace cutshape::core

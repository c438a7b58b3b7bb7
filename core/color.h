#pragma once
// Colours as a pixel read reports them: 0x00BBGGRR. Images, however, keep their pixels in
// the 32-bit device-independent layout 0xXXRRGGBB (blue in the lowest byte, the top byte
// unused), so the two layouts meet only through the conversions below.

#include <cstdint>

namespace cutshape::core {

using Color = std::uint32_t;

// What a pixel read outside the image returns; a mask colour equal to it is the only one
// that can match such a pixel.
inline constexpr Color kInvalidColor = 0xFFFFFFFFu;

// A mask colour that no pixel inside an image has: with it, only transparency is cut.
inline constexpr Color kNoMaskColor = 0xFF000000u;

// The least alpha of a figure pixel, in an image with an alpha channel: half opaque.
inline constexpr std::uint32_t kFigureAlpha = 128;

// Converts an image word to the colour a pixel read returns: the unused byte is dropped.
constexpr Color colorFromImageWord(std::uint32_t word) noexcept {
    return ((word & 0x000000FFu) << 16) | (word & 0x0000FF00u) | ((word & 0x00FF0000u) >> 16);
}

// The image word (unused byte 0) whose pixel read gives `color`; only colours with a zero
// top byte have one.
constexpr std::uint32_t imageWordFromColor(Color color) noexcept {
    return ((color & 0x000000FFu) << 16) | (color & 0x0000FF00u) | ((color & 0x00FF0000u) >> 16);
}

} // namespace cutshape::core

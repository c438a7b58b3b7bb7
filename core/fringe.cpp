#include "core/fringe.h"

#include <algorithm>

namespace cutshape::core {
namespace {

constexpr std::uint32_t kColorBits = 0x00FFFFFFu;
// A mask word no pixel's colour bits equal (a mask colour with a non-zero top byte).
constexpr std::uint32_t kNoMaskWord = 0xFFFFFFFFu;

} // namespace

std::size_t writeFringe(const PixelView& staged, const PixelView& own, Color mask,
                        std::uint32_t* edge, std::ptrdiff_t edgeStridePixels) noexcept {
    const std::uint32_t maskWord =
        (mask & 0xFF000000u) == 0 ? imageWordFromColor(mask) : kNoMaskWord;
    // Pixels of `own` beyond the staged image are never shown; pixels of the staged image
    // beyond `own` have no colour of their own to show.
    const bool fringeable = staged.hasAlpha;
    const std::int32_t ownWidth = std::min(own.width, staged.width);
    std::size_t count = 0;
    for (std::int32_t y = 0; y < staged.height; ++y) {
        std::uint32_t* out = edge + y * edgeStridePixels;
        std::fill(out, out + staged.width, 0u);
        if (!fringeable || y >= own.height)
            continue;
        const std::uint32_t* in = staged.row(y);
        const std::uint32_t* colours = own.row(y);
        for (std::int32_t x = 0; x < ownWidth; ++x) {
            const std::uint32_t alpha = in[x] >> 24;
            if (alpha != 0 && alpha < kFigureAlpha && (in[x] & kColorBits) != maskWord) {
                out[x] = colours[x];
                ++count;
            }
        }
    }
    return count;
}

} // namespace cutshape::core

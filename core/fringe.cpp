#include "core/fringe.h"

#include <algorithm>

namespace cutshape::core {
namespace {

constexpr std::uint32_t kColorBits = 0x00FFFFFFu;
// A mask word no pixel's colour bits equal (a mask colour with a non-zero top byte).
constexpr std::uint32_t kNoMaskWord = 0xFFFFFFFFu;

std::uint32_t maskWordOf(Color mask) noexcept {
    return (mask & 0xFF000000u) == 0 ? imageWordFromColor(mask) : kNoMaskWord;
}

bool inFringe(std::uint32_t word, std::uint32_t maskWord) noexcept {
    // One unsigned compare: alpha - 1 wraps for alpha 0.
    return (word >> 24) - 1 < kFigureAlpha - 1 && (word & kColorBits) != maskWord;
}

} // namespace

FringeExtent findFringe(const PixelView& staged, Color mask) noexcept {
    FringeExtent extent;
    if (!staged.hasAlpha)
        return extent;
    const std::uint32_t maskWord = maskWordOf(mask);
    Rect& box = extent.bounds;
    box = Rect{staged.width, staged.height, 0, 0};
    for (std::int32_t y = 0; y < staged.height; ++y) {
        const std::uint32_t* row = staged.row(y);
        std::int32_t first = -1;
        std::int32_t last = -1;
        for (std::int32_t x = 0; x < staged.width; ++x) {
            if (inFringe(row[x], maskWord)) {
                ++extent.pixels;
                first = first < 0 ? x : first;
                last = x;
            }
        }
        if (first >= 0) {
            box = Rect{std::min(box.x1, first), std::min(box.y1, y), std::max(box.x2, last + 1),
                       y + 1};
        }
    }
    if (extent.pixels == 0)
        box = Rect{};
    return extent;
}

void writeFringe(const PixelView& staged, const PixelView& own, Color mask, const Rect& bounds,
                 std::uint32_t* edge, std::ptrdiff_t edgeStridePixels) noexcept {
    const std::uint32_t maskWord = maskWordOf(mask);
    for (std::int32_t y = bounds.y1; y < bounds.y2; ++y) {
        std::uint32_t* out = edge + (y - bounds.y1) * edgeStridePixels;
        std::fill(out, out + (bounds.x2 - bounds.x1), 0u);
        // Pixels of the staged image beyond `own` have no colour of their own to show.
        if (!staged.hasAlpha || y >= staged.height || y >= own.height)
            continue;
        const std::uint32_t* in = staged.row(y);
        const std::uint32_t* colours = own.row(y);
        const std::int32_t end = std::min({bounds.x2, staged.width, own.width});
        for (std::int32_t x = std::max(bounds.x1, 0); x < end; ++x)
            if (inFringe(in[x], maskWord))
                out[x - bounds.x1] = colours[x];
    }
}

} // namespace cutshape::core

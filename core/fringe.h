#pragma once
// The fringe of a picture with alpha: its pixels that are partly opaque but under half
// (0 < alpha < kFigureAlpha) and whose colour the mask does not cut, compared exactly as the
// figure's pixels are (run_scanner.h). The figure takes every pixel at least half opaque,
// so figure and fringe never share a pixel, and a window showing the fringe beside a window
// shaped to the figure never covers it.

#include "core/color.h"
#include "core/pixel_view.h"
#include "core/rect.h"

#include <cstddef>
#include <cstdint>

namespace cutshape::core {

struct FringeExtent {
    std::size_t pixels = 0;
    Rect bounds; // the smallest rectangle holding every fringe pixel; empty when none
};

// Finds the fringe of `staged`, the picture as scanned: its colours as the mask compares
// them, its alpha in the top bytes. An image without alpha has none.
FringeExtent findFringe(const PixelView& staged, Color mask) noexcept;

// Writes the fringe within `bounds` as a premultiplied 0xAARRGGBB image of its size, rows
// `edgeStridePixels` apart: the word of `own` (the picture's own premultiplied pixels, at the
// staged size) at every fringe pixel, 0 (transparent) everywhere else.
void writeFringe(const PixelView& staged, const PixelView& own, Color mask, const Rect& bounds,
                 std::uint32_t* edge, std::ptrdiff_t edgeStridePixels) noexcept;

} // namespace cutshape::core

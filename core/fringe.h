#pragma once
// The fringe of a picture with alpha: its pixels that are partly opaque but under half
// (0 < alpha < kFigureAlpha) and whose colour the mask does not cut, compared exactly as the
// figure's pixels are (run_scanner.h). The figure takes every pixel of at least half opacity,
// so figure and fringe never share a pixel, and a window showing the fringe beside a window
// shaped to the figure never covers it.

#include "core/color.h"
#include "core/pixel_view.h"

#include <cstddef>
#include <cstdint>

namespace cutshape::core {

// Writes the fringe as a premultiplied 0xAARRGGBB image of staged.width x staged.height
// words, `edgeStridePixels` apart from row to row: the word of `own` at every fringe pixel,
// 0 (transparent) everywhere else. `staged` is the picture as scanned, its colours as the
// mask compares them and its opacity in the top bytes; `own` is the picture's own
// premultiplied pixels at the same size. Returns the number of fringe pixels; an image
// without alpha has none.
std::size_t writeFringe(const PixelView& staged, const PixelView& own, Color mask,
                        std::uint32_t* edge, std::ptrdiff_t edgeStridePixels) noexcept;

} // namespace cutshape::core

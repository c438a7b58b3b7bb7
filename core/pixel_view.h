#pragma once
// A read-only view of a 32-bit image in the device-independent layout (see color.h), rows
// top to bottom. The view never owns the pixels. When the image has an alpha channel, each
// word's top byte is the pixel's alpha (0 transparent, 255 opaque); otherwise that byte is
// unused and every pixel counts as opaque.

#include "core/color.h"

#include <cstddef>
#include <cstdint>

namespace cutshape::core {

struct PixelView {
    const std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t stridePixels = 0; // distance between the starts of two rows, in pixels
    bool hasAlpha = false;

    const std::uint32_t* row(std::int32_t y) const noexcept { return pixels + y * stridePixels; }

    // The colour a pixel read at (x, y) returns, kInvalidColor outside the image.
    Color colorAt(std::int32_t x, std::int32_t y) const noexcept {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return kInvalidColor;
        return colorFromImageWord(row(y)[x]);
    }

    // Whether the pixel at (x, y), inside the image, is at least half opaque: a pixel less
    // opaque than that never belongs to the figure.
    bool opaqueAt(std::int32_t x, std::int32_t y) const noexcept {
        return !hasAlpha || (row(y)[x] >> 24) >= kFigureAlpha;
    }
};

} // namespace cutshape::core

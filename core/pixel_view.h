#pragma once
// A read-only view of a 32-bit image in the device-independent layout (see color.h), rows
// top to bottom. The view never owns the pixels.

#include "core/color.h"

#include <cstddef>
#include <cstdint>

namespace cutshape::core {

struct PixelView {
    const std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t stridePixels = 0; // distance between the starts of two rows, in pixels

    const std::uint32_t* row(std::int32_t y) const noexcept { return pixels + y * stridePixels; }

    // The colour a pixel read at (x, y) returns, kInvalidColor outside the image.
    Color colorAt(std::int32_t x, std::int32_t y) const noexcept {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return kInvalidColor;
        return colorFromImageWord(row(y)[x]);
    }
};

} // namespace cutshape::core

#pragma once
// Compares a window's bounding shape, as the X server reports it, with a picture's figure:
// the pixels whose colour differs from the mask colour. Deliberately naive (one flag per
// pixel) so it shares no idea with the banded region code it is meant to check.

#include "tools/xshape/bmp_picture.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cutshape::xshape {

// Half-open, in window coordinates: columns x1..x2-1 of rows y1..y2-1.
struct ShapeRect {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
};

struct WindowShape {
    std::int32_t width = 0; // window geometry, border excluded
    std::int32_t height = 0;
    std::vector<ShapeRect> rects; // in the order the server gave them
};

struct PixelDifference {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool missing = false; // a figure pixel the shape lacks; else a shape pixel not in the figure
};

struct ShapeComparison {
    bool geometryMatches = false;
    std::int64_t figurePixels = 0;
    std::int64_t missing = 0;
    std::int64_t extra = 0;
    std::vector<PixelDifference> firstDifferences; // row by row, at most kMaxListed
    std::int64_t rectsBeyondPicture = 0;           // rectangles reaching outside the picture's area

    bool equal() const { return geometryMatches && missing == 0 && extra == 0; }
};

inline constexpr std::size_t kMaxListed = 10;

// Compares over the picture's area; the mask is a colour 0x00BBGGRR (a colour with a top
// byte matches no pixel, so the whole picture is figure).
ShapeComparison compareShape(const Picture& picture, std::uint32_t mask, const WindowShape& shape);

// A report of a few lines: the verdict, then any geometry mismatch and differing pixels.
std::string describeComparison(const ShapeComparison& result, const Picture& picture,
                               const WindowShape& shape);

// "0x..." in hex, else decimal; nothing else, and nothing that does not fit 32 bits.
std::optional<std::uint32_t> parseNumber(const std::string& text);

} // namespace cutshape::xshape

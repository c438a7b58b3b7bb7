#pragma once
// A naive per-pixel model of what a scan should find, independent of the core's scanner and
// band builder: test images built from text, the set of figure pixels read one pixel at a
// time, and a comparison of a rectangle list against that set.

#include "core/color.h"
#include "core/pixel_view.h"
#include "core/rect.h"
#include "core/run_scanner.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cutshape::test {

// Owns the words of a 32-bit image; rows may be padded beyond the width.
struct TestImage {
    std::vector<std::uint32_t> words;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t stridePixels = 0;
    bool hasAlpha = false; // the top byte of each word is the pixel's alpha

    core::PixelView view() const;
    std::uint32_t& word(std::int32_t x, std::int32_t y);
};

// A width x height image whose rows are `stridePixels` words apart (at least `width`); every
// word, padding included, starts as `fill`.
TestImage makeImage(std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels,
                    std::uint32_t fill);

// One row per string: '#' is a pixel of colour `figure`, anything else one of colour `mask`.
// `unusedByte` goes into the top byte of every word, which a pixel read ignores.
TestImage imageFromRows(const std::vector<std::string>& rows, core::Color figure, core::Color mask,
                        std::uint8_t unusedByte = 0);

// The figure pixels of a scanWidth x scanHeight scan, one flag per pixel, row by row.
struct PixelSet {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<bool> figure;

    bool at(std::int32_t x, std::int32_t y) const {
        return figure[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    std::int64_t count() const;
};

// Reads every pixel through PixelView::colorAt: a figure pixel is one whose colour differs
// from `mask` and, in an image with alpha, whose top byte is at least 128.
PixelSet referenceFigure(const core::PixelView& image, std::int32_t scanWidth,
                         std::int32_t scanHeight, core::Color mask);

// The maximal runs of row y of `pixels`, left to right.
std::vector<core::Interval> referenceRuns(const PixelSet& pixels, std::int32_t y);

// Empty when the rectangles cover exactly the pixels of `expected`, each pixel once; else a
// description of the first difference.
std::string regionMismatch(const core::Rects& rects, const PixelSet& expected);

} // namespace cutshape::test

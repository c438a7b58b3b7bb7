#pragma once
// Finds the runs of one row: the maximal intervals of [0, scanWidth) of figure pixels, those
// whose colour differs from the mask colour and, in an image with alpha, that are at least
// half opaque (kFigureAlpha). Pixels outside the image read as kInvalidColor, exactly as a
// per-pixel read beyond the image would, so the scan area may exceed the image.
// Pixels are compared as raw colours: a mask colour with a non-zero top byte (a system
// colour, kNoMaskColor) equals no pixel inside the image.

#include "core/color.h"
#include "core/pixel_view.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace cutshape::core {

struct Interval {
    std::int32_t x1 = 0; // first figure pixel
    std::int32_t x2 = 0; // first pixel after the run: a mask pixel or scanWidth

    friend bool operator==(const Interval&, const Interval&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Interval& run) {
    return out << '[' << run.x1 << ", " << run.x2 << ')';
}

// Replaces `runs` with the runs of row y, left to right.
void scanRow(const PixelView& image, std::int32_t y, std::int32_t scanWidth, Color mask,
             std::vector<Interval>& runs);

// The instruction set the row scanner chose for this CPU: "avx2" or "sse2" on x86, where SSE2
// is the baseline, and "portable" on other processors.
const char* scanRowInstructionSet() noexcept;

} // namespace cutshape::core

#pragma once
// Turns runs into the canonical y-x banded rectangle list: a band is a set of rectangles
// sharing y1 and y2, sorted by x, never touching one another; bands are sorted by y, and
// two vertically adjacent bands are merged whenever their x-intervals are identical.
//
//   row 0  ..##..##     band (y 0..2): (2,0,4,2) (6,0,8,2)
//   row 1  ..##..##
//   row 2  .######.     band (y 2..3): (1,2,7,3)
//
// Equal pictures therefore always give the same rectangles, and the union of the rectangles
// is exactly the union of the one-pixel-high runs.

#include "core/pixel_view.h"
#include "core/rect.h"
#include "core/run_scanner.h"

#include <cstdint>
#include <span>
#include <vector>

namespace cutshape::core {

class BandBuilder {
public:
    // Adds the runs of row y. Rows come in increasing y; rows left out have no runs.
    // Runs are sorted, non-empty and separated by at least one pixel.
    void addRow(std::int32_t y, std::span<const Interval> runs);

    // The rectangles built so far; the builder starts over empty.
    Rects takeRects();
    // The rectangles built so far, kept by the builder.
    const Rects& rects() const noexcept { return rects_; }
    // Starts over empty, keeping the memory of the rectangles for the next picture.
    void clear() noexcept;

private:
    Rects rects_;
    std::size_t bandStart_ = 0; // index of the first rectangle of the last band
    std::int32_t bandEnd_ = 0;  // y2 of the last band
};

struct BandedRegion {
    Rects rects;
    std::int64_t runCount = 0; // one-pixel-high runs found by the scan
};

// Scans rows 0..scanHeight-1 and columns 0..scanWidth-1 of the image for runs of pixels that
// differ from `mask` and bands them. A scan size of 0 or less in either direction gives the
// empty region. Time is linear in pixels plus runs.
BandedRegion buildBandedRegion(const PixelView& image, std::int32_t scanWidth,
                               std::int32_t scanHeight, Color mask);

// buildBandedRegion that keeps its buffers from one picture to the next: memory fresh from
// the system costs page faults that can take longer than the whole scan.
class BandScanner {
public:
    struct Result {
        std::span<const Rect> rects; // valid until the next scan
        std::int64_t runCount = 0;
    };
    Result scan(const PixelView& image, std::int32_t scanWidth, std::int32_t scanHeight,
                Color mask);

private:
    BandBuilder builder_;
    std::vector<Interval> runs_;
};

} // namespace cutshape::core

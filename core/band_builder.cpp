// rects_ is always in canonical banded form (see band_builder.h): the last band, starting at
// bandStart_ and ending at row bandEnd_, is the only one a later row may still extend, and
// only a row that directly follows it with identical intervals does.

#include "core/band_builder.h"

#include "core/region_check.h"
#include "core/run_scanner_detail.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace cutshape::core {

void BandBuilder::addRow(std::int32_t y, std::span<const Interval> runs) {
    // A row without runs adds nothing; the next row cannot follow the last band directly, so
    // merging stops by itself.
    if (runs.empty())
        return;
    const std::size_t bandSize = rects_.size() - bandStart_;
    const bool sameIntervals = bandSize == runs.size() && y == bandEnd_ &&
                               std::equal(runs.begin(), runs.end(),
                                          rects_.begin() + static_cast<std::ptrdiff_t>(bandStart_),
                                          [](const Interval& run, const Rect& rect) {
                                              return run.x1 == rect.x1 && run.x2 == rect.x2;
                                          });
    if (sameIntervals) {
        for (std::size_t i = bandStart_; i < rects_.size(); ++i)
            rects_[i].y2 = y + 1;
    } else {
        bandStart_ = rects_.size();
        for (const Interval& run : runs)
            rects_.push_back({run.x1, y, run.x2, y + 1});
    }
    bandEnd_ = y + 1;
}

Rects BandBuilder::takeRects() {
    Rects taken = std::move(rects_);
    rects_ = Rects();
    clear();
    return taken;
}

void BandBuilder::clear() noexcept {
    rects_.clear();
    bandStart_ = 0;
    bandEnd_ = 0;
}

namespace detail {

std::int64_t scanIntoBands(ScanIsa isa, const PixelView& image, std::int32_t scanWidth,
                           std::int32_t scanHeight, Color mask, BandBuilder& builder,
                           std::vector<Interval>& runs) {
    builder.clear();
    std::int64_t runCount = 0;
    if (scanWidth <= 0 || scanHeight <= 0)
        return runCount;
    for (std::int32_t y = 0; y < scanHeight; ++y) {
        scanRowWith(isa, image, y, scanWidth, mask, runs);
        runCount += static_cast<std::int64_t>(runs.size());
        builder.addRow(y, runs);
    }
    return runCount;
}

BandedRegion buildBandedRegionWith(ScanIsa isa, const PixelView& image, std::int32_t scanWidth,
                                   std::int32_t scanHeight, Color mask) {
    BandBuilder builder;
    std::vector<Interval> runs;
    BandedRegion region;
    region.runCount = scanIntoBands(isa, image, scanWidth, scanHeight, mask, builder, runs);
    region.rects = builder.takeRects();
    return region;
}

} // namespace detail

namespace {

// Debug builds check every result against each invariant of the canonical form.
void selfCheck([[maybe_unused]] const Rects& rects) {
#ifndef NDEBUG
    if (const std::string fault = canonicalBandsFault(rects); !fault.empty()) {
        std::fprintf(stderr, "band builder: the bands are not canonical: %s\n", fault.c_str());
        std::abort();
    }
#endif
}

} // namespace

BandScanner::Result BandScanner::scan(const PixelView& image, std::int32_t scanWidth,
                                      std::int32_t scanHeight, Color mask) {
    const std::int64_t runCount = detail::scanIntoBands(detail::activeScanIsa(), image, scanWidth,
                                                        scanHeight, mask, builder_, runs_);
    selfCheck(builder_.rects());
    return Result{builder_.rects(), runCount};
}

BandedRegion buildBandedRegion(const PixelView& image, std::int32_t scanWidth,
                               std::int32_t scanHeight, Color mask) {
    BandedRegion region =
        detail::buildBandedRegionWith(detail::activeScanIsa(), image, scanWidth, scanHeight, mask);
    selfCheck(region.rects);
    return region;
}

} // namespace cutshape::core

#pragma once
// Turns a staged picture into a window region: the union of one
// one-pixel-high rectangle per horizontal run of pixels that differ from the mask colour.
// The region's origin is the staged picture's top-left pixel.

#include "core/band_builder.h"
#include "core/mask_color.h"
#include "runtime/staged_picture.h"
#include "win/handles.h"

#include <cstdint>
#include <span>

namespace cutshape::control {

// The scan size of the last build, in pixels (rows, then columns).
struct ScanSize {
    std::int32_t scanHeight = 0;
    std::int32_t scanWidth = 0;
};

// Records the size a scan of the staged picture covers, in pixels.
void measureScan(const runtime::StagedPicture& staging, ScanSize& scan) noexcept;

// Reads the staged image once, bands the runs and creates the region from the bands. The
// builder keeps its buffers for the next build, so a control's repeated builds of large
// pictures do not pay for fresh memory each time.
class RegionBuilder {
public:
    // Reads the staged image once and bands its runs. The bands are exactly the rectangles the
    // system stores for their region (canonical y-x bands), so their number can be judged
    // before any region exists. Valid until the next scan.
    std::span<const core::Rect> scan(const runtime::StagedPicture& staging,
                                     const core::MaskSettings& mask, ScanSize& scan);

    // scan, then regionOfBands. Nothing is left allocated when it throws.
    win::UniqueRegion build(const runtime::StagedPicture& staging, const core::MaskSettings& mask,
                            ScanSize& scan);

    // The colour the last scan cut (kNoMaskColor when only transparency was cut).
    core::Color lastMaskColor() const noexcept { return lastMaskColor_; }

private:
    core::BandScanner scanner_;
    core::Color lastMaskColor_ = 0;
};

// The region covering `bands`. Throws the runtime's out-of-memory error when the system
// cannot create it; every region made so far is freed then.
win::UniqueRegion regionOfBands(std::span<const core::Rect> bands);

// One build with buffers of its own.
win::UniqueRegion buildRegion(const runtime::StagedPicture& staging, const core::MaskSettings& mask,
                              ScanSize& scan);

// The same region built the slow way, one pixel read per pixel and one rectangle, union and
// deletion per run. Kept as the reference the fast path is measured and tested against.
win::UniqueRegion buildRegionPerPixel(const runtime::StagedPicture& staging,
                                      const core::MaskSettings& mask, ScanSize& scan);

} // namespace cutshape::control

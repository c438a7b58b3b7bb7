#pragma once
// Turns the picture staged in a picture box into a window region: the union of one
// one-pixel-high rectangle per horizontal run of pixels that differ from the mask colour.
// The region's origin is the staged picture's top-left pixel.

#include "core/band_builder.h"
#include "core/mask_color.h"
#include "runtime/picture_box.h"
#include "win/handles.h"

#include <cstdint>

namespace cutshape::control {

// The scan size of the last build, in pixels (rows, then columns).
struct ScanSize {
    std::int32_t scanHeight = 0;
    std::int32_t scanWidth = 0;
};

// Gives the box the settings the builder relies on, in this order: hidden, at the origin,
// no border, a persistent image, sized to its picture.
void prepareForScan(runtime::PictureBox& staging);

// Reads the box's image once, bands the runs and creates the region from the bands. The
// builder keeps its buffers for the next build, so a control's repeated builds of large
// pictures do not pay for fresh memory each time.
class RegionBuilder {
public:
    // Throws the runtime's errors for sizes without a pixel size, and its out-of-memory
    // error when the system cannot create the region; nothing is left allocated then.
    win::UniqueRegion build(const runtime::PictureBox& staging, const core::MaskSettings& mask,
                            ScanSize& scan);

private:
    core::BandScanner scanner_;
};

// One build with buffers of its own.
win::UniqueRegion buildRegion(const runtime::PictureBox& staging, const core::MaskSettings& mask,
                              ScanSize& scan);

// The same region built the slow way, one pixel read per pixel and one rectangle, union and
// deletion per run. Kept as the reference the fast path is measured and tested against.
win::UniqueRegion buildRegionPerPixel(const runtime::PictureBox& staging,
                                      const core::MaskSettings& mask, ScanSize& scan);

} // namespace cutshape::control

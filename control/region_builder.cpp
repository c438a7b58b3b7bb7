#include "control/region_builder.h"

#include "runtime/runtime_errors.h"
#include "win/error.h"
#include "win/region.h"

namespace cutshape::control {
namespace {

// With alpha of its own, a picture whose top-left pixel is transparent names no colour to
// cut: only its transparency is cut.
core::Color chooseMask(const runtime::StagedPicture& staging, const core::MaskSettings& mask) {
    return core::chooseMaskColor(mask, [&]() -> core::Color {
        const core::PixelView pixels = staging.pixels();
        if (pixels.hasAlpha && pixels.width > 0 && pixels.height > 0 && !pixels.opaqueAt(0, 0))
            return core::kNoMaskColor;
        return ::GetPixel(staging.hDC(), 0, 0);
    });
}

} // namespace

void measureScan(const runtime::StagedPicture& staging, ScanSize& scan) noexcept {
    scan.scanHeight = staging.heightPx();
    scan.scanWidth = staging.widthPx();
}

std::span<const core::Rect> RegionBuilder::scan(const runtime::StagedPicture& staging,
                                                const core::MaskSettings& mask, ScanSize& scan) {
    measureScan(staging, scan);
    lastMaskColor_ = chooseMask(staging, mask);
    return scanner_.scan(staging.pixels(), scan.scanWidth, scan.scanHeight, lastMaskColor_).rects;
}

win::UniqueRegion RegionBuilder::build(const runtime::StagedPicture& staging,
                                       const core::MaskSettings& mask, ScanSize& scan) {
    return regionOfBands(this->scan(staging, mask, scan));
}

win::UniqueRegion regionOfBands(std::span<const core::Rect> bands) {
    try {
        return win::createRegion(bands);
    } catch (const win::Error& error) {
        throw runtime::outOfMemoryError(error.description());
    }
}

win::UniqueRegion buildRegion(const runtime::StagedPicture& staging, const core::MaskSettings& mask,
                              ScanSize& scan) {
    RegionBuilder builder;
    return builder.build(staging, mask, scan);
}

win::UniqueRegion buildRegionPerPixel(const runtime::StagedPicture& staging,
                                      const core::MaskSettings& mask, ScanSize& scan) {
    win::UniqueRegion accumulator(::CreateRectRgn(0, 0, 0, 0));
    measureScan(staging, scan);
    const core::Color maskColor = chooseMask(staging, mask);
    const core::PixelView alpha = staging.pixels();
    const auto figure = [&](std::int32_t x, std::int32_t y) {
        const bool inside = x < alpha.width && y < alpha.height;
        return ::GetPixel(staging.hDC(), x, y) != maskColor && (!inside || alpha.opaqueAt(x, y));
    };
    for (std::int32_t y = 0; y < scan.scanHeight; ++y) {
        std::int32_t x = 0;
        while (x < scan.scanWidth) {
            while (x < scan.scanWidth && !figure(x, y))
                ++x;
            if (x >= scan.scanWidth)
                break;
            const std::int32_t start = x;
            while (x < scan.scanWidth && figure(x, y))
                ++x;
            // Region call results are ignored here: a failing call does not stop the build.
            const win::UniqueRegion run(::CreateRectRgn(start, y, x, y + 1));
            ::CombineRgn(accumulator.get(), accumulator.get(), run.get(), RGN_OR);
        }
    }
    return accumulator;
}

} // namespace cutshape::control

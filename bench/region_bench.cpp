// Times the whole region build from a staged picture: the fast path (one read of the image,
// bands, batched region creation) against the per-pixel reference (a pixel read per pixel,
// a rectangle, union and deletion per run), side by side in one run. Then the cost of
// creating a region per rectangle from 10^3 to 10^6 rectangles. Prints figures only.

#include "control/region_builder.h"
#include "core/band_builder.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/region.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace cutshape;
using Clock = std::chrono::steady_clock;

// The median of `repeats` timed calls, in milliseconds.
double medianMs(int repeats, const std::function<void()>& action) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        action();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

runtime::PictureBox stage(const testing::TempFolder& folder, const std::wstring& name,
                          const testing::Image& image) {
    runtime::PictureBox box(300, 1110, 1215, 495);
    control::prepareForScan(box);
    box.setPicture(runtime::loadPicture(folder.write(name, testing::writeBmp24(image)).wstring()));
    return box;
}

void compareBuilders(const testing::TempFolder& folder) {
    struct Case {
        const char* name;
        testing::Image image;
        int slowRepeats;
    };
    const Case cases[] = {
        {"figure 350x406", testing::makeFigure(350, 406), 5},
        {"figure 1920x1080", testing::makeFigure(1920, 1080), 3},
        {"text page 1920x1080", testing::makeTextPage(1920, 1080), 1},
    };
    std::printf("Full build from the staged picture (mask white), median ms\n");
    std::printf("%-22s %9s %9s %10s %10s %9s %10s %9s\n", "picture", "runs", "rects", "scan+band",
                "fast", "per-pixel", "ratio", "identical");
    for (const Case& c : cases) {
        const runtime::PictureBox box = stage(folder, L"bench.bmp", c.image);
        const core::MaskSettings mask{0x00FFFFFF, false, false};
        control::ScanSize scan;
        const core::BandedRegion bands =
            core::buildBandedRegion(box.pixels(), box.widthPx(), box.heightPx(), 0x00FFFFFF);
        const double bandMs = medianMs(21, [&] {
            core::buildBandedRegion(box.pixels(), box.widthPx(), box.heightPx(), 0x00FFFFFF);
        });
        win::UniqueRegion fast;
        win::UniqueRegion slow;
        const double fastMs = medianMs(21, [&] { fast = control::buildRegion(box, mask, scan); });
        const double slowMs =
            medianMs(c.slowRepeats, [&] { slow = control::buildRegionPerPixel(box, mask, scan); });
        const bool identical = win::regionRects(fast.get()) == win::regionRects(slow.get());
        std::printf("%-22s %9lld %9zu %10.3f %10.3f %9.1f %9.0fx %9s\n", c.name,
                    static_cast<long long>(bands.runCount), bands.rects.size(), bandMs, fastMs,
                    slowMs, slowMs / fastMs, identical ? "yes" : "NO");
    }
}

void regionCreationPerRectangle() {
    std::printf("\nRegion creation from banded rectangles (one-pixel checkerboards), median\n");
    std::printf("%-12s %12s %12s %14s\n", "rectangles", "size", "ms", "ns/rectangle");
    const std::pair<int, int> sizes[] = {{64, 32}, {200, 100}, {640, 312}, {2000, 1000}};
    for (const auto& [width, height] : sizes) {
        const testing::Image board = testing::makeCheckerboard(width, height);
        const core::BandedRegion bands =
            core::buildBandedRegion(board.view(), width, height, 0x00FFFFFF);
        const int repeats = bands.rects.size() > 100000 ? 3 : 9;
        const double ms = medianMs(repeats, [&] { win::createRegion(bands.rects); });
        std::printf("%-12zu %5dx%-6d %12.3f %14.1f\n", bands.rects.size(), width, height, ms,
                    ms * 1e6 / static_cast<double>(bands.rects.size()));
    }
}

} // namespace

int main() {
    ::CoInitialize(nullptr);
    try {
        const testing::TempFolder folder;
        compareBuilders(folder);
        regionCreationPerRectangle();
    } catch (const win::Error& error) {
        std::fwprintf(stderr, L"region bench: %ls\n", error.description().c_str());
        return 1;
    }
    ::CoUninitialize();
    return 0;
}

// Times the whole region build from a staged picture: the fast path with the buffers the
// control keeps and with fresh ones, against the per-pixel reference (a pixel read per pixel,
// a rectangle, union and deletion per run), side by side in one run; then the cost of
// creating a region per rectangle from 10^3 to 10^6 rectangles at several batch sizes, with
// the most region handles alive at once; then Load through IDispatch beside its floor.
// Prints figures only.
//
//   cutshape_region_bench [Cutshape.ocx] [--skip-over-limit]
//
// The library defaults to the one this build made; --skip-over-limit leaves out Loads of
// outlines over the window system's region limit (for builds that do not refuse them).

#include "bench/load_bench.h"
#include "bench/measure.h"
#include "control/region_builder.h"
#include "core/band_builder.h"
#include "tests/support/picture_files.h"
#include "tests/support/windows_pictures.h"
#include "win/error.h"
#include "win/gdi_watch.h"
#include "win/region.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace cutshape;
using bench::medianMs;
constexpr core::Color kWhite = 0x00FFFFFF;

runtime::StagedPicture stage(const test::TempFolder& folder, const std::wstring& name,
                             const test::Image& image) {
    runtime::StagedPicture staging;
    staging.stage(runtime::loadPicture(folder.write(name, test::writeBmp24(image)).wstring()),
                  runtime::screenResolution());
    return staging;
}

void compareBuilders(const test::TempFolder& folder) {
    struct Case {
        const char* name;
        test::Image image;
        int slowRepeats;
    };
    const Case cases[] = {
        {"figure 350x406", test::makeFigure(350, 406), 5},
        {"figure 1920x1080", test::makeFigure(1920, 1080), 3},
        // The per-pixel build of this page takes minutes under Wine (61 s to 136 s here).
        {"text page 1920x1080", test::makeTextPage(1920, 1080), 0},
    };
    std::printf("Full build from the staged picture (mask white), median ms; kept = the "
                "builder the control keeps,\nfresh = new buffers every build\n");
    std::printf("%-22s %8s %8s %10s %10s %10s %10s %10s %8s %9s\n", "picture", "runs", "rects",
                "scan+band", "region", "kept", "fresh", "per-pixel", "ratio", "identical");
    for (const Case& c : cases) {
        const runtime::StagedPicture staged = stage(folder, L"bench.bmp", c.image);
        const core::MaskSettings mask{kWhite, false};
        core::BandScanner scanner;
        core::BandScanner::Result bands;
        const double bandMs = medianMs(21, [&] {
            bands = scanner.scan(staged.pixels(), staged.widthPx(), staged.heightPx(), kWhite);
        });
        const double regionMs = medianMs(9, [&] { (void)win::createRegion(bands.rects); });
        control::RegionBuilder builder;
        control::ScanSize scan;
        win::UniqueRegion fast;
        win::UniqueRegion slow;
        const double keptMs = medianMs(21, [&] { fast = builder.build(staged, mask, scan); });
        const double freshMs =
            medianMs(9, [&] { fast = control::buildRegion(staged, mask, scan); });
        std::printf("%-22s %8lld %8zu %10.3f %10.3f %10.3f %10.3f", c.name,
                    static_cast<long long>(bands.runCount), bands.rects.size(), bandMs, regionMs,
                    keptMs, freshMs);
        if (c.slowRepeats == 0) {
            std::printf(" %10s\n", "skipped");
            continue;
        }
        const double slowMs = medianMs(
            c.slowRepeats, [&] { slow = control::buildRegionPerPixel(staged, mask, scan); });
        const bool identical = win::regionRects(fast.get()) == win::regionRects(slow.get());
        std::printf(" %10.1f %7.0fx %9s\n", slowMs, slowMs / keptMs, identical ? "yes" : "NO");
    }
}

// Each region is built while the one before it is still alive, as a window keeps its region
// until the next one replaces it. Under Wine that keeps the memory of one build for the next:
// freeing the previous region first hands large blocks back to the system, and the next build
// pays a page fault for every page it touches again (the last column).
void regionCreationPerRectangle() {
    const std::size_t batchSizes[] = {8, 16, 32, 64};
    std::printf("\nRegion creation from banded rectangles (one-pixel checkerboards), median; "
                "ns per rectangle and the\nmost region handles alive at once, by batch size "
                "(the control uses %zu), each built while the previous\none is alive as a "
                "window keeps it; last column: the control's batch size, previous region "
                "freed first\n",
                win::detail::kBatchSize);
    std::printf("%-10s %11s", "rectangles", "size");
    for (const std::size_t batch : batchSizes)
        std::printf("   batch %-2zu ns  peak", batch);
    std::printf("   freed first ns\n");
    const std::pair<int, int> sizes[] = {{64, 32}, {200, 100}, {640, 312}, {2000, 1000}};
    for (const auto& [width, height] : sizes) {
        const test::Image board = test::makeCheckerboard(width, height);
        const core::BandedRegion bands =
            core::buildBandedRegion(board.view(), width, height, kWhite);
        const int repeats = bands.rects.size() > 100000 ? 5 : 11;
        const double count = static_cast<double>(bands.rects.size());
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", width, height);
        std::printf("%-10zu %11s", bands.rects.size(), size);
        for (const std::size_t batch : batchSizes) {
            win::UniqueRegion previous;
            const double ms = medianMs(repeats, [&] {
                previous = win::detail::createRegionInBatches(bands.rects, batch);
            });
            previous.reset();
            win::GdiWatch watch;
            (void)win::detail::createRegionInBatches(bands.rects, batch);
            std::printf("   %11.1f %5zu", ms * 1e6 / count, watch.peakLiveRegions());
        }
        const double freedFirstMs = medianMs(repeats, [&] {
            (void)win::detail::createRegionInBatches(bands.rects, win::detail::kBatchSize);
        });
        std::printf("   %14.1f\n", freedFirstMs * 1e6 / count);
    }
}

} // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    std::wstring library = L"Z:" CUTSHAPE_OCX_PATH;
    std::replace(library.begin(), library.end(), L'/', L'\\');
    bool skipOverLimit = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--skip-over-limit")
            skipOverLimit = true;
        else
            library.assign(arg.begin(), arg.end());
    }
    int status = 0;
    try {
        const test::TempFolder folder;
        compareBuilders(folder);
        regionCreationPerRectangle();
        bench::printLoadFloor(folder, library, skipOverLimit);
        bench::printSoftEdgeCost(folder, library);
    } catch (const win::Error& error) {
        std::fwprintf(stderr, L"region bench: %ls\n", error.description().c_str());
        status = 1;
    }
    ::OleUninitialize();
    return status;
}

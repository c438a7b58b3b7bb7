#pragma once
// The row scanner's instruction-set variants, for tests and benchmarks that must exercise
// each one regardless of what the dispatcher picks for this CPU.

#include "core/band_builder.h"
#include "core/run_scanner.h"

namespace cutshape::core::detail {

enum class ScanIsa {
    Portable, // one pixel at a time; the only variant off x86
    Sse2,     // four pixels per compare, the x86-64 baseline
    Avx2,     // eight pixels per compare
};

const char* scanIsaName(ScanIsa isa) noexcept;

// Whether this build and this CPU can run `isa`.
bool scanIsaSupported(ScanIsa isa) noexcept;

// The variant scanRow uses: the widest supported one, or SSE2 when the environment variable
// CUTSHAPE_SCAN_ISA is "sse2" (to compare the baseline on a CPU that has more).
ScanIsa activeScanIsa() noexcept;

// scanRow through the given variant, which must be supported.
void scanRowWith(ScanIsa isa, const PixelView& image, std::int32_t y, std::int32_t scanWidth,
                 Color mask, std::vector<Interval>& runs);

// Scans through the given variant into `builder`, which starts over; returns the number of
// runs found. `runs` is scratch space.
std::int64_t scanIntoBands(ScanIsa isa, const PixelView& image, std::int32_t scanWidth,
                           std::int32_t scanHeight, Color mask, BandBuilder& builder,
                           std::vector<Interval>& runs);

// buildBandedRegion through the given scanner variant, which must be supported.
BandedRegion buildBandedRegionWith(ScanIsa isa, const PixelView& image, std::int32_t scanWidth,
                                   std::int32_t scanHeight, Color mask);

} // namespace cutshape::core::detail

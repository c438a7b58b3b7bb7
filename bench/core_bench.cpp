// Times buildBandedRegion on generated pictures against one plain read of the same pixels,
// for each scanner variant, and the cost per rectangle as the rectangle count grows.
// Figures are wall-clock milliseconds: the median and the minimum of several repeats.

#include "core/band_builder.h"
#include "core/run_scanner.h"
#include "core/run_scanner_detail.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

using cutshape::core::BandedRegion;
using cutshape::core::Color;
using cutshape::core::colorFromImageWord;
using cutshape::core::PixelView;
using cutshape::core::detail::ScanIsa;

constexpr std::uint32_t kBackgroundWord = 0x00FF00FF; // the mask colour, magenta
constexpr std::uint32_t kInkWord = 0x00202020;

struct Picture {
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> words;

    PixelView view() const { return PixelView{words.data(), width, height, width}; }
    std::uint32_t& at(std::int32_t x, std::int32_t y) {
        return words[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)];
    }
};

Picture blankPicture(std::string name, std::int32_t width, std::int32_t height) {
    Picture p{std::move(name), width, height, {}};
    p.words.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                   kBackgroundWord);
    return p;
}

// A shaded filled ellipse with a wavy outline, as a cut-out photograph would have.
Picture blob(std::string name, std::int32_t width, std::int32_t height) {
    Picture p = blankPicture(std::move(name), width, height);
    const double cx = width / 2.0, cy = height / 2.0, rx = width * 0.42, ry = height * 0.42;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            const double wobble = 0.04 * ((x * 7 + y * 3) % 17) / 17.0;
            if (dx * dx + dy * dy <= 1.0 - wobble)
                p.at(x, y) = static_cast<std::uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
        }
    }
    return p;
}

// Lines of small glyph-like marks: each glyph a few strokes in an 8x12 cell.
Picture textPage(std::int32_t width, std::int32_t height) {
    Picture p = blankPicture("text page", width, height);
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (std::int32_t line = 20; line + 12 < height; line += 22) {
        for (std::int32_t cell = 16; cell + 8 < width - 16; cell += 9) {
            if (next() % 7 == 0)
                continue; // a space between words
            const std::uint32_t strokes = next();
            for (std::int32_t y = 0; y < 12; ++y) {
                for (std::int32_t x = 0; x < 8; ++x) {
                    const bool vertical = (strokes >> (x % 4)) & 1 && (x == 1 || x == 5);
                    const bool horizontal = (strokes >> (4 + y / 3)) & 1 && (y % 5 == 1);
                    const bool diagonal = (strokes >> 9) & 1 && x == y * 2 / 3;
                    if (vertical || horizontal || diagonal)
                        p.at(cell + x, line + y) = kInkWord;
                }
            }
        }
    }
    return p;
}

Picture checkerboard(std::int32_t width, std::int32_t height) {
    Picture p = blankPicture("checkerboard", width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = (y & 1); x < width; x += 2)
            p.at(x, y) = kInkWord;
    }
    return p;
}

struct Timing {
    double medianMs = 0;
    double minMs = 0;
    double firstMs = 0; // the untimed-looking first run: fresh memory, cold caches
};

double elapsedMs(std::chrono::steady_clock::time_point start) {
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(stop - start).count();
}

Timing summarize(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// Keeps the compiler from dropping a computation whose result is otherwise unused.
template <class T>
void keep(const T& value) {
    asm volatile("" : : "g"(&value) : "memory");
}

// Sums every word of every row: the least any pass over the pixels must cost. On x86 the sum
// goes 16 words per step in four independent accumulators, so it runs at memory speed.
std::uint32_t sumRow(const std::uint32_t* row, std::int32_t width) {
    std::int32_t x = 0;
    std::uint32_t sum = 0;
#if defined(__SSE2__)
    __m128i acc[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(),
                      _mm_setzero_si128()};
    for (; width - x >= 16; x += 16) {
        for (int k = 0; k < 4; ++k) {
            const __m128i words =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 4 * k));
            acc[k] = _mm_add_epi32(acc[k], words);
        }
    }
    const __m128i total =
        _mm_add_epi32(_mm_add_epi32(acc[0], acc[1]), _mm_add_epi32(acc[2], acc[3]));
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), total);
    sum = lanes[0] + lanes[1] + lanes[2] + lanes[3];
#endif
    for (; x < width; ++x)
        sum += row[x];
    return sum;
}

Timing timePlainRead(const Picture& p, int repeats) {
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t sum = 0;
        const PixelView view = p.view();
        for (std::int32_t y = 0; y < view.height; ++y)
            sum += sumRow(view.row(y), view.width);
        keep(sum);
        ms.push_back(elapsedMs(start));
    }
    return summarize(ms);
}

// The region of each repeat is freed after its clock stops, and a first build outside the
// statistics warms caches and allocator, so every counted repeat starts from the same state.
Timing timeBuild(const Picture& p, ScanIsa isa, int repeats, BandedRegion* result) {
    const Color mask = colorFromImageWord(kBackgroundWord);
    const auto firstStart = std::chrono::steady_clock::now();
    keep(cutshape::core::detail::buildBandedRegionWith(isa, p.view(), p.width, p.height, mask));
    const double firstMs = elapsedMs(firstStart);
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        BandedRegion region =
            cutshape::core::detail::buildBandedRegionWith(isa, p.view(), p.width, p.height, mask);
        keep(region);
        ms.push_back(elapsedMs(start));
        if (result != nullptr && i + 1 == repeats)
            *result = std::move(region);
    }
    Timing timing = summarize(ms);
    timing.firstMs = firstMs;
    return timing;
}

std::vector<ScanIsa> supportedIsas() {
    std::vector<ScanIsa> isas;
    for (ScanIsa isa : {ScanIsa::Portable, ScanIsa::Sse2, ScanIsa::Avx2}) {
        if (cutshape::core::detail::scanIsaSupported(isa))
            isas.push_back(isa);
    }
    return isas;
}

void printPictures(const std::vector<Picture>& pictures) {
    const ScanIsa active = cutshape::core::detail::activeScanIsa();
    std::printf("Regions with the active scanner (%s); ms = median of repeats (min)\n\n",
                cutshape::core::scanRowInstructionSet());
    std::printf("%-14s %11s %10s %10s %18s %18s %7s\n", "picture", "size", "runs", "rects",
                "build ms", "plain read ms", "ratio");
    for (const Picture& p : pictures) {
        const int repeats = p.width > 4000 ? 5 : 15;
        BandedRegion region;
        const Timing build = timeBuild(p, active, repeats, &region);
        const Timing read = timePlainRead(p, repeats);
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", p.width, p.height);
        std::printf("%-14s %11s %10lld %10zu %9.3f (%6.3f) %9.3f (%6.3f) %7.2f\n", p.name.c_str(),
                    size, static_cast<long long>(region.runCount), region.rects.size(),
                    build.medianMs, build.minMs, read.medianMs, read.minMs,
                    build.medianMs / read.medianMs);
    }

    const std::vector<ScanIsa> isas = supportedIsas();
    std::printf("\nbuildBandedRegion per scanner variant, median ms\n\n%-14s", "picture");
    for (ScanIsa isa : isas)
        std::printf(" %10s", cutshape::core::detail::scanIsaName(isa));
    std::printf("\n");
    for (const Picture& p : pictures) {
        const int repeats = p.width > 4000 ? 5 : 11;
        std::printf("%-14s", p.name.c_str());
        for (ScanIsa isa : isas)
            std::printf(" %10.3f", timeBuild(p, isa, repeats, nullptr).medianMs);
        std::printf("\n");
    }
}

void printFlatnessRow(const char* name, const char* size, std::size_t rects, const Timing& t) {
    const double count = static_cast<double>(rects);
    std::printf("%-14s %11s %10zu %10.3f %12.2f %12.2f\n", name, size, rects, t.medianMs,
                t.medianMs * 1e6 / count, t.firstMs * 1e6 / count);
}

// Time per rectangle at growing rectangle counts: one-pixel checkerboards (one rectangle
// per figure pixel) and sparse dot grids (wide rows of mask between the dots).
void printFlatness() {
    const ScanIsa active = cutshape::core::detail::activeScanIsa();
    std::printf("\nTime per rectangle (%s); the last column is the first build, whose output "
                "lands in memory fresh from the system\n\n%-14s %11s %10s %10s %12s %12s\n",
                cutshape::core::scanRowInstructionSet(), "picture", "size", "rects", "build ms",
                "ns per rect", "first, ns");
    for (std::int32_t side : {45, 142, 448, 1415}) {
        const Picture p = checkerboard(side, side);
        BandedRegion region;
        const Timing t = timeBuild(p, active, 9, &region);
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", side, side);
        printFlatnessRow("checkerboard", size, region.rects.size(), t);
    }
    for (std::int32_t side : {128, 400, 1265, 4000}) {
        Picture p = blankPicture("dot grid", side, side);
        for (std::int32_t y = 0; y < side; y += 2) {
            for (std::int32_t x = (y / 2) % 4; x < side; x += 4)
                p.at(x, y) = kInkWord;
        }
        BandedRegion region;
        const Timing t = timeBuild(p, active, 9, &region);
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", side, side);
        printFlatnessRow("dot grid", size, region.rects.size(), t);
    }
}

} // namespace

int main() {
#if defined(__GLIBC__)
    // glibc hands blocks of more than a few MB straight back to the system, so every repeat
    // would pay the kernel for zeroed pages again; keep them in the heap so the repeats time the
    // builder. The first-build column of the last table still shows the fresh-memory cost.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    std::printf("(glibc heap kept: large blocks are reused between repeats)\n");
#endif
    std::vector<Picture> pictures;
    pictures.push_back(blob("smooth 1080p", 1920, 1080));
    pictures.push_back(textPage(1920, 1080));
    pictures.push_back(checkerboard(1920, 1080));
    pictures.push_back(blob("smooth 8K", 7680, 4320));
    printPictures(pictures);
    printFlatness();
    return 0;
}

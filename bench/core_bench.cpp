// Times the portable core on the benchmark pictures against the least any pass over the
// pixels costs (a plain read), with its buffers reused as the control keeps them and with
// buffers fresh from the system, beside pixman's bitmap-to-region call; then each scanner
// variant on the colour key and on the same figure given by an alpha channel, and the cost
// per rectangle as the rectangle count grows. Figures are wall-clock
// milliseconds: the median of several repeats (and the minimum). Nothing is asserted.

#include "core/band_builder.h"
#include "core/run_scanner.h"
#include "core/run_scanner_detail.h"
#include "tests/support/picture_files.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if CUTSHAPE_HAVE_PIXMAN
#include <bit>
#include <pixman.h>
#endif

namespace {

using cutshape::core::BandedRegion;
using cutshape::core::BandScanner;
using cutshape::core::Color;
using cutshape::core::PixelView;
using cutshape::core::detail::ScanIsa;
using cutshape::test::Image;
namespace test = cutshape::test;

constexpr Color kMask = 0x00FFFFFF; // white: the background of every benchmark picture

struct Picture {
    std::string name;
    Image image;
    PixelView view() const { return image.view(); }
};

struct Timing {
    double medianMs = 0;
    double minMs = 0;
};

// Runs `action` once untimed (caches, allocator), then `repeats` times under the clock.
Timing timed(int repeats, const std::function<void()>& action) {
    action();
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        action();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// Keeps the compiler from dropping a computation whose result is otherwise unused.
template <class T>
void keep(const T& value) {
    asm volatile("" : : "g"(&value) : "memory");
}

// Sums every word of a row: the least any pass over the pixels must cost. On x86 the sum goes
// 16 words per step in four independent accumulators, so it runs at memory speed.
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

void plainRead(const PixelView& view) {
    std::uint32_t sum = 0;
    for (std::int32_t y = 0; y < view.height; ++y)
        sum += sumRow(view.row(y), view.width);
    keep(sum);
}

#if CUTSHAPE_HAVE_PIXMAN
// The figure as pixman's 1-bit image: a set bit for every pixel that differs from the mask.
// pixman's a1 pixels go from the least significant bit up on little-endian machines.
class OneBitImage {
public:
    explicit OneBitImage(const PixelView& view)
        : view_(view), wordsPerRow_((view.width + 31) / 32),
          bits_(static_cast<std::size_t>(wordsPerRow_) * static_cast<std::size_t>(view.height)),
          image_(pixman_image_create_bits(PIXMAN_a1, view.width, view.height, bits_.data(),
                                          wordsPerRow_ * 4)) {
        convert();
    }
    ~OneBitImage() { pixman_image_unref(image_); }
    OneBitImage(const OneBitImage&) = delete;
    OneBitImage& operator=(const OneBitImage&) = delete;

    // Four pixels per compare on x86, so the conversion runs near memory speed.
    void convert() {
        static_assert(std::endian::native == std::endian::little);
        const std::uint32_t maskWord = cutshape::core::imageWordFromColor(kMask);
        for (std::int32_t y = 0; y < view_.height; ++y) {
            const std::uint32_t* row = view_.row(y);
            std::uint32_t* out = bits_.data() + static_cast<std::size_t>(y) * wordsPerRow_;
            for (std::int32_t word = 0; word < wordsPerRow_; ++word) {
                const std::int32_t first = word * 32;
                const std::int32_t end = std::min(32, view_.width - first);
                std::uint32_t bits = 0;
                std::int32_t i = 0;
#if defined(__SSE2__)
                const __m128i colourBits = _mm_set1_epi32(0x00FFFFFF);
                const __m128i mask = _mm_set1_epi32(static_cast<int>(maskWord));
                for (; end - i >= 4; i += 4) {
                    const __m128i words = _mm_and_si128(
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + first + i)),
                        colourBits);
                    const int same =
                        _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(words, mask)));
                    bits |= static_cast<std::uint32_t>(~same & 0xF) << i;
                }
#endif
                for (; i < end; ++i)
                    bits |= static_cast<std::uint32_t>((row[first + i] & 0x00FFFFFFu) != maskWord)
                            << i;
                out[word] = bits;
            }
        }
    }
    // The call alone; returns the number of rectangles.
    int regionCall() const {
        pixman_region32_t region;
        pixman_region32_init_from_image(&region, image_);
        const int count = pixman_region32_n_rects(&region);
        pixman_region32_fini(&region);
        return count;
    }

private:
    PixelView view_;
    std::int32_t wordsPerRow_;
    std::vector<std::uint32_t> bits_;
    pixman_image_t* image_;
};
#endif

void printPictures(const std::vector<Picture>& pictures) {
    std::printf("Scan to banded rectangles with the active scanner (%s), median ms (min)\n",
                cutshape::core::scanRowInstructionSet());
    std::printf(
        "core reused: the buffers kept from one scan to the next, as the control keeps "
        "them;\ncore fresh: new buffers every scan, large blocks fresh from the system\n\n");
    std::printf("%-20s %8s %8s %16s %16s %16s", "picture", "runs", "rects", "plain read",
                "core reused", "core fresh");
#if CUTSHAPE_HAVE_PIXMAN
    std::printf(" %16s %16s", "pixman call", "pixman + 1-bit");
#endif
    std::printf(" %8s", "reused/read");
#if CUTSHAPE_HAVE_PIXMAN
    std::printf(" %8s", "pixman/core");
#endif
    std::printf("\n");
    for (const Picture& p : pictures) {
        const int repeats = p.image.width() > 4000 ? 7 : 21;
        const PixelView view = p.view();
        const BandedRegion region =
            cutshape::core::buildBandedRegion(view, view.width, view.height, kMask);
        BandScanner scanner;
        const Timing read = timed(repeats, [&] { plainRead(view); });
        const Timing reused = timed(
            repeats, [&] { keep(scanner.scan(view, view.width, view.height, kMask).runCount); });
        const Timing fresh = timed(repeats, [&] {
            keep(cutshape::core::buildBandedRegion(view, view.width, view.height, kMask));
        });
        std::printf("%-20s %8lld %8zu %7.3f (%6.3f) %7.3f (%6.3f) %7.3f (%6.3f)", p.name.c_str(),
                    static_cast<long long>(region.runCount), region.rects.size(), read.medianMs,
                    read.minMs, reused.medianMs, reused.minMs, fresh.medianMs, fresh.minMs);
#if CUTSHAPE_HAVE_PIXMAN
        OneBitImage oneBit(view);
        int pixmanRects = 0;
        const Timing call = timed(repeats, [&] { pixmanRects = oneBit.regionCall(); });
        const Timing withConversion = timed(repeats, [&] {
            oneBit.convert();
            keep(oneBit.regionCall());
        });
        std::printf(" %7.3f (%6.3f) %7.3f (%6.3f)", call.medianMs, call.minMs,
                    withConversion.medianMs, withConversion.minMs);
#endif
        std::printf(" %8.2f", reused.medianMs / read.medianMs);
#if CUTSHAPE_HAVE_PIXMAN
        std::printf(" %8.2f", call.medianMs / reused.medianMs);
        if (static_cast<std::size_t>(pixmanRects) != region.rects.size())
            std::printf("  (pixman: %d rects)", pixmanRects);
#endif
        std::printf("\n");
    }
}

// The picture with its outline in an alpha channel instead: the background transparent, the
// figure opaque, so the alpha scan finds the same rectangles as the colour key.
struct AlphaCopy {
    std::vector<std::uint32_t> words;
    PixelView view;

    explicit AlphaCopy(const PixelView& source) : view(source) {
        const std::uint32_t maskWord = cutshape::core::imageWordFromColor(kMask);
        for (std::int32_t y = 0; y < source.height; ++y) {
            for (std::int32_t x = 0; x < source.width; ++x) {
                const std::uint32_t colour = source.row(y)[x] & 0x00FFFFFFu;
                words.push_back(colour == maskWord ? colour : colour | 0xFF000000u);
            }
        }
        view.pixels = words.data();
        view.stridePixels = source.width;
        view.hasAlpha = true;
    }
};

void printVariants(const std::vector<Picture>& pictures) {
    std::vector<ScanIsa> isas;
    for (ScanIsa isa : {ScanIsa::Portable, ScanIsa::Sse2, ScanIsa::Avx2}) {
        if (cutshape::core::detail::scanIsaSupported(isa))
            isas.push_back(isa);
    }
    std::printf(
        "\nPer scanner variant, buffers reused, median ms: the colour key, and the same "
        "figure\nfrom an alpha channel (the background transparent, no colour cut)\n\n%-20s",
        "picture");
    for (ScanIsa isa : isas) {
        const std::string name = cutshape::core::detail::scanIsaName(isa);
        std::printf(" %10s %10s", (name + " key").c_str(), (name + " alpha").c_str());
    }
    std::printf("\n");
    for (const Picture& p : pictures) {
        const int repeats = p.image.width() > 4000 ? 5 : 11;
        const PixelView view = p.view();
        const AlphaCopy alpha(view);
        std::printf("%-20s", p.name.c_str());
        cutshape::core::BandBuilder builder;
        std::vector<cutshape::core::Interval> runs;
        for (ScanIsa isa : isas) {
            auto scanTime = [&](const PixelView& scanned, Color mask) {
                return timed(repeats,
                             [&] {
                                 keep(cutshape::core::detail::scanIntoBands(
                                     isa, scanned, scanned.width, scanned.height, mask, builder,
                                     runs));
                             })
                    .medianMs;
            };
            std::printf(" %10.3f %10.3f", scanTime(view, kMask),
                        scanTime(alpha.view, cutshape::core::kNoMaskColor));
        }
        std::printf("\n");
    }
}

// Time per rectangle at growing rectangle counts: one-pixel checkerboards (one rectangle per
// figure pixel) and sparse dot grids (wide rows of mask between the dots).
void printFlatness() {
    std::printf("\nTime per rectangle (%s), median\n\n%-14s %11s %10s %10s %12s %12s\n",
                cutshape::core::scanRowInstructionSet(), "picture", "size", "rects", "reused ms",
                "ns per rect", "fresh, ns");
    auto row = [](const char* name, const Image& image) {
        const PixelView view = image.view();
        BandScanner scanner;
        std::size_t rects = 0;
        const Timing reused = timed(
            9, [&] { rects = scanner.scan(view, view.width, view.height, kMask).rects.size(); });
        const Timing fresh = timed(9, [&] {
            keep(cutshape::core::buildBandedRegion(view, view.width, view.height, kMask));
        });
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", image.width(), image.height());
        const double count = static_cast<double>(rects);
        std::printf("%-14s %11s %10zu %10.3f %12.2f %12.2f\n", name, size, rects, reused.medianMs,
                    reused.medianMs * 1e6 / count, fresh.medianMs * 1e6 / count);
    };
    for (std::int32_t side : {45, 142, 448, 1415})
        row("checkerboard", test::makeCheckerboard(side, side));
    for (std::int32_t side : {128, 400, 1265, 4000}) {
        Image grid(side, side, kMask);
        for (std::int32_t y = 0; y < side; y += 2) {
            for (std::int32_t x = (y / 2) % 4; x < side; x += 4)
                grid.set(x, y, 0x00202020);
        }
        row("dot grid", grid);
    }
}

} // namespace

int main() {
#if defined(__GLIBC__)
    // glibc would otherwise keep freed large blocks in its heap after the first one; the
    // Windows heap hands blocks of more than about half a megabyte back to the system, so
    // here too they come fresh from the system every time, page faults included.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    std::printf("(large blocks come fresh from the system: M_MMAP_THRESHOLD 128 KiB)\n");
#endif
    std::vector<Picture> pictures;
    pictures.push_back({"figure 350x406", test::makeFigure(350, 406)});
    pictures.push_back({"figure 1920x1080", test::makeFigure(1920, 1080)});
    pictures.push_back({"text page 1920x1080", test::makeTextPage(1920, 1080)});
    pictures.push_back({"checkerboard 1080p", test::makeCheckerboard(1920, 1080)});
    pictures.push_back({"figure 7680x4320", test::makeFigure(7680, 4320)});
    printPictures(pictures);
    printVariants(pictures);
    printFlatness();
    return 0;
}

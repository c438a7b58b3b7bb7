// Every variant of the row scanner yields exactly the runs a per-pixel read would: maximal,
// sorted, non-empty intervals of [0, scanWidth) whose colour differs from the mask and, in an
// image with alpha, whose alpha is at least kFigureAlpha, with pixels beyond the image
// reading as kInvalidColor. The variants differ only in how many pixels one compare covers.
//
// Each variant turns 64 pixels at a time into a "figure" bit mask (bit i set when pixel
// base + i is a figure pixel) and reads the runs off the mask's transitions with
// count-trailing-zeros, so long runs cost one test per 64 pixels and a checkerboard costs one
// bit scan per run boundary. Images without alpha take a path with no alpha test at all.

#include "core/run_scanner.h"

#include "core/run_scanner_detail.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define CUTSHAPE_SCAN_X86 1
#include <immintrin.h>
#else
#define CUTSHAPE_SCAN_X86 0
#endif

namespace cutshape::core {
namespace {

// Image words carry an unused top byte; only the colour bits take part in the compare.
constexpr std::uint32_t kColorBits = 0x00FFFFFFu;
constexpr Color kSystemColorBits = 0xFF000000u;
// A mask word no pixel's colour bits equal: with it, only the alpha decides.
constexpr std::uint32_t kNoMaskWord = 0xFFFFFFFFu;
// kFigureAlpha is 128: a word is at least half opaque exactly when its sign bit is set, which
// the vector variants test with one signed compare.
static_assert(kFigureAlpha == 0x80);

// Pixel by pixel: differs from the mask and, with alpha, is at least half opaque.
template <bool Alpha>
[[gnu::always_inline]] inline bool isFigure(std::uint32_t word, std::uint32_t maskWord) {
    return (word & kColorBits) != maskWord && (!Alpha || (word >> 24) >= kFigureAlpha);
}

struct RunState {
    std::int32_t start = 0; // first pixel of the open run
    bool inRun = false;     // whether the last pixel handled was a figure pixel
};

// Appends the runs whose boundaries fall within the `bits` block starting at pixel `base`.
// Bit i of `bits ^ (bits << 1 | previous)` is set exactly where pixel base + i starts or ends
// a run; boundaries alternate, so they are taken in start/end pairs.
[[gnu::always_inline]] inline void emitRuns(std::uint64_t bits, std::int32_t base, RunState& state,
                                            std::vector<Interval>& runs) {
    std::uint64_t edges = bits ^ ((bits << 1) | (state.inRun ? 1u : 0u));
    if (edges == 0)
        return;
    if (state.inRun) {
        runs.push_back({state.start, base + std::countr_zero(edges)});
        edges &= edges - 1;
        state.inRun = false;
    }
    while (edges != 0) {
        const std::int32_t start = base + std::countr_zero(edges);
        edges &= edges - 1;
        if (edges == 0) {
            state.start = start;
            state.inRun = true;
            return;
        }
        runs.push_back({start, base + std::countr_zero(edges)});
        edges &= edges - 1;
    }
}

struct PortableBlocks {
    static constexpr std::int32_t kGroup = 1;

    template <bool Alpha>
    static std::uint64_t figureBits64(const std::uint32_t* pixels, std::uint32_t maskWord) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 64; ++i)
            bits |= std::uint64_t{isFigure<Alpha>(pixels[i], maskWord)} << i;
        return bits;
    }
    template <bool Alpha>
    static std::uint32_t figureBitsGroup(const std::uint32_t* pixels, std::uint32_t maskWord) {
        return isFigure<Alpha>(pixels[0], maskWord) ? 1u : 0u;
    }
};

// Scans pixels [0, count) of an image row whose colour bits are compared with `maskWord`.
// Pixels past the last whole block go by groups, then singly, so no read leaves the row.
template <class Blocks, bool Alpha>
[[gnu::always_inline]] inline void scanImagePart(const std::uint32_t* row, std::int32_t count,
                                                 std::uint32_t maskWord, RunState& state,
                                                 std::vector<Interval>& runs) {
    std::int32_t x = 0;
    for (; count - x >= 64; x += 64)
        emitRuns(Blocks::template figureBits64<Alpha>(row + x, maskWord), x, state, runs);
    if (x == count)
        return;
    // The bits past `count` stay clear, so a run reaching the end closes at `count`.
    std::uint64_t bits = 0;
    std::int32_t i = 0;
    for (; count - x - i >= Blocks::kGroup; i += Blocks::kGroup)
        bits |= std::uint64_t{Blocks::template figureBitsGroup<Alpha>(row + x + i, maskWord)} << i;
    for (; x + i < count; ++i)
        bits |= std::uint64_t{isFigure<Alpha>(row[x + i], maskWord)} << i;
    emitRuns(bits, x, state, runs);
}

template <class Blocks>
[[gnu::always_inline]] inline void scanRowUsing(const PixelView& image, std::int32_t y,
                                                std::int32_t scanWidth, Color mask,
                                                std::vector<Interval>& runs) {
    runs.clear();
    if (scanWidth <= 0)
        return;
    // kInvalidColor is what every pixel outside the image reads as.
    const bool outsideIsFigure = mask != kInvalidColor;
    if (y < 0 || y >= image.height || image.width <= 0) {
        if (outsideIsFigure)
            runs.push_back({0, scanWidth});
        return;
    }
    const std::int32_t inside = std::min(image.width, scanWidth);
    // No image word reads as a colour with a non-zero top byte.
    const bool anyColorMatches = (mask & kSystemColorBits) == 0;
    if (!anyColorMatches && !image.hasAlpha) {
        runs.push_back({0, inside});
    } else {
        runs.reserve(static_cast<std::size_t>(inside) / 2 + 2);
        RunState state;
        const std::uint32_t maskWord = anyColorMatches ? imageWordFromColor(mask) : kNoMaskWord;
        if (image.hasAlpha)
            scanImagePart<Blocks, true>(image.row(y), inside, maskWord, state, runs);
        else
            scanImagePart<Blocks, false>(image.row(y), inside, maskWord, state, runs);
        if (state.inRun)
            runs.push_back({state.start, inside});
    }
    if (scanWidth > inside && outsideIsFigure) {
        if (!runs.empty() && runs.back().x2 == inside)
            runs.back().x2 = scanWidth;
        else
            runs.push_back({inside, scanWidth});
    }
}

void scanRowPortable(const PixelView& image, std::int32_t y, std::int32_t scanWidth, Color mask,
                     std::vector<Interval>& runs) {
    scanRowUsing<PortableBlocks>(image, y, scanWidth, mask, runs);
}

#if CUTSHAPE_SCAN_X86

// The compares go 16 pixels at a time: four 4-lane compare results are narrowed by saturating
// packs (all-ones stays all-ones) to one byte per pixel, and one movemask yields 16 bits.
struct Sse2Blocks {
    static constexpr std::int32_t kGroup = 4;

    // All ones in the lanes of pixels that are cut: of the mask colour or, with alpha, less
    // than half opaque (sign bit clear: the word is greater than -1).
    template <bool Alpha>
    [[gnu::target("sse2")]] static __m128i cutLanes(const std::uint32_t* pixels,
                                                    std::uint32_t maskWord) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
        const __m128i colors = _mm_and_si128(words, _mm_set1_epi32(static_cast<int>(kColorBits)));
        const __m128i equal = _mm_cmpeq_epi32(colors, _mm_set1_epi32(static_cast<int>(maskWord)));
        if constexpr (Alpha)
            return _mm_or_si128(equal, _mm_cmpgt_epi32(words, _mm_set1_epi32(-1)));
        return equal;
    }
    template <bool Alpha>
    [[gnu::target("sse2")]] static std::uint64_t figureBits64(const std::uint32_t* pixels,
                                                              std::uint32_t maskWord) {
        std::uint64_t cut = 0;
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t* p = pixels + 16 * k;
            const __m128i low =
                _mm_packs_epi32(cutLanes<Alpha>(p, maskWord), cutLanes<Alpha>(p + 4, maskWord));
            const __m128i high = _mm_packs_epi32(cutLanes<Alpha>(p + 8, maskWord),
                                                 cutLanes<Alpha>(p + 12, maskWord));
            const auto bytes =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
            cut |= std::uint64_t{bytes} << (16 * k);
        }
        return ~cut;
    }
    template <bool Alpha>
    [[gnu::target("sse2")]] static std::uint32_t figureBitsGroup(const std::uint32_t* pixels,
                                                                 std::uint32_t maskWord) {
        const auto cut = static_cast<std::uint32_t>(
            _mm_movemask_ps(_mm_castsi128_ps(cutLanes<Alpha>(pixels, maskWord))));
        return ~cut & 0xFu;
    }
};

// As the SSE2 blocks, 32 pixels per movemask. The packs work within 128-bit lanes, leaving
// the 4-pixel groups in the order 0 2 4 6 1 3 5 7; one dword permute restores pixel order.
struct Avx2Blocks {
    static constexpr std::int32_t kGroup = 8;

    template <bool Alpha>
    [[gnu::target("avx2")]] static __m256i cutLanes(const std::uint32_t* pixels,
                                                    std::uint32_t maskWord) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
        const __m256i colors =
            _mm256_and_si256(words, _mm256_set1_epi32(static_cast<int>(kColorBits)));
        const __m256i equal =
            _mm256_cmpeq_epi32(colors, _mm256_set1_epi32(static_cast<int>(maskWord)));
        if constexpr (Alpha)
            return _mm256_or_si256(equal, _mm256_cmpgt_epi32(words, _mm256_set1_epi32(-1)));
        return equal;
    }
    template <bool Alpha>
    [[gnu::target("avx2")]] static std::uint32_t cutBits32(const std::uint32_t* p,
                                                           std::uint32_t maskWord) {
        const __m256i low =
            _mm256_packs_epi32(cutLanes<Alpha>(p, maskWord), cutLanes<Alpha>(p + 8, maskWord));
        const __m256i high = _mm256_packs_epi32(cutLanes<Alpha>(p + 16, maskWord),
                                                cutLanes<Alpha>(p + 24, maskWord));
        const __m256i bytes = _mm256_permutevar8x32_epi32(
            _mm256_packs_epi16(low, high), _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
    }
    template <bool Alpha>
    [[gnu::target("avx2")]] static std::uint64_t figureBits64(const std::uint32_t* pixels,
                                                              std::uint32_t maskWord) {
        const std::uint64_t cut = std::uint64_t{cutBits32<Alpha>(pixels, maskWord)} |
                                  std::uint64_t{cutBits32<Alpha>(pixels + 32, maskWord)} << 32;
        return ~cut;
    }
    template <bool Alpha>
    [[gnu::target("avx2")]] static std::uint32_t figureBitsGroup(const std::uint32_t* pixels,
                                                                 std::uint32_t maskWord) {
        const auto cut = static_cast<std::uint32_t>(
            _mm256_movemask_ps(_mm256_castsi256_ps(cutLanes<Alpha>(pixels, maskWord))));
        return ~cut & 0xFFu;
    }
};

[[gnu::target("sse2")]] void scanRowSse2(const PixelView& image, std::int32_t y,
                                         std::int32_t scanWidth, Color mask,
                                         std::vector<Interval>& runs) {
    scanRowUsing<Sse2Blocks>(image, y, scanWidth, mask, runs);
}

[[gnu::target("avx2")]] void scanRowAvx2(const PixelView& image, std::int32_t y,
                                         std::int32_t scanWidth, Color mask,
                                         std::vector<Interval>& runs) {
    scanRowUsing<Avx2Blocks>(image, y, scanWidth, mask, runs);
}

#endif

detail::ScanIsa chooseScanIsa() noexcept {
    using detail::ScanIsa;
    if (!detail::scanIsaSupported(ScanIsa::Sse2))
        return ScanIsa::Portable;
    const char* forced = std::getenv("CUTSHAPE_SCAN_ISA");
    if (forced != nullptr && std::strcmp(forced, "sse2") == 0)
        return ScanIsa::Sse2;
    return detail::scanIsaSupported(ScanIsa::Avx2) ? ScanIsa::Avx2 : ScanIsa::Sse2;
}

} // namespace

namespace detail {

const char* scanIsaName(ScanIsa isa) noexcept {
    switch (isa) {
    case ScanIsa::Portable:
        return "portable";
    case ScanIsa::Sse2:
        return "sse2";
    case ScanIsa::Avx2:
        return "avx2";
    }
    return "unknown";
}

bool scanIsaSupported(ScanIsa isa) noexcept {
#if CUTSHAPE_SCAN_X86
    // The CPU check also covers the operating system saving the wide registers.
    __builtin_cpu_init();
    switch (isa) {
    case ScanIsa::Portable:
        return true;
    case ScanIsa::Sse2:
        return __builtin_cpu_supports("sse2");
    case ScanIsa::Avx2:
        return __builtin_cpu_supports("avx2");
    }
    return false;
#else
    return isa == ScanIsa::Portable;
#endif
}

ScanIsa activeScanIsa() noexcept {
    static const ScanIsa active = chooseScanIsa();
    return active;
}

void scanRowWith(ScanIsa isa, const PixelView& image, std::int32_t y, std::int32_t scanWidth,
                 Color mask, std::vector<Interval>& runs) {
    switch (isa) {
#if CUTSHAPE_SCAN_X86
    case ScanIsa::Avx2:
        scanRowAvx2(image, y, scanWidth, mask, runs);
        return;
    case ScanIsa::Sse2:
        scanRowSse2(image, y, scanWidth, mask, runs);
        return;
#endif
    default:
        scanRowPortable(image, y, scanWidth, mask, runs);
        return;
    }
}

} // namespace detail

void scanRow(const PixelView& image, std::int32_t y, std::int32_t scanWidth, Color mask,
             std::vector<Interval>& runs) {
    detail::scanRowWith(detail::activeScanIsa(), image, y, scanWidth, mask, runs);
}

const char* scanRowInstructionSet() noexcept {
    return detail::scanIsaName(detail::activeScanIsa());
}

} // namespace cutshape::core

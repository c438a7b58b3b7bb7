#include "core/band_builder.h"
#include "core/region_check.h"
#include "core/run_scanner_detail.h"
#include "tests/support/reference_region.h"

#include <bit>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#if CUTSHAPE_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace cutshape::core {
namespace {

using detail::ScanIsa;
using test::imageFromRows;
using test::TestImage;
using Runs = std::vector<Interval>;

std::uint32_t next32(std::mt19937& random) {
    return static_cast<std::uint32_t>(random());
}

constexpr Color kFigure = 0x00102030;
constexpr Color kMask = 0x00FF00FF;

// Builds and checks the region against the per-pixel reference and the canonical form.
BandedRegion buildChecked(const PixelView& image, std::int32_t scanWidth, std::int32_t scanHeight,
                          Color mask) {
    BandedRegion region = buildBandedRegion(image, scanWidth, scanHeight, mask);
    const test::PixelSet expected = test::referenceFigure(image, scanWidth, scanHeight, mask);
    EXPECT_EQ(test::regionMismatch(region.rects, expected), "");
    EXPECT_EQ(canonicalBandsFault(region.rects), "");
    return region;
}

TEST(BandBuilder, MergesIdenticalAdjacentRowsOnly) {
    BandBuilder builder;
    builder.addRow(0, Runs{{2, 4}, {6, 8}});
    builder.addRow(1, Runs{{2, 4}, {6, 8}});
    builder.addRow(2, Runs{{1, 7}});
    const Rects rects = builder.takeRects();
    EXPECT_EQ(rects, (Rects{{2, 0, 4, 2}, {6, 0, 8, 2}, {1, 2, 7, 3}}));
    EXPECT_EQ(canonicalBandsFault(rects), "");
}

TEST(BandBuilder, AGapOrAnEmptyRowEndsTheBand) {
    BandBuilder builder;
    builder.addRow(0, Runs{{1, 3}});
    builder.addRow(2, Runs{{1, 3}}); // row 1 left out
    builder.addRow(3, Runs{});
    builder.addRow(4, Runs{{1, 3}});
    builder.addRow(5, Runs{{1, 3}});
    const Rects rects = builder.takeRects();
    EXPECT_EQ(rects, (Rects{{1, 0, 3, 1}, {1, 2, 3, 3}, {1, 4, 3, 6}}));
    EXPECT_EQ(canonicalBandsFault(rects), "");
}

TEST(BandBuilder, RowsDifferingInOneBoundaryOrInCountStartNewBands) {
    BandBuilder builder;
    builder.addRow(0, Runs{{0, 2}, {4, 6}});
    builder.addRow(1, Runs{{0, 2}, {4, 7}});
    builder.addRow(2, Runs{{0, 2}});
    builder.addRow(3, Runs{{0, 2}, {4, 7}});
    const Rects rects = builder.takeRects();
    EXPECT_EQ(rects, (Rects{{0, 0, 2, 1},
                            {4, 0, 6, 1},
                            {0, 1, 2, 2},
                            {4, 1, 7, 2},
                            {0, 2, 2, 3},
                            {0, 3, 2, 4},
                            {4, 3, 7, 4}}));
    EXPECT_EQ(canonicalBandsFault(rects), "");
}

TEST(BandBuilder, TakeRectsStartsOver) {
    BandBuilder builder;
    builder.addRow(0, Runs{{0, 5}});
    builder.addRow(1, Runs{{0, 5}});
    EXPECT_EQ(builder.takeRects(), (Rects{{0, 0, 5, 2}}));
    // Row 2 would extend the taken band; after takeRects it must start a new one.
    builder.addRow(2, Runs{{0, 5}});
    const Rects rects = builder.takeRects();
    EXPECT_EQ(rects, (Rects{{0, 2, 5, 3}}));
    EXPECT_EQ(canonicalBandsFault(rects), "");
    EXPECT_EQ(builder.takeRects(), Rects{});
}

TEST(BuildBandedRegion, SystemColourMaskKeepsTheWholeScan) {
    const TestImage image = imageFromRows({"#..", ".#.", "..."}, kFigure, 0x0000000F, 0x80);
    const BandedRegion region = buildChecked(image.view(), 3, 3, 0x8000000F);
    EXPECT_EQ(region.rects, (Rects{{0, 0, 3, 3}}));
}

TEST(BuildBandedRegion, EmptyScans) {
    const TestImage image = imageFromRows({"###", "###"}, kFigure, kMask);
    for (const auto& [w, h] :
         {std::pair{0, 2}, std::pair{3, 0}, std::pair{-1, 2}, std::pair{3, -5}}) {
        const BandedRegion region = buildChecked(image.view(), w, h, kMask);
        EXPECT_TRUE(region.rects.empty()) << w << 'x' << h;
        EXPECT_EQ(region.runCount, 0) << w << 'x' << h;
    }
}

#if CUTSHAPE_HAVE_PIXMAN
// pixman turns a one-bit image into the same canonical banded form; its answer comes from a
// bitmap of the reference figure pixels, so it shares no code with the core.
Rects pixmanRects(const test::PixelSet& pixels) {
    const std::int32_t wordsPerRow = (pixels.width + 31) / 32;
    std::vector<std::uint32_t> bits(
        static_cast<std::size_t>(wordsPerRow) * static_cast<std::size_t>(pixels.height), 0);
    for (std::int32_t y = 0; y < pixels.height; ++y) {
        for (std::int32_t x = 0; x < pixels.width; ++x) {
            if (!pixels.at(x, y))
                continue;
            // pixman's a1 pixels go from the least significant bit up on little-endian
            // machines and from the most significant bit down on big-endian ones.
            const int bit = std::endian::native == std::endian::little ? x % 32 : 31 - x % 32;
            bits[static_cast<std::size_t>(y * wordsPerRow + x / 32)] |= 1u << bit;
        }
    }
    pixman_image_t* image = pixman_image_create_bits(PIXMAN_a1, pixels.width, pixels.height,
                                                     bits.data(), wordsPerRow * 4);
    pixman_region32_t region;
    pixman_region32_init_from_image(&region, image);
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&region, &count);
    Rects rects;
    for (int i = 0; i < count; ++i)
        rects.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    pixman_region32_fini(&region);
    pixman_image_unref(image);
    return rects;
}
#endif

// A random picture: a background of the mask colour with noise, ellipses and stripes in
// several figure colours, some differing from the mask in a single bit, and random unused
// bytes. Rows are often copies of the row above so that bands grow tall.
struct RandomCase {
    TestImage image;
    std::int32_t scanWidth = 0;
    std::int32_t scanHeight = 0;
    Color mask = 0;
};

RandomCase randomCase(std::mt19937& random, int trial) {
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static constexpr int kAwkwardWidths[] = {1, 3, 4, 5, 7, 8, 9, 63, 64, 65, 127, 128, 129, 200};
    RandomCase c;
    const std::int32_t width = trial % 4 == 0 ? kAwkwardWidths[uniform(0, 13)] : uniform(1, 160);
    const std::int32_t height = uniform(1, 40);
    const std::uint32_t maskWord = next32(random) & 0x00FFFFFFu;
    c.mask = colorFromImageWord(maskWord);
    if (trial % 23 == 0)
        c.mask = kInvalidColor;
    else if (trial % 29 == 0)
        c.mask = 0x8000000F;
    else if (trial % 7 == 0)
        c.mask = kNoMaskColor;
    c.scanWidth = uniform(0, 3) == 0 ? width + uniform(-3, 5) : width;
    c.scanHeight = uniform(0, 3) == 0 ? height + uniform(-3, 5) : height;
    c.image = test::makeImage(width, height, width + uniform(0, 7), 0);
    // Every third image has alpha; the top bytes are random either way.
    c.image.hasAlpha = trial % 3 == 1;
    for (std::uint32_t& word : c.image.words)
        word = next32(random); // the padding keeps this; a read past a row's end would show

    auto figureWord = [&] {
        const std::uint32_t colour =
            uniform(0, 1) == 0 ? maskWord ^ (1u << uniform(0, 23)) : (next32(random) & 0x00FFFFFFu);
        return colour == maskWord ? maskWord ^ 1u : colour;
    };
    const int pattern = uniform(0, 3);
    const int density = uniform(0, 100);
    const int copyChance = uniform(0, 100);
    const std::int32_t cx = uniform(0, width), cy = uniform(0, height);
    const std::int32_t rx = uniform(1, width), ry = uniform(1, height);
    for (std::int32_t y = 0; y < height; ++y) {
        const bool copy = y > 0 && uniform(0, 99) < copyChance;
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t colour = maskWord;
            if (copy) {
                colour = c.image.word(x, y - 1);
            } else if (pattern == 0) {
                if (uniform(0, 99) < density)
                    colour = figureWord();
            } else if (pattern == 1) {
                const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0)
                    colour = figureWord();
                else if (uniform(0, 999) < density / 10)
                    colour = figureWord();
            } else if (pattern == 2) {
                if ((x + y) % 2 == 0)
                    colour = figureWord();
            } else if ((x / (1 + density / 10)) % 2 == 0) {
                colour = figureWord();
            }
            c.image.word(x, y) = copy ? colour : colour | (next32(random) & 0xFF000000u);
        }
    }
    return c;
}

class BandedRegionDifferential : public ::testing::TestWithParam<ScanIsa> {
protected:
    void SetUp() override {
        if (!detail::scanIsaSupported(GetParam()))
            GTEST_SKIP() << detail::scanIsaName(GetParam()) << " not available on this CPU";
    }
};

TEST_P(BandedRegionDifferential, MatchesThePerPixelReference) {
    std::mt19937 random(77u + static_cast<unsigned>(GetParam()));
    for (int trial = 0; trial < 1500; ++trial) {
        const RandomCase c = randomCase(random, trial);
        SCOPED_TRACE(::testing::Message()
                     << "trial " << trial << ": " << c.image.width << 'x' << c.image.height
                     << " stride " << c.image.stridePixels << " scan " << c.scanWidth << 'x'
                     << c.scanHeight << " mask " << std::hex << c.mask);
        const BandedRegion region = detail::buildBandedRegionWith(
            GetParam(), c.image.view(), c.scanWidth, c.scanHeight, c.mask);
        const test::PixelSet expected =
            test::referenceFigure(c.image.view(), c.scanWidth, c.scanHeight, c.mask);
        std::int64_t expectedRuns = 0;
        for (std::int32_t y = 0; y < expected.height; ++y)
            expectedRuns += static_cast<std::int64_t>(test::referenceRuns(expected, y).size());

        ASSERT_EQ(test::regionMismatch(region.rects, expected), "");
        ASSERT_EQ(region.runCount, expectedRuns);
#if CUTSHAPE_HAVE_PIXMAN
        if (expected.width > 0 && expected.height > 0) {
            ASSERT_EQ(region.rects, pixmanRects(expected));
        }
#endif
        ASSERT_EQ(canonicalBandsFault(region.rects), "");
    }
}

// One scanner reused across pictures of changing sizes must leave nothing of a scan in the
// next: a stale band could absorb the new picture's first rows.
TEST(BandScanner, ReusedAcrossPicturesMatchesAFreshBuildEachTime) {
    std::mt19937 random(4242u);
    BandScanner scanner;
    for (int trial = 0; trial < 400; ++trial) {
        const RandomCase c = randomCase(random, trial);
        SCOPED_TRACE(trial);
        const BandedRegion fresh =
            buildBandedRegion(c.image.view(), c.scanWidth, c.scanHeight, c.mask);
        const BandScanner::Result reused =
            scanner.scan(c.image.view(), c.scanWidth, c.scanHeight, c.mask);
        ASSERT_EQ(Rects(reused.rects.begin(), reused.rects.end()), fresh.rects);
        ASSERT_EQ(reused.runCount, fresh.runCount);
    }
    // A picture whose first row equals the last row of the picture before it.
    const TestImage bar = imageFromRows({"##.."}, kFigure, kMask);
    (void)scanner.scan(bar.view(), 4, 1, kMask);
    const BandScanner::Result again = scanner.scan(bar.view(), 4, 1, kMask);
    EXPECT_EQ(Rects(again.rects.begin(), again.rects.end()), (Rects{{0, 0, 2, 1}}));
}

INSTANTIATE_TEST_SUITE_P(AllVariants, BandedRegionDifferential,
                         ::testing::Values(ScanIsa::Portable, ScanIsa::Sse2, ScanIsa::Avx2),
                         [](const ::testing::TestParamInfo<ScanIsa>& param) {
                             return std::string(detail::scanIsaName(param.param));
                         });

} // namespace
} // namespace cutshape::core

#include "core/run_scanner.h"
#include "core/run_scanner_detail.h"
#include "tests/support/reference_region.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace cutshape::core {
namespace {

using detail::ScanIsa;
using test::imageFromRows;
using test::TestImage;
using Runs = std::vector<Interval>;

std::uint32_t next32(std::mt19937& random) {
    return static_cast<std::uint32_t>(random());
}

constexpr Color kFigure = 0x00336699;
constexpr Color kMask = 0x0000FF00;

// Every fixed case runs on every variant the CPU supports, so a fault in one variant cannot
// hide behind the one the dispatcher happens to pick.
class ScanRowTest : public ::testing::TestWithParam<ScanIsa> {
protected:
    void SetUp() override {
        if (!detail::scanIsaSupported(GetParam()))
            GTEST_SKIP() << detail::scanIsaName(GetParam()) << " not available on this CPU";
    }

    Runs scan(const PixelView& image, std::int32_t y, std::int32_t scanWidth, Color mask) const {
        Runs runs{{-7, -3}}; // stale content the scan must replace
        detail::scanRowWith(GetParam(), image, y, scanWidth, mask, runs);
        return runs;
    }
};

// A row without a mask pixel is one run across several blocks, which the random rows of
// MatchesThePerPixelReference hardly ever are.
TEST_P(ScanRowTest, RowWithoutMaskPixelsIsOneRun) {
    const TestImage image = imageFromRows({std::string(150, '#')}, kFigure, kMask);
    EXPECT_EQ(scan(image.view(), 0, 150, kMask), (Runs{{0, 150}}));
}

TEST_P(ScanRowTest, ImageWordsHaveRedAndBlueSwapped) {
    // Colour 0x000000FF is pure red; its image word is 0x00FF0000. The word 0x000000FF is
    // pure blue and so a figure pixel.
    TestImage image = test::makeImage(3, 1, 3, 0x00FF0000);
    image.word(1, 0) = 0x000000FF;
    EXPECT_EQ(scan(image.view(), 0, 3, 0x000000FF), (Runs{{1, 2}}));
}

TEST_P(ScanRowTest, SystemColourMaskMatchesNoPixel) {
    // Even a word whose colour bits and unused byte spell the system colour is a figure pixel.
    TestImage image = imageFromRows({"..#..#.."}, kFigure, 0x0000000F, 0x80);
    EXPECT_EQ(scan(image.view(), 0, 8, 0x8000000F), (Runs{{0, 8}}));
}

// Pixels past the right edge are compared with the per-pixel reference in
// MatchesThePerPixelReference; rows above and below the image are not.
TEST_P(ScanRowTest, RowsOutsideTheImageReadAsInvalidColour) {
    const TestImage image = imageFromRows({"##..#"}, kFigure, kMask);
    for (const std::int32_t y : {-1, 1}) {
        SCOPED_TRACE(y);
        // Every pixel differs from an ordinary mask colour and equals the invalid colour.
        EXPECT_EQ(scan(image.view(), y, 9, kMask), (Runs{{0, 9}}));
        EXPECT_EQ(scan(image.view(), y, 9, kInvalidColor), Runs{});
    }
}

TEST_P(ScanRowTest, WhiteWithAFullUnusedByteIsNotTheInvalidColour) {
    const TestImage image = test::makeImage(4, 1, 4, 0xFFFFFFFF);
    EXPECT_EQ(scan(image.view(), 0, 6, kInvalidColor), (Runs{{0, 4}}));
    EXPECT_EQ(scan(image.view(), 0, 6, 0x00FFFFFF), (Runs{{4, 6}}));
}

// With alpha, a pixel under half opaque is cut whatever its colour; a mask colour still cuts
// opaque pixels, and kNoMaskColor cuts by alpha alone.
TEST_P(ScanRowTest, AlphaUnderHalfIsCutAndTheMaskColourStillCuts) {
    TestImage image = test::makeImage(6, 1, 6, 0);
    const std::uint32_t words[] = {0x00000000, 0x7F102030, 0x80102030,
                                   0xFF102030, 0xFF00FF00, 0x80FFFFFF};
    std::copy(std::begin(words), std::end(words), image.words.begin());
    image.hasAlpha = true;
    EXPECT_EQ(scan(image.view(), 0, 6, colorFromImageWord(0x00FF00)), (Runs{{2, 4}, {5, 6}}));
    EXPECT_EQ(scan(image.view(), 0, 6, kNoMaskColor), (Runs{{2, 6}}));
    image.hasAlpha = false;
    EXPECT_EQ(scan(image.view(), 0, 6, kNoMaskColor), (Runs{{0, 6}}));
}

TEST_P(ScanRowTest, EmptyImages) {
    EXPECT_EQ(scan(PixelView{}, 0, 5, kMask), (Runs{{0, 5}}));
    EXPECT_EQ(scan(PixelView{}, 0, 5, kInvalidColor), Runs{});
}

// Rows of random widths, contents and padding against the per-pixel reference. Widths cover
// every remainder modulo the 64-pixel blocks and the 4- and 8-pixel groups; the padding
// between rows is random so a read past the row's end shows up as a wrong run.
TEST_P(ScanRowTest, MatchesThePerPixelReference) {
    std::mt19937 random(20240611u + static_cast<unsigned>(GetParam()));
    for (int trial = 0; trial < 3000; ++trial) {
        const auto width = static_cast<std::int32_t>(
            trial < 200 ? trial : std::uniform_int_distribution<int>(1, 300)(random));
        const std::int32_t scanWidth =
            width + std::uniform_int_distribution<std::int32_t>(-3, 3)(random) * (trial % 3);
        const std::uint32_t maskWord = next32(random) & 0x00FFFFFFu;
        Color mask = colorFromImageWord(maskWord);
        if (trial % 17 == 0)
            mask = kInvalidColor;
        else if (trial % 11 == 0)
            mask = kNoMaskColor;
        const std::int32_t stride =
            width + std::uniform_int_distribution<std::int32_t>(0, 9)(random);
        TestImage image = test::makeImage(width, 2, stride, 0);
        image.hasAlpha = trial % 2 == 1; // the top bytes are random either way
        for (std::uint32_t& word : image.words)
            word = next32(random) & 1 ? next32(random) : maskWord;
        // Row 1: long runs, each pixel copying its left neighbour's kind most of the time.
        const int density = std::uniform_int_distribution<int>(0, 100)(random);
        bool figure = false;
        for (std::int32_t x = 0; x < width; ++x) {
            if (std::uniform_int_distribution<int>(0, 99)(random) < density / 4)
                figure = !figure;
            const std::uint32_t unused = next32(random) & 0xFF000000u;
            image.word(x, 1) =
                unused | (figure ? (maskWord ^ (1u << (next32(random) % 24))) : maskWord);
        }
        const test::PixelSet expected = test::referenceFigure(image.view(), scanWidth, 2, mask);
        for (std::int32_t y = 0; y < 2; ++y) {
            SCOPED_TRACE(::testing::Message() << "trial " << trial << " row " << y << " width "
                                              << width << " scan " << scanWidth);
            const Runs expectedRuns = scanWidth > 0 ? test::referenceRuns(expected, y) : Runs{};
            ASSERT_EQ(scan(image.view(), y, scanWidth, mask), expectedRuns);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, ScanRowTest,
                         ::testing::Values(ScanIsa::Portable, ScanIsa::Sse2, ScanIsa::Avx2),
                         [](const ::testing::TestParamInfo<ScanIsa>& param) {
                             return std::string(detail::scanIsaName(param.param));
                         });

TEST(ScanRowDispatch, PicksTheWidestVariantUnlessTheBaselineIsRequested) {
    const char* forced = std::getenv("CUTSHAPE_SCAN_ISA");
    const std::string chosen = scanRowInstructionSet();
#if defined(__x86_64__) || defined(__i386__)
    if (forced != nullptr && std::string(forced) == "sse2")
        EXPECT_EQ(chosen, "sse2");
    else
        EXPECT_EQ(chosen, detail::scanIsaSupported(ScanIsa::Avx2) ? "avx2" : "sse2");
#else
    (void)forced;
    EXPECT_EQ(chosen, "portable");
#endif
    EXPECT_EQ(chosen, detail::scanIsaName(detail::activeScanIsa()));
}

} // namespace
} // namespace cutshape::core

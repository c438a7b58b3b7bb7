#include "core/band_builder.h"
#include "core/mask_color.h"
#include "core/region_check.h"
#include "tests/support/reference_region.h"

#include <gtest/gtest.h>

namespace cutshape::core {
namespace {

constexpr Color kTopLeft = 0x00123456;

struct CountingRead {
    int* reads;
    Color operator()() const {
        ++*reads;
        return kTopLeft;
    }
};

TEST(ChooseMaskColor, ReadsTheTopLeftPixelOnlyWhenItDecides) {
    int reads = 0;
    EXPECT_EQ(chooseMaskColor(MaskSettings{0x00ABCDEF, true, false}, CountingRead{&reads}),
              kTopLeft);
    EXPECT_EQ(reads, 1);

    reads = 0;
    EXPECT_EQ(chooseMaskColor(MaskSettings{0x00ABCDEF, false, false}, CountingRead{&reads}),
              0x00ABCDEFu);
    EXPECT_EQ(reads, 0);
}

TEST(ChooseMaskColor, RestoringCutsBlackWithoutReading) {
    int reads = 0;
    EXPECT_EQ(chooseMaskColor(MaskSettings{0x00ABCDEF, true, true}, CountingRead{&reads}), 0u);
    EXPECT_EQ(chooseMaskColor(MaskSettings{0x00ABCDEF, false, true}, CountingRead{&reads}), 0u);
    EXPECT_EQ(reads, 0);
}

TEST(ChooseMaskColor, AnAutomaticMaskCutsTheTopLeftColour) {
    const test::TestImage image =
        test::imageFromRows({"..##", ".##.", "...."}, 0x00FF0000, 0x00224466);
    const PixelView view = image.view();
    const Color mask =
        chooseMaskColor(MaskSettings{0, true, false}, [&] { return view.colorAt(0, 0); });
    const BandedRegion region = buildBandedRegion(view, 4, 3, mask);
    EXPECT_EQ(region.rects, (Rects{{2, 0, 4, 1}, {1, 1, 3, 2}}));
    EXPECT_EQ(test::regionMismatch(region.rects, test::referenceFigure(view, 4, 3, mask)), "");
    EXPECT_EQ(canonicalBandsFault(region.rects), "");
}

} // namespace
} // namespace cutshape::core

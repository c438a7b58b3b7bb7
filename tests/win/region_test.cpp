#include "core/band_builder.h"
#include "core/region_check.h"
#include "tests/support/picture_files.h"
#include "win/region.h"
#include "win/window_calls.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace cutshape {
namespace {

using core::Rect;
using core::Rects;

// The reference: one rectangle region, one union and one deletion per rectangle.
Rects unitedOneByOne(const Rects& rects) {
    win::UniqueRegion accumulator = win::createEmptyRegion();
    for (const Rect& r : rects) {
        const win::UniqueRegion one(::CreateRectRgn(r.x1, r.y1, r.x2, r.y2));
        ::CombineRgn(accumulator.get(), accumulator.get(), one.get(), RGN_OR);
    }
    return win::regionRects(accumulator.get());
}

void expectSameRegion(const Rects& rects) {
    const win::UniqueRegion region = win::createRegion(rects);
    ASSERT_TRUE(region);
    const Rects created = win::regionRects(region.get());
    EXPECT_EQ(created, unitedOneByOne(rects));
    EXPECT_EQ(core::canonicalBandsFault(created), "");
}

TEST(CreateRegion, EmptyListGivesEmptyRegion) {
    const win::UniqueRegion region = win::createRegion(Rects{});
    RECT box{};
    EXPECT_EQ(::GetRgnBox(region.get(), &box), NULLREGION);
    EXPECT_TRUE(win::regionRects(region.get()).empty());
}

TEST(CreateRegion, MatchesUnionOfBandsAcrossBatchBoundaries) {
    // Band counts around and well beyond one batch, and odd numbers of batches.
    for (const int height : {1, 5, 31, 64, 65, 129, 300}) {
        const testing::Image image = testing::makeCheckerboard(37, height, 3);
        const core::BandedRegion bands =
            core::buildBandedRegion(image.view(), image.width(), image.height(), 0x00FFFFFF);
        SCOPED_TRACE(height);
        expectSameRegion(bands.rects);
    }
}

TEST(CreateRegion, MatchesUnionOfOverlappingUnsortedRects) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> coordinate(-20, 200);
    for (const int count : {1, 2, 63, 64, 65, 500}) {
        Rects rects;
        for (int i = 0; i < count; ++i) {
            const int x = coordinate(random), y = coordinate(random);
            // Widths and heights from 0 to 39: empty rectangles cover nothing.
            rects.push_back({x, y, x + std::abs(coordinate(random)) % 40,
                             y + std::abs(coordinate(random)) % 40});
        }
        SCOPED_TRACE(count);
        expectSameRegion(rects);
    }
}

TEST(SetWindowRegion, WindowTakesRegionAndFailureIsReported) {
    win::UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"region", WS_POPUP, 0, 0, 50, 40,
                                               nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    const Rects shape{{0, 0, 10, 5}, {20, 0, 30, 5}, {5, 5, 25, 20}};
    ASSERT_TRUE(win::setWindowRegion(window.get(), win::createRegion(shape)));
    win::UniqueRegion installed = win::createEmptyRegion();
    ASSERT_NE(::GetWindowRgn(window.get(), installed.get()), ERROR);
    EXPECT_EQ(win::regionRects(installed.get()), unitedOneByOne(shape));

    EXPECT_FALSE(win::setWindowRegion(nullptr, win::createRegion(shape)));
}

} // namespace
} // namespace cutshape

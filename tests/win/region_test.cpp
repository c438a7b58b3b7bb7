#include "core/band_builder.h"
#include "core/region_check.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "win/error.h"
#include "win/gdi_watch.h"
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

// Every batch size gives the same region as the one-by-one union.
void expectSameRegion(const Rects& rects) {
    const Rects expected = unitedOneByOne(rects);
    for (const std::size_t batchSize :
         {std::size_t{1}, std::size_t{7}, win::detail::kBatchSize, win::detail::kMaxBatchSize}) {
        SCOPED_TRACE(batchSize);
        const win::UniqueRegion region = win::detail::createRegionInBatches(rects, batchSize);
        ASSERT_TRUE(region);
        const Rects created = win::regionRects(region.get());
        EXPECT_EQ(created, expected);
        EXPECT_EQ(core::canonicalBandsFault(created), "");
        EXPECT_EQ(win::regionRectCount(region.get()), created.size());
    }
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
        const test::Image image = test::makeCheckerboard(37, height, 3);
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

// Windows gives a process 10,000 GDI objects by default, and past Wine's handle limit a
// region came out wrong: a 1080p checkerboard (over a million rectangles) once held about
// 16,200 regions alive at the same time.
TEST(CreateRegion, OneMillionRectanglesNeedFewLiveRegionsAndGiveTheExactFigure) {
    const test::Image board = test::makeCheckerboard(1920, 1080);
    const core::BandedRegion bands =
        core::buildBandedRegion(board.view(), board.width(), board.height(), 0x00FFFFFF);
    ASSERT_EQ(bands.rects.size(), 1920u * 1080u / 2u);
    win::GdiWatch watch;
    win::UniqueRegion region = win::createRegion(bands.rects);
    EXPECT_LE(watch.peakLiveRegions(), 64u);
    EXPECT_EQ(watch.liveRegions(), 1u);
    const core::Rects created = win::regionRects(region.get());
    EXPECT_EQ(test::regionMismatch(created, test::referenceFigure(board.view(), board.width(),
                                                                  board.height(), 0x00FFFFFF)),
              "");
    region.reset();
    EXPECT_EQ(watch.liveRegions(), 0u);
}

TEST(CreateRegion, FailedCreationOrUnionThrowsAndFreesEveryRegion) {
    const test::Image board = test::makeCheckerboard(200, 150);
    const core::BandedRegion bands =
        core::buildBandedRegion(board.view(), board.width(), board.height(), 0x00FFFFFF);
    std::int64_t callsOfOneBuild = 0;
    {
        win::GdiWatch watch;
        (void)win::createRegion(bands.rects);
        callsOfOneBuild = watch.regionCalls();
    }
    ASSERT_GT(callsOfOneBuild, 8);
    // The first call, calls in the middle (creations and unions alike) and the last union.
    for (const std::int64_t failing : {std::int64_t{1}, std::int64_t{2}, callsOfOneBuild / 3,
                                       callsOfOneBuild / 2, callsOfOneBuild - 1, callsOfOneBuild}) {
        SCOPED_TRACE(failing);
        win::GdiWatch watch;
        watch.failRegionCall(failing);
        try {
            (void)win::createRegion(bands.rects);
            ADD_FAILURE() << "a failing region call went unnoticed";
        } catch (const win::Error& error) {
            EXPECT_EQ(error.number(), E_OUTOFMEMORY);
            EXPECT_NE(error.description().find(L"region"), std::wstring::npos) << error.what();
        }
        EXPECT_EQ(watch.regionCalls(), failing); // it stopped at the failing call
        EXPECT_EQ(watch.liveRegions(), 0u);
    }
}

TEST(SetWindowRegion, WindowTakesRegionAndFailureIsReported) {
    win::UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"region", WS_POPUP, 0, 0, 50, 40,
                                               nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    const Rects shape{{0, 0, 10, 5}, {20, 0, 30, 5}, {5, 5, 25, 20}};
    win::SetWindowRgn(window.get(), win::createRegion(shape));
    win::UniqueRegion installed = win::createEmptyRegion();
    ASSERT_NE(::GetWindowRgn(window.get(), installed.get()), ERROR);
    EXPECT_EQ(win::regionRects(installed.get()), unitedOneByOne(shape));

    // No window: the error names the call, and the region is freed.
    win::GdiWatch watch;
    try {
        win::SetWindowRgn(nullptr, win::createRegion(shape));
        ADD_FAILURE() << "a region was taken by no window";
    } catch (const win::Error& error) {
        EXPECT_NE(error.description().find(L"SetWindowRgn"), std::wstring::npos) << error.what();
    }
    EXPECT_EQ(watch.liveRegions(), 0u);
}

} // namespace
} // namespace cutshape

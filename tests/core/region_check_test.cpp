#include "core/region_check.h"

#include <gtest/gtest.h>

namespace cutshape::core {
namespace {

TEST(CanonicalBandsFault, AcceptsCanonicalLists) {
    EXPECT_EQ(canonicalBandsFault({}), "");
    EXPECT_EQ(canonicalBandsFault({{0, 0, 1, 1}}), "");
    EXPECT_EQ(canonicalBandsFault({{2, 0, 4, 2}, {6, 0, 8, 2}, {1, 2, 7, 3}}), "");
    // Identical intervals are fine when the bands do not touch vertically.
    EXPECT_EQ(canonicalBandsFault({{1, 0, 3, 1}, {1, 2, 3, 3}}), "");
    // Touching bands whose intervals differ only in count.
    EXPECT_EQ(canonicalBandsFault({{1, 0, 3, 1}, {1, 1, 3, 2}, {5, 1, 6, 2}}), "");
    EXPECT_EQ(canonicalBandsFault({{1, 0, 3, 1}, {5, 0, 6, 1}, {1, 1, 3, 2}}), "");
}

TEST(CanonicalBandsFault, RejectsEmptyRectangles) {
    EXPECT_NE(canonicalBandsFault({{1, 0, 1, 1}}), "");
    EXPECT_NE(canonicalBandsFault({{0, 1, 1, 1}}), "");
    EXPECT_NE(canonicalBandsFault({{3, 0, 1, 1}}), "");
    EXPECT_NE(canonicalBandsFault({{0, 0, 1, 1}, {2, 3, 4, 2}}), "");
}

TEST(CanonicalBandsFault, RejectsBadlyOrderedOrTouchingRectanglesWithinABand) {
    EXPECT_NE(canonicalBandsFault({{4, 0, 6, 1}, {0, 0, 2, 1}}), "");
    EXPECT_NE(canonicalBandsFault({{0, 0, 2, 1}, {2, 0, 4, 1}}), ""); // touching
    EXPECT_NE(canonicalBandsFault({{0, 0, 3, 1}, {2, 0, 4, 1}}), ""); // overlapping
    EXPECT_NE(canonicalBandsFault({{0, 0, 2, 1}, {3, 0, 4, 2}}), ""); // y2 differs
}

TEST(CanonicalBandsFault, RejectsBadlyOrderedOrOverlappingBands) {
    EXPECT_NE(canonicalBandsFault({{0, 2, 1, 3}, {0, 0, 1, 1}}), "");
    EXPECT_NE(canonicalBandsFault({{0, 0, 1, 2}, {3, 1, 4, 3}}), "");
    EXPECT_NE(canonicalBandsFault({{0, 0, 1, 2}, {3, 0, 4, 3}}), ""); // same y1, other y2
}

TEST(CanonicalBandsFault, RejectsUnmergedIdenticalAdjacentBands) {
    EXPECT_NE(canonicalBandsFault({{1, 0, 3, 1}, {1, 1, 3, 2}}), "");
    EXPECT_NE(canonicalBandsFault({{1, 0, 3, 1}, {5, 0, 6, 1}, {1, 1, 3, 3}, {5, 1, 6, 3}}), "");
    // Found between inner bands as well as at the end of the list.
    EXPECT_NE(canonicalBandsFault({{0, 0, 9, 1}, {1, 1, 3, 2}, {1, 2, 3, 4}, {0, 4, 9, 5}}), "");
}

} // namespace
} // namespace cutshape::core

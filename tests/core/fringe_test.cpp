#include "core/fringe.h"

#include <gtest/gtest.h>
#include <vector>

namespace cutshape::core {
namespace {

constexpr Color kWhite = 0x00FFFFFF; // the mask colour, as a pixel read gives it
constexpr std::uint32_t kBlue = 0x001E5AC8;

// A 6 x 2 image: row 0 holds one pixel of each kind, row 1 only figure pixels. The fringe is
// found within its bounds, and the edge image of the bounds holds the picture's own word at
// each fringe pixel and nothing else.
TEST(Fringe, IsThePartlyOpaquePixelsUnderHalfThatTheMaskDoesNotCut) {
    const std::uint32_t kinds[] = {
        0x00000000u | kBlue,    // transparent
        0x01000000u | kBlue,    // alpha 1: fringe
        0x7F000000u | kBlue,    // alpha 127: fringe
        0x80000000u | kBlue,    // alpha 128: the figure's
        0x3C000000u | 0xFFFFFF, // alpha 60 in the mask colour: cut
        0xFF000000u | kBlue,    // opaque
    };
    std::vector<std::uint32_t> staged(std::begin(kinds), std::end(kinds));
    staged.insert(staged.end(), 6, 0xFF000000u | kBlue);
    std::vector<std::uint32_t> own(staged.size());
    for (std::size_t i = 0; i < own.size(); ++i)
        own[i] = (staged[i] & 0xFF000000u) | 0x00010203u; // any colour of its own
    const PixelView view{staged.data(), 6, 2, 6, true};
    const PixelView ownView{own.data(), 6, 2, 6, true};

    const FringeExtent extent = findFringe(view, kWhite);
    EXPECT_EQ(extent.pixels, 2u);
    ASSERT_EQ(extent.bounds, (Rect{1, 0, 3, 1}));
    std::vector<std::uint32_t> edge(3, 0xDEADBEEFu); // one word beyond the bounds
    writeFringe(view, ownView, kWhite, extent.bounds, edge.data(), 2);
    EXPECT_EQ(edge, (std::vector<std::uint32_t>{own[1], own[2], 0xDEADBEEFu}));

    // A mask colour no pixel has (a transparent top-left pixel) cuts only transparency.
    EXPECT_EQ(findFringe(view, kNoMaskColor).bounds, (Rect{1, 0, 5, 1}));
    // An image without alpha has no fringe.
    const PixelView opaque{staged.data(), 6, 2, 6, false};
    EXPECT_EQ(findFringe(opaque, kWhite).pixels, 0u);
    EXPECT_EQ(findFringe(opaque, kWhite).bounds, Rect{});
}

} // namespace
} // namespace cutshape::core

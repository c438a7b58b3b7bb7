#include "core/fringe.h"

#include <gtest/gtest.h>
#include <vector>

namespace cutshape::core {
namespace {

constexpr Color kMask = 0x00FFFFFF;           // white, as a pixel read gives it
constexpr std::uint32_t kMaskWord = 0xFFFFFF; // its image word's colour bits
constexpr std::uint32_t kBlue = 0x001E5AC8;

// One row of pixels, the staged word (colour as scanned, alpha on top) beside the picture's
// own premultiplied word, and whether the pixel belongs to the fringe.
TEST(Fringe, TakesPartlyOpaquePixelsUnderHalfThatTheMaskDoesNotCut) {
    const struct {
        const char* what;
        std::uint32_t staged;
        bool fringe;
    } cases[] = {
        {"transparent", 0x00000000u | kBlue, false},
        {"alpha 1", 0x01000000u | kBlue, true},
        {"alpha 127", 0x7F000000u | kBlue, true},
        {"alpha 128: the figure's", 0x80000000u | kBlue, false},
        {"opaque", 0xFF000000u | kBlue, false},
        {"alpha 60 in the mask colour", 0x3C000000u | kMaskWord, false},
    };
    std::vector<std::uint32_t> staged;
    std::vector<std::uint32_t> own;
    for (const auto& c : cases) {
        staged.push_back(c.staged);
        own.push_back((c.staged & 0xFF000000u) | 0x00010203u); // any colour of its own
    }
    const auto width = static_cast<std::int32_t>(staged.size());
    const PixelView stagedView{staged.data(), width, 1, width, true};
    const PixelView ownView{own.data(), width, 1, width, true};
    const FringeExtent extent = findFringe(stagedView, kMask);
    EXPECT_EQ(extent.pixels, 2u);
    EXPECT_EQ(extent.bounds, (Rect{1, 0, 3, 1}));
    std::vector<std::uint32_t> edge(staged.size(), 0xDEADBEEFu);
    const Rect whole{0, 0, width, 1};
    writeFringe(stagedView, ownView, kMask, whole, edge.data(), width);
    for (std::size_t i = 0; i < staged.size(); ++i)
        EXPECT_EQ(edge[i], cases[i].fringe ? own[i] : 0u) << cases[i].what;

    // A mask colour no pixel has (a transparent top-left pixel) cuts only transparency.
    EXPECT_EQ(findFringe(stagedView, kNoMaskColor).pixels, 3u);
    writeFringe(stagedView, ownView, kNoMaskColor, whole, edge.data(), width);
    EXPECT_EQ(edge[5], own[5]);
}

// The edge image covers the bounds only: rows and columns outside them are neither read nor
// written, and pixels inside them that are not fringe are cleared.
TEST(Fringe, WritesTheBoundsOnlyAndAnImageWithoutAlphaHasNone) {
    // 4 x 3; fringe at (1, 1) and (2, 2).
    std::vector<std::uint32_t> staged(12, 0xFF000000u | kBlue);
    staged[5] = 0x40000000u | kBlue;
    staged[10] = 0x20000000u | kBlue;
    const PixelView view{staged.data(), 4, 3, 4, true};
    const FringeExtent extent = findFringe(view, kMask);
    ASSERT_EQ(extent.bounds, (Rect{1, 1, 3, 3}));
    std::vector<std::uint32_t> edge(2 * 3, 0xDEADBEEFu); // rows 3 words apart
    writeFringe(view, view, kMask, extent.bounds, edge.data(), 3);
    EXPECT_EQ(edge,
              (std::vector<std::uint32_t>{staged[5], 0, 0xDEADBEEFu, 0, staged[10], 0xDEADBEEFu}));

    const PixelView opaque{staged.data(), 4, 3, 4, false};
    EXPECT_EQ(findFringe(opaque, kMask).pixels, 0u);
    EXPECT_EQ(findFringe(opaque, kMask).bounds, Rect{});
}

} // namespace
} // namespace cutshape::core

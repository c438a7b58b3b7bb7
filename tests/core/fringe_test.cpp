#include "core/fringe.h"

#include <gtest/gtest.h>
#include <vector>

namespace cutshape::core {
namespace {

constexpr Color kMask = 0x00FFFFFF;           // white, as a pixel read gives it
constexpr std::uint32_t kMaskWord = 0xFFFFFF; // its image word's colour bits
constexpr std::uint32_t kBlue = 0x001E5AC8;

// One row of five pixels, the staged word (colour as scanned, alpha on top) beside the
// picture's own premultiplied word, and whether the pixel belongs to the fringe.
TEST(WriteFringe, TakesPartlyOpaquePixelsUnderHalfThatTheMaskDoesNotCut) {
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
    std::vector<std::uint32_t> edge(staged.size(), 0xDEADBEEFu);
    const std::size_t count = writeFringe(stagedView, ownView, kMask, edge.data(), width);
    std::size_t expected = 0;
    for (std::size_t i = 0; i < staged.size(); ++i) {
        EXPECT_EQ(edge[i], cases[i].fringe ? own[i] : 0u) << cases[i].what;
        expected += cases[i].fringe ? 1 : 0;
    }
    EXPECT_EQ(count, expected);

    // A mask colour no pixel has (a transparent top-left pixel) cuts only transparency.
    EXPECT_EQ(writeFringe(stagedView, ownView, 0xFF000000u, edge.data(), width), expected + 1);
    EXPECT_EQ(edge[5], own[5]);
}

TEST(WriteFringe, ImageWithoutAlphaHasNoneAndEveryRowIsCleared) {
    const std::vector<std::uint32_t> staged(6, 0x10000000u | kBlue);
    const PixelView view{staged.data(), 3, 2, 3, false};
    std::vector<std::uint32_t> edge(8, 0xDEADBEEFu); // rows 4 words apart
    EXPECT_EQ(writeFringe(view, view, kMask, edge.data(), 4), 0u);
    EXPECT_EQ(edge, (std::vector<std::uint32_t>{0, 0, 0, 0xDEADBEEFu, 0, 0, 0, 0xDEADBEEFu}));
}

} // namespace
} // namespace cutshape::core

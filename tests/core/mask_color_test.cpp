#include "core/mask_color.h"

#include <gtest/gtest.h>

namespace cutshape::core {
namespace {

TEST(ChooseMaskColor, ReadsTheTopLeftPixelOnlyWhenItDecides) {
    constexpr Color kStored = 0x00ABCDEF;
    constexpr Color kTopLeft = 0x00123456;
    const struct {
        const char* what;
        MaskSettings settings;
        Color cut;
        int reads; // of the top-left pixel
    } cases[] = {
        {"the stored colour", {kStored, false}, kStored, 0},
        {"automatic: the top-left colour", {kStored, true}, kTopLeft, 1},
    };
    for (const auto& c : cases) {
        int reads = 0;
        const auto readTopLeft = [&reads] {
            ++reads;
            return kTopLeft;
        };
        EXPECT_EQ(chooseMaskColor(c.settings, readTopLeft), c.cut) << c.what;
        EXPECT_EQ(reads, c.reads) << c.what;
    }
}

} // namespace
} // namespace cutshape::core

// The demo pictures as the demo programs use them: each file decodes to the stated size and
// format, each shaped picture's background is its top-left colour and is cut away only
// outside the figure (and in CutHOLE's hole), and every control of the three forms lies on
// figure pixels, so it stays visible and clickable once the form is shaped. The control
// rectangles below are the forms' own layouts, written out here independently of the
// generator.

#include "tests/support/picture_decoders.h"
#include "tests/support/picture_files.h"
#include "tools/demo_pictures/demo_pictures.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace cutshape::testing {
namespace {

using core::Color;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t u16At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8);
}
std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return u16At(b, at) | u16At(b, at + 2) << 16;
}
std::int32_t i32At(const Bytes& b, std::size_t at) {
    return static_cast<std::int32_t>(u32At(b, at));
}

const std::map<std::string, Bytes>& demoFiles() {
    static const std::map<std::string, Bytes> files = [] {
        std::map<std::string, Bytes> result;
        for (auto& file : demo_pictures::makeDemoFiles())
            result.emplace(file.name, std::move(file.bytes));
        return result;
    }();
    return files;
}

const Bytes& demoFile(const std::string& name) {
    const auto found = demoFiles().find(name);
    if (found == demoFiles().end())
        throw std::runtime_error("no demo file " + name);
    return found->second;
}

Image decodeGifImage(const Bytes& file) {
    const DecodedGif gif = decodeGif(file);
    Image image(gif.width, gif.height);
    for (std::int32_t y = 0; y < gif.height; ++y) {
        for (std::int32_t x = 0; x < gif.width; ++x)
            image.set(x, y,
                      gif.palette.at(gif.indices.at(static_cast<std::size_t>(y * gif.width + x))));
    }
    return image;
}

// Checks the BMP header fields every demo bitmap shares: 24-bit, uncompressed, bottom-up,
// 96 dpi, the 54 bytes of headers and rows padded to 4 bytes.
void expectDemoBmp(const Bytes& file, std::int32_t width, std::int32_t height) {
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    const auto stride = static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
    EXPECT_EQ(file.size(), 54 + stride * static_cast<std::size_t>(height));
    EXPECT_EQ(u32At(file, 2), file.size());
    EXPECT_EQ(u32At(file, 10), 54u);
    EXPECT_EQ(u32At(file, 14), 40u);
    EXPECT_EQ(i32At(file, 18), width);
    EXPECT_EQ(i32At(file, 22), height); // positive: bottom-up
    EXPECT_EQ(u16At(file, 28), 24u);
    EXPECT_EQ(u32At(file, 30), 0u); // uncompressed
    EXPECT_EQ(i32At(file, 38), 3780);
    EXPECT_EQ(i32At(file, 42), 3780);
}

struct Rect {
    const char* name;
    std::int32_t x, y, width, height;
};

struct ShapedPicture {
    const char* file;
    std::int32_t width;
    std::int32_t height;
    std::vector<Rect> controls;
    bool hasHole;
};

const std::vector<ShapedPicture> kShapedPictures = {
    {"Earth.gif",
     240,
     200,
     {{"cmdEarth", 168, 51, 52, 33},
      {"cmdRestore", 168, 87, 52, 33},
      {"imgClose", 164, 27, 14, 15}},
     false},
    {"Hole.bmp",
     200,
     170,
     {{"imgClose", 60, 13, 14, 15}, {"imgStop", 98, 53, 21, 22}, {"imgPlay", 13, 54, 25, 24}},
     true},
    {"head.bmp",
     350,
     406,
     {{"Label2", 94, 47, 35, 13},
      {"Label1", 176, 11, 35, 13},
      {"imgClose", 161, 10, 14, 15},
      {"imgSelect", 130, 35, 25, 24}},
     false},
};

Image decodeShaped(const ShapedPicture& picture) {
    const Bytes& file = demoFile(picture.file);
    return std::string(picture.file).ends_with(".gif") ? decodeGifImage(file) : readBmp(file);
}

// Labels the 4-connected components of pixels for which `member` holds; -1 elsewhere.
template <typename Member>
std::vector<int> components(const Image& image, Member member, int& count) {
    const std::int32_t w = image.width();
    const std::int32_t h = image.height();
    std::vector<int> label(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), -1);
    count = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> stack;
    for (std::int32_t sy = 0; sy < h; ++sy) {
        for (std::int32_t sx = 0; sx < w; ++sx) {
            if (!member(sx, sy) || label[static_cast<std::size_t>(sy * w + sx)] >= 0)
                continue;
            stack.assign(1, {sx, sy});
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                if (x < 0 || y < 0 || x >= w || y >= h || !member(x, y))
                    continue;
                int& l = label[static_cast<std::size_t>(y * w + x)];
                if (l >= 0)
                    continue;
                l = count;
                stack.insert(stack.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
            }
            ++count;
        }
    }
    return label;
}

TEST(DemoPicturesTest, EarthIsAnOpaqueGif) {
    const DecodedGif gif = decodeGif(demoFile("Earth.gif"));
    EXPECT_EQ(gif.width, 240);
    EXPECT_EQ(gif.height, 200);
    // A transparent index would let the form's colour replace the top-left pixel.
    EXPECT_FALSE(gif.transparentIndex);
}

TEST(DemoPicturesTest, BitmapsHaveTheirSizesAndFormat) {
    expectDemoBmp(demoFile("Hole.bmp"), 200, 170);
    expectDemoBmp(demoFile("head.bmp"), 350, 406);
    expectDemoBmp(demoFile("close.bmp"), 14, 15);
    expectDemoBmp(demoFile("play.bmp"), 25, 24);
    expectDemoBmp(demoFile("stop.bmp"), 21, 22);
    // 54 bytes of headers and 406 rows of 1052 bytes.
    EXPECT_EQ(demoFile("head.bmp").size(), 427166u);
}

TEST(DemoPicturesTest, BackgroundIsTheTopLeftColourAndMissingFromTheFigure) {
    for (const ShapedPicture& picture : kShapedPictures) {
        SCOPED_TRACE(picture.file);
        const Image image = decodeShaped(picture);
        ASSERT_EQ(image.width(), picture.width);
        ASSERT_EQ(image.height(), picture.height);
        const Color background = image.get(0, 0);
        const auto isBackground = [&](std::int32_t x, std::int32_t y) {
            return image.get(x, y) == background;
        };
        // Background reachable from the border is cut away around the figure; any other
        // background pixel would punch a hole into it.
        int count = 0;
        const std::vector<int> label = components(image, isBackground, count);
        std::vector<bool> touchesBorder(static_cast<std::size_t>(count), false);
        for (std::int32_t y = 0; y < image.height(); ++y) {
            for (std::int32_t x = 0; x < image.width(); ++x) {
                const int l = label[static_cast<std::size_t>(y * image.width() + x)];
                if (l >= 0 &&
                    (x == 0 || y == 0 || x + 1 == image.width() || y + 1 == image.height()))
                    touchesBorder[static_cast<std::size_t>(l)] = true;
            }
        }
        const auto enclosed = std::count(touchesBorder.begin(), touchesBorder.end(), false);
        EXPECT_EQ(enclosed, picture.hasHole ? 1 : 0);
        // The figure is one piece, so the shaped window is too.
        int figureParts = 0;
        components(
            image, [&](auto x, auto y) { return !isBackground(x, y); }, figureParts);
        EXPECT_EQ(figureParts, 1);
    }
}

TEST(DemoPicturesTest, HeadIsOnWhiteToItsFourCorners) {
    const Image head = decodeShaped(kShapedPictures[2]);
    for (const auto& [x, y] :
         std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 0}, {349, 0}, {0, 405}, {349, 405}})
        EXPECT_EQ(head.get(x, y), 0x00FFFFFFu) << x << ',' << y;
}

TEST(DemoPicturesTest, EveryControlLiesOnTheFigure) {
    for (const ShapedPicture& picture : kShapedPictures) {
        const Image image = decodeShaped(picture);
        const Color background = image.get(0, 0);
        for (const Rect& control : picture.controls) {
            SCOPED_TRACE(std::string(picture.file) + " " + control.name);
            int cut = 0;
            for (std::int32_t y = control.y; y < control.y + control.height; ++y) {
                for (std::int32_t x = control.x; x < control.x + control.width; ++x) {
                    const Color c = image.get(x, y);
                    if (c == background || c == core::kInvalidColor)
                        ++cut;
                }
            }
            EXPECT_EQ(cut, 0);
        }
    }
}

TEST(DemoPicturesTest, FiguresLeaveRoomToDragTheForm) {
    for (const ShapedPicture& picture : kShapedPictures) {
        SCOPED_TRACE(picture.file);
        const Image image = decodeShaped(picture);
        const Color background = image.get(0, 0);
        std::int64_t figure = 0;
        std::int64_t free = 0;
        for (std::int32_t y = 0; y < image.height(); ++y) {
            for (std::int32_t x = 0; x < image.width(); ++x) {
                if (image.get(x, y) == background)
                    continue;
                ++figure;
                const bool covered = std::any_of(
                    picture.controls.begin(), picture.controls.end(), [&](const Rect& r) {
                        return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
                    });
                if (!covered)
                    ++free;
            }
        }
        // Most of the picture is figure, and most of the figure is free of controls.
        EXPECT_GT(figure * 2, static_cast<std::int64_t>(image.width()) * image.height());
        EXPECT_GT(free * 4, figure * 3);
    }
}

TEST(DemoPicturesTest, HoleIsAnOpeningInsideThePlate) {
    const Image image = readBmp(demoFile("Hole.bmp"));
    const Color background = image.get(0, 0);
    int count = 0;
    const std::vector<int> label = components(
        image, [&](auto x, auto y) { return image.get(x, y) == background; }, count);
    // The outside is the component of the corner; the hole is the other one.
    const int outside = label[0];
    std::int64_t holePixels = 0;
    std::int32_t left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const int l = label[static_cast<std::size_t>(y * image.width() + x)];
            if (l < 0 || l == outside)
                continue;
            ++holePixels;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    // Big enough to see the desktop through, and open at the centre of its bounds, where the
    // end-to-end test presses through it.
    EXPECT_GT(holePixels, 1000);
    const std::int32_t centreX = (left + right + 1) / 2;
    const std::int32_t centreY = (top + bottom + 1) / 2;
    const int centre = label[static_cast<std::size_t>(centreY * image.width() + centreX)];
    EXPECT_TRUE(centre >= 0 && centre != outside) << centreX << ',' << centreY;
}

TEST(DemoPicturesTest, HandCursorPointsWithItsFingertip) {
    const DecodedCursor cursor = decodeCur(demoFile("hand.cur"));
    ASSERT_EQ(cursor.width, 32);
    ASSERT_EQ(cursor.height, 32);
    EXPECT_EQ(cursor.bitsPerPixel, 4);
    EXPECT_EQ(cursor.entryColours, 16);
    ASSERT_EQ(cursor.hotSpotX, 12);
    ASSERT_EQ(cursor.hotSpotY, 1);
    const auto opaque = [&](std::int32_t x, std::int32_t y) {
        return !cursor.mask[static_cast<std::size_t>(y * 32 + x)];
    };
    // The hot spot is the top of the finger: drawn, with nothing above it.
    EXPECT_TRUE(opaque(12, 1));
    for (std::int32_t x = 0; x < 32; ++x)
        EXPECT_FALSE(opaque(x, 0)) << x;
    // A hand, neither a block nor a speck: the corners let the screen through.
    std::int32_t opaqueCount = 0;
    for (std::int32_t y = 0; y < 32; ++y) {
        for (std::int32_t x = 0; x < 32; ++x)
            opaqueCount += opaque(x, y) ? 1 : 0;
    }
    EXPECT_TRUE(!opaque(0, 0) && !opaque(31, 0) && !opaque(0, 31) && !opaque(31, 31));
    EXPECT_GT(opaqueCount, 200);
}

TEST(DemoPicturesTest, WritesEveryFileIntoTheFolder) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "cutshape_demo_pictures_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    demo_pictures::writeDemoFiles(folder);
    for (const auto& [name, bytes] : demoFiles())
        EXPECT_EQ(readFile(folder / name), bytes) << name;
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace cutshape::testing

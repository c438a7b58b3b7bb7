// What the picture helpers promise and no other test shows. The runtime and control tests
// load the writers' files through the real picture loaders and compare the pixels with the
// images they came from, so a wrong 24-bit bitmap, pixel layout or GIF data fails there;
// nothing there reads an 8-bit bitmap's colours or run-length data, a GIF's transparent index
// other than the first, an icon's mask, or the generators' shapes, which those tests take
// for granted. The files are read here by decoders written from the formats, not by the
// writers' helpers, so a misunderstanding of a format cannot cancel out.

#include "tests/support/picture_files.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace cutshape::test {
namespace {

using core::Color;
using Bytes = std::vector<std::uint8_t>;

constexpr Color kWhite = 0x00FFFFFF;

std::uint32_t u16At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8);
}
std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return u16At(b, at) | u16At(b, at + 2) << 16;
}
Color colorFromBgr(const Bytes& b, std::size_t at) {
    return static_cast<Color>(b.at(at + 2) | b.at(at + 1) << 8 | b.at(at) << 16);
}
[[noreturn]] void fault(const char* what) {
    throw std::runtime_error(what);
}

std::size_t colourCount(const Image& image) {
    return std::set<std::uint32_t>(image.words().begin(), image.words().end()).size();
}

std::vector<Color> manyColours(std::size_t count) {
    std::vector<Color> colours; // distinct: an odd factor is invertible modulo 2^24
    for (std::size_t i = 0; i < count; ++i)
        colours.push_back(static_cast<Color>((i * 0x9E3779u) & 0xFFFFFFu));
    return colours;
}

// ---- 8-bit BMP --------------------------------------------------------------------------

// A BI_RLE8 bitmap read to its colours. Throws on anything the writer must not produce: a
// table not right behind the header, a size field that is not the file's, an index outside
// the table, a pixel outside the bitmap, a delta, a row left short, data after the end.
Image decodeRle8(const Bytes& file) {
    const auto width = static_cast<std::int32_t>(u32At(file, 18));
    const auto height = static_cast<std::int32_t>(u32At(file, 22));
    const std::uint32_t colours = u32At(file, 46);
    std::size_t at = u32At(file, 10);
    if (u32At(file, 2) != file.size() || u16At(file, 28) != 8 || u32At(file, 30) != 1 ||
        at != 54 + 4 * colours || u32At(file, 34) != file.size() - at)
        fault("not a BI_RLE8 bitmap with its table right behind the header");
    Image image(width, height);
    std::int32_t x = 0;
    std::int32_t row = 0; // from the bottom
    const auto put = [&](std::uint8_t index) {
        if (index >= colours)
            fault("an index outside the table");
        image.set(x++, height - 1 - row, colorFromBgr(file, 54 + 4 * std::size_t{index}));
    };
    while (true) {
        const std::uint8_t count = file.at(at++);
        const std::uint8_t value = file.at(at++);
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(value);
        } else if (value >= 3) { // absolute mode, padded to 16 bits
            for (int i = 0; i < value; ++i)
                put(file.at(at++));
            at += value % 2;
        } else if (value == 2 || x != width) {
            fault("a delta, or a row left short");
        } else { // the end of the line, or of the bitmap
            x = 0;
            ++row;
            if (value == 1) {
                if (row != height || at != file.size())
                    fault("the bitmap ends early, or data follows its end");
                return image;
            }
        }
    }
}

// The table holds exactly the picture's colours (a loader test relies on so short a table),
// and the run-length data decodes to the picture and shrinks runs. The uncompressed rows are
// shown by the region test that loads such a file.
TEST(Bmp8Test, RunLengthDataDecodesToThePictureWithOnlyItsColours) {
    const Image images[] = {
        Image(1, 1, 0x00445566),
        makeFigure(97, 61, kWhite, 0x00204060),
        makeTextPage(200, 60),
        makeCheckerboard(31, 9, 1, 0x00123456, 0x00654321), // no runs at all
        makeCheckerboard(40, 9, 2),                         // runs of two
        makeNoise(300, 7, 5, manyColours(256)),
        makeNoise(17, 17, 5, {0x0, 0x0, 0x0, 0xFFFFFF}), // mixed runs and literals
        Image(600, 3, 0x00010203),                       // runs longer than 255
    };
    for (const Image& image : images) {
        SCOPED_TRACE(::testing::Message() << image.width() << 'x' << image.height());
        const Bytes plain = writeBmp8(image);
        EXPECT_EQ(u32At(plain, 30), 0u);
        EXPECT_EQ(u32At(plain, 46), colourCount(image));
        EXPECT_EQ(decodeRle8(writeBmp8(image, Bmp8Compression::Rle8)), image);
    }
    const Image flat(600, 100, kWhite);
    EXPECT_LT(writeBmp8(flat, Bmp8Compression::Rle8).size(), writeBmp8(flat).size() / 20);
}

// ---- GIF --------------------------------------------------------------------------------

// The two-entry table ends at byte 19; the extension, when there is one, follows it.
TEST(GifTest, MarksTheTransparentColourWhereverItIsInTheTable) {
    const Image figure = makeFigure(40, 30, kWhite, 0x000000FF); // white first, then red
    const std::pair<std::optional<Color>, Bytes> cases[] = {
        {kWhite, {0x21, 0xF9, 4, 0x01, 0, 0, 0, 0, 0x2C}},
        {0x000000FF, {0x21, 0xF9, 4, 0x01, 0, 0, 1, 0, 0x2C}},
        {std::nullopt, {0x2C}},
    };
    for (const auto& [transparent, expected] : cases) {
        const Bytes file = writeGif(figure, transparent);
        ASSERT_GT(file.size(), 19 + expected.size());
        EXPECT_EQ(Bytes(file.begin() + 19, file.begin() + 19 + std::ssize(expected)), expected);
    }
}

// ---- ICO --------------------------------------------------------------------------------

// Every pixel as the file stores it: the directory's one entry points at a 24-bit bitmap
// twice the icon's height, colour rows then mask rows, each bottom-up. The mask bit is set
// exactly where the pixel is the transparent colour, and the colour data there is black.
TEST(IcoTest, MaskMarksTheTransparentColourWhoseColourDataIsBlack) {
    const std::pair<std::int32_t, std::optional<Color>> icons[] = {
        {1, kWhite}, {7, kWhite}, {32, kWhite}, {45, kWhite}, {256, kWhite}, {16, std::nullopt}};
    for (const auto& [side, transparent] : icons) {
        SCOPED_TRACE(side);
        const Image icon = makeFigure(side, side, kWhite, 0x00800000);
        const Bytes file = writeIco(icon, transparent);
        ASSERT_EQ(u16At(file, 4), 1u);
        EXPECT_EQ(file.at(6), side % 256); // 256 is stored as 0
        EXPECT_EQ(file.at(7), side % 256);
        const std::size_t header = u32At(file, 18);
        ASSERT_EQ(u32At(file, 14), file.size() - header);
        ASSERT_EQ(u32At(file, header + 4), static_cast<std::uint32_t>(side));
        ASSERT_EQ(u32At(file, header + 8), 2u * static_cast<std::uint32_t>(side));
        ASSERT_EQ(u16At(file, header + 14), 24u);
        const auto rows = static_cast<std::size_t>(side);
        const std::size_t colourStride = (3 * rows + 3) / 4 * 4;
        const std::size_t maskStride = (rows + 31) / 32 * 4;
        const std::size_t colourAt = header + u32At(file, header);
        const std::size_t maskAt = colourAt + colourStride * rows;
        ASSERT_EQ(file.size(), maskAt + maskStride * rows);
        for (std::int32_t y = 0; y < side; ++y) {
            const auto row = static_cast<std::size_t>(side - 1 - y);
            for (std::int32_t x = 0; x < side; ++x) {
                const auto col = static_cast<std::size_t>(x);
                const bool clear = icon.get(x, y) == transparent;
                ASSERT_EQ((file[maskAt + row * maskStride + col / 8] >> (7 - col % 8) & 1) != 0,
                          clear)
                    << x << ',' << y;
                ASSERT_EQ(colorFromBgr(file, colourAt + row * colourStride + 3 * col),
                          clear ? 0u : icon.get(x, y))
                    << x << ',' << y;
            }
        }
    }
}

// ---- generators and Image ---------------------------------------------------------------

// The figure the shaping tests take for granted: two colours, background at the top-left, a
// body of a quarter to three quarters of the picture, isolated pixels, an enclosed hole.
TEST(GeneratorTest, FigureHasABodyAHoleAndIsolatedPixels) {
    constexpr Color kFigure = 0x000000FF;
    const Image image = makeFigure(97, 61, kWhite, kFigure);
    EXPECT_EQ(image.get(0, 0), kWhite);
    // Background reachable from the top-left corner through 4-neighbours.
    std::vector<bool> outside(image.words().size(), false);
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(y * image.width() + x);
    };
    std::vector<std::pair<std::int32_t, std::int32_t>> stack = {{0, 0}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (image.get(x, y) != kWhite || outside[at(x, y)])
            continue;
        outside[at(x, y)] = true;
        stack.insert(stack.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    std::size_t figurePixels = 0, isolated = 0, enclosed = 0;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Color c = image.get(x, y);
            ASSERT_TRUE(c == kWhite || c == kFigure);
            enclosed += c == kWhite && !outside[at(x, y)] ? 1 : 0;
            if (c != kFigure)
                continue;
            ++figurePixels;
            int neighbours = 0; // itself included
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                for (std::int32_t dx = -1; dx <= 1; ++dx)
                    neighbours += image.get(x + dx, y + dy) == kFigure ? 1 : 0;
            }
            isolated += neighbours == 1 ? 1 : 0;
        }
    }
    EXPECT_GT(figurePixels, image.words().size() / 4);
    EXPECT_LT(figurePixels, image.words().size() * 3 / 4);
    EXPECT_GE(isolated, 3u);
    EXPECT_GT(enclosed, 20u);
}

TEST(GeneratorTest, TextPageHasManyShortRunsInLinesWithGaps) {
    const Image page = makeTextPage(320, 200);
    EXPECT_EQ(page.get(0, 0), kWhite);
    std::size_t runs = 0;
    std::size_t inkRows = 0;
    for (std::int32_t y = 0; y < page.height(); ++y) {
        std::size_t rowRuns = 0;
        for (std::int32_t x = 0; x < page.width(); ++x) {
            const Color c = page.get(x, y);
            ASSERT_TRUE(c == kWhite || c == 0u);
            rowRuns += c == 0 && page.get(x - 1, y) != 0 ? 1 : 0;
        }
        runs += rowRuns;
        inkRows += rowRuns > 0 ? 1 : 0;
    }
    EXPECT_GT(inkRows, 100u);      // 7 of every 12 rows carry glyphs
    EXPECT_LT(inkRows, 150u);      // the gaps between lines stay blank
    EXPECT_GT(runs, inkRows * 20); // many marks per line
}

TEST(GeneratorTest, CheckerboardAndNoise) {
    for (const std::int32_t cell : {1, 3}) {
        const Image board = makeCheckerboard(10, 7, cell, 0x000001, 0x000002);
        for (std::int32_t y = 0; y < 7; ++y) {
            for (std::int32_t x = 0; x < 10; ++x)
                EXPECT_EQ(board.get(x, y), (x / cell + y / cell) % 2 == 0 ? 1u : 2u) << cell;
        }
    }
    // Noise is seeded and uses each colour often.
    const std::vector<Color> colours = {0x000001, 0x000002, 0x000003, 0x000004};
    const Image noise = makeNoise(64, 64, 1, colours);
    EXPECT_NE(noise, makeNoise(64, 64, 2, colours));
    std::map<Color, std::size_t> counts;
    for (std::int32_t y = 0; y < 64; ++y) {
        for (std::int32_t x = 0; x < 64; ++x)
            ++counts[noise.get(x, y)];
    }
    ASSERT_EQ(counts.size(), 4u);
    for (const Color colour : colours)
        EXPECT_GT(counts[colour], 64u * 64 / 8) << colour;
}

// Every generator draws any size from none up, the same each time.
TEST(GeneratorTest, DrawEverySizeTheSameEachTime) {
    using Generator = Image (*)(std::int32_t, std::int32_t);
    const Generator generators[] = {
        [](std::int32_t w, std::int32_t h) { return makeFigure(w, h); },
        [](std::int32_t w, std::int32_t h) { return makeTextPage(w, h); },
        [](std::int32_t w, std::int32_t h) { return makeCheckerboard(w, h); },
        [](std::int32_t w, std::int32_t h) {
            return makeNoise(w, h, 7, {0x0, 0xFFFFFF});
        }};
    for (const Generator generate : generators) {
        for (const std::int32_t w : {0, 1, 2, 5, 16, 97}) {
            for (const std::int32_t h : {0, 1, 3, 16, 61}) {
                const Image image = generate(w, h);
                EXPECT_EQ(image.width(), w);
                EXPECT_EQ(image.height(), h);
                EXPECT_EQ(image, generate(w, h));
            }
        }
    }
}

TEST(ImageTest, FillRectClipsToTheImage) {
    Image image(4, 3);
    image.fillRect(-2, 1, 2, 10, 0x00ABCDEF);
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(image.get(x, y), (y >= 1 && x < 2) ? 0x00ABCDEFu : 0u) << x << ',' << y;
    }
}

// What the helpers cannot make is refused, never made wrong.
TEST(PictureHelpersTest, RefuseWhatTheyCannotMake) {
    Image image(2, 2);
    EXPECT_THROW(image.set(2, 0, 0), std::out_of_range);
    EXPECT_THROW(image.set(0, -1, 0), std::out_of_range);
    EXPECT_THROW(image.set(0, 0, 0x80000000u), std::invalid_argument); // no image word
    EXPECT_THROW(Image(-1, 2), std::invalid_argument);
    EXPECT_THROW(Image(1, 1, core::kInvalidColor), std::invalid_argument);
    EXPECT_THROW(makeFigure(-1, 4), std::invalid_argument);
    EXPECT_THROW(makeCheckerboard(4, 4, 0), std::invalid_argument);
    EXPECT_THROW(makeNoise(2, 2, 1, std::vector<Color>{}), std::invalid_argument);
    EXPECT_THROW(writeBmp8(makeNoise(100, 100, 1, manyColours(257))), std::invalid_argument);
    EXPECT_THROW(writeGif(makeNoise(10, 10, 1, manyColours(3))), std::invalid_argument);
    EXPECT_THROW(writeGif(Image(2, 2), 0x00123456), std::invalid_argument); // not in it
    EXPECT_THROW(writeIco(Image(257, 16)), std::invalid_argument);
    const std::filesystem::path missing =
        std::filesystem::temp_directory_path() / "cutshape_no_such_folder" / "x.bmp";
    EXPECT_THROW(writeFile(missing, Bytes{1}), std::runtime_error);
}

} // namespace
} // namespace cutshape::test

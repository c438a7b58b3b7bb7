// The picture writers are checked against decoders written here from the file formats, not
// against the writers' own helpers, so a misunderstanding of a format cannot cancel out.

#include "tests/support/picture_decoders.h"
#include "tests/support/picture_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
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
Color colorFromBgr(const Bytes& b, std::size_t at) {
    return static_cast<Color>(b.at(at + 2)) | static_cast<Color>(b.at(at + 1)) << 8 |
           static_cast<Color>(b.at(at)) << 16;
}

const std::vector<Color> kSixColours = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456};

std::size_t colourCount(const Image& image) {
    return std::set<std::uint32_t>(image.words().begin(), image.words().end()).size();
}

std::vector<Color> manyColours(std::size_t count) {
    std::vector<Color> colours;
    for (std::size_t i = 0; i < count; ++i)
        colours.push_back(static_cast<Color>((i * 0x9E3779u) & 0xFFFFFFu));
    return colours;
}

// ---- Image ------------------------------------------------------------------------------

TEST(ImageTest, StoresColoursAsImageWords) {
    Image image(3, 2, 0x00123456);
    EXPECT_EQ(image.words(), std::vector<std::uint32_t>(6, 0x00563412u));
    image.set(2, 1, 0x000000FF); // red
    EXPECT_EQ(image.words()[5], 0x00FF0000u);
    EXPECT_EQ(image.get(2, 1), 0x000000FFu);
    const core::PixelView view = image.view();
    EXPECT_EQ(view.width, 3);
    EXPECT_EQ(view.height, 2);
    EXPECT_EQ(view.stridePixels, 3);
    EXPECT_EQ(view.colorAt(2, 1), 0x000000FFu);
    EXPECT_EQ(view.colorAt(0, 0), 0x00123456u);
    EXPECT_EQ(image.get(3, 0), core::kInvalidColor);
    EXPECT_EQ(image.get(0, -1), core::kInvalidColor);
}

TEST(ImageTest, RejectsWhatItCannotHold) {
    Image image(2, 2);
    EXPECT_THROW(image.set(2, 0, 0), std::out_of_range);
    EXPECT_THROW(image.set(0, -1, 0), std::out_of_range);
    EXPECT_THROW(image.set(0, 0, 0x80000000u), std::invalid_argument);
    EXPECT_THROW(Image(-1, 2), std::invalid_argument);
    EXPECT_THROW(Image(1, 1, core::kInvalidColor), std::invalid_argument);
}

TEST(ImageTest, FillRectClipsToTheImage) {
    Image image(4, 3);
    image.fillRect(-2, 1, 2, 10, 0x00ABCDEF);
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(image.get(x, y), (y >= 1 && x < 2) ? 0x00ABCDEFu : 0u) << x << ',' << y;
    }
}

// ---- true-colour BMP --------------------------------------------------------------------

TEST(BmpTest, TwentyFourBitLayoutByteByByte) {
    Image image(3, 2);
    image.set(0, 0, 0x00030201); // top row
    image.set(2, 0, 0x00060504);
    image.set(0, 1, 0x00090807); // bottom row
    const Bytes file = writeBmp24(image);
    // 3 pixels * 3 bytes = 9, padded to 12 per row.
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(u32At(file, 2), file.size());
    EXPECT_EQ(u32At(file, 10), 54u);
    EXPECT_EQ(u32At(file, 14), 40u);
    EXPECT_EQ(i32At(file, 18), 3);
    EXPECT_EQ(i32At(file, 22), 2); // positive: bottom-up
    EXPECT_EQ(u16At(file, 26), 1u);
    EXPECT_EQ(u16At(file, 28), 24u);
    EXPECT_EQ(u32At(file, 30), 0u);
    EXPECT_EQ(u32At(file, 34), 24u);
    // The first stored row is the bottom one; pixels are blue, green, red.
    const Bytes bottom(file.begin() + 54, file.begin() + 66);
    EXPECT_EQ(bottom, (Bytes{0x09, 0x08, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const Bytes top(file.begin() + 66, file.end());
    EXPECT_EQ(top, (Bytes{0x03, 0x02, 0x01, 0, 0, 0, 0x06, 0x05, 0x04, 0, 0, 0}));
}

TEST(BmpTest, PadsEveryRowToFourBytes) {
    for (std::int32_t width = 1; width <= 9; ++width) {
        const Image image = makeNoise(width, 2, static_cast<std::uint64_t>(width), kSixColours);
        const Bytes file = writeBmp24(image);
        const auto stride = static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
        ASSERT_EQ(file.size(), 54u + 2 * stride) << width;
        for (std::int32_t x = 0; x < width; ++x) {
            const auto at = 54 + 3 * static_cast<std::size_t>(x);
            EXPECT_EQ(colorFromBgr(file, at), image.get(x, 1)) << width;
            EXPECT_EQ(colorFromBgr(file, at + stride), image.get(x, 0)) << width;
        }
    }
}

// ---- 8-bit BMP --------------------------------------------------------------------------

// Decodes an 8-bit bottom-up BMP, uncompressed or BI_RLE8, to palette colours.
Image decodeBmp8(const Bytes& file) {
    const std::int32_t width = i32At(file, 18);
    const std::int32_t height = i32At(file, 22);
    EXPECT_EQ(u16At(file, 28), 8u);
    std::uint32_t paletteSize = u32At(file, 46);
    if (paletteSize == 0)
        paletteSize = 256;
    std::vector<Color> palette;
    for (std::uint32_t i = 0; i < paletteSize; ++i)
        palette.push_back(colorFromBgr(file, 54 + 4 * i));
    const std::size_t offset = u32At(file, 10);
    EXPECT_EQ(offset, 54 + 4 * paletteSize);
    Image image(width, height);
    const auto put = [&](std::int32_t x, std::int32_t row, std::uint8_t index) {
        if (x >= width || row >= height || index >= palette.size())
            throw std::runtime_error("pixel outside the bitmap or index outside the palette");
        image.set(x, height - 1 - row, palette[index]);
    };
    if (u32At(file, 30) == 0) {
        const std::size_t stride = static_cast<std::size_t>((width + 3) / 4 * 4);
        EXPECT_EQ(file.size(), offset + stride * static_cast<std::size_t>(height));
        for (std::int32_t row = 0; row < height; ++row) {
            for (std::int32_t x = 0; x < width; ++x)
                put(x, row,
                    file.at(offset + static_cast<std::size_t>(row) * stride +
                            static_cast<std::size_t>(x)));
        }
        return image;
    }
    EXPECT_EQ(u32At(file, 30), 1u);
    EXPECT_EQ(u32At(file, 34), file.size() - offset);
    std::size_t at = offset;
    std::int32_t x = 0;
    std::int32_t row = 0;
    while (true) {
        const std::uint8_t count = file.at(at++);
        const std::uint8_t value = file.at(at++);
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(x++, row, value);
        } else if (value == 0) { // end of line
            x = 0;
            ++row;
        } else if (value == 1) { // end of bitmap
            EXPECT_EQ(at, file.size());
            break;
        } else if (value == 2) {
            x += file.at(at++);
            row += file.at(at++);
        } else {
            for (int i = 0; i < value; ++i)
                put(x++, row, file.at(at++));
            at += value % 2;
        }
    }
    return image;
}

TEST(Bmp8Test, UncompressedDecodesToTheImage) {
    for (const std::int32_t width : {1, 2, 3, 4, 5, 13}) {
        const Image image = makeNoise(width, 6, 99, kSixColours);
        const Bytes file = writeBmp8(image);
        EXPECT_EQ(u32At(file, 46), colourCount(image));
        EXPECT_EQ(decodeBmp8(file), image) << width;
    }
}

TEST(Bmp8Test, RunLengthEncodingDecodesToTheImage) {
    const std::vector<Image> images = {
        Image(1, 1, 0x00445566),
        makeFigure(97, 61),
        makeTextPage(200, 60),
        makeCheckerboard(31, 9, 1),
        makeCheckerboard(40, 9, 2),
        makeNoise(300, 7, 5, manyColours(256)),
        makeNoise(17, 17, 5, {0x0, 0x0, 0x0, 0xFFFFFF}), // mixed runs and literals
        Image(600, 3, 0x00010203),                       // runs longer than 255
    };
    for (const Image& image : images) {
        const Bytes file = writeBmp8(image, Bmp8Compression::Rle8);
        EXPECT_EQ(decodeBmp8(file), image) << image.width() << 'x' << image.height();
    }
}

TEST(Bmp8Test, RunLengthEncodingCompressesRuns) {
    const Image flat(600, 100, 0x00FFFFFF);
    EXPECT_LT(writeBmp8(flat, Bmp8Compression::Rle8).size(), writeBmp8(flat).size() / 20);
}

// ---- GIF --------------------------------------------------------------------------------

// The GIF's pixels as the colours of its palette.
Image gifImage(const DecodedGif& gif) {
    Image image(gif.width, gif.height);
    for (std::int32_t y = 0; y < gif.height; ++y) {
        for (std::int32_t x = 0; x < gif.width; ++x)
            image.set(x, y,
                      gif.palette.at(gif.indices.at(static_cast<std::size_t>(y * gif.width + x))));
    }
    return image;
}

void expectGifRoundTrip(const Image& image) {
    DecodedGif gif;
    ASSERT_NO_THROW(gif = decodeGif(writeGif(image))) << image.width() << 'x' << image.height();
    EXPECT_EQ(gifImage(gif), image);
    EXPECT_LT(gif.palette.size(), std::max<std::size_t>(4, 2 * colourCount(image)));
    EXPECT_FALSE(gif.transparentIndex);
}

TEST(GifTest, DecodesToTheSameIndices) {
    expectGifRoundTrip(Image(1, 1, 0x00ABCDEF));
    expectGifRoundTrip(makeFigure(97, 61));
    expectGifRoundTrip(makeTextPage(160, 90));
    expectGifRoundTrip(makeCheckerboard(33, 17, 1));
    for (const std::size_t colours : {3u, 5u, 17u, 129u})
        expectGifRoundTrip(makeNoise(50, 30, colours, manyColours(colours)));
    EXPECT_NO_THROW(writeGif(makeNoise(40, 40, 1, manyColours(256))));
    EXPECT_THROW(writeGif(makeNoise(40, 40, 1, manyColours(257))), std::invalid_argument);
}

TEST(GifTest, CodeWidthGrowsToTwelveBitsAndTheTableIsCleared) {
    const Image noise = makeNoise(300, 200, 77, manyColours(256));
    expectGifRoundTrip(noise);
    const DecodedGif gif = decodeGif(writeGif(noise));
    EXPECT_EQ(gif.maxCodeSize, 12);
    EXPECT_GT(gif.clearCodes, 5);

    // Two colours start at 3-bit codes and pass every width on the way up.
    const Image binary = makeNoise(400, 300, 78, {0x000000, 0xFFFFFF});
    expectGifRoundTrip(binary);
    EXPECT_EQ(decodeGif(writeGif(binary)).maxCodeSize, 12);
}

TEST(GifTest, EndCodeWidthAfterEveryTableSize) {
    // Ending the data after each possible number of table entries covers the case where the
    // decoder's last entry widens the end code.
    const Image noise = makeNoise(64, 64, 3, {0x000000, 0xFFFFFF, 0x0000FF});
    for (std::int32_t pixels = 1; pixels <= 700; ++pixels) {
        Image strip(pixels, 1);
        for (std::int32_t x = 0; x < pixels; ++x)
            strip.set(x, 0, noise.get(x % 64, x / 64));
        const DecodedGif gif = decodeGif(writeGif(strip));
        ASSERT_EQ(gifImage(gif), strip) << pixels;
    }
}

TEST(GifTest, CompressesRuns) {
    const Image flat(200, 200, 0x00FFFFFF);
    const Bytes file = writeGif(flat);
    EXPECT_LT(file.size(), 1000u);
    expectGifRoundTrip(flat);
}

TEST(GifTest, MarksTheTransparentColour) {
    const Image figure = makeFigure(40, 30, 0x00FFFFFF, 0x000000FF);
    const DecodedGif gif = decodeGif(writeGif(figure, Color{0x00FFFFFF}));
    ASSERT_TRUE(gif.transparentIndex);
    EXPECT_EQ(gif.palette[*gif.transparentIndex], 0x00FFFFFFu);
    EXPECT_EQ(gifImage(gif), figure);

    const DecodedGif other = decodeGif(writeGif(figure, Color{0x000000FF}));
    ASSERT_TRUE(other.transparentIndex);
    EXPECT_EQ(other.palette[*other.transparentIndex], 0x000000FFu);

    EXPECT_FALSE(decodeGif(writeGif(figure, Color{0x00123456})).transparentIndex);
}

// ---- ICO --------------------------------------------------------------------------------

TEST(IcoTest, HeaderFields) {
    const Image icon = makeFigure(32, 32, 0x00FFFFFF, 0x00008000);
    const Bytes file = writeIco(icon, Color{0x00FFFFFF});
    const std::size_t xorSize = 32 * 32 * 3;
    const std::size_t andSize = 32 * 4;
    ASSERT_EQ(file.size(), 6u + 16 + 40 + xorSize + andSize);
    EXPECT_EQ(u16At(file, 0), 0u);  // reserved
    EXPECT_EQ(u16At(file, 2), 1u);  // icon
    EXPECT_EQ(u16At(file, 4), 1u);  // one image
    EXPECT_EQ(file[6], 32);         // width
    EXPECT_EQ(file[7], 32);         // height
    EXPECT_EQ(file[8], 0);          // no palette
    EXPECT_EQ(u16At(file, 10), 1u); // planes
    EXPECT_EQ(u16At(file, 12), 24u);
    EXPECT_EQ(u32At(file, 14), file.size() - 22);
    EXPECT_EQ(u32At(file, 18), 22u);
    EXPECT_EQ(u32At(file, 22), 40u);
    EXPECT_EQ(i32At(file, 26), 32);
    EXPECT_EQ(i32At(file, 30), 64); // colour rows plus mask rows
    EXPECT_EQ(u16At(file, 34), 1u);
    EXPECT_EQ(u16At(file, 36), 24u);
    EXPECT_EQ(u32At(file, 38), 0u);
    EXPECT_EQ(u32At(file, 42), xorSize + andSize);
}

TEST(IcoTest, MaskBitsMarkTheTransparentColour) {
    for (const std::int32_t side : {1, 7, 32, 45, 256}) {
        const Image icon = makeFigure(side, side, 0x00FFFFFF, 0x00800000);
        const Bytes file = writeIco(icon, Color{0x00FFFFFF});
        EXPECT_EQ(file[6], side % 256);
        const std::size_t colourStride = static_cast<std::size_t>((side * 3 + 3) / 4 * 4);
        const std::size_t maskStride = static_cast<std::size_t>((side + 31) / 32 * 4);
        const std::size_t colourAt = 22 + 40;
        const std::size_t maskAt = colourAt + colourStride * static_cast<std::size_t>(side);
        ASSERT_EQ(file.size(), maskAt + maskStride * static_cast<std::size_t>(side));
        for (std::int32_t y = 0; y < side; ++y) {
            const auto row = static_cast<std::size_t>(side - 1 - y);
            for (std::int32_t x = 0; x < side; ++x) {
                const auto col = static_cast<std::size_t>(x);
                const bool transparent = icon.get(x, y) == 0x00FFFFFFu;
                const bool maskBit =
                    ((file[maskAt + row * maskStride + col / 8] >> (7 - col % 8)) & 1) != 0;
                ASSERT_EQ(maskBit, transparent) << side << ": " << x << ',' << y;
                const Color colour = colorFromBgr(file, colourAt + row * colourStride + 3 * col);
                ASSERT_EQ(colour, transparent ? 0u : icon.get(x, y)) << x << ',' << y;
            }
        }
    }
}

TEST(IcoTest, NoTransparentColourLeavesTheMaskClear) {
    const Image icon = makeFigure(16, 16);
    const Bytes file = writeIco(icon);
    const std::size_t maskAt = 22 + 40 + 16 * 16 * 3;
    EXPECT_TRUE(std::all_of(file.begin() + static_cast<std::ptrdiff_t>(maskAt), file.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_THROW(writeIco(Image(257, 16)), std::invalid_argument);
}

// ---- generators -------------------------------------------------------------------------

// Background pixels reachable from the top-left corner through 4-neighbours.
std::vector<bool> outsideOfFigure(const Image& image, Color background) {
    const auto w = static_cast<std::size_t>(image.width());
    std::vector<bool> seen(image.words().size(), false);
    std::vector<std::pair<std::int32_t, std::int32_t>> stack = {{0, 0}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (image.get(x, y) != background)
            continue;
        const std::size_t i = static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x);
        if (seen[i])
            continue;
        seen[i] = true;
        stack.insert(stack.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    return seen;
}

TEST(GeneratorTest, FigureHasABodyAHoleAndIsolatedPixels) {
    constexpr Color kBackground = 0x00FFFFFF;
    constexpr Color kFigure = 0x000000FF;
    const Image image = makeFigure(97, 61, kBackground, kFigure);
    EXPECT_EQ(image, makeFigure(97, 61, kBackground, kFigure));
    EXPECT_EQ(image.get(0, 0), kBackground);

    std::size_t figurePixels = 0;
    std::size_t isolated = 0;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Color c = image.get(x, y);
            ASSERT_TRUE(c == kBackground || c == kFigure);
            if (c != kFigure)
                continue;
            ++figurePixels;
            bool alone = true;
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                for (std::int32_t dx = -1; dx <= 1; ++dx) {
                    if ((dx != 0 || dy != 0) && image.get(x + dx, y + dy) == kFigure)
                        alone = false;
                }
            }
            isolated += alone ? 1 : 0;
        }
    }
    const std::size_t total = image.words().size();
    EXPECT_GT(figurePixels, total / 4);
    EXPECT_LT(figurePixels, total * 3 / 4);
    EXPECT_GE(isolated, 3u);

    // Some background is enclosed by the figure.
    const std::vector<bool> outside = outsideOfFigure(image, kBackground);
    std::size_t enclosed = 0;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const std::size_t i = static_cast<std::size_t>(y * image.width() + x);
            enclosed += (image.get(x, y) == kBackground && !outside[i]) ? 1 : 0;
        }
    }
    EXPECT_GT(enclosed, 20u);
}

TEST(GeneratorTest, GeneratorsHandleTinyAndEmptySizes) {
    for (const std::int32_t w : {0, 1, 2, 5, 16}) {
        for (const std::int32_t h : {0, 1, 3, 16}) {
            EXPECT_EQ(makeFigure(w, h).words().size(), static_cast<std::size_t>(w * h));
            EXPECT_EQ(makeTextPage(w, h).words().size(), static_cast<std::size_t>(w * h));
            EXPECT_EQ(makeCheckerboard(w, h).words().size(), static_cast<std::size_t>(w * h));
        }
    }
    EXPECT_THROW(makeFigure(-1, 4), std::invalid_argument);
}

TEST(GeneratorTest, TextPageHasManyShortRuns) {
    const Image page = makeTextPage(320, 200);
    EXPECT_EQ(page, makeTextPage(320, 200));
    EXPECT_EQ(page.get(0, 0), 0x00FFFFFFu);
    std::size_t runs = 0;
    std::size_t inkRows = 0;
    for (std::int32_t y = 0; y < page.height(); ++y) {
        std::size_t rowRuns = 0;
        for (std::int32_t x = 0; x < page.width(); ++x) {
            const Color c = page.get(x, y);
            ASSERT_TRUE(c == 0x00FFFFFFu || c == 0u);
            if (c == 0 && page.get(x - 1, y) != 0)
                ++rowRuns;
        }
        runs += rowRuns;
        inkRows += rowRuns > 0 ? 1 : 0;
    }
    EXPECT_GT(inkRows, 100u);      // 7 of every 12 rows carry glyphs
    EXPECT_LT(inkRows, 150u);      // the gaps between lines stay blank
    EXPECT_GT(runs, inkRows * 20); // many marks per line
}

TEST(GeneratorTest, CheckerboardAlternates) {
    const Image board = makeCheckerboard(7, 5, 1, 0x000001, 0x000002);
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(board.get(x, y), (x + y) % 2 == 0 ? 1u : 2u);
    }
    const Image cells = makeCheckerboard(9, 9, 3, 0x000001, 0x000002);
    EXPECT_EQ(cells.get(2, 2), 1u);
    EXPECT_EQ(cells.get(3, 2), 2u);
    EXPECT_EQ(cells.get(3, 3), 1u);
    EXPECT_EQ(cells.get(8, 0), 1u);
    EXPECT_THROW(makeCheckerboard(4, 4, 0), std::invalid_argument);
}

TEST(GeneratorTest, NoiseIsSeededAndUsesEveryColour) {
    const std::vector<Color> colours = {0x000001, 0x000002, 0x000003, 0x000004};
    const Image a = makeNoise(64, 64, 1, colours);
    EXPECT_EQ(a, makeNoise(64, 64, 1, colours));
    EXPECT_NE(a, makeNoise(64, 64, 2, colours));
    std::map<Color, std::size_t> counts;
    for (std::int32_t y = 0; y < 64; ++y) {
        for (std::int32_t x = 0; x < 64; ++x)
            ++counts[a.get(x, y)];
    }
    ASSERT_EQ(counts.size(), 4u);
    for (const auto& [colour, count] : counts) {
        EXPECT_TRUE(std::find(colours.begin(), colours.end(), colour) != colours.end());
        EXPECT_GT(count, 64u * 64 / 8) << colour;
    }
    EXPECT_THROW(makeNoise(2, 2, 1, std::vector<Color>{}), std::invalid_argument);
}

// ---- files ------------------------------------------------------------------------------

TEST(FileTest, WritesAndReadsBytes) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "cutshape_picture_files_test";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / "figure.bmp";
    const Bytes bytes = writeBmp24(makeFigure(23, 11));
    writeFile(path, bytes);
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());
    EXPECT_EQ(readFile(path), bytes);
    std::filesystem::remove_all(dir);
    EXPECT_THROW(readFile(path), std::runtime_error);
    EXPECT_THROW(writeFile(dir / "missing" / "x.bmp", bytes), std::runtime_error);
}

} // namespace
} // namespace cutshape::testing

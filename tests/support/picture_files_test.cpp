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

TEST(IndexImageTest, PaletteInOrderOfFirstAppearance) {
    Image image(3, 2, 0x00000005);
    image.set(1, 0, 0x00000007);
    image.set(0, 1, 0x00000003);
    const IndexedImage indexed = indexImage(image);
    EXPECT_EQ(indexed.palette, (std::vector<Color>{5, 7, 3}));
    EXPECT_EQ(indexed.indices, (std::vector<std::uint8_t>{0, 1, 0, 2, 0, 0}));
    EXPECT_NO_THROW(indexImage(makeNoise(40, 40, 1, manyColours(256))));
    EXPECT_THROW(indexImage(makeNoise(40, 40, 1, manyColours(257))), std::invalid_argument);
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

TEST(BmpTest, TopDownStoresTheTopRowFirst) {
    Image image(1, 2);
    image.set(0, 0, 0x00112233);
    const Bytes file = writeBmp32(image, RowOrder::TopDown);
    ASSERT_EQ(file.size(), 54u + 2 * 4);
    EXPECT_EQ(i32At(file, 22), -2);
    EXPECT_EQ(u16At(file, 28), 32u);
    EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{0x11, 0x22, 0x33, 0, 0, 0, 0, 0}));
}

TEST(BmpTest, RoundTripsEveryRowPadding) {
    for (std::int32_t width = 1; width <= 9; ++width) {
        for (const std::int32_t height : {1, 2, 7}) {
            const Image image = makeNoise(
                width, height, static_cast<std::uint64_t>(width * 31 + height), kSixColours);
            for (const RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
                const Bytes file24 = writeBmp24(image, order);
                EXPECT_EQ(file24.size(),
                          54u + static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * height));
                EXPECT_EQ(readBmp(file24), image) << width << 'x' << height;
                const Bytes file32 = writeBmp32(image, order);
                EXPECT_EQ(file32.size(), 54u + static_cast<std::size_t>(width * 4 * height));
                EXPECT_EQ(readBmp(file32), image) << width << 'x' << height;
            }
        }
    }
}

TEST(BmpTest, ReadsWithoutTheLastRowsPadding) {
    const Image image = makeNoise(5, 3, 3, kSixColours);
    Bytes file = writeBmp24(image);
    file.resize(file.size() - 1); // 15 bytes of pixels, 1 byte of padding
    EXPECT_EQ(readBmp(file), image);
}

// A 32-bit top-down file with a 124-byte header, the 8-8-8 bit fields and the alpha byte
// set, put together by hand.
TEST(BmpTest, ReadsBitFieldsWithALargerHeader) {
    Bytes file(14 + 124, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(10, 14 + 124);
    put32(14, 124);
    put32(18, 2);
    put32(22, static_cast<std::uint32_t>(-1));
    file[26] = 1;
    file[28] = 32;
    put32(30, 3);
    put32(54, 0x00FF0000);
    put32(58, 0x0000FF00);
    put32(62, 0x000000FF);
    put32(66, 0xFF000000);
    for (const int b : {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80})
        file.push_back(static_cast<std::uint8_t>(b));
    put32(2, static_cast<std::uint32_t>(file.size()));
    const Image image = readBmp(file);
    ASSERT_EQ(image.width(), 2);
    ASSERT_EQ(image.height(), 1);
    EXPECT_EQ(image.get(0, 0), 0x00102030u);
    EXPECT_EQ(image.get(1, 0), 0x00405060u);
    EXPECT_EQ(image.words()[0], 0x00302010u); // the alpha byte is dropped

    put32(58, 0x000000FF); // green and blue masks swapped
    put32(62, 0x0000FF00);
    EXPECT_THROW(readBmp(file), std::runtime_error);
}

std::string readError(const Bytes& file) {
    try {
        readBmp(file);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST(BmpTest, RejectsEveryTruncation) {
    const Bytes file = writeBmp24(makeFigure(7, 5));
    const std::size_t padding = 3; // 21 bytes of pixels per row, padded to 24
    for (std::size_t size = 0; size + padding < file.size(); ++size) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NE(readError(cut), "") << "truncated to " << size << " bytes";
    }
}

TEST(BmpTest, RejectsWhatItDoesNotRead) {
    const Bytes good = writeBmp24(makeFigure(6, 4));
    ASSERT_EQ(readError(good), "");
    const auto patched = [&](std::size_t at, std::uint8_t value) {
        Bytes file = good;
        file[at] = value;
        return file;
    };
    EXPECT_NE(readError(patched(0, 'X')).find("BM"), std::string::npos);
    EXPECT_NE(readError(patched(14, 12)).find("header"), std::string::npos); // core header
    EXPECT_NE(readError(patched(26, 0)).find("planes"), std::string::npos);
    EXPECT_NE(readError(patched(28, 16)).find("bits per pixel"), std::string::npos);
    EXPECT_NE(readError(patched(30, 4)).find("compression"), std::string::npos);
    EXPECT_NE(readError(patched(18, 0)).find("width"), std::string::npos);
    EXPECT_NE(readError(patched(22, 0)).find("height"), std::string::npos);
    EXPECT_NE(readError(patched(10, 20)).find("offset"), std::string::npos);
    Bytes huge = good;
    huge[21] = 0x7F; // width near 2^31
    EXPECT_NE(readError(huge).find("truncated"), std::string::npos);

    const Bytes paletted = writeBmp8(makeFigure(6, 4));
    EXPECT_NE(readError(paletted).find("8 bits per pixel"), std::string::npos);
    const Bytes rle = writeBmp8(makeFigure(6, 4), Bmp8Compression::Rle8);
    EXPECT_NE(readError(rle), "");
}

TEST(BmpTest, RejectsGarbage) {
    std::uint64_t state = 12345;
    for (int attempt = 0; attempt < 200; ++attempt) {
        Bytes garbage(static_cast<std::size_t>(attempt % 90));
        for (std::uint8_t& b : garbage) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            b = static_cast<std::uint8_t>(state >> 56);
        }
        if (garbage.size() >= 2 && attempt % 2 == 0) {
            garbage[0] = 'B';
            garbage[1] = 'M';
        }
        EXPECT_NE(readError(garbage), "") << "attempt " << attempt;
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
        EXPECT_EQ(u32At(file, 46), indexImage(image).palette.size());
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

void expectGifRoundTrip(const Image& image) {
    const IndexedImage indexed = indexImage(image);
    const Bytes file = writeGif(image);
    DecodedGif gif;
    ASSERT_NO_THROW(gif = decodeGif(file)) << image.width() << 'x' << image.height();
    EXPECT_EQ(gif.width, image.width());
    EXPECT_EQ(gif.height, image.height());
    ASSERT_GE(gif.palette.size(), indexed.palette.size());
    EXPECT_LT(gif.palette.size(), std::max<std::size_t>(4, 2 * indexed.palette.size()));
    EXPECT_TRUE(std::equal(indexed.palette.begin(), indexed.palette.end(), gif.palette.begin()));
    EXPECT_EQ(gif.indices, indexed.indices);
    EXPECT_FALSE(gif.transparentIndex);
}

TEST(GifTest, DecodesToTheSameIndices) {
    expectGifRoundTrip(Image(1, 1, 0x00ABCDEF));
    expectGifRoundTrip(makeFigure(97, 61));
    expectGifRoundTrip(makeTextPage(160, 90));
    expectGifRoundTrip(makeCheckerboard(33, 17, 1));
    for (const std::size_t colours : {3u, 5u, 17u, 129u})
        expectGifRoundTrip(makeNoise(50, 30, colours, manyColours(colours)));
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
        ASSERT_EQ(gif.indices, indexImage(strip).indices) << pixels;
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
    const IndexedImage indexed = indexImage(figure);
    const DecodedGif gif = decodeGif(writeGif(figure, Color{0x00FFFFFF}));
    ASSERT_TRUE(gif.transparentIndex);
    EXPECT_EQ(gif.palette[*gif.transparentIndex], 0x00FFFFFFu);
    EXPECT_EQ(gif.indices, indexed.indices);

    const DecodedGif other = decodeGif(writeGif(figure, Color{0x000000FF}));
    ASSERT_TRUE(other.transparentIndex);
    EXPECT_EQ(other.palette[*other.transparentIndex], 0x000000FFu);

    EXPECT_FALSE(decodeGif(writeGif(figure, Color{0x00123456})).transparentIndex);
    EXPECT_THROW(writeGif(indexed, std::uint8_t{2}), std::invalid_argument);
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

// ---- CUR --------------------------------------------------------------------------------

// The decoder checks the directory against the bitmap, the header and the row layout.
TEST(CurTest, DecodesToTheImageWithTheMaskWhereTransparent) {
    for (const std::int32_t side : {1, 7, 32, 45}) {
        const Image image =
            makeNoise(side, side, 7,
                      {0x00FFFFFF, 0x000000FF, 0x00FF0000, 0x00C0C0C0, 0x00000000, 0x00808000});
        const Bytes file = writeCur(image, side / 2, side - 1, Color{0x00FFFFFF});
        const DecodedCursor cursor = decodeCur(file);
        ASSERT_EQ(cursor.width, side);
        ASSERT_EQ(cursor.height, side);
        EXPECT_EQ(cursor.hotSpotX, side / 2);
        EXPECT_EQ(cursor.hotSpotY, side - 1);
        EXPECT_EQ(cursor.bitsPerPixel, 4);
        EXPECT_EQ(cursor.entryColours, 16);
        // The bitmap's image size counts the colour and the mask rows, not the palette.
        EXPECT_EQ(u32At(file, 22 + 20), file.size() - 22 - 40 - 16 * 4);
        ASSERT_EQ(cursor.palette.size(), 16u);
        for (std::int32_t y = 0; y < side; ++y) {
            for (std::int32_t x = 0; x < side; ++x) {
                const auto i = static_cast<std::size_t>(y * side + x);
                const bool transparent = image.get(x, y) == 0x00FFFFFFu;
                ASSERT_EQ(cursor.mask[i], transparent) << side << ": " << x << ',' << y;
                ASSERT_EQ(cursor.palette[cursor.indices[i]], transparent ? 0u : image.get(x, y))
                    << side << ": " << x << ',' << y;
            }
        }
    }
}

TEST(CurTest, RejectsWhatItCannotStore) {
    EXPECT_THROW(writeCur(makeNoise(8, 8, 1, manyColours(17)), 0, 0), std::invalid_argument);
    EXPECT_THROW(writeCur(Image(8, 8), 8, 0), std::invalid_argument);
    EXPECT_THROW(writeCur(Image(8, 8), 0, -1), std::invalid_argument);
    EXPECT_THROW(writeCur(Image(257, 8), 0, 0), std::invalid_argument);
    // Sixteen opaque colours fit; a seventeenth, transparent, colour needs black in the
    // palette, which leaves no room. (manyColours starts with black: skip it.)
    const std::vector<Color> colours = manyColours(18);
    const std::vector<Color> sixteen(colours.begin() + 1, colours.begin() + 17);
    EXPECT_NO_THROW(writeCur(makeNoise(16, 16, 3, sixteen), 0, 0));
    const std::vector<Color> seventeen(colours.begin() + 1, colours.end());
    const Image image = makeNoise(16, 16, 3, seventeen);
    EXPECT_THROW(writeCur(image, 0, 0, seventeen.back()), std::invalid_argument);
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

#include "tools/pictures/picture_writer.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace cutshape::pictures {

namespace {

using core::Color;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint8_t lowByte(std::uint32_t value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}
std::uint8_t red(Color c) {
    return lowByte(c);
}
std::uint8_t green(Color c) {
    return lowByte(c >> 8);
}
std::uint8_t blue(Color c) {
    return lowByte(c >> 16);
}

// Little-endian byte sink, the byte order of every format written here.
class ByteWriter {
public:
    void u8(std::uint32_t v) { bytes_.push_back(lowByte(v)); }
    void u16(std::uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v);
        u16(v >> 16);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void append(std::span<const std::uint8_t> data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    std::size_t size() const { return bytes_.size(); }
    void patchU32(std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes_[at + i] = lowByte(v >> (8 * i));
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

[[noreturn]] void failRead(const std::string& why) {
    throw std::runtime_error("readBmp: " + why);
}

void requirePictureSize(std::int32_t width, std::int32_t height, const char* what) {
    if (width < 1 || height < 1)
        throw std::invalid_argument(std::string(what) + ": the picture must be at least 1 x 1");
}

// Bytes per row of a bitmap, padded to a multiple of 4 as every BMP row is.
std::uint32_t bmpStride(std::int32_t width, std::uint32_t bitsPerPixel) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 *
                                      4);
}

// BITMAPFILEHEADER with the size and pixel offset patched in by finishBmp.
void beginBmp(ByteWriter& out) {
    out.u8('B');
    out.u8('M');
    out.u32(0); // file size
    out.u32(0); // two reserved words
    out.u32(0); // pixel data offset
}

void finishBmp(ByteWriter& out, std::size_t pixelOffset) {
    out.patchU32(2, static_cast<std::uint32_t>(out.size()));
    out.patchU32(10, static_cast<std::uint32_t>(pixelOffset));
}

void infoHeader(ByteWriter& out, std::int32_t width, std::int32_t height,
                std::uint32_t bitsPerPixel, std::uint32_t compression, std::uint32_t imageSize,
                std::uint32_t coloursUsed, std::int32_t pixelsPerMetre = kPixelsPerMetre72Dpi) {
    out.u32(kInfoHeaderSize);
    out.i32(width);
    out.i32(height);
    out.u16(1); // planes
    out.u16(bitsPerPixel);
    out.u32(compression);
    out.u32(imageSize);
    out.i32(pixelsPerMetre);
    out.i32(pixelsPerMetre);
    out.u32(coloursUsed);
    out.u32(0); // all colours important
}

std::vector<std::uint8_t> writeTrueColourBmp(const Image& image, RowOrder order,
                                             std::uint32_t bitsPerPixel,
                                             std::int32_t pixelsPerMetre) {
    requirePictureSize(image.width(), image.height(), "BMP writer");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    const std::uint32_t stride = bmpStride(width, bitsPerPixel);
    const std::uint32_t bytesPerPixel = bitsPerPixel / 8;

    ByteWriter out;
    beginBmp(out);
    infoHeader(out, width, order == RowOrder::TopDown ? -height : height, bitsPerPixel, kBiRgb,
               stride * static_cast<std::uint32_t>(height), 0, pixelsPerMetre);
    const std::size_t pixelOffset = out.size();
    for (std::int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::int32_t y = order == RowOrder::TopDown ? fileRow : height - 1 - fileRow;
        for (std::int32_t x = 0; x < width; ++x) {
            const Color c = image.get(x, y);
            out.u8(blue(c));
            out.u8(green(c));
            out.u8(red(c));
            if (bytesPerPixel == 4)
                out.u8(0);
        }
        out.zeros(stride - static_cast<std::uint32_t>(width) * bytesPerPixel);
    }
    finishBmp(out, pixelOffset);
    return out.take();
}

void requireIndexed(const IndexedImage& image, const char* what) {
    requirePictureSize(image.width, image.height, what);
    if (image.palette.empty() || image.palette.size() > 256)
        throw std::invalid_argument(std::string(what) + ": the palette needs 1 to 256 colours");
    if (image.indices.size() !=
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        throw std::invalid_argument(std::string(what) + ": one index per pixel is needed");
    for (const std::uint8_t index : image.indices) {
        if (index >= image.palette.size())
            throw std::invalid_argument(std::string(what) + ": index beyond the palette");
    }
    for (const Color c : image.palette) {
        if ((c & 0xFF000000u) != 0)
            throw std::invalid_argument(std::string(what) + ": palette colour with a top byte");
    }
}

// One row in BI_RLE8 form: repeats as (count, index) pairs, stretches of at least three
// differing pixels in absolute mode (padded to a 16-bit boundary), shorter ones as pairs.
void encodeRle8Row(ByteWriter& out, std::span<const std::uint8_t> row) {
    const std::size_t width = row.size();
    std::size_t i = 0;
    while (i < width) {
        std::size_t run = 1;
        while (i + run < width && run < 255 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out.u8(static_cast<std::uint32_t>(run));
            out.u8(row[i]);
            i += run;
            continue;
        }
        // Literal stretch: up to the pixel that starts a repeat.
        std::size_t end = i + 1;
        while (end < width && end - i < 255 && !(end + 1 < width && row[end + 1] == row[end]))
            ++end;
        const std::size_t count = end - i;
        if (count >= 3) {
            out.u8(0);
            out.u8(static_cast<std::uint32_t>(count));
            out.append(row.subspan(i, count));
            if (count % 2 != 0)
                out.u8(0);
        } else {
            for (std::size_t k = i; k < end; ++k) {
                out.u8(1);
                out.u8(row[k]);
            }
        }
        i = end;
    }
}

// Packs variable-width codes least significant bit first, as GIF wants them.
class BitPacker {
public:
    void put(std::uint32_t code, int width) {
        pending_ |= code << pendingBits_;
        pendingBits_ += width;
        while (pendingBits_ >= 8) {
            bytes_.push_back(lowByte(pending_));
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
    }
    std::vector<std::uint8_t> finish() {
        if (pendingBits_ > 0)
            bytes_.push_back(lowByte(pending_));
        pending_ = 0;
        pendingBits_ = 0;
        return std::move(bytes_);
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
};

// GIF's LZW: codes start one bit wider than the root width and grow up to 12 bits. The
// decoder adds each table entry one code later than the encoder, so the encoder widens its
// codes one entry later than its own table would suggest; at 4096 entries it sends a clear.
std::vector<std::uint8_t> lzwEncode(std::span<const std::uint8_t> indices, int minCodeSize) {
    constexpr std::uint32_t kMaxCodes = 4096;
    const std::uint32_t clearCode = 1u << minCodeSize;
    const std::uint32_t endCode = clearCode + 1;

    // child[prefix * 256 + index] is the code of prefix+index, 0 when absent (0 is a root
    // code and can never be a child).
    std::vector<std::uint16_t> child(kMaxCodes * 256, 0);
    std::vector<std::uint32_t> usedKeys;
    usedKeys.reserve(kMaxCodes);

    BitPacker packer;
    int codeSize = minCodeSize + 1;
    std::uint32_t nextCode = clearCode + 2;
    std::size_t codesSinceClear = 0;
    packer.put(clearCode, codeSize);

    std::uint32_t prefix = indices[0];
    for (std::size_t k = 1; k < indices.size(); ++k) {
        const std::uint32_t key = prefix * 256 + indices[k];
        if (child[key] != 0) {
            prefix = child[key];
            continue;
        }
        packer.put(prefix, codeSize);
        ++codesSinceClear;
        child[key] = static_cast<std::uint16_t>(nextCode);
        usedKeys.push_back(key);
        ++nextCode;
        if (nextCode > (1u << codeSize) && codeSize < 12)
            ++codeSize;
        if (nextCode == kMaxCodes) {
            packer.put(clearCode, codeSize);
            for (const std::uint32_t used : usedKeys)
                child[used] = 0;
            usedKeys.clear();
            codeSize = minCodeSize + 1;
            nextCode = clearCode + 2;
            codesSinceClear = 0;
        }
        prefix = indices[k];
    }
    packer.put(prefix, codeSize);
    // Reading that last code the decoder adds one more entry, which may widen the end code.
    if (codesSinceClear > 0 && nextCode == (1u << codeSize) && codeSize < 12)
        ++codeSize;
    packer.put(endCode, codeSize);
    return packer.finish();
}

} // namespace

Image::Image(std::int32_t width, std::int32_t height, core::Color fill)
    : width_(width), height_(height) {
    if (width < 0 || height < 0)
        throw std::invalid_argument("Image: negative size");
    if ((fill & 0xFF000000u) != 0)
        throw std::invalid_argument("Image: a fill colour with a top byte has no image word");
    words_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                  core::imageWordFromColor(fill));
}

core::Color Image::get(std::int32_t x, std::int32_t y) const noexcept {
    return view().colorAt(x, y);
}

void Image::set(std::int32_t x, std::int32_t y, core::Color color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("Image::set: pixel outside the image");
    if ((color & 0xFF000000u) != 0)
        throw std::invalid_argument("Image::set: a colour with a top byte has no image word");
    words_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x)] = core::imageWordFromColor(color);
}

void Image::fillRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                     core::Color color) {
    for (std::int32_t y = std::max(y1, 0); y < std::min(y2, height_); ++y) {
        for (std::int32_t x = std::max(x1, 0); x < std::min(x2, width_); ++x)
            set(x, y, color);
    }
}

core::PixelView Image::view() const noexcept {
    return core::PixelView{words_.data(), width_, height_, width_};
}

IndexedImage indexImage(const Image& image) {
    IndexedImage result;
    result.width = image.width();
    result.height = image.height();
    result.indices.reserve(image.words().size());
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Color c = image.get(x, y);
            auto found = std::find(result.palette.begin(), result.palette.end(), c);
            if (found == result.palette.end()) {
                if (result.palette.size() == 256)
                    throw std::invalid_argument("indexImage: more than 256 colours");
                result.palette.push_back(c);
                found = result.palette.end() - 1;
            }
            result.indices.push_back(
                static_cast<std::uint8_t>(std::distance(result.palette.begin(), found)));
        }
    }
    return result;
}

std::vector<std::uint8_t> writeBmp24(const Image& image, RowOrder order,
                                     std::int32_t pixelsPerMetre) {
    return writeTrueColourBmp(image, order, 24, pixelsPerMetre);
}

std::vector<std::uint8_t> writeBmp32(const Image& image, RowOrder order,
                                     std::int32_t pixelsPerMetre) {
    return writeTrueColourBmp(image, order, 32, pixelsPerMetre);
}

std::vector<std::uint8_t> writeBmp8(const Image& image, Bmp8Compression compression) {
    return writeBmp8(indexImage(image), compression);
}

std::vector<std::uint8_t> writeBmp8(const IndexedImage& image, Bmp8Compression compression) {
    requireIndexed(image, "8-bit BMP writer");
    const std::size_t width = static_cast<std::size_t>(image.width);
    const auto paletteSize = static_cast<std::uint32_t>(image.palette.size());

    ByteWriter out;
    beginBmp(out);
    const std::size_t infoAt = out.size();
    infoHeader(out, image.width, image.height, 8,
               compression == Bmp8Compression::Rle8 ? kBiRle8 : kBiRgb, 0, paletteSize);
    for (const Color c : image.palette) {
        out.u8(blue(c));
        out.u8(green(c));
        out.u8(red(c));
        out.u8(0);
    }
    const std::size_t pixelOffset = out.size();
    const std::span<const std::uint8_t> indices(image.indices);
    for (std::int32_t fileRow = 0; fileRow < image.height; ++fileRow) {
        const auto y = static_cast<std::size_t>(image.height - 1 - fileRow);
        const auto row = indices.subspan(y * width, width);
        if (compression == Bmp8Compression::Rle8) {
            encodeRle8Row(out, row);
            out.u8(0);
            out.u8(fileRow + 1 == image.height ? 1 : 0); // end of bitmap, else end of line
        } else {
            out.append(row);
            out.zeros(bmpStride(image.width, 8) - width);
        }
    }
    out.patchU32(infoAt + 20, static_cast<std::uint32_t>(out.size() - pixelOffset));
    finishBmp(out, pixelOffset);
    return out.take();
}

std::vector<std::uint8_t> writeGif(const IndexedImage& image,
                                   std::optional<std::uint8_t> transparentIndex) {
    requireIndexed(image, "GIF writer");
    if (image.width > 0xFFFF || image.height > 0xFFFF)
        throw std::invalid_argument("GIF writer: sides are limited to 65535 pixels");
    if (transparentIndex && *transparentIndex >= image.palette.size())
        throw std::invalid_argument("GIF writer: transparent index beyond the palette");

    int tableBits = 1; // the colour table holds 2^tableBits entries
    while ((std::size_t{1} << tableBits) < image.palette.size())
        ++tableBits;
    const int minCodeSize = std::max(2, tableBits);

    ByteWriter out;
    for (const char c : std::string_view("GIF89a"))
        out.u8(static_cast<std::uint8_t>(c));
    // Logical screen: global table present, 8-bit colour resolution.
    out.u16(static_cast<std::uint32_t>(image.width));
    out.u16(static_cast<std::uint32_t>(image.height));
    out.u8(0x80u | 0x70u | static_cast<std::uint32_t>(tableBits - 1));
    out.u8(0); // background colour index
    out.u8(0); // no aspect ratio
    for (std::size_t i = 0; i < (std::size_t{1} << tableBits); ++i) {
        const Color c = i < image.palette.size() ? image.palette[i] : 0;
        out.u8(red(c));
        out.u8(green(c));
        out.u8(blue(c));
    }
    if (transparentIndex) {
        out.u8(0x21); // extension
        out.u8(0xF9); // graphic control
        out.u8(4);
        out.u8(0x01); // no disposal, no user input, transparent colour given
        out.u16(0);   // no delay
        out.u8(*transparentIndex);
        out.u8(0); // block terminator
    }
    out.u8(0x2C); // image descriptor
    out.u16(0);
    out.u16(0);
    out.u16(static_cast<std::uint32_t>(image.width));
    out.u16(static_cast<std::uint32_t>(image.height));
    out.u8(0); // no local table, not interlaced
    out.u8(static_cast<std::uint32_t>(minCodeSize));
    const std::vector<std::uint8_t> data = lzwEncode(image.indices, minCodeSize);
    const std::span<const std::uint8_t> rest(data);
    for (std::size_t at = 0; at < rest.size(); at += 255) {
        const std::size_t count = std::min<std::size_t>(255, rest.size() - at);
        out.u8(static_cast<std::uint32_t>(count));
        out.append(rest.subspan(at, count));
    }
    out.u8(0);    // end of the image data
    out.u8(0x3B); // trailer
    return out.take();
}

std::vector<std::uint8_t> writeGif(const Image& image, std::optional<core::Color> transparent) {
    const IndexedImage indexed = indexImage(image);
    std::optional<std::uint8_t> transparentIndex;
    if (transparent) {
        const auto found = std::find(indexed.palette.begin(), indexed.palette.end(), *transparent);
        if (found != indexed.palette.end())
            transparentIndex =
                static_cast<std::uint8_t>(std::distance(indexed.palette.begin(), found));
    }
    return writeGif(indexed, transparentIndex);
}

std::vector<std::uint8_t> writeIco(const Image& image, std::optional<core::Color> transparent) {
    requirePictureSize(image.width(), image.height(), "ICO writer");
    if (image.width() > 256 || image.height() > 256)
        throw std::invalid_argument("ICO writer: sides are limited to 256 pixels");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    const std::uint32_t colourStride = bmpStride(width, 24);
    const std::uint32_t maskStride = bmpStride(width, 1);
    const std::uint32_t imageSize =
        (colourStride + maskStride) * static_cast<std::uint32_t>(height);
    constexpr std::uint32_t kDirectorySize = 6 + 16;

    ByteWriter out;
    out.u16(0);                                        // reserved
    out.u16(1);                                        // icon
    out.u16(1);                                        // one image
    out.u8(static_cast<std::uint32_t>(width) & 0xFFu); // 256 is written as 0
    out.u8(static_cast<std::uint32_t>(height) & 0xFFu);
    out.u8(0);  // no palette
    out.u8(0);  // reserved
    out.u16(1); // planes
    out.u16(24);
    out.u32(kInfoHeaderSize + imageSize);
    out.u32(kDirectorySize);
    // The bitmap's height counts the colour rows and the mask rows.
    infoHeader(out, width, 2 * height, 24, kBiRgb, imageSize, 0);
    const auto isTransparent = [&](std::int32_t x, std::int32_t y) {
        return transparent && image.get(x, y) == *transparent;
    };
    for (std::int32_t y = height - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const Color c = isTransparent(x, y) ? 0 : image.get(x, y);
            out.u8(blue(c));
            out.u8(green(c));
            out.u8(red(c));
        }
        out.zeros(colourStride - 3 * static_cast<std::uint32_t>(width));
    }
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (std::int32_t x = 0; x < width; ++x) {
            if (isTransparent(x, y))
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        }
        out.append(row);
    }
    return out.take();
}

std::vector<std::uint8_t> writeCur(const Image& image, std::int32_t hotSpotX, std::int32_t hotSpotY,
                                   std::optional<core::Color> transparent) {
    requirePictureSize(image.width(), image.height(), "CUR writer");
    if (image.width() > 256 || image.height() > 256)
        throw std::invalid_argument("CUR writer: sides are limited to 256 pixels");
    if (hotSpotX < 0 || hotSpotY < 0 || hotSpotX >= image.width() || hotSpotY >= image.height())
        throw std::invalid_argument("CUR writer: the hot spot lies outside the image");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    const auto isTransparent = [&](std::int32_t x, std::int32_t y) {
        return transparent && image.get(x, y) == *transparent;
    };

    // Opaque colours first, in order of appearance; black last for the transparent pixels
    // unless an opaque pixel already brought it in.
    constexpr std::size_t kPaletteSize = 16;
    std::vector<Color> palette;
    const auto indexOf = [&](Color c) {
        auto found = std::find(palette.begin(), palette.end(), c);
        if (found == palette.end()) {
            if (palette.size() == kPaletteSize)
                throw std::invalid_argument("CUR writer: more than 16 colours");
            palette.push_back(c);
            found = palette.end() - 1;
        }
        return static_cast<std::uint8_t>(std::distance(palette.begin(), found));
    };
    std::vector<std::uint8_t> indices;
    indices.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            indices.push_back(isTransparent(x, y) ? 0 : indexOf(image.get(x, y)));
    }
    bool anyTransparent = false;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            anyTransparent = anyTransparent || isTransparent(x, y);
    }
    if (anyTransparent) {
        const std::uint8_t blackIndex = indexOf(0);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            const auto x = static_cast<std::int32_t>(i % static_cast<std::size_t>(width));
            const auto y = static_cast<std::int32_t>(i / static_cast<std::size_t>(width));
            if (isTransparent(x, y))
                indices[i] = blackIndex;
        }
    }
    palette.resize(kPaletteSize, 0);

    const std::uint32_t colourStride = bmpStride(width, 4);
    const std::uint32_t maskStride = bmpStride(width, 1);
    const std::uint32_t imageSize =
        (colourStride + maskStride) * static_cast<std::uint32_t>(height);
    const auto paletteBytes = static_cast<std::uint32_t>(4 * kPaletteSize);
    constexpr std::uint32_t kDirectorySize = 6 + 16;

    ByteWriter out;
    out.u16(0);                                        // reserved
    out.u16(2);                                        // cursor
    out.u16(1);                                        // one image
    out.u8(static_cast<std::uint32_t>(width) & 0xFFu); // 256 is written as 0
    out.u8(static_cast<std::uint32_t>(height) & 0xFFu);
    out.u8(kPaletteSize);
    out.u8(0); // reserved
    // A cursor's directory entry holds the hot spot where an icon's holds planes and depth.
    out.u16(static_cast<std::uint32_t>(hotSpotX));
    out.u16(static_cast<std::uint32_t>(hotSpotY));
    out.u32(kInfoHeaderSize + paletteBytes + imageSize);
    out.u32(kDirectorySize);
    // The bitmap's height counts the colour rows and the mask rows.
    infoHeader(out, width, 2 * height, 4, kBiRgb, imageSize, kPaletteSize);
    for (const Color c : palette) {
        out.u8(blue(c));
        out.u8(green(c));
        out.u8(red(c));
        out.u8(0);
    }
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(colourStride, 0);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t index =
                indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)];
            // Two pixels a byte, the left one in the high nibble.
            row[static_cast<std::size_t>(x / 2)] |=
                static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
        }
        out.append(row);
    }
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (std::int32_t x = 0; x < width; ++x) {
            if (isTransparent(x, y))
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        }
        out.append(row);
    }
    return out.take();
}

Image readBmp(std::span<const std::uint8_t> bytes) {
    const auto u16At = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8));
    };
    const auto u32At = [&](std::size_t at) { return u16At(at) | (u16At(at + 2) << 16); };

    if (bytes.size() < kFileHeaderSize + 4)
        failRead("file too short for a BMP header (" + std::to_string(bytes.size()) + " bytes)");
    if (bytes[0] != 'B' || bytes[1] != 'M')
        failRead("not a BMP file (no 'BM' signature)");
    const std::uint32_t pixelOffset = u32At(10);
    const std::uint32_t headerSize = u32At(14);
    if (headerSize < kInfoHeaderSize)
        failRead("unsupported info header of " + std::to_string(headerSize) + " bytes");
    if (bytes.size() < std::size_t{kFileHeaderSize} + headerSize)
        failRead("file truncated inside the info header");
    const auto width = static_cast<std::int32_t>(u32At(18));
    const auto signedHeight = static_cast<std::int32_t>(u32At(22));
    const std::uint32_t planes = u16At(26);
    const std::uint32_t bitsPerPixel = u16At(28);
    const std::uint32_t compression = u32At(30);

    if (planes != 1)
        failRead(std::to_string(planes) + " planes; only 1 is valid");
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        failRead(std::to_string(bitsPerPixel) + " bits per pixel; only 24 and 32 are read");
    if (compression == kBiBitfields && bitsPerPixel == 32) {
        // The masks follow the 40-byte header, inside it for the larger headers.
        if (bytes.size() < std::size_t{kFileHeaderSize} + kInfoHeaderSize + 12)
            failRead("file truncated inside the bit field masks");
        if (u32At(54) != 0x00FF0000u || u32At(58) != 0x0000FF00u || u32At(62) != 0x000000FFu)
            failRead("bit field masks other than 8-8-8 red, green, blue");
    } else if (compression != kBiRgb) {
        failRead("compression " + std::to_string(compression) + " is not read");
    }
    if (width <= 0)
        failRead("width " + std::to_string(width) + " is not positive");
    if (signedHeight == 0 || signedHeight == std::numeric_limits<std::int32_t>::min())
        failRead("invalid height " + std::to_string(signedHeight));
    const bool topDown = signedHeight < 0;
    const std::int32_t height = topDown ? -signedHeight : signedHeight;

    const std::uint64_t stride = bmpStride(width, bitsPerPixel);
    const std::uint64_t bytesPerPixel = bitsPerPixel / 8;
    if (pixelOffset < kFileHeaderSize + headerSize)
        failRead("pixel data offset " + std::to_string(pixelOffset) + " lies inside the headers");
    // The last row's padding may be missing; its pixels may not.
    const std::uint64_t needed = std::uint64_t{pixelOffset} +
                                 stride * static_cast<std::uint64_t>(height - 1) +
                                 bytesPerPixel * static_cast<std::uint64_t>(width);
    if (needed > bytes.size())
        failRead("pixel data truncated: " + std::to_string(needed) + " bytes needed, " +
                 std::to_string(bytes.size()) + " present");

    Image image(width, height);
    for (std::int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::int32_t y = topDown ? fileRow : height - 1 - fileRow;
        const std::size_t rowStart =
            pixelOffset + static_cast<std::size_t>(stride) * static_cast<std::size_t>(fileRow);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t at =
                rowStart + static_cast<std::size_t>(bytesPerPixel) * static_cast<std::size_t>(x);
            const Color c = static_cast<Color>(bytes[at + 2]) |
                            static_cast<Color>(bytes[at + 1]) << 8 |
                            static_cast<Color>(bytes[at]) << 16;
            image.set(x, y, c);
        }
    }
    return image;
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error("writeFile: cannot create " + path.string());
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("writeFile: cannot write " + path.string());
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("readFile: cannot open " + path.string());
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (file.bad())
        throw std::runtime_error("readFile: cannot read " + path.string());
    return bytes;
}

} // namespace cutshape::pictures

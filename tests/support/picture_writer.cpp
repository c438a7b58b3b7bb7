#include "tests/support/picture_writer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace cutshape::pictures {

namespace {

using core::Color;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre72Dpi = 2835;

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
                std::uint32_t coloursUsed) {
    out.u32(kInfoHeaderSize);
    out.i32(width);
    out.i32(height);
    out.u16(1); // planes
    out.u16(bitsPerPixel);
    out.u32(compression);
    out.u32(imageSize);
    out.i32(kPixelsPerMetre72Dpi);
    out.i32(kPixelsPerMetre72Dpi);
    out.u32(coloursUsed);
    out.u32(0); // all colours important
}

// A picture as palette indices: the form the 8-bit BMP and GIF writers store.
struct IndexedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<Color> palette;        // 0x00BBGGRR
    std::vector<std::uint8_t> indices; // width * height, rows top to bottom
};

// Palette in order of first appearance (row by row), of at most `maxColours` colours.
IndexedImage indexImage(const Image& image, std::size_t maxColours, const char* what) {
    requirePictureSize(image.width(), image.height(), what);
    IndexedImage result;
    result.width = image.width();
    result.height = image.height();
    result.indices.reserve(image.words().size());
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const Color c = image.get(x, y);
            auto found = std::find(result.palette.begin(), result.palette.end(), c);
            if (found == result.palette.end()) {
                if (result.palette.size() == maxColours)
                    throw std::invalid_argument(std::string(what) + ": more than " +
                                                std::to_string(maxColours) + " colours");
                result.palette.push_back(c);
                found = result.palette.end() - 1;
            }
            result.indices.push_back(
                static_cast<std::uint8_t>(std::distance(result.palette.begin(), found)));
        }
    }
    return result;
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

// GIF's LZW data without compression, for a two-entry table (pixel codes 0 and 1, clear 4,
// end 5, codes 3 bits wide). Each pixel is a code of its own, and a clear code ahead of each
// pair of pixels keeps the decoder's table below the eight entries that would widen the
// codes. The codes are packed least significant bit first.
std::vector<std::uint8_t> lzwWithoutCompression(std::span<const std::uint8_t> indices) {
    constexpr std::uint32_t kClear = 4;
    constexpr std::uint32_t kEnd = 5;
    std::vector<std::uint8_t> bytes;
    std::uint32_t pending = 0;
    int pendingBits = 0;
    const auto put = [&](std::uint32_t code) {
        pending |= code << pendingBits;
        pendingBits += 3;
        if (pendingBits >= 8) {
            bytes.push_back(lowByte(pending));
            pending >>= 8;
            pendingBits -= 8;
        }
    };
    for (std::size_t k = 0; k < indices.size(); ++k) {
        if (k % 2 == 0)
            put(kClear);
        put(indices[k]);
    }
    put(kEnd);
    if (pendingBits > 0)
        bytes.push_back(lowByte(pending));
    return bytes;
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

std::vector<std::uint8_t> writeBmp24(const Image& image) {
    requirePictureSize(image.width(), image.height(), "BMP writer");
    const std::int32_t width = image.width();
    const std::int32_t height = image.height();
    const std::uint32_t stride = bmpStride(width, 24);

    ByteWriter out;
    beginBmp(out);
    infoHeader(out, width, height, 24, kBiRgb, stride * static_cast<std::uint32_t>(height), 0);
    const std::size_t pixelOffset = out.size();
    for (std::int32_t y = height - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const Color c = image.get(x, y);
            out.u8(blue(c));
            out.u8(green(c));
            out.u8(red(c));
        }
        out.zeros(stride - static_cast<std::uint32_t>(width) * 3);
    }
    finishBmp(out, pixelOffset);
    return out.take();
}

AlphaImage makeSoftFigure(std::int32_t width, std::int32_t height, std::int32_t softPx) {
    requirePictureSize(width, height, "soft figure");
    AlphaImage image{width, height,
                     std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0u)};
    const double radius = std::min(width, height) / 2.0 - 2;
    const auto premultiplied = [](std::uint32_t rgb, std::uint32_t alpha) {
        const auto channel = [&](int shift) {
            return ((rgb >> shift & 0xFFu) * alpha + 127) / 255 << shift;
        };
        return alpha << 24 | channel(16) | channel(8) | channel(0);
    };
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const double inside =
                radius - std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0);
            std::uint32_t alpha =
                inside <= 0 ? 0
                            : static_cast<std::uint32_t>(std::min(255.0, 255 * inside / softPx));
            if (alpha > 0 && y >= height / 2 && y < height / 2 + 6)
                alpha = 60; // glass: all of it under half opaque
            image.words[static_cast<std::size_t>(y) * width + x] = premultiplied(0x1E5AC8, alpha);
        }
    }
    return image;
}

AlphaImage withoutFringe(const AlphaImage& image) {
    AlphaImage cut = image;
    for (std::uint32_t& word : cut.words)
        word = (word >> 24) >= core::kFigureAlpha ? 0xFF1E5AC8u : 0u;
    return cut;
}

std::vector<std::uint8_t> writeBmp32(const AlphaImage& image) {
    requirePictureSize(image.width, image.height, "BMP writer");
    ByteWriter out;
    beginBmp(out);
    infoHeader(out, image.width, image.height, 32, kBiRgb,
               static_cast<std::uint32_t>(image.words.size() * 4), 0);
    const std::size_t pixelOffset = out.size();
    for (std::int32_t y = image.height - 1; y >= 0; --y)
        for (std::int32_t x = 0; x < image.width; ++x)
            out.u32(image.words[static_cast<std::size_t>(y) * image.width + x]);
    finishBmp(out, pixelOffset);
    return out.take();
}

std::vector<std::uint8_t> writeBmp8(const Image& picture, Bmp8Compression compression) {
    const IndexedImage image = indexImage(picture, 256, "8-bit BMP writer");
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

std::vector<std::uint8_t> writeGif(const Image& picture, std::optional<core::Color> transparent) {
    const IndexedImage image = indexImage(picture, 2, "GIF writer");
    if (image.width > 0xFFFF || image.height > 0xFFFF)
        throw std::invalid_argument("GIF writer: sides are limited to 65535 pixels");
    std::optional<std::uint8_t> transparentIndex;
    if (transparent) {
        const auto found = std::find(image.palette.begin(), image.palette.end(), *transparent);
        if (found == image.palette.end())
            throw std::invalid_argument("GIF writer: the transparent colour is not in the picture");
        transparentIndex = static_cast<std::uint8_t>(std::distance(image.palette.begin(), found));
    }

    ByteWriter out;
    for (const char c : std::string_view("GIF89a"))
        out.u8(static_cast<std::uint8_t>(c));
    // Logical screen: global table present, 8-bit colour resolution.
    out.u16(static_cast<std::uint32_t>(image.width));
    out.u16(static_cast<std::uint32_t>(image.height));
    out.u8(0x80u | 0x70u); // a table of two entries
    out.u8(0);             // background colour index
    out.u8(0);             // no aspect ratio
    for (std::size_t i = 0; i < 2; ++i) {
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
    out.u8(2); // LZW minimum code size
    const std::vector<std::uint8_t> data = lzwWithoutCompression(image.indices);
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

} // namespace cutshape::pictures

#include "tools/xshape/bmp_picture.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace cutshape::xshape {

namespace {

[[noreturn]] void reject(const std::string& why) {
    throw std::runtime_error("cannot read the BMP: " + why);
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t u8(std::size_t at) const {
        if (at >= bytes_.size())
            reject("the file ends at byte " + std::to_string(bytes_.size()));
        return bytes_[at];
    }
    std::uint32_t u16(std::size_t at) const { return u8(at) | u8(at + 1) << 8; }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::size_t size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

// Blue, green, red bytes at `at` as 0x00BBGGRR.
std::uint32_t colourFromBgr(const Reader& in, std::size_t at) {
    return in.u8(at + 2) | in.u8(at + 1) << 8 | in.u8(at) << 16;
}

} // namespace

Picture decodeBmp(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    if (in.size() < 2 || in.u8(0) != 'B' || in.u8(1) != 'M')
        reject("no 'BM' signature");
    const std::uint32_t pixelOffset = in.u32(10);
    const std::uint32_t headerSize = in.u32(14);
    if (headerSize < 40)
        reject("info header of " + std::to_string(headerSize) + " bytes is not supported");
    const std::int32_t width = in.i32(18);
    const std::int32_t signedHeight = in.i32(22);
    const std::uint32_t bitsPerPixel = in.u16(28);
    const std::uint32_t compression = in.u32(30);
    if (width <= 0 || signedHeight == 0 || signedHeight < -0x7FFFFFFF)
        reject("bad size " + std::to_string(width) + " x " + std::to_string(signedHeight));
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        reject(std::to_string(bitsPerPixel) + " bits per pixel is not supported");
    const bool standardFields = bitsPerPixel == 32 && compression == 3 &&
                                in.u32(54) == 0x00FF0000u && in.u32(58) == 0x0000FF00u &&
                                in.u32(62) == 0x000000FFu;
    if (compression != 0 && !standardFields)
        reject("compression " + std::to_string(compression) + " is not supported");

    std::vector<std::uint32_t> palette;
    if (bitsPerPixel == 8) {
        std::uint32_t count = in.u32(46);
        if (count == 0 || count > 256)
            count = 256;
        for (std::uint32_t i = 0; i < count; ++i)
            palette.push_back(colourFromBgr(in, 14 + headerSize + 4 * std::size_t{i}));
    }

    const bool topDown = signedHeight < 0;
    const std::int32_t height = topDown ? -signedHeight : signedHeight;
    const std::size_t stride = (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::size_t bytesPerPixel = bitsPerPixel / 8;
    // Checked up front so a huge size in a short file fails before anything is allocated.
    if (stride > in.size() || static_cast<std::size_t>(height) > in.size() ||
        pixelOffset + stride * static_cast<std::size_t>(height - 1) +
                bytesPerPixel * static_cast<std::size_t>(width) >
            in.size())
        reject("pixel data truncated");

    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.colours.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::int32_t y = topDown ? fileRow : height - 1 - fileRow;
        const std::size_t rowAt = pixelOffset + stride * static_cast<std::size_t>(fileRow);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t at = rowAt + bytesPerPixel * static_cast<std::size_t>(x);
            std::uint32_t colour = 0;
            if (bitsPerPixel == 8) {
                const std::uint32_t index = in.u8(at);
                if (index >= palette.size())
                    reject("palette index " + std::to_string(index) + " beyond the palette");
                colour = palette[index];
            } else {
                colour = colourFromBgr(in, at);
            }
            picture.colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(x)] = colour;
        }
    }
    return picture;
}

Picture loadBmp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path.string());
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    try {
        return decodeBmp(bytes);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

} // namespace cutshape::xshape

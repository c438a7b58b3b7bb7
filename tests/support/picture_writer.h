#pragma once
// A small owned image and writers that turn it into BMP, GIF and ICO file bytes for the tests
// and benchmarks. Everything here is portable: no OS headers, so the same bytes come out of
// the native and the Windows builds.

#include "core/color.h"
#include "core/pixel_view.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace cutshape::pictures {

// A width x height picture, rows top to bottom, each pixel an image word 0x00RRGGBB (see
// core/color.h). Pixels are set and read as colours 0x00BBGGRR, as a pixel read reports them.
class Image {
public:
    Image() = default;
    // Throws std::invalid_argument for a negative size or a fill colour with a top byte.
    Image(std::int32_t width, std::int32_t height, core::Color fill = 0);

    std::int32_t width() const noexcept { return width_; }
    std::int32_t height() const noexcept { return height_; }

    // kInvalidColor outside the image, like a pixel read.
    core::Color get(std::int32_t x, std::int32_t y) const noexcept;
    // Throws std::out_of_range outside the image and std::invalid_argument for a colour with
    // a non-zero top byte, which no image word can hold.
    void set(std::int32_t x, std::int32_t y, core::Color color);
    // Sets the pixels of [x1, x2) x [y1, y2) clipped to the image.
    void fillRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                  core::Color color);

    const std::vector<std::uint32_t>& words() const noexcept { return words_; }

    // Valid until the image is resized or destroyed.
    core::PixelView view() const noexcept;

    friend bool operator==(const Image&, const Image&) = default;

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint32_t> words_;
};

// 24 bits per pixel, bottom-up, rows padded to a multiple of 4 bytes.
std::vector<std::uint8_t> writeBmp24(const Image& image);

// A picture with an alpha channel: premultiplied 0xAARRGGBB words, rows top to bottom.
struct AlphaImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> words;
};

// A disc of one colour on a clear background whose edge falls from opaque to clear over
// `softPx` pixels, and a strip of glass (alpha 60) across it: a figure with a fringe.
AlphaImage makeSoftFigure(std::int32_t width, std::int32_t height, std::int32_t softPx = 6);
// The same picture with every alpha cut to 0 or 255 at 128, colours opaque.
AlphaImage withoutFringe(const AlphaImage& image);

// 32 bits per pixel, bottom-up, the premultiplied alpha in each word's top byte.
std::vector<std::uint8_t> writeBmp32(const AlphaImage& image);

enum class Bmp8Compression { None, Rle8 };

// The 8-bit BMP and the GIF writers store the image's own palette, its colours in order of
// first appearance (row by row).

// 8 bits per pixel, bottom-up, uncompressed or run-length encoded; throws
// std::invalid_argument for more than 256 colours.
std::vector<std::uint8_t> writeBmp8(const Image& image,
                                    Bmp8Compression compression = Bmp8Compression::None);

// GIF 89a of a picture of one or two colours (the tests' figures): one image, a global
// table of two entries, and LZW data that gives each pixel a code of its own, so the file is
// about 4.5 bits a pixel. When `transparent` is given, a Graphic Control Extension marks its
// palette index transparent. Throws std::invalid_argument for more than two colours and for
// a transparent colour the image lacks.
std::vector<std::uint8_t> writeGif(const Image& image, std::optional<core::Color> transparent = {});

// An icon file with one image of at most 256 x 256 pixels: 24-bit colour data plus the 1-bit
// mask whose bits are set where the pixel is `transparent`. Transparent pixels get black
// colour data, so drawing the icon leaves the background there untouched.
std::vector<std::uint8_t> writeIco(const Image& image, std::optional<core::Color> transparent = {});

// Throws std::runtime_error naming the file when it cannot be written.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace cutshape::pictures

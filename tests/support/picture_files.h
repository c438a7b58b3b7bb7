#pragma once
// Pictures for the tests and the benchmark: a small owned image, writers that turn it into
// BMP, GIF and ICO file bytes, a reader for uncompressed true-colour BMP files, and
// deterministic picture generators. Everything here is portable: no OS headers, so the same
// files come out of the native and the Windows builds.

#include "core/color.h"
#include "core/pixel_view.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

namespace cutshape::testing {

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
    std::vector<std::uint32_t>& words() noexcept { return words_; }

    // Valid until the image is resized or destroyed.
    core::PixelView view() const noexcept;

    friend bool operator==(const Image&, const Image&) = default;

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint32_t> words_;
};

// A picture as palette indices: the form the 8-bit BMP and GIF writers store.
struct IndexedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<core::Color> palette;  // at most 256 colours, 0x00BBGGRR
    std::vector<std::uint8_t> indices; // width * height, rows top to bottom
};

// Palette in order of first appearance (row by row). Throws std::invalid_argument when the
// image has more than 256 colours.
IndexedImage indexImage(const Image& image);

enum class RowOrder { BottomUp, TopDown };

// 24 bits per pixel, rows padded to a multiple of 4 bytes.
std::vector<std::uint8_t> writeBmp24(const Image& image, RowOrder order = RowOrder::BottomUp);
// 32 bits per pixel, uncompressed; the unused byte is written as 0.
std::vector<std::uint8_t> writeBmp32(const Image& image, RowOrder order = RowOrder::BottomUp);

enum class Bmp8Compression { None, Rle8 };

// 8 bits per pixel with the image's own palette, bottom-up, uncompressed or run-length
// encoded. Throws std::invalid_argument for more than 256 colours.
std::vector<std::uint8_t> writeBmp8(const Image& image,
                                    Bmp8Compression compression = Bmp8Compression::None);
std::vector<std::uint8_t> writeBmp8(const IndexedImage& image,
                                    Bmp8Compression compression = Bmp8Compression::None);

// GIF 89a, one image, global palette, LZW with variable code width. When `transparentIndex`
// is set a Graphic Control Extension marks that palette index transparent.
std::vector<std::uint8_t> writeGif(const IndexedImage& image,
                                   std::optional<std::uint8_t> transparentIndex = {});
// Same, palette from indexImage(); `transparent` names a colour of the image (a colour the
// image lacks marks nothing). Throws std::invalid_argument for more than 256 colours.
std::vector<std::uint8_t> writeGif(const Image& image, std::optional<core::Color> transparent = {});

// An icon file with one image of at most 256 x 256 pixels: 24-bit colour data plus the 1-bit
// mask whose bits are set where the pixel is `transparent`. Transparent pixels get black
// colour data, so drawing the icon leaves the background there untouched.
std::vector<std::uint8_t> writeIco(const Image& image, std::optional<core::Color> transparent = {});

// Reads a 24- or 32-bit uncompressed BMP (top-down or bottom-up; 32-bit also with the
// standard 8-8-8 bit fields). Throws std::runtime_error naming the fault for anything else.
Image readBmp(std::span<const std::uint8_t> bytes);

// A smooth blob of `figure` on `background`: the union of a few ellipses, an enclosed hole
// of background colour, and a few isolated figure pixels away from the top-left corner (so
// the top-left pixel is background). Integer arithmetic only: every build draws the same.
Image makeFigure(std::int32_t width, std::int32_t height, core::Color background = 0x00FFFFFF,
                 core::Color figure = 0x00000000);
// A page of text: rows of small glyph-like marks in `ink` on `paper`, separated into words.
Image makeTextPage(std::int32_t width, std::int32_t height, core::Color paper = 0x00FFFFFF,
                   core::Color ink = 0x00000000);
// Squares of `cellSize` pixels alternating between `first` (top-left) and `second`.
Image makeCheckerboard(std::int32_t width, std::int32_t height, std::int32_t cellSize = 1,
                       core::Color first = 0x00000000, core::Color second = 0x00FFFFFF);
// Each pixel one of `colours`, chosen by a generator seeded with `seed`. Throws
// std::invalid_argument when `colours` is empty.
Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::span<const core::Color> colours);
Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::initializer_list<core::Color> colours);

// Throw std::runtime_error naming the file when it cannot be written or read.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

} // namespace cutshape::testing

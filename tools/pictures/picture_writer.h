#pragma once
// A small owned image and writers that turn it into BMP, GIF, ICO and CUR file bytes, plus a
// reader for uncompressed true-colour BMP files. Everything here is portable: no OS headers,
// so the same bytes come out of the native and the Windows builds, and the demo picture
// generator can run on the build machine.

#include "core/color.h"
#include "core/pixel_view.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace cutshape::pictures {

// Resolutions as BMP headers store them.
inline constexpr std::int32_t kPixelsPerMetre72Dpi = 2835;
inline constexpr std::int32_t kPixelsPerMetre96Dpi = 3780;

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
std::vector<std::uint8_t> writeBmp24(const Image& image, RowOrder order = RowOrder::BottomUp,
                                     std::int32_t pixelsPerMetre = kPixelsPerMetre72Dpi);
// 32 bits per pixel, uncompressed; the unused byte is written as 0.
std::vector<std::uint8_t> writeBmp32(const Image& image, RowOrder order = RowOrder::BottomUp,
                                     std::int32_t pixelsPerMetre = kPixelsPerMetre72Dpi);

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

// A cursor file with one 16-colour image of at most 256 x 256 pixels and the given hot spot:
// a 4-bit colour bitmap whose palette holds the image's colours (other than `transparent`)
// followed by black, padded to 16 entries, and the 1-bit mask set where the pixel is
// `transparent` (colour data black there, so the screen shows through). Throws
// std::invalid_argument for more than 16 colours or a hot spot outside the image.
std::vector<std::uint8_t> writeCur(const Image& image, std::int32_t hotSpotX, std::int32_t hotSpotY,
                                   std::optional<core::Color> transparent = {});

// Reads a 24- or 32-bit uncompressed BMP (top-down or bottom-up; 32-bit also with the
// standard 8-8-8 bit fields). Throws std::runtime_error naming the fault for anything else.
Image readBmp(std::span<const std::uint8_t> bytes);

// Throw std::runtime_error naming the file when it cannot be written or read.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

} // namespace cutshape::pictures

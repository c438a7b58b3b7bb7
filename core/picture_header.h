#pragma once
// Checks a picture file's bytes before a decoder sees them: the format, the size the file
// claims, and that the data the header promises is really there. Decoders are lenient
// (a bitmap cut short after its header decodes to garbage without complaint) and try to
// allocate whatever size a header claims, so every file is inspected first.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

namespace cutshape::core {

enum class PictureFormat { Bitmap, Gif, Jpeg, Png, Tiff, Icon, Metafile, EnhancedMetafile };

struct PictureHeader {
    PictureFormat format = PictureFormat::Bitmap;
    std::int64_t widthPx = 0; // at 96 pixels per inch for metafiles
    std::int64_t heightPx = 0;
};

// The largest picture accepted: its 32-bit image must stay within 1 GiB.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

class PictureFileError : public std::runtime_error {
public:
    enum class Kind {
        Invalid, // not a picture, or damaged or cut short
        TooLarge // a well-formed header claiming a size that cannot be allocated
    };
    PictureFileError(Kind kind, const char* what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// Throws PictureFileError when the bytes are not a complete picture of a supported format
// or claim more than kMaxPicturePixels.
PictureHeader inspectPictureFile(std::span<const std::uint8_t> bytes);

// Where the rows of a 32-bit uncompressed bitmap lie: the one bitmap form that keeps an alpha
// channel in its pixels.
struct Bitmap32Layout {
    std::int64_t widthPx = 0;
    std::int64_t heightPx = 0;
    bool topDown = false;
    std::uint32_t pixelOffset = 0; // where the rows start in the file

    // The size of a file that holds every row.
    std::uint64_t fileSize() const noexcept {
        return pixelOffset + static_cast<std::uint64_t>(4 * widthPx * heightPx);
    }
};

// The layout of a 32-bit uncompressed bitmap from the start of its file (its two headers; the
// rows need not be there). Nothing for any other file, for headers that are cut short or
// place the rows inside them, and for a size over kMaxPicturePixels.
std::optional<Bitmap32Layout> bitmap32Layout(std::span<const std::uint8_t> bytes);

} // namespace cutshape::core

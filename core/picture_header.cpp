#include "core/picture_header.h"

#include "core/twips.h"

#include <algorithm>
#include <cstring>

namespace cutshape::core {
namespace {

using Kind = PictureFileError::Kind;

[[noreturn]] void invalid(const char* what) {
    throw PictureFileError(Kind::Invalid, what);
}

// Little-endian reads that fail instead of reading past the end.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const noexcept { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t count) const noexcept {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint8_t u8(std::size_t offset) const {
        need(offset, 1);
        return bytes_[offset];
    }
    std::uint16_t u16(std::size_t offset) const {
        need(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint16_t u16be(std::size_t offset) const {
        need(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] << 8 | bytes_[offset + 1]);
    }
    std::uint32_t u32be(std::size_t offset) const {
        return static_cast<std::uint32_t>(u16be(offset)) << 16 | u16be(offset + 2);
    }
    std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count) const {
        need(offset, count);
        return bytes_.subspan(offset, count);
    }
    std::uint32_t u32(std::size_t offset) const {
        need(offset, 4);
        return static_cast<std::uint32_t>(u16(offset)) | static_cast<std::uint32_t>(u16(offset + 2))
                                                             << 16;
    }
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    std::int16_t i16(std::size_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    bool startsWith(const char* magic) const noexcept {
        const std::size_t length = std::strlen(magic);
        return has(0, length) && std::memcmp(bytes_.data(), magic, length) == 0;
    }

private:
    void need(std::size_t offset, std::size_t count) const {
        if (!has(offset, count))
            invalid("the file ends inside its header");
    }
    std::span<const std::uint8_t> bytes_;
};

[[noreturn]] void tooLarge() {
    throw PictureFileError(Kind::TooLarge, "the picture is too large to be held in memory");
}

PictureHeader sized(PictureFormat format, std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0)
        invalid("the picture has no pixels");
    if (width > kMaxPicturePixels / height)
        tooLarge();
    return {format, width, height};
}

PictureHeader inspectBitmap(const Reader& in) {
    const std::uint32_t pixelOffset = in.u32(10);
    const std::uint32_t infoSize = in.u32(14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0; // 0: the full table of the depth
    std::uint32_t paletteEntrySize = 4;
    if (infoSize == 12) { // the old core header
        width = in.u16(18);
        height = in.u16(20);
        bitCount = in.u16(24);
        paletteEntrySize = 3;
    } else if (infoSize >= 40) {
        width = in.i32(18);
        height = in.i32(22);
        if (height < 0)
            height = -height;
        if (in.u16(26) != 1)
            invalid("the bitmap has more than one plane");
        bitCount = in.u16(28);
        compression = in.u32(30);
        imageSize = in.u32(34);
        colorsUsed = in.u32(46);
    } else {
        invalid("the bitmap header has an unknown size");
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        invalid("the bitmap has an unsupported colour depth");
    const PictureHeader header = sized(PictureFormat::Bitmap, width, height);

    // A decoder reads the colour table from behind the header, whatever the pixel offset says:
    // the colours used, at most the depth's full table. BI_BITFIELDS' three masks follow the
    // first 40 bytes of the header, inside the larger headers.
    const std::uint64_t headersEnd = 14 + std::uint64_t{infoSize};
    std::uint64_t tableEnd = headersEnd;
    if (bitCount <= 8) {
        const std::uint64_t fullTable = std::uint64_t{1} << bitCount;
        const std::uint64_t entries =
            colorsUsed == 0 ? fullTable : std::min<std::uint64_t>(colorsUsed, fullTable);
        tableEnd += entries * paletteEntrySize;
    } else if (compression == 3) {
        tableEnd = std::max<std::uint64_t>(tableEnd, 14 + 40 + 12);
    }
    if (tableEnd > in.size())
        invalid("the bitmap's colour table is cut short");
    if (pixelOffset < headersEnd || pixelOffset > in.size())
        invalid("the bitmap's pixel data lies outside the file");

    const std::uint64_t available = in.size() - pixelOffset;
    switch (compression) {
    case 0: // BI_RGB
    case 3: // BI_BITFIELDS
    {
        const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
        if (stride * static_cast<std::uint64_t>(height) > available)
            invalid("the bitmap's pixel data is cut short");
        break;
    }
    case 1: // BI_RLE8
    case 2: // BI_RLE4
        if ((compression == 1 && bitCount != 8) || (compression == 2 && bitCount != 4))
            invalid("the bitmap's compression does not match its colour depth");
        if (imageSize == 0 || imageSize > available)
            invalid("the bitmap's compressed data is cut short");
        break;
    default:
        invalid("the bitmap uses an unsupported compression");
    }
    return header;
}

// Skips a chain of GIF data sub-blocks starting at `offset`; returns the offset after the
// terminating empty block.
std::size_t skipGifSubBlocks(const Reader& in, std::size_t offset) {
    for (;;) {
        if (!in.has(offset, 1))
            invalid("the GIF data is cut short");
        const std::uint8_t length = in.u8(offset);
        offset += 1 + std::size_t{length};
        if (length == 0)
            return offset;
    }
}

PictureHeader inspectGif(const Reader& in) {
    const PictureHeader header = sized(PictureFormat::Gif, in.u16(6), in.u16(8));
    const std::uint8_t screenFlags = in.u8(10);
    std::size_t offset = 13;
    if (screenFlags & 0x80)
        offset += 3 * (std::size_t{2} << (screenFlags & 7));
    // The first image must be complete; what follows it is never drawn.
    for (;;) {
        if (!in.has(offset, 1))
            invalid("the GIF ends before its first image");
        switch (in.u8(offset)) {
        case 0x21: // extension: label, then sub-blocks
            offset = skipGifSubBlocks(in, offset + 2);
            break;
        case 0x2C: { // image descriptor
            const std::uint8_t imageFlags = in.u8(offset + 9);
            // Decoders allocate the image as its descriptor sizes it, whatever the screen's.
            if (std::int64_t{in.u16(offset + 5)} * in.u16(offset + 7) > kMaxPicturePixels)
                tooLarge();
            offset += 10;
            if (imageFlags & 0x80)
                offset += 3 * (std::size_t{2} << (imageFlags & 7));
            in.u8(offset); // the LZW minimum code size must be there
            skipGifSubBlocks(in, offset + 1);
            return header;
        }
        default:
            invalid("the GIF holds no image");
        }
    }
}

PictureHeader inspectJpeg(const Reader& in) {
    std::size_t offset = 2;
    for (;;) {
        if (!in.has(offset, 4) || in.u8(offset) != 0xFF)
            invalid("the JPEG ends before its frame header");
        const std::uint8_t marker = in.u8(offset + 1);
        if (marker == 0xFF) { // fill byte
            ++offset;
            continue;
        }
        const std::uint16_t length = in.u16be(offset + 2);
        const bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            const PictureHeader header =
                sized(PictureFormat::Jpeg, in.u16be(offset + 7), in.u16be(offset + 5));
            // A complete file ends with its end-of-image marker.
            const std::size_t size = in.size();
            std::size_t end = size;
            while (end > offset && in.u8(end - 1) == 0)
                --end; // some writers pad the file
            if (end < 2 || in.u8(end - 2) != 0xFF || in.u8(end - 1) != 0xD9)
                invalid("the JPEG data is cut short");
            return header;
        }
        if (marker == 0xD9 || marker == 0xDA)
            invalid("the JPEG has no frame header");
        offset += 2 + std::size_t{length};
    }
}

PictureHeader inspectIcon(const Reader& in) {
    const std::uint16_t count = in.u16(4);
    if (count == 0)
        invalid("the icon holds no image");
    PictureHeader header{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::int64_t width = in.u8(entry) ? in.u8(entry) : 256;
        const std::int64_t height = in.u8(entry + 1) ? in.u8(entry + 1) : 256;
        const std::uint32_t size = in.u32(entry + 8);
        const std::uint32_t offset = in.u32(entry + 12);
        if (size == 0 || !in.has(offset, size))
            invalid("the icon's image data lies outside the file");
        if (i == 0)
            header = sized(PictureFormat::Icon, width, height);
    }
    return header;
}

PictureHeader inspectMetafile(const Reader& in) {
    // Placeable header: key, handle, bounds (4 x int16), units per inch, reserved, checksum.
    const std::int64_t width = std::int64_t{in.i16(10)} - in.i16(6);
    const std::int64_t height = std::int64_t{in.i16(12)} - in.i16(8);
    const std::uint16_t unitsPerInch = in.u16(14);
    if (unitsPerInch == 0)
        invalid("the metafile has no scale");
    std::uint16_t checksum = 0;
    for (std::size_t offset = 0; offset < 20; offset += 2)
        checksum ^= in.u16(offset);
    if (checksum != in.u16(20))
        invalid("the metafile header is damaged");
    // The metafile proper follows: its size is counted in 16-bit words.
    const std::uint64_t words = in.u32(22 + 6);
    if (in.u16(22 + 2) != 9 || words * 2 > in.size() - 22)
        invalid("the metafile is cut short");
    const auto pixels = [unitsPerInch](std::int64_t units) {
        return ((units < 0 ? -units : units) * 96 + unitsPerInch - 1) / unitsPerInch;
    };
    return sized(PictureFormat::Metafile, pixels(width), pixels(height));
}

// The CRC-32 of PNG chunks (ISO 3309, reflected, polynomial 0xEDB88320).
std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The chunks from the header to the end marker must all be in the file and intact, with image
// data and, for a palette image, a palette before it.
PictureHeader inspectPng(const Reader& in) {
    constexpr std::size_t kSignature = 8;
    if (in.u32be(kSignature) != 13 || !in.startsWith("\x89PNG\r\n\x1A\n") ||
        std::memcmp(in.bytes(kSignature + 4, 4).data(), "IHDR", 4) != 0)
        invalid("the PNG file does not start with its header");
    const std::int64_t width = in.u32be(16);
    const std::int64_t height = in.u32be(20);
    const std::uint8_t depth = in.u8(24);
    const std::uint8_t colourType = in.u8(25);
    const bool depthFits = [&] {
        switch (colourType) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        }
        return false;
    }();
    if (!depthFits || in.u8(26) != 0 || in.u8(27) != 0 || in.u8(28) > 1)
        invalid("the PNG header names an unknown kind of image");
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        invalid("the PNG header is damaged");
    const PictureHeader header = sized(PictureFormat::Png, width, height);

    bool palette = false;
    bool data = false;
    for (std::size_t offset = kSignature;;) {
        if (!in.has(offset, 12))
            invalid("the PNG file is cut short");
        const std::uint32_t length = in.u32be(offset);
        if (length > 0x7FFFFFFF || !in.has(offset + 8, std::size_t{length} + 4))
            invalid("the PNG file is cut short");
        const std::span<const std::uint8_t> typed = in.bytes(offset + 4, 4 + std::size_t{length});
        if (crc32(typed) != in.u32be(offset + 8 + length))
            invalid("a chunk of the PNG file is damaged");
        const auto is = [&](const char* type) { return std::memcmp(typed.data(), type, 4) == 0; };
        if (is("PLTE"))
            palette = true;
        else if (is("IDAT") && colourType == 3 && !palette)
            invalid("the PNG image has no palette");
        else if (is("IDAT"))
            data = true;
        else if (is("IEND"))
            break;
        offset += 12 + std::size_t{length};
    }
    if (!data)
        invalid("the PNG file holds no image data");
    return header;
}

// The first image's directory: its entries in the file, a width and a height, and every strip
// or tile the image names inside the file. Either byte order.
PictureHeader inspectTiff(const Reader& in) {
    const bool big = in.u8(0) == 'M';
    const auto u16 = [&](std::size_t at) { return big ? in.u16be(at) : in.u16(at); };
    const auto u32 = [&](std::size_t at) { return big ? in.u32be(at) : in.u32(at); };
    const std::size_t directory = u32(4);
    const std::size_t entries = u16(directory);
    if (!in.has(directory + 2, entries * 12 + 4)) // the entries and the next directory's offset
        invalid("the TIFF file is cut short");
    // A SHORT or LONG field whose one value, or whose values' offset, is in the entry.
    std::int64_t width = 0, height = 0;
    std::size_t offsets = 0, counts = 0, places = 0, countsType = 0, offsetsType = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        const std::uint16_t tag = u16(entry);
        const std::uint16_t type = u16(entry + 2);
        if (type != 3 && type != 4)
            continue;
        const std::size_t count = u32(entry + 4);
        const std::uint32_t value = type == 3 && count == 1 ? u16(entry + 8) : u32(entry + 8);
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
        else if (tag == 273 || tag == 324) // strip or tile offsets
            offsets = entry, places = count, offsetsType = type;
        else if (tag == 279 || tag == 325) // their byte counts
            counts = entry, countsType = type;
    }
    const PictureHeader header = sized(PictureFormat::Tiff, width, height);
    if (offsets == 0 || counts == 0 || u32(counts + 4) != places || places == 0)
        invalid("the TIFF image names no data");
    // The i-th value of a field: in the entry when all of them fit in its four bytes.
    const auto valueAt = [&](std::size_t entry, std::size_t type, std::size_t index) {
        const std::size_t bytes = type == 3 ? 2 : 4;
        const std::size_t at = places * bytes <= 4 ? entry + 8 + index * bytes
                                                   : std::size_t{u32(entry + 8)} + index * bytes;
        return std::uint64_t{type == 3 ? u16(at) : u32(at)};
    };
    for (std::size_t i = 0; i < places; ++i) {
        if (valueAt(offsets, offsetsType, i) + valueAt(counts, countsType, i) > in.size())
            invalid("the TIFF image's data lies outside the file");
    }
    return header;
}

PictureHeader inspectEnhancedMetafile(const Reader& in) {
    const std::uint32_t fileSize = in.u32(48);
    if (fileSize > in.size() || fileSize < 88)
        invalid("the enhanced metafile is cut short");
    // The picture's size is its frame (left, top, right, bottom at offset 24), in hundredths
    // of a millimetre; the bounds before it only enclose what the records draw.
    const std::int64_t width = std::int64_t{in.i32(32)} - in.i32(24);
    const std::int64_t height = std::int64_t{in.i32(36)} - in.i32(28);
    const auto pixels = [](std::int64_t himetric) {
        return (himetric < 0 ? -himetric : himetric) * kPictureDpi / kHimetricPerInch + 1;
    };
    return sized(PictureFormat::EnhancedMetafile, pixels(width), pixels(height));
}

} // namespace

PictureHeader inspectPictureFile(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    if (bytes.empty())
        invalid("the file is empty");
    if (in.startsWith("BM"))
        return inspectBitmap(in);
    if (in.startsWith("GIF87a") || in.startsWith("GIF89a"))
        return inspectGif(in);
    if (in.has(0, 3) && in.u8(0) == 0xFF && in.u8(1) == 0xD8 && in.u8(2) == 0xFF)
        return inspectJpeg(in);
    if (in.startsWith("\x89PNG"))
        return inspectPng(in);
    if (in.has(0, 4) &&
        ((in.startsWith("II") && in.u16(2) == 42) || (in.startsWith("MM") && in.u16be(2) == 42)))
        return inspectTiff(in);
    if (in.has(0, 4) && in.u16(0) == 0 && (in.u16(2) == 1 || in.u16(2) == 2))
        return inspectIcon(in);
    if (in.has(0, 4) && in.u32(0) == 0x9AC6CDD7u)
        return inspectMetafile(in);
    if (in.has(0, 44) && in.u32(0) == 1 && in.u32(40) == 0x464D4520u) // " EMF"
        return inspectEnhancedMetafile(in);
    invalid("the file is not a BMP, GIF, JPEG, PNG, TIFF, ICO, WMF or EMF picture");
}

std::optional<Bitmap32Layout> bitmap32Layout(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    if (!in.startsWith("BM") || !in.has(0, 14 + 40))
        return std::nullopt;
    const std::uint32_t infoSize = in.u32(14);
    const std::int64_t width = in.i32(18);
    const std::int64_t height = in.i32(22);
    const std::int64_t rows = height < 0 ? -height : height;
    const std::uint32_t pixelOffset = in.u32(10);
    if (infoSize < 40 || in.u16(26) != 1 || in.u16(28) != 32 || in.u32(30) != 0 || width <= 0 ||
        rows <= 0 || width > kMaxPicturePixels / rows || pixelOffset < 14 + std::uint64_t{infoSize})
        return std::nullopt;
    return Bitmap32Layout{width, rows, height < 0, pixelOffset};
}

} // namespace cutshape::core

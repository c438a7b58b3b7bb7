// Picture files are put together here byte by byte from the file formats, each in a vector of
// exactly its size, so that a read past the end of one is an address-sanitizer fault.

#include "core/picture_header.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cutshape::core {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian fields (big-endian ones for JPEG).
class FileBuilder {
public:
    FileBuilder& text(std::string_view s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    FileBuilder& u8(unsigned value) {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    FileBuilder& u16(unsigned value) { return u8(value & 0xFF).u8(value >> 8 & 0xFF); }
    FileBuilder& i16(std::int16_t value) { return u16(static_cast<std::uint16_t>(value)); }
    FileBuilder& u16be(unsigned value) { return u8(value >> 8 & 0xFF).u8(value & 0xFF); }
    FileBuilder& u32(std::uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
    FileBuilder& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    FileBuilder& zeros(std::size_t count) {
        bytes_.resize(bytes_.size() + count);
        return *this;
    }
    std::size_t size() const { return bytes_.size(); }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

Bytes withBytes(Bytes file, std::size_t offset, std::initializer_list<std::uint8_t> values) {
    std::copy(values.begin(), values.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
    return file;
}
Bytes withU16(Bytes file, std::size_t offset, std::uint16_t value) {
    return withBytes(std::move(file), offset,
                     {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}
Bytes withU32(Bytes file, std::size_t offset, std::uint32_t value) {
    file = withU16(std::move(file), offset, static_cast<std::uint16_t>(value));
    return withU16(std::move(file), offset + 2, static_cast<std::uint16_t>(value >> 16));
}

// ---- files of each format --------------------------------------------------------------

struct BitmapLayout {
    std::int32_t width = 3;
    std::int32_t height = 2; // negative: the rows are stored top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0; // 0 uncompressed, 1 RLE8, 2 RLE4, 3 bit fields
    std::uint32_t colorsUsed = 0;  // 0: the full colour table of the depth
    std::uint32_t infoSize = 40;
    bool withTable = true;  // the colour table, or the masks after a 40-byte header
    bool withPixels = true; // zeroed rows, or one end-of-bitmap code when compressed
};

Bytes bitmapFile(const BitmapLayout& layout) {
    std::uint32_t tableBytes = 0;
    if (layout.bitCount <= 8) {
        const std::uint32_t fullTable = 1u << layout.bitCount;
        tableBytes = 4 * (layout.colorsUsed ? std::min(layout.colorsUsed, fullTable) : fullTable);
    } else if (layout.compression == 3 && layout.infoSize == 40) {
        tableBytes = 12;
    }
    if (!layout.withTable)
        tableBytes = 0;
    const bool compressed = layout.compression == 1 || layout.compression == 2;
    const std::uint64_t rowBytes =
        (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
    const std::uint64_t rows = layout.height < 0 ? -std::int64_t{layout.height} : layout.height;
    std::size_t pixelBytes = compressed ? 2 : static_cast<std::size_t>(rowBytes * rows);
    if (!layout.withPixels)
        pixelBytes = 0;
    const std::uint32_t pixelOffset = 14 + layout.infoSize + tableBytes;

    FileBuilder file;
    file.text("BM").u32(pixelOffset + static_cast<std::uint32_t>(pixelBytes)).u32(0);
    file.u32(pixelOffset).u32(layout.infoSize).i32(layout.width).i32(layout.height);
    file.u16(1).u16(layout.bitCount).u32(layout.compression);
    file.u32(static_cast<std::uint32_t>(pixelBytes)).i32(3780).i32(3780);
    file.u32(layout.colorsUsed).u32(0).zeros(layout.infoSize - 40);
    if (layout.bitCount > 8 && tableBytes == 12) // 5-6-5 or 8-8-8 masks
        file.u32(layout.bitCount == 16 ? 0xF800 : 0xFF0000)
            .u32(layout.bitCount == 16 ? 0x07E0 : 0x00FF00)
            .u32(layout.bitCount == 16 ? 0x001F : 0x0000FF);
    else
        file.zeros(tableBytes);
    if (compressed && layout.withPixels)
        file.u8(0).u8(1); // end of bitmap
    else
        file.zeros(pixelBytes);
    return file.take();
}

// A bitmap with the old 12-byte header: 16-bit sizes and a table of 3-byte entries.
Bytes coreBitmapFile(std::uint16_t width, std::uint16_t height, std::uint16_t bitCount) {
    const std::uint32_t tableBytes = bitCount <= 8 ? 3u << bitCount : 0;
    const std::uint32_t pixelBytes = (width * bitCount + 31u) / 32 * 4 * height;
    FileBuilder file;
    file.text("BM").u32(26 + tableBytes + pixelBytes).u32(0).u32(26 + tableBytes);
    file.u32(12).u16(width).u16(height).u16(1).u16(bitCount);
    file.zeros(tableBytes).zeros(pixelBytes);
    return file.take();
}

struct GifLayout {
    std::uint16_t width = 3;
    std::uint16_t height = 2;
    const char* version = "GIF89a";
    int globalTable = 0; // the 3-bit size field (2 << field entries), or -1 for none
    bool graphicControl = false;
    int localTable = -1;
    std::uint16_t imageWidth = 0; // 0: the screen's
    std::uint16_t imageHeight = 0;
};

Bytes gifFile(const GifLayout& layout) {
    FileBuilder file;
    file.text(layout.version).u16(layout.width).u16(layout.height);
    file.u8(layout.globalTable >= 0 ? 0x80u | static_cast<unsigned>(layout.globalTable) : 0)
        .u8(0)
        .u8(0);
    if (layout.globalTable >= 0)
        file.zeros(3 * (std::size_t{2} << layout.globalTable));
    if (layout.graphicControl) // transparency and delay: one sub-block of 4 bytes
        file.u8(0x21).u8(0xF9).u8(4).u8(1).u16(0).u8(0).u8(0);
    file.u8(0x2C).u16(0).u16(0);
    file.u16(layout.imageWidth ? layout.imageWidth : layout.width);
    file.u16(layout.imageHeight ? layout.imageHeight : layout.height);
    file.u8(layout.localTable >= 0 ? 0x80u | static_cast<unsigned>(layout.localTable) : 0);
    if (layout.localTable >= 0)
        file.zeros(3 * (std::size_t{2} << layout.localTable));
    file.u8(2).u8(2).u8(0x44).u8(0x01).u8(0); // code size, one sub-block, terminator
    file.u8(0x3B);                            // trailer
    return file.take();
}

struct JpegLayout {
    std::uint16_t width = 8;
    std::uint16_t height = 6;
    std::uint8_t frameMarker = 0xC0;
    std::uint8_t tableMarker = 0; // a table segment before the frame header: DHT, DAC or JPG
    bool fillByte = false;        // an extra 0xFF before the frame header's marker
    std::size_t padding = 0;      // zeros after the end-of-image marker
};

Bytes jpegFile(const JpegLayout& layout) {
    FileBuilder file;
    file.u8(0xFF).u8(0xD8);
    file.u8(0xFF).u8(0xE0).u16be(16).text("JFIF").u8(0).u8(1).u8(1).u8(0).u16be(1).u16be(1);
    file.u8(0).u8(0);
    if (layout.tableMarker) {
        // Its bytes where a frame header keeps its size read as 1 x 1.
        file.u8(0xFF).u8(layout.tableMarker).u16be(21).u8(0);
        file.u8(0).u8(1).u8(0).u8(1).zeros(12).u8(0x01).u8(0x02);
    }
    if (layout.fillByte)
        file.u8(0xFF);
    file.u8(0xFF).u8(layout.frameMarker).u16be(11).u8(8).u16be(layout.height).u16be(layout.width);
    file.u8(1).u8(1).u8(0x11).u8(0);
    file.u8(0xFF).u8(0xDA).u16be(8).u8(1).u8(1).u8(0).u8(0).u8(63).u8(0);
    file.u8(0x12).u8(0x34); // entropy-coded data
    file.u8(0xFF).u8(0xD9).zeros(layout.padding);
    return file.take();
}

struct IconImage {
    std::uint8_t width; // 0 means 256
    std::uint8_t height;
    std::uint32_t dataBytes = 8;
};

Bytes iconFile(const std::vector<IconImage>& images, std::uint16_t type = 1) {
    FileBuilder file;
    file.u16(0).u16(type).u16(static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const IconImage& image : images) {
        file.u8(image.width).u8(image.height).u8(0).u8(0).u16(1).u16(32);
        file.u32(image.dataBytes).u32(offset);
        offset += image.dataBytes;
    }
    for (const IconImage& image : images)
        file.zeros(image.dataBytes);
    return file.take();
}

// A placeable metafile: the 22-byte header with its checksum, then a metafile of a header
// and the end record.
Bytes placeableMetafile(std::int16_t left, std::int16_t top, std::int16_t right,
                        std::int16_t bottom, std::uint16_t unitsPerInch) {
    FileBuilder header;
    header.u32(0x9AC6CDD7).u16(0).i16(left).i16(top).i16(right).i16(bottom).u16(unitsPerInch);
    header.u32(0);
    Bytes file = header.take();
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2)
        checksum ^= static_cast<std::uint16_t>(file[i] | file[i + 1] << 8);
    FileBuilder rest;
    rest.u16(checksum);
    rest.u16(1).u16(9).u16(0x0300).u32(9 + 3).u16(0).u32(3).u16(0); // header, size in words
    rest.u32(3).u16(0);                                             // end record
    const Bytes tail = rest.take();
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

struct Box {
    std::int32_t left, top, right, bottom;
};

// An enhanced metafile of the header record and the end record; the frame is in hundredths
// of a millimetre, the bounds in device pixels.
Bytes enhancedMetafile(Box frame, Box bounds) {
    FileBuilder file;
    file.u32(1).u32(88);
    file.i32(bounds.left).i32(bounds.top).i32(bounds.right).i32(bounds.bottom);
    file.i32(frame.left).i32(frame.top).i32(frame.right).i32(frame.bottom);
    file.u32(0x464D4520).u32(0x10000).u32(108).u32(2).u16(1).u16(0); // " EMF", size, records
    file.u32(0).u32(0).u32(0).i32(1024).i32(768).i32(320).i32(240);
    file.u32(14).u32(20).u32(0).u32(16).u32(20); // end record
    return file.take();
}

// A PNG file: the signature, the header, a palette when asked, image data (never decoded
// here) and the end marker, each chunk with its CRC-32 (computed bytewise from a table here).
struct PngLayout {
    std::uint32_t width = 5, height = 4;
    std::uint8_t depth = 8, colourType = 6, interlace = 0;
    bool palette = false, data = true;
};
void pngChunk(FileBuilder& file, const char* type, const Bytes& data) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : typed)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    const auto u32be = [&](std::uint32_t v) { file.u16be(v >> 16).u16be(v & 0xFFFF); };
    u32be(static_cast<std::uint32_t>(data.size()));
    file.text(std::string_view(reinterpret_cast<const char*>(typed.data()), typed.size()));
    u32be(~crc);
}
Bytes pngFile(const PngLayout& png) {
    FileBuilder file;
    file.text("\x89PNG\r\n\x1A\n");
    FileBuilder header;
    header.u16be(png.width >> 16).u16be(png.width & 0xFFFF);
    header.u16be(png.height >> 16).u16be(png.height & 0xFFFF);
    header.u8(png.depth).u8(png.colourType).u8(0).u8(0).u8(png.interlace);
    pngChunk(file, "IHDR", header.take());
    if (png.palette)
        pngChunk(file, "PLTE", Bytes(6, 0x80));
    if (png.data)
        pngChunk(file, "IDAT", Bytes{0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    pngChunk(file, "IEND", {});
    return file.take();
}

// A TIFF file: the header, then one strip of `stripBytes` bytes, then the directory (width,
// height, strip offset and byte count, each a LONG held in its entry).
struct TiffLayout {
    std::uint32_t width = 3, height = 2, stripBytes = 18;
    bool bigEndian = false, withWidth = true;
};
Bytes tiffFile(const TiffLayout& tiff) {
    FileBuilder file;
    const auto u16 = [&](unsigned v) { tiff.bigEndian ? file.u16be(v) : file.u16(v); };
    const auto u32 = [&](std::uint32_t v) {
        tiff.bigEndian ? file.u16be(v >> 16).u16be(v & 0xFFFF) : file.u32(v);
    };
    file.text(tiff.bigEndian ? "MM" : "II");
    u16(42);
    u32(8 + tiff.stripBytes);
    file.zeros(tiff.stripBytes);
    const std::uint32_t fields[][2] = {
        {256, tiff.width}, {257, tiff.height}, {273, 8}, {279, tiff.stripBytes}};
    u16(tiff.withWidth ? 4 : 3);
    for (const auto& [tag, value] : fields) {
        if (tag == 256 && !tiff.withWidth)
            continue;
        u16(tag);
        u16(4);
        u32(1);
        u32(value);
    }
    u32(0);
    return file.take();
}

// ---- verdicts --------------------------------------------------------------------------

// In the order of PictureFormat.
constexpr const char* kFormatNames[] = {"bitmap", "gif",  "jpeg",     "png",
                                        "tiff",   "icon", "metafile", "enhanced metafile"};

// "bitmap 3x2" for an accepted file, with "; 32-bit rows at 54" (and ", top-down") for a
// 32-bit uncompressed bitmap; "invalid: <reason>" or "too large: <reason>" for a refused one.
std::string verdict(const Bytes& file) {
    try {
        const PictureHeader header = inspectPictureFile(file);
        std::string rows;
        if (const std::optional<Bitmap32Layout> layout = bitmap32Layout(file)) {
            rows = "; 32-bit rows at " + std::to_string(layout->pixelOffset) +
                   (layout->topDown ? ", top-down" : "");
            EXPECT_EQ(layout->fileSize(), file.size());
            EXPECT_EQ(layout->widthPx * layout->heightPx, header.widthPx * header.heightPx);
        }
        return std::string(kFormatNames[static_cast<int>(header.format)]) + ' ' +
               std::to_string(header.widthPx) + 'x' + std::to_string(header.heightPx) + rows;
    } catch (const PictureFileError& refusal) {
        return std::string(refusal.kind() == PictureFileError::Kind::TooLarge ? "too large"
                                                                              : "invalid") +
               ": " + refusal.what();
    }
}

// `expected` is a whole verdict, or only the kind of refusal.
::testing::AssertionResult hasVerdict(const Bytes& file, std::string_view expected) {
    const std::string actual = verdict(file);
    if (actual == expected || actual.starts_with(std::string(expected) + ": "))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "verdict \"" << actual << "\", not \"" << expected << '"';
}

struct FileCase {
    const char* name;
    Bytes file;
    const char* expected;
    std::size_t optionalTail = 0; // bytes at the end that the file may lack
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name << " (" << c.file.size() << " bytes)";
}

std::string caseName(const ::testing::TestParamInfo<FileCase>& info) {
    return info.param.name;
}

// ---- accepted files --------------------------------------------------------------------

std::vector<FileCase> acceptedFiles() {
    constexpr std::int16_t kInch = 1440;
    return {
        {"Bitmap24BitBottomUp", bitmapFile({}), "bitmap 3x2"},
        {"Bitmap1BitFullTable", bitmapFile({.width = 9, .height = 3, .bitCount = 1}), "bitmap 9x3"},
        // A table of only the colours used, in a file smaller than a full table.
        {"Bitmap8BitShortTable", bitmapFile({.bitCount = 8, .colorsUsed = 2}), "bitmap 3x2"},
        {"Bitmap1BitTableCountBeyondItsDepth", bitmapFile({.bitCount = 1, .colorsUsed = 1000}),
         "bitmap 3x2"},
        {"BitmapRle8", bitmapFile({.width = 7, .height = 5, .bitCount = 8, .compression = 1}),
         "bitmap 7x5"},
        {"BitmapRle4", bitmapFile({.width = 7, .height = 5, .bitCount = 4, .compression = 2}),
         "bitmap 7x5"},
        {"Bitmap16BitFieldsAfterTheHeader", bitmapFile({.bitCount = 16, .compression = 3}),
         "bitmap 3x2"},
        {"Bitmap32Bit", bitmapFile({.bitCount = 32}), "bitmap 3x2; 32-bit rows at 54"},
        {"Bitmap32BitTopDownInALargerHeader",
         bitmapFile({.height = -2, .bitCount = 32, .infoSize = 124}),
         "bitmap 3x2; 32-bit rows at 138, top-down"},
        {"Bitmap32BitTopDownFieldsInALargerHeader",
         bitmapFile({.height = -2, .bitCount = 32, .compression = 3, .infoSize = 124}),
         "bitmap 3x2"},
        {"BitmapCoreHeader4Bit", coreBitmapFile(5, 4, 4), "bitmap 5x4"},
        // What follows the first image is never drawn: a GIF may lack its 1-byte trailer.
        {"Gif87a", gifFile({.width = 4, .height = 3, .version = "GIF87a"}), "gif 4x3", 1},
        {"Gif89aExtensionAndLocalTable",
         gifFile({.globalTable = -1, .graphicControl = true, .localTable = 2}), "gif 3x2", 1},
        {"GifLargestGlobalTable", gifFile({.globalTable = 7}), "gif 3x2", 1},
        {"GifScreenLargerThanItsImage", gifFile({.width = 30, .height = 20, .imageWidth = 3}),
         "gif 30x20", 1},
        {"JpegBaseline", jpegFile({}), "jpeg 8x6"},
        {"JpegProgressive", jpegFile({.width = 640, .height = 480, .frameMarker = 0xC2}),
         "jpeg 640x480"},
        {"JpegHuffmanTableIsNoFrameHeader", jpegFile({.tableMarker = 0xC4}), "jpeg 8x6"},
        {"JpegArithmeticTableIsNoFrameHeader", jpegFile({.tableMarker = 0xCC}), "jpeg 8x6"},
        {"JpegFillByteBeforeAMarker", jpegFile({.fillByte = true}), "jpeg 8x6"},
        {"JpegPaddedAfterItsEnd", jpegFile({.padding = 3}), "jpeg 8x6", 3},
        {"PngRgba", pngFile({}), "png 5x4"},
        {"PngPaletteInterlaced",
         pngFile({.depth = 4, .colourType = 3, .interlace = 1, .palette = true}), "png 5x4"},
        {"PngGrey16", pngFile({.width = 300, .height = 2, .depth = 16, .colourType = 0}),
         "png 300x2"},
        {"TiffLittleEndian", tiffFile({}), "tiff 3x2"},
        {"TiffBigEndian", tiffFile({.width = 300, .bigEndian = true}), "tiff 300x2"},
        {"IconOfSize256", iconFile({{0, 0}}), "icon 256x256"},
        {"IconSizedByItsFirstImage", iconFile({{48, 24}, {16, 16, 40}}), "icon 48x24"},
        {"Cursor", iconFile({{32, 32}}, 2), "icon 32x32"},
        {"MetafileCentredOnTheOrigin", placeableMetafile(-720, -360, 720, 360, kInch),
         "metafile 96x48"},
        {"MetafileUpsideDown", placeableMetafile(0, kInch, kInch, 0, kInch), "metafile 96x96"},
        // A part of a pixel counts as a pixel.
        {"MetafileFractionOfAPixel", placeableMetafile(0, 0, 10, 10, 1000), "metafile 1x1"},
        // 400 x 300 pixels at 96 per inch are 10583 x 7937 hundredths of a millimetre.
        {"EnhancedMetafileAwayFromTheOrigin",
         enhancedMetafile({2000, 1000, 12583, 8937}, {75, 37, 474, 336}),
         "enhanced metafile 400x300"},
        {"EnhancedMetafileUpsideDownFrame", enhancedMetafile({0, 7937, 10583, 0}, {0, 0, 399, 299}),
         "enhanced metafile 400x300"},
    };
}

class AcceptedFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(AcceptedFile, GivesItsFormatAndSize) {
    EXPECT_TRUE(hasVerdict(GetParam().file, GetParam().expected));
}

// Every shorter file is a copy of its own size, so a check that reads past the bytes it has
// is caught under the address sanitizer.
TEST_P(AcceptedFile, IsRefusedAsInvalidWhenCutShort) {
    const Bytes& whole = GetParam().file;
    const std::size_t essential = whole.size() - GetParam().optionalTail;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_TRUE(hasVerdict(cut, size < essential ? "invalid" : GetParam().expected))
            << "cut to " << size << " of " << whole.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, AcceptedFile, ::testing::ValuesIn(acceptedFiles()), caseName);

// A stored picture is read header first: the layout needs no rows, and refuses headers cut
// short, rows placed inside the headers and sizes over the limit.
TEST(Bitmap32Layout, IsReadFromTheHeadersAlone) {
    const Bytes file = bitmapFile({.bitCount = 32});
    EXPECT_TRUE(bitmap32Layout(std::span(file).first(54)));
    EXPECT_FALSE(bitmap32Layout(std::span(file).first(53)));
    EXPECT_FALSE(bitmap32Layout(withU32(file, 10, 53)));
    EXPECT_FALSE(bitmap32Layout(withU32(file, 18, 0x40000000)));
}

// ---- refusals and limits ---------------------------------------------------------------

class FileVerdict : public ::testing::TestWithParam<FileCase> {};

TEST_P(FileVerdict, IsTheExpectedOne) {
    EXPECT_TRUE(hasVerdict(GetParam().file, GetParam().expected));
}

constexpr std::int32_t kLimitSide = 16384; // kLimitSide squared is the most pixels accepted
static_assert(std::int64_t{kLimitSide} * kLimitSide == kMaxPicturePixels);

BitmapLayout rle8(std::int32_t width, std::int32_t height) {
    return {.width = width, .height = height, .bitCount = 8, .compression = 1};
}

std::vector<FileCase> sizedFiles() {
    constexpr auto side = static_cast<std::uint16_t>(kLimitSide);
    constexpr auto tallest = static_cast<std::int32_t>(kMaxPicturePixels);
    constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
    return {
        {"BitmapAtTheLimit", bitmapFile(rle8(kLimitSide, kLimitSide)), "bitmap 16384x16384"},
        {"BitmapOneRowMore", bitmapFile(rle8(kLimitSide, kLimitSide + 1)), "too large"},
        {"BitmapOneColumnAtTheLimit", bitmapFile(rle8(1, tallest)), "bitmap 1x268435456"},
        {"GifAtTheLimit", gifFile({.width = side, .height = side}), "gif 16384x16384"},
        {"GifOneColumnMore", gifFile({.width = side + 1, .height = side, .imageWidth = 1}),
         "too large"},
        // A decoder allocates the first image as its own descriptor sizes it.
        {"GifImageAtTheLimitOnASmallScreen",
         gifFile({.width = 1, .height = 1, .imageWidth = side, .imageHeight = side}), "gif 1x1"},
        {"GifImageOneColumnMoreOnASmallScreen",
         gifFile({.width = 1, .height = 1, .imageWidth = side + 1, .imageHeight = side}),
         "too large"},
        {"JpegAtTheLimit", jpegFile({.width = side, .height = side}), "jpeg 16384x16384"},
        {"PngAtTheLimit", pngFile({.width = side, .height = side}), "png 16384x16384"},
        {"PngOneRowMore", pngFile({.width = side, .height = side + 1u}), "too large"},
        {"PngNoHeight", pngFile({.height = 0}), "invalid"},
        {"TiffOneRowMore", tiffFile({.width = side, .height = side + 1u}), "too large"},
        {"TiffWithoutWidth", tiffFile({.withWidth = false}), "invalid"},
        {"PngWidthBeyond31Bits", pngFile({.width = 0x80000000u, .height = 1}), "invalid"},
        {"JpegOneRowMore", jpegFile({.width = side, .height = side + 1}), "too large"},
        {"MetafileAtTheLimit", placeableMetafile(0, 0, kLimitSide, kLimitSide, 96),
         "metafile 16384x16384"},
        {"MetafileOneColumnMore", placeableMetafile(0, 0, kLimitSide + 1, kLimitSide, 96),
         "too large"},
        // 16384 pixels are 433493.3 hundredths of a millimetre; 16385 are 433519.8.
        {"EnhancedMetafileAtTheLimit",
         enhancedMetafile({0, 0, 433493, 433493}, {0, 0, kLimitSide - 1, kLimitSide - 1}),
         "enhanced metafile 16384x16384"},
        // The frame sizes the picture, whatever the bounds of its drawing.
        {"EnhancedMetafileOneColumnMore", enhancedMetafile({0, 0, 433520, 433493}, {0, 0, 99, 99}),
         "too large"},
        // Sizes whose product, or the row size, does not fit in 32 bits; too large is the
        // answer even though the pixels are missing too.
        {"BitmapProductWrapsToZero",
         bitmapFile({.width = 65536, .height = 65536, .withPixels = false}), "too large"},
        {"BitmapTopDownLowestHeight",
         bitmapFile({.width = 1, .height = kMin32, .withPixels = false}), "too large"},
        // 2^28 pixels of 32 bits: a row of 2^30 bytes, but 2^33 bits.
        {"BitmapRowBitsOverflow",
         bitmapFile({.width = static_cast<std::int32_t>(kMaxPicturePixels),
                     .height = 1,
                     .bitCount = 32,
                     .withPixels = false}),
         "invalid"},
        {"MetafileWidestBounds", placeableMetafile(-32768, -32768, 32767, 32767, 1), "too large"},
        {"EnhancedMetafileWidestFrame",
         enhancedMetafile({kMin32, kMin32, kMax32, kMax32}, {0, 0, 99, 99}), "too large"},
        // No pixels. Every format's size goes through one check: the bitmap shows it, and the
        // metafile a size that comes out of bounds that meet.
        {"BitmapNoWidth", bitmapFile({.width = 0}), "invalid"},
        {"BitmapNoHeight", bitmapFile({.height = 0}), "invalid"},
        {"BitmapNegativeWidth", bitmapFile({.width = -3, .withPixels = false}), "invalid"},
        {"MetafileNoWidth", placeableMetafile(100, 0, 100, 50, 96), "invalid"},
    };
}
INSTANTIATE_TEST_SUITE_P(Size, FileVerdict, ::testing::ValuesIn(sizedFiles()), caseName);

Bytes withInserted(Bytes file, std::size_t offset, std::initializer_list<std::uint8_t> values) {
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(offset), values);
    return file;
}

// Each a complete file with one field spoiled. A length or offset that only reaches past the
// end is left to the cut-short files above, which find every such check of their format.
std::vector<FileCase> damagedFiles() {
    const Bytes bitmap = bitmapFile({});
    const Bytes rle = bitmapFile(rle8(7, 5));
    const Bytes gif = gifFile({});
    const std::size_t gifImage = 13 + 6; // after the header and the 2-entry global table
    const Bytes jpeg = jpegFile({});
    const Bytes icon = iconFile({{32, 32}, {16, 16}});
    const Bytes png = pngFile({});
    const Bytes metafile = placeableMetafile(0, 0, 96, 96, 96);
    const Bytes emf = enhancedMetafile({0, 0, 2540, 2540}, {0, 0, 95, 95});
    return {
        {"BitmapTwoPlanes", withU16(bitmap, 26, 2), "invalid"},
        {"BitmapThreeBitsAPixel", withU16(bitmap, 28, 3), "invalid"},
        {"BitmapNoBitsAPixel", withU16(bitmap, 28, 0), "invalid"}, // would need no pixel data
        {"BitmapJpegCompression", withU32(bitmap, 30, 4), "invalid"},
        {"BitmapRle8AtFourBits", bitmapFile({.bitCount = 4, .compression = 1}), "invalid"},
        {"BitmapRle4AtEightBits", bitmapFile({.bitCount = 8, .compression = 2}), "invalid"},
        {"BitmapRleWithoutDataSize", withU32(rle, 34, 0), "invalid"},
        // A decoder reads the colour table, or the masks, from behind the header, whatever the
        // pixel offset says.
        {"BitmapRleTableBeyondTheFile",
         bitmapFile({.width = 1, .height = 1, .bitCount = 8, .compression = 1, .withTable = false}),
         "invalid"},
        {"BitmapFieldMasksBeyondTheFile",
         bitmapFile(
             {.width = 1, .height = 1, .bitCount = 32, .compression = 3, .withTable = false}),
         "invalid"},
        {"BitmapPixelsInsideTheHeaders", withU32(bitmap, 10, 20), "invalid"},
        {"BitmapPixelsBeyondTheFile", withU32(rle, 10, static_cast<std::uint32_t>(rle.size() + 1)),
         "invalid"},
        {"BitmapHeaderOf20Bytes", withU32(bitmap, 14, 20), "invalid"},
        {"BitmapHeaderLargerThanTheFile", withU32(bitmap, 14, 0xFFFFFFF0), "invalid"},
        {"GifTrailerBeforeAnyImage", withBytes(gif, gifImage, {0x3B}), "invalid"},
        // A scan, or the end of the picture, before the frame header: the frame header that
        // follows (the end marker's next bytes read as a length that reaches it) comes too late.
        {"JpegScanBeforeAFrameHeader", withInserted(jpeg, 2, {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0}),
         "invalid"},
        {"JpegEndBeforeAFrameHeader", withInserted(jpeg, 2, {0xFF, 0xD9, 0, 2}), "invalid"},
        {"JpegSegmentWithoutMarker", withBytes(jpeg, 20, {0x00}), "invalid"},
        {"PngDamagedData", withBytes(png, png.size() - 12 - 5, {0x55}), "invalid"},
        {"PngHeaderOf12Bytes", withBytes(png, 11, {12}), "invalid"},
        {"PngRgbaOf4Bits", pngFile({.depth = 4}), "invalid"},
        {"PngColourType5", pngFile({.colourType = 5}), "invalid"},
        {"PngPaletteImageWithoutPalette", pngFile({.colourType = 3}), "invalid"},
        {"PngWithoutImageData", pngFile({.data = false}), "invalid"},
        {"TiffStripBeyondTheFile", withU32(tiffFile({}), 8 + 18 + 2 + 3 * 12 + 8, 73), "invalid"},
        {"IconWithoutImages", withU16(icon, 4, 0), "invalid"},
        {"IconEmptyImage", withU32(icon, 6 + 8, 0), "invalid"},
        {"IconImageOffsetWrapsAround", withU32(icon, 6 + 12, 0xFFFFFFF0), "invalid"},
        {"MetafileChecksum", withBytes(metafile, 20, {static_cast<std::uint8_t>(metafile[20] ^ 1)}),
         "invalid"},
        {"MetafileWithoutScale", placeableMetafile(0, 0, 96, 96, 0), "invalid"},
        {"MetafileHeaderOf10Words", withU16(metafile, 22 + 2, 10), "invalid"},
        {"EnhancedMetafileShorterThanItsHeader", withU32(emf, 48, 87), "invalid"},
    };
}
INSTANTIATE_TEST_SUITE_P(Damaged, FileVerdict, ::testing::ValuesIn(damagedFiles()), caseName);

// Each valid but for its signature, so only the signature check can refuse it. An empty file
// and one of a single byte are among the cut-short files.
std::vector<FileCase> unknownFiles() {
    const Bytes emf = enhancedMetafile({0, 0, 2540, 2540}, {0, 0, 95, 95});
    return {
        {"BitmapSignatureBA", withBytes(bitmapFile({}), 1, {'A'}), "invalid"},
        {"Gif88a", gifFile({.version = "GIF88a"}), "invalid"},
        {"JpegWithoutItsThirdByte", withBytes(jpegFile({}), 2, {0x00}), "invalid"},
        {"PngSignatureLastByte", withBytes(pngFile({}), 7, {0x0D}), "invalid"},
        {"IconOfType3", withU16(iconFile({{32, 32}}), 2, 3), "invalid"},
        {"IconReservedWordSet", withU16(iconFile({{32, 32}}), 0, 1), "invalid"},
        {"MetafileKeyChanged", withBytes(placeableMetafile(0, 0, 96, 96, 96), 0, {0xD6}),
         "invalid"},
        {"EnhancedMetafileRecordType2", withU32(emf, 0, 2), "invalid"},
        {"EnhancedMetafileWithoutSignature", withBytes(emf, 43, {'G'}), "invalid"},
    };
}
INSTANTIATE_TEST_SUITE_P(UnknownSignature, FileVerdict, ::testing::ValuesIn(unknownFiles()),
                         caseName);

#ifdef CUTSHAPE_PICTURE_SEEDS
Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The fuzzer starts from these files: each must be accepted, so that its mutations begin
// inside every format rather than at the first check that refuses a seed.
TEST(PictureSeeds, EverySeedIsAnAcceptedPicture) {
    const std::filesystem::path seeds = CUTSHAPE_PICTURE_SEEDS;
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"bmp24.bmp", "bitmap 3x2"},
        {"bmp8.bmp", "bitmap 4x3"},
        {"emf.emf", "enhanced metafile 10x10"}, // a frame of 254 hundredths of a millimetre
        {"gif.gif", "gif 3x3"},
        {"ico.ico", "icon 16x16"},
        {"jpeg.jpg", "jpeg 8x8"},
        {"png.png", "png 4x3"},
        {"tiff.tif", "tiff 4x3"},
        {"wmf.wmf", "metafile 32x32"},
    };
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, expected.size()) << "a seed was added or removed: list it here";
    for (const auto& [name, verdictOfSeed] : expected)
        EXPECT_TRUE(hasVerdict(readFile(seeds / name), verdictOfSeed)) << name;
}
#endif

} // namespace
} // namespace cutshape::core

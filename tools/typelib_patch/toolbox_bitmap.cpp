// toolbox_bitmap: writes the control's 16 x 15 toolbox picture as a 24-bit BMP file.
//
//   toolbox_bitmap <out.bmp>
//
// The picture is a blue figure with a notch and a hole cut out of it on the toolbox's
// light grey, the shaped window the control makes out of a picture. It is drawn here rather
// than checked in so the build makes it the same way every time.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

// Rows top to bottom: '.' background, '#' figure, 'o' its outline.
constexpr const char* kPicture[kHeight] = {
    "................", //
    "...oooooooooo...", //
    "..o##########o..", //
    ".o############o.", //
    ".o####oo######o.", //
    ".o###o..o#####o.", //
    ".o###o..o######o", //
    ".o####oo###ooooo", //
    ".o#########o....", //
    ".o#########o....", //
    ".o##########ooo.", //
    ".o#############o", //
    "..o###########o.", //
    "...oooooooooo...", //
    "................", //
};

struct Rgb {
    std::uint8_t red, green, blue;
};

Rgb colourOf(char cell) {
    switch (cell) {
    case '#':
        return {0x40, 0x80, 0xFF};
    case 'o':
        return {0x00, 0x00, 0x80};
    default:
        return {0xC0, 0xC0, 0xC0};
    }
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: toolbox_bitmap <out.bmp>\n";
        return EXIT_FAILURE;
    }
    constexpr std::uint32_t kRowBytes = kWidth * 3; // 48: already a multiple of 4
    constexpr std::uint32_t kPixelBytes = kRowBytes * kHeight;
    constexpr std::uint32_t kFileHeader = 14;
    constexpr std::uint32_t kInfoHeader = 40;

    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, kFileHeader + kInfoHeader + kPixelBytes);
    put32(out, 0);
    put32(out, kFileHeader + kInfoHeader);
    put32(out, kInfoHeader);
    put32(out, kWidth);
    put32(out, kHeight); // positive: rows stored bottom-up
    put16(out, 1);       // planes
    put16(out, 24);      // bits per pixel
    put32(out, 0);       // BI_RGB
    put32(out, kPixelBytes);
    put32(out, 0); // no resolution: no time- or machine-dependent field anywhere
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int column = 0; column < kWidth; ++column) {
            const Rgb colour = colourOf(kPicture[row][column]);
            out.push_back(colour.blue);
            out.push_back(colour.green);
            out.push_back(colour.red);
        }
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    if (!file) {
        std::cerr << "toolbox_bitmap: cannot write " << argv[1] << "\n";
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

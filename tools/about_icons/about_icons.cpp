// about_icons: writes the About box's two icons as .ico files.
//
//   about_icons <question.ico> <tablet.ico>
//
// question.ico: 32 x 32, 16 colours, a yellow question mark with a black outline.
// tablet.ico:   32 x 32, 256 colours, a grey stone tablet with a rounded top, carved with
//               rows of golden glyphs.
// Both are drawn here from simple shapes rather than checked in, so the build makes them
// the same way every time. Pixels outside the figures are transparent (AND mask set, colour
// black).

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;

struct Rgb {
    std::uint8_t red, green, blue;
};

// A picture as palette indexes; -1 is transparent.
using Picture = std::array<std::array<int, kSize>, kSize>;

Picture emptyPicture() {
    Picture picture;
    for (auto& row : picture)
        row.fill(-1);
    return picture;
}

// ---- The question mark, in the 16-colour VGA palette ----

const std::vector<Rgb> kVgaPalette = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};
constexpr int kVgaBlack = 0;
constexpr int kVgaOlive = 3;
constexpr int kVgaYellow = 11;

// The figure: an open ring (the hook), a stem below its lower end, and a dot.
bool inQuestionMark(double x, double y) {
    const double dx = x - 15.5;
    const double dy = y - 10.0;
    const double distance = std::sqrt(dx * dx + dy * dy);
    // Angle measured clockwise from straight up, in degrees: the hook leaves out the
    // lower-left part of the ring, where the stem hangs down instead.
    double angle = std::atan2(dx, -dy) * 180.0 / 3.14159265358979;
    if (angle < 0)
        angle += 360.0;
    const bool hook = distance >= 3.5 && distance <= 8.0 && (angle <= 180.0 || angle >= 280.0);
    const bool stem = x >= 13.0 && x < 18.0 && y >= 14.0 && y < 22.0;
    const double ddx = x - 15.5;
    const double ddy = y - 26.5;
    const bool dot = ddx * ddx + ddy * ddy <= 2.7 * 2.7;
    return hook || stem || dot;
}

Picture drawQuestionMark() {
    Picture picture = emptyPicture();
    std::array<std::array<bool, kSize>, kSize> figure{};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            figure[y][x] = inQuestionMark(x + 0.5, y + 0.5);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (figure[y][x]) {
                // A darker rim on the lower right gives the figure some depth.
                const bool shaded =
                    (x + 1 < kSize && !figure[y][x + 1]) || (y + 1 < kSize && !figure[y + 1][x]);
                picture[y][x] = shaded ? kVgaOlive : kVgaYellow;
                continue;
            }
            for (int ny = y - 1; ny <= y + 1; ++ny)
                for (int nx = x - 1; nx <= x + 1; ++nx)
                    if (ny >= 0 && ny < kSize && nx >= 0 && nx < kSize && figure[ny][nx])
                        picture[y][x] = kVgaBlack;
        }
    return picture;
}

// ---- The stone tablet, in a palette of its own (256 entries, the unused ones black) ----

enum TabletColour : int {
    kOutline = 1,
    kStoneLight,
    kStone,
    kStoneDark,
    kStoneShadow,
    kGold,
    kGoldDark,
    kGoldLight,
};

std::vector<Rgb> tabletPalette() {
    std::vector<Rgb> palette(256, Rgb{0, 0, 0});
    palette[kOutline] = {0x30, 0x30, 0x30};
    palette[kStoneLight] = {0xD8, 0xD8, 0xD0};
    palette[kStone] = {0xA8, 0xA8, 0xA0};
    palette[kStoneDark] = {0x80, 0x80, 0x78};
    palette[kStoneShadow] = {0x60, 0x60, 0x58};
    palette[kGold] = {0xE8, 0xB8, 0x20};
    palette[kGoldDark] = {0x90, 0x68, 0x08};
    palette[kGoldLight] = {0xFF, 0xE8, 0x80};
    return palette;
}

// The slab: columns 4 to 27, rows 2 to 30, its top a half circle.
bool inTablet(int x, int y) {
    const double cx = x + 0.5;
    const double cy = y + 0.5;
    if (cx < 4.0 || cx > 28.0 || cy > 30.0)
        return false;
    if (cy >= 14.0)
        return true;
    const double dx = cx - 16.0;
    const double dy = cy - 14.0;
    return dx * dx + dy * dy <= 12.0 * 12.0;
}

// Glyphs in 3 x 4 cells, one string per row of a glyph, '#' carved.
constexpr std::array<std::array<const char*, 4>, 6> kGlyphs = {{
    {"###", "#..", "##.", "#.."},
    {"#.#", "###", "#.#", "#.#"},
    {".#.", "###", ".#.", ".#."},
    {"##.", "#.#", "##.", "#.#"},
    {"#..", "#..", "#..", "###"},
    {"###", ".#.", ".#.", "###"},
}};

void carveGlyph(Picture& picture, int glyph, int left, int top) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            if (kGlyphs[glyph][row][column] == '#') {
                picture[top + row][left + column] = kGold;
                // The carving's lower right edge catches the shadow.
                int& below = picture[top + row + 1][left + column + 1];
                if (below != kGold)
                    below = kGoldDark;
            }
    picture[top][left] = kGoldLight;
}

Picture drawTablet() {
    Picture picture = emptyPicture();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            if (inTablet(x, y)) {
                const bool leftEdge = !inTablet(x - 1, y) || !inTablet(x - 1, y - 1);
                const bool rightEdge = !inTablet(x + 1, y) || !inTablet(x + 1, y + 1);
                const bool topEdge = !inTablet(x, y - 1);
                const bool bottomEdge = !inTablet(x, y + 1);
                if (leftEdge || rightEdge || topEdge || bottomEdge)
                    picture[y][x] = kOutline;
                else if (!inTablet(x - 2, y) || !inTablet(x, y - 2))
                    picture[y][x] = kStoneLight;
                else if (!inTablet(x + 2, y) || !inTablet(x, y + 2))
                    picture[y][x] = kStoneDark;
                else
                    picture[y][x] = ((x * 7 + y * 13) % 11 == 0) ? kStoneDark : kStone;
            } else if (y >= 1 && x >= 1 && inTablet(x - 1, y - 1)) {
                picture[y][x] = kStoneShadow;
            }
        }
    // Four rows of three glyphs each, inside the slab.
    for (int line = 0; line < 4; ++line)
        for (int column = 0; column < 3; ++column)
            carveGlyph(picture, (line * 3 + column * 2 + line) % 6, 8 + column * 6,
                       8 + line * 5 + (line > 0 ? 1 : 0));
    return picture;
}

// ---- The .ico file: one image, BITMAPINFOHEADER, palette, colour rows, AND mask ----

void put8(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
}
void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put8(out, value & 0xFF);
    put8(out, (value >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::vector<std::uint8_t> iconFile(const Picture& picture, const std::vector<Rgb>& palette,
                                   unsigned bitsPerPixel) {
    const std::uint32_t colourRowBytes = ((kSize * bitsPerPixel + 31) / 32) * 4;
    const std::uint32_t maskRowBytes = ((kSize + 31) / 32) * 4;
    const auto paletteBytes = static_cast<std::uint32_t>(palette.size() * 4);
    const std::uint32_t imageBytes = 40 + paletteBytes + (colourRowBytes + maskRowBytes) * kSize;

    std::vector<std::uint8_t> out;
    put16(out, 0); // reserved
    put16(out, 1); // an icon
    put16(out, 1); // one image
    put8(out, kSize);
    put8(out, kSize);
    put8(out, palette.size() < 256 ? static_cast<unsigned>(palette.size()) : 0);
    put8(out, 0);
    put16(out, 1); // planes
    put16(out, bitsPerPixel);
    put32(out, imageBytes);
    put32(out, 6 + 16); // the image follows the directory

    put32(out, 40);
    put32(out, kSize);
    put32(out, kSize * 2); // colour rows and mask rows together
    put16(out, 1);
    put16(out, bitsPerPixel);
    put32(out, 0); // BI_RGB
    put32(out, (colourRowBytes + maskRowBytes) * kSize);
    put32(out, 0); // no resolution: nothing machine-dependent in the file
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (const Rgb& colour : palette) {
        put8(out, colour.blue);
        put8(out, colour.green);
        put8(out, colour.red);
        put8(out, 0);
    }
    const unsigned pixelsPerByte = 8 / bitsPerPixel;
    for (int y = kSize - 1; y >= 0; --y) { // rows bottom-up
        std::vector<std::uint8_t> row(colourRowBytes, 0);
        for (int x = 0; x < kSize; ++x) {
            const int index = picture[y][x] < 0 ? 0 : picture[y][x];
            const unsigned shift =
                (pixelsPerByte - 1 - static_cast<unsigned>(x) % pixelsPerByte) * bitsPerPixel;
            row[static_cast<unsigned>(x) / pixelsPerByte] |=
                static_cast<std::uint8_t>(static_cast<unsigned>(index) << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = kSize - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRowBytes, 0);
        for (int x = 0; x < kSize; ++x)
            if (picture[y][x] < 0)
                row[static_cast<unsigned>(x) / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::cerr << "about_icons: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: about_icons <question.ico> <tablet.ico>\n";
        return EXIT_FAILURE;
    }
    const bool written = writeFile(argv[1], iconFile(drawQuestionMark(), kVgaPalette, 4)) &&
                         writeFile(argv[2], iconFile(drawTablet(), tabletPalette(), 8));
    return written ? EXIT_SUCCESS : EXIT_FAILURE;
}

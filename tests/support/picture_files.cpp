#include "tests/support/picture_files.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace cutshape::test {

namespace {

constexpr std::int32_t kMaxGeneratedSide = 16384; // keeps the ellipse tests within 64 bits

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void requireGeneratedSize(std::int32_t width, std::int32_t height, const char* what) {
    if (width < 0 || height < 0 || width > kMaxGeneratedSide || height > kMaxGeneratedSide)
        throw std::invalid_argument(std::string(what) + ": sides must be 0 to 16384 pixels");
}

// An axis-aligned ellipse in doubled coordinates (pixel centres are odd), so centres and
// radii can sit on half pixels while the inside test stays exact integer arithmetic.
struct Ellipse {
    std::int64_t cx = 0;
    std::int64_t cy = 0;
    std::int64_t rx = 1;
    std::int64_t ry = 1;

    bool contains(std::int32_t x, std::int32_t y) const {
        const std::int64_t dx = 2 * static_cast<std::int64_t>(x) + 1 - cx;
        const std::int64_t dy = 2 * static_cast<std::int64_t>(y) + 1 - cy;
        return dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry;
    }
};

// Centre and radii given in hundredths of the picture's sides.
Ellipse ellipseAt(std::int32_t width, std::int32_t height, int cxPercent, int cyPercent,
                  int rxPercent, int ryPercent) {
    const std::int64_t w2 = 2 * static_cast<std::int64_t>(width);
    const std::int64_t h2 = 2 * static_cast<std::int64_t>(height);
    return Ellipse{w2 * cxPercent / 100, h2 * cyPercent / 100,
                   std::max<std::int64_t>(1, w2 * rxPercent / 100),
                   std::max<std::int64_t>(1, h2 * ryPercent / 100)};
}

} // namespace

Image makeFigure(std::int32_t width, std::int32_t height, core::Color background,
                 core::Color figure) {
    requireGeneratedSize(width, height, "makeFigure");
    Image image(width, height, background);
    const std::array<Ellipse, 3> body = {
        ellipseAt(width, height, 50, 50, 36, 32), // main body
        ellipseAt(width, height, 30, 35, 20, 20), // upper-left lobe
        ellipseAt(width, height, 70, 68, 18, 22), // lower-right lobe
    };
    const Ellipse hole = ellipseAt(width, height, 55, 45, 8, 7);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            const bool inBody = std::any_of(body.begin(), body.end(),
                                            [&](const Ellipse& e) { return e.contains(x, y); });
            if (inBody && !hole.contains(x, y))
                image.set(x, y, figure);
        }
    }
    // Single pixels apart from the body, where the picture is large enough to keep them
    // apart: near three corners, and an island in the middle of the hole.
    if (width >= 16 && height >= 16) {
        image.set(width - 3, 2, figure);
        image.set(2, height - 3, figure);
        image.set(width - 3, height - 3, figure);
        const std::int32_t holeX = static_cast<std::int32_t>(hole.cx / 2);
        const std::int32_t holeY = static_cast<std::int32_t>(hole.cy / 2);
        if (hole.rx >= 8 && hole.ry >= 8 && hole.contains(holeX - 1, holeY - 1) &&
            hole.contains(holeX + 1, holeY + 1) && hole.contains(holeX - 1, holeY + 1) &&
            hole.contains(holeX + 1, holeY - 1))
            image.set(holeX, holeY, figure);
    }
    return image;
}

Image makeTextPage(std::int32_t width, std::int32_t height, core::Color paper, core::Color ink) {
    requireGeneratedSize(width, height, "makeTextPage");
    constexpr std::int32_t kMargin = 4;
    constexpr std::int32_t kGlyphWidth = 5;
    constexpr std::int32_t kGlyphHeight = 7;
    constexpr std::int32_t kLetterGap = 1;
    constexpr std::int32_t kWordGap = 4;
    constexpr std::int32_t kLinePitch = 12;

    Image image(width, height, paper);
    std::uint64_t state = 0x5EED;
    // A glyph is two to four strokes out of a small set, which looks like letters and gives
    // both short runs (stems) and long ones (bars).
    const auto drawGlyph = [&](std::int32_t left, std::int32_t top, std::uint64_t bits) {
        const auto plot = [&](std::int32_t x, std::int32_t y) {
            image.set(left + x, top + y, ink);
        };
        int strokes = 0;
        for (int stroke = 0; stroke < 7 && strokes < 4; ++stroke) {
            const bool enoughLeft = strokes + (6 - stroke) >= 2;
            if (((bits >> stroke) & 1u) == 0 && enoughLeft)
                continue;
            ++strokes;
            for (std::int32_t i = 0; i < kGlyphHeight; ++i) {
                switch (stroke) {
                case 0: // left stem
                    plot(0, i);
                    break;
                case 1: // right stem
                    plot(kGlyphWidth - 1, i);
                    break;
                case 2: // middle stem
                    plot(kGlyphWidth / 2, i);
                    break;
                case 3: // top bar
                    plot(i % kGlyphWidth, 0);
                    break;
                case 4: // middle bar
                    plot(i % kGlyphWidth, kGlyphHeight / 2);
                    break;
                case 5: // bottom bar
                    plot(i % kGlyphWidth, kGlyphHeight - 1);
                    break;
                default: // diagonal
                    plot(i * (kGlyphWidth - 1) / (kGlyphHeight - 1), i);
                    break;
                }
            }
        }
    };
    for (std::int32_t top = kMargin; top + kGlyphHeight <= height - kMargin; top += kLinePitch) {
        // Every fifth line ends a paragraph early.
        const std::int32_t lineEnd = (top / kLinePitch) % 5 == 4 ? width / 2 : width - kMargin;
        std::int32_t left = kMargin;
        while (true) {
            const auto letters = static_cast<std::int32_t>(2 + splitMix64(state) % 7);
            const std::int32_t wordWidth = letters * (kGlyphWidth + kLetterGap) - kLetterGap;
            if (left + wordWidth > lineEnd)
                break;
            for (std::int32_t i = 0; i < letters; ++i)
                drawGlyph(left + i * (kGlyphWidth + kLetterGap), top, splitMix64(state));
            left += wordWidth + kWordGap;
        }
    }
    return image;
}

Image makeCheckerboard(std::int32_t width, std::int32_t height, std::int32_t cellSize,
                       core::Color first, core::Color second) {
    requireGeneratedSize(width, height, "makeCheckerboard");
    if (cellSize < 1)
        throw std::invalid_argument("makeCheckerboard: cell size must be positive");
    Image image(width, height, first);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            if ((x / cellSize + y / cellSize) % 2 != 0)
                image.set(x, y, second);
        }
    }
    return image;
}

Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::span<const core::Color> colours) {
    requireGeneratedSize(width, height, "makeNoise");
    if (colours.empty())
        throw std::invalid_argument("makeNoise: no colours to choose from");
    Image image(width, height);
    std::uint64_t state = seed;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            image.set(x, y, colours[static_cast<std::size_t>(splitMix64(state) % colours.size())]);
    }
    return image;
}

Image makeNoise(std::int32_t width, std::int32_t height, std::uint64_t seed,
                std::initializer_list<core::Color> colours) {
    return makeNoise(width, height, seed, std::span<const core::Color>(colours));
}
} // namespace cutshape::test

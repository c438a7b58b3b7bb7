#include "tools/demo_pictures/demo_pictures.h"

#include "tools/demo_pictures/raster.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace cutshape::demo_pictures {

namespace {

using core::Color;
using pictures::Image;

// The face colour of the small button bitmaps and of the plate they sit on in CutHOLE.
constexpr Color kLightGreen = rgb(192, 232, 176);
constexpr Color kDarkGreen = rgb(0, 100, 0);
constexpr Color kBlack = rgb(0, 0, 0);

// ---- CutEARTH -------------------------------------------------------------------------

constexpr std::int32_t kEarthWidth = 240;
constexpr std::int32_t kEarthHeight = 200;
constexpr std::int32_t kGlobeX = 110;
constexpr std::int32_t kGlobeY = 100;
constexpr std::int32_t kGlobeRadius = 96;
// The panel carries the form's buttons and close box, so it must hold them whole.
constexpr RoundRect kPanel{156, 18, 234, 130, 12};

// A direction on the globe, scaled to a length of 1024.
struct Direction {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;
};

Direction normalised(std::int64_t x, std::int64_t y, std::int64_t z) {
    const std::int64_t length = std::max<std::int64_t>(1, isqrt(x * x + y * y + z * z));
    return {x * 1024 / length, y * 1024 / length, z * 1024 / length};
}

// A continent: the cap of the sphere within `reach` of a centre (reach = 1024 * cos angle).
struct Continent {
    Direction centre;
    std::int64_t reach = 0;
};

enum class Surface { DeepSea, ShallowSea, Grass, Forest, Desert, Ice };

Color surfaceColor(Surface surface) {
    switch (surface) {
    case Surface::DeepSea:
        return rgb(24, 72, 168);
    case Surface::ShallowSea:
        return rgb(44, 116, 204);
    case Surface::Grass:
        return rgb(72, 160, 64);
    case Surface::Forest:
        return rgb(36, 116, 48);
    case Surface::Desert:
        return rgb(184, 146, 84);
    case Surface::Ice:
        return rgb(226, 236, 244);
    }
    return kBlack;
}

Color globePixel(std::int32_t x, std::int32_t y) {
    // Doubled coordinates from the globe's centre, then the surface normal at the pixel.
    const std::int64_t dx = 2 * static_cast<std::int64_t>(x) + 1 - 2 * kGlobeX;
    const std::int64_t dy = 2 * static_cast<std::int64_t>(y) + 1 - 2 * kGlobeY;
    const std::int64_t r = 2 * kGlobeRadius;
    const std::int64_t dz = isqrt(std::max<std::int64_t>(0, r * r - dx * dx - dy * dy));
    const Direction normal{dx * 1024 / r, dy * 1024 / r, dz * 1024 / r};

    static const std::array<Continent, 5> kContinents = {
        Continent{normalised(14, -48, 87), 935}, Continent{normalised(38, 34, 86), 950},
        Continent{normalised(-60, 30, 74), 958}, Continent{normalised(-46, -52, 72), 975},
        Continent{normalised(84, -10, 54), 960},
    };
    // Ragged coasts: the noise shifts every cap's edge in and out a little.
    const std::int64_t ragged =
        (valueNoise(x, y, 14, 1) - 128) * 44 / 128 + (valueNoise(x, y, 5, 2) - 128) * 18 / 128;
    std::int64_t land = -1024;
    for (const Continent& c : kContinents) {
        const std::int64_t dot =
            (normal.x * c.centre.x + normal.y * c.centre.y + normal.z * c.centre.z) / 1024;
        land = std::max(land, dot - c.reach);
    }
    land += ragged;

    Surface surface = Surface::DeepSea;
    const std::int64_t polar = normal.y < 0 ? -normal.y : normal.y;
    if (polar > 900 + ragged) {
        surface = Surface::Ice;
    } else if (land > 0) {
        if (valueNoise(x, y, 18, 4) > 165 && polar < 520)
            surface = Surface::Desert;
        else if (valueNoise(x, y, 9, 3) > 140)
            surface = Surface::Forest;
        else
            surface = Surface::Grass;
    } else if (land > -36) {
        surface = Surface::ShallowSea;
    }

    // Light from the upper left and in front, in five bands of brightness.
    const std::int64_t lambert = (-45 * normal.x - 55 * normal.y + 70 * normal.z) / 100;
    const std::int64_t band = std::clamp<std::int64_t>(lambert * 5 / 1024, 0, 4);
    return scaleColor(surfaceColor(surface), static_cast<std::int32_t>(52 + 14 * band), 100);
}

void drawPanel(Image& image) {
    const Color face = rgb(172, 178, 196);
    paint(
        image, [&](auto x, auto y) { return kPanel.contains(x, y); }, face);
    // A recessed well behind the two buttons, screws in the free corners.
    const RoundRect well{163, 46, 225, 125, 5};
    paint(
        image, [&](auto x, auto y) { return well.contains(x, y); }, rgb(150, 156, 176));
    // Sunk: shadow along its upper left inside, light along its lower right.
    shadeEdges(
        image,
        Mask(image.width(), image.height(), [&](auto x, auto y) { return well.contains(x, y); }),
        EdgeStyle{2, rgb(112, 118, 138), rgb(204, 208, 222), {}});
    for (const auto& [sx, sy] :
         std::array<std::pair<std::int32_t, std::int32_t>, 3>{{{226, 26}, {226, 122}, {202, 34}}}) {
        paint(
            image, [&](auto x, auto y) { return circle(sx, sy, 3).contains(x, y); },
            rgb(92, 98, 116));
        image.set(sx - 1, sy - 1, rgb(220, 224, 234));
    }
    shadeEdges(
        image,
        Mask(image.width(), image.height(), [&](auto x, auto y) { return kPanel.contains(x, y); }),
        EdgeStyle{2, rgb(228, 231, 240), rgb(100, 106, 126), rgb(40, 44, 60)});
}

// ---- CutHOLE ------------------------------------------------------------------------

constexpr std::int32_t kHoleWidth = 200;
constexpr std::int32_t kHoleHeight = 170;
const Ellipse kPlate = ellipse(100, 85, 97, 83);
// The hole sits low on the right, clear of the plate's three image controls.
const Ellipse kHoleCut = circle(140, 112, 26);
const Ellipse kHoleRim = circle(140, 112, 34);

// ---- CutHEAD ------------------------------------------------------------------------

constexpr std::int32_t kHeadWidth = 350;
constexpr std::int32_t kHeadHeight = 406;
const Ellipse kCranium = ellipse(175, 150, 150, 146);
const Ellipse kJaw = ellipse(175, 250, 128, 150);
const Ellipse kLeftSpeaker = circle(30, 205, 28);
const Ellipse kRightSpeaker = circle(320, 205, 28);

bool headContains(std::int32_t x, std::int32_t y) {
    return kCranium.contains(x, y) || kJaw.contains(x, y) || kLeftSpeaker.contains(x, y) ||
           kRightSpeaker.contains(x, y);
}

void drawSpeaker(Image& image, std::int32_t cx, std::int32_t cy) {
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 28).contains(x, y); }, rgb(40, 128, 52));
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 22).contains(x, y); }, rgb(20, 44, 28));
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 20).contains(x, y); }, rgb(34, 42, 38));
    // Two pressed rings on the cone and a dome in the middle.
    for (const std::int32_t r : {15, 10}) {
        paint(
            image,
            [&](auto x, auto y) {
                return circle(cx, cy, r).contains(x, y) && !circle(cx, cy, r - 1).contains(x, y);
            },
            rgb(72, 86, 78));
    }
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 6).contains(x, y); }, rgb(92, 106, 98));
    paint(
        image, [&](auto x, auto y) { return circle(cx - 2, cy - 2, 2).contains(x, y); },
        rgb(150, 164, 156));
}

enum class Symbol { Previous, Play, Stop, Next };

void drawFaceButton(Image& image, std::int32_t cx, std::int32_t cy, Symbol symbol) {
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 13).contains(x, y); }, rgb(24, 96, 40));
    paint(
        image, [&](auto x, auto y) { return circle(cx, cy, 11).contains(x, y); },
        rgb(168, 228, 160));
    paint(
        image, [&](auto x, auto y) { return circle(cx - 3, cy - 4, 3).contains(x, y); },
        rgb(214, 246, 208));
    const Color ink = rgb(16, 40, 24);
    const auto triangle = [&](std::int32_t left, std::int32_t right) {
        const Triangle t{left, cy - 5, left, cy + 5, right, cy};
        paint(
            image, [&](auto x, auto y) { return t.contains(x, y); }, ink);
    };
    switch (symbol) {
    case Symbol::Previous:
        triangle(cx, cx - 7);
        triangle(cx + 7, cx);
        break;
    case Symbol::Play:
        triangle(cx - 3, cx + 6);
        break;
    case Symbol::Stop:
        image.fillRect(cx - 4, cy - 4, cx + 4, cy + 4, ink);
        break;
    case Symbol::Next:
        triangle(cx - 7, cx);
        triangle(cx, cx + 7);
        break;
    }
}

} // namespace

Image drawEarth() {
    Image image(kEarthWidth, kEarthHeight, kEarthBackground);
    const Ellipse globe = circle(kGlobeX, kGlobeY, kGlobeRadius);
    for (std::int32_t y = 0; y < kEarthHeight; ++y) {
        for (std::int32_t x = 0; x < kEarthWidth; ++x) {
            if (globe.contains(x, y))
                image.set(x, y, globePixel(x, y));
        }
    }
    shadeEdges(
        image,
        Mask(kEarthWidth, kEarthHeight, [&](auto x, auto y) { return globe.contains(x, y); }),
        EdgeStyle{0, 0, 0, rgb(12, 28, 64)});
    drawPanel(image);
    return image;
}

Image drawHole() {
    Image image(kHoleWidth, kHoleHeight, kHoleBackground);
    const auto inPlate = [&](std::int32_t x, std::int32_t y) {
        return kPlate.contains(x, y) && !kHoleCut.contains(x, y);
    };
    paint(image, inPlate, kLightGreen);

    // An engraved groove following the plate's edge: a dark line over a light one.
    const Ellipse grooveOuter = ellipse(100, 85, 89, 75);
    const Ellipse grooveInner = ellipse(100, 85, 88, 74);
    const Ellipse grooveLight = ellipse(100, 85, 87, 73);
    paint(
        image,
        [&](auto x, auto y) { return grooveOuter.contains(x, y) && !grooveInner.contains(x, y); },
        rgb(136, 184, 124));
    paint(
        image,
        [&](auto x, auto y) { return grooveInner.contains(x, y) && !grooveLight.contains(x, y); },
        rgb(226, 246, 216));

    // A raised ring round the hole, with rivets.
    paint(
        image, [&](auto x, auto y) { return kHoleRim.contains(x, y) && inPlate(x, y); },
        rgb(160, 208, 148));
    shadeEdges(
        image,
        Mask(kHoleWidth, kHoleHeight, [&](auto x, auto y) { return kHoleRim.contains(x, y); }),
        EdgeStyle{2, rgb(222, 244, 212), rgb(104, 150, 96), {}});
    constexpr std::array<std::pair<std::int32_t, std::int32_t>, 8> kRivets = {
        {{30, 0}, {21, 21}, {0, 30}, {-21, 21}, {-30, 0}, {-21, -21}, {0, -30}, {21, -21}}};
    for (const auto& [rx, ry] : kRivets) {
        paint(
            image, [&](auto x, auto y) { return circle(140 + rx, 112 + ry, 2).contains(x, y); },
            rgb(88, 128, 84));
        image.set(140 + rx - 1, 112 + ry - 1, rgb(236, 250, 230));
    }

    shadeEdges(image, Mask(kHoleWidth, kHoleHeight, inPlate),
               EdgeStyle{3, rgb(236, 250, 228), rgb(116, 164, 106), rgb(40, 88, 40)});
    return image;
}

Image drawHead() {
    Image image(kHeadWidth, kHeadHeight, kHeadBackground);
    // Green, lighter in bands towards the upper left where the light comes from.
    const Color green = rgb(72, 176, 80);
    for (std::int32_t y = 0; y < kHeadHeight; ++y) {
        for (std::int32_t x = 0; x < kHeadWidth; ++x) {
            if (!headContains(x, y))
                continue;
            const std::int64_t dx = x - 120;
            const std::int64_t dy = y - 90;
            const std::int64_t band = std::min<std::int64_t>(4, isqrt(dx * dx + dy * dy) / 64);
            image.set(x, y, scaleColor(green, static_cast<std::int32_t>(116 - 7 * band), 100));
        }
    }
    drawSpeaker(image, 30, 205);
    drawSpeaker(image, 320, 205);

    // The screen in its bezel, with a glare band and a progress bar.
    const RoundRect bezel{76, 110, 274, 262, 24};
    const RoundRect screen{86, 120, 264, 252, 16};
    paint(
        image, [&](auto x, auto y) { return bezel.contains(x, y); }, rgb(28, 92, 40));
    shadeEdges(image,
               Mask(kHeadWidth, kHeadHeight, [&](auto x, auto y) { return bezel.contains(x, y); }),
               EdgeStyle{2, rgb(96, 186, 102), rgb(16, 60, 26), {}});
    paint(
        image, [&](auto x, auto y) { return screen.contains(x, y); }, rgb(14, 28, 22));
    paint(
        image,
        [&](auto x, auto y) {
            const std::int32_t d = x + y;
            return screen.contains(x, y) && d > 250 && d < 290;
        },
        rgb(26, 46, 38));
    image.fillRect(104, 232, 246, 236, rgb(30, 64, 42));
    image.fillRect(104, 232, 180, 236, rgb(80, 210, 100));

    constexpr std::array<Symbol, 4> kSymbols = {Symbol::Previous, Symbol::Play, Symbol::Stop,
                                                Symbol::Next};
    for (std::size_t i = 0; i < kSymbols.size(); ++i)
        drawFaceButton(image, 121 + 36 * static_cast<std::int32_t>(i), 292, kSymbols[i]);

    // A speaker grille for a mouth.
    const RoundRect grille{125, 326, 225, 352, 8};
    paint(
        image, [&](auto x, auto y) { return grille.contains(x, y); }, rgb(28, 92, 40));
    for (std::int32_t x = 132; x + 2 <= 219; x += 6)
        image.fillRect(x, 332, x + 2, 346, rgb(14, 40, 22));

    shadeEdges(image, Mask(kHeadWidth, kHeadHeight, headContains),
               EdgeStyle{3, rgb(152, 226, 150), rgb(32, 112, 46), rgb(16, 72, 28)});
    return image;
}

Image drawCloseButton() {
    Image image(14, 15, kLightGreen);
    const Stroke down{3, 3, 11, 12, 3};
    const Stroke up{11, 3, 3, 12, 3};
    paint(
        image, [&](auto x, auto y) { return down.contains(x, y) || up.contains(x, y); },
        kDarkGreen);
    return image;
}

Image drawPlayButton() {
    Image image(25, 24, kLightGreen);
    // Doubled coordinates: the circle's centre is (12.5, 12).
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{25, 24, 22, 22}.contains(x, y);
        },
        rgb(72, 16, 104));
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{25, 24, 20, 20}.contains(x, y);
        },
        rgb(136, 56, 176));
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{17, 15, 7, 5}.contains(x, y);
        },
        rgb(184, 128, 214));
    const Triangle arrow{9, 6, 9, 18, 19, 12};
    paint(
        image, [&](auto x, auto y) { return arrow.contains(x, y); }, kBlack);
    return image;
}

Image drawStopButton() {
    Image image(21, 22, kLightGreen);
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{21, 22, 20, 20}.contains(x, y);
        },
        rgb(0, 110, 0));
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{21, 22, 18, 18}.contains(x, y);
        },
        rgb(164, 228, 150));
    paint(
        image,
        [&](auto x, auto y) {
            return Ellipse{14, 14, 6, 4}.contains(x, y);
        },
        rgb(216, 246, 206));
    image.fillRect(7, 8, 14, 15, rgb(0, 0, 200));
    return image;
}

Image drawHandCursor() {
    constexpr std::int32_t kSide = 32;
    Image image(kSide, kSide, kCursorTransparent);
    const Color white = rgb(255, 255, 255);
    const Color shade = rgb(128, 128, 128);
    const Color cuff = rgb(192, 192, 192);
    // Fingers, palm and thumb in white, the cuff in grey; the black outline follows below.
    image.fillRect(11, 2, 14, 17, white); // index finger, tip under the hot spot
    image.fillRect(15, 8, 18, 17, white);
    image.fillRect(19, 9, 22, 17, white);
    image.fillRect(23, 11, 25, 17, white);
    image.fillRect(11, 17, 25, 24, white);
    image.fillRect(12, 24, 24, 26, white);
    const Stroke thumb{4, 16, 12, 22, 7};
    paint(
        image, [&](auto x, auto y) { return thumb.contains(x, y); }, white);
    image.fillRect(24, 17, 25, 24, shade);
    image.fillRect(13, 25, 24, 26, shade);
    image.fillRect(12, 27, 24, 31, cuff);
    image.fillRect(21, 28, 23, 30, shade);
    // Every see-through pixel next to the hand becomes its outline.
    const Image filled = image;
    for (std::int32_t y = 0; y < kSide; ++y) {
        for (std::int32_t x = 0; x < kSide; ++x) {
            if (filled.get(x, y) != kCursorTransparent)
                continue;
            const auto solid = [&](std::int32_t nx, std::int32_t ny) {
                const Color c = filled.get(nx, ny);
                return c != kCursorTransparent && c != core::kInvalidColor;
            };
            if (solid(x - 1, y) || solid(x + 1, y) || solid(x, y - 1) || solid(x, y + 1))
                image.set(x, y, kBlack);
        }
    }
    return image;
}

std::vector<DemoFile> makeDemoFiles() {
    using pictures::kPixelsPerMetre96Dpi;
    using pictures::RowOrder;
    const auto bmp = [](const Image& image) {
        return pictures::writeBmp24(image, RowOrder::BottomUp, kPixelsPerMetre96Dpi);
    };
    std::vector<DemoFile> files;
    files.push_back({"Earth.gif", pictures::writeGif(drawEarth())});
    files.push_back({"Hole.bmp", bmp(drawHole())});
    files.push_back({"head.bmp", bmp(drawHead())});
    files.push_back({"close.bmp", bmp(drawCloseButton())});
    files.push_back({"play.bmp", bmp(drawPlayButton())});
    files.push_back({"stop.bmp", bmp(drawStopButton())});
    files.push_back({"hand.cur", pictures::writeCur(drawHandCursor(), kCursorHotSpotX,
                                                    kCursorHotSpotY, kCursorTransparent)});
    return files;
}

void writeDemoFiles(const std::filesystem::path& folder) {
    for (const DemoFile& file : makeDemoFiles())
        pictures::writeFile(folder / file.name, file.bytes);
}

} // namespace cutshape::demo_pictures

#pragma once
// Integer rasterising for the demo pictures: shapes tested at pixel centres, a figure mask,
// bevels and outlines along its edges, and value noise. No floating point anywhere, so every
// compiler and target draws the same bytes.

#include "core/color.h"
#include "tools/pictures/picture_writer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace cutshape::demo_pictures {

// A colour as a pixel read reports it (0x00BBGGRR) from its red, green and blue parts.
constexpr core::Color rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r & 0xFFu) | (g & 0xFFu) << 8 | (b & 0xFFu) << 16;
}

// Scales each part of `c` by num / den (den > 0), clamped to 255.
core::Color scaleColor(core::Color c, std::int32_t num, std::int32_t den);
// Mixes a and b: weight 0 gives a, weight den gives b.
core::Color mixColor(core::Color a, core::Color b, std::int32_t weight, std::int32_t den);

// Floor of the square root, for non-negative values.
std::int64_t isqrt(std::int64_t value);

// Shapes in pixel-edge coordinates: the pixel (x, y) covers [x, x+1) x [y, y+1), and a pixel
// belongs to a shape when its centre does. Coordinates are given in halves of a pixel
// (`2 * edge`), so centres and radii can sit on half pixels while the tests stay exact.
struct Ellipse {
    std::int64_t cx2 = 0;
    std::int64_t cy2 = 0;
    std::int64_t rx2 = 1;
    std::int64_t ry2 = 1;
    bool contains(std::int32_t x, std::int32_t y) const;
};
// An ellipse with centre and radii in whole pixel edges.
Ellipse ellipse(std::int32_t cx, std::int32_t cy, std::int32_t rx, std::int32_t ry);
Ellipse circle(std::int32_t cx, std::int32_t cy, std::int32_t r);

// [x1, x2) x [y1, y2) with corners rounded to `radius`.
struct RoundRect {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    std::int32_t radius = 0;
    bool contains(std::int32_t x, std::int32_t y) const;
};

// A triangle given by three corners in pixel edges.
struct Triangle {
    std::int32_t ax = 0, ay = 0, bx = 0, by = 0, cx = 0, cy = 0;
    bool contains(std::int32_t x, std::int32_t y) const;
};

// A straight stroke from (x1, y1) to (x2, y2), pixel edges, `width2` half pixels wide.
struct Stroke {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::int32_t width2 = 2;
    bool contains(std::int32_t x, std::int32_t y) const;
};

using Inside = std::function<bool(std::int32_t, std::int32_t)>;

// Paints `color` on every pixel of `image` that `shape` contains.
void paint(pictures::Image& image, const Inside& shape, core::Color color);

// Which pixels belong to the figure (as opposed to the background), row by row.
class Mask {
public:
    Mask(std::int32_t width, std::int32_t height, const Inside& inside);
    // False outside the picture: the background surrounds it.
    bool at(std::int32_t x, std::int32_t y) const;

private:
    std::int32_t width_;
    std::int32_t height_;
    std::vector<bool> bits_;
};

// Light from the top left: figure pixels with background within `depth` pixels up-left get
// `light`, those with background within `depth` down-right get `dark`, and figure pixels
// next to the background (4-neighbours) get `outline` when it is set. Holes come out lit on
// their far side, as a cut-out seen from above is.
struct EdgeStyle {
    std::int32_t depth = 2;
    core::Color light = 0;
    core::Color dark = 0;
    std::optional<core::Color> outline;
};
void shadeEdges(pictures::Image& image, const Mask& mask, const EdgeStyle& style);

// Smooth noise in 0..255 over the plane, one lattice value every `cell` pixels.
std::int32_t valueNoise(std::int32_t x, std::int32_t y, std::int32_t cell, std::uint32_t seed);

} // namespace cutshape::demo_pictures

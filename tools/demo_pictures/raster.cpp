#include "tools/demo_pictures/raster.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace cutshape::demo_pictures {

namespace {

std::uint32_t part(core::Color c, int shift) {
    return (c >> shift) & 0xFFu;
}

// Doubled pixel centre: the centre of pixel x lies at edge x + 1/2.
std::int64_t centre2(std::int32_t v) {
    return 2 * static_cast<std::int64_t>(v) + 1;
}

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// Floor division, also for negative numerators.
std::int32_t floorDiv(std::int32_t a, std::int32_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

core::Color scaleColor(core::Color c, std::int32_t num, std::int32_t den) {
    core::Color result = 0;
    for (const int shift : {0, 8, 16}) {
        const std::int64_t scaled = static_cast<std::int64_t>(part(c, shift)) * num / den;
        result |= static_cast<core::Color>(std::clamp<std::int64_t>(scaled, 0, 255)) << shift;
    }
    return result;
}

core::Color mixColor(core::Color a, core::Color b, std::int32_t weight, std::int32_t den) {
    core::Color result = 0;
    for (const int shift : {0, 8, 16}) {
        const std::int64_t mixed = (static_cast<std::int64_t>(part(a, shift)) * (den - weight) +
                                    static_cast<std::int64_t>(part(b, shift)) * weight) /
                                   den;
        result |= static_cast<core::Color>(std::clamp<std::int64_t>(mixed, 0, 255)) << shift;
    }
    return result;
}

std::int64_t isqrt(std::int64_t value) {
    if (value <= 0)
        return 0;
    // Newton's method from above on integers: stops at the floor of the root.
    std::int64_t x = value;
    std::int64_t y = (x + 1) / 2;
    while (y < x) {
        x = y;
        y = (x + value / x) / 2;
    }
    return x;
}

bool Ellipse::contains(std::int32_t x, std::int32_t y) const {
    const std::int64_t dx = centre2(x) - cx2;
    const std::int64_t dy = centre2(y) - cy2;
    return dx * dx * ry2 * ry2 + dy * dy * rx2 * rx2 <= rx2 * rx2 * ry2 * ry2;
}

Ellipse ellipse(std::int32_t cx, std::int32_t cy, std::int32_t rx, std::int32_t ry) {
    return Ellipse{2 * static_cast<std::int64_t>(cx), 2 * static_cast<std::int64_t>(cy),
                   2 * static_cast<std::int64_t>(rx), 2 * static_cast<std::int64_t>(ry)};
}

Ellipse circle(std::int32_t cx, std::int32_t cy, std::int32_t r) {
    return ellipse(cx, cy, r, r);
}

bool RoundRect::contains(std::int32_t x, std::int32_t y) const {
    if (x < x1 || x >= x2 || y < y1 || y >= y2)
        return false;
    // Only the corner squares need the circle test.
    const std::int64_t r2 = 2 * static_cast<std::int64_t>(radius);
    const std::int64_t px = centre2(x);
    const std::int64_t py = centre2(y);
    const std::int64_t left = 2 * static_cast<std::int64_t>(x1) + r2;
    const std::int64_t right = 2 * static_cast<std::int64_t>(x2) - r2;
    const std::int64_t top = 2 * static_cast<std::int64_t>(y1) + r2;
    const std::int64_t bottom = 2 * static_cast<std::int64_t>(y2) - r2;
    const std::int64_t cx = std::clamp(px, left, right);
    const std::int64_t cy = std::clamp(py, top, bottom);
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r2 * r2;
}

bool Triangle::contains(std::int32_t x, std::int32_t y) const {
    const std::int64_t px = centre2(x);
    const std::int64_t py = centre2(y);
    const auto edge = [&](std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        return (2 * static_cast<std::int64_t>(x2) - 2 * x1) * (py - 2 * y1) -
               (2 * static_cast<std::int64_t>(y2) - 2 * y1) * (px - 2 * x1);
    };
    const std::int64_t e1 = edge(ax, ay, bx, by);
    const std::int64_t e2 = edge(bx, by, cx, cy);
    const std::int64_t e3 = edge(cx, cy, ax, ay);
    return (e1 >= 0 && e2 >= 0 && e3 >= 0) || (e1 <= 0 && e2 <= 0 && e3 <= 0);
}

bool Stroke::contains(std::int32_t x, std::int32_t y) const {
    const std::int64_t px = centre2(x) - 2 * static_cast<std::int64_t>(x1);
    const std::int64_t py = centre2(y) - 2 * static_cast<std::int64_t>(y1);
    const std::int64_t dx = 2 * static_cast<std::int64_t>(x2 - x1);
    const std::int64_t dy = 2 * static_cast<std::int64_t>(y2 - y1);
    const std::int64_t length2 = dx * dx + dy * dy;
    const std::int64_t along = px * dx + py * dy;
    if (along < 0 || along > length2)
        return false;
    const std::int64_t across = px * dy - py * dx;
    // |across| / length is the distance; compare squares against half the width.
    return 4 * across * across <= static_cast<std::int64_t>(width2) * width2 * length2;
}

void paint(pictures::Image& image, const Inside& shape, core::Color color) {
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            if (shape(x, y))
                image.set(x, y, color);
        }
    }
}

Mask::Mask(std::int32_t width, std::int32_t height, const Inside& inside)
    : width_(width), height_(height),
      bits_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), false) {
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)] = inside(x, y);
    }
}

bool Mask::at(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

void shadeEdges(pictures::Image& image, const Mask& mask, const EdgeStyle& style) {
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            if (!mask.at(x, y))
                continue;
            if (style.outline && (!mask.at(x - 1, y) || !mask.at(x + 1, y) || !mask.at(x, y - 1) ||
                                  !mask.at(x, y + 1))) {
                image.set(x, y, *style.outline);
                continue;
            }
            for (std::int32_t k = 1; k <= style.depth; ++k) {
                if (!mask.at(x - k, y - k)) {
                    image.set(x, y, style.light);
                    break;
                }
                if (!mask.at(x + k, y + k)) {
                    image.set(x, y, style.dark);
                    break;
                }
            }
        }
    }
}

std::int32_t valueNoise(std::int32_t x, std::int32_t y, std::int32_t cell, std::uint32_t seed) {
    const std::int32_t gx = floorDiv(x, cell);
    const std::int32_t gy = floorDiv(y, cell);
    const std::int32_t fx = x - gx * cell;
    const std::int32_t fy = y - gy * cell;
    const auto corner = [&](std::int32_t dx, std::int32_t dy) {
        return static_cast<std::int64_t>(hash(gx + dx, gy + dy, seed) & 0xFFu);
    };
    // Smoothstep weights in 0..cell^3 * 2 keep the lattice from showing as creases.
    const auto smooth = [&](std::int32_t f) {
        const std::int64_t t = f;
        const std::int64_t c = cell;
        return t * t * (3 * c - 2 * t); // 0 .. c^3
    };
    const std::int64_t wx = smooth(fx);
    const std::int64_t wy = smooth(fy);
    const std::int64_t full = static_cast<std::int64_t>(cell) * cell * cell;
    const std::int64_t top = corner(0, 0) * (full - wx) + corner(1, 0) * wx;
    const std::int64_t bottom = corner(0, 1) * (full - wx) + corner(1, 1) * wx;
    return static_cast<std::int32_t>((top * (full - wy) + bottom * wy) / (full * full));
}

} // namespace cutshape::demo_pictures

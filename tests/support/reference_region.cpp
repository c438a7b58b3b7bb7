// Everything here works one pixel at a time, so it is slow but obviously right.

#include "tests/support/reference_region.h"

#include <algorithm>
#include <sstream>

namespace cutshape::test {

core::PixelView TestImage::view() const {
    return core::PixelView{words.data(), width, height, stridePixels, hasAlpha};
}

std::uint32_t& TestImage::word(std::int32_t x, std::int32_t y) {
    return words[static_cast<std::size_t>(y * stridePixels + x)];
}

TestImage makeImage(std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels,
                    std::uint32_t fill) {
    TestImage image;
    image.width = width;
    image.height = height;
    image.stridePixels = std::max<std::ptrdiff_t>(stridePixels, width);
    image.words.assign(static_cast<std::size_t>(image.stridePixels * std::max(height, 0)), fill);
    return image;
}

TestImage imageFromRows(const std::vector<std::string>& rows, core::Color figure, core::Color mask,
                        std::uint8_t unusedByte) {
    std::size_t width = 0;
    for (const std::string& row : rows)
        width = std::max(width, row.size());
    const std::uint32_t top = std::uint32_t{unusedByte} << 24;
    const std::uint32_t maskWord = core::imageWordFromColor(mask) | top;
    TestImage image =
        makeImage(static_cast<std::int32_t>(width), static_cast<std::int32_t>(rows.size()),
                  static_cast<std::ptrdiff_t>(width), maskWord);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#')
                image.word(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)) =
                    core::imageWordFromColor(figure) | top;
        }
    }
    return image;
}

std::int64_t PixelSet::count() const {
    return static_cast<std::int64_t>(std::count(figure.begin(), figure.end(), true));
}

PixelSet referenceFigure(const core::PixelView& image, std::int32_t scanWidth,
                         std::int32_t scanHeight, core::Color mask) {
    PixelSet pixels;
    if (scanWidth <= 0 || scanHeight <= 0)
        return pixels;
    pixels.width = scanWidth;
    pixels.height = scanHeight;
    pixels.figure.reserve(static_cast<std::size_t>(scanWidth) *
                          static_cast<std::size_t>(scanHeight));
    for (std::int32_t y = 0; y < scanHeight; ++y) {
        for (std::int32_t x = 0; x < scanWidth; ++x)
            pixels.figure.push_back(image.colorAt(x, y) != mask &&
                                    (!image.hasAlpha || x >= image.width || y >= image.height ||
                                     (image.row(y)[x] >> 24) >= 128));
    }
    return pixels;
}

std::vector<core::Interval> referenceRuns(const PixelSet& pixels, std::int32_t y) {
    std::vector<core::Interval> runs;
    for (std::int32_t x = 0; x < pixels.width; ++x) {
        if (!pixels.at(x, y))
            continue;
        if (!runs.empty() && runs.back().x2 == x)
            ++runs.back().x2;
        else
            runs.push_back({x, x + 1});
    }
    return runs;
}

std::string regionMismatch(const core::Rects& rects, const PixelSet& expected) {
    std::vector<int> cover(expected.figure.size(), 0);
    for (const core::Rect& r : rects) {
        if (r.x1 < 0 || r.y1 < 0 || r.x2 > expected.width || r.y2 > expected.height) {
            std::ostringstream out;
            out << "rect " << r << " leaves the " << expected.width << 'x' << expected.height
                << " scan";
            return out.str();
        }
        for (std::int32_t y = r.y1; y < r.y2; ++y) {
            for (std::int32_t x = r.x1; x < r.x2; ++x)
                ++cover[static_cast<std::size_t>(y) * static_cast<std::size_t>(expected.width) +
                        static_cast<std::size_t>(x)];
        }
    }
    for (std::int32_t y = 0; y < expected.height; ++y) {
        for (std::int32_t x = 0; x < expected.width; ++x) {
            const int covered =
                cover[static_cast<std::size_t>(y) * static_cast<std::size_t>(expected.width) +
                      static_cast<std::size_t>(x)];
            const int wanted = expected.at(x, y) ? 1 : 0;
            if (covered != wanted) {
                std::ostringstream out;
                out << "pixel (" << x << ", " << y << ") covered " << covered
                    << " times, figure: " << wanted;
                return out.str();
            }
        }
    }
    return {};
}

} // namespace cutshape::test

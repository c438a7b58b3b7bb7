#include "tools/xshape/shape_compare.h"

#include <algorithm>
#include <sstream>

namespace cutshape::xshape {

ShapeComparison compareShape(const Picture& picture, std::uint32_t mask, const WindowShape& shape) {
    ShapeComparison result;
    result.geometryMatches = shape.width == picture.width && shape.height == picture.height;

    const auto width = static_cast<std::size_t>(picture.width);
    std::vector<bool> covered(width * static_cast<std::size_t>(picture.height), false);
    for (const ShapeRect& r : shape.rects) {
        if (r.x1 < 0 || r.y1 < 0 || r.x2 > picture.width || r.y2 > picture.height)
            ++result.rectsBeyondPicture;
        for (std::int32_t y = std::max(r.y1, 0); y < std::min(r.y2, picture.height); ++y) {
            for (std::int32_t x = std::max(r.x1, 0); x < std::min(r.x2, picture.width); ++x)
                covered[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = true;
        }
    }

    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const bool inFigure = picture.at(x, y) != mask;
            const bool inShape =
                covered[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
            result.figurePixels += inFigure ? 1 : 0;
            if (inFigure == inShape)
                continue;
            (inFigure ? result.missing : result.extra) += 1;
            if (result.firstDifferences.size() < kMaxListed)
                result.firstDifferences.push_back({x, y, inFigure});
        }
    }
    return result;
}

std::string describeComparison(const ShapeComparison& result, const Picture& picture,
                               const WindowShape& shape) {
    std::ostringstream out;
    if (result.equal()) {
        out << "match: " << picture.width << 'x' << picture.height << ", " << result.figurePixels
            << " figure pixels, " << shape.rects.size() << " rectangles\n";
    } else {
        out << "differ: " << result.missing << " missing (figure pixels outside the shape), "
            << result.extra << " extra (shape pixels outside the figure), " << result.figurePixels
            << " figure pixels, " << shape.rects.size() << " rectangles\n";
        if (!result.geometryMatches)
            out << "geometry: window " << shape.width << 'x' << shape.height << ", picture "
                << picture.width << 'x' << picture.height << '\n';
        for (const PixelDifference& d : result.firstDifferences)
            out << (d.missing ? "missing " : "extra ") << d.x << ' ' << d.y << '\n';
        if (static_cast<std::int64_t>(result.firstDifferences.size()) <
            result.missing + result.extra)
            out << "...\n";
    }
    if (result.rectsBeyondPicture > 0)
        out << "note: " << result.rectsBeyondPicture
            << " rectangles reach beyond the picture's area (not compared there)\n";
    return out.str();
}

std::optional<std::uint32_t> parseNumber(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        std::uint64_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint64_t>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<std::uint64_t>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<std::uint64_t>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

} // namespace cutshape::xshape

// cutshape_xshape: prints or checks the bounding shape of an X window, which is where a
// window region set under Wine ends up.
//
//   cutshape_xshape rects <window-id>
//   cutshape_xshape compare <window-id> <picture.bmp> <mask 0xBBGGRR | auto>
//
// Exit status: 0 done / shape equals the figure, 1 shape differs, 2 usage or X error.

#include "tools/xshape/bmp_picture.h"
#include "tools/xshape/shape_compare.h"
#include "tools/xshape/x_shape.h"

#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace cutshape::xshape;

constexpr int kEqual = 0;
constexpr int kDifferent = 1;
constexpr int kFailed = 2;

int usage() {
    std::cerr << "usage: cutshape_xshape rects <window-id>\n"
                 "       cutshape_xshape compare <window-id> <picture.bmp> <mask 0xBBGGRR | "
                 "auto>\n"
                 "window ids in decimal or 0x hex; the mask is a colour as a pixel read "
                 "reports it,\n"
                 "'auto' takes the picture's top-left pixel\n";
    return kFailed;
}

std::uint32_t windowIdArgument(const std::string& text) {
    const auto id = parseNumber(text);
    if (!id || *id == 0)
        throw std::invalid_argument("bad window id '" + text + "'");
    return *id;
}

int printRects(const std::string& windowText) {
    const WindowShape shape = readBoundingShape(windowIdArgument(windowText));
    std::cout << "geometry " << shape.width << ' ' << shape.height << '\n';
    for (const ShapeRect& r : shape.rects)
        std::cout << r.x1 << ' ' << r.y1 << ' ' << r.x2 << ' ' << r.y2 << '\n';
    return kEqual;
}

int compare(const std::string& windowText, const std::string& picturePath,
            const std::string& maskText) {
    const std::uint32_t windowId = windowIdArgument(windowText);
    std::optional<std::uint32_t> mask;
    if (maskText != "auto") {
        mask = parseNumber(maskText);
        if (!mask)
            throw std::invalid_argument("bad mask colour '" + maskText + "'");
    }
    const Picture picture = loadBmp(picturePath);
    const WindowShape shape = readBoundingShape(windowId);
    const ShapeComparison result = compareShape(picture, mask ? *mask : picture.at(0, 0), shape);
    std::cout << describeComparison(result, picture, shape);
    return result.equal() ? kEqual : kDifferent;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "rects")
            return printRects(args[1]);
        if (args.size() == 4 && args[0] == "compare")
            return compare(args[1], args[2], args[3]);
        return usage();
    } catch (const std::invalid_argument& e) {
        std::cerr << "cutshape_xshape: " << e.what() << '\n';
        return usage();
    } catch (const std::exception& e) {
        std::cerr << "cutshape_xshape: " << e.what() << '\n';
        return kFailed;
    }
}

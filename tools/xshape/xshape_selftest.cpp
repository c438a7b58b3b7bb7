// Shapes real X windows and runs cutshape_xshape against them: equal shapes must pass, every
// kind of difference must fail, and bad input must be refused. Windows are shaped with plain
// Xlib calls, one rectangle per run of figure pixels, so nothing here reuses the tool's code.
//
//   xshape_selftest <cutshape_xshape> <scratch-directory>     (with DISPLAY set)

#include "tests/support/picture_files.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using cutshape::core::Color;
using cutshape::testing::Image;

constexpr Color kWhite = 0x00FFFFFF;
constexpr Color kRed = 0x000000FF;
constexpr Color kBlue = 0x00FF0000;

struct ToolRun {
    int status = -1;
    std::string output; // stdout and stderr together
};

class SelfTest {
public:
    SelfTest(std::string tool, std::filesystem::path scratch, Display* display)
        : tool_(std::move(tool)), scratch_(std::move(scratch)), display_(display) {}

    ToolRun run(const std::vector<std::string>& args) const {
        std::string command = "'" + tool_ + "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " 2>&1";
        ToolRun result;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return result;
        std::array<char, 4096> buffer{};
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr)
            result.output += buffer.data();
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    void expect(bool condition, const std::string& what, const ToolRun& run = {}) {
        if (condition) {
            std::cout << "ok: " << what << '\n';
            return;
        }
        ++failures_;
        std::cout << "FAIL: " << what << "\n  exit status " << run.status << ", output:\n"
                  << run.output;
    }

    // Runs `compare` and expects the exit status; `mustContain` lines must appear.
    void expectCompare(const std::string& what, Window window, const std::string& picture,
                       const std::string& mask, int status,
                       const std::vector<std::string>& mustContain = {}) {
        const ToolRun result = run({"compare", std::to_string(window), picture, mask});
        bool ok = result.status == status;
        for (const std::string& text : mustContain)
            ok = ok && result.output.find(text) != std::string::npos;
        expect(ok, what, result);
    }

    std::string writePicture(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path path = scratch_ / name;
        cutshape::testing::writeFile(path, bytes);
        return path.string();
    }

    Window createWindow(std::int32_t width, std::int32_t height) {
        const Window root = DefaultRootWindow(display_);
        const Window window =
            XCreateSimpleWindow(display_, root, 20, 20, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, 0xFFFFFF);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        XChangeWindowAttributes(display_, window, CWOverrideRedirect, &attributes);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    // Sets the bounding shape to the image's pixels that differ from `mask`.
    void shapeToFigure(Window window, const Image& image, Color mask) {
        std::vector<XRectangle> rects;
        for (std::int32_t y = 0; y < image.height(); ++y) {
            std::int32_t x = 0;
            while (x < image.width()) {
                if (image.get(x, y) == mask) {
                    ++x;
                    continue;
                }
                const std::int32_t start = x;
                while (x < image.width() && image.get(x, y) != mask)
                    ++x;
                rects.push_back(XRectangle{static_cast<short>(start), static_cast<short>(y),
                                           static_cast<unsigned short>(x - start), 1});
            }
        }
        combine(window, rects, ShapeSet);
    }

    void combine(Window window, std::vector<XRectangle> rects, int operation) {
        XShapeCombineRectangles(display_, window, ShapeBounding, 0, 0, rects.data(),
                                static_cast<int>(rects.size()), operation, Unsorted);
        XSync(display_, False);
    }

    void combinePixel(Window window, std::int32_t x, std::int32_t y, int operation) {
        combine(window, {XRectangle{static_cast<short>(x), static_cast<short>(y), 1, 1}},
                operation);
    }

    void destroy(Window window) {
        XDestroyWindow(display_, window);
        XSync(display_, False);
    }

    int failures() const { return failures_; }

private:
    std::string tool_;
    std::filesystem::path scratch_;
    Display* display_;
    int failures_ = 0;
};

std::string hexId(Window window) {
    std::ostringstream out;
    out << "0x" << std::hex << window;
    return out.str();
}

// The `rects` output read back into a coverage map, compared with the figure pixel by pixel.
bool rectsCoverFigure(const std::string& output, const Image& image, Color mask) {
    std::istringstream in(output);
    std::string word;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!(in >> word >> width >> height) || word != "geometry" || width != image.width() ||
        height != image.height())
        return false;
    std::vector<bool> covered(image.words().size(), false);
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    while (in >> x1 >> y1 >> x2 >> y2) {
        if (x1 < 0 || y1 < 0 || x2 > width || y2 > height || x1 >= x2 || y1 >= y2)
            return false;
        for (std::int32_t y = y1; y < y2; ++y) {
            for (std::int32_t x = x1; x < x2; ++x)
                covered[static_cast<std::size_t>(y * width + x)] = true;
        }
    }
    if (!in.eof())
        return false;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            if (covered[static_cast<std::size_t>(y * width + x)] != (image.get(x, y) != mask))
                return false;
        }
    }
    return true;
}

int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace cutshape::testing;
    if (argc != 3) {
        std::cerr << "usage: xshape_selftest <cutshape_xshape> <scratch-directory>\n";
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::cerr << "xshape_selftest: cannot open the X display\n";
        return 2;
    }
    XSetErrorHandler(ignoreXErrors);
    SelfTest t(argv[1], argv[2], display);

    // A figure with a hole and isolated pixels, in three BMP variants.
    const Image figure = makeFigure(97, 61, kWhite, kRed);
    const std::string bmp24 = t.writePicture("figure24.bmp", writeBmp24(figure));
    const std::string bmp32 = t.writePicture("figure32.bmp", writeBmp32(figure, RowOrder::TopDown));
    const std::string bmp8 = t.writePicture("figure8.bmp", writeBmp8(figure));
    const Window shaped = t.createWindow(97, 61);
    t.shapeToFigure(shaped, figure, kWhite);

    const ToolRun rects = t.run({"rects", std::to_string(shaped)});
    t.expect(rects.status == 0 && rectsCoverFigure(rects.output, figure, kWhite),
             "rects lists the figure", rects);
    const ToolRun rectsHex = t.run({"rects", hexId(shaped)});
    t.expect(rectsHex.status == 0 && rectsHex.output == rects.output, "rects takes a hex id",
             rectsHex);

    t.expectCompare("equal shape, automatic mask", shaped, bmp24, "auto", 0, {"match"});
    t.expectCompare("equal shape, explicit mask", shaped, bmp24, "0xFFFFFF", 0);
    t.expectCompare("equal shape, decimal mask", shaped, bmp24, "16777215", 0);
    t.expectCompare("equal shape, 32-bit top-down picture", shaped, bmp32, "auto", 0);
    t.expectCompare("equal shape, 8-bit picture", shaped, bmp8, "auto", 0);
    t.expectCompare("figure colour as the mask", shaped, bmp24, "0x0000FF", 1, {"differ"});
    t.expectCompare("absent mask colour: the whole picture is figure", shaped, bmp24, "0x00FF00", 1,
                    {"missing 0 0"});

    // One figure pixel cut away, then one background pixel added.
    std::int32_t cutX = 0;
    const std::int32_t cutY = figure.height() / 2;
    while (figure.get(cutX, cutY) == kWhite)
        ++cutX;
    t.combinePixel(shaped, cutX, cutY, ShapeSubtract);
    const std::string cut = "missing " + std::to_string(cutX) + ' ' + std::to_string(cutY);
    t.expectCompare("one pixel missing", shaped, bmp24, "auto", 1,
                    {"differ: 1 missing", ", 0 extra", cut});
    t.combinePixel(shaped, cutX, cutY, ShapeUnion);
    t.combinePixel(shaped, 1, 1, ShapeUnion);
    t.expectCompare("one pixel extra", shaped, bmp24, "auto", 1,
                    {"differ: 0 missing", ", 1 extra", "extra 1 1"});
    t.combinePixel(shaped, 1, 1, ShapeSubtract);
    t.expectCompare("restored shape", shaped, bmp24, "auto", 0);

    // The same shape on a window one pixel wider.
    const Window wider = t.createWindow(98, 61);
    t.shapeToFigure(wider, figure, kWhite);
    t.expectCompare("window size differs from the picture", wider, bmp24, "auto", 1,
                    {"geometry: window 98x61, picture 97x61"});

    // Many small rectangles.
    const Image page = makeTextPage(320, 200);
    const std::string pageBmp = t.writePicture("page.bmp", writeBmp24(page));
    const Window text = t.createWindow(320, 200);
    t.shapeToFigure(text, page, kWhite);
    t.expectCompare("text page", text, pageBmp, "auto", 0);
    t.expectCompare("text page against the figure", text, bmp24, "auto", 1);

    // A window never shaped covers its whole area.
    const Image noise = makeNoise(40, 30, 11, {kRed, kBlue});
    const std::string noiseBmp = t.writePicture("noise.bmp", writeBmp24(noise));
    const Window plain = t.createWindow(40, 30);
    const ToolRun plainRects = t.run({"rects", std::to_string(plain)});
    t.expect(plainRects.status == 0 && plainRects.output == "geometry 40 30\n0 0 40 30\n",
             "an unshaped window is one rectangle", plainRects);
    t.expectCompare("unshaped window, no mask pixel", plain, noiseBmp, "0xFFFFFF", 0);
    t.expectCompare("unshaped window, automatic mask", plain, noiseBmp, "auto", 1, {"extra"});

    // An empty shape.
    const std::string blankBmp = t.writePicture("blank.bmp", writeBmp24(Image(20, 10, kWhite)));
    const Window empty = t.createWindow(20, 10);
    t.combine(empty, {}, ShapeSet);
    const ToolRun emptyRects = t.run({"rects", std::to_string(empty)});
    t.expect(emptyRects.status == 0 && emptyRects.output == "geometry 20 10\n",
             "an empty shape has no rectangles", emptyRects);
    t.expectCompare("empty shape, blank picture", empty, blankBmp, "auto", 0);
    t.expectCompare("empty shape, figure", empty, noiseBmp, "0xFFFFFF", 1,
                    {"differ: 1200 missing"});

    // Refusals.
    const Window gone = t.createWindow(10, 10);
    t.destroy(gone);
    t.expectCompare("a window that does not exist", gone, bmp24, "auto", 2, {"Bad"});
    const std::string garbage = t.writePicture("garbage.bmp", {'B', 'M', 1, 2, 3});
    t.expectCompare("a broken picture", shaped, garbage, "auto", 2, {"cannot read"});
    t.expectCompare("a missing picture", shaped,
                    (std::filesystem::path(argv[2]) / "none.bmp").string(), "auto", 2,
                    {"cannot open"});
    t.expectCompare("a bad mask", shaped, bmp24, "white", 2, {"bad mask"});
    const ToolRun badId = t.run({"rects", "12abc"});
    t.expect(badId.status == 2 && badId.output.find("bad window id") != std::string::npos,
             "a bad window id", badId);
    const ToolRun noArgs = t.run({"compare", std::to_string(shaped)});
    t.expect(noArgs.status == 2 && noArgs.output.find("usage") != std::string::npos,
             "missing arguments", noArgs);

    XCloseDisplay(display);
    if (t.failures() > 0) {
        std::cout << t.failures() << " checks failed\n";
        return 1;
    }
    std::cout << "all checks passed\n";
    return 0;
}

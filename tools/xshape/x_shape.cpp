#include "tools/xshape/x_shape.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <array>
#include <memory>
#include <sstream>
#include <string>

namespace cutshape::xshape {

namespace {

// Xlib reports errors through a process-wide callback; the first one is kept until the
// next check.
std::string gFirstError;

int recordError(Display* display, XErrorEvent* event) {
    if (gFirstError.empty()) {
        std::array<char, 256> text{};
        XGetErrorText(display, event->error_code, text.data(), static_cast<int>(text.size()));
        std::ostringstream out;
        out << text.data() << " (request " << static_cast<int>(event->request_code)
            << ", resource 0x" << std::hex << event->resourceid << ')';
        gFirstError = out.str();
    }
    return 0;
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

struct XFreeDeleter {
    void operator()(XRectangle* rects) const { XFree(rects); }
};

void throwIfFailed(Display* display, const char* what) {
    XSync(display, False);
    if (!gFirstError.empty()) {
        const std::string error = gFirstError;
        gFirstError.clear();
        throw XError(std::string(what) + ": " + error);
    }
}

} // namespace

WindowShape readBoundingShape(std::uint32_t windowId) {
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display)
        throw XError("cannot open the X display '" + std::string(XDisplayName(nullptr)) + "'");
    XSetErrorHandler(recordError);
    gFirstError.clear();

    int eventBase = 0;
    int errorBase = 0;
    if (!XShapeQueryExtension(display.get(), &eventBase, &errorBase))
        throw XError("the X server has no Shape extension");

    const Window window = windowId;
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    const Status ok =
        XGetGeometry(display.get(), window, &root, &x, &y, &width, &height, &border, &depth);
    throwIfFailed(display.get(), "XGetGeometry");
    if (!ok)
        throw XError("XGetGeometry failed for window " + std::to_string(windowId));

    WindowShape shape;
    shape.width = static_cast<std::int32_t>(width);
    shape.height = static_cast<std::int32_t>(height);
    int count = 0;
    int ordering = 0;
    const std::unique_ptr<XRectangle, XFreeDeleter> rects(
        XShapeGetRectangles(display.get(), window, ShapeBounding, &count, &ordering));
    throwIfFailed(display.get(), "XShapeGetRectangles");
    for (int i = 0; i < count; ++i) {
        const XRectangle& r = rects.get()[i];
        shape.rects.push_back(ShapeRect{r.x, r.y, r.x + static_cast<std::int32_t>(r.width),
                                        r.y + static_cast<std::int32_t>(r.height)});
    }
    return shape;
}

} // namespace cutshape::xshape

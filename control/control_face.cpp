#include "control/control_face.h"

#include "control/server.h"
#include "runtime/screen.h"
#include "win/gdi.h"

namespace cutshape::control {
namespace {

constexpr const wchar_t* kWindowClass = L"CutshapeControlFace";

} // namespace

void PinnedSize::initialize(float widthTwips, float heightTwips) {
    width_ = runtime::roundedTwips(widthTwips);
    height_ = runtime::roundedTwips(heightTwips);
}

void makeBorderless(HostForm& form) {
    const bool showInTaskbar = form.showInTaskbar();
    form.setBorderStyle(0);
    form.setShowInTaskbar(showInTaskbar);
}

win::UniqueWindow createFaceWindow(win::MessageHandler& handler, HWND parent, const RECT& position,
                                   bool visible) {
    static const bool registered = [] {
        WNDCLASSW description{};
        description.hInstance = moduleHandle();
        description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        description.lpszClassName = kWindowClass;
        win::registerHandlerClass(description);
        return true;
    }();
    (void)registered;
    win::WindowPlacement placement;
    placement.style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    placement.x = position.left;
    placement.y = position.top;
    placement.width = position.right - position.left;
    placement.height = position.bottom - position.top;
    placement.parent = parent;
    return win::createHandlerWindow(handler, kWindowClass, moduleHandle(), L"", placement,
                                    L"Creating the control's window");
}

void drawFace(HDC dc, const RECT& bounds) {
    const win::UniqueBrush face = win::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    const win::UniqueBrush figure = win::CreateSolidBrush(RGB(30, 90, 200));
    ::FillRect(dc, &bounds, face.get());
    const int inset = (bounds.right - bounds.left) / 6;
    const RECT inner{bounds.left + inset, bounds.top + inset, bounds.right - inset,
                     bounds.bottom - inset};
    ::FillRect(dc, &inner, figure.get());
    const RECT cut{inner.left, inner.top, (inner.left + inner.right) / 2,
                   (inner.top + inner.bottom) / 2};
    ::FillRect(dc, &cut, face.get());
    RECT edge = bounds;
    ::DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
}

} // namespace cutshape::control

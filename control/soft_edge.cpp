#include "control/soft_edge.h"

#include "control/server.h"
#include "core/fringe.h"
#include "win/error.h"
#include "win/window_calls.h"
#include "win/window_system.h"

#include <mutex>

namespace cutshape::control {
namespace {

constexpr const wchar_t* kWindowClass = L"CutshapeSoftEdge";

// Per-pixel alpha; clicks pass through to what lies below; never activated; no taskbar button
// and no Alt+Tab entry.
constexpr DWORD kEdgeStyles =
    WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
// Posted to the edge when its form is activated: the activation is through when it arrives.
constexpr UINT kFollowAgain = WM_APP + 1;
constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// The window class lives while any edge window does: the first registers it and the last
// takes it away, so that no class outlives the library's code. Edges of several apartment
// threads share it; a class taken away while another thread creates its window would fail
// that creation (and Wine 8 then ends the program).
std::mutex classLock;
int edgeWindows = 0;

void holdWindowClass() {
    const std::lock_guard<std::mutex> held(classLock);
    if (edgeWindows == 0) {
        WNDCLASSW description{};
        description.hInstance = moduleHandle();
        description.lpszClassName = kWindowClass;
        win::registerHandlerClass(description);
    }
    ++edgeWindows;
}

void releaseWindowClass() noexcept {
    const std::lock_guard<std::mutex> held(classLock);
    if (--edgeWindows == 0)
        ::UnregisterClassW(kWindowClass, moduleHandle());
}

bool isTopmost(HWND window) noexcept {
    return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Whether no shown window but `except` lies above `window`.
bool onTop(HWND window, HWND except) noexcept {
    for (HWND above = ::GetWindow(window, GW_HWNDPREV); above;
         above = ::GetWindow(above, GW_HWNDPREV))
        if (above != except && ::IsWindowVisible(above))
            return false;
    return true;
}

} // namespace

SoftEdge::~SoftEdge() {
    remove();
}

void SoftEdge::show(HWND form, const core::PixelView& staged, const core::PixelView& own,
                    core::Color mask) {
    if (!own.pixels) {
        hide();
        return;
    }
    try {
        if (form != form_ && window_)
            remove(); // one edge per form; a new form starts below its own
        const core::FringeExtent fringe = core::findFringe(staged, mask);
        if (fringe.pixels == 0) {
            hide();
            return;
        }
        // The window covers the fringe's bounds only: the window system copies, scans and
        // composes no more than that.
        const core::Rect& bounds = fringe.bounds;
        const SIZE sizePx{bounds.x2 - bounds.x1, bounds.y2 - bounds.y1};
        // An edge of the same size draws into its image again: no new image per Load.
        if (!image_ || image_->width() != sizePx.cx || image_->height() != sizePx.cy) {
            image_.reset();
            image_ = std::make_unique<win::DibSurface>(sizePx.cx, sizePx.cy);
        }
        core::writeFringe(staged, own, mask, bounds, image_->writablePixels(), sizePx.cx);
        form_ = form;
        offset_ = POINT{bounds.x1, bounds.y1};
        hidden_ = false;
        if (!window_)
            createWindow();
        win::UpdateLayeredWindow(window_.get(), image_->dc(), placeOnScreen(), sizePx);
        follow();
    } catch (...) {
        remove();
        throw;
    }
}

POINT SoftEdge::placeOnScreen() const noexcept {
    RECT at{};
    ::GetWindowRect(form_, &at);
    return POINT{at.left + offset_.x, at.top + offset_.y};
}

void SoftEdge::createWindow() {
    holdWindowClass();
    win::WindowPlacement placement;
    placement.style = WS_POPUP;
    placement.extendedStyle = kEdgeStyles;
    placement.x = placement.y = placement.width = placement.height = 0;
    try {
        window_ = win::createHandlerWindow(*this, kWindowClass, moduleHandle(), L"", placement,
                                           L"Creating the soft edge's window");
    } catch (...) {
        releaseWindowClass();
        throw;
    }
    topmost_ = false;
    placedBelow_ = false;
}

void SoftEdge::hide() noexcept {
    hidden_ = true;
    // Out of sight where it lies in the z-order: ShowWindow's hide moves it.
    if (window_)
        ::SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                       kKeepPlace | SWP_NOZORDER | SWP_HIDEWINDOW);
}

void SoftEdge::remove() noexcept {
    hidden_ = false;
    if (window_) {
        window_.reset();
        releaseWindowClass();
    }
    image_.reset();
    form_ = nullptr;
}

void SoftEdge::follow(bool activated) noexcept {
    if (!window_ || following_)
        return;
    if (!::IsWindow(form_)) {
        remove();
        return;
    }
    if (hidden_)
        return; // placed when it has a fringe to show again
    // Restacking the form below sends it another change of place.
    following_ = true;
    const bool formShown = ::IsWindowVisible(form_) && !::IsIconic(form_);
    const bool shown = formShown && stackBelowForm(activated);
    // One call for the place and the visibility, and none when both are as they should be.
    const POINT place = placeOnScreen();
    RECT at{};
    ::GetWindowRect(window_.get(), &at);
    UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (at.left == place.x && at.top == place.y)
        flags |= SWP_NOMOVE;
    if (shown != (::IsWindowVisible(window_.get()) != FALSE))
        flags |= shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    if ((flags & (SWP_NOMOVE | SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != SWP_NOMOVE)
        ::SetWindowPos(window_.get(), nullptr, place.x, place.y, 0, 0, flags);
    following_ = false;
    if (activated)
        ::PostMessageW(window_.get(), kFollowAgain, 0, 0);
}

bool SoftEdge::stackBelowForm(bool activated) noexcept {
    const HWND edge = window_.get();
    if (const bool topmost = isTopmost(form_); topmost != topmost_) {
        ::SetWindowPos(edge, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
        topmost_ = topmost;
    }
    const bool directlyBelow = ::GetWindow(form_, GW_HWNDNEXT) == edge;
    if (!win::runningUnderWine()) {
        if (!directlyBelow)
            ::SetWindowPos(edge, form_, 0, 0, 0, 0, kKeepPlace);
        return true;
    }
    // Wine restacks an X window only when it becomes the top one. A covered form is never
    // raised: its edge keeps the place it had below it, and a new one waits, hidden.
    if (!activated && !onTop(form_, edge))
        return placedBelow_;
    if (activated || !directlyBelow || !placedBelow_) {
        ::SetWindowPos(edge, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
        ::SetWindowPos(form_, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
    }
    placedBelow_ = true;
    return true;
}

LRESULT SoftEdge::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // Wine activates a window on a click whatever WS_EX_NOACTIVATE says.
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case kFollowAgain:
        follow();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace cutshape::control

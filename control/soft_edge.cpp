#include "control/soft_edge.h"

#include "control/server.h"
#include "core/fringe.h"
#include "win/error.h"
#include "win/window_calls.h"
#include "win/window_system.h"

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
    if (!staged.hasAlpha || !own.pixels || staged.width <= 0 || staged.height <= 0) {
        remove();
        return;
    }
    try {
        if (form != form_ && window_)
            remove(); // one edge per form; a new form starts below its own
        // An edge of the same size draws into its image again: no new image per Load.
        if (!image_ || image_->width() != staged.width || image_->height() != staged.height) {
            image_.reset();
            image_ = std::make_unique<win::DibSurface>(staged.width, staged.height);
        }
        fringePixels_ =
            core::writeFringe(staged, own, mask, image_->writablePixels(), staged.width);
        if (fringePixels_ == 0) {
            remove();
            return;
        }
        form_ = form;
        if (!window_)
            createWindow();
        RECT at{};
        ::GetWindowRect(form_, &at);
        win::UpdateLayeredWindow(window_.get(), image_->dc(), POINT{at.left, at.top},
                                 SIZE{staged.width, staged.height});
        follow();
    } catch (...) {
        remove();
        throw;
    }
}

void SoftEdge::createWindow() {
    WNDCLASSW description{};
    description.hInstance = moduleHandle();
    description.lpszClassName = kWindowClass;
    win::registerHandlerClass(description);
    win::WindowPlacement placement;
    placement.style = WS_POPUP;
    placement.extendedStyle = kEdgeStyles;
    placement.x = placement.y = placement.width = placement.height = 0;
    window_ = win::createHandlerWindow(*this, kWindowClass, moduleHandle(), L"", placement,
                                       L"Creating the soft edge's window");
    topmost_ = false;
    placedBelow_ = false;
}

void SoftEdge::remove() noexcept {
    window_.reset();
    image_.reset();
    fringePixels_ = 0;
    form_ = nullptr;
    // Fails while another control's edge still uses the class; the last one takes it away,
    // so that no class outlives the library's code.
    ::UnregisterClassW(kWindowClass, moduleHandle());
}

void SoftEdge::follow(bool activated) noexcept {
    if (!window_ || following_)
        return;
    if (!::IsWindow(form_)) {
        remove();
        return;
    }
    // Restacking the form below sends it another change of place.
    following_ = true;
    RECT at{};
    ::GetWindowRect(form_, &at);
    ::SetWindowPos(window_.get(), nullptr, at.left, at.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    const bool formShown = ::IsWindowVisible(form_) && !::IsIconic(form_);
    const bool show = formShown && stackBelowForm(activated);
    if (show != (::IsWindowVisible(window_.get()) != FALSE))
        ::SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                       kKeepPlace | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
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

#include "runtime/window_frame.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/error.h"

#include <olectl.h>

namespace cutshape::runtime {
namespace {

constexpr LONG_PTR kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                  WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;
constexpr LONG_PTR kFrameExStyles =
    WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;

SIZE outerSize(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect))
        win::throwLastError(L"GetWindowRect");
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// A size the window already has changes nothing; asking anyway costs a round of window
// messages and, under Wine, the X server.
void resize(HWND window, int widthPx, int heightPx) {
    const SIZE current = outerSize(window);
    if (current.cx == widthPx && current.cy == heightPx)
        return;
    ::SetWindowPos(window, nullptr, 0, 0, widthPx, heightPx,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

float outerWidthTwips(HWND window, const Resolution& at) {
    return static_cast<float>(outerSize(window).cx) * at.twipsPerPixelX();
}

float outerHeightTwips(HWND window, const Resolution& at) {
    return static_cast<float>(outerSize(window).cy) * at.twipsPerPixelY();
}

void setOuterWidthTwips(HWND window, float twips, const Resolution& at) {
    resize(window, at.pixelsX(twips), outerSize(window).cy);
}

void setOuterHeightTwips(HWND window, float twips, const Resolution& at) {
    resize(window, outerSize(window).cx, at.pixelsY(twips));
}

void setClientSizeTwips(HWND window, float widthTwips, float heightTwips, const Resolution& at) {
    RECT rect{0, 0, at.pixelsX(widthTwips), at.pixelsY(heightTwips)};
    const auto styles = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyles = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
    ::AdjustWindowRectEx(&rect, styles, FALSE, exStyles);
    resize(window, rect.right - rect.left, rect.bottom - rect.top);
}

std::int32_t borderStyle(HWND window) noexcept {
    const LONG_PTR styles = ::GetWindowLongPtrW(window, GWL_STYLE);
    if ((styles & kFrameStyles) == 0)
        return 0;
    return (styles & WS_THICKFRAME) ? 2 : 1;
}

void setBorderStyle(HWND window, std::int32_t style) {
    LONG_PTR frame = 0;
    switch (style) {
    case 0:
        break;
    case 1:
        frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        break;
    case 2:
        frame = WS_OVERLAPPEDWINDOW;
        break;
    default:
        throw win::Error(CTL_E_INVALIDPROPERTYVALUE, L"Invalid property value");
    }
    const LONG_PTR styles = ::GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyles = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window, GWL_STYLE, (styles & ~kFrameStyles) | frame);
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyles & ~kFrameExStyles);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool showsInTaskbar(HWND window) noexcept {
    return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) == 0;
}

void setShowInTaskbar(HWND window, bool show) noexcept {
    LONG_PTR exStyles = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    exStyles = show ? (exStyles & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW
                    : (exStyles & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyles);
}

void refreshWindow(HWND window) noexcept {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace cutshape::runtime

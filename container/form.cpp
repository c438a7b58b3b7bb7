#include "container/form.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "runtime/window_frame.h"
#include "win/com_error.h"
#include "win/variant.h"

#include <olectl.h>
#include <windowsx.h>

namespace cutshape::container {
namespace {

constexpr const wchar_t* kFormClass = L"CutshapeForm";

enum FormMember : DISPID {
    kPicture = 1,
    kWidth,
    kHeight,
    kHwnd,
    kRefresh,
    kBorderStyle,
    kShowInTaskbar,
};

constexpr DispatchMember kMembers[] = {
    {L"Picture", kPicture},
    {L"Width", kWidth},
    {L"Height", kHeight},
    {L"hwnd", kHwnd},
    {L"Refresh", kRefresh},
    {L"BorderStyle", kBorderStyle},
    {L"ShowInTaskbar", kShowInTaskbar},
};

int mouseButton(UINT message) noexcept {
    switch (message) {
    case WM_LBUTTONDOWN:
        return 1;
    case WM_RBUTTONDOWN:
        return 2;
    default:
        return 4;
    }
}

} // namespace

Form::Form(const FormDesign& design) {
    static const bool registered = [] {
        WNDCLASSW description{};
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        description.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        description.lpszClassName = kFormClass;
        win::registerHandlerClass(description);
        return true;
    }();
    (void)registered;
    win::WindowPlacement placement;
    placement.style = WS_OVERLAPPEDWINDOW;
    placement.width = 100;
    placement.height = 100;
    window_ =
        win::createHandlerWindow(*this, kFormClass, ::GetModuleHandleW(nullptr),
                                 design.caption.c_str(), placement, L"Creating a form window");
    runtime::setBorderStyle(hwnd(), design.borderStyle);
    runtime::setShowInTaskbar(hwnd(), design.showInTaskbar);
    LONG_PTR styles = ::GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_CLIPCHILDREN;
    if (!design.minButton)
        styles &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
    if (!design.maxButton)
        styles &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, styles);
    resolution_ = runtime::windowResolution(hwnd());
    runtime::setOuterWidthTwips(hwnd(), design.widthTwips, resolution_);
    runtime::setOuterHeightTwips(hwnd(), design.heightTwips, resolution_);
    if (design.clientWidthTwips >= 0 && design.clientHeightTwips >= 0)
        runtime::setClientSizeTwips(hwnd(), design.clientWidthTwips, design.clientHeightTwips,
                                    resolution_);
}

Form::~Form() {
    if (window_)
        win::detachHandler(window_.get());
}

void Form::setPicture(runtime::Picture picture) {
    picture_ = std::move(picture);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Form::show() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
}

std::span<const DispatchMember> Form::members() const noexcept {
    return kMembers;
}

void Form::invokeMember(DISPID id, DispatchCall& call) {
    switch (id) {
    case kPicture:
        if (call.isPut())
            return setPicture(runtime::Picture::fromObject(call.value(VT_UNKNOWN).get()->punkVal));
        return call.returns(picture_.isNothing() ? nullptr : picture_.dispatch().get());
    case kWidth:
        if (call.isPut())
            return runtime::setOuterWidthTwips(hwnd(), call.value(VT_R4).get()->fltVal,
                                               resolution_);
        return call.returns(runtime::outerWidthTwips(hwnd(), resolution_));
    case kHeight:
        if (call.isPut())
            return runtime::setOuterHeightTwips(hwnd(), call.value(VT_R4).get()->fltVal,
                                                resolution_);
        return call.returns(runtime::outerHeightTwips(hwnd(), resolution_));
    case kHwnd:
        if (call.isPut())
            throw win::Error(CTL_E_SETNOTSUPPORTED, L"hwnd is read-only");
        return call.returns(static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd())));
    case kRefresh:
        return runtime::refreshWindow(hwnd());
    case kBorderStyle:
        if (call.isPut())
            return runtime::setBorderStyle(hwnd(), call.value(VT_I4).get()->lVal);
        return call.returns(static_cast<LONG>(runtime::borderStyle(hwnd())));
    case kShowInTaskbar:
        if (call.isPut())
            return runtime::setShowInTaskbar(hwnd(), call.value(VT_BOOL).get()->boolVal != 0);
        return call.returns(runtime::showsInTaskbar(hwnd()));
    default:
        memberNotFound();
    }
}

LRESULT Form::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (filter_)
        if (const std::optional<LRESULT> result = filter_(message, wParam, lParam))
            return *result;
    switch (message) {
    case WM_DPICHANGED: {
        resolution_ = runtime::Resolution{LOWORD(wParam), HIWORD(wParam)};
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (resolutionChanged_)
            resolutionChanged_();
        return 0;
    }
    case WM_ERASEBKGND: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        picture_.renderAtOrigin(dc, picture_.sizePixels(resolution_.dpiX, resolution_.dpiY));
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (mouseDown_) {
            const int shift = ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
                              ((::GetKeyState(VK_MENU) < 0) ? 4 : 0);
            mouseDown_(mouseButton(message), shift,
                       static_cast<float>(GET_X_LPARAM(lParam)) * resolution_.twipsPerPixelX(),
                       static_cast<float>(GET_Y_LPARAM(lParam)) * resolution_.twipsPerPixelY());
        }
        return 0;
    case WM_DESTROY:
        if (unload_)
            unload_();
        (void)window_.release(); // the window is going away on its own
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace cutshape::container

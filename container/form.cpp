#include "container/form.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "runtime/window_frame.h"
#include "win/com_error.h"
#include "win/variant.h"

#include <cwchar>
#include <iterator>
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

struct MemberName {
    const wchar_t* name;
    DISPID id;
};
constexpr MemberName kMembers[] = {
    {L"Picture", kPicture},
    {L"Width", kWidth},
    {L"Height", kHeight},
    {L"hwnd", kHwnd},
    {L"Refresh", kRefresh},
    {L"BorderStyle", kBorderStyle},
    {L"ShowInTaskbar", kShowInTaskbar},
};

// The one argument of a property put, converted to `type`.
win::Variant putArgument(const DISPPARAMS& parameters, VARTYPE type) {
    if (parameters.cArgs != 1)
        throw win::Error(DISP_E_BADPARAMCOUNT, L"A property takes one value.");
    win::Variant value;
    const HRESULT result =
        ::VariantChangeType(value.get(), const_cast<VARIANT*>(&parameters.rgvarg[0]), 0, type);
    if (FAILED(result))
        throw runtime::typeMismatchError();
    return value;
}

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
    static const ATOM formClass = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = windowProc;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        description.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        description.lpszClassName = kFormClass;
        return ::RegisterClassW(&description);
    }();
    (void)formClass;
    window_.reset(::CreateWindowExW(0, kFormClass, design.caption.c_str(), WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), this));
    if (!window_)
        win::throwLastError(L"Creating a form window");
    runtime::setBorderStyle(hwnd(), design.borderStyle);
    runtime::setShowInTaskbar(hwnd(), design.showInTaskbar);
    LONG_PTR styles = ::GetWindowLongPtrW(hwnd(), GWL_STYLE) | WS_CLIPCHILDREN;
    if (!design.minButton)
        styles &= ~static_cast<LONG_PTR>(WS_MINIMIZEBOX);
    if (!design.maxButton)
        styles &= ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX);
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, styles);
    runtime::setOuterWidthTwips(hwnd(), design.widthTwips);
    runtime::setOuterHeightTwips(hwnd(), design.heightTwips);
    if (design.clientWidthTwips >= 0 && design.clientHeightTwips >= 0)
        runtime::setClientSizeTwips(hwnd(), design.clientWidthTwips, design.clientHeightTwips);
}

Form::~Form() {
    if (window_)
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void Form::setPicture(runtime::Picture picture) {
    picture_ = std::move(picture);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Form::show() {
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
}

HRESULT Form::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT Form::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT Form::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept {
    if (!names || !ids)
        return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0)
            for (const MemberName& member : kMembers)
                if (_wcsicmp(member.name, names[0]) == 0)
                    ids[0] = member.id;
        if (ids[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT Form::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                     EXCEPINFO* exception, UINT*) noexcept try {
    if (!parameters)
        return E_INVALIDARG;
    invoke(id, flags, *parameters, result);
    return S_OK;
} catch (...) {
    return win::toDispatchResult(exception, L"Form");
}

void Form::invoke(DISPID id, WORD flags, const DISPPARAMS& parameters, VARIANT* result) {
    const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0 &&
                     !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    win::Variant value;
    switch (id) {
    case kPicture:
        if (put) {
            setPicture(
                runtime::Picture::fromObject(putArgument(parameters, VT_UNKNOWN).get()->punkVal));
            return;
        }
        value.get()->vt = VT_DISPATCH;
        value.get()->pdispVal = picture_.isNothing() ? nullptr : picture_.dispatch().release();
        break;
    case kWidth:
    case kHeight:
        if (put) {
            const float twips = putArgument(parameters, VT_R4).get()->fltVal;
            id == kWidth ? runtime::setOuterWidthTwips(hwnd(), twips)
                         : runtime::setOuterHeightTwips(hwnd(), twips);
            return;
        }
        value.get()->vt = VT_R4;
        value.get()->fltVal =
            id == kWidth ? runtime::outerWidthTwips(hwnd()) : runtime::outerHeightTwips(hwnd());
        break;
    case kHwnd:
        if (put)
            throw win::Error(CTL_E_SETNOTSUPPORTED, L"hwnd is read-only");
        value.get()->vt = VT_I4;
        value.get()->lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd()));
        break;
    case kRefresh:
        runtime::refreshWindow(hwnd());
        return;
    case kBorderStyle:
        if (put) {
            runtime::setBorderStyle(hwnd(), putArgument(parameters, VT_I4).get()->lVal);
            return;
        }
        value.get()->vt = VT_I4;
        value.get()->lVal = runtime::borderStyle(hwnd());
        break;
    case kShowInTaskbar:
        if (put) {
            runtime::setShowInTaskbar(hwnd(), putArgument(parameters, VT_BOOL).get()->boolVal != 0);
            return;
        }
        value.get()->vt = VT_BOOL;
        value.get()->boolVal = runtime::showsInTaskbar(hwnd()) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:
        throw win::Error(DISP_E_MEMBERNOTFOUND, L"No such member");
    }
    if (!get)
        throw win::Error(DISP_E_MEMBERNOTFOUND, L"The member cannot be called that way");
    if (result)
        *result = value.release();
}

LRESULT CALLBACK Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return form->handle(window, message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT Form::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (filter_)
        if (const std::optional<LRESULT> result = filter_(message, wParam, lParam))
            return *result;
    switch (message) {
    case WM_ERASEBKGND: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        picture_.renderAtOrigin(
            dc, picture_.sizePixels(runtime::Screen::dpiX(), runtime::Screen::dpiY()));
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (mouseDown_) {
            const int shift = ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
                              ((::GetKeyState(VK_MENU) < 0) ? 4 : 0);
            mouseDown_(mouseButton(message), shift,
                       static_cast<float>(GET_X_LPARAM(lParam)) * runtime::Screen::twipsPerPixelX(),
                       static_cast<float>(GET_Y_LPARAM(lParam)) *
                           runtime::Screen::twipsPerPixelY());
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

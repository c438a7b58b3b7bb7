#include "control/form_window_watch.h"

#include "win/error.h"

#include <commctrl.h>

namespace cutshape::control {
namespace {

constexpr UINT_PTR kSubclassId = 0x43757444; // "CutD"

} // namespace

FormWindowWatch::~FormWindowWatch() {
    unwatch();
}

bool FormWindowWatch::watch(HWND window) noexcept {
    if (window == window_)
        return window_ != nullptr;
    unwatch();
    if (window &&
        ::SetWindowSubclass(window, procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        window_ = window;
    return window_ != nullptr;
}

void FormWindowWatch::unwatch() noexcept {
    if (window_ && ::IsWindow(window_))
        ::RemoveWindowSubclass(window_, procedure, kSubclassId);
    window_ = nullptr;
}

LRESULT CALLBACK FormWindowWatch::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<FormWindowWatch*>(data);
    switch (message) {
    case WM_DPICHANGED: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        // No error may leave a window procedure: the window keeps its shape and says why.
        try {
            self->listener_.resolutionChanged(LOWORD(wParam));
        } catch (...) {
            win::reportCaught(L"shaping the window again at its new resolution");
        }
        return result;
    }
    // Activation raises a window without a WM_WINDOWPOSCHANGED under Wine.
    case WM_WINDOWPOSCHANGED:
    case WM_ACTIVATE: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        self->listener_.placementChanged(message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE);
        return result;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, procedure, id);
        self->window_ = nullptr;
        self->listener_.windowDestroyed();
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace cutshape::control

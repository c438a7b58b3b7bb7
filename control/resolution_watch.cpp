#include "control/resolution_watch.h"

#include "win/error.h"

#include <commctrl.h>

namespace cutshape::control {
namespace {

constexpr UINT_PTR kSubclassId = 0x43757444; // "CutD"

} // namespace

ResolutionWatch::~ResolutionWatch() {
    unwatch();
}

void ResolutionWatch::watch(HWND window) noexcept {
    if (window == window_)
        return;
    unwatch();
    if (window &&
        ::SetWindowSubclass(window, procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        window_ = window;
}

void ResolutionWatch::unwatch() noexcept {
    if (window_ && ::IsWindow(window_))
        ::RemoveWindowSubclass(window_, procedure, kSubclassId);
    window_ = nullptr;
}

LRESULT CALLBACK ResolutionWatch::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data) {
    auto* watch = reinterpret_cast<ResolutionWatch*>(data);
    switch (message) {
    case WM_DPICHANGED: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        // No error may leave a window procedure: the window keeps its shape and says why.
        try {
            watch->changed_(LOWORD(wParam));
        } catch (...) {
            win::reportCaught(L"shaping the window again at its new resolution");
        }
        return result;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, procedure, id);
        watch->window_ = nullptr;
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace cutshape::control

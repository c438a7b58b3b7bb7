#include "control/window_picture.h"

#include "runtime/screen.h"
#include "win/com_object.h"
#include "win/error.h"

#include <algorithm>
#include <commctrl.h>
#include <memory>

namespace cutshape::control {

// What a subclassed window keeps: its picture, who gave it, and the window procedure that
// was in place right after the subclass went in.
struct detail::Painting {
    runtime::Picture picture;
    const WindowPictures* owner = nullptr;
    LONG_PTR procedureAfterInstall = 0;
    runtime::Resolution at; // the resolution of the operation that gave the picture
    win::ModuleLock::Holder libraryLoaded;
};

namespace {

using detail::Painting;

constexpr UINT_PTR kSubclassId = 0x43757473; // "Cuts"

LRESULT CALLBACK paintPicture(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR data) {
    auto* painting = reinterpret_cast<Painting*>(data);
    switch (message) {
    case WM_ERASEBKGND: {
        const LRESULT erased = ::DefSubclassProc(window, message, wParam, lParam);
        try {
            painting->picture.renderAtOrigin(
                reinterpret_cast<HDC>(wParam),
                painting->picture.sizePixels(painting->at.dpiX, painting->at.dpiY));
        } catch (...) {
            // A picture that cannot draw leaves the plain background.
            win::reportCaught(L"painting the window's background picture");
        }
        return erased ? erased : 1;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, paintPicture, id);
        delete painting;
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// GetWindowSubclass is missing from the import library. It must come from the comctl32
// that SetWindowSubclass is bound to (each comctl32 keeps its own subclass lists): the one
// an import declared as such, InitCommonControlsEx, resolves to.
BOOL getWindowSubclass(HWND window, DWORD_PTR* data) noexcept {
    using Function = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    static const Function function = [] {
        HMODULE comctl32 = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&::InitCommonControlsEx), &comctl32);
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
            comctl32 ? ::GetProcAddress(comctl32, "GetWindowSubclass") : nullptr));
    }();
    return function && function(window, paintPicture, kSubclassId, data);
}

Painting* paintingOf(HWND window) noexcept {
    DWORD_PTR data = 0;
    if (!::IsWindow(window) || !getWindowSubclass(window, &data))
        return nullptr;
    return reinterpret_cast<Painting*>(data);
}

// Takes the subclass out. When a window procedure was put in place above it since, comctl32
// would hand the window back its original procedure as the last subclass goes, unhooking
// that procedure: the subclass then stays and paints nothing.
void takeOff(HWND window, Painting* painting) noexcept {
    const bool replacedSince =
        ::GetWindowLongPtrW(window, GWLP_WNDPROC) != painting->procedureAfterInstall;
    if (!replacedSince && ::RemoveWindowSubclass(window, paintPicture, kSubclassId)) {
        delete painting;
    } else {
        painting->picture = runtime::Picture();
        painting->owner = nullptr;
    }
    ::InvalidateRect(window, nullptr, TRUE);
}

} // namespace

WindowPictures::WindowPictures() = default;

WindowPictures::~WindowPictures() {
    for (const HWND window : windows_)
        if (Painting* painting = paintingOf(window); painting && painting->owner == this)
            takeOff(window, painting);
}

void WindowPictures::setBackground(HWND window, const runtime::Picture& picture,
                                   const runtime::Resolution& at) {
    Painting* painting = paintingOf(window);
    if (picture.isEmpty()) {
        if (painting)
            takeOff(window, painting);
        return;
    }
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
        windows_.push_back(window);
    if (!painting) {
        auto fresh = std::make_unique<Painting>();
        if (!::SetWindowSubclass(window, paintPicture, kSubclassId,
                                 reinterpret_cast<DWORD_PTR>(fresh.get())))
            return; // a window of another thread: it keeps its own background
        fresh->procedureAfterInstall = ::GetWindowLongPtrW(window, GWLP_WNDPROC);
        painting = fresh.release(); // the window owns it until WM_NCDESTROY
    }
    painting->picture = picture;
    painting->owner = this;
    painting->at = at;
    ::InvalidateRect(window, nullptr, TRUE);
}

} // namespace cutshape::control

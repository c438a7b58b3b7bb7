#include "win/window_calls.h"

#include "win/error.h"
#include "win/gdi_watch.h"

namespace cutshape::win {

void SetWindowRgn(HWND window, UniqueRegion region) {
    const bool refused = GdiWatch::windowRegionRefused();
    if (refused)
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (refused || !::SetWindowRgn(window, region.get(), TRUE))
        throwLastError(L"SetWindowRgn refused the window's region");
    GdiWatch::regionGone(region.release()); // the window owns the region now
}

void UpdateLayeredWindow(HWND window, HDC source, POINT origin, SIZE sizePx) {
    const bool refused = GdiWatch::layeredWindowsRefused();
    if (refused)
        ::SetLastError(ERROR_NOT_SUPPORTED);
    POINT sourceOrigin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (refused || !::UpdateLayeredWindow(window, nullptr, &origin, &sizePx, source, &sourceOrigin,
                                          0, &blend, ULW_ALPHA))
        throwLastError(L"UpdateLayeredWindow refused the window's image");
}

void dragByCaption(HWND window) noexcept {
    ::ReleaseCapture();
    // The message's lParam is the press position in screen coordinates.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const LPARAM position = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(cursor.x)),
                                       static_cast<WORD>(static_cast<SHORT>(cursor.y)));
    ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, position);
}

} // namespace cutshape::win

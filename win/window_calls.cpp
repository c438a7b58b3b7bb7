#include "win/window_calls.h"

#include "win/error.h"
#include "win/gdi_watch.h"

namespace cutshape::win {

void setWindowRegion(HWND window, UniqueRegion region) {
    const bool refused = GdiWatch::windowRegionRefused();
    if (refused)
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (refused || !::SetWindowRgn(window, region.get(), TRUE))
        throwLastError(L"SetWindowRgn refused the window's region");
    GdiWatch::regionGone(region.release()); // the window owns the region now
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

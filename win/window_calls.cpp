#include "win/window_calls.h"

#include "win/gdi_watch.h"

namespace cutshape::win {

bool setWindowRegion(HWND window, UniqueRegion region) noexcept {
    if (!::SetWindowRgn(window, region.get(), TRUE))
        return false;
    GdiWatch::regionGone(region.release()); // the window owns the region now
    return true;
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

#pragma once
// The screen's resolution as the runtime reports it: twips (1/1440 inch) per pixel.

#include "core/twips.h"

#include <cstdint>
#include <windows.h>

namespace cutshape::runtime {

class Screen {
public:
    static int dpiX() noexcept;
    static int dpiY() noexcept;
    // 15 at 96 dpi, 12 at 120 dpi, 10 at 144 dpi.
    static float twipsPerPixelX() noexcept;
    static float twipsPerPixelY() noexcept;

    // Within one operation the resolution is asked of the system once: while an Operation
    // is alive (they nest), the first reading is kept and every later one returns it. An
    // operation on one window runs at that window's resolution instead (a window on another
    // monitor, or one told of a new resolution): Operation(dpi) gives every reading `dpi`
    // until it ends, then the readings go back to what they were. A dpi of 0 is the screen's.
    class Operation {
    public:
        Operation() noexcept;
        explicit Operation(int dpi) noexcept;
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        bool pinned_ = false;
        bool keptBefore_ = false;
        int dpiXBefore_ = 0;
        int dpiYBefore_ = 0;
    };

    // Twips to whole pixels along each axis at the screen's resolution, as every length is
    // converted (core::twipsToPixels); a length that has no pixel value raises the runtime's
    // arithmetic error.
    static std::int32_t pixelsX(float twips);
    static std::int32_t pixelsY(float twips);
    // A rectangle in twips as pixels: its corner and its size each converted as above; a
    // right or bottom edge beyond the 32-bit range is the runtime's overflow error.
    static RECT pixelRect(const core::TwipsRect& twips);

    // How often the resolution has been asked of the system in this module (the screen's, or
    // a window's), for tests.
    static std::int64_t systemReads() noexcept;
};

// Makes the process per-monitor DPI aware (v2 where the system has it, else v1, else system
// aware): it lays its windows out at each monitor's resolution itself and is told of changes
// (WM_DPICHANGED) instead of being stretched as a bitmap. Call before the first window; a
// manifest that declared the same already makes it a no-op.
void declarePerMonitorDpiAwareness() noexcept;

// The resolution the system gives `window` (per-monitor aware programs on Windows 10 and
// later), or 0 where the system has no such call or cannot tell.
int windowDpi(HWND window) noexcept;

// Twips to whole pixels at `twipsPerPixel`, raising the runtime's arithmetic error.
std::int32_t pixelsFromTwips(float twips, float twipsPerPixel);

} // namespace cutshape::runtime

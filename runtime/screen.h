#pragma once
// Resolutions as the runtime works with them: twips (1/1440 inch) per pixel, the screen's
// resolution and a window's own.

#include "core/twips.h"

#include <cstdint>
#include <windows.h>

namespace cutshape::runtime {

// A resolution in dots per inch along each axis, and the twips conversions at it. Every
// conversion takes the resolution it runs at as a value: an operation on a window reads the
// window's once and passes it on.
struct Resolution {
    int dpiX = core::kPictureDpi;
    int dpiY = core::kPictureDpi;

    static Resolution uniform(int dpi) noexcept { return Resolution{dpi, dpi}; }

    // 15 at 96 dpi, 12 at 120 dpi, 10 at 144 dpi.
    float twipsPerPixelX() const noexcept { return core::twipsPerPixelAt(dpiX); }
    float twipsPerPixelY() const noexcept { return core::twipsPerPixelAt(dpiY); }
    // Twips to whole pixels along each axis, as every length is converted
    // (core::twipsToPixels); a length that has no pixel value raises the runtime's arithmetic
    // error.
    std::int32_t pixelsX(float twips) const;
    std::int32_t pixelsY(float twips) const;
    // A rectangle in twips as pixels: its corner and its size each converted as above; a
    // right or bottom edge beyond the 32-bit range is the runtime's overflow error.
    RECT pixelRect(const core::TwipsRect& twips) const;

    friend bool operator==(const Resolution&, const Resolution&) = default;
};

// The screen's resolution, asked of the system at each call (a changed setting shows).
Resolution screenResolution() noexcept;
// The resolution the system gives `window`: its own where the program is per-monitor aware
// (Windows 10 and later), else the screen's.
Resolution windowResolution(HWND window) noexcept;
// How often a resolution has been asked of the system in this module, for tests.
std::int64_t resolutionReads() noexcept;

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

// A length in twips rounded to a whole number of twips (to nearest, ties to even), raising
// the runtime's arithmetic error for lengths out of range.
std::int32_t roundedTwips(float twips);

} // namespace cutshape::runtime

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
    // is alive (they nest), the first reading is kept and every later one returns it.
    class Operation {
    public:
        Operation() noexcept;
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;
    };

    // Twips to whole pixels along each axis at the screen's resolution, as every length is
    // converted (core::twipsToPixels); a length that has no pixel value raises the runtime's
    // arithmetic error.
    static std::int32_t pixelsX(float twips);
    static std::int32_t pixelsY(float twips);
    // A rectangle in twips as pixels: its corner and its size each converted as above; a
    // right or bottom edge beyond the 32-bit range is the runtime's overflow error.
    static RECT pixelRect(const core::TwipsRect& twips);

    // How often the resolution has been asked of the system in this module, for tests.
    static std::int64_t systemReads() noexcept;
};

// Twips to whole pixels at `twipsPerPixel`, raising the runtime's arithmetic error.
std::int32_t pixelsFromTwips(float twips, float twipsPerPixel);

} // namespace cutshape::runtime

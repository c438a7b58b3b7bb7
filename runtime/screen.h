#pragma once
// The screen's resolution as the runtime reports it: twips (1/1440 inch) per pixel.

namespace cutshape::runtime {

class Screen {
public:
    static int dpiX() noexcept;
    static int dpiY() noexcept;
    // 15 at 96 dpi, 12 at 120 dpi, 10 at 144 dpi.
    static float twipsPerPixelX() noexcept;
    static float twipsPerPixelY() noexcept;
};

} // namespace cutshape::runtime

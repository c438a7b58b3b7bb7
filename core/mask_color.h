#pragma once
// Which colour is cut away: the top-left pixel when the mask colour is automatic, else the
// stored mask colour.

#include "core/color.h"

namespace cutshape::core {

struct MaskSettings {
    Color maskColor = 0;
    bool automatic = false;
};

// Reads the top-left pixel only when that pixel decides, exactly as often as the
// per-pixel builder does.
template <class ReadTopLeft>
Color chooseMaskColor(const MaskSettings& settings, ReadTopLeft readTopLeft) {
    if (settings.automatic)
        return readTopLeft();
    return settings.maskColor;
}

} // namespace cutshape::core

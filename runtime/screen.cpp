#include "runtime/screen.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "win/handles.h"

namespace cutshape::runtime {
namespace {

constexpr int kDefaultDpi = 96;
constexpr float kTwipsPerInch = 1440.0f;

struct Resolution {
    int dpiX = kDefaultDpi;
    int dpiY = kDefaultDpi;
};

// All on the user-interface thread.
int operationDepth = 0;
bool resolutionKept = false;
Resolution keptResolution;
std::int64_t systemReadCount = 0;

int positiveOrDefault(int dpi) noexcept {
    return dpi > 0 ? dpi : kDefaultDpi;
}

Resolution readResolution() noexcept {
    if (resolutionKept)
        return keptResolution;
    ++systemReadCount;
    Resolution resolution;
    if (const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr)); screen) {
        resolution.dpiX = positiveOrDefault(::GetDeviceCaps(screen.get(), LOGPIXELSX));
        resolution.dpiY = positiveOrDefault(::GetDeviceCaps(screen.get(), LOGPIXELSY));
    }
    if (operationDepth > 0) {
        keptResolution = resolution;
        resolutionKept = true;
    }
    return resolution;
}

} // namespace

Screen::Operation::Operation() noexcept {
    ++operationDepth;
}

Screen::Operation::~Operation() {
    if (--operationDepth == 0)
        resolutionKept = false;
}

std::int64_t Screen::systemReads() noexcept {
    return systemReadCount;
}

int Screen::dpiX() noexcept {
    return readResolution().dpiX;
}
int Screen::dpiY() noexcept {
    return readResolution().dpiY;
}
float Screen::twipsPerPixelX() noexcept {
    return kTwipsPerInch / static_cast<float>(dpiX());
}
float Screen::twipsPerPixelY() noexcept {
    return kTwipsPerInch / static_cast<float>(dpiY());
}

std::int32_t Screen::pixelsX(float twips) {
    return pixelsFromTwips(twips, twipsPerPixelX());
}
std::int32_t Screen::pixelsY(float twips) {
    return pixelsFromTwips(twips, twipsPerPixelY());
}

RECT Screen::pixelRect(const core::TwipsRect& twips) {
    const std::int32_t left = pixelsX(twips.left);
    const std::int32_t top = pixelsY(twips.top);
    try {
        return RECT{left, top, core::checkedAdd(left, pixelsX(twips.width)),
                    core::checkedAdd(top, pixelsY(twips.height))};
    } catch (const core::ArithmeticError& fault) {
        throw arithmeticError(fault);
    }
}

std::int32_t pixelsFromTwips(float twips, float twipsPerPixel) {
    try {
        return core::twipsToPixels(twips, twipsPerPixel);
    } catch (const core::ArithmeticError& fault) {
        throw arithmeticError(fault);
    }
}

} // namespace cutshape::runtime

#include "runtime/screen.h"

#include "win/handles.h"

namespace cutshape::runtime {
namespace {

constexpr int kDefaultDpi = 96;
constexpr float kTwipsPerInch = 1440.0f;

int screenDeviceCaps(int index) noexcept {
    const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr));
    const int value = screen ? ::GetDeviceCaps(screen.get(), index) : 0;
    return value > 0 ? value : kDefaultDpi;
}

} // namespace

int Screen::dpiX() noexcept {
    return screenDeviceCaps(LOGPIXELSX);
}
int Screen::dpiY() noexcept {
    return screenDeviceCaps(LOGPIXELSY);
}
float Screen::twipsPerPixelX() noexcept {
    return kTwipsPerInch / static_cast<float>(dpiX());
}
float Screen::twipsPerPixelY() noexcept {
    return kTwipsPerInch / static_cast<float>(dpiY());
}

} // namespace cutshape::runtime

#include "control/control_properties.h"

#include "runtime/runtime_errors.h"
#include "runtime/screen.h"

#include <cstdint>
#include <string>

namespace cutshape::control {
namespace {

// The longest side a shaped window can take: the window system carries window sizes and
// coordinates in 16-bit signed fields.
constexpr std::int64_t kMaxStagedSidePx = 32767;
// The largest staging image in pixels (256 MiB at 32 bits each), which a 32-bit process
// can still hold next to the picture itself.
constexpr std::int64_t kMaxStagedAreaPx = std::int64_t{1} << 26;

} // namespace

void requireStageable(const runtime::Picture& picture, const runtime::Resolution& at) {
    const SIZE size = picture.sizePixels(at.dpiX, at.dpiY);
    const std::int64_t widthPx = size.cx;
    const std::int64_t heightPx = size.cy;
    if (widthPx > kMaxStagedSidePx || heightPx > kMaxStagedSidePx ||
        widthPx * heightPx > kMaxStagedAreaPx)
        throw runtime::outOfMemoryError(L"the picture is " + std::to_wstring(widthPx) + L" x " +
                                        std::to_wstring(heightPx) + L" pixels, too large to stage");
}

void ControlProperties::setPictureJudgedAt(runtime::Picture picture,
                                           const runtime::Resolution& at) {
    requireStageable(picture, at);
    picture_ = std::move(picture);
}

void ControlProperties::setPicture(runtime::Picture picture) {
    setPictureJudgedAt(std::move(picture), runtime::screenResolution());
}

} // namespace cutshape::control

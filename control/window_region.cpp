#include "control/window_region.h"

#include "control/shaping.h"
#include "win/error.h"
#include "win/region.h"
#include "win/window_calls.h"
#include "win/window_system.h"

namespace cutshape::control {

std::wstring outlineTooComplexText(std::size_t rects, std::size_t limit) {
    return L"the picture's outline is too complex for this window system: " +
           std::to_wstring(rects) + L" rectangles, at most " + std::to_wstring(limit);
}

void refuseTooComplexOutline(std::size_t rects) {
    const std::optional<std::size_t> limit = win::windowRegionRectLimit();
    if (limit && rects > *limit)
        throw win::Error(kOutlineTooComplexError, outlineTooComplexText(rects, *limit),
                         kControlName);
}

void installWindowRegion(HWND window, win::UniqueRegion region) {
    if (win::windowRegionRectLimit())
        refuseTooComplexOutline(win::regionRectCount(region.get()));
    win::SetWindowRgn(window, std::move(region));
}

} // namespace cutshape::control

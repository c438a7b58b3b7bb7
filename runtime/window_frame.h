#pragma once
// A top-level window's frame as a form presents it: the outer size in twips at a given
// resolution, the border style (0 none, 1 fixed single, 2 sizable) and whether it shows in the
// taskbar.

#include "runtime/screen.h"

#include <cstdint>
#include <windows.h>

namespace cutshape::runtime {

float outerWidthTwips(HWND window, const Resolution& at);
float outerHeightTwips(HWND window, const Resolution& at);
// Throws the runtime's overflow error for lengths without a pixel size.
void setOuterWidthTwips(HWND window, float twips, const Resolution& at);
void setOuterHeightTwips(HWND window, float twips, const Resolution& at);

// Sizes the window so that its client area has the given size in twips.
void setClientSizeTwips(HWND window, float widthTwips, float heightTwips, const Resolution& at);

std::int32_t borderStyle(HWND window) noexcept;
// Throws the runtime's invalid-property-value error for styles other than 0, 1 and 2.
void setBorderStyle(HWND window, std::int32_t style);

bool showsInTaskbar(HWND window) noexcept;
void setShowInTaskbar(HWND window, bool show) noexcept;

// Repaints the window, frame and children included, before returning.
void refreshWindow(HWND window) noexcept;

} // namespace cutshape::runtime

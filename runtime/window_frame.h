#pragma once
// A top-level window's frame as a form presents it: the outer size in twips, the border
// style (0 none, 1 fixed single, 2 sizable) and whether it shows in the taskbar.

#include <cstdint>
#include <windows.h>

namespace cutshape::runtime {

float outerWidthTwips(HWND window);
float outerHeightTwips(HWND window);
// Throws the runtime's overflow error for lengths without a pixel size.
void setOuterWidthTwips(HWND window, float twips);
void setOuterHeightTwips(HWND window, float twips);

// Sizes the window so that its client area has the given size in twips.
void setClientSizeTwips(HWND window, float widthTwips, float heightTwips);

std::int32_t borderStyle(HWND window) noexcept;
// Throws the runtime's invalid-property-value error for styles other than 0, 1 and 2.
void setBorderStyle(HWND window, std::int32_t style);

bool showsInTaskbar(HWND window) noexcept;
void setShowInTaskbar(HWND window, bool show) noexcept;

// Repaints the window, frame and children included, before returning.
void refreshWindow(HWND window) noexcept;

} // namespace cutshape::runtime

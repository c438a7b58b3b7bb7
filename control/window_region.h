#pragma once
// Installing the built region on the host form's window.

#include "win/handles.h"

#include <cstddef>
#include <string>

namespace cutshape::control {

// The control's error for an outline the window system cannot take.
inline constexpr HRESULT kOutlineTooComplexError = static_cast<HRESULT>(0x800403EA);
std::wstring outlineTooComplexText(std::size_t rects, std::size_t limit);

// Throws kOutlineTooComplexError when the window system cannot take a region of `rects`
// rectangles: more than the window system's limit (Wine on X has one; Windows has none).
void refuseTooComplexOutline(std::size_t rects);

// SetWindowRgn with redraw: the window takes the region and the system owns it from then on.
// A region with more rectangles than the window system can take is refused before the
// window sees it, since the window system would end the program instead: throws
// kOutlineTooComplexError, the window keeps its region and `region` is freed. A window that
// refuses the region keeps its own too: the error names SetWindowRgn, `region` is freed.
void installWindowRegion(HWND window, win::UniqueRegion region);

} // namespace cutshape::control

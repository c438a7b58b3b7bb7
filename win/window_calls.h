#pragma once
// The window calls the control makes on its host form.

#include "win/handles.h"

namespace cutshape::win {

// Installs `region` as the window's region and redraws the window at once: the system owns
// the region from then on. When the window refuses it (no such window, one of another
// process, no memory), the region is freed here and Error names SetWindowRgn and why.
void SetWindowRgn(HWND window, UniqueRegion region);

// Gives a layered window the premultiplied 32-bit image selected into `source`, at `origin`
// on the screen and of `sizePx`, blended by its per-pixel alpha. Throws Error naming
// UpdateLayeredWindow when the system refuses it (no layered windows in some remote sessions).
void UpdateLayeredWindow(HWND window, HDC source, POINT origin, SIZE sizePx);

// Lets the user drag `window` with the mouse as if the press had hit its caption: releases
// the mouse capture and sends WM_NCLBUTTONDOWN/HTCAPTION with the cursor's screen position.
// Returns when the button is released.
void dragByCaption(HWND window) noexcept;

} // namespace cutshape::win

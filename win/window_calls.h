#pragma once
// The window calls the control makes on its host form.

#include "win/handles.h"

namespace cutshape::win {

// Installs `region` as the window's region and redraws the window at once. On success the
// system owns the region; when the call fails the region is freed here. Returns whether
// the window took it.
bool setWindowRegion(HWND window, UniqueRegion region) noexcept;

// Lets the user drag `window` with the mouse as if the press had hit its caption: releases
// the mouse capture and sends WM_NCLBUTTONDOWN/HTCAPTION with the cursor's screen position.
// Returns when the button is released.
void dragByCaption(HWND window) noexcept;

} // namespace cutshape::win

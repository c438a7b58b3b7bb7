#pragma once
// The control's face: a window of its own, shown only while its form is designed (at run
// time the control is invisible), painted as a framed square with a cut-out corner.

#include "win/handles.h"
#include "win/message_window.h"

#include <windows.h>

namespace cutshape::control {

// The face's child window of `parent` at `position`, its messages going to `handler`;
// shown at once when `visible`. Throws win::Error when the window cannot be made.
win::UniqueWindow createFaceWindow(win::MessageHandler& handler, HWND parent, const RECT& position,
                                   bool visible);

// Draws the face into `bounds`.
void drawFace(HDC dc, const RECT& bounds);

} // namespace cutshape::control

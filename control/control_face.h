#pragma once
// The control's face: a window of its own, shown only while its form is designed (at run
// time the control is invisible), painted as a framed square with a cut-out corner. While
// the form is designed the control keeps its creation size and the form has no border.

#include "control/host_form.h"
#include "win/handles.h"
#include "win/message_window.h"

#include <cstdint>
#include <windows.h>

namespace cutshape::control {

// The control's size at creation in twips: its design surface.
inline constexpr float kDesignSizeTwips = 540.0f;

// The size the control keeps, whatever size it is given: the one it had at creation, in
// whole twips.
class PinnedSize {
public:
    // Records the creation size; throws the runtime's overflow error for sizes out of range.
    void initialize(float widthTwips, float heightTwips);
    SIZE twips() const noexcept { return SIZE{width_, height_}; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

// Makes the host form borderless while keeping its taskbar setting.
void makeBorderless(HostForm& form);

// The face's child window of `parent` at `position`, its messages going to `handler`;
// shown at once when `visible`. Throws win::Error when the window cannot be made.
win::UniqueWindow createFaceWindow(win::MessageHandler& handler, HWND parent, const RECT& position,
                                   bool visible);

// Draws the face into `bounds`.
void drawFace(HDC dc, const RECT& bounds);

} // namespace cutshape::control

#pragma once
// Background pictures for containers whose form is a bare top-level window: the window is
// subclassed (through comctl32, so other subclasses above or below stay intact) and paints
// the picture from its client area's top-left corner.
//
// The window then runs the library's code, so every installed picture holds the library's
// unload lock. The control that gave a picture takes it off again when it goes away; a
// picture the window cannot be rid of without unhooking a window procedure installed above
// it afterwards stays, painting nothing, until the window is destroyed, and keeps the
// library loaded until then.

#include "runtime/picture.h"
#include "runtime/screen.h"

#include <memory>
#include <vector>
#include <windows.h>

namespace cutshape::control {

namespace detail {
struct Painting;
} // namespace detail

class WindowPictures {
public:
    WindowPictures();
    WindowPictures(const WindowPictures&) = delete;
    WindowPictures& operator=(const WindowPictures&) = delete;
    // Takes off every picture this owner gave that its window still shows.
    ~WindowPictures();

    // Makes `picture`, drawn at the resolution `at`, the window's background (replacing the
    // one it has, whoever gave it); an empty picture takes the background picture off. Throws
    // only before it changes anything.
    void setBackground(HWND window, const runtime::Picture& picture, const runtime::Resolution& at);

private:
    std::vector<HWND> windows_;
};

} // namespace cutshape::control

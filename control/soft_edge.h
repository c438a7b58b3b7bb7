#pragma once
// The soft edge of a shaped form: the fringe of the picture the form shows (core/fringe.h),
// the partly opaque pixels under half that the form's region leaves out, shown over whatever
// lies behind the form in a top-level window of per-pixel alpha. The edge holds the fringe
// and nothing else (alpha 0 wherever the region is), so the form keeps its outline, its
// input, its child windows and its painting. The edge lies directly below the form, moves,
// hides and shows with it, takes no input, focus or activation and has no taskbar button.
//
// Windows stacks a window directly below another with SetWindowPos. Wine on X restacks a
// window only when it becomes the top one, and activation raises a window without telling
// it: there the edge is raised and the form after it, both without activation, whenever the
// form is the top window and the edge is not directly below it, and when the form is
// activated (once then, and once more when the activation is through); below a covered form
// a new edge stays hidden until the form comes to the top, so that it never covers the
// windows that cover the form.

#include "core/pixel_view.h"
#include "win/gdi.h"
#include "win/handles.h"
#include "win/message_window.h"

#include <cstddef>
#include <memory>
#include <windows.h>

namespace cutshape::control {

class SoftEdge final : private win::MessageHandler {
public:
    SoftEdge() = default;
    SoftEdge(const SoftEdge&) = delete;
    SoftEdge& operator=(const SoftEdge&) = delete;
    ~SoftEdge();

    // Shows beside `form` the fringe of `staged` (the picture as scanned) in the colours of
    // `own` (its own premultiplied pixels), with `mask` as the colour cut; hides the edge
    // when there is no fringe. Throws when the system refuses a layered window; there is no
    // edge then.
    void show(HWND form, const core::PixelView& staged, const core::PixelView& own,
              core::Color mask);
    // The form shows no fringe now. The hidden window and its image are kept for the form's
    // next picture with a fringe, so that pictures with and without one can take turns at
    // the cost of drawing the fringe alone.
    void hide() noexcept;
    // Destroys the edge's window and image.
    void remove() noexcept;
    // Puts the edge where the form is now: its place, its visibility and the z-order. A form
    // just activated is on top of its band, whatever the system's z-order says yet.
    void follow(bool activated = false) noexcept;

    // The edge's window, shown or hidden; null when the form has none.
    HWND window() const noexcept { return window_.get(); }

private:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void createWindow();
    // Restacks the edge directly below the form when it is not there already; says whether
    // the edge may be shown there.
    bool stackBelowForm(bool activated) noexcept;
    // Where the edge's window goes: the form's origin plus the fringe's offset.
    POINT placeOnScreen() const noexcept;

    HWND form_ = nullptr;
    win::UniqueWindow window_;
    std::unique_ptr<win::DibSurface> image_;
    POINT offset_{0, 0}; // of the fringe's bounds from the form's origin
    bool topmost_ = false;
    bool placedBelow_ = false; // the edge has been stacked directly below the form
    bool following_ = false;
    bool hidden_ = false; // no fringe to show: the window stays hidden whatever the form does
};

} // namespace cutshape::control

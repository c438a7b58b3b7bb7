#pragma once
// The runtime's own controls on a form: command buttons (with access keys and tab stops),
// labels and images (bitmaps that take no focus). Each is a child window of the form,
// which the system destroys together with the form's window.

#include "forms/form_description.h"
#include "runtime/screen.h"
#include "win/handles.h"

#include <span>
#include <windows.h>

namespace cutshape::container {

struct IntrinsicControl {
    const forms::ControlDescription* description = nullptr; // outlives the control
    int id = 0;               // the child window's identifier in WM_COMMAND
    HWND window = nullptr;    // owned by the form's window
    win::UniqueBitmap bitmap; // an image's picture, kept while the image shows it
    win::UniqueIcon cursor;   // the custom mouse pointer, null for the default one
};

// Creates the control `description` on `form` and lays it out at the form's resolution.
// Positions are twips from the client area's top-left corner; bundled files named by the
// description are read with bundledFile.
IntrinsicControl createIntrinsicControl(HWND form, const forms::ControlDescription& description,
                                        int id, const runtime::Resolution& at);

// Places and sizes the control, and gives it its font, image and mouse pointer, at the
// resolution `at`: at 144 dpi it looks as at 96, 1.5 times as large.
void layOutIntrinsicControl(IntrinsicControl& control, const runtime::Resolution& at);

// A device-dependent bitmap from the bytes of a BMP file.
win::UniqueBitmap bitmapFromFile(std::span<const std::uint8_t> bytes);

// The same bitmap with each pixel drawn as dpi/96 screen pixels of `at`, nearest-neighbour.
win::UniqueBitmap bitmapAtResolution(std::span<const std::uint8_t> bytes,
                                     const runtime::Resolution& at);

} // namespace cutshape::container

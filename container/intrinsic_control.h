#pragma once
// The runtime's own controls on a form: command buttons (with access keys and tab stops),
// labels and images (bitmaps that take no focus). Each is a child window of the form,
// which the system destroys together with the form's window.

#include "forms/form_description.h"
#include "win/handles.h"

#include <span>
#include <windows.h>

namespace cutshape::container {

struct IntrinsicControl {
    std::string name;
    forms::ControlKind kind = forms::ControlKind::Label;
    int id = 0;               // the child window's identifier in WM_COMMAND
    HWND window = nullptr;    // owned by the form's window
    win::UniqueBitmap bitmap; // an image's picture, kept while the image shows it
    HCURSOR cursor = nullptr; // the custom mouse pointer, null for the default one
};

// Creates the control `description` on `form`; positions are twips from the client area's
// top-left corner. Bundled files named by the description are read with bundledFile.
IntrinsicControl createIntrinsicControl(HWND form, const forms::ControlDescription& description,
                                        int id);

// A device-dependent bitmap from the bytes of a BMP file.
win::UniqueBitmap bitmapFromFile(std::span<const std::uint8_t> bytes);

} // namespace cutshape::container

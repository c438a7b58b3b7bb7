#pragma once
// Reads a window's bounding shape from the X server through the Shape extension.

#include "tools/xshape/shape_compare.h"

#include <cstdint>
#include <stdexcept>

namespace cutshape::xshape {

// A failure talking to the server: no display, no Shape extension, or an X error (most
// often BadDrawable or BadWindow for a window id that does not exist).
class XError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens the display named by DISPLAY, reads the window's geometry and its bounding
// rectangles (for a window never shaped, the server reports its whole area), closes again.
WindowShape readBoundingShape(std::uint32_t windowId);

} // namespace cutshape::xshape

#pragma once
// A mouse pointer from the bytes of a cursor file (.cur): its first image, with the hot spot
// the file states, each of its pixels dpi/96 screen pixels of the resolution it is shown at.

#include "runtime/screen.h"
#include "win/handles.h"

#include <cstdint>
#include <span>

namespace cutshape::container {

// Throws the runtime's invalid-picture error for bytes that are no cursor file.
win::UniqueIcon cursorFromFile(std::span<const std::uint8_t> bytes, const runtime::Resolution& at);

} // namespace cutshape::container

#pragma once
// Decodes picture files that the system's OLE picture loader does not read on every Windows
// (PNG above all) through the Windows Imaging Component, named explicitly: Wine's OLE loader
// reads PNG by its own rules, Windows' reads none, and pictures must come out the same on
// both.

#include "win/handles.h"

#include <cstdint>
#include <span>

namespace cutshape::runtime {

// The first frame of the file as a top-down 32-bit DIB section with premultiplied alpha in
// its top bytes. Throws win::Error: E_OUTOFMEMORY when the image cannot be held, the codec's
// own status when the file does not decode.
win::UniqueBitmap decodeThroughWic(std::span<const std::uint8_t> bytes);

} // namespace cutshape::runtime

#pragma once
// Checks every invariant of the canonical banded form (see band_builder.h); tests end in it.

#include "core/rect.h"

#include <string>

namespace cutshape::core {

// Empty when `rects` is canonical, else a description of the first fault found.
std::string canonicalBandsFault(const Rects& rects);

} // namespace cutshape::core

#pragma once
// Building window regions from rectangle lists and reading them back.

#include "core/rect.h"
#include "win/handles.h"

#include <span>

namespace cutshape::win {

// The region covering the union of `rects`, in any order; a rectangle with x2 <= x1 or
// y2 <= y1 covers nothing.
// Rectangles go in batches through ExtCreateRegion and the batches are united pairwise in
// a balanced tree, so the cost stays near linear even where the system unites one
// rectangle at a time. Throws Error when the system cannot create a region.
UniqueRegion createRegion(std::span<const core::Rect> rects);

// The rectangles the system stores for `region`, in its order (canonical y-x bands).
core::Rects regionRects(HRGN region);

// A new empty region, CreateRectRgn(0, 0, 0, 0). Throws Error when none can be created.
UniqueRegion createEmptyRegion();

} // namespace cutshape::win

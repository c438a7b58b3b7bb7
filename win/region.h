#pragma once
// Building window regions from rectangle lists and reading them back.

#include "core/rect.h"
#include "win/handles.h"

#include <cstddef>
#include <span>

namespace cutshape::win {

// The region covering the union of `rects`, in any order; a rectangle with x2 <= x1 or
// y2 <= y1 covers nothing. Sorted bands, as a picture's scan gives them, cost time close to
// linear in their number, and only a handful of region handles are alive at any moment.
// Throws Error(E_OUTOFMEMORY) when the system cannot create or unite a region; every region
// created so far is freed then.
UniqueRegion createRegion(std::span<const core::Rect> rects);

// The rectangles the system stores for `region`, in its order (canonical y-x bands).
core::Rects regionRects(HRGN region);
// How many rectangles the system stores for `region`, without reading them.
std::size_t regionRectCount(HRGN region);

// A new empty region, CreateRectRgn(0, 0, 0, 0). Throws Error when none can be created.
UniqueRegion createEmptyRegion();

namespace detail {

// Rectangles go to the system in batches of this many, one ExtCreateRegion call each. Wine
// unites the rectangles of one call one by one, so a batch costs time quadratic in its size,
// while every batch adds unions; the size was chosen by measurement under Wine.
inline constexpr std::size_t kBatchSize = 16;
inline constexpr std::size_t kMaxBatchSize = 64;

// createRegion with another batch size (1 to kMaxBatchSize), for measurements.
UniqueRegion createRegionInBatches(std::span<const core::Rect> rects, std::size_t batchSize);

} // namespace detail
} // namespace cutshape::win

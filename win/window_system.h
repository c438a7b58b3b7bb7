#pragma once
// What this layer knows about the window system the program runs on.

#include <cstddef>
#include <optional>

namespace cutshape::win {

// Whether the program runs under Wine rather than on Windows (ntdll exports
// wine_get_version there).
bool runningUnderWine() noexcept;

// The most rectangles a window region may have, where the window system has such a limit.
// Wine on X hands a window's region to the X server as one SHAPE request, which has no
// big-request form: 3 words of header and 2 words per rectangle, its length a 16-bit count
// of words. From 32,767 rectangles on the program ends with an X error; at 32,766, a request
// of exactly 65,535 words, a shown window silently loses its shape. Measured under Wine 8 on
// Xvfb: 32,765 rectangles work. Windows has no such limit.
std::optional<std::size_t> windowRegionRectLimit() noexcept;

inline constexpr std::size_t kX11WindowRegionRectLimit = 32765;

} // namespace cutshape::win

#pragma once
// Half-open pixel rectangles: (x1, y1, x2, y2) covers columns x1..x2-1 of rows y1..y2-1.

#include <cstdint>
#include <ostream>
#include <vector>

namespace cutshape::core {

struct Rect {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

using Rects = std::vector<Rect>;

inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << '(' << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ')';
}

} // namespace cutshape::core

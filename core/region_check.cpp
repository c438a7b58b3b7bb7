// Reports the first violated invariant of the canonical banded form, scanning the list once;
// the description names the offending rectangle's index so a failing test points at it.

#include "core/region_check.h"

#include <sstream>

namespace cutshape::core {
namespace {

std::string fault(std::size_t index, const Rect& rect, const char* what) {
    std::ostringstream out;
    out << "rect " << index << ' ' << rect << ": " << what;
    return out.str();
}

bool sameIntervals(const Rects& rects, std::size_t aBegin, std::size_t bBegin, std::size_t bEnd) {
    const std::size_t count = bEnd - bBegin;
    if (bBegin - aBegin != count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (rects[aBegin + i].x1 != rects[bBegin + i].x1 ||
            rects[aBegin + i].x2 != rects[bBegin + i].x2)
            return false;
    }
    return true;
}

} // namespace

std::string canonicalBandsFault(const Rects& rects) {
    std::size_t previousBand = 0; // first rectangle of the band before the current one
    std::size_t band = 0;         // first rectangle of the current band
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const Rect& r = rects[i];
        if (r.x1 >= r.x2 || r.y1 >= r.y2)
            return fault(i, r, "empty rectangle");
        if (i == 0)
            continue;
        const Rect& prev = rects[i - 1];
        if (r.y1 == prev.y1) {
            if (r.y2 != prev.y2)
                return fault(i, r, "shares y1 with its band but not y2");
            if (r.x1 <= prev.x2)
                return fault(i, r, "not after the previous rectangle of its band with a gap");
            continue;
        }
        // r starts a new band; the band that just ended is [band, i).
        if (r.y1 < prev.y2)
            return fault(i, r, "band starts above the end of the previous band");
        if (band > 0 && rects[band - 1].y2 == rects[band].y1 &&
            sameIntervals(rects, previousBand, band, i))
            return fault(band, rects[band], "band has the same intervals as the band above it");
        previousBand = band;
        band = i;
    }
    if (band > 0 && rects[band - 1].y2 == rects[band].y1 &&
        sameIntervals(rects, previousBand, band, rects.size()))
        return fault(band, rects[band], "band has the same intervals as the band above it");
    return {};
}

} // namespace cutshape::core

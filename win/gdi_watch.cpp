#include "win/gdi_watch.h"

#include "win/handles.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace cutshape::win {
namespace {

GdiWatch* activeWatch = nullptr;

} // namespace

GdiWatch::GdiWatch() {
    assert(activeWatch == nullptr);
    activeWatch = this;
}

GdiWatch::~GdiWatch() {
    activeWatch = nullptr;
}

void GdiWatch::failRegionCall(std::int64_t n) noexcept {
    failingCall_ = n > 0 ? regionCalls_ + n : 0;
}

bool GdiWatch::regionCallFails() noexcept {
    if (!activeWatch)
        return false;
    return ++activeWatch->regionCalls_ == activeWatch->failingCall_;
}

bool GdiWatch::windowRegionRefused() noexcept {
    return activeWatch && std::exchange(activeWatch->refuseWindowRegion_, false);
}

bool GdiWatch::layeredWindowsRefused() noexcept {
    return activeWatch && activeWatch->refuseLayeredWindows_;
}

void GdiWatch::regionCreated(HRGN region) noexcept {
    if (!activeWatch || !region)
        return;
    try {
        activeWatch->liveRegions_.insert(region);
    } catch (...) {
        return; // a test that runs out of memory fails on its own
    }
    activeWatch->peakLiveRegions_ =
        std::max(activeWatch->peakLiveRegions_, activeWatch->liveRegions_.size());
}

void GdiWatch::regionGone(HRGN region) noexcept {
    if (activeWatch)
        activeWatch->liveRegions_.erase(region);
}

void GdiWatch::surfaceCreated(HDC surface, bool withDibSection) noexcept {
    if (!activeWatch || !surface)
        return;
    if (withDibSection)
        ++activeWatch->dibSectionsCreated_;
    try {
        activeWatch->liveSurfaces_.insert(surface);
    } catch (...) {
        return; // a test that runs out of memory fails on its own
    }
}

void GdiWatch::surfaceGone(HDC surface) noexcept {
    if (activeWatch)
        activeWatch->liveSurfaces_.erase(surface);
}

void deleteRegion(HRGN region) noexcept {
    GdiWatch::regionGone(region);
    ::DeleteObject(region);
}

} // namespace cutshape::win

#pragma once
// A seam for tests of the GDI objects this layer creates. While a GdiWatch is alive it
// counts every region the layer creates until the region is deleted or handed to a window,
// and every 32-bit surface (a memory device context with its DIB section); it can also make
// a chosen region creation or union fail exactly as the system fails one, or a window refuse
// its region, or the system refuse layered windows. Windows counts GDI
// objects per process, but Wine's GetGuiResources answers 0, so tests count here.
// Without a watch the layer pays one pointer test per call.

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <windows.h>

namespace cutshape::win {

class GdiWatch {
public:
    // At most one watch at a time, on the thread that makes the GDI calls.
    GdiWatch();
    ~GdiWatch();
    GdiWatch(const GdiWatch&) = delete;
    GdiWatch& operator=(const GdiWatch&) = delete;

    // Makes the n-th region call from now fail (1 = the next one); creations and unions are
    // counted together. 0 lets every call through.
    void failRegionCall(std::int64_t n) noexcept;

    // Makes the next SetWindowRgn of this layer refuse the region, as the system refuses one
    // it cannot take.
    void refuseWindowRegion() noexcept { refuseWindowRegion_ = true; }

    // While set, every UpdateLayeredWindow of this layer fails as it does where the system
    // offers no layered windows (some remote sessions).
    void refuseLayeredWindows(bool refuse) noexcept { refuseLayeredWindows_ = refuse; }

    // Region creations and unions made since the watch started.
    std::int64_t regionCalls() const noexcept { return regionCalls_; }
    std::size_t liveRegions() const noexcept { return liveRegions_.size(); }
    std::size_t peakLiveRegions() const noexcept { return peakLiveRegions_; }
    // Starts the peak over at the number alive now.
    void resetPeak() noexcept { peakLiveRegions_ = liveRegions_.size(); }

    std::int64_t dibSectionsCreated() const noexcept { return dibSectionsCreated_; }
    // Surfaces created since the watch started and not yet destroyed (each holds a memory
    // device context and, unless empty, a DIB section).
    std::size_t liveSurfaces() const noexcept { return liveSurfaces_.size(); }

    // The calls the layer makes; they do nothing without a watch.
    // Counts a region creation or union and says whether it is the one to fail.
    static bool regionCallFails() noexcept;
    // Whether this SetWindowRgn is the one to refuse.
    static bool windowRegionRefused() noexcept;
    // Whether layered windows are refused now.
    static bool layeredWindowsRefused() noexcept;
    static void regionCreated(HRGN region) noexcept;
    // Deleted, or handed to a window that owns it from then on.
    static void regionGone(HRGN region) noexcept;
    // A surface is known by its memory device context.
    static void surfaceCreated(HDC surface, bool withDibSection) noexcept;
    static void surfaceGone(HDC surface) noexcept;

private:
    std::int64_t regionCalls_ = 0;
    std::int64_t failingCall_ = 0;
    bool refuseWindowRegion_ = false;
    bool refuseLayeredWindows_ = false;
    std::unordered_set<HRGN> liveRegions_;
    std::size_t peakLiveRegions_ = 0;
    std::int64_t dibSectionsCreated_ = 0;
    std::unordered_set<HDC> liveSurfaces_;
};

} // namespace cutshape::win

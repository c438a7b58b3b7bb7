#pragma once
// The shaping operations of the control and the state they share: the hidden staging
// picture box, the properties that steer shaping, and the sizes remembered across calls.
// The control's parent, the host form, is found anew for every operation, before anything
// is written: the form by member name, or the site's top-level window as a form.

#include "control/form_window_watch.h"
#include "control/host_form.h"
#include "control/region_builder.h"
#include "control/soft_edge.h"
#include "runtime/picture_box.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace cutshape::control {

// The control's one error of its own.
inline constexpr HRESULT kNoPictureSetError = static_cast<HRESULT>(0x800403E9);
inline constexpr const wchar_t* kNoPictureSetText = L"No Picture Set.";
inline constexpr const wchar_t* kControlName = L"Cutshape";

// The control's size at creation in twips: its design surface.
inline constexpr float kDesignSizeTwips = 540.0f;

class Shaper final : private FormWindowListener {
public:
    using ParentFinder = std::function<std::unique_ptr<HostForm>()>;

    explicit Shaper(ParentFinder findParent);

    // Shapes the host form to `picture`, or to the staged picture when none is given.
    void load(const runtime::Picture& picture);
    // Gives the host form its remembered size and a full rectangular region.
    void restore();
    // The form's window has taken a new resolution (sent to per-monitor aware programs):
    // a shaped or restored form is shaped or restored again at `dpi`, and later operations
    // run at it too.
    void resolutionChanged(int dpi) override;
    // Lets the user drag the host form; returns when the mouse button is released.
    void move();
    void refresh();
    // The form no longer shows the picture's fringe (the control is being unloaded).
    void removeSoftEdge() noexcept { softEdge_.remove(); }

    // The control's own events.
    void initialize(float controlWidthTwips, float controlHeightTwips);
    // Returns the size the control must keep, whatever size it was given.
    SIZE resizedTwips() const noexcept { return SIZE{savedControlWidth_, savedControlHeight_}; }
    // Makes the host form borderless while keeping its taskbar setting (design mode).
    void makeHostBorderless();

    // Properties: plain stores that take effect at the next load or restore.
    const runtime::Picture& picture() const noexcept { return staging_.picture(); }
    // Refuses, before anything changes, a picture too large to stage (out of memory).
    void setPicture(runtime::Picture picture);
    core::Color maskColor() const noexcept { return maskColor_; }
    void setMaskColor(core::Color color) noexcept { maskColor_ = color; }
    VARIANT_BOOL showPicture() const noexcept { return showPicture_; }
    void setShowPicture(VARIANT_BOOL show) noexcept { showPicture_ = show; }
    VARIANT_BOOL automaticMaskColor() const noexcept { return automaticMaskColor_; }
    void setAutomaticMaskColor(VARIANT_BOOL automatic) noexcept { automaticMaskColor_ = automatic; }

    const runtime::PictureBox& staging() const noexcept { return staging_; }
    const ScanSize& lastScan() const noexcept { return scan_; }
    const SoftEdge& softEdge() const noexcept { return softEdge_; }
    SIZE savedParentSize() const noexcept { return SIZE{savedParentWidth_, savedParentHeight_}; }

private:
    enum class Shape { None, Loaded, Restored };

    void loadAtFormResolution(const runtime::Picture& picture);
    void restoreAtFormResolution();
    // The resolution operations on the form run at: the one the window was last told of,
    // else its monitor's where the system has per-monitor resolutions, else 0 (the screen's).
    int formDpi() const noexcept;
    // Runs `operation` at the form's resolution. Where the system gives windows resolutions
    // of their own, the first operation runs before the control knows the window: done at
    // another one, it is done again at the window's.
    void atFormResolution(const std::function<void()>& operation);
    // Load and Restore apply the same steps to the parent; restoring also stages `shown`
    // (the empty picture) at the remembered size and gives the window that whole rectangle.
    enum class Mode { Load, Restore };
    // Gives the parent `shown` (when ShowPicture), remembers its size the first time, sizes
    // it to the staging box and installs the region of the box's figure. No step undoes an
    // earlier one when a later one fails.
    void applyToParent(const runtime::Picture& shown, Mode mode);
    win::UniqueRegion regionOfStaging(Mode mode);
    void putBack(const runtime::Picture& kept) noexcept;
    // Shows the fringe of the picture the form shows beside it, or removes the edge when the
    // form shows no picture with a fringe. A system that refuses it leaves the form shaped.
    void showSoftEdge(HWND window, Mode mode) noexcept;
    void placementChanged(bool activated) noexcept override { softEdge_.follow(activated); }
    void windowDestroyed() noexcept override { softEdge_.remove(); }

    ParentFinder findParent_;
    runtime::PictureBox staging_;
    core::Color maskColor_ = 0;
    VARIANT_BOOL showPicture_ = VARIANT_FALSE;
    VARIANT_BOOL automaticMaskColor_ = VARIANT_FALSE;
    std::int32_t savedControlWidth_ = 0;
    std::int32_t savedControlHeight_ = 0;
    std::int32_t savedParentWidth_ = 0; // twips; 0 until the first shaping
    std::int32_t savedParentHeight_ = 0;
    ScanSize scan_;
    RegionBuilder regionBuilder_;
    Shape shape_ = Shape::None; // what the last successful load or restore left
    int toldDpi_ = 0;
    FormWindowWatch formWatch_{*this};
    SoftEdge softEdge_;
};

} // namespace cutshape::control

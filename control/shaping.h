#pragma once
// Shaping a form: Load gives the host form the outline of the control's picture, Restore gives
// it back its remembered size and a full rectangle. The form is found anew for every
// operation, before anything is written: the form by member name, or the site's top-level
// window as a form. Each operation runs at one resolution, the form window's, read once.

#include "control/control_properties.h"
#include "control/form_window_watch.h"
#include "control/host_form.h"
#include "control/region_builder.h"
#include "control/soft_edge.h"
#include "runtime/screen.h"
#include "runtime/staged_picture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace cutshape::control {

// The control's one error of its own.
inline constexpr HRESULT kNoPictureSetError = static_cast<HRESULT>(0x800403E9);
inline constexpr const wchar_t* kNoPictureSetText = L"No Picture Set.";
inline constexpr const wchar_t* kControlName = L"Cutshape";

class Shaper final : private FormWindowListener {
public:
    // Finds the host form; lengths it converts itself go by `at`.
    using FormFinder = std::function<std::unique_ptr<HostForm>(const runtime::Resolution& at)>;

    Shaper(ControlProperties& properties, FormFinder findForm);

    // Shapes the host form to `picture`, which becomes the control's picture, or to the
    // control's picture when none is given.
    void load(const runtime::Picture& picture);
    // Gives the host form its remembered size and a full rectangular region.
    void restore();
    // The form's window has taken a new resolution (sent to per-monitor aware programs):
    // a shaped or restored form is shaped or restored again at `dpi`, and later operations
    // run at it too.
    void resolutionChanged(int dpi) override;
    // The form no longer shows the picture's fringe (the control is being unloaded).
    void removeSoftEdge() noexcept { softEdge_.remove(); }

    const runtime::StagedPicture& staging() const noexcept { return staging_; }
    const ScanSize& lastScan() const noexcept { return scan_; }
    const SoftEdge& softEdge() const noexcept { return softEdge_; }
    // The form's size when it was first shaped, in twips; 0 x 0 until then.
    SIZE savedFormSize() const noexcept { return SIZE{savedFormWidth_, savedFormHeight_}; }

private:
    enum class Operation { Load, Restore };

    // Runs `operation` at the form's resolution. Where the system gives windows resolutions
    // of their own, the first operation runs before the control knows the window: done at
    // another one, it is done again at the window's.
    void atFormResolution(Operation operation, const runtime::Picture& given);
    void run(Operation operation, const runtime::Resolution& at, const runtime::Picture& given);
    void loadAt(const runtime::Resolution& at, const runtime::Picture& given);
    void restoreAt(const runtime::Resolution& at);
    // Load and Restore apply the same steps to the form: give it `shown` (when ShowPicture),
    // remember its size the first time, size it (to the staged picture, or to the remembered
    // size) and install the region (of the staged figure, or the whole rectangle). No step
    // undoes an earlier one when a later one fails.
    void applyToForm(const runtime::Picture& shown, Operation operation,
                     const runtime::Resolution& at);
    win::UniqueRegion regionOfStaging();
    // Shows the fringe of the picture the form shows beside it, or removes the edge when the
    // form shows no picture with a fringe. A system that refuses it leaves the form shaped.
    void showSoftEdge(HWND window, Operation operation) noexcept;
    void placementChanged(bool activated) noexcept override { softEdge_.follow(activated); }
    void windowDestroyed() noexcept override { softEdge_.remove(); }

    ControlProperties& properties_;
    FormFinder findForm_;
    runtime::StagedPicture staging_;
    std::int32_t savedFormWidth_ = 0; // twips; 0 until the first shaping
    std::int32_t savedFormHeight_ = 0;
    ScanSize scan_;
    RegionBuilder regionBuilder_;
    std::optional<Operation> lastDone_; // what the last successful operation was
    int toldDpi_ = 0;
    FormWindowWatch formWatch_{*this};
    SoftEdge softEdge_;
};

} // namespace cutshape::control

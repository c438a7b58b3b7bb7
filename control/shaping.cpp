#include "control/shaping.h"

#include "control/window_region.h"
#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/error.h"
#include "win/window_calls.h"

#include <cstdlib>
#include <span>

namespace cutshape::control {
namespace {

// The staging box's place in the control's stored layout, in twips.
constexpr float kStagingLeft = 300;
constexpr float kStagingTop = 1110;
constexpr float kStagingWidth = 1215;
constexpr float kStagingHeight = 495;

// The longest side a shaped window can take: the window system carries window sizes and
// coordinates in 16-bit signed fields.
constexpr std::int64_t kMaxStagedSidePx = 32767;
// The largest staging image in pixels (256 MiB at 32 bits each), which a 32-bit process
// can still hold next to the picture itself.
constexpr std::int64_t kMaxStagedAreaPx = std::int64_t{1} << 26;

void requireStageable(const runtime::Picture& picture) {
    const SIZE size = picture.sizePixels(runtime::Screen::dpiX(), runtime::Screen::dpiY());
    const std::int64_t widthPx = size.cx;
    const std::int64_t heightPx = size.cy;
    if (widthPx > kMaxStagedSidePx || heightPx > kMaxStagedSidePx ||
        widthPx * heightPx > kMaxStagedAreaPx)
        throw runtime::outOfMemoryError(L"the picture is " + std::to_wstring(widthPx) + L" x " +
                                        std::to_wstring(heightPx) + L" pixels, too large to stage");
}

std::int32_t roundedTwips(float twips) {
    try {
        return core::roundToInt32(twips);
    } catch (const core::ArithmeticError& fault) {
        throw runtime::arithmeticError(fault);
    }
}

// Like the form's own size puts, the result is not checked: a window call that fails
// neither stops the operation nor reaches the caller.
void resizeWindow(HWND window, SIZE sizePx) noexcept {
    ::SetWindowPos(window, nullptr, 0, 0, sizePx.cx, sizePx.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

Shaper::Shaper(ParentFinder findParent)
    : findParent_(std::move(findParent)),
      staging_(kStagingLeft, kStagingTop, kStagingWidth, kStagingHeight) {
    // From creation on, so that a restore before the first load scans a borderless image.
    prepareForScan(staging_);
}

void Shaper::initialize(float controlWidthTwips, float controlHeightTwips) {
    savedControlWidth_ = roundedTwips(controlWidthTwips);
    savedControlHeight_ = roundedTwips(controlHeightTwips);
}

void Shaper::setPicture(runtime::Picture picture) {
    requireStageable(picture);
    staging_.setPicture(std::move(picture));
}

int Shaper::formDpi() const noexcept {
    return toldDpi_ ? toldDpi_ : runtime::windowDpi(formWatch_.window());
}

void Shaper::load(const runtime::Picture& picture) {
    atFormResolution([&] { loadAtFormResolution(picture); });
}

void Shaper::restore() {
    atFormResolution([&] { restoreAtFormResolution(); });
}

void Shaper::atFormResolution(const std::function<void()>& operation) {
    const int dpi = formDpi();
    int dpiUsed = 0;
    {
        const runtime::Screen::Operation oneScreenReading(dpi);
        dpiUsed = runtime::Screen::dpiX();
        operation();
    }
    // Run at the screen's resolution before the window was known: where the window has one
    // of its own that differs, the operation is done again at it.
    if (dpi != 0)
        return;
    if (const int own = runtime::windowDpi(formWatch_.window()); own != 0 && own != dpiUsed)
        resolutionChanged(own);
}

void Shaper::resolutionChanged(int dpi) {
    toldDpi_ = dpi;
    const runtime::Screen::Operation atNewResolution(dpi);
    switch (shape_) {
    case Shape::Loaded:
        loadAtFormResolution(runtime::Picture());
        break;
    case Shape::Restored:
        restoreAtFormResolution();
        break;
    case Shape::None:
        break;
    }
}

void Shaper::loadAtFormResolution(const runtime::Picture& picture) {
    if (!picture.isNothing())
        setPicture(picture);
    // An empty picture object counts as none: there is nothing to shape the form to.
    if (staging_.picture().isEmpty())
        throw win::Error(kNoPictureSetError, kNoPictureSetText, kControlName);
    prepareForScan(staging_);
    applyToParent(staging_.picture(), Mode::Load);
    shape_ = Shape::Loaded;
}

void Shaper::applyToParent(const runtime::Picture& shown, Mode mode) {
    const std::unique_ptr<HostForm> parent = findParent_();
    if (showPicture_ != VARIANT_FALSE)
        parent->setPicture(shown);
    if (savedParentWidth_ == 0)
        savedParentWidth_ = roundedTwips(parent->width());
    if (savedParentHeight_ == 0)
        savedParentHeight_ = roundedTwips(parent->height());
    if (mode == Mode::Restore) {
        // The empty picture goes in at the remembered size in one step: no image is drawn
        // at the size of the picture the box held before.
        staging_.setAutoSize(false);
        staging_.setPictureAndSize(shown, static_cast<float>(savedParentWidth_),
                                   static_cast<float>(savedParentHeight_));
    }
    parent->setWidth(staging_.width());
    parent->setHeight(staging_.height());
    win::UniqueRegion region = regionOfStaging(mode);
    const HWND window = parent->hwnd();
    // Some forms accept size puts and keep their window's size; the region would then be
    // cut off by the window's edges. Such a window is given the staged size directly.
    const SIZE staged{staging_.widthPx(), staging_.heightPx()};
    if (RECT rect{};
        ::GetWindowRect(window, &rect) && (std::abs(rect.right - rect.left - staged.cx) > 1 ||
                                           std::abs(rect.bottom - rect.top - staged.cy) > 1))
        resizeWindow(window, staged);
    installWindowRegion(window, std::move(region));
    formWatch_.watch(window);
    showSoftEdge(window, mode);
}

void Shaper::showSoftEdge(HWND window, Mode mode) noexcept {
    // The edge follows the form through the watch: a window it cannot watch gets none, and
    // so does a child window (an MDI child, say), which no top-level window can lie below.
    if (mode == Mode::Restore || formWatch_.window() != window ||
        (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0) {
        softEdge_.remove();
        return;
    }
    if (showPicture_ == VARIANT_FALSE) {
        softEdge_.hide();
        return;
    }
    try {
        softEdge_.show(window, staging_.pixels(), staging_.ownPixels(),
                       regionBuilder_.lastMaskColor());
    } catch (...) {
        win::reportCaught(L"showing the picture's soft edge; the form keeps its outline");
    }
}

win::UniqueRegion Shaper::regionOfStaging(Mode mode) {
    // Restoring gives the window one rectangle of the box's size, whatever the box shows: a
    // scan of its background would depend on the system's colours (a black button face, as
    // high-contrast schemes have it, would cut the whole window away).
    if (mode == Mode::Restore) {
        const core::Rect whole = measureScan(staging_, scan_);
        const bool empty = whole.x2 <= 0 || whole.y2 <= 0;
        return regionOfBands(std::span<const core::Rect>(&whole, empty ? 0 : 1));
    }
    const core::MaskSettings mask{maskColor_, automaticMaskColor_ != VARIANT_FALSE};
    const std::span<const core::Rect> bands = regionBuilder_.scan(staging_, mask, scan_);
    // Refused here, before the region is made: a huge outline is turned down in the time of
    // its scan, and no region is made only to be thrown away.
    refuseTooComplexOutline(bands.size());
    return regionOfBands(bands);
}

void Shaper::restoreAtFormResolution() {
    runtime::Picture kept = staging_.picture();
    // The box takes its picture back whether applying succeeds or fails, so that Load
    // without a picture shapes to it again.
    try {
        applyToParent(runtime::loadPicture(L""), Mode::Restore);
    } catch (...) {
        putBack(kept);
        throw;
    }
    putBack(kept);
    shape_ = Shape::Restored;
}

void Shaper::putBack(const runtime::Picture& kept) noexcept {
    if (staging_.picture() == kept)
        return; // applying failed before the box took the empty picture
    try {
        staging_.setPicture(kept);
    } catch (...) {
        // The box keeps the empty picture when the old one cannot be drawn again.
        win::reportCaught(L"putting the staged picture back after Restore");
    }
}

void Shaper::move() {
    win::dragByCaption(findParent_()->hwnd());
}

void Shaper::refresh() {
    findParent_()->refresh();
}

void Shaper::makeHostBorderless() {
    const std::unique_ptr<HostForm> parent = findParent_();
    const bool showInTaskbar = parent->showInTaskbar();
    parent->setBorderStyle(0);
    parent->setShowInTaskbar(showInTaskbar);
}

} // namespace cutshape::control

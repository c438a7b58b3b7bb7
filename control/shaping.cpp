#include "control/shaping.h"

#include "control/window_region.h"
#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/window_calls.h"

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

} // namespace

Shaper::Shaper(FormProvider parent)
    : parent_(std::move(parent)),
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

void Shaper::load(const runtime::Picture& picture) {
    const runtime::Screen::Operation oneScreenReading;
    if (!picture.isNothing())
        setPicture(picture);
    // An empty picture object counts as none: there is nothing to shape the form to.
    if (staging_.picture().isEmpty())
        throw win::Error(kNoPictureSetError, kNoPictureSetText, kControlName);
    prepareForScan(staging_);
    applyToParent(staging_.picture());
}

void Shaper::applyToParent(const runtime::Picture& shown) {
    const std::unique_ptr<HostForm> form = parent_();
    if (showPicture_ != VARIANT_FALSE)
        form->setPicture(shown);
    if (savedParentWidth_ == 0)
        savedParentWidth_ = roundedTwips(form->width());
    if (savedParentHeight_ == 0)
        savedParentHeight_ = roundedTwips(form->height());
    if (restoring_) {
        // The empty picture goes in at the remembered size in one step: no image is drawn
        // at the size of the picture the box held before.
        staging_.setAutoSize(false);
        staging_.setPictureAndSize(shown, static_cast<float>(savedParentWidth_),
                                   static_cast<float>(savedParentHeight_));
    }
    form->setWidth(staging_.width());
    form->setHeight(staging_.height());
    const core::MaskSettings mask{maskColor_, automaticMaskColor_ != VARIANT_FALSE, restoring_};
    win::UniqueRegion region = regionBuilder_.build(staging_, mask, scan_);
    installWindowRegion(form->hwnd(), std::move(region));
}

void Shaper::restore() {
    const runtime::Screen::Operation oneScreenReading;
    restoring_ = true;
    runtime::Picture kept = staging_.picture();
    // The kept picture goes back and restore mode ends even when applying fails.
    struct PutBack {
        Shaper& shaper;
        runtime::Picture& kept;
        ~PutBack() {
            shaper.restoring_ = false;
            if (shaper.staging_.picture() == kept)
                return; // applying failed before the box took the empty picture
            try {
                shaper.staging_.setPicture(kept);
            } catch (...) {
                // The box keeps the empty picture if the old one cannot be drawn again.
            }
        }
    } putBack{*this, kept};
    applyToParent(runtime::loadPicture(L""));
}

void Shaper::move() {
    win::dragByCaption(parent_()->hwnd());
}

void Shaper::refresh() {
    parent_()->refresh();
}

void Shaper::paint() {
    const std::unique_ptr<HostForm> form = parent_();
    const bool showInTaskbar = form->showInTaskbar();
    form->setBorderStyle(0);
    form->setShowInTaskbar(showInTaskbar);
}

} // namespace cutshape::control

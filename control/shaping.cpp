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

void Shaper::load(const runtime::Picture& picture) {
    const runtime::Screen::Operation oneScreenReading;
    if (!picture.isNothing())
        staging_.setPicture(picture);
    // An empty picture object counts as none: there is nothing to shape the form to.
    if (staging_.picture().isEmpty())
        throw win::Error(kNoPictureSetError, kNoPictureSetText, kControlName);
    prepareForScan(staging_);
    applyToParent();
}

void Shaper::applyToParent() {
    const std::unique_ptr<HostForm> form = parent_();
    if (showPicture_ != VARIANT_FALSE)
        form->setPicture(staging_.picture());
    if (savedParentWidth_ == 0)
        savedParentWidth_ = roundedTwips(form->width());
    if (savedParentHeight_ == 0)
        savedParentHeight_ = roundedTwips(form->height());
    if (restoring_) {
        staging_.setAutoSize(false);
        staging_.setWidth(static_cast<float>(savedParentWidth_));
        staging_.setHeight(static_cast<float>(savedParentHeight_));
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
            try {
                shaper.staging_.setPicture(kept);
            } catch (...) {
                // The box keeps the empty picture if the old one cannot be drawn again.
            }
        }
    } putBack{*this, kept};
    staging_.setPicture(runtime::loadPicture(L""));
    applyToParent();
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

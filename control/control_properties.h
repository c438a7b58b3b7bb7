#pragma once
// The control's properties: plain stores that take effect at the next Load or Restore.

#include "core/color.h"
#include "runtime/picture.h"
#include "runtime/screen.h"

#include <oleauto.h>

namespace cutshape::control {

class ControlProperties {
public:
    // The picture Load shapes the form to when it is given none.
    const runtime::Picture& picture() const noexcept { return picture_; }
    // Refuses, before anything changes, a picture too large to stage at `at` (out of
    // memory); at the screen's resolution when none is given.
    void setPictureJudgedAt(runtime::Picture picture, const runtime::Resolution& at);
    void setPicture(runtime::Picture picture);
    core::Color maskColor() const noexcept { return maskColor_; }
    void setMaskColor(core::Color color) noexcept { maskColor_ = color; }
    VARIANT_BOOL showPicture() const noexcept { return showPicture_; }
    void setShowPicture(VARIANT_BOOL show) noexcept { showPicture_ = show; }
    VARIANT_BOOL automaticMaskColor() const noexcept { return automaticMaskColor_; }
    void setAutomaticMaskColor(VARIANT_BOOL automatic) noexcept { automaticMaskColor_ = automatic; }

private:
    runtime::Picture picture_;
    core::Color maskColor_ = 0;
    VARIANT_BOOL showPicture_ = VARIANT_FALSE;
    VARIANT_BOOL automaticMaskColor_ = VARIANT_FALSE;
};

// Throws the runtime's out-of-memory error for a picture too large to stage at the screen's
// resolution.
void requireStageable(const runtime::Picture& picture, const runtime::Resolution& at);

} // namespace cutshape::control

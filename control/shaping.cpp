#include "control/shaping.h"

#include "control/window_region.h"
#include "win/error.h"

#include <cstdlib>
#include <span>

namespace cutshape::control {
namespace {

// Like the form's own size puts, the result is not checked: a window call that fails
// neither stops the operation nor reaches the caller.
void resizeWindow(HWND window, SIZE sizePx) noexcept {
    ::SetWindowPos(window, nullptr, 0, 0, sizePx.cx, sizePx.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

Shaper::Shaper(ControlProperties& properties, FormFinder findForm)
    : properties_(properties), findForm_(std::move(findForm)) {}

void Shaper::load(const runtime::Picture& picture) {
    atFormResolution(Operation::Load, picture);
}

void Shaper::restore() {
    atFormResolution(Operation::Restore, runtime::Picture());
}

void Shaper::atFormResolution(Operation operation, const runtime::Picture& given) {
    // The one the window was last told of, else the window's own where the system has
    // per-monitor resolutions, else the screen's.
    const int known = toldDpi_ ? toldDpi_ : runtime::windowDpi(formWatch_.window());
    const runtime::Resolution at =
        known ? runtime::Resolution::uniform(known) : runtime::screenResolution();
    run(operation, at, given);
    // Run at the screen's resolution before the window was known: where the window has one
    // of its own that differs, the operation is done again at it.
    if (known)
        return;
    if (const int own = runtime::windowDpi(formWatch_.window()); own != 0 && own != at.dpiX)
        resolutionChanged(own);
}

void Shaper::resolutionChanged(int dpi) {
    toldDpi_ = dpi;
    if (lastDone_)
        run(*lastDone_, runtime::Resolution::uniform(dpi), runtime::Picture());
}

void Shaper::run(Operation operation, const runtime::Resolution& at,
                 const runtime::Picture& given) {
    if (operation == Operation::Load)
        loadAt(at, given);
    else
        restoreAt(at);
    lastDone_ = operation;
}

void Shaper::loadAt(const runtime::Resolution& at, const runtime::Picture& given) {
    if (!given.isNothing())
        properties_.setPictureJudgedAt(given, at);
    // An empty picture object counts as none: there is nothing to shape the form to.
    if (properties_.picture().isEmpty())
        throw win::Error(kNoPictureSetError, kNoPictureSetText, kControlName);
    staging_.stage(properties_.picture(), at);
    applyToForm(properties_.picture(), Operation::Load, at);
}

void Shaper::restoreAt(const runtime::Resolution& at) {
    applyToForm(runtime::loadPicture(L""), Operation::Restore, at);
}

void Shaper::applyToForm(const runtime::Picture& shown, Operation operation,
                         const runtime::Resolution& at) {
    const std::unique_ptr<HostForm> form = findForm_(at);
    if (properties_.showPicture() != VARIANT_FALSE)
        form->setPicture(shown);
    if (savedFormWidth_ == 0)
        savedFormWidth_ = runtime::roundedTwips(form->width());
    if (savedFormHeight_ == 0)
        savedFormHeight_ = runtime::roundedTwips(form->height());
    // Restoring gives the window one rectangle of the remembered size in whole pixels, whatever
    // the system's colours: nothing is drawn or scanned.
    SIZE sizePx{staging_.widthPx(), staging_.heightPx()};
    if (operation == Operation::Restore) {
        sizePx = SIZE{at.pixelsX(static_cast<float>(savedFormWidth_)),
                      at.pixelsY(static_cast<float>(savedFormHeight_))};
        scan_ = ScanSize{sizePx.cy, sizePx.cx};
    }
    form->setWidth(static_cast<float>(sizePx.cx) * at.twipsPerPixelX());
    form->setHeight(static_cast<float>(sizePx.cy) * at.twipsPerPixelY());
    win::UniqueRegion region;
    if (operation == Operation::Restore) {
        const core::Rect whole{0, 0, sizePx.cx, sizePx.cy};
        const bool empty = whole.x2 <= 0 || whole.y2 <= 0;
        region = regionOfBands(std::span<const core::Rect>(&whole, empty ? 0 : 1));
    } else {
        region = regionOfStaging();
    }
    const HWND window = form->hwnd();
    // Some forms accept size puts and keep their window's size; the region would then be
    // cut off by the window's edges. Such a window is given the size directly.
    if (RECT rect{};
        ::GetWindowRect(window, &rect) && (std::abs(rect.right - rect.left - sizePx.cx) > 1 ||
                                           std::abs(rect.bottom - rect.top - sizePx.cy) > 1))
        resizeWindow(window, sizePx);
    installWindowRegion(window, std::move(region));
    formWatch_.watch(window);
    showSoftEdge(window, operation);
}

win::UniqueRegion Shaper::regionOfStaging() {
    const core::MaskSettings mask{properties_.maskColor(),
                                  properties_.automaticMaskColor() != VARIANT_FALSE};
    const std::span<const core::Rect> bands = regionBuilder_.scan(staging_, mask, scan_);
    // Refused here, before the region is made: a huge outline is turned down in the time of
    // its scan, and no region is made only to be thrown away.
    refuseTooComplexOutline(bands.size());
    return regionOfBands(bands);
}

void Shaper::showSoftEdge(HWND window, Operation operation) noexcept {
    // The edge follows the form through the watch: a window it cannot watch gets none, and
    // so does a child window (an MDI child, say), which no top-level window can lie below.
    if (operation == Operation::Restore || formWatch_.window() != window ||
        (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0) {
        softEdge_.remove();
        return;
    }
    if (properties_.showPicture() == VARIANT_FALSE) {
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

} // namespace cutshape::control

#include "control/shaping.h"

#include "control/window_region.h"
#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "runtime/window_frame.h"
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

// The window's outer size; throws when `window` is not a window.
SIZE outerSizePx(HWND window) {
    RECT rect{};
    if (!::IsWindow(window) || !::GetWindowRect(window, &rect))
        throw win::Error(STD_CTL_SCODE(398),
                         L"Client site not available: the container's window is gone.");
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Like the form's own size puts, the result is not checked: a window call that fails
// neither stops the operation nor reaches the caller.
void resizeWindow(HWND window, SIZE sizePx) noexcept {
    ::SetWindowPos(window, nullptr, 0, 0, sizePx.cx, sizePx.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HostForm* formOf(const Host& host) noexcept {
    const auto* form = std::get_if<std::unique_ptr<HostForm>>(&host);
    return form ? form->get() : nullptr;
}

HWND windowOf(const Host& host) {
    if (HostForm* form = formOf(host))
        return form->hwnd();
    return std::get<HostWindow>(host).window;
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

int Shaper::formDpi() const noexcept {
    return toldDpi_ ? toldDpi_ : runtime::windowDpi(resolutionWatch_.window());
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
    if (const int own = runtime::windowDpi(resolutionWatch_.window()); own != 0 && own != dpiUsed)
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
    applyToParent(staging_.picture());
    shape_ = Shape::Loaded;
}

void Shaper::applyToParent(const runtime::Picture& shown) {
    const Host host = parent_();
    if (HostForm* form = formOf(host))
        applyToForm(*form, shown);
    else
        applyToWindow(std::get<HostWindow>(host), shown);
}

void Shaper::applyToForm(HostForm& form, const runtime::Picture& shown) {
    if (showPicture_ != VARIANT_FALSE)
        form.setPicture(shown);
    if (savedParentWidth_ == 0)
        savedParentWidth_ = roundedTwips(form.width());
    if (savedParentHeight_ == 0)
        savedParentHeight_ = roundedTwips(form.height());
    if (restoring_)
        stageAtRememberedSize(shown);
    form.setWidth(staging_.width());
    form.setHeight(staging_.height());
    win::UniqueRegion region = regionOfStaging();
    const HWND window = form.hwnd();
    // Some forms accept size puts and keep their window's size; the region would then be
    // cut off by the window's edges. Such a window is given the staged size directly.
    const SIZE staged{staging_.widthPx(), staging_.heightPx()};
    if (RECT rect{};
        ::GetWindowRect(window, &rect) && (std::abs(rect.right - rect.left - staged.cx) > 1 ||
                                           std::abs(rect.bottom - rect.top - staged.cy) > 1))
        resizeWindow(window, staged);
    installWindowRegion(window, std::move(region));
    resolutionWatch_.watch(window);
}

void Shaper::applyToWindow(const HostWindow& host, const runtime::Picture& shown) {
    // Everything that can fail comes before the first change to the window.
    const SIZE current = outerSizePx(host.window);
    if (savedParentWidth_ == 0)
        savedParentWidth_ =
            roundedTwips(static_cast<float>(current.cx) * runtime::Screen::twipsPerPixelX());
    if (savedParentHeight_ == 0)
        savedParentHeight_ =
            roundedTwips(static_cast<float>(current.cy) * runtime::Screen::twipsPerPixelY());
    if (restoring_)
        stageAtRememberedSize(shown);
    win::UniqueRegion region = regionOfStaging();
    const bool painting = showPicture_ != VARIANT_FALSE;
    if (painting)
        host.pictures->reserve(host.window);

    resizeWindow(host.window, SIZE{staging_.widthPx(), staging_.heightPx()});
    if (painting)
        host.pictures->paint(host.window, shown);
    installWindowRegion(host.window, std::move(region));
    resolutionWatch_.watch(host.window);
}

void Shaper::stageAtRememberedSize(const runtime::Picture& shown) {
    // The empty picture goes in at the remembered size in one step: no image is drawn at
    // the size of the picture the box held before.
    staging_.setAutoSize(false);
    staging_.setPictureAndSize(shown, static_cast<float>(savedParentWidth_),
                               static_cast<float>(savedParentHeight_));
}

win::UniqueRegion Shaper::regionOfStaging() {
    const core::MaskSettings mask{maskColor_, automaticMaskColor_ != VARIANT_FALSE, restoring_};
    const std::span<const core::Rect> bands = regionBuilder_.scan(staging_, mask, scan_);
    // Refused here, so that the window path changes nothing when the outline is too complex,
    // and before the region is made: a huge outline is turned down in the time of its scan.
    refuseTooComplexOutline(bands.size());
    return regionOfBands(bands);
}

void Shaper::restoreAtFormResolution() {
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
    shape_ = Shape::Restored;
}

void Shaper::move() {
    win::dragByCaption(windowOf(parent_()));
}

void Shaper::refresh() {
    const Host host = parent_();
    if (HostForm* form = formOf(host))
        form->refresh();
    else
        runtime::refreshWindow(std::get<HostWindow>(host).window);
}

void Shaper::makeHostBorderless() {
    const Host host = parent_();
    if (HostForm* form = formOf(host)) {
        const bool showInTaskbar = form->showInTaskbar();
        form->setBorderStyle(0);
        form->setShowInTaskbar(showInTaskbar);
        return;
    }
    const HWND window = std::get<HostWindow>(host).window;
    const bool showInTaskbar = runtime::showsInTaskbar(window);
    runtime::setBorderStyle(window, 0);
    runtime::setShowInTaskbar(window, showInTaskbar);
}

} // namespace cutshape::control

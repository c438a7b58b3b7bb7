#include "tests/control/shaping_check.h"

#include "core/region_check.h"
#include "runtime/picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "win/region.h"

#include <cstdio>

namespace cutshape::testing {
namespace {

constexpr std::int32_t kWidthPx = 120;
constexpr std::int32_t kHeightPx = 90;
constexpr core::Color kWhite = 0x00FFFFFF;

core::Rects windowRegion(HWND window) {
    win::UniqueRegion region = win::createEmptyRegion();
    if (::GetWindowRgn(window, region.get()) == ERROR)
        return {};
    return win::regionRects(region.get());
}

std::string hex(HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    return text;
}

} // namespace

std::string shapingFault(const HostedControl& hosted) {
    IDispatch* control = hosted.control.get();
    const HWND window = hosted.form->hwnd();
    const Image image = makeFigure(kWidthPx, kHeightPx, kWhite);
    const runtime::Picture picture = runtime::pictureFromBytes(writeBmp24(image), L"figure");
    if (const Call set = put(control, dispid::kMaskColor, variantOf(LONG{kWhite}));
        set.status != S_OK)
        return "MaskColor put answered " + hex(set.status);
    if (const Call set = put(control, dispid::kAutomaticMaskColor, variantOfBool(false));
        set.status != S_OK)
        return "AutomaticMaskColor put answered " + hex(set.status);
    if (const Call load = call(control, dispid::kLoad, {variantOf(picture.dispatch().get())});
        load.status != S_OK)
        return "Load answered " + hex(load.status) + " (" + hex(load.exception.scode) + ")";
    RECT frame{};
    ::GetWindowRect(window, &frame);
    if (frame.right - frame.left != kWidthPx || frame.bottom - frame.top != kHeightPx)
        return "after Load the window is " + std::to_string(frame.right - frame.left) + " x " +
               std::to_string(frame.bottom - frame.top);
    const core::Rects shaped = windowRegion(window);
    if (std::string fault = core::canonicalBandsFault(shaped); !fault.empty())
        return "after Load the region is not canonical: " + fault;
    if (std::string fault = test::regionMismatch(
            shaped, test::referenceFigure(image.view(), kWidthPx, kHeightPx, kWhite));
        !fault.empty())
        return "after Load the region is not the figure: " + fault;
    if (const Call restore = call(control, dispid::kRestore); restore.status != S_OK)
        return "Restore answered " + hex(restore.status) + " (" + hex(restore.exception.scode) +
               ")";
    ::GetWindowRect(window, &frame);
    const core::Rects restored = windowRegion(window);
    if (restored != core::Rects{{0, 0, frame.right - frame.left, frame.bottom - frame.top}})
        return "after Restore the region is not the full window";
    return {};
}

} // namespace cutshape::testing

#include "tests/control/shaping_check.h"

#include "core/region_check.h"
#include "runtime/picture.h"
#include "tests/support/picture_files.h"
#include "tests/support/reference_region.h"
#include "tests/support/windows_pictures.h"
#include "win/region.h"

namespace cutshape::test {
namespace {

constexpr std::int32_t kWidthPx = 120;
constexpr std::int32_t kHeightPx = 90;
constexpr core::Color kWhite = 0x00FFFFFF;

} // namespace

std::string shapingFault(const HostedControl& hosted) {
    IDispatch* control = hosted.control.get();
    const HWND window = hosted.form->hwnd();
    const Image image = makeFigure(kWidthPx, kHeightPx, kWhite);
    const runtime::Picture picture = runtime::pictureFromBytes(writeBmp24(image), L"figure");
    if (const Call set = put(control, dispid::kMaskColor, variantOf(LONG{kWhite}));
        set.status != S_OK)
        return "MaskColor put answered " + hexOf(set.status);
    if (const Call set = put(control, dispid::kAutomaticMaskColor, variantOfBool(false));
        set.status != S_OK)
        return "AutomaticMaskColor put answered " + hexOf(set.status);
    if (const Call load = loadCall(control, picture); load.status != S_OK)
        return "Load answered " + hexOf(load.status) + " (" + hexOf(load.exception.scode) + ")";
    if (const SIZE size = windowSize(window); size.cx != kWidthPx || size.cy != kHeightPx)
        return "after Load the window is " + std::to_string(size.cx) + " x " +
               std::to_string(size.cy);
    const core::Rects shaped = windowRegion(window);
    if (std::string fault = core::canonicalBandsFault(shaped); !fault.empty())
        return "after Load the region is not canonical: " + fault;
    if (std::string fault = test::regionMismatch(
            shaped, test::referenceFigure(image.view(), kWidthPx, kHeightPx, kWhite));
        !fault.empty())
        return "after Load the region is not the figure: " + fault;
    if (const Call restore = call(control, dispid::kRestore); restore.status != S_OK)
        return "Restore answered " + hexOf(restore.status) + " (" + hexOf(restore.exception.scode) +
               ")";
    const SIZE size = windowSize(window);
    if (windowRegion(window) != core::Rects{{0, 0, size.cx, size.cy}})
        return "after Restore the region is not the full window";
    return {};
}

} // namespace cutshape::test

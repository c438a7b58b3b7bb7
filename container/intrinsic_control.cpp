#include "container/intrinsic_control.h"

#include "container/bundled_files.h"
#include "container/cursor_file.h"
#include "core/arithmetic_error.h"
#include "core/twips.h"
#include "runtime/picture.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/gdi.h"
#include "win/text.h"

#include <map>

namespace cutshape::container {

using forms::ControlDescription;
using forms::ControlKind;
using forms::TwipsRect;

namespace {

// The runtime's default font for captions: MS Sans Serif, 8 points at `at`, made once per
// resolution and kept for the program's lifetime (every form's controls share it).
HFONT defaultFont(const runtime::Resolution& at) {
    static std::map<int, win::UniqueFont> fonts; // on the user-interface thread only
    win::UniqueFont& font = fonts[at.dpiY];
    if (!font)
        font.reset(::CreateFontW(-::MulDiv(8, at.dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    return font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace

win::UniqueBitmap bitmapFromFile(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kFileHeader = 14;
    if (runtime::inspectedPicture(bytes, L"an image's bitmap").format !=
        core::PictureFormat::Bitmap)
        throw runtime::invalidPictureError(L"an image's bitmap is no BMP file");
    const std::uint32_t bitsOffset =
        bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<std::uint32_t>(bytes[13]) << 24;
    if (bitsOffset >= bytes.size())
        throw runtime::invalidPictureError(L"an image's bitmap has no pixels");
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + kFileHeader);
    const win::UniqueWindowDc screen = win::GetDC(nullptr);
    win::UniqueBitmap bitmap(::CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT,
                                              bytes.data() + bitsOffset, info, DIB_RGB_COLORS));
    if (!bitmap)
        throw runtime::invalidPictureError(L"an image's bitmap cannot be read");
    return bitmap;
}

win::UniqueBitmap bitmapAtResolution(std::span<const std::uint8_t> bytes,
                                     const runtime::Resolution& at) {
    win::UniqueBitmap bitmap = bitmapFromFile(bytes);
    BITMAP size{};
    ::GetObjectW(bitmap.get(), sizeof size, &size);
    const SIZE scaled = [&] {
        try {
            return SIZE{core::scaledFromPictureDpi(size.bmWidth, at.dpiX),
                        core::scaledFromPictureDpi(size.bmHeight, at.dpiY)};
        } catch (const core::ArithmeticError& fault) {
            throw runtime::arithmeticError(fault);
        }
    }();
    if (scaled.cx == size.bmWidth && scaled.cy == size.bmHeight)
        return bitmap;
    const win::UniqueWindowDc screen = win::GetDC(nullptr);
    win::UniqueBitmap target(::CreateCompatibleBitmap(screen.get(), scaled.cx, scaled.cy));
    if (!target)
        throw runtime::outOfMemoryError(L"an image's bitmap cannot be scaled");
    const win::UniqueMemoryDc sourceDc = win::CreateCompatibleDC(screen.get());
    const win::UniqueMemoryDc targetDc = win::CreateCompatibleDC(screen.get());
    const win::UniqueSelection sourceSelected(sourceDc.get(), bitmap.get());
    const win::UniqueSelection targetSelected(targetDc.get(), target.get());
    ::SetStretchBltMode(targetDc.get(), COLORONCOLOR);
    if (!::StretchBlt(targetDc.get(), 0, 0, scaled.cx, scaled.cy, sourceDc.get(), 0, 0,
                      size.bmWidth, size.bmHeight, SRCCOPY))
        throw runtime::outOfMemoryError(L"an image's bitmap cannot be scaled");
    return target;
}

void layOutIntrinsicControl(IntrinsicControl& control, const runtime::Resolution& at) {
    const ControlDescription& description = *control.description;
    const RECT place = at.pixelRect(description.position.value_or(TwipsRect{}));
    ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont(at)), TRUE);
    if (!description.pictureFile.empty()) {
        win::UniqueBitmap bitmap = bitmapAtResolution(bundledFile(description.pictureFile), at);
        ::SendMessageW(control.window, STM_SETIMAGE, IMAGE_BITMAP,
                       reinterpret_cast<LPARAM>(bitmap.get()));
        control.bitmap = std::move(bitmap); // the old one is no longer shown
    }
    if (!description.mouseIconFile.empty())
        control.cursor = cursorFromFile(bundledFile(description.mouseIconFile), at);
    // After the image: the static control sizes itself to the bitmap; the design size wins.
    ::SetWindowPos(control.window, nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

IntrinsicControl createIntrinsicControl(HWND form, const ControlDescription& description, int id,
                                        const runtime::Resolution& at) {
    IntrinsicControl control;
    control.description = &description;
    control.id = id;
    const wchar_t* windowClass = L"STATIC";
    DWORD styles = WS_CHILD | WS_VISIBLE;
    switch (description.kind) {
    case ControlKind::Button:
        windowClass = L"BUTTON";
        styles |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    case ControlKind::Label:
        styles |= SS_LEFTNOWORDWRAP;
        break;
    case ControlKind::Image:
        styles |= SS_BITMAP | SS_NOTIFY;
        break;
    case ControlKind::ActiveX:
        throw win::Error(E_INVALIDARG, L"An ActiveX control is no intrinsic control.");
    }
    control.window = ::CreateWindowExW(
        0, windowClass, win::widen(description.caption).c_str(), styles, 0, 0, 0, 0, form,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!control.window)
        win::throwLastError(L"Creating a control");
    layOutIntrinsicControl(control, at);
    return control;
}

} // namespace cutshape::container

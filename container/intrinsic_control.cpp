#include "container/intrinsic_control.h"

#include "container/bundled_files.h"
#include "runtime/runtime_errors.h"
#include "runtime/screen.h"
#include "win/text.h"

namespace cutshape::container {

using forms::ControlDescription;
using forms::ControlKind;
using forms::TwipsRect;

namespace {

// The runtime's default font for captions: MS Sans Serif, 8 points, made once and kept for
// the program's lifetime (every form's controls share it).
HFONT defaultFont() {
    static const win::UniqueFont font = [] {
        const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr));
        const int height = -::MulDiv(8, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
        return win::UniqueFont(::CreateFontW(
            height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    }();
    return font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace

win::UniqueBitmap bitmapFromFile(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        throw runtime::invalidPictureError(L"an image's bitmap is no BMP file");
    const std::uint32_t bitsOffset =
        bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<std::uint32_t>(bytes[13]) << 24;
    if (bitsOffset >= bytes.size())
        throw runtime::invalidPictureError(L"an image's bitmap has no pixels");
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + kFileHeader);
    const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr));
    win::UniqueBitmap bitmap(::CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT,
                                              bytes.data() + bitsOffset, info, DIB_RGB_COLORS));
    if (!bitmap)
        throw runtime::invalidPictureError(L"an image's bitmap cannot be read");
    return bitmap;
}

IntrinsicControl createIntrinsicControl(HWND form, const ControlDescription& description, int id) {
    IntrinsicControl control;
    control.name = description.name;
    control.kind = description.kind;
    control.id = id;
    const RECT place = runtime::Screen::pixelRect(description.position.value_or(TwipsRect{}));
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
        0, windowClass, win::widen(description.caption).c_str(), styles, place.left, place.top,
        place.right - place.left, place.bottom - place.top, form,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!control.window)
        win::throwLastError(L"Creating a control");
    ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont()), FALSE);
    if (!description.pictureFile.empty()) {
        control.bitmap = bitmapFromFile(bundledFile(description.pictureFile));
        ::SendMessageW(control.window, STM_SETIMAGE, IMAGE_BITMAP,
                       reinterpret_cast<LPARAM>(control.bitmap.get()));
        // The static control sizes itself to the bitmap; the design size wins.
        ::SetWindowPos(control.window, nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return control;
}

} // namespace cutshape::container

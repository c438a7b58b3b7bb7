// Shows a borderless window in the outline of a picture, built the way the control builds
// it: the staged picture, the region from the region builder.
//
//   shape_preview [--title T] [--mask auto|0xBBGGRR] [--at X Y] [--per-pixel] <picture|--demo>
//
// --demo draws a figure of its own instead of loading a file. A left-button press drags the
// window; Escape or a right-button press closes it. Prints "shaped <w> <h> <rects>" when
// the window is shown.

#include "control/region_builder.h"
#include "runtime/picture.h"
#include "runtime/screen.h"
#include "runtime/staged_picture.h"
#include "win/message_window.h"
#include "win/region.h"
#include "win/window_calls.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>

namespace {

using namespace cutshape;

struct Options {
    std::wstring title = L"Cutshape preview";
    std::wstring picture;
    bool demo = false;
    bool automaticMask = true;
    core::Color mask = 0;
    bool perPixel = false;
    int x = 40;
    int y = 40;
};

Options parse(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--title" && i + 1 < argc) {
            options.title = argv[++i];
        } else if (arg == L"--mask" && i + 1 < argc) {
            const std::wstring value = argv[++i];
            options.automaticMask = value == L"auto";
            if (!options.automaticMask)
                options.mask = static_cast<core::Color>(std::wcstoul(value.c_str(), nullptr, 0));
        } else if (arg == L"--at" && i + 2 < argc) {
            options.x = _wtoi(argv[++i]);
            options.y = _wtoi(argv[++i]);
        } else if (arg == L"--per-pixel") {
            options.perPixel = true;
        } else if (arg == L"--demo") {
            options.demo = true;
        } else {
            options.picture = arg;
        }
    }
    if (!options.demo && options.picture.empty())
        throw win::Error(E_INVALIDARG, L"usage: shape_preview [--title T] [--mask auto|0xBBGGRR] "
                                       L"[--at X Y] [--per-pixel] <picture|--demo>");
    return options;
}

// A 360 x 240 figure on white: a ring around a hole, a bar and a dot, as a bitmap picture.
runtime::Picture demoPicture() {
    win::DibSurface image(360, 240);
    image.fill(RGB(255, 255, 255));
    const HDC dc = image.dc();
    const win::UniqueBrush blue(::CreateSolidBrush(RGB(30, 90, 200)));
    const win::UniqueBrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    const win::UniqueBrush orange(::CreateSolidBrush(RGB(240, 140, 20)));
    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::SelectObject(dc, blue.get());
    ::Ellipse(dc, 10, 10, 230, 230);
    ::SelectObject(dc, white.get());
    ::Ellipse(dc, 80, 80, 160, 160);
    ::SelectObject(dc, orange.get());
    ::RoundRect(dc, 200, 95, 350, 145, 30, 30);
    ::Ellipse(dc, 320, 20, 340, 40);
    // The picture object takes the bitmap over; draw it into a plain bitmap first.
    win::UniqueMemoryDc copyDc(::CreateCompatibleDC(nullptr));
    const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr));
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen.get(), 360, 240);
    const HGDIOBJ old = ::SelectObject(copyDc.get(), bitmap);
    ::BitBlt(copyDc.get(), 0, 0, 360, 240, dc, 0, 0, SRCCOPY);
    ::SelectObject(copyDc.get(), old);
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    win::ComPtr<IPicture> picture;
    win::check(::OleCreatePictureIndirect(&description, IID_IPicture, TRUE, picture.putVoid()),
               L"OleCreatePictureIndirect");
    return runtime::Picture::fromObject(picture.get());
}

// The shaped window: shows the staged picture, moves when dragged, closes on a right click
// or Escape, and is shaped again when it is told of a new resolution.
class Preview final : public win::MessageHandler {
public:
    runtime::StagedPicture staging;
    core::MaskSettings mask;
    bool perPixel = false;
    control::ScanSize scan;

    // Stages the picture at the resolution `at` and builds its region; returns the region
    // and its number of rectangles.
    std::pair<win::UniqueRegion, std::size_t> stage(const runtime::Picture& picture,
                                                    const runtime::Resolution& at) {
        staging.stage(picture, at);
        win::UniqueRegion region = perPixel ? control::buildRegionPerPixel(staging, mask, scan)
                                            : control::buildRegion(staging, mask, scan);
        const std::size_t rects = win::regionRects(region.get()).size();
        return {std::move(region), rects};
    }

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_DPICHANGED: {
            try {
                auto [region, rects] =
                    stage(staging.picture(), runtime::Resolution{LOWORD(wParam), HIWORD(wParam)});
                const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
                ::SetWindowPos(window, nullptr, suggested.left, suggested.top, staging.widthPx(),
                               staging.heightPx(), SWP_NOZORDER | SWP_NOACTIVATE);
                win::SetWindowRgn(window, std::move(region));
                ::InvalidateRect(window, nullptr, TRUE);
                std::printf("shaped %d %d %zu\n", scan.scanWidth, scan.scanHeight, rects);
                std::fflush(stdout);
            } catch (const win::Error& error) {
                std::fwprintf(stderr, L"shape_preview: %ls\n", error.description().c_str());
            }
            return 0;
        }
        case WM_PAINT: {
            const win::UniquePaintDc dc(window);
            ::BitBlt(dc.get(), 0, 0, staging.widthPx(), staging.heightPx(), staging.hDC(), 0, 0,
                     SRCCOPY);
            return 0;
        }
        case WM_LBUTTONDOWN:
            win::dragByCaption(window);
            return 0;
        case WM_RBUTTONUP:
            ::DestroyWindow(window);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

int run(const Options& options) {
    Preview preview;
    preview.mask = core::MaskSettings{options.mask, options.automaticMask};
    preview.perPixel = options.perPixel;
    auto [region, rectCount] =
        preview.stage(options.demo ? demoPicture() : runtime::loadPicture(options.picture),
                      runtime::screenResolution());
    const runtime::StagedPicture& staged = preview.staging;
    const control::ScanSize& scan = preview.scan;

    WNDCLASSW windowClass{};
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"CutshapePreview";
    win::registerHandlerClass(windowClass);
    win::WindowPlacement placement;
    placement.style = WS_POPUP;
    placement.x = options.x;
    placement.y = options.y;
    placement.width = staged.widthPx();
    placement.height = staged.heightPx();
    win::UniqueWindow window =
        win::createHandlerWindow(preview, windowClass.lpszClassName, windowClass.hInstance,
                                 options.title.c_str(), placement, L"Creating the preview window");
    win::SetWindowRgn(window.get(), std::move(region));
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    ::UpdateWindow(window.get());
    ::SetForegroundWindow(window.get());
    std::printf("shaped %d %d %zu\n", scan.scanWidth, scan.scanHeight, rectCount);
    std::fflush(stdout);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    (void)window.release(); // destroyed by its own close handling
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    runtime::declarePerMonitorDpiAwareness();
    ::CoInitialize(nullptr);
    int status = 0;
    try {
        status = run(parse(__argc, __wargv));
    } catch (const win::Error& error) {
        std::fwprintf(stderr, L"shape_preview: %ls (0x%08lX)\n", error.description().c_str(),
                      static_cast<unsigned long>(error.number()));
        status = 1;
    }
    ::CoUninitialize();
    return status;
}

#include "runtime/screen.h"

#include "core/twips.h"
#include "runtime/runtime_errors.h"
#include "win/handles.h"

#include <atomic>

namespace cutshape::runtime {
namespace {

constexpr int kDefaultDpi = core::kPictureDpi;

std::atomic<std::int64_t> systemReadCount{0};

int positiveOrDefault(int dpi) noexcept {
    return dpi > 0 ? dpi : kDefaultDpi;
}

} // namespace

Resolution screenResolution() noexcept {
    ++systemReadCount;
    Resolution resolution;
    if (const win::UniqueWindowDc screen(nullptr, ::GetDC(nullptr)); screen) {
        resolution.dpiX = positiveOrDefault(::GetDeviceCaps(screen.get(), LOGPIXELSX));
        resolution.dpiY = positiveOrDefault(::GetDeviceCaps(screen.get(), LOGPIXELSY));
    }
    return resolution;
}

Resolution windowResolution(HWND window) noexcept {
    if (const int own = windowDpi(window))
        return Resolution::uniform(own);
    return screenResolution();
}

void declarePerMonitorDpiAwareness() noexcept {
    using SetContext = BOOL(WINAPI*)(void*);
    using SetAwareness = HRESULT(WINAPI*)(int);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
            user32 ? ::GetProcAddress(user32, "SetProcessDpiAwarenessContext") : nullptr))) {
        const auto perMonitorV2 = reinterpret_cast<void*>(static_cast<INT_PTR>(-4));
        const auto perMonitor = reinterpret_cast<void*>(static_cast<INT_PTR>(-3));
        if (setContext(perMonitorV2) || setContext(perMonitor) ||
            ::GetLastError() == ERROR_ACCESS_DENIED) // declared already
            return;
    }
    if (const HMODULE shcore = ::LoadLibraryW(L"shcore.dll")) {
        const auto setAwareness = reinterpret_cast<SetAwareness>(
            reinterpret_cast<void (*)()>(::GetProcAddress(shcore, "SetProcessDpiAwareness")));
        constexpr int kProcessPerMonitorDpiAware = 2;
        const bool done = setAwareness && SUCCEEDED(setAwareness(kProcessPerMonitorDpiAware));
        ::FreeLibrary(shcore);
        if (done)
            return;
    }
    ::SetProcessDPIAware();
}

int windowDpi(HWND window) noexcept {
    // Bound by name: these came with Windows 10 (1607).
    using DpiForWindow = UINT(WINAPI*)(HWND);
    using WindowContext = void*(WINAPI*)(HWND);
    using AwarenessOf = int(WINAPI*)(void*);
    static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto bind = [](const char* name) {
        return reinterpret_cast<void (*)()>(user32 ? ::GetProcAddress(user32, name) : nullptr);
    };
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(bind("GetDpiForWindow"));
    static const auto windowContext =
        reinterpret_cast<WindowContext>(bind("GetWindowDpiAwarenessContext"));
    static const auto awarenessOf =
        reinterpret_cast<AwarenessOf>(bind("GetAwarenessFromDpiAwarenessContext"));
    constexpr int kPerMonitorAware = 2; // DPI_AWARENESS_PER_MONITOR_AWARE
    // Other windows see the screen's resolution (the system's, or 96 where the system
    // scales them as bitmaps), which the screen reading already gives.
    if (!window || !dpiForWindow || !windowContext || !awarenessOf ||
        awarenessOf(windowContext(window)) != kPerMonitorAware)
        return 0;
    ++systemReadCount;
    return static_cast<int>(dpiForWindow(window));
}

std::int64_t resolutionReads() noexcept {
    return systemReadCount;
}

std::int32_t Resolution::pixelsX(float twips) const {
    return pixelsFromTwips(twips, twipsPerPixelX());
}
std::int32_t Resolution::pixelsY(float twips) const {
    return pixelsFromTwips(twips, twipsPerPixelY());
}

RECT Resolution::pixelRect(const core::TwipsRect& twips) const {
    const std::int32_t left = pixelsX(twips.left);
    const std::int32_t top = pixelsY(twips.top);
    try {
        return RECT{left, top, core::checkedAdd(left, pixelsX(twips.width)),
                    core::checkedAdd(top, pixelsY(twips.height))};
    } catch (const core::ArithmeticError& fault) {
        throw arithmeticError(fault);
    }
}

std::int32_t pixelsFromTwips(float twips, float twipsPerPixel) {
    try {
        return core::twipsToPixels(twips, twipsPerPixel);
    } catch (const core::ArithmeticError& fault) {
        throw arithmeticError(fault);
    }
}

std::int32_t roundedTwips(float twips) {
    try {
        return core::roundToInt32(twips);
    } catch (const core::ArithmeticError& fault) {
        throw arithmeticError(fault);
    }
}

} // namespace cutshape::runtime

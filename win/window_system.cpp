#include "win/window_system.h"

#include <windows.h>

namespace cutshape::win {

bool runningUnderWine() noexcept {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

std::optional<std::size_t> windowRegionRectLimit() noexcept {
    if (runningUnderWine())
        return kX11WindowRegionRectLimit;
    return std::nullopt;
}

} // namespace cutshape::win

#pragma once
// Watches the window the control shapes for a change of resolution (WM_DPICHANGED, sent to
// per-monitor aware programs when their window moves to a monitor of another resolution or
// the user changes the scale). The window is subclassed through comctl32, so other
// subclasses stay intact; the window handles the message first (it takes the size the
// system suggests and lays itself out), then the watch reports the new resolution.

#include <functional>
#include <windows.h>

namespace cutshape::control {

class ResolutionWatch {
public:
    using Changed = std::function<void(int dpi)>;

    explicit ResolutionWatch(Changed changed) : changed_(std::move(changed)) {}
    ResolutionWatch(const ResolutionWatch&) = delete;
    ResolutionWatch& operator=(const ResolutionWatch&) = delete;
    // Takes the subclass off the window, if it is still there.
    ~ResolutionWatch();

    // Watches `window` from now on (and no longer the one watched before). A window of
    // another thread cannot be subclassed: it is not watched.
    void watch(HWND window) noexcept;
    HWND window() const noexcept { return window_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    void unwatch() noexcept;

    Changed changed_;
    HWND window_ = nullptr;
};

} // namespace cutshape::control

#pragma once
// Watches the window the control shapes, for what the control must follow: a change of
// resolution (WM_DPICHANGED, sent to per-monitor aware programs when their window moves to a
// monitor of another resolution or the user changes the scale), changes of place, size,
// z-order and visibility, activation, and the window's end. The window is subclassed through
// comctl32, so other subclasses stay intact; the window handles each message first (it takes
// the size the system suggests and lays itself out), then the watch reports it.

#include <windows.h>

namespace cutshape::control {

class FormWindowListener {
public:
    // The window has taken a new resolution.
    virtual void resolutionChanged(int dpi) = 0;
    // The window was moved, sized, restacked, shown or hidden; or it was activated, which
    // puts it on top of the windows of its band.
    virtual void placementChanged(bool activated) noexcept = 0;
    // The window is being destroyed; the watch has let go of it.
    virtual void windowDestroyed() noexcept = 0;

protected:
    ~FormWindowListener() = default;
};

class FormWindowWatch {
public:
    explicit FormWindowWatch(FormWindowListener& listener) : listener_(listener) {}
    FormWindowWatch(const FormWindowWatch&) = delete;
    FormWindowWatch& operator=(const FormWindowWatch&) = delete;
    // Takes the subclass off the window, if it is still there.
    ~FormWindowWatch();

    // Watches `window` from now on (and no longer the one watched before). A window of
    // another thread cannot be subclassed: it is not watched, and false says so.
    bool watch(HWND window) noexcept;
    HWND window() const noexcept { return window_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    void unwatch() noexcept;

    FormWindowListener& listener_;
    HWND window_ = nullptr;
};

} // namespace cutshape::control

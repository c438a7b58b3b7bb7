#pragma once
// A modal dialog with no owner window, built from an in-memory template without controls
// (the derived class creates them at pixel positions). While it runs, the thread's other
// top-level windows are disabled, so the dialog is modal for the whole program even though
// nothing owns it. The dialog procedure keeps `this` in DWLP_USER, catches everything,
// and an error that escapes a handler closes the dialog and leaves run() with it.

#include <exception>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace cutshape::control::about {

class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // Creates the dialog and returns the value passed to end() once it has been closed.
    // Throws Error when the dialog cannot be created, or the error a handler raised.
    INT_PTR run(HINSTANCE module, const std::wstring& caption, DWORD style);

protected:
    HWND hwnd() const noexcept { return window_; }
    // Gives the other windows back, then closes the dialog.
    void end(INT_PTR result) noexcept;

    // WM_INITDIALOG: returns whether the system should focus the first tab stop.
    virtual bool onInitialize() = 0;
    // Every later message; a value means handled (the dialog procedure's result).
    virtual std::optional<INT_PTR> onMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept;
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void enableDisabledWindows() noexcept;

    HWND window_ = nullptr;
    std::vector<HWND> disabled_;
    std::exception_ptr error_;
};

} // namespace cutshape::control::about

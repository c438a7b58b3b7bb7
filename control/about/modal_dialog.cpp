#include "control/about/modal_dialog.h"

#include "win/error.h"

#include <cstring>
#include <utility>

namespace cutshape::control::about {
namespace {

// A DLGTEMPLATE with no controls, no menu and the default class: header, then the
// caption in UTF-16. DWORD storage keeps the alignment the system requires.
std::vector<DWORD> emptyTemplate(const std::wstring& caption, DWORD style) {
    DLGTEMPLATE header{};
    header.style = style;
    std::vector<WORD> words(sizeof(header) / sizeof(WORD));
    std::memcpy(words.data(), &header, sizeof(header));
    words.push_back(0); // no menu
    words.push_back(0); // the predefined dialog class
    words.insert(words.end(), caption.begin(), caption.end());
    words.push_back(0);
    std::vector<DWORD> storage((words.size() + 1) / 2);
    std::memcpy(storage.data(), words.data(), words.size() * sizeof(WORD));
    return storage;
}

struct ThreadWindows {
    HWND except;
    std::vector<HWND>* disabled;
};

BOOL CALLBACK disableWindow(HWND window, LPARAM context) noexcept {
    auto& windows = *reinterpret_cast<ThreadWindows*>(context);
    if (window != windows.except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        try {
            windows.disabled->push_back(window);
        } catch (...) {
            return FALSE;
        }
        ::EnableWindow(window, FALSE);
    }
    return TRUE;
}

} // namespace

INT_PTR ModalDialog::run(HINSTANCE module, const std::wstring& caption, DWORD style) {
    const std::vector<DWORD> dialogTemplate = emptyTemplate(caption, style);
    error_ = nullptr;
    ::SetLastError(ERROR_SUCCESS);
    const INT_PTR result = ::DialogBoxIndirectParamW(
        module, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr, procedure,
        reinterpret_cast<LPARAM>(this));
    enableDisabledWindows();
    window_ = nullptr;
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
    if (result == -1)
        win::throwLastError(L"Creating the dialog");
    return result;
}

void ModalDialog::end(INT_PTR result) noexcept {
    enableDisabledWindows();
    ::EndDialog(window_, result);
}

INT_PTR CALLBACK ModalDialog::procedure(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    ModalDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<ModalDialog*>(lParam);
        dialog->window_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!dialog)
        return FALSE;
    try {
        return dialog->dispatch(message, wParam, lParam);
    } catch (...) {
        if (!dialog->error_)
            dialog->error_ = std::current_exception();
        dialog->end(-1);
        return TRUE;
    }
}

INT_PTR ModalDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ThreadWindows windows{window_, &disabled_};
        ::EnumThreadWindows(::GetCurrentThreadId(), disableWindow,
                            reinterpret_cast<LPARAM>(&windows));
        return onInitialize() ? TRUE : FALSE;
    }
    const std::optional<INT_PTR> handled = onMessage(message, wParam, lParam);
    if (!handled)
        return FALSE;
    // Results of messages that return a value go through DWLP_MSGRESULT, except those
    // the dialog manager takes from the procedure's own result.
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
        return *handled;
    default:
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, *handled);
        return TRUE;
    }
}

void ModalDialog::enableDisabledWindows() noexcept {
    for (HWND window : disabled_)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
    disabled_.clear();
}

} // namespace cutshape::control::about

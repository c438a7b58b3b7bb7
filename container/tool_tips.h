#pragma once
// The tool tips of a form's controls: one tool-tip window owned by the form, which the
// system destroys together with the form's window.

#include <string>
#include <windows.h>

namespace cutshape::container {

class ToolTips {
public:
    explicit ToolTips(HWND form);
    void add(HWND control, const std::wstring& text);

private:
    HWND form_;
    HWND window_ = nullptr; // owned by the form's window
};

} // namespace cutshape::container

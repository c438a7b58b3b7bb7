#pragma once
// Windows whose messages a C++ object handles, through one window procedure for all of them.
// The handler travels in the creation parameters and is kept in the window's user data from
// WM_NCCREATE until WM_NCDESTROY or until it detaches; messages outside that span get the
// default handling, and so do messages whose handler throws: no exception leaves the window
// procedure.

#include "win/handles.h"

#include <windows.h>

namespace cutshape::win {

class MessageHandler {
public:
    // The message's result; what the handler does not handle it passes to DefWindowProcW.
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageHandler() = default;
};

// Registers the class described (its window procedure is set here) once per module and
// name: a second registration of the same class is not an error. Throws when it fails.
void registerHandlerClass(WNDCLASSW description);

struct WindowPlacement {
    DWORD style = 0;
    DWORD extendedStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    HWND parent = nullptr;
};

// Creates a window of a registered handler class whose messages go to `handler`; throws,
// naming `what`, when it cannot.
UniqueWindow createHandlerWindow(MessageHandler& handler, const wchar_t* className,
                                 HINSTANCE module, const wchar_t* title,
                                 const WindowPlacement& placement, const wchar_t* what);

// The handler goes away before its window: later messages get the default handling.
void detachHandler(HWND window) noexcept;

} // namespace cutshape::win

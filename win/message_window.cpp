#include "win/message_window.h"

#include "win/error.h"

namespace cutshape::win {
namespace {

LRESULT CALLBACK handlerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* handler = reinterpret_cast<MessageHandler*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
        detachHandler(window);
    if (!handler)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return handler->handleMessage(window, message, wParam, lParam);
    } catch (...) {
        reportCaught(L"handling a window message; it gets the default handling");
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

void registerHandlerClass(WNDCLASSW description) {
    description.lpfnWndProc = handlerWindowProc;
    if (!::RegisterClassW(&description) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throwLastError(L"Registering a window class");
}

UniqueWindow createHandlerWindow(MessageHandler& handler, const wchar_t* className,
                                 HINSTANCE module, const wchar_t* title,
                                 const WindowPlacement& placement, const wchar_t* what) {
    UniqueWindow window(::CreateWindowExW(
        placement.extendedStyle, className, title, placement.style, placement.x, placement.y,
        placement.width, placement.height, placement.parent, nullptr, module, &handler));
    if (!window)
        throwLastError(what);
    return window;
}

void detachHandler(HWND window) noexcept {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

} // namespace cutshape::win

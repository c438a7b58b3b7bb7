// Hosts the registered control in Wine's ATL control host (an "AtlAxWin" child window named
// by the programmatic identifier) inside a top-level window, then calls Load by dispatch
// identifier. Prints "shaped <width> <height>" and runs until closed.
//   atl_host_probe <picture> <title>

#include "runtime/picture.h"
#include "win/com_ptr.h"
#include "win/error.h"

#include <cstdio>

namespace {

using namespace cutshape;

constexpr DISPID kLoad = 0x60030007;
constexpr DISPID kMaskColor = 0x6803000F;

using AtlAxWinInit = BOOL(WINAPI*)();
using AtlAxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

template <class Function>
Function entry(HMODULE module, const char* name) {
    const auto address = ::GetProcAddress(module, name);
    if (!address)
        throw win::Error(E_FAIL, L"atl.dll lacks an entry point");
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

void invoke(IDispatch* control, DISPID id, WORD flags, VARIANT argument) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&argument, flags == DISPATCH_PROPERTYPUT ? &named : nullptr, 1,
                          flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    win::check(control->Invoke(id, IID_NULL, 0, flags, &parameters, nullptr, nullptr, nullptr),
               L"Invoke");
}

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int run(const wchar_t* picturePath, const wchar_t* title) {
    const HMODULE atl = ::LoadLibraryW(L"atl.dll");
    if (!atl)
        win::throwLastError(L"LoadLibrary atl.dll");
    entry<AtlAxWinInit>(atl, "AtlAxWinInit")();

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = frameProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CutshapeAtlHostProbe";
    ::RegisterClassW(&windowClass);
    const HWND frame =
        ::CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 50, 50, 400,
                          300, nullptr, nullptr, windowClass.hInstance, nullptr);
    const HWND host =
        ::CreateWindowExW(0, L"AtlAxWin", L"CutshapeCtrl.Cutshape", WS_CHILD | WS_VISIBLE, 0, 0, 36,
                          36, frame, nullptr, windowClass.hInstance, nullptr);
    if (!frame || !host)
        win::throwLastError(L"Creating the ATL host windows");
    win::ComPtr<IUnknown> control;
    win::check(entry<AtlAxGetControl>(atl, "AtlAxGetControl")(host, control.put()),
               L"AtlAxGetControl: the ATL host did not create the control");
    const auto dispatch = control.query<IDispatch>();

    VARIANT value;
    value.vt = VT_I4;
    value.lVal = 0x00FFFFFF;
    invoke(dispatch.get(), kMaskColor, DISPATCH_PROPERTYPUT, value);
    const runtime::Picture picture = runtime::loadPicture(picturePath);
    value.vt = VT_DISPATCH;
    value.pdispVal = picture.dispatch().get();
    invoke(dispatch.get(), kLoad, DISPATCH_METHOD, value);

    ::ShowWindow(frame, SW_SHOWNORMAL);
    ::UpdateWindow(frame);
    RECT rect{};
    ::GetWindowRect(frame, &rect);
    std::printf("shaped %ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
    std::fflush(stdout);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 2;
    ::OleInitialize(nullptr);
    int status = 0;
    try {
        status = run(argv[1], argv[2]);
    } catch (const win::Error& error) {
        std::fprintf(stderr, "atl_host_probe: %s\n", error.what());
        status = 1;
    }
    ::OleUninitialize();
    return status;
}

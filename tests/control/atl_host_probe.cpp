// Hosts the registered control in Wine's ATL control host (an "AtlAxWin" child window named
// by the programmatic identifier) inside a top-level window, then calls Load by dispatch
// identifier.
//   atl_host_probe <picture> <title>
//     prints "shaped <width> <height>" and runs until closed.
//   atl_host_probe --unload comctl32|classic <picture>
//     loads with ShowPicture on, lets the host subclass the window on top (through comctl32
//     or by replacing the window procedure), destroys the control's window, frees unused
//     libraries and repaints the window; prints what it saw, one fact a line, and exits 0
//     if it survived.

#include "runtime/picture.h"
#include "win/com_ptr.h"
#include "win/error.h"

#include <commctrl.h>
#include <cstdio>
#include <cwchar>

namespace {

using namespace cutshape;

constexpr DISPID kLoad = 0x60030007;
constexpr DISPID kMaskColor = 0x6803000F;
constexpr DISPID kShowPicture = 0x6803000E;

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

// A top-level window with the control in an ATL host window inside it.
struct AtlHosted {
    HWND frame = nullptr;
    HWND host = nullptr;
    win::ComPtr<IDispatch> control;
};

AtlHosted hostControl(const wchar_t* title) {
    const HMODULE atl = ::LoadLibraryW(L"atl.dll");
    if (!atl)
        win::throwLastError(L"LoadLibrary atl.dll");
    entry<AtlAxWinInit>(atl, "AtlAxWinInit")();

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = frameProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"CutshapeAtlHostProbe";
    ::RegisterClassW(&windowClass);
    AtlHosted hosted;
    hosted.frame =
        ::CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 50, 50, 400,
                          300, nullptr, nullptr, windowClass.hInstance, nullptr);
    hosted.host =
        ::CreateWindowExW(0, L"AtlAxWin", L"CutshapeCtrl.Cutshape", WS_CHILD | WS_VISIBLE, 0, 0, 36,
                          36, hosted.frame, nullptr, windowClass.hInstance, nullptr);
    if (!hosted.frame || !hosted.host)
        win::throwLastError(L"Creating the ATL host windows");
    win::ComPtr<IUnknown> control;
    win::check(entry<AtlAxGetControl>(atl, "AtlAxGetControl")(hosted.host, control.put()),
               L"AtlAxGetControl: the ATL host did not create the control");
    hosted.control = control.query<IDispatch>();
    return hosted;
}

void loadInto(IDispatch* control, const wchar_t* picturePath) {
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = 0x00FFFFFF;
    invoke(control, kMaskColor, DISPATCH_PROPERTYPUT, value);
    const runtime::Picture picture = runtime::loadPicture(picturePath);
    value.vt = VT_DISPATCH;
    value.pdispVal = picture.dispatch().get();
    invoke(control, kLoad, DISPATCH_METHOD, value);
}

int run(const wchar_t* picturePath, const wchar_t* title) {
    const AtlHosted hosted = hostControl(title);
    const HWND frame = hosted.frame;
    loadInto(hosted.control.get(), picturePath);

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

// ---- the library unloaded under a live window ----

int erasesSeenByHost = 0;
WNDPROC replacedProcedure = nullptr;

LRESULT CALLBACK hostSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    if (message == WM_ERASEBKGND)
        ++erasesSeenByHost;
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK hostReplacement(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        ++erasesSeenByHost;
    return ::CallWindowProcW(replacedProcedure, window, message, wParam, lParam);
}

void pumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

HRESULT libraryCanUnloadNow() {
    const HMODULE library = ::GetModuleHandleW(L"Cutshape.ocx");
    const auto canUnloadNow =
        library ? reinterpret_cast<HRESULT(WINAPI*)()>(
                      reinterpret_cast<void (*)()>(::GetProcAddress(library, "DllCanUnloadNow")))
                : nullptr;
    return canUnloadNow ? canUnloadNow() : E_FAIL;
}

void freeUnusedLibraries() {
    ::CoFreeUnusedLibraries();
    std::printf("loaded after freeing: %s\n", ::GetModuleHandleW(L"Cutshape.ocx") ? "yes" : "no");
    std::fflush(stdout);
}

void repaint(HWND frame) {
    const int erasesBefore = erasesSeenByHost;
    ::RedrawWindow(frame, nullptr, nullptr,
                   RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::UpdateWindow(frame);
    pumpMessages();
    std::printf("host saw the repaint: %s\n", erasesSeenByHost > erasesBefore ? "yes" : "no");
    std::fflush(stdout);
}

int runUnload(const wchar_t* hostSubclassKind, const wchar_t* picturePath) {
    const bool classic = std::wcscmp(hostSubclassKind, L"classic") == 0;
    AtlHosted hosted = hostControl(L"Cutshape unload probe");
    VARIANT show;
    show.vt = VT_BOOL;
    show.boolVal = VARIANT_TRUE;
    invoke(hosted.control.get(), kShowPicture, DISPATCH_PROPERTYPUT, show);
    loadInto(hosted.control.get(), picturePath);
    // The host subclasses its window after the control did.
    if (classic)
        replacedProcedure = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            hosted.frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostReplacement)));
    else
        ::SetWindowSubclass(hosted.frame, hostSubclass, 1, 0);
    ::ShowWindow(hosted.frame, SW_SHOWNORMAL);
    ::UpdateWindow(hosted.frame);
    pumpMessages();

    // The container destroys the control's window; that releases the control.
    hosted.control.reset();
    ::DestroyWindow(hosted.host);
    pumpMessages();
    std::printf("can unload: 0x%08lx\n", static_cast<unsigned long>(libraryCanUnloadNow()));
    std::fflush(stdout);
    freeUnusedLibraries();
    repaint(hosted.frame);
    if (classic) {
        std::printf("host procedure kept: %s\n", ::GetWindowLongPtrW(hosted.frame, GWLP_WNDPROC) ==
                                                         reinterpret_cast<LONG_PTR>(hostReplacement)
                                                     ? "yes"
                                                     : "no");
        std::fflush(stdout);
        // Once the window is gone, nothing holds the library any more.
        ::DestroyWindow(hosted.frame);
        pumpMessages();
        std::printf("after the window: can unload: 0x%08lx\n",
                    static_cast<unsigned long>(libraryCanUnloadNow()));
        std::fflush(stdout);
        freeUnusedLibraries();
    }
    std::printf("survived\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool unload = argc == 4 && std::wcscmp(argv[1], L"--unload") == 0;
    if (argc != 3 && !unload)
        return 2;
    ::OleInitialize(nullptr);
    int status = 0;
    try {
        status = unload ? runUnload(argv[2], argv[3]) : run(argv[1], argv[2]);
    } catch (const win::Error& error) {
        std::fprintf(stderr, "atl_host_probe: %s\n", error.what());
        status = 1;
    }
    ::OleUninitialize();
    return status;
}

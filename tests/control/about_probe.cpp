// The About box's end-to-end probe, two programs in one:
//   about_probe about <Cutshape.ocx> <count>
//       loads the library as a container does (LoadLibrary, DllGetClassObject), creates a
//       control and calls About by its dispatch identifier <count> times, printing
//       "calling <n>" before and "returned <n> <HRESULT>" after each call.
//   about_probe read <title>
//       describes the visible top-level window titled <title> as its windows report it:
//       "window <handle> owner <owner> client <w> <h>", then one line per child,
//       "child <id> <class> <x> <y> <w> <h> <style> <text>" (text in UTF-8, position in the
//       client area), and "focus <id>" for the child holding the focus.
//   about_probe point <title> <id>|close
//       prints the screen position "x y" of the middle of child <id>, or of the close box.
// Exit code 0 on success, 2 when the window is not there, 1 on other errors.

#include "container/library_class.h"
#include "win/com_ptr.h"
#include "win/error.h"

#include <cstdio>
#include <cwchar>
#include <oaidl.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using namespace cutshape;

constexpr CLSID kCutshapeClsid = {
    0x1CD0A9FA, 0x0E57, 0x487D, {0xAF, 0x64, 0x51, 0x0C, 0x36, 0xE1, 0xCD, 0x92}};
constexpr DISPID kAbout = -552;

void print(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::fputs(utf8.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

int callAbout(const wchar_t* library, int count) {
    win::check(::CoInitialize(nullptr), L"CoInitialize");
    const auto control = container::createFromLibrary(library, kCutshapeClsid).query<IDispatch>();
    for (int call = 1; call <= count; ++call) {
        print(L"calling " + std::to_wstring(call));
        DISPPARAMS none{};
        const HRESULT status = control->Invoke(kAbout, IID_NULL, LOCALE_USER_DEFAULT,
                                               DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
        wchar_t line[64];
        std::swprintf(line, std::size(line), L"returned %d 0x%08lX", call,
                      static_cast<unsigned long>(status));
        print(line);
    }
    return 0;
}

struct TitleSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TitleSearch*>(context);
    if (::IsWindowVisible(window) && textOf(window) == search.title) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectChild(HWND child, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
    return TRUE;
}

// The visible top-level window titled exactly `title`.
HWND findTitled(const wchar_t* title) {
    TitleSearch search{title, nullptr};
    ::EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int read(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    wchar_t line[256];
    std::swprintf(line, std::size(line), L"window %p owner %p client %ld %ld",
                  static_cast<void*>(window), static_cast<void*>(::GetWindow(window, GW_OWNER)),
                  client.right, client.bottom);
    print(line);
    std::vector<HWND> children;
    ::EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, static_cast<int>(std::size(className)));
        RECT place{};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        std::swprintf(line, std::size(line), L"child %d %ls %ld %ld %ld %ld 0x%08lX ",
                      ::GetDlgCtrlID(child), className, place.left, place.top,
                      place.right - place.left, place.bottom - place.top,
                      static_cast<unsigned long>(::GetWindowLongW(child, GWL_STYLE)));
        print(line + textOf(child));
    }
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &thread) &&
        thread.hwndFocus)
        print(L"focus " + std::to_wstring(::GetDlgCtrlID(thread.hwndFocus)));
    return 0;
}

int point(HWND window, const wchar_t* what) {
    if (std::wcscmp(what, L"close") == 0) {
        RECT frame{};
        ::GetWindowRect(window, &frame);
        for (LONG y = frame.top; y < frame.top + 40; ++y)
            for (LONG x = frame.right - 1; x > frame.right - 80; --x)
                if (::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                    std::printf("%ld %ld\n", x - 3, y + 3);
                    return 0;
                }
        return 1;
    }
    const HWND child = ::GetDlgItem(window, _wtoi(what));
    RECT place{};
    if (!child || !::GetWindowRect(child, &place))
        return 1;
    std::printf("%ld %ld\n", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    return 0;
}

int run(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"about" && argc == 4)
        return callAbout(argv[2], _wtoi(argv[3]));
    if ((mode == L"read" && argc == 3) || (mode == L"point" && argc == 4)) {
        const HWND window = findTitled(argv[2]);
        if (!window)
            return 2;
        return mode == L"read" ? read(window) : point(window, argv[3]);
    }
    std::fputs("usage: about_probe about <library> <count> | read <title> | point <title> "
               "<id>|close\n",
               stderr);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "about_probe: %s\n", error.what());
        return 1;
    }
}

// Prints the texts of a visible top-level window and of its child windows, one per line as
// "<control id> <text>", for end-to-end tests that read message boxes of another program.
//
//   window_texts <window title>
//
// Exit status: 0 printed, 1 no visible window has that title.

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

std::wstring textOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
    std::wstring text = textOf(child);
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r')
            c = L' ';
    std::printf("%d %ls\n", ::GetDlgCtrlID(child), text.c_str());
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_texts <window title>\n");
        return 2;
    }
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, argv[1])) != nullptr)
        if (::IsWindowVisible(window))
            break;
    if (!window)
        return 1;
    ::EnumChildWindows(window, printChild, 0);
    std::fflush(stdout);
    return 0;
}

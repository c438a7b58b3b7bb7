// Drives another program's top-level window through Win32, as the user or another program
// would; the window is found by its exact title.
//   window_driver place <title> <beside> <fx> <fy>
//                                           to the window titled <beside>'s origin plus fx
//                                           of its width and fy of its height (Wine may scale
//                                           positions between processes; fractions stay)
//   window_driver raise <title>             to the top of the z-order, activated
//   window_driver hide|show|minimize|maximize|restore <title>
// Exit status: 0 done, 1 no such window, 2 usage.

#include <cstdio>
#include <cwchar>
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    // Positions are the screen's pixels at every resolution.
    ::SetProcessDPIAware();
    if (argc < 3) {
        std::fputs(
            "usage: window_driver place|raise|hide|show|minimize|maximize|restore <title> ...\n",
            stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    const HWND window = ::FindWindowW(nullptr, argv[2]);
    if (!window) {
        std::fwprintf(stderr, L"window_driver: no window titled '%ls'\n", argv[2]);
        return 1;
    }
    if (command == L"place" && argc == 6) {
        RECT beside{};
        if (!::GetWindowRect(::FindWindowW(nullptr, argv[3]), &beside)) {
            std::fwprintf(stderr, L"window_driver: no window titled '%ls'\n", argv[3]);
            return 1;
        }
        const double across = std::wcstod(argv[4], nullptr);
        const double down = std::wcstod(argv[5], nullptr);
        const POINT target{beside.left + static_cast<LONG>(across * (beside.right - beside.left)),
                           beside.top + static_cast<LONG>(down * (beside.bottom - beside.top))};
        // Wine 8 scales a position given to another process's window differently from one
        // read back: the second try corrects the first by the ratio it saw.
        POINT asked = target;
        for (int attempt = 0; attempt < 2; ++attempt) {
            ::SetWindowPos(window, nullptr, asked.x, asked.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            RECT now{};
            ::GetWindowRect(window, &now);
            if (now.left == target.x && now.top == target.y)
                break;
            if (now.left != 0)
                asked.x = static_cast<LONG>(static_cast<double>(asked.x) * target.x / now.left);
            if (now.top != 0)
                asked.y = static_cast<LONG>(static_cast<double>(asked.y) * target.y / now.top);
        }
    } else if (command == L"raise") {
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    } else if (command == L"hide") {
        ::ShowWindow(window, SW_HIDE);
    } else if (command == L"show") {
        ::ShowWindow(window, SW_SHOWNA);
    } else if (command == L"minimize") {
        ::ShowWindow(window, SW_MINIMIZE);
    } else if (command == L"maximize") {
        ::ShowWindow(window, SW_MAXIMIZE);
    } else if (command == L"restore") {
        ::ShowWindow(window, SW_RESTORE);
    } else {
        std::fwprintf(stderr, L"window_driver: unknown command '%ls'\n", argv[1]);
        return 2;
    }
    return 0;
}

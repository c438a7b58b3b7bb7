// The smallest Windows program that says it ran: tools/start-stress.sh starts it thousands of
// times to count the starts that fail before a program's own code runs.
//   start_probe          prints "started"
//   start_probe window   also makes a top-level window, which needs the session's desktop
//                        process and its display, and prints "window"
//   start_probe hold     makes a hidden window, prints "holding" and stays until it is ended:
//                        Wine ends its desktop process a second after the last program that
//                        uses it, so tools/wine-session.sh keeps one such program in each
//                        session, and every program after it finds the desktop running
#include <cstdio>
#include <cstring>
#include <windows.h>

namespace {

bool makeWindow() {
    HWND window = CreateWindowExW(0, L"STATIC", L"start probe", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        std::printf("no window (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "window") == 0) {
        if (!makeWindow())
            return 1;
        std::puts("window");
        return 0;
    }
    if (std::strcmp(mode, "hold") == 0) {
        if (!makeWindow())
            return 1;
        std::puts("holding");
        std::fflush(stdout);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        return 0;
    }
    std::puts("started");
    return 0;
}

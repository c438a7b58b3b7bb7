#include "runtime/host_services.h"

#include "runtime/runtime_errors.h"
#include "win/handles.h"

namespace cutshape::runtime {

DWORD shell(std::wstring_view commandLine, WORD showCommand) {
    // CreateProcess may write into the command line, so it gets its own copy.
    std::wstring line(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        throw fileNotFoundError(commandLine);
    const win::UniqueHandle process(started.hProcess);
    const win::UniqueHandle thread(started.hThread);
    return started.dwProcessId;
}

std::wstring dir(std::wstring_view pattern) {
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const std::wstring query(pattern);
    WIN32_FIND_DATAW found{};
    const win::UniqueFind search(::FindFirstFileW(query.c_str(), &found));
    if (!search)
        return {};
    do {
        if ((found.dwFileAttributes & kNotNormal) == 0)
            return found.cFileName;
    } while (::FindNextFileW(search.get(), &found));
    return {};
}

int msgBox(HWND owner, std::wstring_view text, UINT style, std::wstring_view title) {
    const std::wstring message(text);
    const std::wstring caption(title);
    return ::MessageBoxW(owner, message.c_str(), caption.c_str(), style);
}

} // namespace cutshape::runtime

#include "tests/support/child_process.h"

#include "win/error.h"
#include "win/handles.h"

#include <vector>

namespace cutshape::testing {

ChildResult runChild(const std::wstring& program, const std::wstring& arguments,
                     std::chrono::milliseconds deadline) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started))
        win::throwLastError((L"Starting " + program).c_str());
    const win::UniqueHandle process(started.hProcess);
    const win::UniqueHandle thread(started.hThread);
    ChildResult result;
    if (::WaitForSingleObject(process.get(), static_cast<DWORD>(deadline.count())) !=
        WAIT_OBJECT_0) {
        result.timedOut = true;
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    result.exitCode = code;
    return result;
}

std::wstring besideThisProgram(const std::wstring& fileName) {
    std::vector<wchar_t> self(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0)
            win::throwLastError(L"GetModuleFileName");
        if (length < self.size())
            break;
        self.resize(self.size() * 2);
    }
    std::wstring path(self.data());
    return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

} // namespace cutshape::testing

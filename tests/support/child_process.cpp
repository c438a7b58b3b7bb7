#include "tests/support/child_process.h"

#include "win/error.h"
#include "win/handles.h"

#include <vector>

namespace cutshape::test {
namespace {

// How often the parent looks for output while the child runs.
constexpr DWORD kOutputPollMs = 20;

// Appends what the pipe holds now, without waiting for more.
void drain(HANDLE pipe, std::string& output) {
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::vector<char> buffer(available);
        DWORD read = 0;
        if (!::ReadFile(pipe, buffer.data(), available, &read, nullptr) || read == 0)
            return;
        output.append(buffer.data(), read);
    }
}

} // namespace

ChildResult runChildCapturingOutput(const std::wstring& program, const std::wstring& arguments,
                                    std::chrono::milliseconds deadline) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    win::UniqueHandle readEnd;
    win::UniqueHandle writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0))
        win::throwLastError(L"CreatePipe");
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &started))
        win::throwLastError((L"Starting " + program).c_str());
    const win::UniqueHandle process(started.hProcess);
    const win::UniqueHandle thread(started.hThread);
    writeEnd.reset(); // the child holds the only write end now

    ChildResult result;
    const auto end = std::chrono::steady_clock::now() + deadline;
    bool exited = false;
    while (!exited && std::chrono::steady_clock::now() < end) {
        exited = ::WaitForSingleObject(process.get(), kOutputPollMs) == WAIT_OBJECT_0;
        drain(readEnd.get(), result.output);
    }
    if (!exited) {
        result.timedOut = true;
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    result.exitCode = code;
    drain(readEnd.get(), result.output);
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

} // namespace cutshape::test

#include "tests/support/child_process.h"

#include "win/error.h"
#include "win/handles.h"

#include <vector>

namespace cutshape::testing {
namespace {

using Clock = std::chrono::steady_clock;

// How often a capturing parent looks for output while the child runs.
constexpr DWORD kOutputPollMs = 20;

struct Started {
    win::UniqueHandle process;
    win::UniqueHandle thread;
};

Started start(const std::wstring& program, const std::wstring& arguments, HANDLE output) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                          output ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &started))
        win::throwLastError((L"Starting " + program).c_str());
    return Started{win::UniqueHandle(started.hProcess), win::UniqueHandle(started.hThread)};
}

void finish(HANDLE process, bool timedOut, ChildResult& result) {
    if (timedOut) {
        result.timedOut = true;
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    result.exitCode = code;
}

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

ChildResult runChild(const std::wstring& program, const std::wstring& arguments,
                     std::chrono::milliseconds deadline) {
    const Started child = start(program, arguments, nullptr);
    ChildResult result;
    const bool timedOut =
        ::WaitForSingleObject(child.process.get(), static_cast<DWORD>(deadline.count())) !=
        WAIT_OBJECT_0;
    finish(child.process.get(), timedOut, result);
    return result;
}

ChildResult runChildCapturingOutput(const std::wstring& program, const std::wstring& arguments,
                                    std::chrono::milliseconds deadline) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    win::UniqueHandle readEnd;
    win::UniqueHandle writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0))
        win::throwLastError(L"CreatePipe");
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    const Started child = start(program, arguments, writeEnd.get());
    writeEnd.reset(); // the child holds the only write end now

    ChildResult result;
    const Clock::time_point end = Clock::now() + deadline;
    bool exited = false;
    while (!exited && Clock::now() < end) {
        exited = ::WaitForSingleObject(child.process.get(), kOutputPollMs) == WAIT_OBJECT_0;
        drain(readEnd.get(), result.output);
    }
    finish(child.process.get(), !exited, result);
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

} // namespace cutshape::testing

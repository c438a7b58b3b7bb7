#include "tests/support/case_watchdog.h"

#include <cstdio>
#include <windows.h>

namespace cutshape::testing {
namespace {

// The case the crash filter names: a copy in static storage, since the filter runs in a
// thread that may hold any lock. One watchdog per process.
char crashedCase[512] = "";

LONG WINAPI reportCrash(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "crash: exception 0x%08lX in case: %s\n",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                 crashedCase);
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH; // the process ends with the exception's code
}

} // namespace

CaseWatchdog::CaseWatchdog(std::chrono::milliseconds limitPerCase)
    : limit_(limitPerCase), thread_([this] { watch(); }) {
    ::SetUnhandledExceptionFilter(reportCrash);
}

CaseWatchdog::~CaseWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    ::SetUnhandledExceptionFilter(nullptr);
}

void CaseWatchdog::begin(std::string name) {
    std::snprintf(crashedCase, sizeof crashedCase, "%s", name.c_str());
    {
        std::lock_guard lock(mutex_);
        current_ = std::move(name);
        started_ = std::chrono::steady_clock::now();
        running_ = true;
    }
    changed_.notify_all();
}

void CaseWatchdog::end() {
    std::lock_guard lock(mutex_);
    running_ = false;
}

void CaseWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!running_) {
            changed_.wait(lock);
            continue;
        }
        const auto deadline = started_ + limit_;
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "hang: no return within %lld ms from case: %s\n",
                         static_cast<long long>(limit_.count()), current_.c_str());
            std::fflush(stderr);
            // The stuck thread may hold any lock: end without running anything else.
            ::TerminateProcess(::GetCurrentProcess(), kHangExitCode);
        }
        changed_.wait_until(lock, deadline);
    }
}

} // namespace cutshape::testing

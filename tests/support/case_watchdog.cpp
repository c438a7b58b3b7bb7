#include "tests/support/case_watchdog.h"

#include <cstdio>
#include <windows.h>

namespace cutshape::test {
namespace {

constexpr auto kLookInterval = std::chrono::seconds(1);

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
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    thread_.join();
    ::SetUnhandledExceptionFilter(nullptr);
}

void CaseWatchdog::begin(const std::string& name) {
    std::snprintf(crashedCase, sizeof crashedCase, "%s", name.c_str());
    {
        std::lock_guard lock(mutex_);
        current_ = name;
    }
    sequence_.fetch_add(sequence_.load() % 2 == 0 ? 1 : 2);
}

void CaseWatchdog::end() {
    sequence_.fetch_add(1);
}

void CaseWatchdog::watch() {
    std::uint64_t seen = sequence_.load();
    auto seenSince = std::chrono::steady_clock::now();
    std::unique_lock lock(stopMutex_);
    while (!stopped_.wait_for(lock, kLookInterval, [this] { return stopping_; })) {
        const std::uint64_t now = sequence_.load();
        if (now != seen) {
            seen = now;
            seenSince = std::chrono::steady_clock::now();
            continue;
        }
        if (now % 2 == 1 && std::chrono::steady_clock::now() - seenSince >= limit_) {
            std::lock_guard caseLock(mutex_);
            std::fprintf(stderr, "hang: no return within %lld ms from case: %s\n",
                         static_cast<long long>(limit_.count()), current_.c_str());
            std::fflush(stderr);
            // The stuck thread may hold any lock: end without running anything else.
            ::TerminateProcess(::GetCurrentProcess(), kHangExitCode);
        }
    }
}

} // namespace cutshape::test

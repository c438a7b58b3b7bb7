#pragma once
// Bounds the cases of a probe in time and names the case that hung or crashed. A probe
// runs many cases in one process and its parent sees only an exit code and the output, so
// the probe itself reports which case never returned (and ends at once) or which one
// raised an exception nothing handled. Starting a case costs no system call: a watching
// thread looks at the running case about once a second.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace cutshape::test {

class CaseWatchdog {
public:
    // The exit code of a probe whose case ran longer than its limit.
    static constexpr unsigned kHangExitCode = 0x4855; // "HU"

    explicit CaseWatchdog(std::chrono::milliseconds limitPerCase);
    CaseWatchdog(const CaseWatchdog&) = delete;
    CaseWatchdog& operator=(const CaseWatchdog&) = delete;
    ~CaseWatchdog();

    // Starts the clock for the case `name`; the next begin() or end() stops it.
    void begin(const std::string& name);
    void end();

private:
    void watch();

    std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::string current_;
    // Odd while a case runs; every begin() and end() moves it on.
    std::atomic<std::uint64_t> sequence_{0};
    std::mutex stopMutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace cutshape::test

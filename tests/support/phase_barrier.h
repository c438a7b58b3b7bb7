#pragma once
// A barrier for a fixed group of threads that meet again and again: the last one to arrive
// runs the completion step while the others wait, then all go on. std::barrier does the same,
// but the MinGW libstdc++ 12 builds it on an atomic wait without a platform wait, which can
// lose a wake-up: one thread then sleeps through a phase that the others have finished, and
// they wait for it at the next meeting for ever. A mutex and a condition variable with a
// phase number cannot lose one.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

namespace cutshape::test {

template <class Completion>
class PhaseBarrier {
public:
    PhaseBarrier(int threads, Completion completion)
        : expected_(threads), completion_(std::move(completion)) {}
    PhaseBarrier(const PhaseBarrier&) = delete;
    PhaseBarrier& operator=(const PhaseBarrier&) = delete;

    void arrive_and_wait() {
        std::unique_lock lock(mutex_);
        const std::uint64_t phase = phase_;
        if (arrive(lock))
            return;
        released_.wait(lock, [&] { return phase_ != phase; });
    }

    // Leaves the group for good: this and later phases complete without the thread.
    void arrive_and_drop() {
        std::unique_lock lock(mutex_);
        --expected_;
        if (expected_ > 0 && arrived_ >= expected_)
            completePhase(lock);
    }

private:
    // Counts the thread in; the last one completes the phase. True when this thread did.
    bool arrive(std::unique_lock<std::mutex>& lock) {
        if (++arrived_ < expected_)
            return false;
        completePhase(lock);
        return true;
    }

    void completePhase(std::unique_lock<std::mutex>&) {
        completion_();
        arrived_ = 0;
        ++phase_;
        released_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable released_;
    int expected_;
    int arrived_ = 0;
    std::uint64_t phase_ = 0;
    Completion completion_;
};

} // namespace cutshape::test

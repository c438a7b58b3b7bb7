#include "tests/support/phase_barrier.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace cutshape::test {
namespace {

// Threads meet many times; after each meeting every thread must see the completion step of
// that very phase done, and none of the next. A lost wake-up hangs the test (CTest's limit
// ends it); a thread let through early shows as a wrong count.
TEST(PhaseBarrierTest, EveryThreadSeesEachPhaseCompletedOnceBeforeItGoesOn) {
    constexpr int kThreads = 4;
    constexpr int kPhases = 2000;
    constexpr int kDropAfter = kPhases / 2; // the last thread leaves half-way
    std::atomic<int> completed{0};
    std::atomic<int> wrongCounts{0};
    PhaseBarrier meeting(kThreads, [&] { ++completed; });
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            for (int phase = 1; phase <= kPhases; ++phase) {
                if (thread == kThreads - 1 && phase > kDropAfter) {
                    meeting.arrive_and_drop();
                    return;
                }
                meeting.arrive_and_wait();
                if (completed.load() != phase)
                    ++wrongCounts;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(completed.load(), kPhases);
    EXPECT_EQ(wrongCounts.load(), 0);
}

} // namespace
} // namespace cutshape::test

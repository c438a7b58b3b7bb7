#include "bench/measure.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace cutshape::bench {

double medianMs(int repeats, const std::function<void()>& action) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        action();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace cutshape::bench

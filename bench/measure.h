#pragma once
// How the Windows benchmarks time things.

#include <functional>

namespace cutshape::bench {

// The median of `repeats` timed calls, in milliseconds.
double medianMs(int repeats, const std::function<void()>& action);

} // namespace cutshape::bench

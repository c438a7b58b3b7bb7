#pragma once
// The resources of a process sampled along a phase of a soak run, and their growth: the
// least-squares slope of each count against the cycles done, per 1,000 cycles.

#include "tests/soak/process_resources.h"

#include <string>
#include <vector>

namespace cutshape::soak {

// The growth a phase may show without failing: a steady rate per 1,000 cycles, and a
// one-off amount anywhere in the run (a cache filled late, a heap grown by a step). A one-off
// step of s in a run of c cycles shows as a slope of up to 1.5 s per c cycles (a step in the
// middle of the samples), so the limit on the slope is rate + 1.5 x once x 1,000 / c.
struct Tolerance {
    double objectsPer1000 = 0; // GDI objects, windows and kernel handles, each
    double objectsOnce = 0;
    double bytesPer1000 = 0; // private bytes
    double bytesOnce = 0;
};

class ResourceSeries {
public:
    explicit ResourceSeries(std::string phase) : phase_(std::move(phase)) {}

    void add(long long cycles, const Resources& sample);
    // Prints the samples and the slopes; returns the slopes beyond `tolerance`, empty when
    // there are none (or fewer than two samples).
    std::string report(const Tolerance& tolerance) const;

private:
    struct Point {
        long long cycles;
        Resources resources;
    };
    double slopePer1000(long long Resources::*count) const;

    std::string phase_;
    std::vector<Point> points_;
};

} // namespace cutshape::soak

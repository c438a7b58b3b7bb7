#include "tests/soak/resource_series.h"

#include <cstdio>

namespace cutshape::soak {

void ResourceSeries::add(long long cycles, const Resources& sample) {
    points_.push_back({cycles, sample});
    std::printf("  %-14s %8lld cycles: %6lld GDI objects %5lld windows %5lld handles "
                "%10lld private bytes\n",
                phase_.c_str(), cycles, sample.gdiObjects, sample.windows, sample.kernelHandles,
                sample.privateBytes);
    std::fflush(stdout);
}

double ResourceSeries::slopePer1000(long long Resources::*count) const {
    double meanX = 0;
    double meanY = 0;
    for (const Point& point : points_) {
        meanX += static_cast<double>(point.cycles);
        meanY += static_cast<double>(point.resources.*count);
    }
    meanX /= static_cast<double>(points_.size());
    meanY /= static_cast<double>(points_.size());
    double covariance = 0;
    double variance = 0;
    for (const Point& point : points_) {
        const double dx = static_cast<double>(point.cycles) - meanX;
        covariance += dx * (static_cast<double>(point.resources.*count) - meanY);
        variance += dx * dx;
    }
    return variance > 0 ? covariance / variance * 1000 : 0;
}

std::string ResourceSeries::report(const Tolerance& tolerance) const {
    if (points_.size() < 2 || points_.back().cycles == points_.front().cycles)
        return phase_ + ": fewer than two samples; ";
    struct Measure {
        const char* name;
        long long Resources::*count;
        double limit;
    };
    const double span = static_cast<double>(points_.back().cycles - points_.front().cycles);
    const double objects = tolerance.objectsPer1000 + 1.5 * tolerance.objectsOnce * 1000 / span;
    const double bytes = tolerance.bytesPer1000 + 1.5 * tolerance.bytesOnce * 1000 / span;
    const Measure measures[] = {
        {"GDI objects", &Resources::gdiObjects, objects},
        {"windows", &Resources::windows, objects},
        {"handles", &Resources::kernelHandles, objects},
        {"private bytes", &Resources::privateBytes, bytes},
    };
    std::string growth;
    std::printf("  %-14s slope per 1,000 cycles:", phase_.c_str());
    for (const Measure& measure : measures) {
        const double slope = slopePer1000(measure.count);
        std::printf(" %s %+.1f (limit %.1f);", measure.name, slope, measure.limit);
        if (slope > measure.limit)
            growth += phase_ + ": " + measure.name + " grow by " + std::to_string(slope) +
                      " per 1,000 cycles; ";
    }
    std::printf("\n");
    std::fflush(stdout);
    return growth;
}

} // namespace cutshape::soak

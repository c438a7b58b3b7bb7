#include "core/region_check.h"

#include <gtest/gtest.h>
#include <string>

namespace cutshape::core {
namespace {

TEST(CanonicalBandsFault, NamesTheFirstBrokenInvariant) {
    const struct {
        const char* what;
        Rects rects;
        const char* fault; // words of the fault found, "" for a canonical list
    } cases[] = {
        {"no rectangle", {}, ""},
        {"one rectangle", {{0, 0, 1, 1}}, ""},
        {"two bands", {{2, 0, 4, 2}, {6, 0, 8, 2}, {1, 2, 7, 3}}, ""},
        {"identical bands apart", {{1, 0, 3, 1}, {1, 2, 3, 3}}, ""},
        {"touching bands of other counts", {{1, 0, 3, 1}, {1, 1, 3, 2}, {5, 1, 6, 2}}, ""},
        {"no width", {{1, 0, 1, 1}}, "empty rectangle"},
        {"no height", {{0, 1, 1, 1}}, "empty rectangle"},
        {"right side left of the left", {{3, 0, 1, 1}}, "empty rectangle"},
        {"empty after the first", {{0, 0, 1, 1}, {2, 3, 4, 2}}, "empty rectangle"},
        {"out of order in a band", {{4, 0, 6, 1}, {0, 0, 2, 1}}, "with a gap"},
        {"touching in a band", {{0, 0, 2, 1}, {2, 0, 4, 1}}, "with a gap"},
        {"same y1, other y2", {{0, 0, 2, 1}, {3, 0, 4, 2}}, "not y2"},
        {"band overlapping the one above", {{0, 0, 1, 2}, {3, 1, 4, 3}}, "above the end"},
        {"identical touching bands at the end",
         {{1, 0, 3, 1}, {5, 0, 6, 1}, {1, 1, 3, 3}, {5, 1, 6, 3}},
         "same intervals"},
        {"identical touching inner bands",
         {{0, 0, 9, 1}, {1, 1, 3, 2}, {1, 2, 3, 4}, {0, 4, 9, 5}},
         "same intervals"},
    };
    for (const auto& c : cases) {
        const std::string fault = canonicalBandsFault(c.rects);
        EXPECT_TRUE(*c.fault ? fault.find(c.fault) != std::string::npos : fault.empty())
            << c.what << ": found \"" << fault << "\", expected \"" << c.fault << '"';
    }
}

} // namespace
} // namespace cutshape::core

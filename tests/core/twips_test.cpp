#include "core/arithmetic_error.h"
#include "core/twips.h"

#include <cfenv>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>

namespace cutshape::core {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// What `call` gives: its result as text, or the name of the fault it throws.
template <class Call>
std::string outcomeOf(Call call) {
    try {
        return std::to_string(call());
    } catch (const ArithmeticError& error) {
        constexpr const char* kNames[] = {"DivisionByZero", "InvalidOperation", "FloatOverflow",
                                          "IntegerOverflow"}; // in the order of ArithmeticFault
        return kNames[static_cast<int>(error.fault())];
    }
}

// Runs `check` under each rounding mode of the thread: no outcome may depend on it.
template <class Check>
void underEveryRoundingMode(Check check) {
    const int saved = std::fegetround();
    const std::pair<int, const char*> modes[] = {{FE_TONEAREST, "to nearest"},
                                                 {FE_UPWARD, "upward"},
                                                 {FE_DOWNWARD, "downward"},
                                                 {FE_TOWARDZERO, "toward zero"}};
    for (const auto& [mode, name] : modes) {
        SCOPED_TRACE(std::string("rounding ") + name);
        ASSERT_EQ(std::fesetround(mode), 0);
        check();
    }
    std::fesetround(saved);
}

TEST(RoundToInt32, RoundsToTheNearestTiesToEvenWithinInt32) {
    const struct {
        double value;
        const char* outcome;
    } cases[] = {
        {7.5, "8"}, // ties go to the even neighbour
        {6.5, "6"},
        {-2.5, "-2"},
        {-3.5, "-4"},
        {2.5000001, "3"},
        {0.49999999999999994, "0"}, // which floor(value + 0.5) takes to 1
        {1e9 + 0.75, "1000000001"},
        {2147483647.4, "2147483647"},
        {2147483647.5, "IntegerOverflow"}, // the tie goes to 2^31
        {-2147483648.5, "-2147483648"},    // the tie goes to the even minimum
        {-2147483648.75, "IntegerOverflow"},
        {std::numeric_limits<double>::infinity(), "IntegerOverflow"},
        {std::numeric_limits<double>::quiet_NaN(), "InvalidOperation"},
    };
    underEveryRoundingMode([&] {
        for (const auto& c : cases)
            EXPECT_EQ(outcomeOf([&] { return roundToInt32(c.value); }), c.outcome)
                << "roundToInt32(" << c.value << ")";
    });
}

TEST(TwipsToPixels, DividesInDoublePrecisionAndRoundsAsRoundToInt32) {
    const struct {
        float twips;
        float perPixel;
        const char* outcome;
    } cases[] = {
        {112.5f, 15.0f, "8"}, // 7.5
        {97.5f, 15.0f, "6"},  // 6.5
        {1000.0f, kInf, "0"},
        // 1048576.5333...: rounded to single precision first it would be the tie 1048576.5.
        {15728648.0f, 15.0f, "1048577"},
        // Twips beyond the 32-bit range whose pixels are within it.
        {4294967040.0f, 2.0f, "2147483520"},
        {1.0f, 0.0f, "DivisionByZero"},
        {0.0f, 0.0f, "InvalidOperation"},
        {kInf, kInf, "InvalidOperation"},
        {kNaN, 15.0f, "InvalidOperation"},
        {15.0f, kNaN, "InvalidOperation"},
        {kNaN, 0.0f, "InvalidOperation"},
        {kInf, 0.0f, "FloatOverflow"}, // an exact infinity, no division fault
        // The quotient's type is single: beyond its range it overflows though a double holds it.
        {3e38f, 1e-38f, "FloatOverflow"},
        {-3e38f, 1e-38f, "FloatOverflow"},
        {3e38f, 1.0f, "IntegerOverflow"}, // finite as a single, too large for 32 bits
    };
    underEveryRoundingMode([&] {
        for (const auto& c : cases)
            EXPECT_EQ(outcomeOf([&] { return twipsToPixels(c.twips, c.perPixel); }), c.outcome)
                << "twipsToPixels(" << c.twips << ", " << c.perPixel << ")";
    });
}

TEST(ScaledFromPictureDpi, IsTheTwipsOfTheBitmapPixelsRoundedAsAnyLength) {
    struct Case {
        std::int32_t pixels;
        int dpi;
        std::int32_t expected;
    };
    for (const Case& c : {Case{240, 120, 300}, Case{211, 144, 316} /* 316.5 */,
                          Case{157, 144, 236} /* 235.5 */, Case{5, 120, 6} /* 6.25 */})
        EXPECT_EQ(scaledFromPictureDpi(c.pixels, c.dpi), c.expected)
            << c.pixels << " px at " << c.dpi << " dpi";
}

TEST(CheckedAdd, DetectsOverflowInBothDirections) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const struct {
        std::int32_t a, b;
        const char* outcome;
    } cases[] = {
        {100, -200, "-100"},          {kMax - 5, 5, "2147483647"},   {kMin + 5, -5, "-2147483648"},
        {kMax, 1, "IntegerOverflow"}, {kMin, -1, "IntegerOverflow"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcomeOf([&] { return checkedAdd(c.a, c.b); }), c.outcome)
            << "checkedAdd(" << c.a << ", " << c.b << ")";
}

TEST(ArithmeticError, CarriesItsFaultAndAMessage) {
    const ArithmeticError error(ArithmeticFault::FloatOverflow);
    EXPECT_EQ(error.fault(), ArithmeticFault::FloatOverflow);
    EXPECT_NE(std::string(error.what()),
              std::string(ArithmeticError(ArithmeticFault::IntegerOverflow).what()));
}

} // namespace
} // namespace cutshape::core

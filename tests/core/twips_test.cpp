#include "core/arithmetic_error.h"
#include "core/twips.h"

#include <cfenv>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace cutshape::core {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The fault `call` throws, or "none".
template <class Call>
std::string faultOf(Call call) {
    try {
        call();
    } catch (const ArithmeticError& error) {
        switch (error.fault()) {
        case ArithmeticFault::DivisionByZero:
            return "DivisionByZero";
        case ArithmeticFault::InvalidOperation:
            return "InvalidOperation";
        case ArithmeticFault::FloatOverflow:
            return "FloatOverflow";
        case ArithmeticFault::IntegerOverflow:
            return "IntegerOverflow";
        }
    }
    return "none";
}

TEST(RoundToInt32, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundToInt32(7.5), 8);
    EXPECT_EQ(roundToInt32(6.5), 6);
    EXPECT_EQ(roundToInt32(0.5), 0);
    EXPECT_EQ(roundToInt32(1.5), 2);
    EXPECT_EQ(roundToInt32(-0.5), 0);
    EXPECT_EQ(roundToInt32(-1.5), -2);
    EXPECT_EQ(roundToInt32(-2.5), -2);
    EXPECT_EQ(roundToInt32(-3.5), -4);
}

TEST(RoundToInt32, NonTiesGoToTheNearestInteger) {
    EXPECT_EQ(roundToInt32(2.4999999), 2);
    EXPECT_EQ(roundToInt32(2.5000001), 3);
    EXPECT_EQ(roundToInt32(-2.5000001), -3);
    EXPECT_EQ(roundToInt32(-2.4999999), -2);
    EXPECT_EQ(roundToInt32(0.49999999999999994), 0);
    EXPECT_EQ(roundToInt32(1e9 + 0.75), 1000000001);
}

TEST(RoundToInt32, IgnoresTheThreadRoundingMode) {
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        EXPECT_EQ(roundToInt32(6.5), 6) << "mode " << mode;
        EXPECT_EQ(roundToInt32(7.5), 8) << "mode " << mode;
        EXPECT_EQ(roundToInt32(-2.5), -2) << "mode " << mode;
        EXPECT_EQ(roundToInt32(2.4), 2) << "mode " << mode;
        EXPECT_EQ(roundToInt32(-2.6), -3) << "mode " << mode;
        EXPECT_EQ(twipsToPixels(97.5f, 15.0f), 6) << "mode " << mode;
    }
    std::fesetround(saved);
}

TEST(RoundToInt32, Int32Boundaries) {
    EXPECT_EQ(roundToInt32(2147483647.0), kMax);
    EXPECT_EQ(roundToInt32(2147483647.4), kMax);
    EXPECT_EQ(faultOf([] { roundToInt32(2147483647.5); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { roundToInt32(2147483648.0); }), "IntegerOverflow");
    EXPECT_EQ(roundToInt32(-2147483648.0), kMin);
    EXPECT_EQ(roundToInt32(-2147483648.5), kMin); // the tie goes to the even minimum
    EXPECT_EQ(faultOf([] { roundToInt32(-2147483648.75); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { roundToInt32(-2147483649.0); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { roundToInt32(1e300); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { roundToInt32(std::numeric_limits<double>::infinity()); }),
              "IntegerOverflow");
    EXPECT_EQ(faultOf([] { roundToInt32(-std::numeric_limits<double>::infinity()); }),
              "IntegerOverflow");
}

TEST(RoundToInt32, NaNIsInvalid) {
    EXPECT_EQ(faultOf([] { roundToInt32(std::numeric_limits<double>::quiet_NaN()); }),
              "InvalidOperation");
}

TEST(TwipsToPixels, RoundsTheQuotientTiesToEven) {
    EXPECT_EQ(twipsToPixels(112.5f, 15.0f), 8); // 7.5
    EXPECT_EQ(twipsToPixels(97.5f, 15.0f), 6);  // 6.5
    EXPECT_EQ(twipsToPixels(1440.0f, 15.0f), 96);
    EXPECT_EQ(twipsToPixels(-112.5f, 15.0f), -8);
    EXPECT_EQ(twipsToPixels(112.5f, -15.0f), -8);
    EXPECT_EQ(twipsToPixels(0.0f, 15.0f), 0);
    EXPECT_EQ(twipsToPixels(1000.0f, kInf), 0);
}

TEST(ScaledFromPictureDpi, IsTheTwipsOfTheBitmapPixelsRoundedAsAnyLength) {
    struct Case {
        std::int32_t pixels;
        int dpi;
        std::int32_t expected;
    };
    for (const Case& c :
         {Case{240, 96, 240}, Case{240, 120, 300}, Case{240, 144, 360}, Case{240, 192, 480},
          Case{211, 144, 316} /* 316.5 */, Case{157, 144, 236} /* 235.5 */,
          Case{5, 120, 6} /* 6.25 */, Case{0, 144, 0}})
        EXPECT_EQ(scaledFromPictureDpi(c.pixels, c.dpi), c.expected)
            << c.pixels << " px at " << c.dpi << " dpi";
}

TEST(TwipsToPixels, DividesInDoublePrecision) {
    // Both quotients lie just above a tie; rounded to single precision first they would land
    // on the tie and go to the even neighbour below.
    EXPECT_EQ(twipsToPixels(15728648.0f, 15.0f), 1048577);  // 1048576.5333...
    EXPECT_EQ(twipsToPixels(329737.0f, 26.458334f), 12463); // 12462.50049...
}

TEST(TwipsToPixels, DivisionFaults) {
    EXPECT_EQ(faultOf([] { twipsToPixels(1.0f, 0.0f); }), "DivisionByZero");
    EXPECT_EQ(faultOf([] { twipsToPixels(-1.0f, -0.0f); }), "DivisionByZero");
    EXPECT_EQ(faultOf([] { twipsToPixels(0.0f, 0.0f); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(-0.0f, 0.0f); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(kInf, kInf); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(-kInf, kInf); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(kNaN, 15.0f); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(15.0f, kNaN); }), "InvalidOperation");
    EXPECT_EQ(faultOf([] { twipsToPixels(kNaN, 0.0f); }), "InvalidOperation");
}

TEST(TwipsToPixels, OverflowFaults) {
    EXPECT_EQ(faultOf([] { twipsToPixels(3e38f, 1e-38f); }), "FloatOverflow");
    EXPECT_EQ(faultOf([] { twipsToPixels(-3e38f, 1e-38f); }), "FloatOverflow");
    EXPECT_EQ(faultOf([] { twipsToPixels(kInf, 15.0f); }), "FloatOverflow");
    EXPECT_EQ(faultOf([] { twipsToPixels(-kInf, 15.0f); }), "FloatOverflow");
    EXPECT_EQ(faultOf([] { twipsToPixels(kInf, 0.0f); }), "FloatOverflow");
    // Finite as a single, too large for 32 bits.
    EXPECT_EQ(faultOf([] { twipsToPixels(1e30f, 1.0f); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { twipsToPixels(3e38f, 1.0f); }), "IntegerOverflow");
}

TEST(TwipsToPixels, Int32Boundaries) {
    // 2^31 - 128 is the largest single below 2^31.
    EXPECT_EQ(twipsToPixels(2147483520.0f, 1.0f), 2147483520);
    EXPECT_EQ(faultOf([] { twipsToPixels(2147483648.0f, 1.0f); }), "IntegerOverflow");
    EXPECT_EQ(twipsToPixels(-2147483648.0f, 1.0f), kMin);
    EXPECT_EQ(faultOf([] { twipsToPixels(-2147483904.0f, 1.0f); }), "IntegerOverflow");
    EXPECT_EQ(twipsToPixels(4294967040.0f, 2.0f), 2147483520);
}

TEST(CheckedAdd, DetectsOverflowInBothDirections) {
    EXPECT_EQ(checkedAdd(100, -200), -100);
    EXPECT_EQ(checkedAdd(kMax, 0), kMax);
    EXPECT_EQ(checkedAdd(kMax, kMin), -1);
    EXPECT_EQ(checkedAdd(kMax - 5, 5), kMax);
    EXPECT_EQ(checkedAdd(kMin + 5, -5), kMin);
    EXPECT_EQ(faultOf([] { checkedAdd(kMax, 1); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { checkedAdd(kMin, -1); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { checkedAdd(kMax, kMax); }), "IntegerOverflow");
    EXPECT_EQ(faultOf([] { checkedAdd(kMin, kMin); }), "IntegerOverflow");
}

TEST(ArithmeticError, CarriesItsFaultAndAMessage) {
    const ArithmeticError error(ArithmeticFault::FloatOverflow);
    EXPECT_EQ(error.fault(), ArithmeticFault::FloatOverflow);
    EXPECT_NE(std::string(error.what()),
              std::string(ArithmeticError(ArithmeticFault::IntegerOverflow).what()));
}

} // namespace
} // namespace cutshape::core

#include "forms/decimal_number.h"
#include "forms/form_description.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace cutshape::forms {
namespace {

TEST(DecimalNumber, ReadsPlainDecimalsExactly) {
    EXPECT_EQ(parseDecimal("4680"), 4680.0f);
    EXPECT_EQ(parseDecimal("-3180.75"), -3180.75f);
    EXPECT_EQ(parseDecimal("0.1"), 0.1f);             // the nearest float, as a compiler reads it
    EXPECT_EQ(parseDecimal("16777217"), 16777216.0f); // halfway between two: the even one
}

TEST(DecimalNumber, RejectsEverythingButOneDecimal) {
    for (const char* text : {"", "-", ".", "1e3", "0x10", "+5", " 5", "5 ", "4680x", "1,5", "inf",
                             "-inf", "nan", "infinity", "1e39", "--1", "1.2.3"})
        EXPECT_EQ(parseDecimal(text), std::nullopt) << "'" << text << "'";
    // Finite decimals too large for a float are out of range.
    EXPECT_EQ(parseDecimal(std::string(40, '9')), std::nullopt);
}

// A locale whose decimal separator is a comma, for the duration of a test.
class CommaLocale {
public:
    CommaLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "German"})
            if (std::setlocale(LC_NUMERIC, name) &&
                std::string(std::localeconv()->decimal_point) == ",") {
                active_ = true;
                return;
            }
        std::setlocale(LC_NUMERIC, previous_.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const noexcept { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// strtof and stof read "0.5" as 0 under such a locale.
TEST(DecimalNumber, ReadsTheSameUnderACommaLocale) {
    const CommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma is available (the native test suite "
                        "makes de_DE.UTF-8 with localedef)";
    ASSERT_EQ(std::stof("0.5"), 0.0f) << "the locale does not change what stof reads";
    EXPECT_EQ(parseDecimal("0.5"), 0.5f);
    EXPECT_EQ(parseDecimal("1,5"), std::nullopt);
    const FormDescription form = parseFormDescription(
        "form f\ncontrol c activex\n  class-name \"x.y\"\n  position 915.5 1185 540 540\n"
        "  stored ratio single 0.75\n",
        "test.form");
    EXPECT_EQ(form.controls[0].position->left, 915.5f);
    EXPECT_EQ(form.controls[0].stored[0].single, 0.75f);
}

} // namespace
} // namespace cutshape::forms

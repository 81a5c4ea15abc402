#include "core/FrequencyText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <iomanip>
#include <limits>

#include "core/TextValue.h"

namespace keyrelay {
namespace {

struct FrequencyCase {
    double value;
    const char* text;
};

void PrintTo(const FrequencyCase& c, std::ostream* os) {
    *os << std::setprecision(17) << c.value << " -> " << c.text;
}

class FrequencyTextOf : public ::testing::TestWithParam<FrequencyCase> {};

TEST_P(FrequencyTextOf, WritesAPlainDecimalOfFifteenDigits) {
    EXPECT_EQ(FrequencyText::of(GetParam().value), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FrequencyTextOf,
    ::testing::Values(
        FrequencyCase{14000, "14000"}, FrequencyCase{14000.5, "14000.5"},
        FrequencyCase{7000.025, "7000.025"}, FrequencyCase{0.5, "0.5"}, FrequencyCase{1, "1"},
        FrequencyCase{10, "10"}, FrequencyCase{100000, "100000"}, FrequencyCase{0.1, "0.1"},
        FrequencyCase{0.1 + 0.2, "0.3"}, FrequencyCase{-14000.5, "-14000.5"},
        FrequencyCase{-1, "-1"}, FrequencyCase{-0.0, "0"}, FrequencyCase{0, "0"},
        // Whole numbers at and beyond 15 digits: rounded there, no exponent
        FrequencyCase{1e15, "1000000000000000"}, FrequencyCase{123456789012345, "123456789012345"},
        FrequencyCase{1234567890123456, "1234567890123460"},
        FrequencyCase{1e20, "100000000000000000000"},
        FrequencyCase{1.5e20, "150000000000000000000"},
        // Tiny values: leading zeros instead of an exponent
        FrequencyCase{1e-5, "0.00001"}, FrequencyCase{1.25e-7, "0.000000125"},
        FrequencyCase{-1e-5, "-0.00001"}, FrequencyCase{1e-20, "0.00000000000000000001"},
        // Rounded to 15 significant digits
        FrequencyCase{1.0 / 3, "0.333333333333333"}, FrequencyCase{2.0 / 3, "0.666666666666667"},
        FrequencyCase{14000.123456789012, "14000.123456789"},
        FrequencyCase{9.999999999999999, "10"}, FrequencyCase{0.9999999999999999, "1"},
        // Nothing that is not a number gets into a command
        FrequencyCase{std::numeric_limits<double>::quiet_NaN(), "0"},
        FrequencyCase{std::numeric_limits<double>::infinity(), "0"},
        FrequencyCase{-std::numeric_limits<double>::infinity(), "0"}));

TEST(FrequencyText, AccumulatedStepsDoNotShowTheirBinaryRest) {
    double offset = 0;
    for (int i = 0; i < 3; ++i) {
        offset += 0.1;
    }
    EXPECT_EQ(FrequencyText::of(14000 + offset), QStringLiteral("14000.3"));

    // A long sweep in 0.1 kHz steps keeps showing clean frequencies.
    offset = 0;
    for (int i = 1; i <= 5000; ++i) {
        offset += 0.1;
        const QString expected = i % 10 == 0
                                     ? QString::number(14000 + i / 10)
                                     : QStringLiteral("%1.%2").arg(14000 + i / 10).arg(i % 10);
        ASSERT_EQ(FrequencyText::of(14000 + offset), expected) << "step " << i;
    }
}

TEST(FrequencyText, ReadsBackToTheSameValueAtFifteenDigits) {
    for (double v : {14000.3, 7025.125, 0.001, 1e-9, 3.14159265358979, 1e17, -50.5}) {
        EXPECT_DOUBLE_EQ(TextValue::numeric(FrequencyText::of(v)), v) << v;
    }
}

}  // namespace
}  // namespace keyrelay

#include "core/FrequencyText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>

namespace keyrelay {
namespace {

// A sweep adds its step to an offset again and again; 0.1 has no exact binary form.
double tenths(int steps) {
    return steps == 0 ? 0 : tenths(steps - 1) + 0.1;
}

TEST(FrequencyText, WritesAPlainDecimalRoundedToFifteenDigits) {
    using Case = std::pair<double, const char*>;
    const Case cases[] = {
        Case{14000, "14000"}, Case{14000.5, "14000.5"}, Case{7000.025, "7000.025"},
        Case{-14000.5, "-14000.5"}, Case{-0.0, "0"}, Case{2.0 / 3, "0.666666666666667"},
        Case{9.999999999999999, "10"}, Case{14000.123456789012, "14000.123456789"},
        Case{14000 + tenths(3), "14000.3"}, Case{14000 + tenths(4999), "14499.9"},
        Case{14000 + tenths(5000), "14500"}, Case{0.1 + 0.2, "0.3"},
        // Beyond 15 digits and below one: zeros, no exponent; no number at all: 0
        Case{1234567890123456, "1234567890123460"}, Case{1.5e20, "150000000000000000000"},
        Case{1.25e-7, "0.000000125"}, Case{-1e-5, "-0.00001"}, Case{NAN, "0"}, Case{HUGE_VAL, "0"},
        Case{-HUGE_VAL, "0"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FrequencyText::of(value), QLatin1String(text)) << std::setprecision(17) << value;
    }
}

}  // namespace
}  // namespace keyrelay

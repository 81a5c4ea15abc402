#include "core/TextValue.h"

#include <gtest/gtest.h>

#include "fakes/TestText.h"

#include <cstdio>
#include <iomanip>
#include <ostream>
#include <string>

#include <cmath>
#include <optional>

namespace keyrelay {
namespace {

using test::TestText;

struct NumericCase {
    const char* text;
    double value;
};

void PrintTo(const NumericCase& c, std::ostream* os) {
    *os << TestText::shown(c.text);
}

class NumericValue : public ::testing::TestWithParam<NumericCase> {};

TEST_P(NumericValue, ReadsTheLeadingNumber) {
    const NumericCase& c = GetParam();
    const double value = TextValue::numeric(QString::fromLatin1(c.text));
    EXPECT_DOUBLE_EQ(value, c.value) << "text: \"" << c.text << "\"";
    EXPECT_FALSE(std::signbit(value) && value == 0) << "negative zero for \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumericValue,
    ::testing::Values(
        // What users type into the sweep table
        NumericCase{"14000", 14000}, NumericCase{"30*", 30}, NumericCase{"14,000", 14},
        NumericCase{"1 4000", 14000}, NumericCase{"  7300  ", 7300}, NumericCase{"0.5", 0.5},
        NumericCase{".5", 0.5}, NumericCase{"-.5", -0.5}, NumericCase{"- 5", -5},
        NumericCase{"+5", 5}, NumericCase{"1.", 1}, NumericCase{"1.2.3", 1.2},
        NumericCase{"007", 7}, NumericCase{"14025.75kHz", 14025.75},
        // Blanks, tabs and line feeds anywhere do not count; other characters end the number
        NumericCase{"1\t4\n0 0 0", 14000}, NumericCase{"\t\n 12", 12}, NumericCase{"1\r2", 1},
        NumericCase{"1\xA0"
                    "2",
                    1},
        // Nothing that starts a number
        NumericCase{"", 0}, NumericCase{"   ", 0}, NumericCase{"+", 0}, NumericCase{"-", 0},
        NumericCase{".", 0}, NumericCase{"-.", 0}, NumericCase{"abc", 0}, NumericCase{"*30", 0},
        NumericCase{"--5", 0}, NumericCase{"+-5", 0}, NumericCase{"-0", 0}, NumericCase{"e5", 0},
        // Exponents with E or D; a letter without digits is not an exponent
        NumericCase{"1D3", 1000}, NumericCase{"1d3", 1000}, NumericCase{"1E3", 1000},
        NumericCase{"2.5e-1", 0.25}, NumericCase{"1e+2", 100}, NumericCase{"1e", 1},
        NumericCase{"1e+", 1}, NumericCase{"1e-x", 1}, NumericCase{"1.e2", 100},
        NumericCase{"1e 2", 100}, NumericCase{"1e2.5", 100},
        // Hexadecimal and octal
        NumericCase{"&H1F", 31}, NumericCase{"&h1f", 31}, NumericCase{"& H 1F", 31},
        NumericCase{"&O17", 15}, NumericCase{"&o17", 15}, NumericCase{"&O19", 1},
        NumericCase{"&H", 0}, NumericCase{"&HG", 0}, NumericCase{"&", 0}, NumericCase{"&X1", 0},
        NumericCase{"-&H10", 0},
        // Too large to be represented, or vanishingly small
        NumericCase{"1e999", 0}, NumericCase{"-1e999", 0}, NumericCase{"1e-999", 0},
        NumericCase{"1e308", 1e308}));

TEST(NumericValue, CharactersOutsideLatin1EndTheNumber) {
    EXPECT_EQ(TextValue::numeric(QStringLiteral("12\u20AC3")), 12);
    EXPECT_EQ(TextValue::numeric(QStringLiteral("\u00A0"
                                                "12")),
              0);  // a no-break space counts
}

TEST(NumericValue, ReadsLongDigitStringsAccurately) {
    EXPECT_EQ(TextValue::numeric(QStringLiteral("14000.1")), 14000.1);
    EXPECT_EQ(TextValue::numeric(QStringLiteral("0.1")), 0.1);
    EXPECT_EQ(TextValue::numeric(QStringLiteral("123456789012345678901234567890")),
              123456789012345678901234567890.0);
    EXPECT_EQ(TextValue::numeric(QString(400, QLatin1Char('9'))), 0);  // above the largest double
}

struct RoundCase {
    double value;
    double rounded;
};

void PrintTo(const RoundCase& c, std::ostream* os) {
    *os << std::setprecision(17) << c.value;
}

class RoundHalfEven : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const double r = TextValue::roundHalfEven(GetParam().value);
    EXPECT_EQ(r, GetParam().rounded) << GetParam().value;
    EXPECT_FALSE(std::signbit(r) && r == 0) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundHalfEven,
    ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2}, RoundCase{3.5, 4},
                      RoundCase{-0.5, 0}, RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                      RoundCase{0.49999999999999994, 0}, RoundCase{0.5000000000000001, 1},
                      RoundCase{1.4, 1}, RoundCase{1.6, 2}, RoundCase{-1.6, -2}, RoundCase{-0.4, 0},
                      RoundCase{4503599627370497.0, 4503599627370497.0}, RoundCase{0, 0}));

struct CheckBoxCase {
    const char* text;
    std::optional<int> value;
};

void PrintTo(const CheckBoxCase& c, std::ostream* os) {
    *os << TestText::shown(c.text);
}

class CheckBoxValue : public ::testing::TestWithParam<CheckBoxCase> {};

TEST_P(CheckBoxValue, AcceptsOnlyValuesThatRoundToZeroOrOne) {
    EXPECT_EQ(TextValue::checkBoxValue(QString::fromLatin1(GetParam().text)), GetParam().value)
        << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Lines, CheckBoxValue,
                         ::testing::Values(CheckBoxCase{" 1 ", 1}, CheckBoxCase{"1", 1},
                                           CheckBoxCase{"1.0", 1}, CheckBoxCase{" 0 ", 0},
                                           CheckBoxCase{"0.5", 0}, CheckBoxCase{"1.5", {}},
                                           CheckBoxCase{"0.51", 1}, CheckBoxCase{"2", {}},
                                           CheckBoxCase{"-1", {}}, CheckBoxCase{"-0.4", 0},
                                           CheckBoxCase{"abc", 0}, CheckBoxCase{"", 0},
                                           CheckBoxCase{"TRUE", 0}, CheckBoxCase{"1e999", 0}));

TEST(SettingsNumber, PutsABlankBeforeNonNegativeNumbersAndOneAfterEveryNumber) {
    EXPECT_EQ(TextValue::settingsNumber(1), QStringLiteral(" 1 "));
    EXPECT_EQ(TextValue::settingsNumber(0), QStringLiteral(" 0 "));
    EXPECT_EQ(TextValue::settingsNumber(-3), QStringLiteral("-3 "));
    EXPECT_EQ(TextValue::settingsNumber(7300), QStringLiteral(" 7300 "));
    for (long long v : {0LL, 1LL, -1LL, 32767LL, -32768LL}) {
        EXPECT_EQ(TextValue::numeric(TextValue::settingsNumber(v)), static_cast<double>(v));
    }
}

}  // namespace
}  // namespace keyrelay

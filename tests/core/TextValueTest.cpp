#include "core/TextValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace keyrelay {
namespace {

TEST(TextValue, NumericReadsTheLeadingNumber) {
    using Case = std::pair<const char16_t*, double>;
    const Case cases[] = {
        // What users type into the sweep table: blanks, tabs and line feeds do not count
        Case{u"14000", 14000}, Case{u"30*", 30}, Case{u"14,000", 14}, Case{u"1\t4\n0 0", 1400},
        Case{u".5", 0.5}, Case{u"- .5", -0.5}, Case{u"+5", 5}, Case{u"1.2.3", 1.2},
        Case{u"14025.75kHz", 14025.75}, Case{u"1\r2", 1}, Case{u"1\u00A02", 1},
        Case{u"12\u20AC3", 12}, Case{u"14000.1", 14000.1},
        Case{u"1234567890123456789012", 1234567890123456789012.0},
        // Nothing that starts a number, and no negative zero
        Case{u"", 0}, Case{u"+", 0}, Case{u"-.", 0}, Case{u"abc", 0}, Case{u"--5", 0},
        Case{u"-0", 0}, Case{u"e5", 0},
        // Exponents with E or D; a letter without digits is none
        Case{u"1D3", 1000}, Case{u"1d3", 1000}, Case{u"2.5e-1", 0.25}, Case{u"1e+2", 100},
        Case{u"1e", 1}, Case{u"1e-x", 1}, Case{u"1e2.5", 100},
        // Hexadecimal and octal
        Case{u"&H1F", 31}, Case{u"& h 1f", 31}, Case{u"&o179", 15}, Case{u"&H", 0},
        Case{u"&H1G", 1}, Case{u"&X1", 0}, Case{u"-&H10", 0},
        // Too large or too small to be represented
        Case{u"1e999", 0}, Case{u"-1e999", 0}, Case{u"1e-999", 0}, Case{u"1e308", 1e308}};
    for (const auto& [text, expected] : cases) {
        const double value = TextValue::numeric(QString::fromUtf16(text));
        EXPECT_EQ(value, expected) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(std::signbit(value), std::signbit(expected)) << value;
    }
}

TEST(TextValue, RoundsHalvesToTheEvenNeighbour) {
    using Case = std::pair<double, double>;
    for (const Case& c :
         {Case{0.5, 0}, Case{1.5, 2}, Case{2.5, 2}, Case{-0.5, 0}, Case{-1.5, -2}, Case{-2.5, -2},
          Case{1.6, 2}, Case{-0.4, 0}, Case{0.49999999999999994, 0}, Case{0.5000000000000001, 1},
          Case{4503599627370497.0, 4503599627370497.0}}) {
        const double r = TextValue::roundHalfEven(c.first);
        EXPECT_EQ(r, c.second) << c.first;
        EXPECT_EQ(std::signbit(r), std::signbit(c.second)) << c.first;
    }
}

TEST(TextValue, CheckBoxTakesOnlyValuesThatRoundToZeroOrOne) {
    using Case = std::pair<const char*, std::optional<int>>;
    for (const Case& c :
         {Case{" 1 ", 1}, Case{"0.5", 0}, Case{"0.51", 1}, Case{"1.5", {}}, Case{"2", {}},
          Case{"-1", {}}, Case{"-0.4", 0}, Case{"abc", 0}, Case{"1e999", 0}}) {
        EXPECT_EQ(TextValue::checkBoxValue(QString::fromLatin1(c.first)), c.second) << c.first;
    }
}

TEST(TextValue, SettingsNumbersHaveABlankBeforeNonNegativesAndOneAfter) {
    EXPECT_EQ(TextValue::settingsNumber(7300), u" 7300 "_qs);
    EXPECT_EQ(TextValue::settingsNumber(-3), u"-3 "_qs);
}

}  // namespace
}  // namespace keyrelay

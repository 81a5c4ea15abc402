#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace keyrelay {

// How the program reads numbers that users type and that settings files hold.
class TextValue {
public:
    // The numeric value of a text: blanks, tabs and line feeds anywhere are ignored; then
    // the longest leading number is taken (optional sign, digits with at most one "." as
    // the decimal point, optional exponent with E or D, or "&H"/"&O" followed by
    // hexadecimal/octal digits). 0 when the text does not begin with a number, and also
    // when the number is too large to be represented.
    //   "30*" -> 30, "14,000" -> 14, "1 4000" -> 14000, "&H1F" -> 31, "1D3" -> 1000, "" -> 0
    static double numeric(QStringView text);

    // Rounds to the nearest whole number, halves to the even one (0.5 -> 0, 1.5 -> 2).
    static double roundHalfEven(double value);

    // A check box value read from a settings line: the numeric value rounded half to
    // even. Nothing when the result is not 0 or 1 (the reader then stops at that line).
    static std::optional<int> checkBoxValue(QStringView text);

    // A number as the settings files write it: a blank before a non-negative number and
    // one blank after it (" 1 ", "-3 ").
    static QString settingsNumber(long long value);
};

}  // namespace keyrelay

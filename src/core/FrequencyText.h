#pragma once

#include <QString>

namespace keyrelay {

// Frequencies as the program shows and sends them.
class FrequencyText {
public:
    // Plain decimal text rounded to 15 significant digits: no blanks, "." as the decimal
    // point, no thousands separators, no exponent, no trailing zeros and no decimal point
    // for a whole number. 14000 -> "14000"; 14000 + 3 * 0.1 -> "14000.3"; -0 -> "0".
    // Not-a-number and infinities give "0".
    static QString of(double value);
};

}  // namespace keyrelay

#include "core/FrequencyText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace keyrelay {

QString FrequencyText::of(double value) {
    if (!std::isfinite(value) || value == 0) {
        return QStringLiteral("0");
    }

    // 15 significant digits in scientific form, "d.dddddddddddddde±x", from the shortest
    // correctly rounded conversion; the plain decimal form is then built from the digits,
    // so no locale and no exponent form can get into the text.
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    if (ec != std::errc()) {
        return QStringLiteral("0");
    }
    const std::string text(buffer, end);

    const bool negative = text.front() == '-';
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
        if (text[i] != '.') {
            digits.push_back(text[i]);
        }
    }
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    // digits = d1 d2 ... dn, value = 0.d1d2...dn x 10^(exponent + 1)
    const int pointAfter = exponent + 1;  // digits before the decimal point
    const int count = static_cast<int>(digits.size());
    std::string out = negative ? "-" : "";
    if (pointAfter <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-pointAfter), '0');
        out += digits;
    } else if (pointAfter >= count) {
        out += digits;
        out.append(static_cast<std::size_t>(pointAfter - count), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(pointAfter));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(pointAfter));
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace keyrelay

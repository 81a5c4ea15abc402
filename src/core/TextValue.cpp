#include "core/TextValue.h"

#include <charconv>
#include <cmath>
#include <string>

namespace keyrelay {

namespace {

bool isIgnored(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

// The text without the characters that do not count, as Latin-1 bytes. Anything outside
// Latin-1 cannot be part of a number, so the '?' it turns into ends the number just as well.
std::string compacted(QStringView text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        if (!isIgnored(c)) {
            out.push_back(c.unicode() < 0x100 ? static_cast<char>(c.unicode()) : '?');
        }
    }
    return out;
}

// "&H1F" / "&O17": the value of the digits after the prefix (none: 0).
double radixValue(const std::string& s, int radix) {
    double value = 0;
    for (std::size_t i = 2; i < s.size(); ++i) {
        const int d = digitValue(s[i]);
        if (d >= radix) {
            break;
        }
        value = value * radix + d;
    }
    return std::isfinite(value) ? value : 0;
}

}  // namespace

double TextValue::numeric(QStringView text) {
    const std::string s = compacted(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') {
            return radixValue(s, 16);
        }
        if (s[1] == 'O' || s[1] == 'o') {
            return radixValue(s, 8);
        }
        return 0;
    }

    // The longest leading decimal number, rewritten in the form from_chars reads:
    // [-]digits[.digits][e[-]digits].
    std::string number;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') {
            number.push_back('-');
        }
        ++i;
    }
    bool anyDigit = false;
    number.push_back('0');  // so that ".5" becomes "0.5"
    while (i < s.size() && isDigit(s[i])) {
        number.push_back(s[i++]);
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back('.');
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            number.push_back(s[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0;
    }
    // An exponent counts only when digits follow its letter (and optional sign).
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            if (s[j] == '-') {
                exponent.push_back('-');
            }
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                exponent.push_back(s[j++]);
            }
            number += exponent;
        }
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    (void)end;
    if (ec != std::errc() || !std::isfinite(value)) {
        // Too large (or too small) to be represented.
        return 0;
    }
    return value == 0 ? 0.0 : value;  // no "-0"
}

double TextValue::roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result;
    if (fraction < 0.5) {
        result = lower;
    } else if (fraction > 0.5) {
        result = lower + 1;
    } else {
        result = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    }
    return result == 0 ? 0.0 : result;
}

std::optional<int> TextValue::checkBoxValue(QStringView text) {
    const double rounded = roundHalfEven(numeric(text));
    if (rounded == 0) {
        return 0;
    }
    if (rounded == 1) {
        return 1;
    }
    return std::nullopt;
}

QString TextValue::settingsNumber(long long value) {
    const QString digits = QString::number(value);
    return value >= 0 ? QLatin1Char(' ') + digits + QLatin1Char(' ') : digits + QLatin1Char(' ');
}

}  // namespace keyrelay

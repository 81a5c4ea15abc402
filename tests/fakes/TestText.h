#pragma once

#include <cstdio>
#include <string>

namespace keyrelay::test {

// How table-driven tests show their input texts in names and failure messages.
class TestText {
public:
    // The text in quotes with its control and non-ASCII bytes escaped ("\x0A").
    static std::string shown(const char* text) {
        std::string out = "\"";
        for (const char* p = text; *p; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
        return out + "\"";
    }
};

}  // namespace keyrelay::test

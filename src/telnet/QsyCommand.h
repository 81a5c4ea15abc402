#pragma once

#include <QString>

namespace keyrelay {

// The frequency command the decoder's telnet server takes.
class QsyCommand {
public:
    static constexpr const char* Prefix = "SKIMMER/QSY ";

    // "SKIMMER/QSY " followed by the frequency as plain decimal text rounded to 15
    // significant digits (kHz, as the user typed it in the table): 14000 ->
    // "SKIMMER/QSY 14000", 14000 + 3 * 0.1 -> "SKIMMER/QSY 14000.3". No line end: the
    // telnet connection adds CR LF when it sends.
    static QString of(double kHz);
};

}  // namespace keyrelay

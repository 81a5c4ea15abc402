#pragma once

#include <QStringView>

namespace keyrelay {

// What a chunk of text from the decoder's telnet server is. A chunk is what one arrival
// delivers: part of a line, one line or several lines; it is judged whole, not by lines.
class TelnetChunk {
public:
    enum class Kind {
        LoginPrompt,  // asks for a callsign: answered with "NOCALL"
        Spot,         // a "DX de ..." spot line: may hold the sweep on its frequency
        ClickReport,  // acknowledges a frequency change ("Clicked on ...")
        Other,        // shown and otherwise ignored
    };

    // Tests the upper-cased chunk for plain substrings, first match wins:
    // "CALLSIGN" -> LoginPrompt, "DX " (with the blank) -> Spot, "CLICKED" -> ClickReport,
    // anything else -> Other. So a chunk holding a prompt and a spot is only a prompt, and
    // one holding a spot and a click report is only a spot.
    static Kind classify(QStringView chunk);
};

}  // namespace keyrelay

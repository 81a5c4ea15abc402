#pragma once

#include <QString>

namespace keyrelay {

// The text of the read-only terminal: what it keeps and how it shows it.
class TerminalText {
public:
    // Below this many characters a chunk is added whole.
    static constexpr int Limit = 2000;
    // The text never holds more than this: only its newest characters are kept, a line
    // longer than that only by its end. Far more than the rule below keeps from a decoder's
    // short lines, and little enough to lay out at every arrival of a flood.
    static constexpr qsizetype MaxKept = 8 * 1024;

    // `text` with one received `chunk` added, then a line feed. Below the limit nothing is
    // removed; at or above it the first (chunk length - 1) characters go, so the text
    // stays near the limit and grows by two characters per arrival once past it (a
    // 10-character chunk on 1999 characters adds 11; the next one removes 9 and adds 11).
    // Then only the last MaxKept characters stay.
    static QString appended(const QString& text, const QString& chunk);

    // How the terminal draws `text`: CR LF, a lone CR and a lone LF each end a line,
    // except that the line feed added after a chunk that already ended its line does not
    // start an empty one.
    static QString shown(const QString& text);
};

}  // namespace keyrelay

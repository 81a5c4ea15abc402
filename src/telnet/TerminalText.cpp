#include "telnet/TerminalText.h"

#include <algorithm>

namespace keyrelay {

QString TerminalText::appended(const QString& text, const QString& chunk) {
    const QChar lineFeed(10);
    if (text.size() < Limit) {
        return text + chunk + lineFeed;
    }
    // An empty chunk removes nothing.
    const qsizetype removed = std::max<qsizetype>(chunk.size() - 1, 0);
    return text.mid(removed) + chunk + lineFeed;
}

QString TerminalText::shown(const QString& text) {
    QString out;
    out.reserve(text.size());
    const QChar cr(13);
    const QChar lf(10);
    bool lineJustEnded = false;  // by a CR LF or a lone CR
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == cr) {
            out += lf;
            if (i + 1 < text.size() && text.at(i + 1) == lf) {
                ++i;
            }
            lineJustEnded = true;
            continue;
        }
        if (c == lf) {
            if (!lineJustEnded) {
                out += lf;
            }
            lineJustEnded = false;
            continue;
        }
        out += c;
        lineJustEnded = false;
    }
    return out;
}

}  // namespace keyrelay

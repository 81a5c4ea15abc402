#include "telnet/TerminalText.h"

#include <algorithm>

namespace keyrelay {

QString TerminalText::appended(const QString& text, const QString& chunk) {
    const QChar lineFeed(10);
    // A chunk's head beyond what is kept is never copied.
    const QStringView tail = QStringView(chunk).right(MaxKept);
    // An empty chunk removes nothing.
    const qsizetype removed = text.size() < Limit ? 0 : std::max<qsizetype>(chunk.size() - 1, 0);
    QString out = text.mid(removed);
    out.append(tail).append(lineFeed);
    if (out.size() > MaxKept) {
        out.remove(0, out.size() - MaxKept);
    }
    return out;
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

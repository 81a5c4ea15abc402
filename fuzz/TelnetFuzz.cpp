// Any bytes from the decoder's telnet server, cut into arrivals at each 0xFF byte: every
// arrival is classified and added to the terminal's text, which is then drawn.
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "telnet/TelnetChunk.h"
#include "telnet/TerminalText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace keyrelay;
    const QByteArrayView bytes(data, qsizetype(size));
    QString terminal;
    qsizetype from = 0;
    while (from <= bytes.size()) {
        qsizetype end = bytes.indexOf('\xff', from);
        if (end < 0) {
            end = bytes.size();
        }
        const QString chunk = QString::fromLatin1(bytes.sliced(from, end - from));
        TelnetChunk::classify(chunk);
        terminal = TerminalText::appended(terminal, chunk);
        TerminalText::shown(terminal);
        from = end + 1;
    }
    return 0;
}

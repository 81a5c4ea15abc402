#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

#include "platform/Clock.h"
#include "sweep/SweepSettings.h"

class QTcpSocket;

namespace keyrelay {

// The text that crosses the station link: tagged messages "&<tag><payload>////", simply
// joined, with no length, line end or escaping. Peers may be older copies of this program,
// so every message is written byte for byte as they expect it.
class LinkMessage {
public:
    static constexpr QStringView Terminator{u"////"};
    static constexpr QStringView Start{u"&START////"};
    static constexpr QStringView Stop{u"&STOP////"};
    static constexpr QStringView Send{u"&SEND////"};
    static constexpr QStringView KeepAliveProbe{u"&KA////"};
    static constexpr QStringView Ok{u"&OK////"};
    static constexpr QStringView End{u"&END////"};

    // Length of one send of a table message, and the pause before each send.
    static constexpr qsizetype ChunkLength = 1024;
    static constexpr std::int64_t ChunkPauseMs = 50;

    // The whole sweep table and the single fields that travel with it, in this order:
    // per row 0..7 "&S", "&E", "&I", "&D", "&ST", "&ET" (row digit and text; each only
    // when its text is not empty) and always "&IN" (row digit, 0 or 1, "IN"); then always
    // "&C", "&T", "&P", "&SU"; "&R" only when ReturnApp is not empty. Texts go exactly as
    // typed: a text that holds "////" cannot be carried.
    static QString composeTable(const SweepSettings& fields);

    // The server's keep-alive: "&KA", "Y" while its sweep runs (else "N"), the number of
    // connected clients, "////".
    static QString keepAlive(bool sweepRunning, int clientCount);

    // A command for the server's target program: "&X", the command, "////".
    static QString command(const QString& commandText);

    // Sends a table message in pieces of ChunkLength characters (a shorter text goes in
    // one piece), pausing ChunkPauseMs before each piece while the event loop runs. The
    // pieces go through `send`, which is asked anew for every piece, so a piece goes to
    // whatever socket the caller names at that moment.
    static void sendInChunks(const QString& text, Clock& clock,
                             const std::function<void(const QString&)>& send);

    // Writes a text as it stands, one byte per character (characters outside Latin-1 go
    // as "?"), with nothing added. Throws PlatformError (WrongState) when the socket is not
    // connected, or with the socket's own description when the write fails.
    static void write(QTcpSocket* socket, const QString& text);
    // Failure number of a request that the socket's state does not allow.
    static constexpr long WrongState = 40006;
};

}  // namespace keyrelay

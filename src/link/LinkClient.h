#pragma once

#include <QString>
#include <QTcpSocket>
#include <cstdint>

#include "platform/Clock.h"
#include "platform/PlatformError.h"

namespace keyrelay {

// Connecting the sweep window's client socket `Winsock2` to a link server, and the
// message a failed attempt shows.
class LinkClient {
public:
    // A closed socket is given this long before the new request, so the server has seen
    // the old connection go.
    static constexpr std::int64_t SettleMs = 2000;
    static constexpr std::int64_t ConnectWaitMs = 10000;
    static constexpr const char* Retry = " Wait a few seconds and try again";
    static constexpr const char* WrongStateText =
        "Unable to connect to maps. Make sure the remote app is started. If it is started "
        "try clicking the Clear button on the remote world map.";

    // Closes the socket, then waits SettleMs while the event loop runs.
    static void closeAndSettle(QTcpSocket& socket, Clock& clock);
    // Asks to connect to `host` on the port of `portText` and waits at most ConnectWaitMs
    // for the connection; true when it is made. A refused or unanswered request is not a
    // failure: it simply does not connect. Throws PlatformError for a port text that is
    // no port, and with LinkMessage::WrongState when the socket's state allows no request.
    static bool connectTo(QTcpSocket& socket, Clock& clock, const QString& host,
                          const QString& portText);
    // The message box of a connect that did not succeed; `failure` is the failure of a
    // step, null when the socket just did not connect in time.
    static QString failureMessage(const PlatformError* failure);
};

}  // namespace keyrelay

#include "link/LinkClient.h"

#include "link/LinkMessage.h"

namespace keyrelay {

void LinkClient::closeAndSettle(QTcpSocket& socket, Clock& clock) {
    socket.abort();
    clock.waitMs(SettleMs);
}

bool LinkClient::connectTo(QTcpSocket& socket, Clock& clock, const QString& host,
                           const QString& portText) {
    bool ok = false;
    const uint port = portText.trimmed().toUInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        throw PlatformError(errors::InvalidArgument,
                            "The port is not a number from 1 to 65535: " + portText.toStdString());
    }
    if (socket.state() != QAbstractSocket::UnconnectedState) {
        throw PlatformError(LinkMessage::WrongState, "The socket is not closed");
    }
    socket.connectToHost(host, static_cast<quint16>(port));
    return clock.waitFor([&socket] { return socket.state() == QAbstractSocket::ConnectedState; },
                         ConnectWaitMs);
}

QString LinkClient::failureMessage(const PlatformError* failure) {
    if (failure == nullptr) {
        return QString::fromLatin1(Retry);
    }
    if (failure->number() == LinkMessage::WrongState) {
        return QString::fromLatin1(WrongStateText);
    }
    return QString::fromStdString(failure->description()) + QString::fromLatin1(Retry);
}

}  // namespace keyrelay

#pragma once

#include <QHostAddress>
#include <QTcpServer>

namespace keyrelay::test {

// Ports on 127.0.0.1 for tests of connections.
class LoopbackPorts {
public:
    // A port on which nothing listens: one the system just handed out and took back.
    static quint16 closed() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }
};

}  // namespace keyrelay::test

#include "link/LinkServer.h"

#include <QHostAddress>
#include <cstdio>

#include "link/LinkMessage.h"
#include "link/LinkReader.h"
#include "platform/PlatformError.h"

namespace keyrelay {

LinkServer::LinkServer(ProgramState& state, Clock& clock, LinkTarget& window, LinkServerView& view,
                       QObject* parent)
    : QObject(parent),
      state_(state),
      clock_(clock),
      window_(window),
      view_(view),
      listener_(new QTcpServer(this)),
      sockets_(1) {
    connect(listener_, &QTcpServer::newConnection, this, &LinkServer::acceptPending);
}

LinkServer::~LinkServer() {
    clock_.stopTimer(timer_);
}

void LinkServer::startListening(const QString& portText) {
    listener_->close();
    bool ok = false;
    const uint port = portText.trimmed().toUInt(&ok);
    if (!ok || port > 65535) {
        throw PlatformError(errors::InvalidArgument,
                            "The port is not a number from 0 to 65535: " + portText.toStdString());
    }
    if (allowFolder_) {
        allowList_ = LinkAllowList::load(*allowFolder_);
        for (const QString& line : allowList_.skipped()) {
            if (!reported_.contains(line)) {
                reported_ << line;
                std::fprintf(stderr, "keyrelay: %s\n", line.toLocal8Bit().constData());
            }
        }
    }
    // Clients on other computers connect: every address of this one, unless the list says.
    const QHostAddress address = allowList_.listenAddress().isNull()
                                     ? QHostAddress(QHostAddress::Any)
                                     : allowList_.listenAddress();
    if (!listener_->listen(address, static_cast<quint16>(port))) {
        throw PlatformError(listener_->serverError(), listener_->errorString().toStdString());
    }
}

void LinkServer::restartListening(const QString& portText) {
    listener_->close();
    clock_.waitMs(RestartPauseMs);
    startListening(portText);
    clock_.waitMs(RestartSettleMs);
}

quint16 LinkServer::listeningPort() const {
    return listener_->isListening() ? listener_->serverPort() : 0;
}

void LinkServer::startSupervision() {
    clock_.stopTimer(timer_);
    timer_ = clock_.startTimer(KeepAliveIntervalMs, [this] { keepAliveTick(); });
}

QTcpSocket* LinkServer::socketAt(int index) const {
    if (index < 1 || index >= static_cast<int>(sockets_.size())) {
        return nullptr;
    }
    return sockets_[static_cast<std::size_t>(index)].data();
}

void LinkServer::acceptPending() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (const QHostAddress peer = socket->peerAddress(); !allowList_.allows(peer)) {
            socket->abort();
            socket->deleteLater();
            ++notAllowed_;
            view_.showStatus(QStringLiteral("Refused %1, not in %2 (%3 refused)")
                                 .arg(LinkAllowList::unmapped(peer).toString(),
                                      QString::fromLatin1(LinkAllowList::FileName))
                                 .arg(notAllowed_));
            continue;
        }
        if (state_.AcceptedCount >= MaxClients) {
            // No keep-alive entry is left for it: a client that is never supervised would
            // keep the server from ever resetting, so it is turned away at once.
            socket->abort();
            socket->deleteLater();
            view_.showStatus(QString::fromLatin1(Refused));
            continue;
        }
        const int index = ++state_.AcceptedCount;
        socket->setParent(this);
        socket->setReadBufferSize(MaxArrivalBytes);
        if (sockets_.size() <= static_cast<std::size_t>(index)) {
            sockets_.resize(static_cast<std::size_t>(index) + 1);
        }
        sockets_[static_cast<std::size_t>(index)] = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, index] { arrival(index); });
        connect(socket, &QTcpSocket::disconnected, this, [this, index] { closedByPeer(index); });
        view_.showAccepted(index);
        state_.KeepAliveAnswered[static_cast<std::size_t>(index)] = true;
    }
}

void LinkServer::arrival(int index) {
    state_.LastSenderIndex = static_cast<std::int16_t>(index);
    if (state_.ServerReceiveBusy) {
        return;  // looked at again when the running arrival ends
    }
    // Clients take turns: a client that never stops sending would otherwise be announced
    // again at every turn of the event loop and keep the others waiting.
    const int turn = nextInTurn(index);
    state_.LastSenderIndex = static_cast<std::int16_t>(turn);
    lastServed_ = turn;
    state_.ServerReceiveBusy = true;
    // The reader ends its handling silently on a failure; nothing else here throws.
    view_.runHandler([this, turn] {
        view_.showDataArrived();
        clock_.yield();
        if (QTcpSocket* socket = socketAt(turn); socket != nullptr && socket->isOpen()) {
            handling_ = turn;
            LinkReader(state_.LinkBuffer, clock_, *this, LinkReader::Role::Server)
                .receive(QString::fromLatin1(socket->read(MaxArrivalBytes)));
        }
    });
    state_.ServerReceiveBusy = false;
    // A client that went while its text was being read is closed now.
    if (QTcpSocket* socket = socketAt(turn); socket != nullptr && socket->isOpen() &&
                                             socket->state() != QAbstractSocket::ConnectedState) {
        closedByPeer(turn);
    }
    // Qt announces new data only once: text that came while this arrival was busy is
    // handled now, not at some later arrival that may never come.
    if (const int next = nextInTurn(0); next != 0) {
        QMetaObject::invokeMethod(
            this, [this, next] { arrival(next); }, Qt::QueuedConnection);
    }
}

int LinkServer::nextInTurn(int otherwise) const {
    // From the client after the one served last, round to that one.
    const int clients = static_cast<int>(sockets_.size()) - 1;
    for (int step = 1; step <= clients; ++step) {
        const int i = 1 + (lastServed_ - 1 + step + clients) % clients;
        if (QTcpSocket* socket = socketAt(i); socket != nullptr && socket->bytesAvailable() > 0) {
            return i;
        }
    }
    return otherwise;
}

void LinkServer::closedByPeer(int index) {
    QTcpSocket* socket = socketAt(index);
    if (socket == nullptr) {
        return;
    }
    if (socket->bytesAvailable() > 0) {
        // What the client sent just before it went (a Stop, say) still counts: it is read
        // first, now or when the running arrival ends, and the socket closed after it.
        if (!state_.ServerReceiveBusy) {
            arrival(index);
        }
        return;
    }
    socket->close();
    clock_.waitFor(
        [this, index] {
            QTcpSocket* s = socketAt(index);
            return s == nullptr || s->state() == QAbstractSocket::UnconnectedState;
        },
        CloseWaitMs);
}

void LinkServer::removeAccepted() {
    for (std::size_t i = 1; i < sockets_.size(); ++i) {
        if (QTcpSocket* socket = sockets_[i].data()) {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
    }
    sockets_.resize(1);
    lastServed_ = 0;
}

void LinkServer::reset(const QString& portText) {
    removeAccepted();
    state_.AcceptedCount = 0;
    startListening(portText);
}

void LinkServer::sendTo(int index, const QString& text) {
    LinkMessage::write(socketAt(index), text);
}

void LinkServer::sendReply(const QString& message) {
    sendTo(handling_, message);
}

void LinkServer::markSenderAnswered() {
    if (handling_ >= 0 && handling_ <= MaxClients) {
        state_.KeepAliveAnswered[static_cast<std::size_t>(handling_)] = true;
    }
}

void LinkServer::keepAliveTick() {
    if (state_.KeepAliveBusy) {
        return;
    }
    state_.KeepAliveBusy = true;
    const int count = state_.AcceptedCount;
    if (!view_.serverDotShown() || count > MaxClients) {
        state_.KeepAliveBusy = false;
        return;
    }
    auto connected = [this](int i) {
        QTcpSocket* socket = socketAt(i);
        return socket != nullptr && socket->state() == QAbstractSocket::ConnectedState;
    };
    int clients = 0;
    for (int i = 1; i <= count; ++i) {
        clients += connected(i) ? 1 : 0;
    }
    view_.showClientCount(clients);
    bool sent = false;
    for (int i = 1; i <= count; ++i) {
        auto& answered = state_.KeepAliveAnswered[static_cast<std::size_t>(i)];
        if (!connected(i) || !answered) {
            continue;
        }
        try {
            sendTo(i, LinkMessage::keepAlive(view_.sweepRunning(), clients));
        } catch (const PlatformError& e) {
            // The other sockets get theirs at the next tick.
            answered = false;
            view_.showStatus(QString::fromStdString(e.description()));
            state_.KeepAliveBusy = false;
            return;
        }
        answered = false;
        sent = true;
    }
    if (!sent) {
        view_.showConnectionLost();
        try {
            reset(view_.portText());
        } catch (const PlatformError& e) {
            view_.showStatus(QString::fromStdString(e.description()));
        }
    }
    state_.KeepAliveBusy = false;
}

}  // namespace keyrelay

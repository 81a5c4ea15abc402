#include "telnet/SkimmerTelnet.h"

#include <QMetaObject>
#include <QTcpSocket>
#include <exception>

#include "platform/PlatformError.h"
#include "telnet/TelnetChunk.h"

namespace keyrelay {

namespace {

// A failing step of the arrival handling (or of closing a lost connection) is skipped and
// the handling goes on.
template <class F>
void ignoringFailures(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
        // Nothing to report or repair: the arrival runs unattended while the decoder keeps
        // sending, each step leaves the state whole when it fails, and the next arrival (or
        // the next sweep step, for a lost connection) simply tries again.
    }
}

}  // namespace

SkimmerTelnet::SkimmerTelnet(QTcpSocket& socket, Clock& clock, ProgramState& state, Inputs inputs,
                             QObject* parent)
    : QObject(parent), socket_(&socket), clock_(clock), state_(state), inputs_(std::move(inputs)) {
    socket.setReadBufferSize(MaxArrivalBytes);
    connect(&socket, &QTcpSocket::readyRead, this, &SkimmerTelnet::dataArrival);
    connect(&socket, &QTcpSocket::disconnected, this, &SkimmerTelnet::closedByServer);
}

std::optional<quint16> SkimmerTelnet::portOf(QStringView text) {
    const QStringView digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        port = port * 10 + (c.unicode() - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(port);
}

bool SkimmerTelnet::connectToServer(const QString& portText) {
    const std::optional<quint16> port = portOf(portText);
    if (!port || !socket_) {
        return false;
    }
    // A socket still connecting, or left half-closed, refuses a new request: start afresh.
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        resetSocket();
    }
    socket_->connectToHost(QString::fromLatin1(Host), *port);
    const bool connected = clock_.waitFor([this] { return isConnected(); }, ConnectWaitMs);
    if (!connected) {
        resetSocket();
    }
    return connected;
}

bool SkimmerTelnet::isConnected() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void SkimmerTelnet::send(const QString& text) {
    write(text.toLatin1() + "\r\n");
}

bool SkimmerTelnet::sendFrequencyCommand(const QString& command) {
    if (!isConnected()) {
        return false;
    }
    send(command);
    state_.QsyPending = true;
    return true;
}

void SkimmerTelnet::sendIfConnected(const QString& text) {
    if (isConnected()) {
        send(text);
    }
}

void SkimmerTelnet::connectionLost() {
    emit commandText(QString::fromLatin1(ConnectionLost));
    ignoringFailures([this] { resetSocket(); });
}

void SkimmerTelnet::dataArrival() {
    // Nested inside an unfinished arrival: leave the text in the socket. The running
    // arrival looks for it when it ends (finishArrival), because Qt announces new data
    // only once.
    if (state_.ClientReceiveBusy || !socket_) {
        return;
    }
    state_.ClientReceiveBusy = true;

    ignoringFailures([this] {
        if (inputs_.linkArrivalBegins) {
            inputs_.linkArrivalBegins();
        }
    });
    clock_.yield();
    QString chunk;
    ignoringFailures([&] {
        chunk = QString::fromLatin1(socket_ ? socket_->read(MaxArrivalBytes) : QByteArray());
    });
    if (chunk.isEmpty()) {
        // Announced text that an earlier arrival already took.
        finishArrival();
        return;
    }
    // Neither telnet (telnet mode implies ViaTelnet) nor a linked client: nobody's text.
    if (!ask(inputs_.viaTelnet) && !ask(inputs_.telnetMode) && !ask(inputs_.linkDotShown)) {
        finishArrival();
        return;
    }
    state_.LinkBuffer += chunk;
    if (state_.LinkBuffer == QLatin1String("&END////")) {
        state_.LinkBuffer.clear();
        finishArrival();
        return;
    }
    if (ask(inputs_.telnetMode)) {
        // Telnet text is never link text.
        state_.LinkBuffer.clear();
        telnetChunk(chunk);
    } else if (inputs_.linkTextReceived) {
        ignoringFailures([this] { inputs_.linkTextReceived(); });
    }
    finishArrival();
}

void SkimmerTelnet::telnetChunk(const QString& chunk) {
    emit textReceived(chunk.right(ShownChars));
    emit terminalText(chunk);
    switch (TelnetChunk::classify(chunk)) {
        case TelnetChunk::Kind::LoginPrompt:
            // Normally connected already; the prompt can come in during the connect wait.
            if (clock_.waitFor([this] { return isConnected(); }, LoginWaitMs)) {
                ignoringFailures([this] { send(QString::fromLatin1(LoginAnswer)); });
            }
            break;
        case TelnetChunk::Kind::Spot: {
            // A starred dwell ("30*") holds the frequency while spots keep coming.
            QString dwell;
            ignoringFailures([&] {
                if (inputs_.currentDwell) {
                    dwell = inputs_.currentDwell();
                }
            });
            if (dwell.contains(QLatin1Char('*'))) {
                state_.DwellSecs = 0;
            }
            break;
        }
        case TelnetChunk::Kind::ClickReport:
            state_.QsyPending = false;
            break;
        case TelnetChunk::Kind::Other:
            break;
    }
}

void SkimmerTelnet::finishArrival() {
    state_.ClientReceiveBusy = false;
    if (closeAfterArrival_) {
        closeAfterArrival_ = false;
        closedByServer();
        return;
    }
    // Text that came in while this arrival was busy has had its announcement already.
    if (socket_ && socket_->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(this, &SkimmerTelnet::dataArrival, Qt::QueuedConnection);
    }
}

void SkimmerTelnet::closedByServer() {
    // A socket whose QTcpSocket part is gone is being destroyed with the window: reading
    // from it or waiting for it to close would run on a half-destroyed object.
    if (closingHere_ || qobject_cast<QTcpSocket*>(socket_.data()) == nullptr) {
        return;
    }
    if (state_.ClientReceiveBusy) {
        closeAfterArrival_ = true;
        return;
    }
    // The last text the server sent before closing (a click report, say) still counts,
    // however many arrivals it takes; each must take some, or the rest is dropped.
    for (qint64 left = socket_->bytesAvailable(); left > 0;) {
        dataArrival();
        if (!socket_ || socket_->bytesAvailable() >= left) {
            break;
        }
        left = socket_->bytesAvailable();
    }
    if (!socket_) {
        return;
    }
    closingHere_ = true;
    socket_->close();
    clock_.waitFor(
        [this] { return !socket_ || socket_->state() == QAbstractSocket::UnconnectedState; },
        CloseWaitMs);
    closingHere_ = false;
}

void SkimmerTelnet::resetSocket() {
    if (!socket_) {
        return;
    }
    closingHere_ = true;
    // abort() drops the connection at once and returns the local port to 0.
    socket_->abort();
    closingHere_ = false;
}

void SkimmerTelnet::write(const QByteArray& bytes) {
    if (!isConnected()) {
        throw PlatformError(WrongState, "The socket is not connected");
    }
    const qint64 written = socket_->write(bytes);
    if (written != bytes.size()) {
        throw PlatformError(WrongState, socket_->errorString().toStdString());
    }
    socket_->flush();
}

}  // namespace keyrelay

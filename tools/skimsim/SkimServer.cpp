#include "SkimServer.h"

#include <QDateTime>
#include <QHostAddress>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <algorithm>
#include <array>

namespace keyrelay {

namespace {

// A client that stops reading is dropped once this much text waits for it.
constexpr qint64 MaxUnsent = 1 << 20;
constexpr int MaxCallLength = 20;

const std::array<const char*, 10> DxCalls = {"K1ABC", "W2XYZ", "DL1AA",   "G3ZZZ",  "JA1QRP",
                                             "VK2DX", "F5CW",  "OH2TEST", "N0CALL", "EA3FOO"};

QString kHzText(double kHz) {
    return QString::number(kHz, 'f', 1);
}

}  // namespace

SkimServer::SkimServer(const SkimOptions& options, QObject* parent)
    : QObject(parent), options_(options), currentKHz_(options.startKHz) {
    connect(&server_, &QTcpServer::newConnection, this, &SkimServer::accept);
    connect(&spotTimer_, &QTimer::timeout, this, &SkimServer::spotTick);
}

SkimServer::~SkimServer() {
    for (Client& c : clients_) {
        if (c.socket != nullptr) {
            c.socket->disconnect(this);
        }
    }
}

bool SkimServer::start(QString* error) {
    if (!options_.logPath.isEmpty()) {
        logFile_.setFileName(options_.logPath);
        if (!logFile_.open(QIODevice::Append | QIODevice::Text)) {
            *error = QStringLiteral("cannot open log %1: %2")
                         .arg(options_.logPath, logFile_.errorString());
            return false;
        }
    }
    // Loopback only: this server is for the machine it runs on.
    if (!server_.listen(QHostAddress::LocalHost, options_.port)) {
        *error = server_.errorString();
        return false;
    }
    if (options_.spotsPerMinute > 0) {
        spotTimer_.start(std::max(10, static_cast<int>(60000.0 / options_.spotsPerMinute)));
    }
    log(0, "-", QStringLiteral("listening on 127.0.0.1:%1").arg(port()));
    return true;
}

quint16 SkimServer::port() const {
    return server_.serverPort();
}

void SkimServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const auto connected = std::count_if(clients_.begin(), clients_.end(),
                                             [](const Client& c) { return c.socket != nullptr; });
        if (!socket->peerAddress().isLoopback() || connected >= options_.maxClients) {
            log(0, "-", QStringLiteral("refused a connection"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        Client& client = clients_.emplace_back();
        client.socket = socket;
        // A client that floods is held back by TCP rather than buffered here.
        socket->setReadBufferSize(64 * 1024);
        client.id = nextId_++;
        log(client.id, "-", QStringLiteral("connected from port %1").arg(socket->peerPort()));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            for (Client& c : clients_) {
                if (c.socket == socket) {
                    receive(c);
                    return;
                }
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        send(client, QStringLiteral("skimsim, a stand-in for the CW decoder's telnet server"));
        // The prompt waits on its line, as a telnet prompt does.
        const QByteArray prompt = "Please enter your callsign: ";
        socket->write(prompt);
        log(client.id, ">", QString::fromLatin1(prompt));
    }
}

void SkimServer::receive(Client& client) {
    const QByteArray data = client.socket->readAll();
    for (const char byte : data) {
        if (byte == '\n') {
            QByteArray line = client.pending;
            client.pending.clear();
            if (client.discarding) {
                client.discarding = false;
                log(client.id, "-", QStringLiteral("dropped an overlong line"));
                continue;
            }
            // Logged as received, a CR before the line feed shown as "\r".
            log(client.id, "<", QString::fromLatin1(line));
            if (line.endsWith('\r')) {
                line.chop(1);
            }
            handleLine(client, QString::fromLatin1(line));
            // The line may have closed the connection.
            if (client.socket == nullptr || client.socket->state() != QTcpSocket::ConnectedState) {
                return;
            }
            continue;
        }
        if (client.discarding) {
            continue;
        }
        if (client.pending.size() >= options_.maxLineLength) {
            client.pending.clear();
            client.discarding = true;
            continue;
        }
        client.pending.append(byte);
    }
}

void SkimServer::handleLine(Client& client, const QString& line) {
    if (!client.loggedIn) {
        const QString call = line.trimmed().left(MaxCallLength).toUpper();
        if (call.isEmpty()) {
            client.socket->write("Please enter your callsign: ");
            return;
        }
        client.loggedIn = true;
        send(client,
             QStringLiteral("Hello %1, this is skimsim. Send SKIMMER/QSY <kHz>.").arg(call));
        return;
    }
    static const QString qsyWord = QStringLiteral("SKIMMER/QSY");
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(qsyWord, Qt::CaseInsensitive)) {
        qsy(client, trimmed.mid(qsyWord.size()).trimmed());
    }
}

void SkimServer::qsy(Client& client, const QString& argument) {
    bool ok = false;
    const double kHz = argument.toDouble(&ok);
    if (!ok || kHz <= 0 || kHz > 1e7) {
        send(client, QStringLiteral("Invalid frequency: %1").arg(argument.left(40)));
        return;
    }
    currentKHz_ = kHz;
    // Every client hears the click report, as on the decoder.
    const QString report =
        QStringLiteral("To ALL de SKIMMER %1Z : Clicked on \"\" at %2").arg(utcHhmm(), argument);
    for (Client& c : clients_) {
        if (c.loggedIn) {
            send(c, report);
        }
    }
    ++client.qsyCount;
    if (options_.dropAfter > 0 && client.qsyCount >= options_.dropAfter) {
        drop(client, "drop-after reached");
    }
}

void SkimServer::send(Client& client, const QString& text) {
    if (client.socket == nullptr || client.socket->state() != QTcpSocket::ConnectedState) {
        return;
    }
    if (client.socket->bytesToWrite() > MaxUnsent) {
        drop(client, "client does not read");
        return;
    }
    client.socket->write(text.toLatin1() + "\r\n");
    log(client.id, ">", text);
}

void SkimServer::drop(Client& client, const char* why) {
    if (client.socket == nullptr) {
        return;
    }
    log(client.id, "-", QStringLiteral("closing: %1").arg(QLatin1String(why)));
    QTcpSocket* socket = client.socket;
    // Let queued text go out first; disconnected() then forgets the client.
    socket->disconnectFromHost();
    if (socket->state() == QTcpSocket::UnconnectedState) {
        forget(socket);
    }
}

void SkimServer::forget(QTcpSocket* socket) {
    for (Client& c : clients_) {
        if (c.socket == socket) {
            log(c.id, "-", QStringLiteral("disconnected"));
            c.socket = nullptr;
            socket->deleteLater();
        }
    }
    // Erased later: a caller up the stack may still hold a reference to the client.
    QMetaObject::invokeMethod(
        this, [this] { clients_.remove_if([](const Client& c) { return c.socket == nullptr; }); },
        Qt::QueuedConnection);
}

void SkimServer::command(const QString& line) {
    const QString trimmed = line.trimmed();
    const QString word = trimmed.section(QLatin1Char(' '), 0, 0).toLower();
    const QString rest = trimmed.section(QLatin1Char(' '), 1);
    if (word == QLatin1String("spot")) {
        bool ok = false;
        const double kHz = rest.toDouble(&ok);
        sendSpot(ok && kHz > 0 ? kHz : currentKHz_);
    } else if (word == QLatin1String("send")) {
        sendAll(rest);
    } else if (word == QLatin1String("drop")) {
        dropAll();
    } else if (word == QLatin1String("quit")) {
        log(0, "-", QStringLiteral("quit"));
        emit quitRequested();
    } else if (!word.isEmpty()) {
        log(0, "-", QStringLiteral("unknown command: %1").arg(trimmed.left(80)));
    }
}

void SkimServer::sendSpot(double kHz) {
    auto* random = QRandomGenerator::global();
    const QString line =
        QStringLiteral("DX de %1-#: %2 %3 %4 dB %5 WPM CQ %6Z")
            .arg(options_.call, kHzText(kHz),
                 QLatin1String(DxCalls.at(random->bounded(static_cast<int>(DxCalls.size())))))
            .arg(random->bounded(3, 40))
            .arg(random->bounded(14, 36))
            .arg(utcHhmm());
    for (Client& c : clients_) {
        if (c.loggedIn) {
            send(c, line);
        }
    }
}

void SkimServer::sendAll(const QString& text) {
    for (Client& c : clients_) {
        send(c, text);
    }
}

void SkimServer::dropAll() {
    for (Client& c : clients_) {
        drop(c, "drop command");
    }
}

void SkimServer::spotTick() {
    // Near the current frequency: up to 2 kHz either side, on 100 Hz.
    const double offset = QRandomGenerator::global()->bounded(-20, 21) / 10.0;
    sendSpot(std::max(0.1, currentKHz_ + offset));
}

void SkimServer::log(int id, const char* direction, const QString& text) {
    if (!logFile_.isOpen()) {
        return;
    }
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    const QString line = QStringLiteral("%1 #%2 %3 %4\n")
                             .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs))
                             .arg(id)
                             .arg(QLatin1String(direction), shown);
    logFile_.write(line.toLatin1());
    logFile_.flush();
}

QString SkimServer::utcHhmm() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("HHmm"));
}

}  // namespace keyrelay

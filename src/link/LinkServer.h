#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/ProgramState.h"
#include "link/LinkAllowList.h"
#include "link/LinkServerView.h"
#include "link/LinkTarget.h"
#include "platform/Clock.h"

namespace keyrelay {

// The server role of the station link and its keep-alive supervision.
//
// `Winsock1`(0) listens; every accepted connection becomes `Winsock1`(i), i counting up
// from 1 (`AcceptedCount`) and never reused before a reset. Each arrival on a client's
// socket runs the link reader's server pass; its reactions go to the window's LinkTarget,
// except the replies and the keep-alive bookkeeping, which are the server's own.
//
// Every 30 seconds (`Timer1`) the clients that answered the previous keep-alive get a new
// one; when none can be sent, the server drops all connections and listens afresh.
//
// Anyone who reaches the port may start and stop the sweep and replace the table, so a
// station may list the peers it takes in "LinkAllow.txt" (LinkAllowList), read each time
// listening starts; a peer not on the list is closed at once and counted in `TxtStatus`.
// Without the file every peer is taken, on every address.
class LinkServer : public QObject, private LinkTarget {
    Q_OBJECT
public:
    static constexpr std::int64_t KeepAliveIntervalMs = 30000;
    // `KeepAliveAnswered` has entries 0 to 500: no more clients are taken between resets.
    static constexpr int MaxClients = 500;
    static constexpr std::int64_t RestartPauseMs = 3000;
    static constexpr std::int64_t RestartSettleMs = 500;
    static constexpr std::int64_t CloseWaitMs = 5000;
    static constexpr const char* ConnectionLost = "Connection Lost";
    static constexpr const char* Refused = "Connection refused: 500 clients since the last reset";
    // At most this much is read from a client per arrival, and its socket keeps at most
    // this much unread: a client that floods the port is held back by TCP, and each arrival
    // reads no more than the receive buffer keeps.
    static constexpr qint64 MaxArrivalBytes = 64 * 1024;

    LinkServer(ProgramState& state, Clock& clock, LinkTarget& window, LinkServerView& view,
               QObject* parent = nullptr);
    ~LinkServer() override;

    // The folder of "LinkAllow.txt"; until it is set no list is read and every peer is taken.
    void setAllowListFolder(const QString& folder) { allowFolder_ = folder; }

    // `StartListening`: reads the allow list and listens afresh on the port of `portText`
    // (0 lets the system choose), on the list's listen address or else on every address.
    // Throws PlatformError for a text that is no port or a port that cannot be had.
    void startListening(const QString& portText);
    // `Command5`: stops listening, pauses 3 s, listens again, pauses 0.5 s. The accepted
    // sockets stay.
    void restartListening(const QString& portText);
    // The port listened on, 0 when not listening.
    quint16 listeningPort() const;

    // Enables `Timer1`.
    void startSupervision();
    // One tick of `Timer1`.
    void keepAliveTick();

    // Removes the accepted sockets, listens afresh on `portText` and sets `AcceptedCount`
    // to 0 (Disconnect on a server, and the keep-alive reset). The listening failure, if
    // any, is thrown after the rest is done.
    void reset(const QString& portText);

    // Sends a message in one piece to `Winsock1`(index). Throws PlatformError when that
    // socket is not connected or the write fails.
    void sendTo(int index, const QString& text);

private:
    void acceptPending();
    void arrival(int index);
    // The next client with text waiting, in turn after the one served last; `otherwise`
    // when none has any.
    int nextInTurn(int otherwise) const;
    void closedByPeer(int index);
    QTcpSocket* socketAt(int index) const;
    void removeAccepted();

    // LinkTarget: the replies go to the socket being handled; the rest is the window's.
    void sendReply(const QString& message) override;
    void sendOwnTable() override { window_.sendOwnTable(); }
    void start() override { window_.start(); }
    void stop() override { window_.stop(); }
    void markSenderAnswered() override;
    void applyCommand(const QString& command) override { window_.applyCommand(command); }
    // Keep-alives come to clients only.
    void showKeepAlive(bool, const QString&) override {}
    SweepSettings sweepFields() override { return window_.sweepFields(); }
    void setSweepFields(const SweepSettings& fields) override { window_.setSweepFields(fields); }

    ProgramState& state_;
    Clock& clock_;
    LinkTarget& window_;
    LinkServerView& view_;
    QTcpServer* listener_ = nullptr;
    // Index i holds `Winsock1`(i); 0 is unused (the listener).
    std::vector<QPointer<QTcpSocket>> sockets_;
    // The socket whose arrival is being handled.
    int handling_ = 0;
    int lastServed_ = 0;
    Clock::TimerId timer_ = 0;
    std::optional<QString> allowFolder_;
    LinkAllowList allowList_;
    // Skipped lines already reported, so that a list read again is not reported again.
    QStringList reported_;
    int notAllowed_ = 0;
};

}  // namespace keyrelay

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>
#include <QTcpSocket>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/ProgramState.h"
#include "platform/Clock.h"

namespace keyrelay {

// The sweep window's client socket `Winsock2` in its telnet role: the connection to the
// decoder's telnet server on this computer, its login, the frequency commands, and what
// received text does. The socket belongs to the window (the link client uses the same
// one, never at the same time); this object handles its arrival and close events, which
// both roles share.
//
// Everything runs on the user-interface thread. The waits (2 s to connect, 5 s before the
// login answer, the wait for closed) go through the Clock and run the event loop, so other
// handlers, further arrivals included, run inside them; `ClientReceiveBusy` keeps a nested
// arrival from being handled inside an unfinished one.
//
// Acknowledgement watchdog (the window's one-second `Timer2`): deliberately left inactive.
// It was meant to count seconds while `QsyPending` is set and report "Connection Lost"
// after 4, but its counter never advances in the system as it stands, so the timeout is
// never reached; starting it would stop sweeps that run fine today whenever the decoder
// answers a command without a click report.
class SkimmerTelnet : public QObject {
    Q_OBJECT
public:
    static constexpr const char* Host = "127.0.0.1";
    static constexpr std::int64_t ConnectWaitMs = 2000;
    static constexpr std::int64_t LoginWaitMs = 5000;
    // Bound of the wait for the closed state after a close by the server (Qt closes at
    // once; the bound keeps a misbehaving socket from hanging the program).
    static constexpr std::int64_t CloseWaitMs = 5000;
    static constexpr const char* LoginAnswer = "NOCALL";
    static constexpr const char* ConnectionLost = "Connection Lost";
    // Failure number of a send on a socket whose state does not allow it.
    static constexpr long WrongState = 40006;
    // At most this much is read per arrival, and the socket keeps at most this much unread:
    // a peer that sends faster than the window takes it is held back by TCP itself, so a
    // flood costs neither memory nor a long stall. A decoder's arrivals are far smaller.
    static constexpr qint64 MaxArrivalBytes = 64 * 1024;
    // `Text2` shows the last this many characters of a chunk: laying out a chunk of
    // megabytes in one line would freeze the window.
    static constexpr qsizetype ShownChars = 2000;

    // What the object reads from the window and from the link client. Every member may be
    // left empty: a missing test reads as false, a missing action does nothing.
    struct Inputs {
        // Telnet mode: `ViaTelnet` and `ImAServer` both checked.
        std::function<bool()> telnetMode;
        // `ViaTelnet` checked (link data is dropped when neither this nor the link dot is
        // on).
        std::function<bool()> viaTelnet;
        // The text of `DurSec` of line `SweepLine`: a "*" in it makes spots hold the sweep.
        std::function<QString()> currentDwell;
        // The link client's part of the shared arrival handler:
        // runs first on every arrival (shows `Shape2` when `Connect` reads "Disconnect"),
        std::function<void()> linkArrivalBegins;
        // the green link dot `Shape2` is shown,
        std::function<bool()> linkDotShown;
        // link text was appended to `LinkBuffer` outside telnet mode: run the parse passes.
        std::function<void()> linkTextReceived;
    };

    SkimmerTelnet(QTcpSocket& socket, Clock& clock, ProgramState& state, Inputs inputs,
                  QObject* parent = nullptr);

    // The port of the `SkimmerPort` text: a whole number from 1 to 65535, blanks around it
    // allowed. Nothing for any other text.
    static std::optional<quint16> portOf(QStringView text);

    // Connect at Start: connects to 127.0.0.1 on the port of `portText` and waits at most
    // 2 s (elapsed, running the event loop) for the connected state. A socket left in any
    // other state (an earlier failed attempt) is reset first, and an attempt that has not
    // connected when the wait ends is abandoned, so no connection arrives later unasked.
    // False on a bad port text, a refusal or no connection in time; the caller shows
    // "Unable to attach to local telnet. Is CW Skimmer started".
    bool connectToServer(const QString& portText);

    bool isConnected() const;

    // Sends `text` followed by CR LF, as single-byte text (characters outside Latin-1 go
    // as "?"). Throws PlatformError when the socket is not connected (WrongState) or the
    // write fails.
    void send(const QString& text);

    // A sweep step's command over telnet: false, sending nothing, when the socket is not
    // connected; otherwise sends it (CR LF added) and sets `QsyPending`. Throws
    // PlatformError when the write fails (the step's failure path).
    bool sendFrequencyCommand(const QString& command);

    // The typed command of "Sending:" and ForceSend in telnet mode: sent with CR LF when
    // connected; nothing, and nothing said, otherwise. Throws PlatformError when the write
    // fails.
    void sendIfConnected(const QString& text);

    // The failure path of a telnet step: "Connection Lost" into `Text1`, the socket closed
    // (a failure of that close ignored) and its local port back to 0.
    void connectionLost();

    // The data-arrival handler of `Winsock2` (connected to its readyRead). Public so that
    // the window may run it directly.
    void dataArrival();

    // The close handler of `Winsock2` (connected to its disconnected): closes the socket
    // and waits until it is closed. Text that arrived before the close is handled first.
    void closedByServer();

signals:
    // The most recent chunk received in telnet mode, its last ShownChars characters
    // (`Text2`).
    void textReceived(const QString& chunk);
    // The whole chunk, for the read-only terminal when it is open (which keeps a tail).
    void terminalText(const QString& chunk);
    // A new text for `Text1` ("Connection Lost").
    void commandText(const QString& text);

private:
    void telnetChunk(const QString& chunk);
    void finishArrival();
    void write(const QByteArray& bytes);
    void resetSocket();

    static bool ask(const std::function<bool()>& test) { return test && test(); }

    // Guarded: a queued arrival must not reach a socket that is gone. Held as the base
    // class, because the socket announces its disconnection from inside its destructor,
    // when it is no longer a QTcpSocket.
    QPointer<QAbstractSocket> socket_;
    Clock& clock_;
    ProgramState& state_;
    Inputs inputs_;
    // The server closed the connection while an arrival was being handled: close once the
    // arrival is done, so the text it is working on (and any behind it) is not dropped.
    bool closeAfterArrival_ = false;
    // The socket is being closed or reset by this object, not by the server.
    bool closingHere_ = false;
};

}  // namespace keyrelay

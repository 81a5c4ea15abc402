#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <list>

#include "SkimOptions.h"

class QTcpSocket;

namespace keyrelay {

// A stand-in for the decoder's telnet server, for tests and dry runs: a greeting and a
// callsign prompt, an answer to every "SKIMMER/QSY <kHz>" in the form of the decoder's
// click report, spot lines near the current frequency, and a log of what it receives.
// Listens on 127.0.0.1 only. Memory stays bounded whatever a client sends: lines are
// capped, so are the number of clients and the text waiting to go to a client that does
// not read.
class SkimServer : public QObject {
    Q_OBJECT
public:
    explicit SkimServer(const SkimOptions& options, QObject* parent = nullptr);
    // The client sockets belong to the listening server, which goes after the client list:
    // their last signals must no longer reach this object.
    ~SkimServer() override;

    // Starts listening; false (reason in *error) when the port cannot be had.
    bool start(QString* error);
    quint16 port() const;

    // Stdin commands: "spot [kHz]", "send TEXT", "drop", "quit". Unknown ones are logged.
    void command(const QString& line);

    // A spot near `kHz` to every logged-in client.
    void sendSpot(double kHz);
    // `text` and CR LF to every client.
    void sendAll(const QString& text);
    // Closes every client's connection.
    void dropAll();

signals:
    void quitRequested();

private:
    struct Client {
        QTcpSocket* socket = nullptr;
        int id = 0;
        bool loggedIn = false;
        bool discarding = false;  // inside an overlong line, until its end
        int qsyCount = 0;
        QByteArray pending;  // received text of an unfinished line
    };

    void accept();
    void receive(Client& client);
    void handleLine(Client& client, const QString& line);
    void qsy(Client& client, const QString& argument);
    void send(Client& client, const QString& text);
    void drop(Client& client, const char* why);
    void forget(QTcpSocket* socket);
    void spotTick();
    void log(int id, const char* direction, const QString& text);
    static QString utcHhmm();

    SkimOptions options_;
    QTcpServer server_;
    QTimer spotTimer_;
    QFile logFile_;
    std::list<Client> clients_;
    int nextId_ = 1;
    double currentKHz_ = 0;
};

}  // namespace keyrelay

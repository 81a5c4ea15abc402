#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace keyrelay::test {

// skimsim run as a real process on an ephemeral loopback port, with its log in a
// temporary folder and its command input on a pipe.
class SkimsimProcess {
public:
    // Starts it with `extraArgs`; port() is 0 when it did not start.
    explicit SkimsimProcess(const QStringList& extraArgs = {});
    ~SkimsimProcess();

    quint16 port() const { return port_; }
    // A command line on its standard input ("spot", "send TEXT", "drop").
    void command(const QString& line);
    QString log() const;
    // The lines it received, in order, a CR before the line feed kept ("SKIMMER/QSY 14000\r").
    QStringList received() const;

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};

}  // namespace keyrelay::test

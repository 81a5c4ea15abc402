// A peer that floods: memory and responsiveness of one sweep window (offscreen, real clock)
// while a second process sends as fast as it can, on the decoder's telnet port (the window
// connects in telnet mode, the terminal open) or on the link port (the window listens).
//   bench_flood [MiB [FLOODS]]          the benchmark: MiB per flood (default 50); FLOODS a
//                                       comma list of telnet-noline, telnet-spots,
//                                       link-noline, link-spots (default all four)
//   bench_flood --decoder MiB KIND      the flooding decoder: prints its port
//   bench_flood --peer PORT MiB KIND    the flooding link peer
// KIND is "noline" (one line without end) or "spots" (ordinary spot lines).
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

#include "BenchStation.h"
#include "app/ProgramActions.h"
#include "core/ProgramState.h"
#include "core/QtClock.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "link/LinkServer.h"
#include "sweep/QsySweep.h"
#include "telnet/SkimmerTelnet.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

using namespace keyrelay;

namespace {

constexpr qint64 MiB = 1024 * 1024;
// Each flood is measured for at most this long: a link peer is held back by the server's
// passes, so its 50 MiB would take far longer.
constexpr double FloodLimitMs = 20000;

double wallMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// VmRSS or VmHWM (the peak since the last reset) of this process, in KiB.
long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(qstrlen(field)))
                .trimmed()
                .split(' ')[0]
                .toLong();
        }
    }
    return -1;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

QByteArray floodBlock(const QByteArray& kind) {
    if (kind == "spots") {
        QByteArray block;
        while (block.size() < MiB) {
            block += "DX de SKIM-#:    14025.5  K1ABC        12 dB  22 WPM  CQ       1234Z\r\n";
        }
        return block;
    }
    return QByteArray(MiB, 'x');
}

// Writes `mib` MiB as fast as the receiver takes them, waits until it closes, and prints
// how much the system took (the receiver read it, or holds it in its socket buffers).
int flood(QTcpSocket& socket, qint64 mib, const QByteArray& kind) {
    const QByteArray block = floodBlock(kind);
    qint64 sent = 0;
    while (sent < mib * MiB && socket.state() == QTcpSocket::ConnectedState) {
        sent += socket.write(block);
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(-1)) {
        }
    }
    const qint64 unsent = socket.bytesToWrite();
    if (socket.state() == QTcpSocket::ConnectedState) {
        socket.waitForDisconnected(-1);
    }
    std::printf("%lld\n", static_cast<long long>(sent - unsent));
    return 0;
}

int decoderProcess(qint64 mib, const QByteArray& kind) {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    std::printf("%u\n", static_cast<unsigned>(server.serverPort()));
    std::fflush(stdout);
    if (!server.waitForNewConnection(-1)) {
        return 1;
    }
    return flood(*server.nextPendingConnection(), mib, kind);
}

int peerProcess(quint16 port, qint64 mib, const QByteArray& kind) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket.waitForConnected(5000) ? flood(socket, mib, kind) : 1;
}

struct Result {
    double floodMs = 0;
    qint64 takenBytes = -1;  // telnet: what the window read; link: what the peer got off
    std::vector<double> roundTrips;
    double closeMs = -1;
    long peakKiB = 0, endKiB = 0;
};

// Runs the event loop during the flood: every 20 ms a queued call to the window measures the
// round trip through its event loop; at the end a close request to the window measures how
// long it takes to close.
Result measureFlood(BenchStation& station, const std::function<bool()>& floodDone) {
    Result r;
    QsySweep& s = station.windows.get<QsySweep>();
    const double start = wallMs();
    double posted = 0;
    bool waiting = false;
    QTimer probe;
    probe.callOnTimeout([&] {
        if (waiting) {
            return;
        }
        waiting = true;
        posted = wallMs();
        QMetaObject::invokeMethod(
            &s,
            [&] {
                r.roundTrips.push_back(wallMs() - posted);
                waiting = false;
            },
            Qt::QueuedConnection);
    });
    probe.start(20);
    while (!floodDone() && wallMs() - start < FloodLimitMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    probe.stop();
    r.floodMs = wallMs() - start;
    r.peakKiB = statusKiB("VmHWM:");
    // The close request, as the desktop makes it, while the peer still sends. Timed where
    // it happens: it may run in a wait nested in the arrival being handled.
    const double asked = wallMs();
    QMetaObject::invokeMethod(
        &s,
        [&] {
            s.close();
            if (station.windows.ifLoaded<QsySweep>() == nullptr) {
                r.closeMs = wallMs() - asked;
            }
        },
        Qt::QueuedConnection);
    while (station.windows.ifLoaded<QsySweep>() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    r.endKiB = statusKiB("VmRSS:");
    return r;
}

void print(const char* name, const Result& r, long idleKiB) {
    std::vector<double> trips = r.roundTrips;
    std::sort(trips.begin(), trips.end());
    const double median = trips.empty() ? -1 : trips[trips.size() / 2];
    const double worst = trips.empty() ? -1 : trips.back();
    std::printf(
        "%-14s | %6.1f s | %8.1f MiB | %5zu | %7.1f ms | %7.1f ms | %7.1f ms | %6.1f MiB "
        "| %6.1f MiB\n",
        name, r.floodMs / 1000, r.takenBytes < 0 ? -1.0 : double(r.takenBytes) / MiB, trips.size(),
        median, worst, r.closeMs, double(r.peakKiB - idleKiB) / 1024,
        double(r.endKiB - idleKiB) / 1024);
    std::fflush(stdout);
}

Result telnetFlood(qint64 mib, const char* kind) {
    BenchStation station;
    QsySweep& s = station.windows.get<QsySweep>();
    QProcess decoder;
    decoder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    decoder.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--decoder"), QString::number(mib), QString::fromLatin1(kind)});
    if (!decoder.waitForReadyRead(10000)) {
        return {};
    }
    s.SkimmerPort->setText(QString::fromLatin1(decoder.readLine().trimmed()));
    s.ViaTelnet->setChecked(true);
    s.ImAServer->setChecked(true);
    TerminalF::open(station.windows);
    qint64 taken = 0;
    QObject::connect(s.Telnet, &SkimmerTelnet::terminalText,
                     [&](const QString& chunk) { taken += chunk.size(); });
    resetPeak();
    s.Command2_Click();  // connects; the decoder starts sending
    Result r = measureFlood(station, [&] { return taken >= mib * MiB; });
    r.takenBytes = taken;
    decoder.waitForFinished(10000);
    return r;
}

Result linkFlood(qint64 mib, const char* kind) {
    BenchStation station;
    QsySweep& s = station.windows.get<QsySweep>();
    s.Port->setText(QStringLiteral("0"));
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&s, &activation);  // listens, as at the first activation
    QProcess peer;
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    resetPeak();
    peer.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--peer"), QString::number(s.Winsock1->listeningPort()),
                QString::number(mib), QString::fromLatin1(kind)});
    Result r = measureFlood(station, [&] { return peer.state() == QProcess::NotRunning; });
    peer.waitForFinished(10000);
    r.takenBytes = peer.readAllStandardOutput().trimmed().toLongLong();
    return r;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && QByteArray(argv[1]) == "--decoder") {
        QCoreApplication app(argc, argv);
        return decoderProcess(QByteArray(argv[2]).toLongLong(), argv[3]);
    }
    if (argc == 5 && QByteArray(argv[1]) == "--peer") {
        QCoreApplication app(argc, argv);
        return peerProcess(static_cast<quint16>(QByteArray(argv[2]).toUInt()),
                           QByteArray(argv[3]).toLongLong(), argv[4]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const qint64 mib = argc > 1 ? std::max(1LL, QByteArray(argv[1]).toLongLong()) : 50;
    const QByteArray floods =
        argc > 2 ? QByteArray(argv[2]) : "telnet-noline,telnet-spots,link-noline,link-spots";
    {
        BenchStation warmUp;  // the first window pays for fonts and styles: not the flood's memory
        warmUp.windows.get<QsySweep>();
        TerminalF::open(warmUp.windows);
    }
    const long idle = statusKiB("VmRSS:");
    std::printf("bench_flood: %lld MiB per flood, at most %.0f s each; idle %.1f MiB\n",
                static_cast<long long>(mib), FloodLimitMs / 1000, double(idle) / 1024);
    std::printf("%-14s | %8s | %12s | %5s | %10s | %10s | %10s | %10s | %10s\n", "flood", "time",
                "taken", "trips", "trip med", "trip max", "close", "peak+", "end+");
    for (const QByteArray& flood : floods.split(',')) {
        const QList<QByteArray> parts = flood.split('-');
        if (parts.size() != 2 || (parts[1] != "noline" && parts[1] != "spots")) {
            std::fprintf(stderr, "bench_flood: no flood %s\n", flood.constData());
            continue;
        }
        const Result r = parts[0] == "link" ? linkFlood(mib, parts[1].constData())
                                            : telnetFlood(mib, parts[1].constData());
        print(flood.constData(), r, idle);
    }
    return 0;
}

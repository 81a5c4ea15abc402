// The station link's server under load: one sweep window listening on loopback, on the
// program's real clock, with 1, 100 and 500 clients. The clients are plain sockets; all but
// one are in a second process (this program started again with --clients), so that the
// server's time and memory are its own; the one left here fetches the table.
//   bench_link [rounds]                 the benchmark (default 5 rounds per figure)
//   bench_link --clients PORT COUNT     the client process: answers every keep-alive
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
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
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/WindowRegistry.h"

using namespace keyrelay;

namespace {

// 500 clients and 500 accepted sockets, the listener, the display and the files.
constexpr rlim_t FilesNeeded = 1200;
constexpr int ConnectWave = 25;

void raiseFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= FilesNeeded) {
        return;
    }
    limit.rlim_cur =
        limit.rlim_max == RLIM_INFINITY ? FilesNeeded : std::min(FilesNeeded, limit.rlim_max);
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < FilesNeeded) {
        std::fprintf(stderr, "bench_link: only %lu open files allowed\n",
                     static_cast<unsigned long>(limit.rlim_cur));
    }
}

// Keeps the received text of one client socket and answers each keep-alive with "&OK////".
class Peer {
public:
    explicit Peer(QTcpSocket& socket) : socket_(socket) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { read(); });
    }
    QString received;
    int keepAlives = 0;

private:
    void read() {
        received += QString::fromLatin1(socket_.readAll());
        // Only keep-alives are answered; other text (the table) stays for the caller.
        qsizetype at = 0;
        while ((at = received.indexOf(QLatin1String("&KA"))) >= 0) {
            const qsizetype end = received.indexOf(QLatin1String("////"), at);
            if (end < 0) {
                break;
            }
            received.remove(at, end + 4 - at);
            socket_.write("&OK////");
            ++keepAlives;
        }
    }
    QTcpSocket& socket_;
};

int clientProcess(quint16 port, int count) {
    raiseFileLimit();
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    std::vector<std::unique_ptr<Peer>> peers;
    int connected = 0;
    // The clients come in waves: a burst beyond the listener's backlog of 50 would lose
    // connections in the kernel, which measures the loopback rather than the server.
    std::function<void()> connectWave = [&] {
        const int next = std::min(count, static_cast<int>(sockets.size()) + ConnectWave);
        while (static_cast<int>(sockets.size()) < next) {
            sockets.push_back(std::make_unique<QTcpSocket>());
            peers.push_back(std::make_unique<Peer>(*sockets.back()));
            QObject::connect(sockets.back().get(), &QTcpSocket::connected, [&] {
                if (++connected == count) {
                    std::printf("connected\n");
                    std::fflush(stdout);
                } else if (connected == static_cast<int>(sockets.size())) {
                    connectWave();
                }
            });
            // Once all are in, the server's reset at the end closes them: no news then.
            QObject::connect(sockets.back().get(), &QTcpSocket::errorOccurred, [&](auto error) {
                if (connected < count) {
                    std::fprintf(stderr, "bench_link client: socket error %d\n",
                                 static_cast<int>(error));
                }
            });
            sockets.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
        }
    };
    connectWave();
    return QCoreApplication::exec();  // ended by the benchmark
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double wallMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// Handles events, sleeping while there are none, until `done` holds (10 s at most).
bool runUntil(const std::function<bool()>& done) {
    QTimer guard;  // wakes the loop now and then, so the time limit is seen
    guard.start(20);
    const double until = wallMs() + 10000;
    while (!done() && wallMs() < until) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

struct Figure {
    double wall = 0;
    double cpu = 0;
};

Figure median(std::vector<Figure> runs) {
    auto mid = [&](auto member) {
        std::vector<double> v;
        for (const Figure& f : runs) {
            v.push_back(f.*member);
        }
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {mid(&Figure::wall), mid(&Figure::cpu)};
}

bool allAnswered(const ProgramState& state, int count) {
    for (int i = 1; i <= count; ++i) {
        if (!state.KeepAliveAnswered[static_cast<std::size_t>(i)]) {
            return false;
        }
    }
    return true;
}

struct Result {
    int clients = 0;
    Figure keepAlive, fetch;
    long rssDelta = 0;
    bool ok = true;
};

Result measure(BenchStation& server, quint16 port, int clients, int rounds, long idleRss,
               const QString& self) {
    Result r;
    r.clients = clients;
    QsySweep& s = server.windows.get<QsySweep>();
    // `Timer1` ticks again 30 s from now, not in the middle of a measured round.
    s.Winsock1->startSupervision();
    // The fetching client is the first one: its socket is `Winsock1`(1).
    QTcpSocket fetcher;
    Peer peer(fetcher);
    fetcher.connectToHost(QStringLiteral("127.0.0.1"), port);
    QProcess others;
    others.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bool connected = runUntil([&] { return server.state.AcceptedCount == 1; });
    if (connected && clients > 1) {
        others.start(self, {QStringLiteral("--clients"), QString::number(port),
                            QString::number(clients - 1)});
        connected = runUntil([&] { return others.canReadLine(); }) &&
                    runUntil([&] { return server.state.AcceptedCount == clients; });
    }
    if (!connected) {
        std::fprintf(stderr, "bench_link: only %d of %d clients connected\n",
                     server.state.AcceptedCount, clients);
        r.ok = false;
    }

    std::vector<Figure> kas;
    for (int round = 0; r.ok && round < rounds; ++round) {
        const double wall = wallMs();
        const double cpu = cpuMs();
        s.Winsock1->keepAliveTick();
        if (!runUntil([&] { return allAnswered(server.state, clients); })) {
            std::fprintf(stderr, "bench_link: keep-alive round %d not answered\n", round + 1);
            r.ok = false;
        }
        kas.push_back({wallMs() - wall, cpuMs() - cpu});
    }
    const QString table = QStringLiteral("&R") + s.ReturnApp->text() + QStringLiteral("////");
    std::vector<Figure> fetches;
    for (int round = 0; r.ok && round < rounds; ++round) {
        peer.received.clear();
        const double wall = wallMs();
        const double cpu = cpuMs();
        fetcher.write("&SEND////");
        if (!runUntil([&] { return peer.received.endsWith(table); })) {
            std::fprintf(stderr, "bench_link: table fetch %d incomplete\n", round + 1);
            r.ok = false;
        }
        fetches.push_back({wallMs() - wall, cpuMs() - cpu});
    }
    // After the rounds, so that the buffers the traffic needed count as well.
    r.rssDelta = rssKiB() - idleRss;
    if (r.ok) {
        r.keepAlive = median(kas);
        r.fetch = median(fetches);
    }
    // The server lets its clients go first, so that it does not wait for each close.
    s.Winsock1->reset(s.Port->text());
    others.kill();
    others.waitForFinished();
    fetcher.abort();
    runUntil([] { return false; });
    return r;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && QByteArray(argv[1]) == "--clients") {
        QCoreApplication app(argc, argv);
        return clientProcess(static_cast<quint16>(QByteArray(argv[2]).toUInt()),
                             QByteArray(argv[3]).toInt());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");  // the window is never shown
    }
    raiseFileLimit();
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;

    BenchStation server;
    QsySweep& s = server.windows.get<QsySweep>();
    // A band plan like a station's, so that the table message has its usual size.
    const char* bands[][4] = {{"1810", "1840", "1", "30*"},  {"3500", "3560", "1", "30"},
                              {"7000", "7040", "0.5", "20"}, {"10100", "10130", "1", "20"},
                              {"14000", "14070", "1", "15"}, {"18068", "18095", "1", "15"},
                              {"21000", "21070", "1", "15"}, {"28000", "28070", "1", "15"}};
    for (int i = 0; i < 8; ++i) {
        s.StartFreq[i]->setText(QLatin1String(bands[i][0]));
        s.EndFreq[i]->setText(QLatin1String(bands[i][1]));
        s.IncH[i]->setText(QLatin1String(bands[i][2]));
        s.DurSec[i]->setText(QLatin1String(bands[i][3]));
        s.IncCheck[i]->setChecked(true);
    }
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.PrefixStr->setText(QStringLiteral("%CT"));
    s.SufixStr->setText(QStringLiteral("{ENTER}"));
    s.ReturnApp->setText(QStringLiteral("N1MM Logger+"));
    s.Port->setText(QStringLiteral("0"));  // the system picks the port
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&s, &activation);  // listens, as at the first activation
    const quint16 port = s.Winsock1->listeningPort();
    if (port == 0) {
        std::fprintf(stderr, "bench_link: the server does not listen\n");
        return 1;
    }
    s.Port->setText(QString::number(port));  // a reset listens on the same port
    runUntil([] { return false; });
    const long idleRss = rssKiB();

    std::printf("bench_link: %d rounds per figure, medians; cpu = this process's time\n", rounds);
    std::printf("%8s | %-22s | %-22s | %s\n", "clients", "keep-alive round", "table fetch",
                "memory over idle");
    bool ok = true;
    bool goals = true;
    // 500 first: its memory is then measured from idle, not partly on what the smaller
    // runs left allocated and free.
    for (int clients : {500, 100, 1}) {
        const Result r = measure(server, port, clients, rounds, idleRss,
                                 QCoreApplication::applicationFilePath());
        ok = ok && r.ok;
        std::printf("%8d | %7.1f ms, cpu %6.1f ms | %7.1f ms, cpu %6.1f ms | %6ld KiB\n", r.clients,
                    r.keepAlive.wall, r.keepAlive.cpu, r.fetch.wall, r.fetch.cpu, r.rssDelta);
        std::fflush(stdout);
        if (clients == 500) {
            goals = r.keepAlive.cpu < 50 && r.rssDelta < 10 * 1024;
        }
    }
    std::printf(
        "idle memory %ld KiB; goals (500 clients: round under 50 ms cpu, under 10 MB "
        "more): %s\n",
        idleRss, ok && goals ? "met" : "missed");
    return ok && goals ? 0 : 1;
}

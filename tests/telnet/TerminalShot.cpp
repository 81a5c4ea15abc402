// Fills the terminal window with real traffic from skimsim and saves a picture of it
// (frame included) to the file named by the first argument. Run on a display:
//   scripts/with-display build/tests/telnet/terminal_shot docs/terminal.png
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <cstdio>

#include "SkimsimProcess.h"
#include "core/QtClock.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "support/TestProgram.h"
#include "telnet/QsyCommand.h"
#include "telnet/SkimmerTelnet.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

using namespace keyrelay;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: terminal_shot OUTPUT.png\n");
        return 2;
    }
    test::TestProgram program;
    ProgramState& state = program.state;
    WindowRegistry& windows = program.windows;

    test::SkimsimProcess skimsim({QStringLiteral("--call"), QStringLiteral("DL0SIM")});
    if (skimsim.port() == 0) {
        std::fprintf(stderr, "terminal_shot: skimsim did not start\n");
        return 1;
    }
    QtClock clock;
    QTcpSocket Winsock2;
    SkimmerTelnet::Inputs inputs;
    inputs.telnetMode = [] { return true; };
    inputs.viaTelnet = [] { return true; };
    SkimmerTelnet telnet(Winsock2, clock, state, inputs);
    QObject::connect(&telnet, &SkimmerTelnet::terminalText,
                     [&](const QString& chunk) { TerminalF::showIfOpen(windows, chunk); });

    TerminalF& terminal = TerminalF::open(windows);
    terminal.move(40, 40);
    if (!telnet.connectToServer(QString::number(skimsim.port()))) {
        std::fprintf(stderr, "terminal_shot: no connection\n");
        return 1;
    }
    clock.waitMs(300);
    double kHz = 14020;
    for (int i = 0; i < 4; ++i) {
        telnet.sendFrequencyCommand(QsyCommand::of(kHz));
        clock.waitMs(150);
        skimsim.command(QStringLiteral("spot %1").arg(kHz + 0.3 * i));
        clock.waitMs(150);
        kHz += 0.5;
    }
    clock.waitMs(500);
    const QRect frame = terminal.frameGeometry();
    const QPixmap shot =
        terminal.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "terminal_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// Draws the program's windows with sample contents, as the pictures in docs/ show them, and
// saves what the screen shows of each window, frame included. scripts/screenshots builds it
// and runs it on a display of its own with a window manager (which draws the frames):
//   screenshots OUTPUT_FOLDER
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTcpSocket>
#include <QToolTip>
#include <QTreeView>
#include <cstdio>
#include <functional>

#include "SkimOptions.h"
#include "SkimServer.h"
#include "core/QtClock.h"
#include "launcher/LaunchListFile.h"
#include "link/LinkServer.h"
#include "support/TestProgram.h"
#include "sweep/PreviewFrm.h"
#include "telnet/QsyCommand.h"
#include "telnet/SkimmerTelnet.h"
#include "ui/Indicator.h"

using namespace keyrelay;

namespace {

// Shows `window`, waits for the window manager's frame and the contents to settle, saves
// the screen's picture of it and hides it again, so that it covers none of the next ones.
// `framed` runs once the frame is there (to show a hint over the window, say).
bool shoot(QWidget& window, const QString& path, QtClock& clock,
           const std::function<void()>& framed = {}) {
    window.show();
    window.raise();
    window.activateWindow();
    clock.waitFor([&] { return window.frameGeometry() != window.geometry(); }, 5000);
    if (framed) {
        clock.waitMs(300);
        framed();
    }
    clock.waitMs(500);
    const QRect frame = window.frameGeometry();
    const QPixmap picture =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    window.hide();
    return saved;
}

// A command set that makes two 40 m spots every minute, in both layouts of the pad.
bool padShots(test::TestProgram& p, const QDir& out, QtClock& clock) {
    CommandSet set;
    set.AppTitle = QStringLiteral("CW Skimmer");
    set.AppDesc = QStringLiteral("Two 40 m spots every minute");
    set.RepSec = {u"60"_qs, u"0.5"_qs, u"1"_qs, u"0.5"_qs, u"0.5"_qs, u"1"_qs};
    set.CMND = {u"%CT"_qs, u"14025"_qs, u"{ENTER}"_qs, u"%CT"_qs, u"14035"_qs, u"{ENTER}"_qs};
    CmdPadF& pad = p.pad();
    pad.setCommandSet(set);
    pad.FlName->setText(u"CmdPadF.ini"_qs);
    bool ok = shoot(pad, out.filePath(u"cmdpad-full.png"_qs), clock);
    pad.Compress();
    ok = shoot(pad, out.filePath(u"cmdpad-collapsed.png"_qs), clock) && ok;
    pad.Expand();
    return ok;
}

// The chooser on a folder of setup files. The folder tree opens from the root down to the
// folder: one under /var/tmp, where few others are, keeps the tree tidy.
bool chooserShot(test::TestProgram& p, const QDir& out, QtClock& clock) {
    const QDir demo(u"/var/tmp/keyrelay-demo"_qs);
    demo.mkpath(u"."_qs);
    const QStringList names{u"CmdPadF.ini"_qs, u"night.ini"_qs, u"NR1.INI"_qs, u"notes.txt"_qs};
    for (const QString& name : names) {
        QFile file(demo.filePath(name));
        file.open(QIODevice::WriteOnly);
    }
    Dirx& chooser = p.windows.get<Dirx>();
    chooser.Filetype->setText(u"*.INI"_qs);
    chooser.applyPattern();
    chooser.setFolder(demo.path());
    // Only the branch down to the folder open, not the one to the settings folder as well.
    clock.waitMs(300);
    chooser.Dir1->collapseAll();
    chooser.setFolder(demo.path());
    chooser.File1->setCurrentRow(0);
    const bool ok = shoot(chooser, out.filePath(u"chooser.png"_qs), clock);
    for (const QString& name : names) {
        QFile::remove(demo.filePath(name));
    }
    demo.rmdir(demo.path());  // unless something else is in it
    return ok;
}

// The sweep window with a band plan, as a client linked over loopback to a second program
// whose sweep runs: the client's picture in both layouts, and the server's.
bool sweepShots(test::TestProgram& p, const QDir& out, QtClock& clock) {
    test::TestProgram station;  // the server
    // The link waits on the programs' own clocks: they let the sockets' events run.
    for (test::TestProgram* program : {&p, &station}) {
        program->fake.clock.setEventPump(
            [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); });
    }
    // The server's sweep types into the one and returns the focus to the other.
    station.fake.windows.addWindow("CW Skimmer");
    station.fake.windows.addWindow("N1MM Logger+");
    QsySweep& server = station.windows.get<QsySweep>();
    server.TargetName->setText(u"CW Skimmer"_qs);
    server.PrefixStr->setText(u"%CT"_qs);
    server.SufixStr->setText(u"{ENTER}"_qs);
    server.ReturnApp->setText(u"N1MM Logger+"_qs);
    const char* bands[][4] = {{"1810", "1840", "1", "30*"},
                              {"3500", "3560", "1", "30"},
                              {"7000", "7040", "0.5", "20"},
                              {"10100", "10130", "1", "20"},
                              {"14000", "14070", "1", "15"}};
    for (int i = 0; i < 5; ++i) {
        server.StartFreq[i]->setText(QLatin1String(bands[i][0]));
        server.EndFreq[i]->setText(QLatin1String(bands[i][1]));
        server.IncH[i]->setText(QLatin1String(bands[i][2]));
        server.DurSec[i]->setText(QLatin1String(bands[i][3]));
        server.IncCheck[i]->setChecked(i != 3);
    }
    server.StartTime[0]->setText(u"18:00"_qs);
    server.EndTime[0]->setText(u"23:59"_qs);
    server.CycleBands->setChecked(true);
    server.ImAServer->setChecked(true);
    server.Port->setText(u"7373"_qs);
    test::TestProgram::activate(server);          // listens
    if (server.Winsock1->listeningPort() == 0) {  // the port is taken: any other will do
        server.Winsock1->startListening(u"0"_qs);
        server.Port->setText(QString::number(server.Winsock1->listeningPort()));
    }

    QsySweep& s = p.windows.get<QsySweep>();
    s.IpAddr->setText(u"127.0.0.1"_qs);
    s.Port->setText(server.Port->text());
    s.Connect->trigger();
    // The client takes the server's table ("Rcv Data"), the server's sweep runs, and its
    // next keep-alive shows that and the number of clients on the client.
    bool linked = clock.waitFor([&] { return station.state.AcceptedCount == 1; }, 5000);
    s.Command6->click();
    linked =
        linked && clock.waitFor([&] { return s.TargetName->text() == u"CW Skimmer"_qs; }, 5000);
    server.Command2_Click();
    s.Label15->clear();
    station.fake.clock.advance(LinkServer::KeepAliveIntervalMs);
    if (!linked || !clock.waitFor([&] { return s.Label15->text() == u"1"_qs; }, 5000)) {
        std::fprintf(stderr, "screenshots: the two sweep windows did not link\n");
        return false;
    }
    bool ok = shoot(s, out.filePath(u"sweep-full.png"_qs), clock);
    server.COLx->trigger();  // Start collapsed it
    ok = shoot(server, out.filePath(u"sweep-server.png"_qs), clock) && ok;
    s.COLx->trigger();
    ok = shoot(s, out.filePath(u"sweep-compact.png"_qs), clock) && ok;
    s.Connect->trigger();  // the client leaves before the server goes
    clock.waitMs(200);
    return ok;
}

// The preview of a band plan over a day, with the hint of one stretch and the plan's
// mistakes under the drawing.
bool previewShot(const QDir& out, QtClock& clock) {
    test::TestProgram p;  // its clock reads 12:00 when the preview opens
    QsySweep& s = p.windows.get<QsySweep>();
    s.PrefixStr->setText(u"%CT"_qs);
    s.SufixStr->setText(u"{ENTER}"_qs);
    const char* bands[][6] = {{"1810", "1840", "1", "30*", "18:00", "23:59"},
                              {"3500", "3560", "1", "30", "22:00", "06:00"},
                              {"7000", "7040", "0.5", "20", "06:00", "22:00"},
                              {"10100", "10130", "1", "20", "", ""},
                              {"14000", "14070", "1", "15", "07:00", "19:00"},
                              {"21000", "21070", "1", "15", "09:00", "16:00"},
                              {"28000", "28010", "20", "10", "11:00", "14:00"}};
    for (int i = 0; i < 7; ++i) {
        s.StartFreq[i]->setText(QLatin1String(bands[i][0]));
        s.EndFreq[i]->setText(QLatin1String(bands[i][1]));
        s.IncH[i]->setText(QLatin1String(bands[i][2]));
        s.DurSec[i]->setText(QLatin1String(bands[i][3]));
        s.StartTime[i]->setText(QLatin1String(bands[i][4]));
        s.EndTime[i]->setText(QLatin1String(bands[i][5]));
        s.IncCheck[i]->setChecked(i != 3);
    }
    s.CycleBands->setChecked(true);
    s.PRV->trigger();
    PreviewFrm& preview = *s.Preview;
    preview.resize(920, 330);
    const QPoint hover(300, 8 + 22 + 11);  // over line 1's evening stretch
    return shoot(preview, out.filePath(u"sweep-preview.png"_qs), clock, [&] {
        QCursor::setPos(preview.mapToGlobal(hover));  // a hint goes when the mouse is elsewhere
        clock.waitMs(100);
        QToolTip::showText(preview.mapToGlobal(hover), preview.hintAt(hover), &preview);
    });
}

// The terminal filled with real traffic from skimsim's server, run here on a loopback port.
bool terminalShot(test::TestProgram& p, const QDir& out, QtClock& clock) {
    QString error;
    const std::optional<SkimOptions> options =
        SkimOptions::parse({u"--port"_qs, u"0"_qs, u"--call"_qs, u"DL0SIM"_qs}, &error);
    SkimServer server(*options);
    QTcpSocket Winsock2;
    SkimmerTelnet::Inputs inputs;
    inputs.telnetMode = [] { return true; };
    inputs.viaTelnet = [] { return true; };
    SkimmerTelnet telnet(Winsock2, clock, p.state, inputs);
    QObject::connect(&telnet, &SkimmerTelnet::terminalText,
                     [&](const QString& chunk) { TerminalF::showIfOpen(p.windows, chunk); });
    TerminalF& terminal = TerminalF::open(p.windows);
    if (!server.start(&error) || !telnet.connectToServer(QString::number(server.port()))) {
        std::fprintf(stderr, "screenshots: no telnet session: %s\n", qPrintable(error));
        return false;
    }
    clock.waitMs(300);
    double kHz = 14020;
    for (int i = 0; i < 4; ++i) {
        telnet.sendFrequencyCommand(QsyCommand::of(kHz));
        clock.waitMs(150);
        server.sendSpot(kHz + 0.3 * i);
        clock.waitMs(150);
        kHz += 0.5;
    }
    const bool ok = shoot(terminal, out.filePath(u"terminal.png"_qs), clock);
    // The server forgets its clients as their connections close: let that happen while it
    // is still there.
    server.dropAll();
    clock.waitMs(200);
    return ok;
}

// The launcher with a sample list, as during a launch that has reached its second row.
bool launcherShot(test::TestProgram& p, const QDir& out, QtClock& clock) {
    LaunchList list;
    list.rows[0] = {"C:\\Program Files\\Afreet\\CwSkimmer\\CwSkimmer.exe", "25", "", true, true};
    list.rows[1] = {"C:\\Program Files\\HDSDR\\HDSDR.exe", "10", "", true, true};
    list.rows[2] = {"C:\\N1MM Logger+\\N1MMLogger.net.exe", "5", "", false, true};
    list.rows[3] = {"/usr/bin/xterm", "1", "-geometry 80x24", true, false};
    LaunchListFile::save(LaunchListFile::pathIn(p.folder.path()), list);
    Apps& apps = p.windows.get<Apps>();
    apps.Text1_LostFocus(0);  // places the decoder note under its row
    apps.Shape1[0]->show();
    apps.Shape1[1]->show();
    return shoot(apps, out.filePath(u"launcher.png"_qs), clock);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"docs"_qs);
    QtClock clock;
    test::TestProgram p;
    bool ok = padShots(p, out, clock);
    ok = chooserShot(p, out, clock) && ok;
    ok = sweepShots(p, out, clock) && ok;
    ok = previewShot(out, clock) && ok;
    ok = terminalShot(p, out, clock) && ok;
    ok = launcherShot(p, out, clock) && ok;
    return ok ? 0 : 1;
}

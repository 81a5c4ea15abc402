// Two copies of the real program on one display, linked over loopback: the server sweeps
// against skimsim in telnet mode; the client is driven through its sweep window as a user
// drives it, with the mouse and the keyboard.
#include "cmdpad/CommandSetFile.h"
#include "e2e/EndToEnd.h"
#include "fakes/LoopbackPorts.h"
#include "launcher/LaunchListFile.h"
#include "sweep/SweepSettingsFile.h"

namespace keyrelay::e2e {
namespace {

using LinkEndToEnd = EndToEnd;

TEST_F(LinkEndToEnd, AClientFetchesPushesStartsAndStopsTheServersSweep) {
    // Centres of the sweep window's controls (full layout), and the running dot of the
    // compact layout that "Bandscan Auto Start" gives the server.
    const QPoint Port = user::belowMenu(7627, 862), Status = user::belowMenu(5077, 3037);
    const QPoint SendData = user::belowMenu(7117, 1357), RcvData = user::belowMenu(8497, 1357);
    const QPoint FirstStart = user::belowMenu(787, 3937);
    const QPoint Start = user::belowMenu(1282, 6667), Stop = user::belowMenu(2512, 6667);
    const QPoint RunningDot = user::belowMenu(1897, 287);
    const quint16 port = test::LoopbackPorts::closed();
    // The server: "Auto Start Apps" with nothing to launch, then "Bandscan Auto Start" of a
    // sweep that stays on 7000 kHz; a line that is not swept travels with the table.
    SweepSettings table;
    table.ViaTelnet = table.ImAServer = 1;
    table.SkimmerPort = startSkimsim();
    table.Port = QString::number(port);
    table.rows[0] = {"7000", "7000", "1", "1", 1, "", ""};
    table.rows[5] = {"14000", "14070", "0.5", "30*", 0, "08:00", "17:30"};
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(dir.path()), table));
    ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(dir.path()), LaunchList{}));
    CommandSet pad;
    pad.ASA = pad.FCAS = true;
    CommandSetFile::save(path("CmdPadF.ini"), pad);
    // The client: its own table, and the server's address.
    SweepSettings own;
    own.IpAddr = QStringLiteral("127.0.0.1");
    own.rows[3] = {"3500", "3560", "1", "5", 1, "", ""};
    ProgramCopy client;
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(client.dir.path()), own));

    startProgram();
    const unsigned long serverSweep = waitForWindow("QSY Sweep");
    // Sweeping: its window has been shown and activated, which opened the port.
    ASSERT_TRUE(eventually([&] { return skimsimReceived().contains("SKIMMER/QSY 7000\\r"); }, 60));
    ASSERT_NE(client.startProgram(), 0u);
    user::click(client.mainWindow, user::menuItem({"File", "Collapse", "Bandscanner"}, 2));
    const unsigned long sweep = client.waitForWindow("QSY Sweep");
    user::click(sweep, Port);  // its own port would be the server's: typed once it is shown
    run("xdotool", {"type", QString::number(port)});
    user::click(sweep, user::menuItem({"File", "Collapse", "Connect"}, 2));
    ASSERT_TRUE(eventually([&] { return user::copyField(sweep, Status) == "Connected"; }, 60));

    user::click(sweep, RcvData);
    ASSERT_TRUE(eventually([&] { return user::copyField(sweep, FirstStart) == "7000"; }, 30));
    run("xdotool", {"type", "10100"});  // over the selected text
    user::click(sweep, SendData);
    ASSERT_TRUE(eventually([&] { return skimsimReceived().contains("SKIMMER/QSY 10100\\r"); }, 60));
    ASSERT_TRUE(eventually([&] { return user::redAt(serverSweep, RunningDot); }, 10));
    user::click(sweep, Stop);
    ASSERT_TRUE(eventually([&] { return !user::redAt(serverSweep, RunningDot); }, 30));
    user::click(sweep, Start);
    ASSERT_TRUE(eventually([&] { return user::redAt(serverSweep, RunningDot); }, 30));

    EXPECT_TRUE(client.closeProgram());
    EXPECT_TRUE(closeProgram());
    SweepSettings onServer, onClient;
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), onServer);
    SweepSettingsFile::load(SweepSettingsFile::pathIn(client.dir.path()), onClient);
    table.rows[0].StartFreq = QStringLiteral("10100");
    EXPECT_EQ(onServer, table);
    EXPECT_TRUE(onClient.rows == table.rows);
    EXPECT_EQ(onClient.Port, table.Port);
}

}  // namespace
}  // namespace keyrelay::e2e

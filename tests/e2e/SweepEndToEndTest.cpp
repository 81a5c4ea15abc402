// The real program on a real X display (Xvfb + openbox): at its first activation it runs
// the launch list; the end of the launch opens the sweep window and starts the sweep
// ("Bandscan Auto Start"). Closing the main window saves the sweep settings.
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "cmdpad/CommandSetFile.h"
#include "e2e/EndToEnd.h"
#include "launcher/LaunchListFile.h"
#include "sweep/SweepSettingsFile.h"

namespace keyrelay::e2e {
namespace {

class SweepEndToEnd : public EndToEnd {
protected:
    // "Auto Start Apps" and "Bandscan Auto Start" over the launch list, a sweep of line 0
    // from `start` to `start` + 1 in steps of 0.5 with a dwell of 1 s.
    void prepare(const LaunchList& launch, SweepSettings& table, int start) {
        ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(dir.path()), launch));
        CommandSet pad;
        pad.ASA = pad.FCAS = true;
        CommandSetFile::save(path("CmdPadF.ini"), pad);
        auto& line = table.rows[0];
        line.StartFreq = QString::number(start);
        line.EndFreq = QString::number(start + 1);
        line.IncH = QStringLiteral("0.5");
        line.DurSec = QStringLiteral("1");
        line.IncCheck = 1;
    }
};

// The launch starts the recorder; the sweep types each frequency and its suffix into it.
TEST_F(SweepEndToEnd, TheAutoStartedSweepTypesItsFrequenciesAndSavesItsTableOnClose) {
    LaunchList launch;
    launch.rows[0] = {recorderScript("Sweep Target"), "3", "", false, true};
    SweepSettings table;
    prepare(launch, table, 14000);
    table.TargetName = QStringLiteral("Sweep Tar");  // the first characters of the title
    table.SufixStr = QStringLiteral("~");
    // Lines that are not swept but must come back exactly as they are.
    table.rows[5].StartFreq = QStringLiteral("  +^%~{ENTER}(x)");
    table.rows[5].DurSec = QStringLiteral("30*");
    table.rows[5].StartTime = QStringLiteral("22:00");
    table.rows[7].EndFreq = QStringLiteral("{LEFT 42}");
    // As a user's editor might leave it: LF line ends, bare check box values.
    QStringList edited = SweepSettingsFile::lines(table);
    edited.replaceInStrings(QRegularExpression("^ ([01]) $"), "\\1");
    writeFile("QsySweep.txt", edited.join('\n').toLatin1());

    startProgram();
    ASSERT_TRUE(eventually([&] { return typedLines().size() >= 4; }, 90))
        << typedLines().join('|').toStdString();
    // 14000, 14000.5, 14001, then the range starts again.
    EXPECT_EQ(typedLines().mid(0, 4), (QStringList{"14000", "14000.5", "14001", "14000"}));
    EXPECT_TRUE(closeProgram());
    EXPECT_EQ(savedLines("QsySweep.txt"), SweepSettingsFile::lines(table));
}

// The same start in telnet mode against skimsim: the program connects, answers its login
// and sends its frequency commands, each on the line's dwell. Nothing is typed anywhere.
TEST_F(SweepEndToEnd, TheAutoStartedSweepLogsInToTheDecoderAndSendsItsCommands) {
    SweepSettings table;
    table.ViaTelnet = table.ImAServer = 1;  // no link port: nothing listens for link clients
    table.SkimmerPort = startSkimsim();
    prepare(LaunchList{}, table, 7000);
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(dir.path()), table));

    startProgram();
    ASSERT_TRUE(eventually([&] { return skimsimReceived().size() >= 6; }, 90))
        << skimsimReceived().join('|').toStdString();
    EXPECT_EQ(skimsimReceived().mid(0, 6),
              (QStringList{"NOCALL\\r", "SKIMMER/QSY 7000\\r", "SKIMMER/QSY 7000.5\\r",
                           "SKIMMER/QSY 7001\\r", "SKIMMER/QSY 7000\\r", "SKIMMER/QSY 7000.5\\r"}));
    EXPECT_TRUE(closeProgram());
    SweepSettings loaded;
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), loaded);
    EXPECT_EQ(loaded, table);
}

}  // namespace
}  // namespace keyrelay::e2e

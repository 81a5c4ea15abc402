// The real program on a real X display: it types its commands into the recorder, repeats
// them, writes its setup file when its window is closed, and ends with status 0.
#include <QDir>
#include <QFile>
#include <QThread>

#include "cmdpad/CommandSetFile.h"
#include "e2e/EndToEnd.h"

namespace keyrelay::e2e {
namespace {

constexpr const char* TargetTitle = "KeyrelayTarget";

class PadEndToEnd : public EndToEnd {
protected:
    void SetUp() override {
        ASSERT_TRUE(QProcess::startDetached(recorderScript(TargetTitle), {}));
        ASSERT_TRUE(eventually([] { return findWindow(TargetTitle) != 0; }, 20));
        ASSERT_TRUE(eventually([this] { return QFile::exists(path("typed.txt")); }, 10));
    }

    // Clicks "Start" of the collapsed window: the first button of the control row, whose
    // 25-pixel height ends 10 pixels above the bottom edge at 96 dpi.
    void clickStart() {
        const QString window = QString::number(mainWindow);
        const QString geometry = run("xdotool", {"getwindowgeometry", window});
        const int height = geometry.section("Geometry: ", 1).section('x', 1).toInt();
        ASSERT_GT(height, 23) << geometry.toStdString();
        run("xdotool",
            {"mousemove", "--window", window, "31", QString::number(height - 23), "click", "1"});
    }

    // "CmdPadF.ini": the title, period "2", the command "auto", its wait "0", the end
    // command "+(ok)~", empty lines, then description, Alternate, RCAS, FCAS, HandShake, ASA
    // and CAS.
    void writeSetup(const QStringList& options, const char* lineEnd = "\r\n") {
        const QStringList lines = QStringList{TargetTitle, "2", "auto", "0", "+(ok)~"} +
                                  QStringList(22, QString()) + options;
        writeFile("CmdPadF.ini", (lines.join(lineEnd) + lineEnd).toLatin1());
    }
};

TEST_F(PadEndToEnd, TypesItsCommandsIntoTheTargetRepeatsThemAndSavesOnClose) {
    writeFile("CmdPadF.ini", QByteArray(TargetTitle) + "\r\n3\r\nabc\r\n0.2\r\n{h 3}+x~\r\n");
    CommandSet loaded;
    ASSERT_TRUE(CommandSetFile::load(path("CmdPadF.ini"), loaded));
    ASSERT_NE(startProgram(), 0u);
    clickStart();
    ASSERT_TRUE(eventually([&] { return typedLines().size() >= 3; }, 30))
        << typedLines().join(" | ").toStdString();
    EXPECT_EQ(typedLines().mid(0, 3), QStringList(3, "abchhhX"));
    EXPECT_TRUE(closeProgram());
    // Written back whole, the values as they were loaded.
    EXPECT_EQ(savedLines("CmdPadF.ini").size(), 34);
    CommandSet saved;
    ASSERT_TRUE(CommandSetFile::load(path("CmdPadF.ini"), saved));
    EXPECT_EQ(saved, loaded);
}

TEST_F(PadEndToEnd, NamedSetupFromTheCommandLineIsWrittenUnderThatName) {
    writeFile("NR1", "Second radio\r\n");
    ASSERT_NE(startProgram({"NR1"}), 0u);
    EXPECT_TRUE(closeProgram());
    EXPECT_EQ(savedLines("NR1").value(0), "Second radio");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.ini", "*.INI"}, QDir::Files), QStringList());
}

// "Auto Start Apps" with an empty launch list: the launch ends at once, closes the
// launcher and applies "Keypad Auto Start", which starts the pad without a click.
TEST_F(PadEndToEnd, KeypadAutoStartAfterTheAutomaticLaunch) {
    writeSetup({"by the launch", " 0 ", "TRUE", "FALSE", "FALSE", "TRUE", "FALSE"});
    ASSERT_NE(startProgram(), 0u);
    ASSERT_TRUE(eventually([&] { return typedLines().size() >= 2; }, 30))
        << typedLines().join(" | ").toStdString();
    EXPECT_EQ(typedLines().mid(0, 2), QStringList(2, "autoOK"));
    EXPECT_EQ(savedLines("StartApps.txt").size(), 31);  // written when the launch closed it
    EXPECT_TRUE(closeProgram());
    EXPECT_EQ(savedLines("CmdPadF.ini").value(27), "by the launch");
}

// "Close After Apps Start" answered Yes when the automatic launch closes the launcher:
// the program ends at once, with status 0, without writing its setup file.
TEST_F(PadEndToEnd, YesToTheLaunchersQuestionEndsTheProgram) {
    writeSetup({"kept", " 0 ", "TRUE", "FALSE", "FALSE", "TRUE", "TRUE"}, "\n");
    ASSERT_NE(startProgram(), 0u);
    unsigned long question = 0;
    ASSERT_TRUE(
        eventually([&] { return (question = findWindow("Keyrelay", mainWindow)) != 0; }, 20));
    run("xdotool", {"windowactivate", "--sync", QString::number(question), "key", "Return"});
    EXPECT_TRUE(endsWithStatus0());
    EXPECT_TRUE(typedLines().isEmpty());               // no "Keypad Auto Start" after the end
    EXPECT_TRUE(savedLines("CmdPadF.ini").isEmpty());  // still LF ends: not rewritten
}

// A desktop logout (SIGTERM) in the middle of an edit ends the program as closing its window
// does: the edit is saved, nothing waits for an answer, and the status is 0.
TEST_F(EndToEnd, TerminationSignalSavesTheEditUnderWay) {
    writeFile("CmdPadF.ini", "before\r\n");
    ASSERT_NE(startProgram(), 0u);
    user::click(mainWindow,
                user::menuItem({"File", "Collapse", "Bandscanner", "Edit Start Apps", "Help"}, 1));
    const QPoint appTitle = user::belowMenu(2000, 750);
    ASSERT_TRUE(eventually([&] { return user::copyField(mainWindow, appTitle) == "before"; }, 20));
    run("xdotool", {"type", "after"});  // replaces the selected text
    ASSERT_TRUE(eventually([&] { return user::copyField(mainWindow, appTitle) == "after"; }, 20));
    // Another copy in this folder writes the sweep file after the tick had this one read it:
    // with no one to ask, the other copy's file stays.
    QThread::sleep(2);
    writeFile("QsySweep.txt", "other copy\r\n");
    program.terminate();
    EXPECT_TRUE(endsWithStatus0());
    EXPECT_EQ(savedLines("CmdPadF.ini").value(0), "after");
    EXPECT_EQ(savedLines("QsySweep.txt"), QStringList{"other copy"});
}

// The X server going away (the session ends) saves the settings before the process ends.
TEST(ProgramLosingItsDisplay, SavesItsSettingsFirst) {
    QProcess xvfb;  // a display of its own, on a free number
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24"});
    ASSERT_TRUE(xvfb.waitForReadyRead(20000));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + QString::fromLatin1(xvfb.readLine()).trimmed());
    ProgramCopy copy;
    copy.writeFile("CmdPadF.ini", "before\r\n");
    copy.program.setProcessEnvironment(env);
    copy.program.setWorkingDirectory(copy.dir.path());
    copy.program.start(QStringLiteral(KEYRELAY_BINARY), {});
    ASSERT_TRUE(copy.program.waitForStarted(10000));
    QProcess shown;
    shown.setProcessEnvironment(env);
    shown.start("xdotool", {"search", "--sync", "--onlyvisible", "--name", "^Keyrelay$"});
    ASSERT_TRUE(shown.waitForFinished(20000) && shown.exitCode() == 0);
    xvfb.kill();
    ASSERT_TRUE(copy.program.waitForFinished(20000));
    EXPECT_EQ(copy.savedLines("CmdPadF.ini").size(), 34);  // written anew
    EXPECT_EQ(copy.savedLines("CmdPadF.ini").value(0), "before");
}

TEST(ProgramWithoutDisplay, SaysWhyAndFails) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    p.setProcessEnvironment(env);
    QTemporaryDir dir;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(KEYRELAY_BINARY), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("keyrelay: cannot start"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
}  // namespace keyrelay::e2e

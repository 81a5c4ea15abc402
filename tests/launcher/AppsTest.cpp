#include "launcher/Apps.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <ostream>

#include "app/ProgramActions.h"
#include "cmdpad/CmdPadF.h"
#include "core/LineFile.h"
#include "fakes/FakePlatform.h"
#include "launcher/LaunchListFile.h"
#include "sweep/QsySweep.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

// Readable failure messages for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace keyrelay {
namespace {

struct ProgramEnded {};

using Action = FakeMouse::Action;
using Event = FakeMouse::Event;

// One program on the fake desktop, its settings in a temporary folder.
struct Program {
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
    WindowRegistry windows;
    ProgramActions actions{windows};
    QTemporaryDir folder;
    AppContext ctx{state,   fake.platform(), delivery,      marker,
                   windows, actions,         folder.path(), [] { throw ProgramEnded{}; }};

    Program() { windows.setContext(ctx); }
    ~Program() {
        // Deleting one window may delete others it owns: keep track of which are left.
        const QWidgetList all = QApplication::topLevelWidgets();
        std::vector<QPointer<QWidget>> left(all.begin(), all.end());
        for (QPointer<QWidget>& w : left) {
            delete w.data();
        }
    }

    Apps& apps() { return windows.get<Apps>(); }
    CmdPadF& pad() { return windows.get<CmdPadF>(); }
    QString listPath() const { return folder.filePath(QStringLiteral("StartApps.txt")); }
};

struct Row {
    const char* path;
    const char* wait = "";
    const char* param = "";
    bool minimize = false;
    bool include = true;
};

void fill(Apps& apps, int index, const Row& row) {
    apps.Text1[index]->setText(QString::fromLatin1(row.path));
    apps.Text2[index]->setText(QString::fromLatin1(row.wait));
    apps.Param[index]->setText(QString::fromLatin1(row.param));
    apps.Check1[index]->setChecked(row.minimize);
    apps.Check4[index]->setChecked(row.include);
}

std::vector<Event> clicksAt(int x, int y, std::int64_t atMs) {
    return {
        {Action::Move, x, y, atMs}, {Action::LeftDown, x, y, atMs}, {Action::LeftUp, x, y, atMs}};
}

std::vector<Event> joined(std::vector<Event> a, const std::vector<Event>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ScreenRect SkimmerRect{100, 50, 900, 650};

TEST(AppsLaunch, StartsEachIncludedRowInItsFolderWithParametersStateAndWait) {
    Program program;
    Apps& apps = program.apps();
    fill(apps, 0, {"/opt/tools/logger", "2.5", "-x 1 \"two words\"", true});
    fill(apps, 1, {"C:\\Ham\\Keyer\\keyer.exe", "1"});
    fill(apps, 2, {"/opt/excluded/prog", "5", "", true, false});
    fill(apps, 3, {"noseparator.exe", "7"});
    fill(apps, 4, {"/opt/HDSDR/HDSDR.exe", "abc", "-b", true});
    apps.show();

    std::vector<bool> markersAtLastStart;
    program.fake.processes.setOnStart([&](const FakeProcesses::Start& start) {
        if (start.file == "HDSDR.exe") {
            for (Indicator* marker : apps.Shape1) {
                markersAtLastStart.push_back(!marker->isHidden());
            }
        }
    });
    apps.StartEm();

    const auto& starts = program.fake.processes.starts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0].folder, "/opt/tools/");
    EXPECT_EQ(starts[0].file, "logger");
    EXPECT_EQ(starts[0].parameters, "-x 1 \"two words\"");
    EXPECT_EQ(starts[0].state, WindowState::Minimized);
    EXPECT_EQ(starts[0].atMs, 0);
    EXPECT_EQ(starts[1].folder, "C:/Ham/Keyer/");
    EXPECT_EQ(starts[1].file, "keyer.exe");
    EXPECT_EQ(starts[1].parameters, "");
    EXPECT_EQ(starts[1].state, WindowState::Normal);
    EXPECT_EQ(starts[1].atMs, 2500);
    // The receiver starts in a normal window even when minimising is asked for: it is
    // minimised by a click. The excluded row and the row without a folder do not wait.
    EXPECT_EQ(starts[2].file, "HDSDR.exe");
    EXPECT_EQ(starts[2].state, WindowState::Normal);
    EXPECT_EQ(starts[2].atMs, 3500);
    EXPECT_EQ(program.fake.clock.elapsedMs(), 3500);
    EXPECT_EQ(markersAtLastStart, (std::vector<bool>{true, true, false, true, true, false}));
    EXPECT_TRUE(program.fake.mouse.events().empty());  // no receiver window to click
}

TEST(AppsLaunch, ARunningProgramIsNeitherStartedNorWaitedForNorClicked) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("CW Skimmer - [RX1]", SkimmerRect);
    program.fake.processes.setModuleNames({"bash", "CWSKIMMER.EXE", "LOGGER"});
    fill(apps, 0, {"C:\\CW Skimmer\\CwSkimmer.exe", "30", "", true});
    fill(apps, 1, {"/opt/tools/logger", "20"});
    fill(apps, 2, {"/opt/tools/logger.sh", "4"});  // another name: started
    apps.show();
    apps.StartEm();

    const auto& starts = program.fake.processes.starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].file, "logger.sh");
    EXPECT_EQ(starts[0].atMs, 0);
    EXPECT_EQ(program.fake.clock.elapsedMs(), 4000);
    EXPECT_TRUE(program.fake.mouse.events().empty());
}

TEST(AppsLaunch, TheDecoderIsClickedIntoFocusAndMinimisedAfterItsWait) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("Some Other Window", {0, 0, 50, 50});
    program.fake.windows.addWindow("Afreet CW Skimmer 2.1", SkimmerRect);
    fill(apps, 0, {"C:\\Program Files\\Afreet\\CwSkimmer\\CwSkimmer.exe", "12", "-ini a", true});
    apps.show();
    apps.StartEm();

    ASSERT_EQ(program.fake.processes.starts().size(), 1u);
    EXPECT_EQ(program.fake.processes.starts()[0].state, WindowState::Normal);
    EXPECT_EQ(program.fake.mouse.events(),
              joined(clicksAt(125, 120, 12000), clicksAt(900 - 95, 60, 13000)));
}

TEST(AppsLaunch, WithoutMinimiseTheDecoderGetsOnlyTheFocusClick) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);
    fill(apps, 0, {"/opt/CWSkimmer/skim", "3"});
    apps.show();
    apps.StartEm();
    EXPECT_EQ(program.fake.mouse.events(), clicksAt(125, 120, 3000));
    EXPECT_EQ(program.fake.clock.elapsedMs(), 3000);
}

TEST(AppsLaunch, AnExcludedDecoderRowStillClicksAnExistingDecoderWindow) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);
    fill(apps, 0, {"C:\\CwSkimmer\\CwSkimmer.exe", "30", "", true, false});
    apps.show();
    apps.StartEm();

    EXPECT_TRUE(program.fake.processes.starts().empty());
    EXPECT_TRUE(apps.Shape1[0]->isHidden());
    EXPECT_EQ(program.fake.mouse.events(), joined(clicksAt(125, 120, 0), clicksAt(805, 60, 1000)));
}

TEST(AppsLaunch, TheReceiverGetsOnlyTheMinimiseClickWhenAskedFor) {
    struct Case {
        bool minimize;
        std::vector<Event> events;
    };
    const Case cases[] = {
        {true, clicksAt(1200 - 95, 210, 6000)},
        {false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minimize);
        Program program;
        Apps& apps = program.apps();
        program.fake.windows.addWindow("HDSDR - [default]", {400, 200, 1200, 800});
        fill(apps, 0, {"C:\\HDSDR\\HDSDR.exe", "5", "", c.minimize});
        apps.show();
        apps.StartEm();
        EXPECT_EQ(program.fake.mouse.events(), c.events);
    }
}

TEST(AppsLaunch, NoClicksWhileTheLauncherWindowIsHidden) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);
    program.fake.windows.addWindow("HDSDR [default]", SkimmerRect);
    fill(apps, 0, {"/opt/cwskimmer/skim", "2", "", true});
    fill(apps, 1, {"/opt/hdsdr/hdsdr", "2", "", true});
    ASSERT_TRUE(apps.isHidden());
    apps.StartEm();

    EXPECT_EQ(program.fake.processes.starts().size(), 2u);
    EXPECT_EQ(program.fake.clock.elapsedMs(), 4000);
    EXPECT_TRUE(program.fake.mouse.events().empty());
}

TEST(AppsLaunch, TheOffsetFromTheListFileMovesTheMinimiseClick) {
    Program program;
    QStringList lines = LaunchListFile::toLines(LaunchList{});
    lines[0] = QStringLiteral("C:\\CwSkimmer\\CwSkimmer.exe");
    lines[1] = QStringLiteral("4");
    lines[12] = QStringLiteral(" 1 ");  // include
    lines[18] = QStringLiteral(" 1 ");  // minimise
    lines[24] = QStringLiteral(" 70 ");
    ASSERT_TRUE(LineFile::write(program.listPath(), lines));
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);

    Apps& apps = program.apps();
    EXPECT_EQ(program.state.ClickOffset, 70);
    apps.show();
    apps.StartEm();
    EXPECT_EQ(program.fake.mouse.events(),
              joined(clicksAt(125, 120, 4000), clicksAt(900 - 70, 60, 5000)));
}

TEST(AppsLaunch, CancelDuringTheThirdRowsWaitEndsTheLaunchAndStillAppliesTheAutoStarts) {
    Program program;
    program.pad().RCAS->setChecked(true);
    program.pad().FCAS->setChecked(true);
    program.pad().AppTitle->setText(QStringLiteral("Target"));  // what the pad sends to
    program.fake.windows.addWindow("Target");
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);
    Apps& apps = program.apps();
    fill(apps, 0, {"/opt/a/one", "10"});
    fill(apps, 1, {"/opt/a/two", "10"});
    fill(apps, 2, {"/opt/CwSkimmer/CwSkimmer.exe", "10", "", true});
    fill(apps, 3, {"/opt/a/four", "10"});
    fill(apps, 4, {"/opt/a/five", "10"});
    fill(apps, 5, {"/opt/cwskimmer/six", "10"});
    apps.show();

    VirtualClock& clock = program.fake.clock;
    Clock::TimerId cancel = 0;
    program.fake.processes.setOnStart([&](const FakeProcesses::Start& start) {
        if (start.file == "CwSkimmer.exe") {
            cancel = clock.startTimer(3000, [&] {
                clock.stopTimer(cancel);
                apps.Command3->click();
            });
        }
    });
    std::vector<std::pair<bool, bool>> applied;
    QObject::connect(&apps, &Apps::autoStartsApplied,
                     [&](bool keypad, bool bandscan) { applied.emplace_back(keypad, bandscan); });
    QPointer<Apps> watched(&apps);
    std::int64_t closedAtMs = -1;
    QObject::connect(&apps, &ProgramWindow::unloaded, [&] { closedAtMs = clock.elapsedMs(); });
    apps.StartEm();

    const auto& starts = program.fake.processes.starts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[2].file, "CwSkimmer.exe");
    EXPECT_EQ(closedAtMs, 23000);
    EXPECT_TRUE(program.fake.mouse.events().empty());
    EXPECT_FALSE(program.state.LaunchCancel);
    EXPECT_FALSE(program.windows.isLoaded(Apps::Name));
    ASSERT_TRUE(watched);  // deleted later, not under the caller
    EXPECT_TRUE(watched->isUnloaded());
    EXPECT_EQ(applied, (std::vector<std::pair<bool, bool>>{{true, true}}));
    // The pad runs, the sweep window is open.
    EXPECT_FALSE(program.pad().Shape1->isHidden());
    EXPECT_EQ(program.pad().Command2->text(), "Running");
    ASSERT_NE(program.windows.ifLoaded<QsySweep>(), nullptr);
    EXPECT_TRUE(program.windows.ifLoaded<QsySweep>()->isVisible());
    // Closing wrote the list as it stood.
    const std::optional<LaunchList> saved = LaunchListFile::read(program.folder.path());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->rows[5].path, "/opt/cwskimmer/six");
}

TEST(AppsLaunch, TheEndAppliesOnlyTheCheckedAutoStarts) {
    for (int mask = 0; mask < 4; ++mask) {
        SCOPED_TRACE(mask);
        Program program;
        program.pad().RCAS->setChecked((mask & 1) != 0);
        program.pad().FCAS->setChecked((mask & 2) != 0);
        Apps& apps = program.apps();
        std::vector<std::pair<bool, bool>> applied;
        QObject::connect(&apps, &Apps::autoStartsApplied, [&](bool keypad, bool bandscan) {
            // The launcher has closed before the auto-starts run.
            EXPECT_FALSE(program.windows.isLoaded(Apps::Name));
            applied.emplace_back(keypad, bandscan);
        });
        apps.StartEm();
        EXPECT_EQ(applied,
                  (std::vector<std::pair<bool, bool>>{{(mask & 1) != 0, (mask & 2) != 0}}));
    }
}

TEST(AppsLaunch, FailuresSkipOnlyTheStepThatFailed) {
    Program program;
    Apps& apps = program.apps();
    program.fake.windows.addWindow("CW Skimmer", SkimmerRect);
    program.fake.processes.setStartFailure(PlatformError(errors::FileNotFound, "not there"));
    program.fake.mouse.setFailure(PlatformError(errors::PermissionDenied, "refused"));
    fill(apps, 0, {"/opt/gone/prog", "6"});
    fill(apps, 1, {"/opt/cwskimmer/skim", "2", "", true});
    apps.show();
    apps.StartEm();

    // A start that fails still gets its wait; refused clicks do not end the launch.
    EXPECT_EQ(program.fake.clock.elapsedMs(), 6000 + 2000 + 1000);
    EXPECT_FALSE(program.windows.isLoaded(Apps::Name));
}

TEST(AppsLaunch, StartDuringALaunchDoesNotStartASecondOne) {
    Program program;
    Apps& apps = program.apps();
    fill(apps, 0, {"/opt/a/one", "5"});
    fill(apps, 1, {"/opt/a/two", "5"});
    int nested = 0;
    program.fake.processes.setOnStart([&](const FakeProcesses::Start&) {
        if (nested++ == 0) {
            apps.Command2->click();
        }
    });
    apps.StartEm();
    EXPECT_EQ(program.fake.processes.starts().size(), 2u);
    EXPECT_EQ(program.fake.clock.elapsedMs(), 10000);
}

TEST(AppsLaunch, ClosingTheWindowDuringAWaitEndsTheLaunch) {
    Program program;
    program.pad().RCAS->setChecked(true);
    Apps& apps = program.apps();
    fill(apps, 0, {"/opt/a/one", "5"});
    fill(apps, 1, {"/opt/a/two", "5"});
    apps.show();
    VirtualClock& clock = program.fake.clock;
    QPointer<Apps> watched(&apps);
    bool aliveAfterClose = false;
    Clock::TimerId closer = clock.startTimer(2000, [&] {
        clock.stopTimer(closer);
        apps.close();
        // What an event loop turn inside the wait would do with a closed window.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveAfterClose = !watched.isNull();
    });
    int applied = 0;
    QObject::connect(&apps, &Apps::autoStartsApplied, [&] { ++applied; });
    apps.StartEm();
    EXPECT_TRUE(aliveAfterClose);  // not deleted under the running launch
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());  // but deleted once it has ended

    EXPECT_EQ(program.fake.processes.starts().size(), 1u);
    EXPECT_EQ(clock.elapsedMs(), 2000);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(QFile::exists(program.listPath()));
}

TEST(AppsWindow, LoadsTheListFileIntoTheFields) {
    Program program;
    LaunchList list;
    list.rows[1] = {"/opt/b/prog", "7.5", "-q", true, true};
    list.rows[4] = {"C:\\x\\y.exe", "1", "", false, true};
    list.clickOffset = 60;
    ASSERT_TRUE(LaunchListFile::write(program.folder.path(), list));

    Apps& apps = program.apps();
    EXPECT_EQ(apps.Text1[1]->text(), "/opt/b/prog");
    EXPECT_EQ(apps.Text2[1]->text(), "7.5");
    EXPECT_EQ(apps.Param[1]->text(), "-q");
    EXPECT_TRUE(apps.Check1[1]->isChecked());
    EXPECT_TRUE(apps.Check4[1]->isChecked());
    EXPECT_EQ(apps.Text1[4]->text(), "C:\\x\\y.exe");
    EXPECT_FALSE(apps.Check1[4]->isChecked());
    EXPECT_EQ(program.state.ClickOffset, 60);
    EXPECT_EQ(apps.currentList(), list);
    for (Indicator* marker : apps.Shape1) {
        EXPECT_TRUE(marker->isHidden());
    }
}

TEST(AppsWindow, WithoutAListFileTheFieldsAreEmptyAndTheOffsetIs95) {
    Program program;
    Apps& apps = program.apps();
    EXPECT_EQ(apps.currentList().rows, LaunchList{}.rows);
    EXPECT_EQ(program.state.ClickOffset, 95);
}

TEST(AppsWindow, CloseMarksTheAutoLaunchDoneAndWritesTheList) {
    Program program;
    Apps& apps = program.apps();
    fill(apps, 2, {"/opt/c/prog", "3", "--fast", true});
    apps.Command1->click();

    EXPECT_TRUE(program.state.AppsStarted);
    EXPECT_FALSE(program.windows.isLoaded(Apps::Name));
    const std::optional<QStringList> lines = LineFile::read(program.listPath());
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 31);
    EXPECT_EQ((*lines)[4], "/opt/c/prog");
    EXPECT_EQ((*lines)[5], "3");
    EXPECT_EQ((*lines)[14], " 1 ");
    EXPECT_EQ((*lines)[20], " 1 ");
    EXPECT_EQ((*lines)[24], " 95 ");
    EXPECT_EQ((*lines)[27], "--fast");
    EXPECT_TRUE(program.fake.dialogs.questions().empty());  // "Close After Apps Start" off
}

TEST(AppsWindow, ClosingAsksWhetherToEndTheProgramWhenTheOptionIsChecked) {
    {
        Program program;
        program.pad().CAS->setChecked(true);
        program.fake.dialogs.queueYesNo(false);
        program.apps().close();
        EXPECT_EQ(program.fake.dialogs.questions(),
                  std::vector<std::string>{"Do you want to close the program"});
        EXPECT_TRUE(QFile::exists(program.listPath()));
    }
    {
        Program program;
        program.pad().CAS->setChecked(true);
        program.fake.dialogs.queueYesNo(true);
        Apps& apps = program.apps();
        EXPECT_THROW(apps.close(), ProgramEnded);
        EXPECT_TRUE(QFile::exists(program.listPath()));  // written before the question
    }
}

TEST(AppsWindow, CancelAsksTheLaunchToStop) {
    Program program;
    program.apps().Command3->click();
    EXPECT_TRUE(program.state.LaunchCancel);
}

TEST(AppsWindow, HelpShowsTheFivePiecesJoined) {
    Program program;
    program.apps().Command4->click();
    const std::string expected =
        std::string(
            "Enter the executable path and name. Then the wait to execute the next "
            "program. Give CW Skimmer enough time ") +
        "So that it can minimize if you have that checked. In order to minimize CW Skimmer "
        "the system has to " +
        "emulate a mouse click. The position of the minimize button is different from "
        "machine to machine " +
        "so if the cursor clicks in the wrong spot you can edit StartApps.txt and change the "
        "last number " +
        "in the file to move it left or right. The defult is 90 if you change it to 70 it "
        "will move to the right.";
    EXPECT_EQ(program.fake.dialogs.messages(), std::vector<std::string>{expected});
}

TEST(AppsWindow, LeavingAPathFieldChecksThatTheFileExists) {
    Program program;
    QFile existing(program.folder.filePath(QStringLiteral("prog.exe")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString folderBackslashed = QString(program.folder.path()).replace('/', '\\');
    struct Case {
        QString path;
        bool reported;
    };
    const Case cases[] = {
        {QString(), false},
        {existing.fileName(), false},
        {folderBackslashed + QStringLiteral("\\prog.exe"), false},
        {program.folder.filePath(QStringLiteral("missing.exe")), true},
        {program.folder.path(), true},  // a folder is not a program
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        program.fake.dialogs.clear();
        Apps& apps = program.apps();
        apps.Text1[3]->setText(c.path);
        apps.Text1_LostFocus(3);
        if (c.reported) {
            EXPECT_EQ(program.fake.dialogs.messages(),
                      std::vector<std::string>{(c.path + " not found.").toStdString()});
        } else {
            EXPECT_TRUE(program.fake.dialogs.messages().empty());
        }
        EXPECT_EQ(apps.Text1[3]->text(), c.path);  // kept as typed
    }
}

TEST(AppsWindow, MovingTheFocusOutOfAMissingPathReportsItAndPutsTheFocusBack) {
    Program program;
    Apps& apps = program.apps();
    apps.show();
    apps.activateWindow();
    QApplication::setActiveWindow(&apps);
    apps.Text1[2]->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(apps.Text1[2]->hasFocus());
    apps.Text1[2]->setText(QStringLiteral("/no/such/folder/prog"));
    apps.Param[2]->setFocus(Qt::TabFocusReason);

    EXPECT_EQ(program.fake.dialogs.messages(),
              std::vector<std::string>{"/no/such/folder/prog not found."});
    EXPECT_TRUE(apps.Text1[2]->hasFocus());
}

TEST(AppsWindow, ADecoderPathMovesTheNoteUnderItsRow) {
    Program program;
    Apps& apps = program.apps();
    const int noteLeft = apps.Label13->x();
    apps.Text1[4]->setText(QStringLiteral("/nowhere/CwSkimmer/cwskimmer.exe"));
    apps.Text1_LostFocus(4);
    EXPECT_EQ(apps.Label13->y(), apps.Text1[4]->y() + Twips::toPixels(420));
    EXPECT_EQ(apps.Label13->x(), noteLeft);

    apps.Text1[1]->setText(QStringLiteral("/opt/hdsdr/hdsdr"));
    apps.Text1_LostFocus(1);
    EXPECT_EQ(apps.Label13->y(), apps.Text1[4]->y() + Twips::toPixels(420));
}

}  // namespace
}  // namespace keyrelay

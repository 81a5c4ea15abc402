#pragma once

#include <array>

#include "cmdpad/CommandSet.h"
#include "cmdpad/PadSequence.h"
#include "cmdpad/PadTarget.h"
#include "core/SettingsWriter.h"
#include "platform/Clock.h"
#include "ui/ProgramWindow.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace keyrelay {

class Indicator;

// The main window: the command pad with its thirteen commands, the one-second tick that
// also times the sweep, and the menu that opens every other window. Closing it ends the
// program.
//
// A command sequence activates the target window by AppTitle and types CMND 0..12 with
// the waits RepSec 1..12 between them; the tick repeats it every RepSec 0 seconds from
// the start of the previous one while the running dot Shape1 is shown. Every wait keeps
// the event loop running, so ticks, Stop and Hold work during a sequence. The decisions
// are PadSequence's and PadTick's; the window lends them its controls as their PadTarget.
class CmdPadF : public ProgramWindow, private PadTarget {
    Q_OBJECT
public:
    static constexpr const char* Name = "CmdPadF";

    explicit CmdPadF(AppContext& context);
    ~CmdPadF() override;

    // The opening work that needs the command line, run once right after construction at
    // program start: `argumentText` (the whole text after the program path) names the
    // setup file, "CmdPadF.ini" when empty. Collapses the window, loads the set and, with
    // "Handshake With LDK" checked, deletes a busy marker left over from an earlier run.
    // Failures are ignored.
    void openWith(const QString& argumentText);

    // Start: the first round at once, then cycling.
    void StartIt();
    void Compress();
    void Expand();

    // The setup file named by FlName (resolved against the settings folder). LoadFile: a
    // missing file changes nothing; SaveFile: an empty FlName writes nothing, a file another
    // copy of the program changed since it was read is replaced only after asking. Both
    // throw PlatformError when the file cannot be read or written; the callers decide
    // whether to report it.
    void LoadFile();
    void SaveFile();

    // What the launcher applies at the end of a launch when "Keypad Auto Start" is
    // checked.
    void keypadAutoStart();

    // The fields as one command set, and back.
    CommandSet commandSet() const;
    void setCommandSet(const CommandSet& set);

    // The file the FlName box names, resolved against the settings folder.
    QString setupFilePath() const;

    // Menu "Load" (Load1) and "Save" (SC): the standard open and save dialogs.
    void Load1_Click();
    void SC_Click();
    // Stop (the release of a mouse button over Command3) and Hold (Command4).
    void Command3_MouseUp();
    void Command4_Click();
    // The hidden helper button: points the mouse at CW Skimmer's minimise area.
    void Command5_Click();
    // The one-second tick.
    void Timer1_Timer();

    // Fields of the command set.
    QLineEdit* FlName = nullptr;
    QLineEdit* AppTitle = nullptr;
    QLineEdit* AppDesc = nullptr;
    std::array<QLineEdit*, 16> RepSec{};  // 0 period, 1..12 waits, 13..15 hidden spares
    std::array<QLineEdit*, CommandSet::Commands> CMND{};
    QCheckBox* Alternate = nullptr;

    QLabel* Label1 = nullptr;          // "App Title:"
    QLabel* Label2 = nullptr;          // "Repeat Sec:"
    std::array<QLabel*, 15> Label3{};  // 0, 2..13 "Command n"; 14 "Description:"
    std::array<QLabel*, 14> Label4{};  // 0..11 "Secs"; 13 "Commands File Name"

    // The control row.
    QPushButton* Command1 = nullptr;  // "Quit"
    QPushButton* Command2 = nullptr;  // "Start" / "Running"
    QPushButton* Command3 = nullptr;  // "Stop"
    QPushButton* Command4 = nullptr;  // "Hold"
    QPushButton* Command5 = nullptr;  // hidden
    Indicator* Shape1 = nullptr;      // running
    Indicator* Shape2 = nullptr;      // hold
    QLineEdit* Text1 = nullptr;       // progress "12/60"

    // Menu.
    QMenu* FF = nullptr;  // "File"
    QAction* LD = nullptr;
    QAction* SC = nullptr;
    QAction* Load1 = nullptr;
    QAction* EX = nullptr;
    QAction* RCAS = nullptr;
    QAction* FCAS = nullptr;
    QAction* HandShake = nullptr;
    QAction* ASA = nullptr;
    QAction* CAS = nullptr;
    QAction* EXp = nullptr;
    QAction* FRC = nullptr;
    QAction* ESA = nullptr;
    QAction* Hlp = nullptr;

    Clock::TimerId Timer1 = 0;

protected:
    void closingWork() override;
    void activationWork() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFields();
    void buildControlRow();
    void buildMenu();
    void setWindowTwips(int width, int height);
    // Shows, hides and moves the controls for the full or the collapsed layout.
    void applyLayout(bool full);
    void LD_Click();

    // PadTarget
    QString commandText(int index) override;
    QString secondsText(int index) override;
    QString appTitle() override;
    bool handshakeChecked() override;
    bool runningShown() override;
    void showRunning(bool shown) override;
    void setRunningGreen(bool green) override;
    bool holdShown() override;
    void showHold(bool shown) override;
    void setProgress(const QString& text) override;
    void setStartCaption(const QString& caption) override;
    void compress() override;
    void loadSweepWindow() override;
    void sweepDotRed() override;
    void sweepTickDuties() override;

    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    PadSequence sequence_;
    SettingsWriter setupWriter_;
};

}  // namespace keyrelay

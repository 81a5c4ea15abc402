#pragma once

#include <array>

#include "core/SettingsWriter.h"
#include "launcher/LaunchList.h"
#include "launcher/LaunchSequenceTarget.h"
#include "ui/ProgramWindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace keyrelay {

class Indicator;
class LaunchSequence;

// The launcher: up to six programs started one after another (each with its parameters,
// a wait before the next, optionally minimised), the decoder and the receiver minimised
// by a click on their minimise buttons, and at the end the command pad's and the sweep's
// auto-start options applied. The list lives in "StartApps.txt" in the settings folder:
// read when the window loads, written when it closes. The launch itself is
// LaunchSequence's; this window is its target.
class Apps : public ProgramWindow, private LaunchSequenceTarget {
    Q_OBJECT
public:
    static constexpr const char* Name = "Apps";
    static constexpr int Rows = LaunchList::Rows;

    explicit Apps(AppContext& context);
    ~Apps() override;

    // The launch sequence (LaunchSequence::run, with its ClickStart and ClickStart1) over
    // this window's rows. Does nothing when a launch is already running.
    void StartEm();
    // Handlers.
    void Command1_Click();  // Close
    void Command2_Click();  // Start
    void Command3_Click();  // Cancel
    void Command4_Click();  // Help
    // Checks the path just left: reports a missing file and moves the decoder note.
    void Text1_LostFocus(int index);

    // The list as the fields show it, with the offset in use.
    LaunchList currentList() const;

    std::array<QLineEdit*, Rows> Text1{};  // path
    std::array<QLineEdit*, Rows> Text2{};  // wait in seconds
    std::array<QLineEdit*, Rows> Param{};
    std::array<QCheckBox*, Rows> Check1{};  // minimise
    std::array<QCheckBox*, Rows> Check4{};  // include
    std::array<Indicator*, Rows> Shape1{};  // the launch has reached the row
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label13 = nullptr;

protected:
    void closingWork() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void showList(const LaunchList& list);

    // The launch over this window's rows.
    LaunchSequence sequence();

    // LaunchSequenceTarget
    LaunchRow row(int index) override;
    void markRow(int index) override;
    bool windowVisible() override;
    bool windowClosed() override;
    void closeWindow() override;
    bool mainWindowLoaded() override;
    void applyAutoStarts(bool keypad, bool bandscan) override;

    bool launching_ = false;
    SettingsWriter listWriter_;  // StartApps.txt, which another copy may share
};

}  // namespace keyrelay

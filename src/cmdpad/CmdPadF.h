#pragma once

#include <array>

#include "app/ProgramWindow.h"

class QAction;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace keyrelay {

class Indicator;

// The main window: the command pad with its thirteen commands, the one-second tick that
// also times the sweep, and the menu that opens every other window. Closing it ends the
// program. (Skeleton: the members other windows use.)
class CmdPadF : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "CmdPadF";

    explicit CmdPadF(AppContext& context);

    // Start / one sequence / release the busy marker.
    void StartIt();
    void DoIt();
    void ClearBusy();
    void Compress();
    void Expand();

    // What the launcher applies at the end of a launch ("Keypad Auto Start" and
    // "Bandscan Auto Start").
    void keypadAutoStart();
    void bandscanAutoStart();

    QCheckBox* Alternate = nullptr;
    Indicator* Shape1 = nullptr;  // running
    Indicator* Shape2 = nullptr;  // hold
    QPushButton* Command2 = nullptr;
    QAction* EXp = nullptr;
    QAction* RCAS = nullptr;
    QAction* FCAS = nullptr;
    QAction* HandShake = nullptr;
    QAction* ASA = nullptr;
    QAction* CAS = nullptr;
};

}  // namespace keyrelay

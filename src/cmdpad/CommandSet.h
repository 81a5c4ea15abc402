#pragma once

#include <QString>
#include <array>

namespace keyrelay {

// One command set of the command pad, as its setup file stores it: the target window's
// title, thirteen keystroke commands with the seconds fields around them, a free
// description, the injection path and the five start-up options of the File menu.
struct CommandSet {
    static constexpr int Commands = 13;

    QString AppTitle;
    // Index 0 is "Repeat Sec" (seconds from the start of one sequence to the start of the
    // next); index i >= 1 is the wait after command i-1. Kept as typed.
    std::array<QString, Commands> RepSec;
    // Keystroke strings in the keystroke notation, kept as typed.
    std::array<QString, Commands> CMND;
    QString AppDesc;
    bool Alternate = false;  // the alternate injection path
    bool RCAS = false;       // "Keypad Auto Start"
    bool FCAS = false;       // "Bandscan Auto Start"
    bool HandShake = false;  // "Handshake With LDK"
    bool ASA = false;        // "Auto Start Apps"
    bool CAS = false;        // "Close After Apps Start"

    bool operator==(const CommandSet&) const = default;
};

}  // namespace keyrelay

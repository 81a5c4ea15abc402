#pragma once

#include <QString>

namespace keyrelay {

// What the one-second tick reads of the sweep window and the step it asks it to make.
// The sweep window implements it; tests use a plain table.
class SweepTickTarget {
public:
    virtual ~SweepTickTarget() = default;

    // Line 0..7 takes part in the sweep (its include box has the value 1).
    virtual bool lineIncluded(int line) = 0;
    // The texts of the line's time window ("HH:MM" or empty) and dwell ("30", "30*").
    virtual QString startTimeText(int line) = 0;
    virtual QString endTimeText(int line) = 0;
    virtual QString dwellText(int line) = 0;
    // "Cycle Bands" is checked: the tick moves on to the next included line after a step.
    virtual bool cycleBandsChecked() = 0;
    // This instance makes its own steps: it is not a client linked to another
    // instance's sweep.
    virtual bool stepsLocally() = 0;
    // One sweep step (it yields to the event loop while it types).
    virtual void makeStep() = 0;
};

}  // namespace keyrelay

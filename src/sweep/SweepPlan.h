#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "sweep/SweepLines.h"
#include "sweep/SweepSettings.h"

namespace keyrelay {

class Delivery;

// One thing a keystroke plan does, in order.
struct SweepAction {
    enum Kind {
        Activate,  // bring the window titled `text` to the front
        Keys,      // type the keystroke string `text`
        Wait,      // wait `seconds`, the event loop running
        Show,      // show `text` as the last frequency sent (the window's Text1)
    };
    Kind kind;
    QString text;
    double seconds = 0;

    bool operator==(const SweepAction&) const = default;
};

// What a sweep step and a manual send type into the target program, and where a line of
// the table stands. The numbers of the table are read as the user typed them
// (TextValue::numeric); frequencies are in kHz.
class SweepPlan {
public:
    using Offsets = std::array<double, SweepLines::Count>;
    using Plan = std::vector<SweepAction>;

    // The frequency line `line` sends next: its start frequency plus its offset.
    static double frequency(const SweepSettings& s, const Offsets& offsets, int line);
    // The line's range is used up: its next frequency lies beyond its end frequency (an
    // end below the start is used up at once, so such a line sends its start every time).
    static bool finished(const SweepSettings& s, const Offsets& offsets, int line);
    // The kHz a step that confirmed its frequency adds to the line's offset.
    static double increment(const SweepSettings& s, int line);
    // After a step of `line`: its range is used up and "Cycle Bands" does not move on
    // after every step anyway, so the sweep goes to the next line.
    static bool handsOver(const SweepSettings& s, const Offsets& offsets, int line);
    // After every step: each used-up line starts again at its start frequency.
    static void restartFinished(const SweepSettings& s, Offsets& offsets);

    // A step in keystroke mode typing `frequency`: the prefix (when there is one) and half
    // a second, the frequency and a second, the suffix and half a second, then the focus
    // back to ReturnApp (when named). With Check1 the target is activated before each
    // string.
    static Plan step(const SweepSettings& s, const QString& frequency);
    // A step that went out moves its line on: a telnet command always, keystrokes only
    // with a suffix, which confirms the frequency (without one the line does not move on
    // and the focus is not handed back).
    static bool stepAdvances(const SweepSettings& s) {
        return s.ViaTelnet == 1 || !s.SufixStr.isEmpty();
    }

    // The "Sending:" command typed by hand: the target activated, the prefix (typed even
    // when empty) and half a second, the command and a second, then the suffix as a step
    // types it; the focus is not handed back.
    static Plan manualSend(const SweepSettings& s, const QString& command);

    // Carries a plan out; `show` receives the Show actions. A failing action throws
    // PlatformError and ends the plan there.
    static void run(const Plan& plan, Delivery& delivery,
                    const std::function<void(const QString&)>& show);
};

}  // namespace keyrelay

#include "sweep/SweepPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/FrequencyText.h"
#include "core/ProgramState.h"
#include "core/TextValue.h"
#include "sweep/SweepLines.h"
#include "sweep/SweepTick.h"
#include "sweep/SweepTickTarget.h"

namespace keyrelay {

namespace {

constexpr int MinutesPerDay = 1440;
constexpr std::int64_t TickMs = 1000;

const SweepSettings::Row& row(const SweepSettings& s, int line) {
    return s.rows[static_cast<std::size_t>(SweepLines::wrap(line))];
}

bool included(const SweepSettings& s, int line) {
    return row(s, line).IncCheck == 1;
}

// The time a step spends in its waits, during which the tick goes on.
std::int64_t stepWaitMs(const SweepSettings& s) {
    if (s.ViaTelnet == 1) {
        return 0;
    }
    double seconds = 0;
    for (const SweepAction& a : SweepPlan::step(s, QString())) {
        if (a.kind == SweepAction::Wait) {
            seconds += a.seconds;
        }
    }
    return std::llround(seconds * 1000);
}

// The time between two steps of a line that holds the sweep: its dwell, the tick that
// finds it passed, and the step's waits.
std::int64_t lineIntervalMs(const SweepSettings& s, int line) {
    const double dwell = std::clamp(TextValue::numeric(row(s, line).DurSec), 0.0,
                                    double{ProgramState::CounterLimit});
    return std::llround((std::floor(dwell) + 1) * 1000) + stepWaitMs(s) + TickMs;
}

QString clockText(int minute) {
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

// The sweep on a clock of its own: the main window's tick every second (DwellSecs counted,
// then SweepTick), and the steps, whose waits run the ticks that fall due meanwhile, as
// the event loop does in the program.
class Simulation : public SweepTickTarget {
public:
    Simulation(const SweepSettings& s, const SweepPreview::Start& start, std::int64_t spanMs)
        : s_(s),
          start_(start),
          spanMs_(spanMs),
          nextTickMs_(start.firstTickMs),
          offsets_(start.offsets) {
        state_.SweepLine = start.sweepLine;
        state_.DwellSecs = start.dwellSecs;
    }

    std::vector<SweepPreview::Step> run() {
        if (!start_.running) {
            makeStep();  // Start steps at once
        }
        waitUntil(spanMs_);
        return std::move(steps_);
    }

    bool lineIncluded(int line) override { return included(s_, line); }
    QString startTimeText(int line) override { return row(s_, line).StartTime; }
    QString endTimeText(int line) override { return row(s_, line).EndTime; }
    QString dwellText(int line) override { return row(s_, line).DurSec; }
    bool cycleBandsChecked() override { return s_.CycleBands == 1; }
    bool stepsLocally() override { return true; }

    void makeStep() override {
        const int line = SweepLines::wrap(state_.SweepLine);
        state_.SweepStepping = true;
        if (lineIncluded(line)) {
            const double kHz = SweepPlan::frequency(s_, offsets_, line);
            if (s_.ViaTelnet == 1) {
                record(line, kHz);
            } else {
                for (const SweepAction& a : SweepPlan::step(s_, FrequencyText::of(kHz))) {
                    if (a.kind == SweepAction::Wait) {
                        waitUntil(nowMs_ + std::llround(a.seconds * 1000));
                    } else if (a.kind == SweepAction::Show) {
                        record(line, kHz);
                    }
                }
            }
            if (SweepPlan::stepAdvances(s_)) {
                offsets_[static_cast<std::size_t>(line)] += SweepPlan::increment(s_, line);
            }
            if (SweepPlan::handsOver(s_, offsets_, line)) {
                state_.SweepLine =
                    static_cast<std::int16_t>(SweepLines::wrap(state_.SweepLine + 1));
            }
        }
        SweepPlan::restartFinished(s_, offsets_);
        state_.SweepStepping = false;
        state_.DwellSecs = 0;
    }

private:
    // Lets time pass to `untilMs`, running the ticks due up to it, that one included. A
    // tick is due again before it runs, so a step it makes gets the next ones in its waits.
    void waitUntil(std::int64_t untilMs) {
        while (nextTickMs_ <= untilMs && nextTickMs_ < spanMs_) {
            nowMs_ = std::max(nowMs_, nextTickMs_);
            nextTickMs_ += TickMs;
            ProgramState::countUp(state_.DwellSecs);
            SweepTick::run(
                state_, [this]() -> SweepTickTarget& { return *this; }, minuteOfDay());
        }
        nowMs_ = std::max(nowMs_, untilMs);
    }

    int minuteOfDay() const {
        return static_cast<int>((std::int64_t{start_.secondsOfDay} + nowMs_ / 1000) / 60 %
                                MinutesPerDay);
    }

    void record(int line, double kHz) {
        if (nowMs_ < spanMs_) {
            steps_.push_back({nowMs_, line, kHz});
        }
    }

    const SweepSettings& s_;
    const SweepPreview::Start start_;
    const std::int64_t spanMs_;
    std::int64_t nowMs_ = 0;
    std::int64_t nextTickMs_;
    ProgramState state_;
    SweepPlan::Offsets offsets_;
    std::vector<SweepPreview::Step> steps_;
};

}  // namespace

std::vector<SweepPreview::Step> SweepPreview::steps(const SweepSettings& s, const Start& start,
                                                    std::int64_t spanMs) {
    return Simulation(s, start, spanMs).run();
}

std::vector<SweepPreview::Stretch> SweepPreview::stretches(const SweepSettings& s,
                                                           const std::vector<Step>& steps) {
    std::int64_t roundMs = 0;
    for (int line = 0; line < SweepLines::Count; ++line) {
        if (included(s, line)) {
            roundMs += lineIntervalMs(s, line);
        }
    }
    std::vector<Stretch> out;
    std::vector<std::size_t> open(SweepLines::Count, SIZE_MAX);  // each line's last stretch
    for (const Step& step : steps) {
        const std::size_t line = static_cast<std::size_t>(step.line);
        const std::int64_t ends = step.ms + lineIntervalMs(s, step.line);
        if (open[line] != SIZE_MAX && step.ms - out[open[line]].toMs <= roundMs) {
            out[open[line]].toMs = ends;
        } else {
            open[line] = out.size();
            out.push_back({step.line, step.ms, ends});
        }
    }
    return out;
}

std::optional<std::int64_t> SweepPreview::passMs(const SweepSettings& s,
                                                 const std::vector<Step>& steps, int line) {
    const double first = SweepPlan::frequency(s, SweepPlan::Offsets{}, line);
    std::optional<std::int64_t> begun;
    for (const Step& step : steps) {
        if (step.line == line && step.kHz == first) {
            if (begun) {
                return step.ms - *begun;
            }
            begun = step.ms;
        }
    }
    return std::nullopt;
}

std::vector<double> SweepPreview::pass(const SweepSettings& s, int line, std::size_t limit) {
    SweepPlan::Offsets offsets{};
    std::vector<double> out;
    const std::size_t i = static_cast<std::size_t>(SweepLines::wrap(line));
    while (out.size() < limit) {
        out.push_back(SweepPlan::frequency(s, offsets, line));
        offsets[i] += SweepPlan::stepAdvances(s) ? SweepPlan::increment(s, line) : 0;
        if (SweepPlan::finished(s, offsets, line) || offsets[i] == 0) {
            break;
        }
    }
    return out;
}

bool SweepPreview::dwellStarred(const SweepSettings& s, int line) {
    return row(s, line).DurSec.contains(QLatin1Char('*'));
}

QString SweepPreview::lineName(int line) {
    return QStringLiteral("Line %1").arg(line + 1);
}

std::vector<SweepPreview::Warning> SweepPreview::warnings(const SweepSettings& s) {
    std::vector<Warning> out;
    std::vector<bool> matched(MinutesPerDay, false);
    bool anyIncluded = false;
    for (int line = 0; line < SweepLines::Count; ++line) {
        if (!included(s, line)) {
            continue;
        }
        anyIncluded = true;
        const SweepSettings::Row& r = row(s, line);
        const QString name = lineName(line);
        bool matches = false;
        for (int minute = 0; minute < MinutesPerDay; ++minute) {
            if (SweepTick::inTimeWindow(r.StartTime, r.EndTime, minute)) {
                matched[static_cast<std::size_t>(minute)] = true;
                matches = true;
            }
        }
        if (!matches) {
            out.push_back({Warning::WindowNeverMatches, line, 0, 0,
                           QStringLiteral("%1: the window %2 to %3 crosses midnight, so it never "
                                          "matches.")
                               .arg(name, r.StartTime, r.EndTime)});
        }
        const double start = TextValue::numeric(r.StartFreq);
        const double end = TextValue::numeric(r.EndFreq);
        const double inc = SweepPlan::increment(s, line);
        const QString startText = FrequencyText::of(start);
        if (end < start) {
            out.push_back({Warning::EndBelowStart, line, 0, 0,
                           QStringLiteral("%1: the end frequency %2 is below the start "
                                          "frequency %3, so every step sends %3.")
                               .arg(name, FrequencyText::of(end), startText)});
        } else if (!(inc > 0)) {
            out.push_back({Warning::StepNotPositive, line, 0, 0,
                           QStringLiteral("%1: a step of %2 kHz never reaches the end frequency, "
                                          "so the line's range never ends.")
                               .arg(name, FrequencyText::of(inc))});
        } else if (end > start && inc > end - start) {
            out.push_back(
                {Warning::StepBeyondRange, line, 0, 0,
                 QStringLiteral("%1: the step of %2 kHz is larger than the range from "
                                "%3 to %4, so only %3 is sent.")
                     .arg(name, FrequencyText::of(inc), startText, FrequencyText::of(end))});
        }
        if (s.ViaTelnet != 1 && s.SufixStr.isEmpty()) {
            out.push_back({Warning::NoSuffix, line, 0, 0,
                           QStringLiteral("%1: the Sufix String is empty, so in keystroke mode "
                                          "the frequency never advances.")
                               .arg(name)});
        }
    }
    if (!anyIncluded) {
        out.push_back({Warning::NoLineIncluded, -1, 0, MinutesPerDay,
                       QStringLiteral("No line is included, so the sweep sends nothing.")});
        return out;
    }
    for (int minute = 0; minute < MinutesPerDay;) {
        if (matched[static_cast<std::size_t>(minute)]) {
            ++minute;
            continue;
        }
        const int from = minute;
        while (minute < MinutesPerDay && !matched[static_cast<std::size_t>(minute)]) {
            ++minute;
        }
        out.push_back({Warning::NoLineInWindow, -1, from, minute,
                       QStringLiteral("From %1 to %2 no included line is within its time "
                                      "window: the sweep stays on the line it is on.")
                           .arg(clockText(from), clockText(minute))});
    }
    return out;
}

}  // namespace keyrelay

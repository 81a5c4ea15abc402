#include "sweep/SweepPlan.h"

#include "core/TextValue.h"
#include "delivery/Delivery.h"

namespace keyrelay {

namespace {

const SweepSettings::Row& row(const SweepSettings& s, int line) {
    return s.rows[static_cast<std::size_t>(SweepLines::wrap(line))];
}

SweepAction activate(const QString& title) {
    return {SweepAction::Activate, title};
}
SweepAction keys(const QString& text) {
    return {SweepAction::Keys, text};
}
SweepAction wait(double seconds) {
    return {SweepAction::Wait, {}, seconds};
}

// The suffix that confirms what was typed before it.
void addSuffix(SweepPlan::Plan& plan, const SweepSettings& s) {
    if (s.SufixStr.isEmpty()) {
        return;
    }
    if (s.Check1 == 1) {
        plan.push_back(activate(s.TargetName));
    }
    plan.push_back(keys(s.SufixStr));
    plan.push_back(wait(0.5));
}

}  // namespace

double SweepPlan::frequency(const SweepSettings& s, const Offsets& offsets, int line) {
    return TextValue::numeric(row(s, line).StartFreq) +
           offsets[static_cast<std::size_t>(SweepLines::wrap(line))];
}

bool SweepPlan::finished(const SweepSettings& s, const Offsets& offsets, int line) {
    return TextValue::numeric(row(s, line).EndFreq) < frequency(s, offsets, line);
}

double SweepPlan::increment(const SweepSettings& s, int line) {
    return TextValue::numeric(row(s, line).IncH);
}

bool SweepPlan::handsOver(const SweepSettings& s, const Offsets& offsets, int line) {
    return finished(s, offsets, line) && s.CycleBands != 1;
}

void SweepPlan::restartFinished(const SweepSettings& s, Offsets& offsets) {
    for (int i = 0; i < SweepLines::Count; ++i) {
        if (finished(s, offsets, i)) {
            offsets[static_cast<std::size_t>(i)] = 0;
        }
    }
}

SweepPlan::Plan SweepPlan::step(const SweepSettings& s, const QString& frequency) {
    Plan plan;
    const bool reactivate = s.Check1 == 1;
    if (!s.PrefixStr.isEmpty()) {
        if (reactivate) {
            plan.push_back(activate(s.TargetName));
        }
        plan.push_back(keys(s.PrefixStr));
        plan.push_back(wait(0.5));
    }
    if (reactivate) {
        plan.push_back(activate(s.TargetName));
    }
    plan.push_back(keys(frequency));
    plan.push_back({SweepAction::Show, frequency});
    plan.push_back(wait(1));
    addSuffix(plan, s);
    if (stepAdvances(s) && !s.ReturnApp.isEmpty()) {
        plan.push_back(activate(s.ReturnApp));
    }
    return plan;
}

SweepPlan::Plan SweepPlan::manualSend(const SweepSettings& s, const QString& command) {
    Plan plan{activate(s.TargetName), keys(s.PrefixStr), wait(0.5), keys(command), wait(1)};
    addSuffix(plan, s);
    return plan;
}

void SweepPlan::run(const Plan& plan, Delivery& delivery,
                    const std::function<void(const QString&)>& show) {
    for (const SweepAction& a : plan) {
        switch (a.kind) {
            case SweepAction::Activate:
                delivery.ActivateWindow(a.text);
                break;
            case SweepAction::Keys:
                delivery.DeliverKeys(a.text);
                break;
            case SweepAction::Wait:
                delivery.WaitSeconds(a.seconds);
                break;
            case SweepAction::Show:
                show(a.text);
                break;
        }
    }
}

}  // namespace keyrelay

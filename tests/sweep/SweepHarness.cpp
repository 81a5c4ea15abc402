#include "SweepHarness.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <memory>

namespace keyrelay {

SweepHarness::SweepHarness()
    : delivery(fake.platform()),
      marker(state),
      ctx{state, fake.platform(), delivery, marker, windows, actions, dir.path(), {}},
      actions(windows) {
    windows.setContext(ctx);
    state.LogdeckFolder = dir.path() + QLatin1Char('/');
}

SweepHarness::~SweepHarness() {
    // The windows go first, while the fakes and the folder they use still exist.
    for (const char* name : {"HelpFrm", "TerminalF", "QsySweep", "CmdPadF"}) {
        windows.unload(name);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SweepHarness::setLine(int n, const char* start, const char* end, const char* inc,
                           const char* dwell) {
    QsySweep& s = sweep();
    s.StartFreq[n]->setText(QString::fromLatin1(start));
    s.EndFreq[n]->setText(QString::fromLatin1(end));
    s.IncH[n]->setText(QString::fromLatin1(inc));
    s.DurSec[n]->setText(QString::fromLatin1(dwell));
    s.IncCheck[n]->setChecked(true);
}

std::vector<std::int64_t> SweepHarness::typedAt() const {
    std::vector<std::int64_t> at;
    for (const auto& s : fake.standardKeys.sent()) {
        at.push_back(s.atMs);
    }
    return at;
}

std::vector<std::string> SweepHarness::frequencies() const {
    std::vector<std::string> out;
    for (const auto& s : fake.standardKeys.sent()) {
        if (!s.keys.empty() && s.keys[0] >= '0' && s.keys[0] <= '9') {
            out.push_back(s.keys);
        }
    }
    return out;
}

std::vector<std::int64_t> SweepHarness::frequenciesAt() const {
    std::vector<std::int64_t> out;
    for (const auto& s : fake.standardKeys.sent()) {
        if (!s.keys.empty() && s.keys[0] >= '0' && s.keys[0] <= '9') {
            out.push_back(s.atMs);
        }
    }
    return out;
}

void SweepHarness::at(std::int64_t ms, std::function<void()> f) {
    auto id = std::make_shared<Clock::TimerId>(0);
    *id = fake.clock.startTimer(ms, [this, id, f = std::move(f)] {
        fake.clock.stopTimer(*id);
        f();
    });
}

}  // namespace keyrelay

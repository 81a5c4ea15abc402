#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <memory>

#include "platform/Clock.h"

class QTimer;

namespace keyrelay {

// The program's clock on Qt's event loop. Waits run a nested event loop until their
// deadline (a few milliseconds precise); timers are precise timers, so a one-second
// tick does not drift over days.
class QtClock : public Clock {
public:
    QtClock();
    ~QtClock() override;

    std::int64_t elapsedMs() override;
    void waitMs(std::int64_t ms) override;
    bool waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) override;
    void yield() override;
    TimerId startTimer(std::int64_t intervalMs, std::function<void()> onTick) override;
    void stopTimer(TimerId id) override;
    TimeOfDay localTime() override;

    // The program is leaving its event loop, after which a nested loop no longer runs:
    // from now on every wait returns at once instead of spinning to its deadline.
    void stopWaiting() { stopped_ = true; }

private:
    bool stopped_ = false;
    QElapsedTimer monotonic_;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    TimerId nextId_ = 1;
};

}  // namespace keyrelay

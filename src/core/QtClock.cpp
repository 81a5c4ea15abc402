#include "core/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace keyrelay {

namespace {
// How often a condition wait looks at its condition besides the events that wake it.
constexpr int ConditionPollMs = 5;
}  // namespace

QtClock::QtClock() {
    monotonic_.start();
}

QtClock::~QtClock() = default;

std::int64_t QtClock::elapsedMs() {
    return monotonic_.elapsed();
}

void QtClock::waitMs(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(static_cast<int>(std::min<std::int64_t>(ms, INT32_MAX)));
    loop.exec();
}

bool QtClock::waitFor(const std::function<bool()>& done, std::int64_t timeoutMs) {
    const std::int64_t deadline = elapsedMs() + std::max<std::int64_t>(timeoutMs, 0);
    while (!done()) {
        const std::int64_t left = deadline - elapsedMs();
        if (left <= 0) {
            return done();
        }
        waitMs(std::min<std::int64_t>(left, ConditionPollMs));
    }
    return true;
}

void QtClock::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Clock::TimerId QtClock::startTimer(std::int64_t intervalMs, std::function<void()> onTick) {
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(static_cast<int>(std::clamp<std::int64_t>(intervalMs, 1, INT32_MAX)));
    QObject::connect(timer.get(), &QTimer::timeout, [cb = std::move(onTick)] { cb(); });
    timer->start();
    const TimerId id = nextId_++;
    timers_.emplace(id, std::move(timer));
    return id;
}

void QtClock::stopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    it->second->stop();
    // A timer may be stopped from inside its own handler: delete it later.
    it->second.release()->deleteLater();
    timers_.erase(it);
}

TimeOfDay QtClock::localTime() {
    const QTime now = QTime::currentTime();
    return TimeOfDay{now.hour(), now.minute(), now.second()};
}

}  // namespace keyrelay

#include "core/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <memory>

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
    if (ms <= 0 || stopped_) {
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
        if (left <= 0 || stopped_) {
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
    // Qt never delivers a timer's event again while that timer's handler is still running
    // (for example inside its nested wait). Every tick is therefore a new single-shot
    // timer, started before the handler runs, so a tick that falls due during the
    // handler's wait is delivered inside it. The next due time follows the monotonic
    // clock, so the ticks keep their pace over days.
    const std::int64_t interval = std::clamp<std::int64_t>(intervalMs, 1, INT32_MAX);
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(true);
    QTimer* const raw = timer.get();
    auto due = std::make_shared<std::int64_t>(elapsedMs() + interval);
    QObject::connect(raw, &QTimer::timeout, [this, raw, due, interval, cb = std::move(onTick)] {
        const std::int64_t now = elapsedMs();
        *due += interval;
        if (*due <= now) {
            // Ticks missed while the program was held up are not made up for.
            *due = now + interval;
        }
        raw->start(static_cast<int>(*due - now));
        // The handler may stop this timer; the copy keeps the handler alive meanwhile.
        const std::function<void()> handler = cb;
        handler();
    });
    raw->start(static_cast<int>(interval));
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

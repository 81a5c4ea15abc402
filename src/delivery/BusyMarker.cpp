#include "delivery/BusyMarker.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <utility>

namespace keyrelay {

namespace {

// Above this weight a marker counts as stale and is taken over.
constexpr int StaleWeight = 30;

}  // namespace

BusyMarker::BusyMarker(ProgramState& state) : state_(state) {}

void BusyMarker::setHoldSource(std::function<bool()> holdLit) {
    holdLit_ = std::move(holdLit);
}

QString BusyMarker::path() const {
    return state_.LogdeckFolder + QLatin1String(FileName);
}

bool BusyMarker::exists() const {
    return QFileInfo::exists(path());
}

bool BusyMarker::CheckBusy() {
    const QString markerPath = path();
    if (!QFileInfo::exists(markerPath)) {
        // Created exclusively: when another program creates it between the test and here,
        // the open fails and the marker is found present after all.
        QFile marker(markerPath);
        if (marker.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            state_.BusyWaitCount = 0;
            if (marker.write("XX\r\n", 4) != 4 || !marker.flush()) {
                marker.close();
                QFile::remove(markerPath);
                return false;
            }
            marker.close();
            state_.OwnMarker = true;
            return false;
        }
        if (!QFileInfo::exists(markerPath)) {
            // Folder missing, no right to create: send without a marker.
            state_.BusyWaitCount = 0;
            return false;
        }
    }

    // Present. While the Hold indicator is lit the marker ages half as fast. The weight
    // stops at the type's limit, so a marker that can never be deleted does not wrap it.
    const bool holdLit = holdLit_ && holdLit_();
    const int weight = state_.BusyWaitCount + (holdLit ? 1 : 2);
    state_.BusyWaitCount =
        static_cast<std::int16_t>(std::min(weight, int{std::numeric_limits<std::int16_t>::max()}));
    if (state_.BusyWaitCount > StaleWeight) {
        if (!QFile::remove(markerPath)) {
            // Cannot take over a stale marker: go ahead without one.
            return false;
        }
        state_.OwnMarker = false;
        state_.BusyWaitCount = 0;
    }
    return true;
}

void BusyMarker::ClearBusy() {
    state_.BusyWaitCount = 0;
    const QString markerPath = path();
    if (QFileInfo::exists(markerPath)) {
        QFile::remove(markerPath);
    }
    state_.OwnMarker = false;
}

void BusyMarker::removeLeftover() {
    QFile::remove(path());
}

}  // namespace keyrelay

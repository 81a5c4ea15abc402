#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

namespace keyrelay {

// One program of the launch list, as the launcher window shows it.
struct LaunchRow {
    QString path;   // full path and file name, without quotes; "/" or "\" separate folders
    QString wait;   // seconds to wait after starting it, as typed
    QString param;  // command-line parameters, as typed; may be empty
    bool minimize = false;
    bool include = false;
    bool operator==(const LaunchRow&) const = default;
};

// The launch list: six rows and the distance of the minimise click from the right edge
// of the decoder's (or the receiver's) window.
struct LaunchList {
    static constexpr int Rows = 6;

    std::array<LaunchRow, Rows> rows{};
    // Screen pixels. Nothing when the list file holds no offset.
    std::optional<std::int16_t> clickOffset;
    bool operator==(const LaunchList&) const = default;
};

}  // namespace keyrelay

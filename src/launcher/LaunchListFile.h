#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "core/SettingsFile.h"
#include "launcher/LaunchList.h"

namespace keyrelay {

// "StartApps.txt": the launch list between runs, 31 lines ended by CR LF:
//   1-12   path and wait of rows 0 to 5 in turn (path, wait, path, wait, ...)
//   13-18  include marks of rows 0 to 5 (" 0 " / " 1 ")
//   19-24  minimise marks of rows 0 to 5
//   25     the minimise-click offset
//   26-31  parameters of rows 0 to 5
// Reading stops quietly at the end of a short file; what is missing stays empty or
// unchecked, and the offset stays absent.
class LaunchListFile : public SettingsFile<LaunchListFile, LaunchList> {
public:
    static constexpr const char* FileName = "StartApps.txt";
    static constexpr int LineCount = 31;
    // The offset used when the file gives none (or gives 0).
    static constexpr std::int16_t DefaultClickOffset = 95;

    // Replaces `list` with the list held by `lines`. A mark line counts as checked when its
    // number rounds to 1; any other number (0, 2, -1, text) reads as unchecked. An offset
    // line whose number is outside -32768..32767 gives no offset.
    static void apply(const QStringList& lines, LaunchList& list);
    // The 31 lines for `list`; an absent offset is written as DefaultClickOffset. A line
    // break inside a text value is written as a blank, so every value keeps its line.
    static QStringList lines(const LaunchList& list);

    // The offset to use after reading: the file's, else the one in use; DefaultClickOffset
    // when that is 0 (none yet, or an explicit 0 in the file).
    static std::int16_t effectiveClickOffset(const std::optional<std::int16_t>& fromFile,
                                             std::int16_t current);
};

}  // namespace keyrelay

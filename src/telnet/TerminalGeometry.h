#pragma once

#include <QList>
#include <QString>

namespace keyrelay {

// The terminal window's remembered place and size, "TerminalF.txt" in the settings
// folder: four lines, top, left, outer height and outer width, in twips.
class TerminalGeometry {
public:
    static constexpr const char* FileName = "TerminalF.txt";
    // A window whose top is this close to the bottom of the screen (or below it) is not
    // remembered, so the file keeps the last place from which it can be brought back.
    static constexpr int BottomMarginTwips = 500;

    // The values of the file in order (top, left, height, width): one per line, up to
    // four, each the numeric value of its line. Empty when there is no such file (the
    // name matched without regard to letter case) or it cannot be read; shorter when the
    // file is.
    static QList<double> read(const QString& folder);

    // Replaces the file with the four values, each as " n " CR LF. The file is replaced
    // whole or not at all; keeps the spelling of an existing file's name. False on failure.
    static bool write(const QString& folder, int top, int left, int height, int width);

    // Whether a window whose top is at `topTwips` is remembered on a screen
    // `screenHeightTwips` high.
    static bool worthSaving(int topTwips, int screenHeightTwips) {
        return topTwips < screenHeightTwips - BottomMarginTwips;
    }
};

}  // namespace keyrelay

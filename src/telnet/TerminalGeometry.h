#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include "core/SettingsFile.h"

namespace keyrelay {

// The terminal window's remembered place and size, "TerminalF.txt" in the settings
// folder: four lines, top, left, outer height and outer width, in twips. The value is the
// list of those numbers in that order.
class TerminalGeometry : public SettingsFile<TerminalGeometry, QList<double>> {
public:
    static constexpr const char* FileName = "TerminalF.txt";
    // A window whose top is this close to the bottom of the screen (or below it) is not
    // remembered, so the file keeps the last place from which it can be brought back.
    static constexpr int BottomMarginTwips = 500;

    // The numeric value of each line, up to four; a shorter file gives fewer values.
    static void apply(const QStringList& lines, QList<double>& values);
    // Each value as a whole number " n ".
    static QStringList lines(const QList<double>& values);

    // Whether a window whose top is at `topTwips` is remembered on a screen
    // `screenHeightTwips` high.
    static bool worthSaving(int topTwips, int screenHeightTwips) {
        return topTwips < screenHeightTwips - BottomMarginTwips;
    }

    // The smallest outer size worth keeping: the Close button and a few lines of text.
    static constexpr int SmallestWidthTwips = 3000;
    static constexpr int SmallestHeightTwips = 2000;

    // `values` as read (twips), fit for a desktop whose free area is `available` (twips): a
    // height or width below the smallest useful one or beyond the area becomes the design
    // size, and a place from which the title bar cannot be reached (off the area, or too
    // near its bottom to be saved again) puts the window in the middle of the area. A file
    // edited by hand or written on a larger desktop then still gives a usable window, and
    // its absurd values are not saved back. Values the file does not give stay absent.
    static QList<double> keptOnScreen(QList<double> values, const QRect& available,
                                      const QSize& design);
};

}  // namespace keyrelay

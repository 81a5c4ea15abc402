#pragma once

#include <QString>
#include <QStringList>

#include "core/SettingsFile.h"
#include "sweep/SweepSettings.h"

namespace keyrelay {

// The sweep window's settings file "QsySweep.txt": 88 lines, one value a line.
//
//   1-3            TargetName, PrefixStr, SufixStr
//   4+10n..13+10n  for table line n = 0..7: StartFreq, EndFreq, IncH, DurSec, IncCheck,
//                  ReturnApp, CycleBands, Check1, StartTime, EndTime
//                  (the three single fields are repeated in every block)
//   84-88          IpAddr, Port, ViaTelnet, ImAServer, SkimmerPort
//
// Texts are written as they stand; check boxes as " 0 " / " 1 " and read back by their
// numeric value rounded half to even, so "1", " 1 " and "1.4" are checked and "0.5" is
// not.
class SweepSettingsFile : public SettingsFile<SweepSettingsFile, SweepSettings> {
public:
    static constexpr const char* FileName = "QsySweep.txt";
    static constexpr int LineCount = 88;

    // Fills `settings` from the lines of a file, in file order, as far as the lines go;
    // fields not reached keep their values. Reading stops quietly at the first missing
    // line and at a check box line whose value is not 0 or 1. The last five lines are read
    // only when all eight table blocks were complete. The three repeated single fields
    // take their values from the last block read.
    static void apply(const QStringList& lines, SweepSettings& settings);

    // The 88 lines of `settings`. A line break inside a text (which a line edit cannot
    // hold, but a received table could) is written as a blank, so it cannot shift the
    // lines after it.
    static QStringList lines(const SweepSettings& settings);
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <QStringList>

#include "cmdpad/CommandSet.h"
#include "core/SettingsFile.h"

namespace keyrelay {

// The command pad's setup file: 34 lines, one value per line, CR LF line ends, text as
// LineFile reads and writes it:
//   1            AppTitle
//   2 + 2i       RepSec i   (i = 0..12; line 2 is the repeat period)
//   3 + 2i       CMND i
//   28           AppDesc
//   29           Alternate as a settings number (" 0 " / " 1 ")
//   30..34       RCAS, FCAS, HandShake, ASA, CAS as "TRUE" / "FALSE"
// Values are written raw; a shorter file loads what it has and leaves the rest alone.
class CommandSetFile : public SettingsFile<CommandSetFile, CommandSet> {
public:
    static constexpr int LineCount = 34;
    static constexpr const char* FileName = "CmdPadF.ini";
    // Number of the failure reported when a setup file cannot be read or written.
    static constexpr long FileAccessError = 75;

    // Overlays `lines` onto `set` in file order, stopping quietly at the end of a short
    // list: fields whose lines are missing keep their values. Line 29 checks Alternate
    // when its numeric value, rounded to a whole number, is not 0; an option line checks
    // its option only when it is exactly "TRUE".
    static void apply(const QStringList& lines, CommandSet& set);
    // The 34 lines of `set`.
    static QStringList lines(const CommandSet& set);

    // The name rule applied when the user leaves the file name box: a name without any
    // "." gets ".INI" appended ("night" -> "night.INI", "" -> ".INI"); a name with a dot
    // anywhere, also only in a folder name, stays as it is.
    static QString withDefaultExtension(const QString& name);

    // Where a setup file name points: `name` itself when it is absolute or `folder` is
    // empty (the working folder), else `folder`/`name`. When no file of exactly that
    // spelling exists but one in the same folder differs only in letter case, that one:
    // setup names are matched without regard to letter case, as users type them.
    // Empty for an empty name.
    static QString resolve(const QString& folder, const QString& name);
};

}  // namespace keyrelay

#pragma once

#include <QString>

namespace keyrelay {

// What differs between the systems the program runs on, for the rules and texts that name
// paths: a Linux user reads Linux paths, a Windows user Windows paths.
class HostSystem {
public:
    // True on Windows, false on Linux (and every other Unix).
    static bool windows();

    // The installed program as a start command names it: "/usr/bin/keyrelay" on Linux,
    // "C:\program files (x86)\keyrelay\keyrelay.exe" in quotes on Windows.
    static QString installedProgram(bool windows);

    // Where the settings files live, in words, for the help texts.
    static QString settingsPlace(bool windows);

    // The folder of the settings files of a start from the desktop menu: "keyrelay" in the
    // user's data folder (~/.local/share/keyrelay, or $XDG_DATA_HOME/keyrelay; on Windows
    // in %LOCALAPPDATA%).
    static QString menuSettingsFolder();
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <functional>

namespace keyrelay {

// Where the companion program LDK keeps the busy marker (LogdeckFolder, ending with a
// separator; empty for the working folder). Only a Keyrelay installed in its standard place
// shares a fixed folder with LDK; a copy run from anywhere else (a build folder, a home
// folder) uses its working folder, so two private copies never block each other.
class CompanionFolder {
public:
    // LDK's folder on Linux when it is not found in the Wine prefix.
    static constexpr const char* SharedFolder = "/opt/logdeck/";

    // On Windows: "C:\program files (x86)\logdeck\" when "c:\program files
    // (x86)\keyrelay\keyrelay.exe" exists, else "C:\program files\logdeck\" when
    // "c:\program files\keyrelay\keyrelay.exe" exists, else empty.
    static QString forWindows(const std::function<bool(const QString&)>& fileExists);

    // On Linux, for the program `programPath` (symbolic links resolved) and the Wine prefix
    // `winePrefix`: empty unless the program is "/usr/bin/keyrelay" or
    // "/opt/keyrelay/bin/keyrelay". Installed, LDK usually runs under Wine, so its folder
    // "logdeck" under "Program Files (x86)" or "Program Files" of the prefix's drive C: is
    // used when it exists, found in any letter case as Wine finds it (the first of the two
    // in that order); else SharedFolder.
    static QString forLinux(const QString& programPath, const QString& winePrefix);

    // The rule of the system the program runs on, for the running program at `programPath`
    // (Wine prefix: $WINEPREFIX, else ~/.wine).
    static QString forThisProgram(const QString& programPath);
};

}  // namespace keyrelay

#pragma once

#include <QString>

namespace keyrelay {

// Where the companion program LDK keeps the busy marker. When Keyrelay runs installed in
// its standard place, both programs share the fixed folder "/opt/logdeck/"; a copy run
// from anywhere else (a build folder, a home folder) uses its working folder, so two
// private copies never block each other.
class CompanionFolder {
public:
    static constexpr const char* SharedFolder = "/opt/logdeck/";

    // The LogdeckFolder for a program whose executable is `programPath` (symbolic links
    // already resolved): SharedFolder for "/opt/keyrelay/bin/keyrelay" and
    // "/usr/bin/keyrelay", else empty (the working folder).
    static QString forProgram(const QString& programPath);
};

}  // namespace keyrelay

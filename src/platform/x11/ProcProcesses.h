#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace keyrelay {

// Processes on Linux, read from /proc; needs no display.
//
// A process is listed by the base name of its executable (/proc/PID/exe), or by its
// command name (/proc/PID/comm) when the executable cannot be read (another user's
// process); kernel threads and zombies are left out. A process whose argv[0] names a
// ".exe" file (a Windows program under Wine) is listed by that name as well.
//
// Programs start detached (their own session, reaped by init), so no zombie is left
// and the caller's child handling (QProcess) is not disturbed. A program named "*.exe"
// (any letter case) is a Windows program and is started under Wine, whatever its mode:
// Wine itself makes every .exe it writes executable, yet the system cannot run one.
class ProcProcesses : public Processes {
public:
    // Called with the process id of a program started minimised; the window system
    // minimises its first window. Must not block.
    using MinimizeRequest = std::function<void(int pid)>;

    explicit ProcProcesses(MinimizeRequest minimize = {}, std::string procRoot = "/proc");

    std::vector<std::string> runningModuleNames() override;

    // Throws PlatformError(errors::FileNotFound, ...) when the folder or the program does
    // not exist, PlatformError(errors::PermissionDenied, ...) when it may not be run, and
    // PlatformError(<errno>, ...) for other failures to start it.
    void start(const std::string& folder, const std::string& file, const std::string& parameters,
               WindowState state) override;

    // The arguments of a parameter text: blanks separate them, double quotes group
    // blanks into one argument and are removed.
    static std::vector<std::string> splitParameters(const std::string& parameters);

    // $WINEPREFIX, or ~/.wine when it is not set: where Wine keeps the drives.
    std::string winePrefix() override;

private:
    MinimizeRequest minimize_;
    std::string procRoot_;
};

}  // namespace keyrelay

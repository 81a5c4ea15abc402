#pragma once

#include <string>
#include <vector>

namespace keyrelay {

enum class WindowState {
    Normal,     // a normal window that takes the focus
    Minimized,  // a minimised window (it still becomes the active program)
};

// Running processes and starting programs.
class Processes {
public:
    virtual ~Processes() = default;

    // The base names of the main modules of the running processes, in the system's
    // list order, as the system spells them ("cwskimmer.exe", "xterm"). A program
    // running under Wine is listed by its ".exe" name as well. Processes that cannot
    // be inspected are skipped; an empty list when the listing itself fails.
    virtual std::vector<std::string> runningModuleNames() = 0;

    // Starts `file` (a name or path, resolved against `folder`) with the command-line
    // `parameters` (may be empty; blanks separate arguments, double quotes group
    // them) and `folder` as its working directory. Does not wait for the program.
    // On a system that runs Windows programs under Wine, a file named "*.exe" is started
    // through Wine. Throws PlatformError when the program cannot be started.
    virtual void start(const std::string& folder, const std::string& file,
                       const std::string& parameters, WindowState state) = 0;

    // Where the drives of Windows programs lie on a system that runs them under Wine: the
    // Wine prefix folder, whose "dosdevices" folder holds one entry per drive ("c:").
    // Empty on Windows, whose paths name its own drives.
    virtual std::string winePrefix() { return {}; }
};

}  // namespace keyrelay

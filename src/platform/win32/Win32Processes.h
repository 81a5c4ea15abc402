#pragma once

#include "platform/Processes.h"

namespace keyrelay {

// The process list through psapi and program start through CreateProcess.
class Win32Processes : public Processes {
public:
    // Base names of the first module of each process that can be opened for query and
    // memory-read access, in EnumProcesses order; at most 1024 processes are looked at.
    // Names are at most 260 characters, converted to UTF-8.
    std::vector<std::string> runningModuleNames() override;

    // Starts `file` with the command line `file parameters` (the file name quoted when it
    // has blanks) and `folder` as the working directory, in a normal or a minimised
    // window. A relative `file` is looked up in `folder` first (".exe" added when it has
    // no extension), then where Windows looks for programs. Throws PlatformError with
    // the system's number (2 for a missing program, 267 for a missing folder).
    void start(const std::string& folder, const std::string& file, const std::string& parameters,
               WindowState state) override;
};

}  // namespace keyrelay

#pragma once

#include "ui/WindowActions.h"

namespace keyrelay {

class WindowRegistry;

// The program's windows as one window asks of another: each call goes to the window as
// the registry has it, loading it when it is not loaded.
class ProgramActions : public WindowActions {
public:
    explicit ProgramActions(WindowRegistry& windows) : windows_(windows) {}

    void showWindow(const char* name) override;
    void loadWindow(const char* name) override;
    void sweepTickDuties() override;
    void sweepDotRed() override;
    void bandscanAutoStart() override;
    void keypadAutoStart() override;
    void startApps() override;

private:
    WindowRegistry& windows_;
};

}  // namespace keyrelay

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/PlatformError.h"
#include "platform/Processes.h"

namespace keyrelay {

// A settable process list; program starts are recorded, not run.
class FakeProcesses : public Processes {
public:
    struct Start {
        std::string folder;
        std::string file;
        std::string parameters;
        WindowState state = WindowState::Normal;
        std::int64_t atMs = 0;  // virtual time
    };

    explicit FakeProcesses(Clock& clock) : clock_(clock) {}

    void setModuleNames(std::vector<std::string> names) { names_ = std::move(names); }
    // While set, start() throws this and records nothing.
    void setStartFailure(std::optional<PlatformError> failure) {
        startFailure_ = std::move(failure);
    }
    // Runs after a start is recorded (a test can make the program's window appear).
    void setOnStart(std::function<void(const Start&)> onStart) { onStart_ = std::move(onStart); }

    const std::vector<Start>& starts() const { return starts_; }

    std::vector<std::string> runningModuleNames() override { return names_; }
    void start(const std::string& folder, const std::string& file, const std::string& parameters,
               WindowState state) override {
        if (startFailure_) {
            throw *startFailure_;
        }
        starts_.push_back(Start{folder, file, parameters, state, clock_.elapsedMs()});
        if (onStart_) {
            onStart_(starts_.back());
        }
    }

private:
    Clock& clock_;
    std::vector<std::string> names_;
    std::optional<PlatformError> startFailure_;
    std::function<void(const Start&)> onStart_;
    std::vector<Start> starts_;
};

}  // namespace keyrelay

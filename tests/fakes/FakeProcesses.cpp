#include "fakes/FakeProcesses.h"

namespace keyrelay {

void FakeProcesses::start(const std::string& folder, const std::string& file,
                          const std::string& parameters, WindowState state) {
    if (startFailure_) {
        throw *startFailure_;
    }
    starts_.push_back(Start{folder, file, parameters, state, clock_ ? clock_->elapsedMs() : 0});
    if (onStart_) {
        onStart_(starts_.back());
    }
}

}  // namespace keyrelay

#include "fakes/RecordingKeyInjector.h"

#include "fakes/FakeWindowSystem.h"
#include "platform/KeyNotation.h"

namespace keyrelay {

std::vector<std::string> RecordingKeyInjector::keys() const {
    std::vector<std::string> all;
    for (const Sent& s : sent_) {
        all.push_back(s.keys);
    }
    return all;
}

void RecordingKeyInjector::sendKeys(const std::string& keys) {
    if (checkNotation_) {
        KeyNotation::parse(keys);
    }
    if (failure_) {
        throw *failure_;
    }
    Sent s;
    s.keys = keys;
    s.atMs = clock_ ? clock_->elapsedMs() : 0;
    if (windows_) {
        if (const auto front = windows_->foreground()) {
            s.window = front->title;
        }
    }
    sent_.push_back(std::move(s));
}

}  // namespace keyrelay

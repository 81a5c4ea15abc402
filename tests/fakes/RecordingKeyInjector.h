#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeWindowSystem.h"
#include "platform/Clock.h"
#include "platform/KeyInjector.h"
#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"

namespace keyrelay {

// Records every keystroke string with the virtual time and the window that had the focus.
class RecordingKeyInjector : public KeyInjector {
public:
    struct Sent {
        std::string keys;
        std::int64_t atMs = 0;  // virtual time
        std::string window;     // title of the window in front
    };

    RecordingKeyInjector(Clock& clock, const FakeWindowSystem& windows)
        : clock_(clock), windows_(windows) {}

    // When on, each string is parsed with KeyNotation first and a malformed one throws like
    // the real injectors do, recording nothing.
    void setCheckNotation(bool on) { checkNotation_ = on; }
    // While set, sendKeys throws this and records nothing.
    void setFailure(std::optional<PlatformError> failure) { failure_ = std::move(failure); }

    const std::vector<Sent>& sent() const { return sent_; }
    // The strings alone, in order.
    std::vector<std::string> keys() const {
        std::vector<std::string> all;
        for (const Sent& s : sent_) {
            all.push_back(s.keys);
        }
        return all;
    }

    void sendKeys(const std::string& keys) override {
        if (checkNotation_) {
            KeyNotation::parse(keys);
        }
        if (failure_) {
            throw *failure_;
        }
        const std::optional<TopLevelWindow> front = windows_.foreground();
        sent_.push_back(Sent{keys, clock_.elapsedMs(), front ? front->title : std::string()});
    }

private:
    Clock& clock_;
    const FakeWindowSystem& windows_;
    bool checkNotation_ = false;
    std::optional<PlatformError> failure_;
    std::vector<Sent> sent_;
};

}  // namespace keyrelay

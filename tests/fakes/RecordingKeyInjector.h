#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/KeyInjector.h"
#include "platform/PlatformError.h"

namespace keyrelay {

class FakeWindowSystem;

// Records every keystroke string with the virtual time and the window that had the focus.
class RecordingKeyInjector : public KeyInjector {
public:
    struct Sent {
        std::string keys;
        std::int64_t atMs = 0;  // virtual time, when a clock was given
        std::string window;     // title of the window in front, when a window system was given
    };

    // Both may be null.
    explicit RecordingKeyInjector(Clock* clock = nullptr, FakeWindowSystem* windows = nullptr)
        : clock_(clock), windows_(windows) {}

    // When on, each string is parsed with KeyNotation first and a malformed one throws like
    // the real injectors do, recording nothing.
    void setCheckNotation(bool on) { checkNotation_ = on; }
    // While set, sendKeys throws this and records nothing.
    void setFailure(std::optional<PlatformError> failure) { failure_ = std::move(failure); }

    const std::vector<Sent>& sent() const { return sent_; }
    // The strings alone, in order.
    std::vector<std::string> keys() const;
    void clear() { sent_.clear(); }

    void sendKeys(const std::string& keys) override;

private:
    Clock* clock_;
    FakeWindowSystem* windows_;
    bool checkNotation_ = false;
    std::optional<PlatformError> failure_;
    std::vector<Sent> sent_;
};

}  // namespace keyrelay

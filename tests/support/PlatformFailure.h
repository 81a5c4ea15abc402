#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/PlatformError.h"

namespace keyrelay::test {

// The number and description of the PlatformError that `call` throws; 0 when none.
inline std::pair<long, std::string> failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return {e.number(), e.description()};
    }
    return {0, ""};
}

}  // namespace keyrelay::test

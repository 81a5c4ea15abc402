// Any bytes as a command of the command pad: parsed, or refused with PlatformError.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        keyrelay::KeyNotation::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const keyrelay::PlatformError&) {
        // A malformed command: reported to the user, nothing typed.
    }
    return 0;
}

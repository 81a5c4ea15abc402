#include "platform/KeyNotation.h"

#include "platform/PlatformError.h"

namespace keyrelay {

std::vector<KeyStroke> KeyNotation::parse(std::string_view) {
    throw PlatformError(errors::InvalidArgument, "not built yet");
}

std::string KeyNotation::nameOf(NamedKey) { return {}; }

}  // namespace keyrelay

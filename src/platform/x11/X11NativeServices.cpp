#include "platform/NativeServices.h"
#include "platform/PlatformError.h"

namespace keyrelay {

std::unique_ptr<NativeServices> createNativeServices() {
    throw PlatformError(errors::DeviceUnavailable, "The X11 services are not built yet");
}

}  // namespace keyrelay

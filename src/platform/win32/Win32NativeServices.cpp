#include "platform/win32/Win32NativeServices.h"

namespace keyrelay {

// Windows always has a desktop for a program with a user interface, so nothing here can
// be missing: a locked or disconnected desktop shows itself later, as refused input.
std::unique_ptr<NativeServices> createNativeServices() {
    return std::make_unique<Win32NativeServices>();
}

}  // namespace keyrelay

#include "platform/x11/X11NativeServices.h"

namespace keyrelay {

X11NativeServices::X11NativeServices(std::shared_ptr<X11Display> display)
    : display_(std::move(display)),
      windows_(display_),
      standardKeys_(display_),
      alternateKeys_(display_),
      mouse_(display_),
      minimizer_(display_->name()),
      processes_([this](int pid) { minimizer_.minimizeFirstWindowOf(pid); }) {}

std::unique_ptr<NativeServices> createNativeServices() {
    return std::make_unique<X11NativeServices>(X11Display::open());
}

}  // namespace keyrelay

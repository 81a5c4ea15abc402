#include "app/Application.h"

#include <cstdio>
#include <cstdlib>

#include "cmdpad/CmdPadF.h"

namespace keyrelay {

Application::Application(std::unique_ptr<NativeServices> native)
    : native_(std::move(native)),
      platform_{native_->windows(),
                native_->standardKeys(),
                native_->alternateKeys(),
                native_->mouse(),
                native_->processes(),
                clock_,
                dialogs_},
      delivery_(platform_),
      marker_(state_),
      ctx_{state_, platform_, delivery_, marker_, windows_, actions_, QString(), [] {
               std::fflush(nullptr);
               std::exit(0);
           }} {
    windows_.setContext(ctx_);
}

CmdPadF& Application::start(const QString& argumentText, const QString& logdeckFolder) {
    state_.LogdeckFolder = logdeckFolder;
    CmdPadF& pad = windows_.get<CmdPadF>();
    pad.openWith(argumentText);
    pad.show();
    return pad;
}

}  // namespace keyrelay

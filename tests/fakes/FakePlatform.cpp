#include "fakes/FakePlatform.h"

namespace keyrelay {

FakePlatform::FakePlatform()
    : windows(&clock),
      standardKeys(&clock, &windows),
      alternateKeys(&clock, &windows),
      mouse(&clock),
      processes(&clock),
      platform_{windows, standardKeys, alternateKeys, mouse, processes, clock, dialogs} {}

}  // namespace keyrelay

#pragma once

#include "fakes/FakeMouse.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeWindowSystem.h"
#include "fakes/RecordingKeyInjector.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/VirtualClock.h"
#include "platform/Platform.h"

namespace keyrelay {

// Every fake service, wired together: one virtual clock stamps what the fakes record, and
// the key injectors record which window had the focus.
class FakePlatform {
public:
    FakePlatform() = default;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    Platform& platform() { return platform_; }

    VirtualClock clock;
    FakeWindowSystem windows{clock};
    RecordingKeyInjector standardKeys{clock, windows};
    RecordingKeyInjector alternateKeys{clock, windows};
    FakeMouse mouse{clock};
    FakeProcesses processes{clock};
    ScriptedDialogs dialogs;

private:
    Platform platform_{windows, standardKeys, alternateKeys, mouse, processes, clock, dialogs};
};

}  // namespace keyrelay

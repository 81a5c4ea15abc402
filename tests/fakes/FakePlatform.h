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
    FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    Platform& platform() { return platform_; }

    VirtualClock clock;
    FakeWindowSystem windows;
    RecordingKeyInjector standardKeys;
    RecordingKeyInjector alternateKeys;
    FakeMouse mouse;
    FakeProcesses processes;
    ScriptedDialogs dialogs;

private:
    Platform platform_;
};

}  // namespace keyrelay

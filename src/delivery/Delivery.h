#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "platform/Platform.h"

namespace keyrelay {

// How the program acts on other programs: bring a window to the front, type keystroke
// strings, wait without freezing, find windows and processes. Keeps no state: every call
// works on the desktop as it is at that moment.
//
// Failures: ActivateWindow, SendKeyString, ShellSendKeys and DeliverKeys throw
// PlatformError (number + description); FindWindowByTitle and IsProcessRunning report
// "not found" instead.
class Delivery {
public:
    explicit Delivery(Platform& platform);

    // Where DeliverKeys reads the alternate-path choice from (the command pad's
    // "Alternate" box); read anew for every string. Unset: the standard path.
    void setAlternateSource(std::function<bool()> alternateChecked);

    // The program is ending: from now on ActivateWindow, the key strings and WaitSeconds
    // do nothing, so a handler still under way finishes at once without typing into
    // anything.
    void stop() { stopped_ = true; }

    // Brings to the front the top-level window whose title equals `title`, else one whose
    // title begins with it; letter case is ignored in both tests, and among equal matches
    // the one nearest the top of the z-order wins. Returns at once. Throws
    // PlatformError(errors::InvalidArgument, ...) when no window matches.
    void ActivateWindow(const QString& title);

    // The standard injection path. Throws on a malformed string (nothing typed) or a
    // refused injection.
    void SendKeyString(const QString& keys);
    // The alternate injection path; same contract.
    void ShellSendKeys(const QString& keys);
    // ShellSendKeys when the alternate box is checked, else SendKeyString.
    void DeliverKeys(const QString& keys);

    // Waits `seconds` (fractions allowed) keeping the event loop running; returns at once,
    // without running events, for 0 or less.
    void WaitSeconds(double seconds);

    // The first top-level window in z-order whose title contains `fragment`, comparing
    // exactly (letter case counts). An empty fragment finds the first window with a
    // non-empty title.
    std::optional<WindowHandle> FindWindowByTitle(const QString& fragment);

    // True when a running process's main module has the base name `exeName`, compared
    // whole (extension included) without regard to letter case.
    bool IsProcessRunning(const QString& exeName);

    Platform& platform() { return platform_; }

private:
    Platform& platform_;
    std::function<bool()> alternateChecked_;
    bool stopped_ = false;
};

}  // namespace keyrelay

#include "launcher/LaunchSequence.h"

#include "delivery/Delivery.h"
#include "launcher/LaunchRules.h"
#include "platform/PlatformError.h"

namespace keyrelay {

LaunchSequence::LaunchSequence(ProgramState& state, Platform& platform, Delivery& delivery,
                               LaunchSequenceTarget& target)
    : state_(state), platform_(platform), delivery_(delivery), target_(target) {}

bool LaunchSequence::stopped() {
    return state_.LaunchCancel || state_.EndRequested || target_.windowClosed();
}

void LaunchSequence::run() {
    for (int i = 0; i < LaunchList::Rows && !stopped(); ++i) {
        const LaunchRow row = target_.row(i);
        bool started = false;
        if (!row.path.isEmpty() && row.include) {
            target_.markRow(i);
            if (LaunchRules::hasSeparator(row.path)) {
                if (!start(row)) {
                    continue;  // already running: no start, no wait, no click
                }
                started = true;  // a start that fails still gets its wait
            }
        }
        if (started) {
            platform_.clock.waitFor([this] { return stopped(); }, LaunchRules::waitMs(row.wait));
            if (stopped()) {
                break;
            }
        }
        if (LaunchRules::isReceiver(row.path) && target_.windowVisible()) {
            ClickStart1(i);
        }
        if (LaunchRules::isSkimmer(row.path) && target_.windowVisible()) {
            ClickStart(i);
        }
    }

    state_.LaunchCancel = false;
    if (!target_.windowClosed()) {
        target_.closeWindow();  // writes the list file; may end the program
    }
    if (state_.EndRequested || !target_.mainWindowLoaded()) {
        return;  // the program is ending: nothing may start now
    }
    target_.applyAutoStarts(state_.KeypadAutoStart, state_.BandscanAutoStart);
}

bool LaunchSequence::start(const LaunchRow& row) {
    // A Windows program under Wine runs under its .exe name, whatever path started it.
    if (delivery_.IsProcessRunning(LaunchRules::fileOf(row.path))) {
        return false;
    }
    // Programs are started with their folder as working folder; this program's own working
    // folder never changes, so the settings files of other windows stay where they are.
    const WindowState windowState = LaunchRules::startsMinimized(row.path, row.minimize)
                                        ? WindowState::Minimized
                                        : WindowState::Normal;
    Processes& processes = platform_.processes;
    const QString local =
        LaunchRules::hostPath(row.path, QString::fromStdString(processes.winePrefix()));
    try {
        processes.start(LaunchRules::folderOf(local).toStdString(),
                        LaunchRules::fileOf(local).toStdString(), row.param.toStdString(),
                        windowState);
    } catch (const PlatformError& e) {
        // The user learns why the program is missing; after the OK the launch goes on and
        // the row's wait still runs, so the programs after it start as planned.
        platform_.dialogs.message(StartFailure + row.path.toStdString() + "\": " + e.description());
    }
    return true;
}

void LaunchSequence::clickAt(int x, int y) {
    // The launch shows no message, and each part of the click is tried on its own: the
    // user can always make a click the desktop refused by hand.
    Mouse& mouse = platform_.mouse;
    try {
        mouse.moveTo(x, y);
    } catch (const PlatformError&) {
        // The press still follows, where the cursor stands.
    }
    try {
        mouse.leftDown();
    } catch (const PlatformError&) {
        // The release still follows, so no button is left held down.
    }
    try {
        mouse.leftUp();
    } catch (const PlatformError&) {
        // No other way to release it exists; the user's next click of that button does.
    }
}

void LaunchSequence::minimiseClick(const ScreenRect& rect) {
    platform_.clock.waitMs(MinimisePauseMs);
    clickAt(rect.right - state_.ClickOffset, rect.top + MinimiseClickY);
}

std::optional<ScreenRect> LaunchSequence::measureWindow(const char* titleFragment) {
    const auto window = delivery_.FindWindowByTitle(QLatin1String(titleFragment));
    if (!window) {
        return std::nullopt;
    }
    try {
        return platform_.windows.windowRect(*window);
    } catch (const PlatformError&) {
        // A window that cannot be measured (it closed meanwhile) is not clicked at all:
        // a click at a guessed point could land on another program.
        return std::nullopt;
    }
}

void LaunchSequence::ClickStart(int row) {
    const auto rect = measureWindow(LaunchRules::SkimmerTitle);
    if (!rect) {
        return;
    }
    clickAt(rect->left + FocusClickX, rect->top + FocusClickY);
    const LaunchRow r = target_.row(row);
    if (LaunchRules::isSkimmer(r.path) && r.minimize) {
        minimiseClick(*rect);
    }
}

void LaunchSequence::ClickStart1(int row) {
    const auto rect = measureWindow(LaunchRules::ReceiverTitle);
    if (!rect) {
        return;
    }
    const LaunchRow r = target_.row(row);
    if (LaunchRules::isReceiver(r.path) && r.minimize) {
        minimiseClick(*rect);
    }
}

}  // namespace keyrelay

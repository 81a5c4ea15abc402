#include "delivery/Delivery.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Delivery::Delivery(Platform& platform) : platform_(platform) {}

void Delivery::setAlternateSource(std::function<bool()> alternateChecked) {
    alternateChecked_ = std::move(alternateChecked);
}

void Delivery::ActivateWindow(const QString& title) {
    if (stopped_) {
        return;
    }
    if (title.isEmpty()) {
        // Every title begins with the empty text: activating "whatever is on top" is never
        // what a caller means.
        throw PlatformError(errors::InvalidArgument, "No window title was given to activate");
    }
    const std::vector<TopLevelWindow> windows = platform_.windows.topLevelWindows();
    std::optional<WindowHandle> prefixMatch;
    for (const TopLevelWindow& window : windows) {
        const QString windowTitle = fromUtf8(window.title);
        if (windowTitle.compare(title, Qt::CaseInsensitive) == 0) {
            platform_.windows.activate(window.handle);
            return;
        }
        if (!prefixMatch && windowTitle.startsWith(title, Qt::CaseInsensitive)) {
            prefixMatch = window.handle;
        }
    }
    if (!prefixMatch) {
        throw PlatformError(errors::InvalidArgument, "No window has the title \"" + utf8(title) +
                                                         "\" or a title that begins with it");
    }
    platform_.windows.activate(*prefixMatch);
}

void Delivery::SendKeyString(const QString& keys) {
    if (stopped_) {
        return;
    }
    platform_.standardKeys.sendKeys(utf8(keys));
}

void Delivery::ShellSendKeys(const QString& keys) {
    if (stopped_) {
        return;
    }
    platform_.alternateKeys.sendKeys(utf8(keys));
}

void Delivery::DeliverKeys(const QString& keys) {
    if (alternateChecked_ && alternateChecked_()) {
        ShellSendKeys(keys);
    } else {
        SendKeyString(keys);
    }
}

void Delivery::WaitSeconds(double seconds) {
    if (stopped_ || !(seconds > 0)) {  // also not-a-number
        return;
    }
    // Far beyond any real wait, and still safe to convert.
    constexpr double LongestMs = 1e15;
    const double ms = std::min(std::round(seconds * 1000), LongestMs);
    platform_.clock.waitMs(static_cast<std::int64_t>(ms));
}

std::optional<WindowHandle> Delivery::FindWindowByTitle(const QString& fragment) {
    const std::string wanted = utf8(fragment);
    for (const TopLevelWindow& window : platform_.windows.topLevelWindows()) {
        if (window.title.empty()) {
            continue;
        }
        if (window.title.find(wanted) != std::string::npos) {
            return window.handle;
        }
    }
    return std::nullopt;
}

bool Delivery::IsProcessRunning(const QString& exeName) {
    if (exeName.isEmpty()) {
        return false;
    }
    for (const std::string& name : platform_.processes.runningModuleNames()) {
        if (fromUtf8(name).compare(exeName, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace keyrelay

#include "delivery/Delivery.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;

// The fake desktop with `windows` (topmost first; the fake numbers them from 0x100 on).
struct Desktop {
    explicit Desktop(const Strings& windows = {}) {
        for (const std::string& w : windows) {
            fake.windows.addWindow(w);
        }
    }
    // What ActivateWindow(title) brings to the front, or "error <number>: <description>".
    std::string activated(const char* title) {
        try {
            delivery.ActivateWindow(QString::fromUtf8(title));
        } catch (const PlatformError& e) {
            return "error " + std::to_string(e.number()) + ": " + e.description();
        }
        const auto& made = fake.windows.activations();
        return made.size() == 1 ? made[0].title : std::to_string(made.size()) + " activated";
    }
    // The index of the window FindWindowByTitle(fragment) finds, -1 for none.
    int found(const char* fragment) {
        auto handle = delivery.FindWindowByTitle(QString::fromUtf8(fragment));
        EXPECT_TRUE(fake.windows.activations().empty());
        return handle ? static_cast<int>(*handle - 0x100) : -1;
    }

    FakePlatform fake;
    Delivery delivery{fake.platform()};
};

TEST(Delivery, ActivateWindowPrefersTheExactTitleThenAPrefixIgnoringCaseTopmostFirst) {
    const std::vector<std::tuple<Strings, const char*, std::string>> cases = {
        {{"cw skimmer - x", "CW SKIMMER"}, "cw skimmer", "CW SKIMMER"},
        {{"N1MM Logger+ Entry Window"}, "n1mm logger", "N1MM Logger+ Entry Window"},
        {{"HDSDR a", "HDSDR b"}, "HDSDR", "HDSDR a"},
        {{"Logger", "LOGGER"}, "logger", "Logger"},
        {{"My CW Skimmer", "CW Skimmer 2"}, "CW Skimmer", "CW Skimmer 2"},
        {{"Émetteur"}, "émetteur", "Émetteur"},
        {{"xterm", "My CW Skimmer"}, "CW Skimmer", "error 5"},  // a match in the middle is none
        {{"", "xterm"}, "", "error 5"},                         // nor is every title
    };
    for (const auto& [windows, title, expected] : cases) {
        EXPECT_EQ(Desktop(windows).activated(title).substr(0, expected.size()), expected) << title;
    }
    EXPECT_NE(Desktop().activated("CW Skimmer").find("\"CW Skimmer\""), std::string::npos);
    Desktop refusing({"CW Skimmer"});
    refusing.fake.windows.setActivateFailure(PlatformError(errors::PermissionDenied, "refused"));
    EXPECT_EQ(refusing.activated("CW Skimmer"), "error 70: refused");
}

TEST(Delivery, FindWindowByTitleFindsTheTopmostTitleContainingTheFragment) {
    EXPECT_EQ(Desktop({"xterm", "Spots - CW Skimmer - 14 MHz"}).found("CW Skimmer"), 1);
    EXPECT_EQ(Desktop({"Spots - CW Skimmer", "CW Skimmer"}).found("CW Skimmer"), 0);
    EXPECT_EQ(Desktop({"CW Skimmer", "Spots - CW Skimmer"}).found("cw skimmer"), -1);
    EXPECT_EQ(Desktop({"", "", "HDSDR", "xterm"}).found(""), 2);  // the first with a title
}

TEST(Delivery, ProcessNameComparesWholeIgnoringCase) {
    Desktop d;
    d.fake.processes.setModuleNames({"systemd", "CWSKIMMER.EXE", "xterm"});
    for (const char* name : {"CwSkimmer.exe", "XTERM"}) {
        EXPECT_TRUE(d.delivery.IsProcessRunning(QString::fromLatin1(name))) << name;
    }
    for (const char* name : {"CwSkimmer", "Skimmer.exe", "CwSkimmer.exe2", ""}) {
        EXPECT_FALSE(d.delivery.IsProcessRunning(QString::fromLatin1(name))) << name;
    }
}

TEST(Delivery, DeliverKeysTakesThePathTheAlternateBoxNamesForEveryString) {
    Desktop d;
    d.delivery.DeliverKeys(QStringLiteral("a"));  // no box: the standard path
    int strings = 0;
    d.delivery.setAlternateSource([&] { return ++strings == 2; });  // checked for the second
    for (const char* keys : {"%CT", "14000", "Grüße €"}) {
        d.delivery.DeliverKeys(QString::fromUtf8(keys));
    }
    EXPECT_EQ(d.fake.standardKeys.keys(), (Strings{"a", "%CT", "Grüße €"}));
    EXPECT_EQ(d.fake.alternateKeys.keys(), Strings{"14000"});
    d.fake.alternateKeys.setFailure(PlatformError(errors::DeviceUnavailable, "no shell"));
    EXPECT_THROW(d.delivery.ShellSendKeys(QStringLiteral("x")), PlatformError);
}

TEST(Delivery, WaitRunsTheTimersThatFallDueAndNothingForZeroOrLess) {
    Desktop d;
    int ticks = 0;
    d.fake.clock.startTimer(1000, [&] { ++ticks; });
    for (double none : {0.0, -1.0, -0.0, std::nan(""), 0.0004}) {
        d.delivery.WaitSeconds(none);
    }
    EXPECT_EQ(d.fake.clock.elapsedMs(), 0);
    d.delivery.WaitSeconds(1);
    EXPECT_EQ(ticks, 1);
    d.delivery.WaitSeconds(0.0015);  // whole milliseconds, rounded
    EXPECT_EQ(d.fake.clock.elapsedMs(), 1002);
}

// Once the program ends, a handler still under way finishes at once and types nothing.
TEST(Delivery, AfterStopNothingIsActivatedTypedOrWaitedFor) {
    Desktop d({"CW Skimmer"});
    d.delivery.stop();
    d.delivery.ActivateWindow(QStringLiteral("No Such Window"));
    d.delivery.ActivateWindow(QStringLiteral("CW Skimmer"));
    d.delivery.DeliverKeys(QStringLiteral("14000"));
    d.delivery.WaitSeconds(30);
    EXPECT_TRUE(d.fake.windows.activations().empty());
    EXPECT_TRUE(d.fake.standardKeys.keys().empty());
    EXPECT_EQ(d.fake.clock.elapsedMs(), 0);
}

}  // namespace
}  // namespace keyrelay

#include "delivery/Delivery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include <limits>
#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DeliveryTest : public ::testing::Test {
protected:
    FakePlatform fake;
    Delivery delivery{fake.platform()};

    // The title of the window that an ActivateWindow call brought to the front.
    std::string activated(const QString& title) {
        fake.windows.clearActivations();
        delivery.ActivateWindow(title);
        EXPECT_EQ(fake.windows.activations().size(), 1u);
        return fake.windows.activations().empty() ? std::string()
                                                  : fake.windows.activations().back().title;
    }
};

TEST_F(DeliveryTest, ExactTitleBeatsAPrefixMatchNearerTheTop) {
    fake.windows.addWindow("CW Skimmer - 14000 kHz");
    const WindowHandle exact = fake.windows.addWindow("CW Skimmer");
    EXPECT_EQ(activated(QStringLiteral("CW Skimmer")), "CW Skimmer");
    EXPECT_EQ(fake.windows.foreground()->handle, exact);
}

struct MatchCase {
    const char* name;
    std::vector<std::string> windows;  // topmost first
    const char* title;
    const char* expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.name;
}

class ActivateWindowMatch : public DeliveryTest, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(ActivateWindowMatch, BringsTheRightWindowToTheFront) {
    for (const std::string& w : GetParam().windows) {
        fake.windows.addWindow(w);
    }
    EXPECT_EQ(activated(QString::fromUtf8(GetParam().title)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ActivateWindowMatch,
    ::testing::Values(
        MatchCase{"PrefixWhenNoneIsExact",
                  {"xterm", "CW Skimmer - 7000 kHz"},
                  "CW Skim",
                  "CW Skimmer - 7000 kHz"},
        MatchCase{"ExactIgnoresCase", {"cw skimmer - x", "CW SKIMMER"}, "cw skimmer", "CW SKIMMER"},
        MatchCase{"PrefixIgnoresCase",
                  {"N1MM Logger+ Entry Window"},
                  "n1mm logger",
                  "N1MM Logger+ Entry Window"},
        MatchCase{"TopmostAmongPrefixes", {"HDSDR a", "HDSDR b"}, "HDSDR", "HDSDR a"},
        MatchCase{"TopmostAmongExacts", {"Logger", "LOGGER"}, "logger", "Logger"},
        MatchCase{"NotAMatchInTheMiddle",
                  {"My CW Skimmer", "CW Skimmer 2"},
                  "CW Skimmer",
                  "CW Skimmer 2"},
        MatchCase{"CaseOfNonAsciiLetters", {"Émetteur"}, "émetteur", "Émetteur"}),
    [](const ::testing::TestParamInfo<MatchCase>& p) { return std::string(p.param.name); });

TEST_F(DeliveryTest, NoMatchingWindowThrowsWithTheTitleInTheDescription) {
    fake.windows.addWindow("xterm");
    fake.windows.addWindow("My CW Skimmer");
    try {
        delivery.ActivateWindow(QStringLiteral("CW Skimmer"));
        FAIL() << "no exception";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::InvalidArgument);
        EXPECT_THAT(e.description(), HasSubstr("\"CW Skimmer\""));
    }
    EXPECT_TRUE(fake.windows.activations().empty());
}

TEST_F(DeliveryTest, EmptyTitleActivatesNothing) {
    fake.windows.addWindow("");
    fake.windows.addWindow("xterm");
    EXPECT_THROW(delivery.ActivateWindow(QString()), PlatformError);
    EXPECT_TRUE(fake.windows.activations().empty());
}

TEST_F(DeliveryTest, RefusedActivationReachesTheCaller) {
    fake.windows.addWindow("CW Skimmer");
    fake.windows.setActivateFailure(PlatformError(errors::PermissionDenied, "refused"));
    try {
        delivery.ActivateWindow(QStringLiteral("CW Skimmer"));
        FAIL() << "no exception";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errors::PermissionDenied);
    }
}

struct FindCase {
    const char* name;
    std::vector<std::string> windows;  // topmost first
    const char* fragment;
    int expectedIndex;  // -1: not found
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << c.name;
}

class FindWindow : public DeliveryTest, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindWindow, FindsTheTopmostWindowContainingTheFragment) {
    std::vector<WindowHandle> handles;
    for (const std::string& w : GetParam().windows) {
        handles.push_back(fake.windows.addWindow(w));
    }
    const auto found = delivery.FindWindowByTitle(QString::fromUtf8(GetParam().fragment));
    if (GetParam().expectedIndex < 0) {
        EXPECT_FALSE(found.has_value());
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, handles[static_cast<std::size_t>(GetParam().expectedIndex)]);
    }
    EXPECT_TRUE(fake.windows.activations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, FindWindow,
    ::testing::Values(
        FindCase{"InTheMiddle", {"xterm", "Spots - CW Skimmer - 14 MHz"}, "CW Skimmer", 1},
        FindCase{"AtTheStart", {"xterm", "CW Skimmer"}, "CW Skimmer", 1},
        FindCase{"TopmostOfBoth", {"Spots - CW Skimmer", "CW Skimmer"}, "CW Skimmer", 0},
        FindCase{"TopmostOfBothOtherOrder", {"CW Skimmer", "Spots - CW Skimmer"}, "CW Skimmer", 0},
        FindCase{"CaseCounts", {"CW Skimmer", "Spots - CW Skimmer"}, "cw skimmer", -1},
        FindCase{"EmptyFragmentSkipsUntitled", {"", "", "HDSDR", "xterm"}, "", 2},
        FindCase{"EmptyFragmentNoTitles", {"", ""}, "", -1}, FindCase{"NoWindows", {}, "x", -1},
        FindCase{"NonAscii", {"Größe", "Ärger"}, "rg", 1}),
    [](const ::testing::TestParamInfo<FindCase>& p) { return std::string(p.param.name); });

TEST_F(DeliveryTest, ProcessNameComparesWholeIgnoringCase) {
    fake.processes.setModuleNames({"systemd", "CWSKIMMER.EXE", "xterm"});
    EXPECT_TRUE(delivery.IsProcessRunning(QStringLiteral("CwSkimmer.exe")));
    EXPECT_TRUE(delivery.IsProcessRunning(QStringLiteral("cwskimmer.exe")));
    EXPECT_TRUE(delivery.IsProcessRunning(QStringLiteral("XTERM")));
    EXPECT_FALSE(delivery.IsProcessRunning(QStringLiteral("CwSkimmer")));
    EXPECT_FALSE(delivery.IsProcessRunning(QStringLiteral("Skimmer.exe")));
    EXPECT_FALSE(delivery.IsProcessRunning(QStringLiteral("CwSkimmer.exe2")));
    EXPECT_FALSE(delivery.IsProcessRunning(QString()));
    fake.processes.setModuleNames({});
    EXPECT_FALSE(delivery.IsProcessRunning(QStringLiteral("CwSkimmer.exe")));
}

TEST_F(DeliveryTest, DeliverKeysReadsTheAlternateBoxForEveryString) {
    bool alternate = false;
    delivery.setAlternateSource([&] { return alternate; });
    delivery.DeliverKeys(QStringLiteral("%CT"));
    alternate = true;
    delivery.DeliverKeys(QStringLiteral("14000"));
    alternate = false;
    delivery.DeliverKeys(QStringLiteral("{ENTER}"));
    EXPECT_THAT(fake.standardKeys.keys(), ElementsAre("%CT", "{ENTER}"));
    EXPECT_THAT(fake.alternateKeys.keys(), ElementsAre("14000"));
}

TEST_F(DeliveryTest, DeliverKeysWithoutAnAlternateSourceTakesTheStandardPath) {
    delivery.DeliverKeys(QStringLiteral("a"));
    EXPECT_THAT(fake.standardKeys.keys(), ElementsAre("a"));
    EXPECT_TRUE(fake.alternateKeys.sent().empty());
}

TEST_F(DeliveryTest, KeysReachTheInjectorsAsUtf8AndTheirFailuresTheCaller) {
    delivery.SendKeyString(QStringLiteral("Grüße €"));
    EXPECT_THAT(fake.standardKeys.keys(), ElementsAre("Gr\xC3\xBC\xC3\x9F"
                                                      "e \xE2\x82\xAC"));
    fake.alternateKeys.setFailure(PlatformError(errors::DeviceUnavailable, "no shell"));
    EXPECT_THROW(delivery.ShellSendKeys(QStringLiteral("x")), PlatformError);
}

TEST_F(DeliveryTest, WaitOfZeroOrLessReturnsWithoutRunningEvents) {
    int ticks = 0;
    fake.clock.startTimer(1, [&] { ++ticks; });
    const std::int64_t start = fake.clock.elapsedMs();
    for (double s : {0.0, -1.0, -0.0, std::numeric_limits<double>::quiet_NaN()}) {
        delivery.WaitSeconds(s);
    }
    EXPECT_EQ(fake.clock.elapsedMs(), start);
    EXPECT_EQ(ticks, 0);
}

TEST_F(DeliveryTest, WaitRunsTheTimersThatFallDueInside) {
    std::vector<std::int64_t> ticks;
    fake.clock.startTimer(1000, [&] { ticks.push_back(fake.clock.elapsedMs()); });
    const std::int64_t start = fake.clock.elapsedMs();
    delivery.WaitSeconds(1);
    EXPECT_EQ(fake.clock.elapsedMs() - start, 1000);
    EXPECT_THAT(ticks, ElementsAre(start + 1000));

    delivery.WaitSeconds(0.5);
    EXPECT_EQ(fake.clock.elapsedMs() - start, 1500);
    delivery.WaitSeconds(0.0004);  // rounds to no wait at all
    delivery.WaitSeconds(0.002);
    EXPECT_EQ(fake.clock.elapsedMs() - start, 1502);
}

}  // namespace
}  // namespace keyrelay

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyrelay {
namespace {

TEST(FakePlatform, KeysRecordTheVirtualTimeAndTheWindowInFront) {
    FakePlatform fake;
    fake.windows.addWindow("Editor");
    const WindowHandle skimmer = fake.windows.addWindow("CW Skimmer");
    fake.clock.advance(1500);
    fake.platform().windows.activate(skimmer);
    fake.platform().standardKeys.sendKeys("%CT");
    fake.clock.advance(500);
    fake.platform().alternateKeys.sendKeys("14000");

    ASSERT_EQ(fake.windows.activations().size(), 1u);
    EXPECT_EQ(fake.windows.activations()[0].atMs, 1500);
    EXPECT_EQ(fake.windows.topLevelWindows().front().title, "CW Skimmer");
    ASSERT_EQ(fake.standardKeys.sent().size(), 1u);
    EXPECT_EQ(fake.standardKeys.sent()[0].window, "CW Skimmer");
    EXPECT_EQ(fake.standardKeys.sent()[0].atMs, 1500);
    ASSERT_EQ(fake.alternateKeys.sent().size(), 1u);
    EXPECT_EQ(fake.alternateKeys.sent()[0].atMs, 2000);
}

TEST(FakePlatform, CheckedNotationRefusesMalformedStringsLikeTheRealInjectors) {
    FakePlatform fake;
    fake.standardKeys.setCheckNotation(true);
    EXPECT_THROW(fake.standardKeys.sendKeys("{ENTER"), PlatformError);
    EXPECT_THROW(fake.standardKeys.sendKeys("{NOSUCHKEY}"), PlatformError);
    EXPECT_NO_THROW(fake.standardKeys.sendKeys("%CT{ENTER}"));
    EXPECT_EQ(fake.standardKeys.keys(), std::vector<std::string>{"%CT{ENTER}"});
}

TEST(FakePlatform, ScriptedFailuresReachTheCaller) {
    FakePlatform fake;
    const WindowHandle w = fake.windows.addWindow("x");
    fake.windows.setActivateFailure(PlatformError(errors::PermissionDenied, "refused"));
    EXPECT_THROW(fake.windows.activate(w), PlatformError);
    fake.windows.setActivateFailure(std::nullopt);
    fake.windows.removeWindow(w);
    EXPECT_THROW(fake.windows.activate(w), PlatformError);
    EXPECT_THROW(fake.windows.windowRect(w), PlatformError);
    EXPECT_TRUE(fake.windows.activations().empty());

    fake.processes.setStartFailure(PlatformError(errors::FileNotFound, "no such file"));
    EXPECT_THROW(fake.processes.start("/opt", "a.exe", "", WindowState::Normal), PlatformError);
    EXPECT_TRUE(fake.processes.starts().empty());

    fake.mouse.setFailure(PlatformError(errors::PermissionDenied, "refused"));
    EXPECT_THROW(fake.mouse.moveTo(1, 2), PlatformError);
    EXPECT_TRUE(fake.mouse.events().empty());
}

TEST(FakePlatform, DialogsAnswerFromTheirQueuesThenCancelOrSayNo) {
    FakePlatform fake;
    Dialogs& d = fake.platform().dialogs;
    fake.dialogs.queueYesNo(true);
    fake.dialogs.queueOpenFile("/tmp/a.ini");
    fake.dialogs.queueOpenFile(std::nullopt);
    EXPECT_TRUE(d.askYesNo("Sure?"));
    EXPECT_FALSE(d.askYesNo("Really?"));
    EXPECT_EQ(d.openFile({}), std::optional<std::string>("/tmp/a.ini"));
    EXPECT_EQ(d.openFile({}), std::nullopt);
    EXPECT_EQ(d.openFile({}), std::nullopt);
    EXPECT_EQ(d.saveFile({}), std::nullopt);
    EXPECT_EQ(fake.dialogs.questions(), (std::vector<std::string>{"Sure?", "Really?"}));
    EXPECT_EQ(fake.dialogs.openRequests().size(), 3u);
}

}  // namespace
}  // namespace keyrelay

// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "platform/NativeServices.h"
#include "platform/x11/X11Display.h"

namespace keyrelay {
namespace {

namespace fs = std::filesystem;
using test::TestWindow;

// Programs started through the native services show their windows as asked.
class X11StartTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/keyrelay-start.XXXXXX";
        folder_ = mkdtemp(name);
        services_ = createNativeServices();
        display_ = X11Display::open();
    }
    void TearDown() override {
        for (int pid : started_) {
            kill(pid, SIGTERM);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Starts the test window titled `title` and returns its log lines once it has shown
    // its window; the window's handle goes to `window`.
    std::vector<std::string> start(const std::string& title, const std::string& extra,
                                   WindowState state, ::Window& window) {
        services_->processes().start(folder_.string(), TestWindow::program(),
                                     "\"" + title + "\" log.txt " + extra, state);
        std::vector<std::string> lines;
        EXPECT_TRUE(TestWindow::waitUntil([&] {
            lines.clear();
            std::ifstream in(folder_ / "log.txt");
            for (std::string line; std::getline(in, line);) {
                lines.push_back(line);
                if (line.rfind("window 0x", 0) == 0) {
                    window = std::strtoul(line.c_str() + 9, nullptr, 16);
                }
                if (line.rfind("start pid=", 0) == 0 && started_.empty()) {
                    started_.push_back(std::atoi(line.c_str() + 10));
                }
            }
            return window != None && display_->wmState(window).has_value();
        })) << "the started window was not managed";
        return lines;
    }

    long stateOf(::Window window) { return display_->wmState(window).value_or(-1); }

    fs::path folder_;
    std::unique_ptr<NativeServices> services_;
    std::shared_ptr<X11Display> display_;
    std::vector<int> started_;
};

TEST_F(X11StartTest, NormalStartShowsTheWindowWithTheFolderAndParameters) {
    ::Window window = None;
    auto lines = start("Started normally", "first \"second one\"", WindowState::Normal, window);

    EXPECT_NE(std::find(lines.begin(), lines.end(), "cwd=" + folder_.string()), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "arg 0=first"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "arg 1=second one"), lines.end());
    EXPECT_EQ(stateOf(window), NormalState);
}

TEST_F(X11StartTest, MinimisedStartEndsIconified) {
    ::Window window = None;
    start("Started minimised", "", WindowState::Minimized, window);

    EXPECT_TRUE(TestWindow::waitUntil([&] { return stateOf(window) == IconicState; }));
}

}  // namespace
}  // namespace keyrelay

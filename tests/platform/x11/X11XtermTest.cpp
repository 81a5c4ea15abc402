// gtest before Xlib: Xlib's None and Bool macros break its templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"
#include "platform/x11/SendEventKeyInjector.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"

extern char** environ;

namespace keyrelay {
namespace {

namespace fs = std::filesystem;
using test::TestWindow;

// An xterm as a real target: what is typed into it reaches a program reading the
// terminal. It accepts synthetic events only when told to.
class X11XtermTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        char name[] = "/tmp/keyrelay-xterm.XXXXXX";
        folder_ = mkdtemp(name);
        display_ = X11Display::open();
        windows_ = std::make_unique<X11WindowSystem>(display_);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Starts an xterm whose shell copies what is typed into out.txt, and activates it.
    void startXterm(const std::string& title, bool allowSendEvents) {
        std::string command = "cat > '" + (folder_ / "out.txt").string() + "'";
        std::vector<std::string> args{"xterm", "-u8", "-T", title};
        if (allowSendEvents) {
            args.insert(args.end(), {"-xrm", "XTerm*allowSendEvents: true"});
        }
        args.insert(args.end(), {"-e", "sh", "-c", command});
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env{"LC_ALL=C.UTF-8"};
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::string(*e).rfind("LC_ALL=", 0) != 0) {
                env.push_back(*e);
            }
        }
        std::vector<char*> envp;
        for (std::string& entry : env) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        ASSERT_EQ(posix_spawnp(&pid_, "xterm", nullptr, nullptr, argv.data(), envp.data()), 0);

        WindowHandle handle = 0;
        ASSERT_TRUE(TestWindow::waitUntil([&] {
            for (const TopLevelWindow& window : windows_->topLevelWindows()) {
                if (window.title == title) {
                    handle = window.handle;
                }
            }
            return handle != 0;
        })) << "the xterm did not appear";
        windows_->activate(handle);
        ASSERT_TRUE(TestWindow::waitForFocus(display_->get(), static_cast<::Window>(handle)));
    }

    std::string typed() {
        std::ifstream in(folder_ / "out.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
    std::shared_ptr<X11Display> display_;
    std::unique_ptr<X11WindowSystem> windows_;
    pid_t pid_ = -1;
};

TEST_P(X11XtermTest, TextTypedIntoTheTerminalReachesItsProgram) {
    bool alternate = GetParam();
    startXterm(alternate ? "Keyrelay xterm alternate" : "Keyrelay xterm standard", alternate);
    std::unique_ptr<KeyInjector> keys;
    if (alternate) {
        keys = std::make_unique<SendEventKeyInjector>(display_);
    } else {
        keys = std::make_unique<XTestKeyInjector>(display_);
    }

    // Ends with Ctrl+D at the start of a line: cat sees the end of its input and exits.
    keys->sendKeys("Hello, World! 14025.5 {+}{(}x{)} \xc3\xa9\xe2\x82\xac~second line{ENTER}^d");

    const std::string expected = "Hello, World! 14025.5 +(x) \xc3\xa9\xe2\x82\xac\nsecond line\n";
    EXPECT_TRUE(TestWindow::waitUntil([&] { return typed() == expected; })) << typed();
}

INSTANTIATE_TEST_SUITE_P(Paths, X11XtermTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Alternate" : "Standard";
                         });

}  // namespace
}  // namespace keyrelay

#include "platform/win32/ScriptHostKeyInjector.h"

#include <gtest/gtest.h>

#include "RecordingWindow.h"
#include "platform/PlatformError.h"
#include "platform/win32/Win32WindowSystem.h"

namespace keyrelay {
namespace {

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class ScriptHostKeyInjectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<test::RecordingWindow>(
            L"KrT" + std::to_wstring(GetCurrentProcessId()) + L" script host");
        windows_.activate(window_->handle());
        ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == window_->hwnd(); }));
    }

    std::unique_ptr<test::RecordingWindow> window_;
    Win32WindowSystem windows_;
    ScriptHostKeyInjector injector_;
};

TEST_F(ScriptHostKeyInjectorTest, MalformedStringTypesNothing) {
    for (const std::string bad : {"ab{LEFT", "%", "ab)"}) {
        SCOPED_TRACE("notation: " + bad);
        window_->clear();
        try {
            injector_.sendKeys(bad);
            ADD_FAILURE() << "accepted";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), errors::InvalidArgument);
        }
        ASSERT_TRUE(test::waitForEndMark(*window_));
        EXPECT_EQ(window_->text, "");
    }
}

TEST_F(ScriptHostKeyInjectorTest, TypesIntoTheWindowInFront) {
    try {
        injector_.sendKeys("a+b{ENTER}");
    } catch (const PlatformError& e) {
        if (runningUnderWine() && e.number() == static_cast<long>(E_NOTIMPL)) {
            GTEST_SKIP() << "Wine's WScript.Shell has no SendKeys: " << e.description();
        }
        FAIL() << "Error " << e.number() << " " << e.description();
    }
    ASSERT_TRUE(test::waitForEndMark(*window_));
    EXPECT_EQ(window_->text, "aB\r");
}

}  // namespace
}  // namespace keyrelay

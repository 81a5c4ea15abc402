#include "platform/win32/Win32Mouse.h"

#include <gtest/gtest.h>

#include "RecordingWindow.h"
#include "platform/win32/Win32WindowSystem.h"

namespace keyrelay {
namespace {

// The launcher's focus click: a point relative to the window's outer rectangle.
TEST(Win32MouseTest, ClickAtAWindowRelativePointArrivesThere) {
    test::RecordingWindow window(L"KrT" + std::to_wstring(GetCurrentProcessId()) + L" clicks");
    Win32WindowSystem windows;
    Win32Mouse mouse;
    windows.activate(window.handle());
    ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == window.hwnd(); }));

    for (const POINT offset : {POINT{25, 70}, POINT{200, 150}}) {
        SCOPED_TRACE("offset " + std::to_string(offset.x) + "," + std::to_string(offset.y));
        window.clear();
        const ScreenRect rect = windows.windowRect(window.handle());
        const POINT target{rect.left + offset.x, rect.top + offset.y};
        mouse.moveTo(target.x, target.y);
        mouse.leftDown();
        mouse.leftUp();
        ASSERT_TRUE(test::pumpUntil([&] { return window.releases > 0; }));

        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, target.x);
        EXPECT_EQ(cursor.y, target.y);
        POINT expected = target;
        ScreenToClient(window.hwnd(), &expected);
        ASSERT_EQ(window.clicks.size(), 1u);
        EXPECT_EQ(window.clicks[0].x, expected.x);
        EXPECT_EQ(window.clicks[0].y, expected.y);
        EXPECT_EQ(window.releases, 1);
    }
}

}  // namespace
}  // namespace keyrelay

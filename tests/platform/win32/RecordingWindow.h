#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

namespace keyrelay::test {

// A top-level window of the test process that records what reaches it:
// - keys: one entry per key press; modifier keys as "[Shift", "[Ctrl", "[Alt" when pressed
//   and "]Shift", ... when released; other keys as the held modifiers ("+", "^", "%")
//   followed by the key's name ("+E", "^LEFT", "F12", "PACKET" for a Unicode character);
// - text: the characters of WM_CHAR and WM_SYSCHAR, UTF-8;
// - clicks: the client coordinates of left-button presses and the count of releases.
// Pressing F24 is the end mark of a test's input and is not recorded.
class RecordingWindow {
public:
    explicit RecordingWindow(const std::wstring& title, bool visible = true);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    WindowHandle handle() const;

    std::vector<std::string> keys;
    std::string text;
    std::vector<POINT> clicks;
    int releases = 0;
    bool endMarkSeen = false;

    void clear();

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND hwnd_ = nullptr;
    std::wstring pendingUnits_;  // a high surrogate waiting for its partner
};

// Handles this thread's window messages until `done()` holds or ten seconds pass; returns
// done(). The limit only keeps a broken test from hanging.
bool pumpUntil(const std::function<bool()>& done);

// Types the end mark (F24) through SendInput and waits until `window` has seen it, so
// every event sent before has arrived. Returns false when it never came.
bool waitForEndMark(RecordingWindow& window);

// Polls `done()` every 20 ms, handling window messages meanwhile, for at most 20 seconds.
bool pollUntil(const std::function<bool()>& done);

std::string utf8(const std::wstring& wide);
std::wstring wide(const std::string& utf8);

}  // namespace keyrelay::test

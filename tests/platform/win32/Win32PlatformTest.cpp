// The Windows services against real windows, keys, clicks and processes of this test
// program (under Wine when cross-built), reached through createNativeServices().
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/NativeServices.h"
#include "platform/PlatformError.h"
#include "platform/win32/Win32Text.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;
using win32::toUtf8;
using win32::toWide;

// A prefix of this run's own, so windows of other programs never match.
const std::string Tag = "KrT" + std::to_string(GetCurrentProcessId()) + " ";

// Handles this thread's window messages until `done()` holds or ten seconds pass; returns
// done(). The limit only keeps a broken test from hanging.
bool pumpUntil(const std::function<bool()>& done) {
    for (const ULONGLONG limit = GetTickCount64() + 10000;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done() || GetTickCount64() >= limit) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// The name of a key as the tests write it: letters, digits, F<n>, else its VK_ name.
std::string keyName(WPARAM vk) {
    static const std::map<WPARAM, std::string> names = {
        {VK_BACK, "BACK"},     {VK_CAPITAL, "CAPITAL"}, {VK_DELETE, "DELETE"},
        {VK_DOWN, "DOWN"},     {VK_END, "END"},         {VK_RETURN, "RETURN"},
        {VK_ESCAPE, "ESCAPE"}, {VK_HELP, "HELP"},       {VK_HOME, "HOME"},
        {VK_INSERT, "INSERT"}, {VK_LEFT, "LEFT"},       {VK_NEXT, "NEXT"},
        {VK_PRIOR, "PRIOR"},   {VK_RIGHT, "RIGHT"},     {VK_TAB, "TAB"},
        {VK_UP, "UP"},         {VK_PACKET, "PACKET"},   {VK_SPACE, "SPACE"},
        {VK_OEM_4, "OEM_4"},   {VK_OEM_6, "OEM_6"},     {VK_NUMLOCK, "NUMLOCK"},
        {VK_SCROLL, "SCROLL"}};
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        return std::string(1, static_cast<char>(vk));
    }
    if (vk >= VK_F1 && vk <= VK_F24) {
        return "F" + std::to_string(vk - VK_F1 + 1);
    }
    return names.count(vk) != 0 ? names.at(vk) : "VK_" + std::to_string(vk);
}

// A top-level window of this thread that records what reaches it. Keys: one entry per
// press; Shift, Ctrl and Alt as "[Shift" when pressed and "]Shift" when released, other
// keys as the held modifiers ("+", "^", "%") and the key's name ("+E", "^LEFT"). Text: the
// characters of WM_CHAR and WM_SYSCHAR. Pressing F24 is the end mark of a test's input.
class RecordingWindow {
public:
    explicit RecordingWindow(const std::string& title, bool visible = true) {
        static const bool registered = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = [](HWND w, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                auto* window = reinterpret_cast<RecordingWindow*>(GetPropW(w, L"recorder"));
                return window != nullptr && window->handled(message, wParam, lParam)
                           ? 0
                           : DefWindowProcW(w, message, wParam, lParam);
            };
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = L"KeyrelayRecordingWindow";
            return RegisterClassW(&c) != 0;
        }();
        hwnd = CreateWindowExW(0, L"KeyrelayRecordingWindow", toWide(Tag + title).c_str(),
                               WS_OVERLAPPEDWINDOW, 100, 100, 420, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        EXPECT_TRUE(registered && hwnd != nullptr);
        SetPropW(hwnd, L"recorder", this);
        if (visible) {
            ShowWindow(hwnd, SW_SHOWNORMAL);
        }
        pumpUntil([] { return true; });
    }
    ~RecordingWindow() {
        RemovePropW(hwnd, L"recorder");
        DestroyWindow(hwnd);
    }
    WindowHandle handle() const { return reinterpret_cast<std::uintptr_t>(hwnd); }

    // Types the end mark and waits until it has arrived, and with it every key before.
    bool endMarkSeen() {
        INPUT inputs[2] = {};
        inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = inputs[1].ki.wVk = VK_F24;
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
        const bool seen = pumpUntil([&] { return endMark; });
        endMark = false;
        return seen;
    }

    HWND hwnd = nullptr;
    std::string keys;  // space-separated
    std::wstring text;
    std::vector<POINT> clicks;
    int releases = 0;
    bool endMark = false;

private:
    void add(const std::string& key) { keys += (keys.empty() ? "" : " ") + key; }
    bool handled(UINT message, WPARAM wParam, LPARAM lParam) {
        static const std::map<WPARAM, std::string> modifiers = {
            {VK_SHIFT, "Shift"}, {VK_CONTROL, "Ctrl"}, {VK_MENU, "Alt"}};
        const bool isModifier = modifiers.count(wParam) != 0;
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                if (wParam == VK_F24) {
                    endMark = true;
                } else if (!isModifier) {
                    add(std::string(GetKeyState(VK_SHIFT) < 0 ? "+" : "") +
                        (GetKeyState(VK_CONTROL) < 0 ? "^" : "") +
                        (GetKeyState(VK_MENU) < 0 ? "%" : "") + keyName(wParam));
                } else if ((lParam & (1 << 30)) == 0) {  // not the repeat of a held key
                    add("[" + modifiers.at(wParam));
                }
                return true;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                if (isModifier) {
                    add("]" + modifiers.at(wParam));
                }
                return true;
            case WM_CHAR:
            case WM_SYSCHAR:
                text += static_cast<wchar_t>(wParam);
                return true;
            case WM_SYSCOMMAND:  // Alt would open the (missing) menu and swallow keys
                return (wParam & 0xFFF0) == SC_KEYMENU;
            case WM_LBUTTONDOWN:
                clicks.push_back(
                    POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
                return true;
            case WM_LBUTTONUP:
                ++releases;
                return true;
            default:
                return false;
        }
    }
};

// The number and description of the PlatformError that `call` throws; 0 when none.
std::pair<long, std::string> failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const PlatformError& e) {
        return {e.number(), e.description()};
    }
    return {0, ""};
}

class Win32PlatformTest : public ::testing::Test {
protected:
    // Activates the window and waits until it is in front (under Wine the activation
    // travels through the X server and back).
    void activate(RecordingWindow& window) {
        services->windows().activate(window.handle());
        ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == window.hwnd; }));
    }
    // Titles of this run's windows, topmost first.
    Strings ownTitles() {
        Strings titles;
        for (const TopLevelWindow& w : services->windows().topLevelWindows()) {
            if (w.title.find(Tag) != std::string::npos) {
                titles.push_back(w.title.substr(w.title.find(Tag) + Tag.size()));
            }
        }
        return titles;
    }

    std::unique_ptr<NativeServices> services = createNativeServices();
};

TEST_F(Win32PlatformTest, SendInputTypesEveryNotationConstructIntoTheWindowInFront) {
    // The notation, the characters that arrive, and the key presses (unchecked when empty).
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"aB1!", "aB1!", "A [Shift +B ]Shift 1 [Shift +1 ]Shift"},
        // Shift held over the whole group, and only over the next key without one.
        {"+(ec)+ec", "ECEc", "[Shift +E +C +E ]Shift C"},
        {"^a%c^+{F5}",
         "\x01"
         "c",
         "[Ctrl ^A ]Ctrl [Alt %C ]Alt [Shift [Ctrl +^F5 ]Ctrl ]Shift"},
        // The decoder's frequency box: Alt+C, then T; the capitals need Shift too.
        {"%CT", "CT", "[Shift [Alt +%C ]Alt +T ]Shift"},
        {"~{+}{^}{%}{~}{(}{)}{{}{}}", "\r+^%~(){}", ""},
        {"[x] {LEFT 2}{h 0}", "[x] ", "OEM_4 X OEM_6 SPACE LEFT LEFT"},
        {"{enter}{Tab}{BS}{ESC}", "\r\t\b\x1b", "RETURN TAB BACK ESCAPE"},
        {"{UP}{DOWN}{RIGHT}{HOME}{END}{PGUP}{PGDN}{INSERT}{DEL}{HELP}{F1}{F16}", "",
         "UP DOWN RIGHT HOME END PRIOR NEXT INSERT DELETE HELP F1 F16"},
        // Toggles are pressed twice so the keyboard is left as it was.
        {"{CAPSLOCK 2}{NUMLOCK 2}{SCROLLLOCK 2}", "",
         "CAPITAL CAPITAL NUMLOCK NUMLOCK SCROLL SCROLL"},
        // Characters the keyboard layout lacks, one beyond the 16-bit range among them.
        {"€+ж😀", "€ж😀", "PACKET [Shift +PACKET ]Shift PACKET PACKET"},
    };
    RecordingWindow window("keys");
    activate(window);
    for (const auto& [notation, text, keys] : cases) {
        window.keys.clear();
        window.text.clear();
        services->standardKeys().sendKeys(notation);
        ASSERT_TRUE(window.endMarkSeen());
        EXPECT_EQ(toUtf8(window.text), text) << notation;
        EXPECT_TRUE(keys.empty() || window.keys == keys) << notation << ": " << window.keys;
    }
    // Letters keep their case while CapsLock is on.
    for (const char* caps : {"{CAPSLOCK}", "aB{x 2}1!{CAPSLOCK}"}) {
        window.text.clear();
        services->standardKeys().sendKeys(caps);
        ASSERT_TRUE(window.endMarkSeen());
    }
    EXPECT_EQ(toUtf8(window.text), "aBxx1!");
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);
}

// Both paths refuse a malformed string before the first key goes out. The script host's
// SendKeys types nothing under Wine (E_NOTIMPL), so for that path only the creation of
// its object and the reporting of its failure are checked here; its typing is exercised on
// Windows only.
TEST_F(Win32PlatformTest, MalformedStringTypesNothingAndTheScriptHostReportsItsFailures) {
    RecordingWindow window("refused");
    activate(window);
    for (KeyInjector* keys : {&services->standardKeys(), &services->alternateKeys()}) {
        for (const char* bad : {"ab{LEFT", "ab+", "(ab", "ab)", "ab{NOSUCHKEY}", "{LEFT 99999}"}) {
            EXPECT_EQ(failure([&] { keys->sendKeys(bad); }).first, errors::InvalidArgument) << bad;
        }
    }
    ASSERT_TRUE(window.endMarkSeen());
    EXPECT_TRUE(window.keys.empty() && window.text.empty());

    auto [number, description] = failure([&] { services->alternateKeys().sendKeys("a"); });
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine || number != 0) {
        EXPECT_EQ(number, static_cast<long>(E_NOTIMPL)) << description;
        EXPECT_NE(description.find("SendKeys"), std::string::npos) << description;
    }
}

// The launcher's focus click: a point relative to the window's outer rectangle.
TEST_F(Win32PlatformTest, ClickAtAWindowRelativePointArrivesThere) {
    RecordingWindow window("clicks");
    activate(window);
    const ScreenRect rect = services->windows().windowRect(window.handle());
    RECT client{};
    GetClientRect(window.hwnd, &client);
    MapWindowPoints(window.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);  // on the screen
    // The frame surrounds the client area, the title bar above it.
    EXPECT_TRUE(rect.left <= client.left && rect.top < client.top && rect.right >= client.right &&
                rect.bottom >= client.bottom);
    for (const POINT offset : {POINT{25, 70}, POINT{200, 150}}) {
        window.clicks.clear();
        window.releases = 0;
        services->mouse().moveTo(rect.left + offset.x, rect.top + offset.y);
        services->mouse().leftDown();
        services->mouse().leftUp();
        ASSERT_TRUE(pumpUntil([&] { return window.releases == 1; }));
        ASSERT_EQ(window.clicks.size(), 1u);
        EXPECT_EQ(window.clicks[0].x, rect.left + offset.x - client.left);
        EXPECT_EQ(window.clicks[0].y, rect.top + offset.y - client.top);
    }
}

TEST_F(Win32PlatformTest, ListsShownWindowsTopmostFirstWithWholeTitlesAndActivatesThem) {
    const std::string longTitle = std::string(400, 'x') + " end";
    const std::string unicodeTitle = "Bandkarte \xC3\xA4 \xE2\x82\xAC \xD0\xB6";
    RecordingWindow a("first"), b(longTitle), c(unicodeTitle), hidden("hidden", false);
    for (RecordingWindow* w : {&a, &b, &c}) {
        activate(*w);
    }
    EXPECT_EQ(ownTitles(), (Strings{unicodeTitle, longTitle, "first"}));
    activate(a);
    EXPECT_EQ(ownTitles(), (Strings{"first", unicodeTitle, longTitle}));

    ShowWindow(b.hwnd, SW_MINIMIZE);
    activate(c);
    ASSERT_TRUE(IsIconic(b.hwnd));
    activate(b);
    EXPECT_FALSE(IsIconic(b.hwnd)) << "activation restores a minimised window";
    EXPECT_EQ(GetFocus(), b.hwnd);

    // A window that is gone fails with the system's number.
    const WindowHandle gone = std::make_unique<RecordingWindow>("gone")->handle();
    for (const std::function<void()>& call :
         std::vector<std::function<void()>>{[&] { services->windows().activate(gone); },
                                            [&] { services->windows().windowRect(gone); },
                                            [&] { services->windows().activate(0); }}) {
        auto [number, description] = failure(call);
        EXPECT_EQ(number, ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(description.empty());
    }
}

// The probe program (KeyrelayProbe.cpp), copied under two names into a folder with a blank
// and a non-ASCII letter in its name, reports what it was started with.
TEST_F(Win32PlatformTest, StartsProgramsInTheirFolderWithParametersAndWindowStateAndListsThem) {
    wchar_t temp[MAX_PATH] = {}, own[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::wstring ownPath = own, ownFolder = ownPath.substr(0, ownPath.rfind(L'\\') + 1);
    const std::wstring folder = temp + toWide(Tag) + L"Ordner \u00e4\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const wchar_t* name : {L"KeyrelayProbe.exe", L"Keyrelay Probe.exe"}) {
        ASSERT_TRUE(
            CopyFileW((ownFolder + L"KeyrelayProbe.exe").c_str(), (folder + name).c_str(), FALSE));
    }
    auto listed = [&](const std::string& name) {
        Strings names = services->processes().runningModuleNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    auto stop = [&] {  // the probes end when this file appears
        CloseHandle(CreateFileW((folder + L"probe-stop").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
        EXPECT_TRUE(pumpUntil(
            [&] { return !listed("KeyrelayProbe.exe") && !listed("Keyrelay Probe.exe"); }));
        DeleteFileW((folder + L"probe-stop").c_str());
    };
    // The program, its parameters and window state, and its report after its folder.
    const std::vector<std::tuple<std::string, std::string, WindowState, std::string>> cases = {
        {"KeyrelayProbe.exe", "record \"two words\" -x", WindowState::Normal,
         "|1|KeyrelayProbe.exe|record|two words|-x"},
        {"KeyrelayProbe", "", WindowState::Minimized, "|2|KeyrelayProbe"},
        {"Keyrelay Probe.exe", "one", WindowState::Minimized, "|2|Keyrelay Probe.exe|one"},
    };
    const std::string utf8Folder = toUtf8(folder);
    EXPECT_FALSE(listed("KeyrelayProbe.exe"));
    EXPECT_TRUE(listed(toUtf8(ownPath.substr(ownFolder.size())))) << "this program is listed";
    for (const auto& [file, parameters, state, report] : cases) {
        services->processes().start(utf8Folder, file, parameters, state);
        const std::wstring out = folder + L"probe-out.txt";
        ASSERT_TRUE(
            pumpUntil([&] { return GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        std::string line;
        std::getline(std::ifstream{std::filesystem::path(out)}, line);
        DeleteFileW(out.c_str());
        EXPECT_EQ(line, utf8Folder.substr(0, utf8Folder.size() - 1) + report);  // no last "\\"
        const std::string module = file.find(".exe") == std::string::npos ? file + ".exe" : file;
        EXPECT_TRUE(listed(module)) << module;
        stop();
        EXPECT_FALSE(listed(module)) << module;
    }
    for (const auto& [dir, file, number] : std::vector<std::tuple<std::string, std::string, long>>{
             {utf8Folder, "NoSuchProgram.exe", ERROR_FILE_NOT_FOUND},
             {utf8Folder + "no such folder\\", "KeyrelayProbe.exe", ERROR_DIRECTORY}}) {
        EXPECT_EQ(
            failure([&] { services->processes().start(dir, file, "", WindowState::Normal); }).first,
            number)
            << dir << file;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace keyrelay

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
#include "support/PlatformFailure.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;
using win32::toUtf8;
using win32::toWide;

// A prefix of this run's own, so windows of other programs never match.
const std::string Tag = "KrT" + std::to_string(GetCurrentProcessId()) + " ";

// Handles this thread's messages until `done()` holds, or for ten seconds if it never does.
bool pumpUntil(const std::function<bool()>& done) {
    for (const ULONGLONG limit = GetTickCount64() + 10000;;
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done() || GetTickCount64() >= limit) {
            return done();
        }
    }
}

// The name of a key as the tests write it: a letter or digit, else its VK_ name without VK_.
std::string keyName(WPARAM vk) {
#define KEY(name) \
    { VK_##name, #name }
    static const std::map<WPARAM, std::string> names = {
        KEY(BACK),   KEY(CAPITAL), KEY(DELETE), KEY(DOWN),  KEY(END),   KEY(RETURN), KEY(ESCAPE),
        KEY(HELP),   KEY(HOME),    KEY(INSERT), KEY(LEFT),  KEY(NEXT),  KEY(PRIOR),  KEY(RIGHT),
        KEY(TAB),    KEY(UP),      KEY(PACKET), KEY(SPACE), KEY(OEM_4), KEY(OEM_6),  KEY(NUMLOCK),
        KEY(SCROLL), KEY(F1),      KEY(F5),     KEY(F16)};
#undef KEY
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        return std::string(1, static_cast<char>(vk));
    }
    return names.count(vk) != 0 ? names.at(vk) : "VK_" + std::to_string(vk);
}

// A top-level window of this thread that records what reaches it. Keys: the presses of all
// but Shift, Ctrl and Alt, each as the modifiers held ("+", "^", "%") and its name ("+E",
// "^LEFT"). Text: the characters of WM_CHAR and WM_SYSCHAR. F24 is the end mark.
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

    // The text and keys received, once the end mark typed after them has arrived; then none.
    std::pair<std::string, std::string> received() {
        keybd_event(VK_F24, 0, 0, 0);
        keybd_event(VK_F24, 0, KEYEVENTF_KEYUP, 0);
        EXPECT_TRUE(pumpUntil([&] { return endMark; }));
        std::pair<std::string, std::string> result{toUtf8(text), keys};
        text.clear(), keys.clear(), endMark = false;
        return result;
    }

    HWND hwnd = nullptr;
    std::string keys;  // space-separated
    std::wstring text;
    std::vector<std::pair<int, int>> clicks;
    int releases = 0;
    bool endMark = false;

private:
    bool handled(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                endMark |= wParam == VK_F24;
                if (wParam != VK_F24 && (wParam < VK_SHIFT || wParam > VK_MENU)) {
                    keys += std::string(keys.empty() ? "" : " ") +
                            (GetKeyState(VK_SHIFT) < 0 ? "+" : "") +
                            (GetKeyState(VK_CONTROL) < 0 ? "^" : "") +
                            (GetKeyState(VK_MENU) < 0 ? "%" : "") + keyName(wParam);
                }
                return true;
            case WM_CHAR:
            case WM_SYSCHAR:
                text += static_cast<wchar_t>(wParam);
                return true;
            case WM_SYSCOMMAND:  // Alt would open the (missing) menu and swallow keys
                return (wParam & 0xFFF0) == SC_KEYMENU;
            case WM_LBUTTONDOWN:
                clicks.emplace_back(static_cast<short>(LOWORD(lParam)),
                                    static_cast<short>(HIWORD(lParam)));
                return true;
            case WM_LBUTTONUP:
                ++releases;
                return true;
            default:
                return false;
        }
    }
};

using test::failure;

class Win32PlatformTest : public ::testing::Test {
protected:
    // Waits until the window is in front: under Wine activation goes through the X server.
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

// The script host's SendKeys types nothing under Wine (E_NOTIMPL): for that path only the
// creation of its object, its refusals and the reporting of its failure are checked here.
TEST_F(Win32PlatformTest, SendInputTypesEveryNotationConstructAndMalformedStringsNothing) {
    // The notation, the characters that arrive, and the key presses (unchecked when empty).
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"aB1!", "aB1!", "A +B 1 +1"},
        // Shift held over the whole group, and only over the next key without one.
        {"+(ec)+ec", "ECEc", "+E +C +E C"},
        {"^a%c^+{F5}", "\001c", "^A %C +^F5"},
        // The decoder's frequency box: Alt+C, then T; the capitals need Shift too.
        {"%CT", "CT", "+%C +T"},
        {"~{+}{^}{%}{~}{(}{)}{{}{}}", "\r+^%~(){}", ""},
        {"[x] {LEFT 2}{h 0}", "[x] ", "OEM_4 X OEM_6 SPACE LEFT LEFT"},
        {"{enter}{Tab}{BS}{ESC}", "\r\t\b\x1b", "RETURN TAB BACK ESCAPE"},
        {"{UP}{DOWN}{RIGHT}{HOME}{END}{PGUP}{PGDN}{INSERT}{DEL}{HELP}{F1}{F16}", "",
         "UP DOWN RIGHT HOME END PRIOR NEXT INSERT DELETE HELP F1 F16"},
        // Toggles are pressed twice so the keyboard is left as it was.
        {"{CAPSLOCK 2}{NUMLOCK 2}{SCROLLLOCK 2}", "",
         "CAPITAL CAPITAL NUMLOCK NUMLOCK SCROLL SCROLL"},
        // Characters the keyboard layout lacks, one beyond the 16-bit range among them.
        {"€+ж😀", "€ж😀", "PACKET +PACKET PACKET PACKET"},
        // Letters keep their case while CapsLock is on.
        {"{CAPSLOCK}", "", "CAPITAL"},
        {"aB1!{CAPSLOCK}", "aB1!", ""},
    };
    RecordingWindow window("keys");
    activate(window);
    for (const auto& [notation, text, keys] : cases) {
        services->standardKeys().sendKeys(notation);
        const auto [gotText, gotKeys] = window.received();
        EXPECT_EQ(gotText, text) << notation;
        EXPECT_TRUE(keys.empty() || gotKeys == keys) << notation << ": " << gotKeys;
    }
    EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 1);

    for (KeyInjector* keys : {&services->standardKeys(), &services->alternateKeys()}) {
        for (const char* bad : {"ab{LEFT", "ab+", "(ab", "ab)", "ab{NOSUCHKEY}", "{LEFT 99999}"}) {
            EXPECT_EQ(failure([&] { keys->sendKeys(bad); }).first, errors::InvalidArgument) << bad;
        }
    }
    EXPECT_EQ(window.received(), (std::pair<std::string, std::string>{})) << "typed, then refused";
    auto [number, description] = failure([&] { services->alternateKeys().sendKeys("a"); });
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine || number != 0) {
        EXPECT_EQ(number, static_cast<long>(E_NOTIMPL)) << description;
        EXPECT_NE(description.find("SendKeys"), std::string::npos) << description;
    }
}

TEST_F(Win32PlatformTest, ListsWindowsTopmostFirstActivatesMeasuresAndClicksThem) {
    const std::string longTitle =
        std::string(400, 'x') + " Bandkarte \xC3\xA4 \xE2\x82\xAC \xD0\xB6";
    RecordingWindow a("first"), b(longTitle), hidden("hidden", false);
    activate(b);
    activate(a);
    EXPECT_EQ(ownTitles(), (Strings{"first", longTitle}));

    ShowWindow(b.hwnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(b.hwnd));
    activate(b);
    EXPECT_FALSE(IsIconic(b.hwnd)) << "activation restores a minimised window";
    EXPECT_EQ(GetFocus(), b.hwnd);

    // The launcher's focus click: a point relative to the window's outer rectangle, which
    // holds the client area and the title bar above it.
    const ScreenRect rect = services->windows().windowRect(b.handle());
    RECT client{};
    GetClientRect(b.hwnd, &client);
    MapWindowPoints(b.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);  // on the screen
    EXPECT_TRUE(rect.left <= client.left && rect.top < client.top && rect.right >= client.right &&
                rect.bottom >= client.bottom);
    services->mouse().moveTo(rect.left + 25, rect.top + 70);
    services->mouse().leftDown();
    services->mouse().leftUp();
    ASSERT_TRUE(pumpUntil([&] { return b.releases == 1; }));
    EXPECT_EQ(b.clicks, (std::vector<std::pair<int, int>>{
                            {rect.left + 25 - client.left, rect.top + 70 - client.top}}));

    // A window that is gone fails with the system's number.
    const WindowHandle gone = std::make_unique<RecordingWindow>("gone")->handle();
    for (auto [number, description] : {failure([&] { services->windows().activate(gone); }),
                                       failure([&] { services->windows().windowRect(gone); }),
                                       failure([&] { services->windows().activate(0); })}) {
        EXPECT_EQ(number, ERROR_INVALID_WINDOW_HANDLE) << description;
    }
}

// The probe program (KeyrelayProbe.cpp), copied under two names into a folder with a blank
// and a non-ASCII letter in its name, reports what it was started with and runs until
// "probe-stop" appears there.
TEST_F(Win32PlatformTest, StartsProgramsInTheirFolderWithParametersAndWindowStateAndListsThem) {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::filesystem::path ownPath = own, folder = std::filesystem::temp_directory_path() /
                                                        (toWide(Tag) + L"Ordner \u00e4");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    for (const wchar_t* name : {L"KeyrelayProbe.exe", L"Keyrelay Probe.exe"}) {
        std::filesystem::copy_file(ownPath.parent_path() / L"KeyrelayProbe.exe", folder / name);
    }
    auto listed = [&](const std::string& name) {
        Strings names = services->processes().runningModuleNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_TRUE(listed(toUtf8(ownPath.filename().wstring()))) << "this program is listed";
    // The program, its parameters and window state, and its report after its folder.
    const std::vector<std::tuple<std::string, std::string, WindowState, std::string>> cases = {
        {"KeyrelayProbe.exe", "record \"two words\" -x", WindowState::Normal,
         "|1|KeyrelayProbe.exe|record|two words|-x"},
        {"KeyrelayProbe", "", WindowState::Minimized, "|2|KeyrelayProbe"},
        {"Keyrelay Probe.exe", "one", WindowState::Minimized, "|2|Keyrelay Probe.exe|one"},
    };
    const std::string utf8Folder = toUtf8(folder.wstring());
    for (const auto& [file, parameters, state, report] : cases) {
        const std::string module = file.find(".exe") == std::string::npos ? file + ".exe" : file;
        services->processes().start(utf8Folder, file, parameters, state);
        std::string line;  // the probe may have made the file and not yet written to it
        ASSERT_TRUE(pumpUntil([&] {
            std::ifstream out{folder / L"probe-out.txt"};
            return std::getline(out, line) && !line.empty();
        }));
        std::filesystem::remove(folder / L"probe-out.txt");
        EXPECT_EQ(line, utf8Folder + report);
        EXPECT_TRUE(listed(module)) << module;
        std::ofstream{folder / L"probe-stop"};  // the probe ends
        EXPECT_TRUE(pumpUntil([&] { return !listed(module); })) << module;
        std::filesystem::remove(folder / L"probe-stop");
    }
    for (const auto& [dir, file, number] : std::vector<std::tuple<std::string, std::string, long>>{
             {utf8Folder, "NoSuchProgram.exe", ERROR_FILE_NOT_FOUND},
             {utf8Folder + "\\no such folder", "KeyrelayProbe.exe", ERROR_DIRECTORY}}) {
        auto start = [&] { services->processes().start(dir, file, "", WindowState::Normal); };
        EXPECT_EQ(failure(start).first, number) << dir << file;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace keyrelay

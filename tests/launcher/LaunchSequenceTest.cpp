#include "launcher/LaunchSequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"

namespace keyrelay {
namespace {

// The launcher window as a table.
struct FakeLauncher : LaunchSequenceTarget {
    std::array<LaunchRow, LaunchList::Rows> rows{};
    bool visible = true;
    bool closed = false;
    bool mainLoaded = true;
    std::string marked;
    std::function<void()> onClose;
    std::vector<std::pair<bool, bool>> applied;

    LaunchRow row(int index) override { return rows[index]; }
    void markRow(int index) override { marked += std::to_string(index); }
    bool windowVisible() override { return visible && !closed; }
    bool windowClosed() override { return closed; }
    void closeWindow() override {
        closed = true;
        if (onClose) {
            onClose();
        }
    }
    bool mainWindowLoaded() override { return mainLoaded; }
    void applyAutoStarts(bool keypad, bool bandscan) override {
        applied.emplace_back(keypad, bandscan);
    }
};

struct Launch {
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    FakeLauncher launcher;
    LaunchSequence sequence{state, fake.platform(), delivery, launcher};

    Launch() { state.ClickOffset = 95; }

    // "file(folder,parameters,min|normal)@ms" for each start.
    std::string starts() const {
        std::string out;
        for (const FakeProcesses::Start& s : fake.processes.starts()) {
            out += (out.empty() ? "" : " ") + s.file + "(" + s.folder + "," + s.parameters + "," +
                   (s.state == WindowState::Minimized ? "min" : "normal") + ")@" +
                   std::to_string(s.atMs);
        }
        return out;
    }
    // "x,y@ms" for each move, then "d" and "u" for the button.
    std::string clicks() const {
        std::string out;
        for (const FakeMouse::Event& e : fake.mouse.events()) {
            if (e.action == FakeMouse::Action::Move) {
                out += (out.empty() ? "" : " ") + std::to_string(e.x) + "," + std::to_string(e.y) +
                       "@" + std::to_string(e.atMs);
            } else {
                out += e.action == FakeMouse::Action::LeftDown ? "d" : "u";
            }
        }
        return out;
    }
};

const ScreenRect Decoder{100, 50, 900, 650};
const ScreenRect Receiver{400, 200, 1200, 800};

TEST(LaunchSequence, StartsWaitsAndClicksRowByRow) {
    struct Case {
        const char* name;
        std::vector<LaunchRow> rows;  // path, wait, param, minimize, include
        std::vector<std::pair<const char*, ScreenRect>> windows;
        std::vector<std::string> running;
        std::string starts;
        std::string clicks;
        std::int64_t elapsedMs;
        std::string marked;
        bool hidden = false;
        std::int16_t offset = 95;
        bool failures = false;
    };
    const Case cases[] = {
        {"folder, parameters, minimised, waits; excluded and folderless rows neither",
         {{"/opt/tools/logger", "2.5", "-x 1 \"two words\"", true, true},
          {"C:\\Ham\\Keyer\\keyer.exe", "1", "", false, true},
          {"/opt/excluded/prog", "5", "", true, false},
          {"noseparator.exe", "7", "", false, true},
          {"/opt/HDSDR/HDSDR.exe", "abc", "-b", true, true}},
         {},
         {},
         "logger(/opt/tools/,-x 1 \"two words\",min)@0 keyer.exe(C:/Ham/Keyer/,,normal)@2500 "
         "HDSDR.exe(/opt/HDSDR/,-b,normal)@3500",
         "",
         3500,
         "0134"},
        {"a running program gets no start, no wait, no click",
         {{"C:\\CW Skimmer\\CwSkimmer.exe", "30", "", true, true},
          {"/opt/tools/logger", "20", "", false, true},
          {"/opt/tools/logger.sh", "4", "", false, true}},
         {{"CW Skimmer - [RX1]", Decoder}},
         {"bash", "CWSKIMMER.EXE", "LOGGER"},
         "logger.sh(/opt/tools/,,normal)@0",
         "",
         4000,
         "012"},
        {"the decoder: focus click after its wait, minimise click 1 s later",
         {{"C:\\Afreet\\CwSkimmer\\CwSkimmer.exe", "12", "-ini a", true, true}},
         {{"Some Other Window", {0, 0, 50, 50}}, {"Afreet CW Skimmer 2.1", Decoder}},
         {},
         "CwSkimmer.exe(C:/Afreet/CwSkimmer/,-ini a,normal)@0",
         "125,120@12000du 805,60@13000du",
         13000,
         "0"},
        {"the decoder without minimise: the focus click only",
         {{"/opt/CWSkimmer/skim", "3", "", false, true}},
         {{"CW Skimmer", Decoder}},
         {},
         "skim(/opt/CWSkimmer/,,normal)@0",
         "125,120@3000du",
         3000,
         "0"},
        {"an excluded decoder row still clicks the decoder's window",
         {{"C:\\CwSkimmer\\CwSkimmer.exe", "30", "", true, false}},
         {{"CW Skimmer", Decoder}},
         {},
         "",
         "125,120@0du 805,60@1000du",
         1000,
         ""},
        {"the receiver: the minimise click only",
         {{"C:\\HDSDR\\HDSDR.exe", "5", "", true, true}},
         {{"HDSDR - [default]", Receiver}},
         {},
         "HDSDR.exe(C:/HDSDR/,,normal)@0",
         "1105,210@6000du",
         6000,
         "0"},
        {"the receiver without minimise: no click",
         {{"C:\\HDSDR\\HDSDR.exe", "5", "", false, true}},
         {{"HDSDR - [default]", Receiver}},
         {},
         "HDSDR.exe(C:/HDSDR/,,normal)@0",
         "",
         5000,
         "0"},
        {"a hidden launcher makes no clicks",
         {{"/opt/cwskimmer/skim", "2", "", true, true}, {"/opt/hdsdr/hdsdr", "2", "", true, true}},
         {{"CW Skimmer", Decoder}, {"HDSDR [default]", Decoder}},
         {},
         "skim(/opt/cwskimmer/,,normal)@0 hdsdr(/opt/hdsdr/,,normal)@2000",
         "",
         4000,
         "01",
         true},
        {"the offset in use moves the minimise click",
         {{"C:\\CwSkimmer\\CwSkimmer.exe", "4", "", true, true}},
         {{"CW Skimmer", Decoder}},
         {},
         "CwSkimmer.exe(C:/CwSkimmer/,,normal)@0",
         "125,120@4000du 830,60@5000du",
         5000,
         "0",
         false,
         70},
        {"a failed start still waits; refused clicks do not end the launch",
         {{"/opt/gone/prog", "6", "", false, true}, {"/opt/cwskimmer/skim", "2", "", true, true}},
         {{"CW Skimmer", Decoder}},
         {},
         "",
         "",
         9000,
         "01",
         false,
         95,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Launch l;
        std::copy(c.rows.begin(), c.rows.end(), l.launcher.rows.begin());
        for (const auto& [title, rect] : c.windows) {
            l.fake.windows.addWindow(title, rect);
        }
        l.fake.processes.setModuleNames(c.running);
        l.launcher.visible = !c.hidden;
        l.state.ClickOffset = c.offset;
        if (c.failures) {
            l.fake.processes.setStartFailure(PlatformError(errors::FileNotFound, "not there"));
            l.fake.mouse.setFailure(PlatformError(errors::PermissionDenied, "refused"));
        }
        l.sequence.run();
        EXPECT_EQ(l.starts(), c.starts);
        EXPECT_EQ(l.clicks(), c.clicks);
        EXPECT_EQ(l.fake.clock.elapsedMs(), c.elapsedMs);
        EXPECT_EQ(l.launcher.marked, c.marked);
        EXPECT_TRUE(l.launcher.closed);
        EXPECT_EQ(l.launcher.applied.size(), 1u);
    }
}

// What ends the launch during the wait of row 2: rows 2 to 5 get no click and rows 3 to 5
// no start; the window closes (unless it closed itself) and the auto-starts follow unless
// the program is ending.
TEST(LaunchSequence, CancelClosingOrEndingStopsTheRowsAndTheEndStillRuns) {
    enum class Stop { Cancel, CloseWindow, EndProgram, EndOnClose, MainWindowGone };
    struct Case {
        Stop stop;
        bool closedBySequence;
        bool autoStarts;
    };
    const Case cases[] = {{Stop::Cancel, true, true},
                          {Stop::CloseWindow, false, true},
                          {Stop::EndProgram, true, false},
                          {Stop::EndOnClose, true, false},
                          {Stop::MainWindowGone, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stop));
        Launch l;
        l.state.KeypadAutoStart = true;
        for (int i = 0; i < LaunchList::Rows; ++i) {
            l.launcher.rows[i] = {QStringLiteral("/opt/cwskimmer/p%1").arg(i), "10", "", true,
                                  true};
        }
        l.fake.windows.addWindow("CW Skimmer", Decoder);
        VirtualClock& clock = l.fake.clock;
        Clock::TimerId timer = clock.startTimer(23000, [&] {
            clock.stopTimer(timer);
            l.state.LaunchCancel = c.stop != Stop::CloseWindow && c.stop != Stop::EndProgram;
            l.launcher.closed = c.stop == Stop::CloseWindow;
            l.state.EndRequested = c.stop == Stop::EndProgram;
            l.launcher.mainLoaded = c.stop != Stop::MainWindowGone;
        });
        std::int64_t closedAtMs = -1;
        l.launcher.onClose = [&] {
            closedAtMs = clock.elapsedMs();
            l.state.EndRequested = c.stop == Stop::EndOnClose || l.state.EndRequested;
        };
        l.sequence.run();
        EXPECT_EQ(l.fake.processes.starts().size(), 3u);
        EXPECT_EQ(l.clicks(), "125,120@10000du 805,60@11000du 125,120@21000du 805,60@22000du");
        EXPECT_EQ(closedAtMs, c.closedBySequence ? 23000 : -1);
        EXPECT_FALSE(l.state.LaunchCancel);
        EXPECT_EQ(l.launcher.applied,
                  (c.autoStarts ? std::vector<std::pair<bool, bool>>{{true, false}}
                                : std::vector<std::pair<bool, bool>>{}));
    }
}

}  // namespace
}  // namespace keyrelay

#include "launcher/LaunchSequence.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"

namespace keyrelay {
namespace {

// A launch on the fake desktop over a launcher window that is a table; `log` records the
// rows marked, "closed" and the auto-starts applied ("auto <keypad><bandscan>").
struct Launch : LaunchSequenceTarget {
    FakePlatform fake;
    ProgramState state;
    Delivery delivery{fake.platform()};
    std::array<LaunchRow, LaunchList::Rows> rows{};
    bool visible = true, closed = false, endOnClose = false;
    std::string log;
    LaunchSequence sequence{state, fake.platform(), delivery, *this};

    LaunchRow row(int index) override { return rows[index]; }
    void markRow(int index) override { log += std::to_string(index); }
    bool windowVisible() override { return visible && !closed; }
    bool windowClosed() override { return closed; }
    void closeWindow() override {
        closed = true, log += " closed", state.EndRequested |= endOnClose;
    }
    bool mainWindowLoaded() override { return true; }
    void applyAutoStarts(bool keypad, bool bandscan) override {
        log += " auto " + std::to_string(keypad) + std::to_string(bandscan);
    }

    // Rows as "path|wait|param|flags", flags "m" minimise and "i" include.
    explicit Launch(const std::vector<const char*>& table) {
        state.ClickOffset = 95;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const QStringList f = QString::fromLatin1(table[i]).split(QLatin1Char('|'));
            rows[i] = {f[0], f[1], f[2], f[3].contains('m'), f[3].contains('i')};
        }
    }

    // "file(folder,parameters,min|normal)@ms" for each start, "x,y@ms" for each click, then
    // when the launch ended and the launcher's log.
    std::string trace() {
        std::string out;
        for (const FakeProcesses::Start& s : fake.processes.starts()) {
            const char* shown = s.state == WindowState::Minimized ? "min" : "normal";
            out += s.file + "(" + s.folder + "," + s.parameters + "," + shown + ")@" +
                   std::to_string(s.atMs) + " ";
        }
        for (const FakeMouse::Event& e : fake.mouse.events()) {
            if (e.action == FakeMouse::Action::Move) {  // a button press and release follow
                out += std::to_string(e.x) + "," + std::to_string(e.y) + "@" +
                       std::to_string(e.atMs) + " ";
            }
        }
        return out + "end@" + std::to_string(fake.clock.elapsedMs()) + " " + log;
    }
};

TEST(LaunchSequence, StartsWaitsAndClicksRowByRow) {
    // Setup: the decoder's and the receiver's windows exist and "RUNNING.EXE" runs, except
    // with "nowindows"; "hidden" launcher, "offset70", "fail": starts and clicks refused.
    // Every launch ends closing the window and applying the auto-starts.
    const std::tuple<std::string, std::vector<const char*>, std::string> cases[] = {
        {"nowindows",
         {"/opt/tools/logger|2.5|-x \"two words\"|mi", "C:\\Ham\\keyer.exe|1||i",
          "/opt/excluded/prog|5||m", "noseparator.exe|7||i", "/opt/HDSDR/HDSDR.exe|abc|-b|mi"},
         "logger(/opt/tools/,-x \"two words\",min)@0 keyer.exe(C:/Ham/,,normal)@2500 "
         "HDSDR.exe(/opt/HDSDR/,-b,normal)@3500 end@3500 0134"},
        {"",  // already running: no start, no wait, no click
         {"C:\\CwSkimmer\\running.exe|30||mi", "/opt/tools/running.exe.sh|4||i"},
         "running.exe.sh(/opt/tools/,,normal)@0 end@4000 01"},
        {"offset70",
         {"C:\\CwSkimmer\\CwSkimmer.exe|12|-ini a|mi", "/opt/CWSkimmer/skim|3||i"},
         "CwSkimmer.exe(C:/CwSkimmer/,-ini a,normal)@0 skim(/opt/CWSkimmer/,,normal)@13000 "
         "125,120@12000 830,60@13000 125,120@16000 end@16000 01"},
        {"",  // an excluded decoder row still clicks; the receiver only when asked to
         {"C:\\CwSkimmer\\CwSkimmer.exe|30||m", "C:\\HDSDR\\HDSDR.exe|5||i",
          "C:\\HDSDR\\HDSDR.exe|0||mi"},
         "HDSDR.exe(C:/HDSDR/,,normal)@1000 HDSDR.exe(C:/HDSDR/,,normal)@6000 125,120@0 "
         "805,60@1000 1105,210@7000 end@7000 12"},
        {"hidden",
         {"/opt/cwskimmer/skim|2||mi", "/opt/hdsdr/hdsdr|2||mi"},
         "skim(/opt/cwskimmer/,,normal)@0 hdsdr(/opt/hdsdr/,,normal)@2000 end@4000 01"},
        {"fail",  // a failed start still waits; refused clicks do not end the launch
         {"/opt/gone/prog|6||i", "/opt/cwskimmer/skim|2||mi"},
         "end@9000 01"},
    };
    for (const auto& [setup, rows, trace] : cases) {
        Launch l(rows);
        if (setup != "nowindows") {
            l.fake.windows.addWindow("Afreet CW Skimmer 2.1", {100, 50, 900, 650});
            l.fake.windows.addWindow("HDSDR - [default]", {400, 200, 1200, 800});
            l.fake.processes.setModuleNames({"bash", "RUNNING.EXE"});
        }
        l.visible = setup != "hidden";
        l.state.ClickOffset = setup == "offset70" ? 70 : 95;
        l.state.BandscanAutoStart = true;
        if (setup == "fail") {
            l.fake.processes.setStartFailure(PlatformError(errors::FileNotFound, "not there"));
            l.fake.mouse.setFailure(PlatformError(errors::PermissionDenied, "refused"));
        }
        l.sequence.run();
        EXPECT_EQ(l.trace(), trace + " closed auto 01");
        // Each program that cannot be started is reported; the launch goes on.
        EXPECT_EQ(l.fake.dialogs.messages().size(), setup == "fail" ? 2u : 0u);
    }
}

// What ends the launch during the wait of row 1: row 1 gets no click and row 2 no start;
// the window closes (unless it closed itself), LaunchCancel is cleared, and the
// auto-starts follow unless the program is ending.
TEST(LaunchSequence, CancelClosingOrEndingStopsTheRowsAndTheEndStillRuns) {
    const std::pair<std::string, std::string> cases[] = {{"cancel", "closed auto 10"},
                                                         {"close", "auto 10"},
                                                         {"end", "closed"},
                                                         {"end on close", "closed"}};
    for (const auto& [stop, end] : cases) {
        Launch l({"/opt/cwskimmer/a|10||mi", "/opt/b/b|10||i", "/opt/c/c|10||i"});
        l.state.KeypadAutoStart = true;
        l.fake.windows.addWindow("CW Skimmer", {100, 50, 900, 650});
        Clock::TimerId timer = l.fake.clock.startTimer(15000, [&, stop = stop] {
            l.fake.clock.stopTimer(timer);
            l.state.LaunchCancel = stop == "cancel" || stop == "end on close";
            l.closed = stop == "close";
            l.state.EndRequested = stop == "end";
        });
        l.endOnClose = stop == "end on close";
        l.sequence.run();
        EXPECT_EQ(l.trace(),
                  "a(/opt/cwskimmer/,,normal)@0 b(/opt/b/,,normal)@11000 125,120@10000 "
                  "805,60@11000 end@15000 01 " +
                      end);
        EXPECT_FALSE(l.state.LaunchCancel);
    }
}

}  // namespace
}  // namespace keyrelay

#include "sweep/SweepTick.h"

#include <gtest/gtest.h>
#include <map>

namespace keyrelay {
namespace {

using Ints = std::vector<int>;

struct Include {
    int line;
    const char *start = "", *end = "", *dwell = "0";
};

// The sweep window as the tick sees it: a plain table of the included lines. A step is
// recorded with its line and restarts the dwell, as the real one does.
struct Table : SweepTickTarget {
    Table(ProgramState& s, const std::vector<Include>& included, bool cycle = false)
        : cycleBands(cycle), state(&s) {
        for (const Include& i : included) {
            lines[i.line] = i;
        }
    }
    std::map<int, Include> lines;
    bool cycleBands, local = true;
    ProgramState* state;
    Ints steps;

    bool lineIncluded(int line) override { return lines.count(line) != 0; }
    QString startTimeText(int line) override { return QString::fromLatin1(lines.at(line).start); }
    QString endTimeText(int line) override { return QString::fromLatin1(lines.at(line).end); }
    QString dwellText(int line) override { return QString::fromLatin1(lines.at(line).dwell); }
    bool cycleBandsChecked() override { return cycleBands; }
    bool stepsLocally() override { return local; }
    void makeStep() override {
        steps.push_back(state->SweepLine);
        state->DwellSecs = 0;
    }
};

TEST(SweepTick, TimeWindowsAndTheEndTimeCheck) {
    // clang-format off
    const std::tuple<const char16_t*, const char16_t*, int, bool> cases[] = {
        {u"", u"", 0, true}, {u"", u"10:00", 660, true}, {u"10:00", u"", 1439, true},  // to 24:00
        {u"10:00", u"12:00", 599, false}, {u"10:00", u"12:00", 600, true},
        {u"10:00", u"12:00", 720, true}, {u"10:00", u"12:00", 721, false},
        {u"00:00", u"", 0, false}, {u"00:00", u"", 1, true},  // "00:00" opens at 00:01
        {u"22:00", u"02:00", 1380, false}, {u"22:00", u"02:00", 60, false},  // across midnight
        {u"9:30", u"10:00", 540, true}, {u"09:30", u"10:00", 569, false},  // 9:30 reads as 9:00
    };
    const std::tuple<const char16_t*, const char16_t*, bool> endChecks[] = {  // refused?
        {u"10:00", u"09:59", true}, {u"10:00", u"10:00", false}, {u"", u"01:00", false},
        {u"10:00", u"", false}, {u"9:30", u"09:15", false}, {u"23:00", u"01:00", true}};
    // clang-format on
    for (const auto& [start, end, now, in] : cases) {
        EXPECT_EQ(SweepTick::inTimeWindow(start, end, now), in) << now;
    }
    for (const auto& [start, end, refused] : endChecks) {
        EXPECT_EQ(SweepTick::endTimeRefused(start, end), refused);
    }
}

TEST(SweepTick, ChoosesTheLineAndStepsOnItsDwell) {
    struct Case {
        std::vector<Include> lines;
        int startLine;
        Ints nows;  // minutes since midnight at each tick, one second apart
        Ints steps;
        Ints linesAfter;  // SweepLine after each tick
        bool cycleBands = false, local = true, stepping = false;
        int startDwell = 0;
    };
    const int noon = 720;
    // clang-format off
    const Case cases[] = {
        {{{5, "", "", "9"}}, 2, {noon}, {}, {5}},  // off a line not included
        {{{1, "", "", "9"}}, 6, {noon}, {}, {1}},  // round past line 7
        {{}, 3, {noon}, {}, {3}, false, true, false, 100},  // no included line
        {{{0, "", "", "3*"}}, 0, Ints(9, noon), {0, 0}, Ints(9, 0)},  // on the tick past the dwell
        {{{0}}, 0, {noon}, {}, {0}, false, true, true},  // a step under way
        {{{0}, {4}}, 0, {noon}, {}, {4}, true, false},  // a linked client moves on, no step
        {{{1}, {6}}, 1, Ints(4, noon), {1, 6, 1, 6}, {6, 1, 6, 1}, true},
        {{{1}, {6}}, 1, Ints(4, noon), {1, 1, 1, 1}, {1, 1, 1, 1}},
        // Out of its window: on to the next included line, the dwell restarting.
        {{{0, "10:00", "11:00"}, {3, "", "", "1"}, {5, "12:00", "13:00"}}, 0, {noon}, {}, {3}},
        {{{2, "01:00", "02:00"}, {4, "03:00", "04:00"}, {7, "05:00", "06:00"}}, 2, {330}, {}, {7}},
        // All out of their windows: the line stays, stepping on its dwell, until one opens.
        {{{2, "10:00", "11:00", "2"}, {5, "22:00", "02:00"}, {6, "00:00", "01:00"}}, 2,
         {noon, noon, noon, 630, 0, 1}, {2}, {2, 2, 2, 2, 2, 6}},
        {{{0}, {1, "10:00", "11:00"}}, 0, {noon, noon}, {0}, {1, 0}, true},  // cycle into closed
        {{{0, "", "", "-1"}}, 0, {noon, noon}, {0, 0}, {0, 0}, false, true, false, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        ProgramState state;
        Table table(state, c.lines, c.cycleBands);
        table.local = c.local;
        state.SweepStepping = c.stepping;
        state.SweepLine = static_cast<std::int16_t>(c.startLine);
        state.DwellSecs = static_cast<std::int16_t>(c.startDwell);
        Ints linesAfter;
        for (int now : c.nows) {
            ++state.DwellSecs;  // the main window's tick counts first
            SweepTick::run(
                state, [&]() -> SweepTickTarget& { return table; }, now);
            linesAfter.push_back(state.SweepLine);
        }
        EXPECT_EQ(table.steps, c.steps) << &c - cases;
        EXPECT_EQ(linesAfter, c.linesAfter) << &c - cases;
    }
}

TEST(SweepTick, AsksForTheWindowAgainAfterTheStep) {
    // The step may close the window; the tick then reads the one the registry loads.
    ProgramState state;
    Table first(state, {{0}}), reloaded(state, {{0}, {3}}, true);
    state.DwellSecs = 1;
    SweepTick::run(
        state, [&]() -> SweepTickTarget& { return first.steps.empty() ? first : reloaded; }, 600);
    EXPECT_EQ(first.steps, Ints{0});
    EXPECT_EQ(state.SweepLine, 3);
}

}  // namespace
}  // namespace keyrelay

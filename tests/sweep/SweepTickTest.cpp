#include "sweep/SweepTick.h"

#include <gtest/gtest.h>
#include <array>
#include <vector>

namespace keyrelay {
namespace {

using Ints = std::vector<int>;

// The sweep window as the tick sees it: a plain table. A step is recorded with its line
// and restarts the dwell, as the real one does.
struct Table : SweepTickTarget {
    struct Line {
        bool included = false;
        QString start, end, dwell = QStringLiteral("0");
    };
    std::array<Line, 8> lines{};
    bool cycleBands = false, local = true;
    ProgramState* state = nullptr;
    Ints steps;

    const Line& at(int line) const { return lines.at(static_cast<std::size_t>(line)); }
    bool lineIncluded(int line) override { return at(line).included; }
    QString startTimeText(int line) override { return at(line).start; }
    QString endTimeText(int line) override { return at(line).end; }
    QString dwellText(int line) override { return at(line).dwell; }
    bool cycleBandsChecked() override { return cycleBands; }
    bool stepsLocally() override { return local; }
    void makeStep() override {
        steps.push_back(state->SweepLine);
        state->DwellSecs = 0;
    }
};

TEST(SweepTick, TimeWindowsHoldFromStartToEndOfTheSameDay) {
    struct Case {
        const char *start, *end;
        int now;
        bool in;
    };
    const Case cases[] = {
        {"", "", 0, true},
        {"", "10:00", 660, true},  // an end alone is no window
        {"10:00", "12:00", 599, false},
        {"10:00", "12:00", 600, true},
        {"10:00", "12:00", 720, true},
        {"10:00", "12:00", 721, false},
        {"10:00", "", 1439, true},  // an empty end is midnight
        {"00:00", "", 0, false},
        {"00:00", "", 1, true},  // "00:00" opens at 00:01
        {"22:00", "02:00", 1380, false},
        {"22:00", "02:00", 60, false},  // across midnight
        {"9:30", "10:00", 540, true},   // read by position: 9 hours 0 minutes
        {"09:30", "10:00", 569, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SweepTick::inTimeWindow(QString::fromLatin1(c.start), QString::fromLatin1(c.end),
                                          c.now),
                  c.in)
            << c.start << "-" << c.end << " at " << c.now;
    }
}

TEST(SweepTick, AnEndTimeBeforeTheStartIsRefused) {
    const std::array<std::tuple<const char*, const char*, bool>, 7> cases{{
        {"10:00", "09:59", true},
        {"10:00", "10:00", false},
        {"", "01:00", false},
        {"10:00", "", false},
        {"9:30", "09:15", false},  // 9:30 reads as 9:00
        {"09:30", "09:15", true},
        {"23:00", "01:00", true},
    }};
    for (const auto& [start, end, refused] : cases) {
        EXPECT_EQ(SweepTick::endTimeRefused(QString::fromLatin1(start), QString::fromLatin1(end)),
                  refused)
            << start << "-" << end;
    }
}

TEST(SweepTick, ChoosesTheLineAndStepsOnItsDwell) {
    struct Include {
        int line;
        const char* start = "";
        const char* end = "";
        const char* dwell = "0";
    };
    struct Case {
        const char* what;
        std::vector<Include> lines;
        int startLine;
        Ints nows;  // minutes since midnight at each tick, one second apart
        Ints steps;
        Ints linesAfter;  // SweepLine after each tick
        bool cycleBands = false, local = true, stepping = false;
        int startDwell = 0;
    };
    const int noon = 720;
    const Ints four(4, noon), six(6, noon);
    const Case cases[] = {
        {"off a line not included", {{5, "", "", "9"}}, 2, {noon}, {}, {5}},
        {"round past line 7", {{1, "", "", "9"}}, 6, {noon}, {}, {1}},
        {"no included line", {}, 3, {noon}, {}, {3}, false, true, false, 100},
        {"dwell 3*", {{0, "", "", "3*"}}, 0, Ints(9, noon), {0, 0}, Ints(9, 0)},
        {"step under way", {{0, "", "", "0"}}, 0, {noon}, {}, {0}, false, true, true},
        {"linked client", {{0}, {4}}, 0, {noon}, {}, {4}, true, false},
        {"cycle bands", {{1}, {6}}, 1, four, {1, 6, 1, 6}, {6, 1, 6, 1}, true},
        {"without cycle bands", {{1}, {6}}, 1, four, {1, 1, 1, 1}, {1, 1, 1, 1}},
        {"out of its window: to the next included line",
         {{0, "10:00", "11:00"}, {3, "", "", "5"}, {5, "12:00", "13:00"}},
         0,
         {noon},
         {},
         {3}},
        {"the search tries lines in turn",
         {{2, "01:00", "02:00"}, {4, "03:00", "04:00"}, {7, "05:00", "06:00"}},
         2,
         {330},
         {},
         {7}},
        {"a single line out of its window steps on",
         {{2, "10:00", "11:00", "2"}},
         2,
         six,
         {2, 2},
         Ints(6, 2)},
        {"all out of their windows: as a single line",
         {{2, "10:00", "11:00", "2"}, {5, "22:00", "02:00", "1"}, {6, "00:00", "01:00", "1"}},
         2,
         {noon, noon, noon, 630, 0, 1},
         {2},
         {2, 2, 2, 2, 2, 6}},
        {"cycle bands into a closed window",
         {{0}, {1, "10:00", "11:00"}},
         0,
         {noon, noon},
         {0},
         {1, 0},
         true},
        {"negative dwell",
         {{0, "", "", "-1"}},
         0,
         {noon, noon},
         {0, 0},
         {0, 0},
         false,
         true,
         false,
         -1},
    };
    for (const Case& c : cases) {
        ProgramState state;
        Table table;
        table.state = &state;
        for (const Include& i : c.lines) {
            table.lines.at(static_cast<std::size_t>(i.line)) = {true, QString::fromLatin1(i.start),
                                                                QString::fromLatin1(i.end),
                                                                QString::fromLatin1(i.dwell)};
        }
        table.cycleBands = c.cycleBands;
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
        EXPECT_EQ(table.steps, c.steps) << c.what;
        EXPECT_EQ(linesAfter, c.linesAfter) << c.what;
    }
}

TEST(SweepTick, AsksForTheWindowAgainAfterTheStep) {
    // The step may close the window; the tick then reads the one the registry loads.
    ProgramState state;
    Table first, reloaded;
    first.state = reloaded.state = &state;
    first.lines[0].included = reloaded.lines[0].included = reloaded.lines[3].included = true;
    reloaded.cycleBands = true;
    state.DwellSecs = 1;
    SweepTick::run(
        state, [&]() -> SweepTickTarget& { return first.steps.empty() ? first : reloaded; }, 600);
    EXPECT_EQ(first.steps, Ints{0});
    EXPECT_EQ(state.SweepLine, 3);
}

}  // namespace
}  // namespace keyrelay

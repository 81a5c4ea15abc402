#include "sweep/SweepTick.h"

#include <gtest/gtest.h>
#include <array>
#include <vector>

namespace keyrelay {
namespace {

// The sweep window as the tick sees it: a plain table. Steps are recorded with the line
// they were made on; a step resets the dwell as the real one does.
struct Table : SweepTickTarget {
    struct Line {
        bool included = false;
        QString start;
        QString end;
        QString dwell = QStringLiteral("0");
    };
    std::array<Line, 8> lines{};
    bool cycleBands = false;
    bool local = true;
    ProgramState* state = nullptr;
    std::vector<int> steps;

    bool lineIncluded(int line) override {
        return lines.at(static_cast<std::size_t>(line)).included;
    }
    QString startTimeText(int line) override {
        return lines.at(static_cast<std::size_t>(line)).start;
    }
    QString endTimeText(int line) override { return lines.at(static_cast<std::size_t>(line)).end; }
    QString dwellText(int line) override { return lines.at(static_cast<std::size_t>(line)).dwell; }
    bool cycleBandsChecked() override { return cycleBands; }
    bool stepsLocally() override { return local; }
    void makeStep() override {
        steps.push_back(state->SweepLine);
        state->DwellSecs = 0;
    }
};

class SweepTickTest : public ::testing::Test {
protected:
    SweepTickTest() { table.state = &state; }

    void include(int line, const char* start = "", const char* end = "", const char* dwell = "0") {
        auto& l = table.lines.at(static_cast<std::size_t>(line));
        l.included = true;
        l.start = QString::fromLatin1(start);
        l.end = QString::fromLatin1(end);
        l.dwell = QString::fromLatin1(dwell);
    }
    // One tick at `now` (minutes since midnight), after the tick has counted one second.
    void tick(int now = 12 * 60) {
        ++state.DwellSecs;
        SweepTick::run(
            state, [this]() -> SweepTickTarget& { return table; }, now);
    }

    ProgramState state;
    Table table;
};

TEST(SweepTickWindow, HoldsTheTimeFromStartToEndOfTheSameDay) {
    struct Case {
        const char* start;
        const char* end;
        int now;
        bool in;
    };
    const Case cases[] = {
        {"", "", 0, true},               // no window
        {"", "10:00", 11 * 60, true},    // an end alone is no window
        {"10:00", "12:00", 599, false},  // both ends included
        {"10:00", "12:00", 600, true},
        {"10:00", "12:00", 720, true},
        {"10:00", "12:00", 721, false},
        {"10:00", "10:00", 600, true},
        {"10:00", "", 1439, true},  // an empty end is midnight
        {"10:00", "00:00", 1439, true},
        {"00:00", "", 0, false},  // "00:00" opens a minute after midnight
        {"00:00", "", 1, true},
        {"00:00", "01:00", 60, true},
        {"22:00", "02:00", 23 * 60, false},  // across midnight: never
        {"22:00", "02:00", 60, false},
        {"22:00", "02:00", 22 * 60, false},
        {"9:30", "10:00", 9 * 60, true},  // read by position: 9:30 is 9 hours 0 minutes
        {"9:30", "10:00", 9 * 60 - 1, false},
        {"09:30", "10:00", 9 * 60 + 29, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SweepTick::inTimeWindow(QString::fromLatin1(c.start), QString::fromLatin1(c.end),
                                          c.now),
                  c.in)
            << c.start << "-" << c.end << " at " << c.now;
    }
}

TEST_F(SweepTickTest, MovesOffLinesThatAreNotIncluded) {
    include(5);
    state.SweepLine = 2;
    tick();
    EXPECT_EQ(state.SweepLine, 5);

    state.SweepLine = 6;  // wraps past line 7
    include(1);
    table.lines[5].included = false;
    tick();
    EXPECT_EQ(state.SweepLine, 1);
}

TEST_F(SweepTickTest, NoIncludedLineMeansNoStepAndNoMove) {
    state.SweepLine = 3;
    state.DwellSecs = 100;
    tick();
    EXPECT_EQ(state.SweepLine, 3);
    EXPECT_TRUE(table.steps.empty());
}

TEST_F(SweepTickTest, StepsOnTheFirstTickPastTheDwell) {
    include(0, "", "", "3*");  // the star is not part of the dwell
    std::vector<int> stepTicks;
    for (int t = 1; t <= 9; ++t) {
        const auto before = table.steps.size();
        tick();
        if (table.steps.size() != before) {
            stepTicks.push_back(t);
        }
    }
    EXPECT_EQ(stepTicks, (std::vector<int>{4, 8}));
}

TEST_F(SweepTickTest, NoStepWhileAStepIsUnderWayOrOnALinkedClient) {
    include(0);
    state.SweepStepping = true;
    tick();
    EXPECT_TRUE(table.steps.empty());

    state.SweepStepping = false;
    table.local = false;
    table.cycleBands = true;
    include(4);
    tick();
    EXPECT_TRUE(table.steps.empty());
    // The client still moves through its lines.
    EXPECT_EQ(state.SweepLine, 4);
}

TEST_F(SweepTickTest, CycleBandsMovesToTheNextIncludedLineAfterEachStep) {
    include(1);
    include(6);
    table.cycleBands = true;
    state.SweepLine = 1;
    for (int t = 0; t < 4; ++t) {
        tick();
    }
    EXPECT_EQ(table.steps, (std::vector<int>{1, 6, 1, 6}));
    EXPECT_EQ(state.SweepLine, 1);
}

TEST_F(SweepTickTest, WithoutCycleBandsTheLineStays) {
    include(1);
    include(6);
    state.SweepLine = 1;
    for (int t = 0; t < 3; ++t) {
        tick();
    }
    EXPECT_EQ(table.steps, (std::vector<int>{1, 1, 1}));
}

TEST_F(SweepTickTest, ALineOutsideItsWindowHandsOverToTheNextIncludedLine) {
    include(0, "10:00", "11:00");
    include(3, "", "", "5");
    include(5, "12:00", "13:00");
    state.SweepLine = 0;
    state.DwellSecs = 40;
    SweepTick::run(
        state, [this]() -> SweepTickTarget& { return table; }, 12 * 60);
    // Line 3 has no window: the search stops there and the dwell starts again.
    EXPECT_EQ(state.SweepLine, 3);
    EXPECT_EQ(state.DwellSecs, 0);
    EXPECT_TRUE(table.steps.empty());
}

TEST_F(SweepTickTest, TheSearchTriesLinesInTurnUntilOneIsInItsWindow) {
    include(2, "01:00", "02:00");
    include(4, "03:00", "04:00");
    include(7, "05:00", "06:00");
    state.SweepLine = 2;
    SweepTick::run(
        state, [this]() -> SweepTickTarget& { return table; }, 5 * 60 + 30);
    EXPECT_EQ(state.SweepLine, 7);
    EXPECT_EQ(state.DwellSecs, 0);
}

TEST_F(SweepTickTest, ASingleLineOutsideItsWindowKeepsStepping) {
    include(2, "10:00", "11:00", "2");
    state.SweepLine = 2;
    for (int t = 0; t < 6; ++t) {
        tick(12 * 60);
    }
    EXPECT_EQ(table.steps, (std::vector<int>{2, 2}));
    EXPECT_EQ(state.SweepLine, 2);
}

TEST_F(SweepTickTest, SeveralLinesAllOutsideTheirWindowsBehaveAsASingleLine) {
    include(2, "10:00", "11:00", "2");
    include(5, "22:00", "02:00", "1");
    include(6, "00:00", "01:00", "1");
    state.SweepLine = 2;
    for (int t = 0; t < 6; ++t) {
        tick(12 * 60);
    }
    // The search comes round to line 2 each tick without restarting its dwell.
    EXPECT_EQ(table.steps, (std::vector<int>{2, 2}));
    EXPECT_EQ(state.SweepLine, 2);

    // Once a window opens, the sweep goes there.
    tick(10 * 60 + 30);
    EXPECT_EQ(state.SweepLine, 2);
    tick(0);  // line 2 out, 5 never, 6 opens only at 00:01
    EXPECT_EQ(state.SweepLine, 2);
    tick(1);
    EXPECT_EQ(state.SweepLine, 6);
    EXPECT_EQ(state.DwellSecs, 0);
}

TEST_F(SweepTickTest, CycleBandsSkipsToTheNextIncludedLineEvenIfItIsOutsideItsWindow) {
    include(0);
    include(1, "10:00", "11:00");
    table.cycleBands = true;
    tick(12 * 60);
    EXPECT_EQ(table.steps, (std::vector<int>{0}));
    EXPECT_EQ(state.SweepLine, 1);
    // The next tick's search brings it back to line 0.
    tick(12 * 60);
    EXPECT_EQ(table.steps, (std::vector<int>{0}));
    EXPECT_EQ(state.SweepLine, 0);
}

TEST_F(SweepTickTest, AsksForTheWindowAgainAfterTheStep) {
    // The step may close the window; the tick then reads the one the registry loads.
    Table reloaded;
    reloaded.state = &state;
    reloaded.lines[0].included = true;
    reloaded.lines[3].included = true;
    reloaded.cycleBands = true;
    include(0);
    state.DwellSecs = 1;
    bool stepped = false;
    SweepTick::run(
        state,
        [&]() -> SweepTickTarget& {
            if (!table.steps.empty()) {
                stepped = true;
                return reloaded;
            }
            return table;
        },
        600);
    EXPECT_TRUE(stepped);
    EXPECT_EQ(state.SweepLine, 3);
}

TEST_F(SweepTickTest, ANegativeDwellStepsOnEveryTick) {
    include(0, "", "", "-1");
    state.DwellSecs = -1;  // even before the first count
    tick();
    tick();
    EXPECT_EQ(table.steps.size(), 2u);
}

}  // namespace
}  // namespace keyrelay

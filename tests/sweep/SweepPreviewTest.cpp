// The preview against the real sweep: the window on the fake desktop, its steps typed on
// the virtual clock, must be what the preview worked out for the same table.
#include "sweep/SweepPreview.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <algorithm>
#include <tuple>

#include "core/FrequencyText.h"

#include "support/TestProgram.h"
#include "sweep/PreviewFrm.h"

namespace keyrelay {
namespace {

using Strings = std::vector<std::string>;
using W = SweepPreview::Warning;

struct Line {
    int n;
    const char *start, *end, *inc, *dwell, *from = "", *to = "";
};

struct Case {
    const char* what;
    int hour, minute, second, spanSecs;
    bool cycleBands;
    const char *prefix, *suffix;
    std::vector<Line> lines;
};

TEST(SweepPreview, AgreesWithTheSweepOnTheVirtualClock) {
    const Case cases[] = {
        {"cycle bands, a used-up range, a starred dwell",
         12,
         0,
         0,
         60,
         true,
         "%CT",
         "~",
         {{0, "7000", "7002.5", "1", "2"}, {2, "14000", "14001", "0.5", "3*"}}},
        {"one line's window closes, the next opens",
         12,
         0,
         30,
         180,
         false,
         "",
         "~",
         {{0, "7000", "7010", "1", "1", "12:00", "12:01"}, {3, "3500", "3502", "1", "0", "12:02"}}},
        {"all lines outside their windows: it stays on its line",
         14,
         0,
         30,
         90,
         false,
         "",
         "~",
         {{0, "7000", "7003", "1", "1", "13:00", "14:00"},
          {1, "3500", "3502", "1", "0", "15:00", "16:00"}}},
        {"no suffix, an end below the start",
         12,
         0,
         0,
         40,
         true,
         "%CT",
         "",
         {{0, "7000", "7003", "1", "1"}, {1, "7005", "7000", "1", "2"}}},
        {"start on an excluded line, a window across midnight, a step beyond the range",
         23,
         59,
         50,
         90,
         false,
         "",
         "~",
         {{1, "21000", "21005", "10", "1", "22:00", "02:00"},
          {4, "28000", "28002", "5", "2"},
          {6, "1800", "1810", "2", "0", "00:00", "00:10"}}},
    };
    for (const Case& c : cases) {
        test::TestProgram p;
        p.pad();  // its one-second tick drives the sweep from t = 1000 ms on
        p.fake.windows.addWindow("CW Skimmer");
        p.fake.clock.setLocalTime(c.hour, c.minute, c.second);
        QsySweep& s = p.sweep();
        s.TargetName->setText(u"CW Skimmer"_qs);
        s.PrefixStr->setText(QString::fromLatin1(c.prefix));
        s.SufixStr->setText(QString::fromLatin1(c.suffix));
        s.CycleBands->setChecked(c.cycleBands);
        for (const Line& l : c.lines) {
            p.setLine(l.n, l.start, l.end, l.inc, l.dwell);
            s.StartTime[l.n]->setText(QString::fromLatin1(l.from));
            s.EndTime[l.n]->setText(QString::fromLatin1(l.to));
        }
        SweepPreview::Start start;
        start.secondsOfDay = c.hour * 3600 + c.minute * 60 + c.second;
        Strings preview;
        for (const auto& step : SweepPreview::steps(s.settings(), start, c.spanSecs * 1000)) {
            preview.push_back(FrequencyText::of(step.kHz).toStdString() + "@" +
                              std::to_string(step.ms));
        }
        s.Command2_Click();
        // To just before the end of the preview's span, whose last tick is due before it.
        p.fake.clock.advance(c.spanSecs * 1000 - 1 - p.fake.clock.elapsedMs());
        EXPECT_GT(preview.size(), 6u) << c.what;
        EXPECT_EQ(preview, p.typedFrequencies()) << c.what;
    }
}

TEST(SweepPreview, WarningsNameTheirLines) {
    struct Expected {
        W::Kind kind;
        int line, from = 0, to = 0;
    };
    const std::vector<std::pair<std::vector<Line>, std::vector<Expected>>> cases = {
        {{{0, "7000", "7040", "1", "30"}}, {}},
        {{{1, "7000", "7040", "1", "30", "22:00", "02:00"}, {2, "14000", "14010", "0", "5"}},
         {{W::WindowNeverMatches, 1}, {W::StepNotPositive, 2}}},
        {{{0, "7040", "7000", "1", "30", "08:00", "17:59"},
          {5, "7000", "7002", "2.5", "3", "08:00", "12:00"}},
         {{W::EndBelowStart, 0},
          {W::StepBeyondRange, 5},
          {W::NoLineInWindow, -1, 0, 480},
          {W::NoLineInWindow, -1, 1080, 1440}}},
        {{{3, "7000", "7000", "5", "1", "00:00", "12:00"}},
         {{W::NoLineInWindow, -1, 0, 1}, {W::NoLineInWindow, -1, 721, 1440}}},
        {{}, {{W::NoLineIncluded, -1, 0, 1440}}},
    };
    for (const auto& [lines, expected] : cases) {
        SweepSettings s;
        s.SufixStr = u"~"_qs;
        for (const Line& l : lines) {
            s.rows[static_cast<std::size_t>(l.n)] = {QString::fromLatin1(l.start),
                                                     QString::fromLatin1(l.end),
                                                     QString::fromLatin1(l.inc),
                                                     QString::fromLatin1(l.dwell),
                                                     1,
                                                     QString::fromLatin1(l.from),
                                                     QString::fromLatin1(l.to)};
        }
        for (const bool noSuffix : {false, true}) {
            std::vector<Expected> want = expected;
            if (noSuffix) {  // keystroke mode without a suffix: each included line says so
                s.SufixStr.clear();
                for (const Line& l : lines) {
                    want.insert(
                        std::find_if(want.begin(), want.end(),
                                     [&](const Expected& e) { return e.line > l.n || e.line < 0; }),
                        {W::NoSuffix, l.n});
                }
            }
            const std::vector<W> got = SweepPreview::warnings(s);
            ASSERT_EQ(got.size(), want.size()) << lines.size();
            for (std::size_t i = 0; i < got.size(); ++i) {
                EXPECT_EQ(std::tie(got[i].kind, got[i].line, got[i].fromMinute, got[i].toMinute),
                          std::tie(want[i].kind, want[i].line, want[i].from, want[i].to));
            }
        }
    }
}

// The window follows the table's edits once they settle, and a closed one is gone.
TEST(SweepPreview, TheWindowFollowsEditsAndGoesWhenClosed) {
    test::TestProgram p;
    p.setLine(0, "7000", "7002", "1", "2");
    QsySweep& s = p.sweep();
    s.SufixStr->setText(u"~"_qs);
    s.PRV->trigger();
    ASSERT_TRUE(s.Preview);
    const std::vector<SweepPreview::Step> before = s.Preview->steps();
    s.IncH[0]->setText(u"0.5"_qs);
    s.DurSec[0]->setText(u"5*"_qs);
    EXPECT_EQ(s.Preview->steps(), before);
    p.fake.clock.advance(PreviewFrm::SettleMs);
    EXPECT_EQ(s.Preview->steps()[1].kHz, 7000.5);
    const QString hint = s.Preview->hintAt({s.Preview->width() / 3, 8 + 22 + 11});
    EXPECT_TRUE(hint.contains(u"7000, 7000.5, 7001, 7001.5, 7002 kHz"_qs)) << hint.toStdString();
    s.Preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s.Preview);
}

}  // namespace
}  // namespace keyrelay
